#pragma once

#include <string>

// The offscreen GUI and the program's globals in a private home named after
// the benchmark, with logging off; returns the home, ending in "/". Once per
// process.
std::string StartWindowBenchGlobals(const char* name);
