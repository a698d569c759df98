#pragma once

#include <string>
#include <vector>

namespace plat {

// Starts a program detached from this one and does not wait for it.
// `argv[0]` is the program: a path, or a bare name looked up in $PATH. The
// arguments go to it as they are; no shell ever sees them.
//
// The started program runs in a session of its own (setsid), with standard
// input, output and error on /dev/null, no other descriptor of ours, an empty
// signal mask and every signal at its default action. It is a grandchild
// that the system adopts, so no zombie is left behind.
//
// True when the program was executed; false when it could not be found or
// executed, or the start failed. `error`, when given, receives errno then.
bool StartDetached(const std::vector<std::string>& argv, int* error = nullptr);

} // namespace plat
