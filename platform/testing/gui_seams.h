#pragma once

// Scripts for what would wait for a user: modal forms, popup menus, message
// boxes and font dialogs; and a manual clock for timers. Each seam holds for
// the lifetime of its object.

#include "platform/gui/internal/layer.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;

namespace plat {
class TFont;
class TForm;
} // namespace plat

namespace plat::testing {

// Runs the script inside the real nested loop of every ShowModal.
class ScopedModalScript {
public:
    explicit ScopedModalScript(std::function<void(TForm& form)> script);
    ~ScopedModalScript();
    ScopedModalScript(const ScopedModalScript&) = delete;
    ScopedModalScript& operator=(const ScopedModalScript&) = delete;
};

// Records every Popup and chooses the item named by `choose` ("" = none).
// `during` runs while the menu is open (a nested loop's work).
class MenuRecorder {
public:
    MenuRecorder();
    ~MenuRecorder();
    MenuRecorder(const MenuRecorder&) = delete;
    MenuRecorder& operator=(const MenuRecorder&) = delete;

    std::vector<PopupRecord> popups;
    std::string choose;
    std::function<void()> during;
};

// Records message boxes and answers from the queue (then `otherwise`).
class MessageBoxResponder {
public:
    MessageBoxResponder();
    ~MessageBoxResponder();
    MessageBoxResponder(const MessageBoxResponder&) = delete;
    MessageBoxResponder& operator=(const MessageBoxResponder&) = delete;

    std::vector<MessageBoxRecord> boxes;
    std::deque<int> answers;
    int otherwise = 1;
    std::function<void()> during;
};

// Answers font dialogs: confirms with the given name and size, or cancels.
class FontDialogResponder {
public:
    FontDialogResponder();
    ~FontDialogResponder();
    FontDialogResponder(const FontDialogResponder&) = delete;
    FontDialogResponder& operator=(const FontDialogResponder&) = delete;

    int calls = 0;
    bool confirm = false;
    std::string name;
    int size = 0;
};

// Lets the real Qt dialogs open on the offscreen platform and answers them
// through Qt's own API from a timer inside their modal loop, once a dialog
// has been open `holdMs`: a message box by clicking the button captioned
// `press` (UTF-8; "" = the Esc key), the font dialog by picking `family` at
// `pointSize` and accepting (with `accept`) or by cancelling. A dialog left
// open 5 s is cancelled and `timedOut` set.
class RealDialogDriver {
public:
    RealDialogDriver();
    ~RealDialogDriver();
    RealDialogDriver(const RealDialogDriver&) = delete;
    RealDialogDriver& operator=(const RealDialogDriver&) = delete;

    int holdMs = 0;
    std::string press;
    bool accept = false;
    std::string family;
    int pointSize = 0;

    // Each dialog as it opened, texts UTF-8.
    struct Shown {
        std::string title;
        std::string text;
        bool plainText = false;
        std::vector<std::string> buttons;
        std::string fontFamily;
        int fontPointSize = 0;
    };
    std::vector<Shown> shown;
    bool timedOut = false;

private:
    void Answer(QDialog& dialog);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Timers run on a clock that moves only when told.
class ManualTimers {
public:
    ManualTimers();
    ~ManualTimers();
    ManualTimers(const ManualTimers&) = delete;
    ManualTimers& operator=(const ManualTimers&) = delete;

    // Moves the clock and fires what is due (each due timer once).
    void Advance(int64_t ms);
    int ArmedCount() const;
};

} // namespace plat::testing
