#pragma once

#include <string>
#include <vector>

namespace plat {

// Opens an address or a file with the desktop's handler, as a double click in
// a file manager would, through `xdg-open` started detached with the target as
// its one argument (never a shell string).
//
// Accepted: http, https and mailto addresses with the verb "open"; an existing
// regular file with "open" or "edit" (a relative path is made absolute first,
// so the handler never mistakes it for an option). An empty verb means "open";
// verbs are compared without regard to case. Every other target or verb,
// "javascript:" and "file:" addresses among them, is refused.
//
// True when the handler was started; false with one log line when the request
// was refused, `xdg-open` is not on the path or could not be started.
bool ShellOpen(const std::string& target, const std::string& verb);

// Test seam: receives the argument vector ShellOpen would start, in place of
// starting it, and answers as the start would (`error` as StartDetached sets
// it). nullptr restores the real start.
using ShellStarter = bool (*)(const std::vector<std::string>& argv, int* error);
void SetShellStarter(ShellStarter starter);

} // namespace plat
