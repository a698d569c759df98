#pragma once

#include <string>

namespace plat {

// Where the platform layer writes its few log lines (a device that cannot be
// opened, a refused request). The program routes them into its own log at
// start; until then, and in programs that never do, they go to standard
// error. Lines are UTF-8 (paths as their bytes), one line without its end.
using PlatformLogSink = void (*)(const std::string& line);

// Installs the sink; nullptr restores standard error. Safe from any thread.
void SetPlatformLogSink(PlatformLogSink sink);

// Writes one line through the installed sink.
void PlatformLog(const std::string& line);

} // namespace plat
