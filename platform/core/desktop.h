#pragma once

#include <string>

namespace plat {

// Opens an address or a file with the desktop's handler (xdg-open), detached
// from this process: one argument, never a shell. True when the handler was
// started.
bool OpenInDesktop(const std::string& target);

// Test seam: receives every OpenInDesktop call in place of the desktop;
// nullptr restores xdg-open.
using DesktopOpener = bool (*)(const std::string& target);
void SetDesktopOpener(DesktopOpener opener);

} // namespace plat
