#pragma once

#include "platform/gui/types.h"

namespace shell_test {

// The GUI on the X11 display and the program's globals in a private home,
// once a process; false when there is no usable X11 display.
bool XvfbReady();

// Each channel within `tolerance` of the expected colour.
bool ColourWithin(plat::TColor actual, plat::TColor expected, int tolerance);

} // namespace shell_test
