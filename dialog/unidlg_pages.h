#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TfrmUnidlgDLMR1;

// One bottom-bar button of a page: a null caption hides it.
struct TNUniDialogButton {
    const char* Caption = nullptr;
    int32_t Width = 93;
};

enum class TNDialogPlacement { WorkArea, OverMainWindow };

// Which default hints the bottom buttons get.
enum class TNDialogHints { Full, CloseWithoutTail, None };

// One row of the key table: everything the shell does by key.
struct TNUniDialogPage {
    std::string Key;
    // Title and subtitle the shell sets before the builder; null leaves
    // them to the builder.
    const char* Title = nullptr;
    const char* Subtitle = nullptr;
    // Builds the page and sets the client size; false: the dialog is not
    // shown. Null: the page panel's size is taken as it is.
    std::function<bool(TfrmUnidlgDLMR1&)> Build;
    // Lays the page out once it is ready; null: nothing to lay out.
    std::function<void(TfrmUnidlgDLMR1&)> Layout;
    // OK's saver; null takes the plain path (store the settings and close).
    std::function<bool(TfrmUnidlgDLMR1&)> Save;
    // Set-up and focus of the first activation.
    std::function<void(TfrmUnidlgDLMR1&)> Activate;
    TNUniDialogButton Close;
    TNUniDialogButton Ulozit;
    TNUniDialogButton Vymazat;
    TNDialogPlacement Placement = TNDialogPlacement::OverMainWindow;
    int32_t BarHeight = 36;
    TNDialogHints Hints = TNDialogHints::Full;
    // OK only closes: nothing is saved, not even the settings.
    bool SavesNothing = false;
};

// The row of a key; null when the key has no page.
const TNUniDialogPage* FindUniDialogPage(const std::string& key);
// Adds a row, or replaces the row of its key; the row as kept, at a stable
// address until removed.
TNUniDialogPage& AddUniDialogPage(const TNUniDialogPage& page);
// Removes the row of a key; a key the program builds gets its built row back.
void RemoveUniDialogPage(const std::string& key);

// The page keys in `gUni`'s page order.
extern const char* const kUniDialogPageKeys[18];
