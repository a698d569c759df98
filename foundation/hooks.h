#pragma once

#include <atomic>
#include <cstdint>

class TNPIM;

// Calls from the foundation up into higher layers. The foundation may not
// include GUI code; the GUI layer fills these at start-up and tests fill them
// with recorders. An unset hook does nothing.

// Buttons and icons of a message box, as the windows layer understands them.
enum TNMessageBoxFlags : uint32_t {
    mbOk = 0x00,
    mbOkCancel = 0x01,
    mbYesNo = 0x04,
    mbIconError = 0x10,
    mbIconQuestion = 0x20,
    mbIconExclamation = 0x30,
    mbIconInformation = 0x40,
};

// Button results.
enum TNMessageBoxResult : int32_t {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrYes = 6,
    mrNo = 7,
};

// The log window as the log writer sees it. The window owns all three; the
// writer waits while Busy is set, sets it, appends one line and clears it.
struct TNLogWindowSink {
    // The window's own visible state.
    std::atomic<bool>* Visible = nullptr;
    // The busy byte shared with the window's main-thread consumer.
    std::atomic<uint8_t>* Busy = nullptr;
    // Appends one CP1250 line (no line end) to the pending list.
    void (*Append)(const char* line) = nullptr;
};

struct TNFoundationHooks {
    // Shows a message box (CP1250 texts) and returns the button chosen.
    int32_t (*MessageBox)(const char* text, const char* caption, uint32_t flags) = nullptr;
    // Puts the screen cursor back to the default arrow.
    void (*ResetCursor)() = nullptr;
    // The hourglass while the program works for the user.
    void (*SetWaitCursor)() = nullptr;

    TNLogWindowSink LogWindow;

    // Switches on the main window's emergency close (ends and restarts the
    // application).
    void (*EmergencyClose)() = nullptr;

    // Seconds since the user's last input; 0 when unset.
    uint32_t (*IdleSeconds)() = nullptr;

    // Makes the organizer data set of a server position, and frees one.
    TNPIM* (*CreatePIM)(int32_t position) = nullptr;
    void (*DestroyPIM)(TNPIM* pim) = nullptr;

    // Construct and destroy the globals of the higher libraries (AutoUpdate,
    // g, the status-bar panels, the main window's two values, View), in their
    // order and in its reverse.
    void (*ConstructHigherGlobals)() = nullptr;
    void (*DestroyHigherGlobals)() = nullptr;

    // The screen's width and height in pixels. The GUI layer fills it before
    // the global objects are built.
    void (*ScreenSize)(int32_t* width, int32_t* height) = nullptr;

    // The class name of a form's active control ("TEdit", "TListBox" ...),
    // null when it has none; and that control's own edit operation. The form
    // is opaque here; the code starting the GUI fills both.
    const char* (*ActiveControlClass)(void* form) = nullptr;
    void (*EditActiveControl)(void* form, int32_t operation) = nullptr;

    // The window helpers' view of the screen and its windows; forms,
    // controls and canvases are opaque here. The work area is the screen
    // less panels and task bars. A form's bounds lie on the screen, a
    // control's in its parent.
    void (*WorkArea)(int32_t* left, int32_t* top, int32_t* width, int32_t* height) = nullptr;
    void (*ControlBounds)(void* control, int32_t* left, int32_t* top, int32_t* width, int32_t* height) = nullptr;
    void (*SetControlBounds)(void* control, int32_t left, int32_t top, int32_t width, int32_t height) = nullptr;
    // Fills the rectangle from 0, 0 of that size and outlines it.
    void (*FillAndOutline)(void* canvas, int32_t width, int32_t height, uint32_t fill, uint32_t outline) = nullptr;
};

// The edit operations of the text menus, by number.
enum TNEditOperation : int32_t {
    eoUndo = 0,
    eoCopy = 1,
    eoCut = 2,
    eoPaste = 3,
    eoClearSelection = 4,
    eoSelectAll = 5,
};

extern TNFoundationHooks FoundationHooks;

// Shows a message box through the hook; mrNone when no hook is set.
int32_t ShowMessageBox(const char* text, const char* caption, uint32_t flags);

// The screen size through the hook; 1024 x 768 when no hook is set (tests,
// no display).
void GetScreenSize(int32_t* width, int32_t* height);
