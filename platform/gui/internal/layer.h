#pragma once

// Internal: process-wide state of the layer and the seams tests script.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

class TForm;
class TPopupMenu;
class TFont;

// Called once by GuiApplication::Start.
void MarkMainThread();

// The layer's own log lines (given to GuiApplication::Start).
void SetLayerLog(std::function<void(const std::string&)> log);
void LayerLog(const std::string& line);

// True on the offscreen platform, where nothing may wait for a user, unless
// a test drives the real dialogs there.
bool NobodyToAsk();

// What a popup menu showed, for the menu seam.
struct PopupRecord {
    TPopupMenu* menu = nullptr;
    int x = 0;
    int y = 0;
    bool rightAligned = false;
    // Where the menu's left edge goes, and its width.
    int left = 0;
    int width = 0;
    // Names and shown captions of the visible items, top level, in order.
    std::vector<std::string> items;
    std::vector<std::string> captions;
};

// A message box as shown, for the responder. Texts are CP1250.
struct MessageBoxRecord {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
};

struct GuiSeams {
    // Runs inside the nested loop of every ShowModal, once the form shows.
    std::function<void(TForm& form)> modalScript;
    // Picks the name of the item to choose ("" = none); the menu closes.
    std::function<std::string(const PopupRecord& popup)> popupScript;
    // Answers a message box.
    std::function<int(const MessageBoxRecord& box)> messageBoxResponder;
    // Answers a font dialog: false = cancelled; may change the font.
    std::function<bool(TFont& font)> fontDialogResponder;
    // The real dialogs open on the offscreen platform too; a test drives them.
    bool realDialogsOffscreen = false;
};

GuiSeams& Seams();

} // namespace plat
