#pragma once

namespace shell_test {

// The GUI on the X11 display and the program's globals in a private home,
// once a process; false when there is no usable X11 display.
bool XvfbReady();

} // namespace shell_test
