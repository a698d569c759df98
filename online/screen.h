#pragma once

#include <cstdint>

// A rectangle on the screen in pixels.
struct TNScreenRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The screen and the main window as the window-geometry services of g see
// them. The GUI layer fills it; tests fill it with a fake screen. Every
// entry runs on the main thread and is called directly. An unset entry reads
// as nothing (a 1024 x 768 screen without a window) and changes nothing.
struct TNScreenHooks {
    void (*ScreenSize)(int32_t* width, int32_t* height) = nullptr;
    TNScreenRect (*WorkArea)() = nullptr;
    TNScreenRect (*MainWindowBounds)() = nullptr;
    bool (*MainWindowMaximized)() = nullptr;
    // The tray application (the main window's owner) is visible.
    bool (*ApplicationVisible)() = nullptr;
    void (*SetMainWindowNormal)() = nullptr;
    void (*SetMainWindowBounds)(const TNScreenRect& bounds) = nullptr;
    // The main window's own top value.
    void (*SetMainWindowTopValue)(int32_t top) = nullptr;
    // Switch on timerMaximizeMainWindow and timerResize.
    void (*ArmMaximizeMainWindow)() = nullptr;
    void (*ArmResize)() = nullptr;
};

extern TNScreenHooks ScreenHooks;
