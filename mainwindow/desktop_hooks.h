#pragma once

// Fills the hooks through which the foundation and the online layer ask the
// desktop (screen size and work area, idle time, window helpers). Safe before
// the GUI starts: the screen is then asked of the X server directly.
void InstallDesktopHooks();
