#pragma once

// Internal: menus as Qt shows them. Includes Qt.

#include "platform/gui/component.h"

#include <map>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace plat {

class TMainMenu;
class TMenuItem;

using MenuActions = std::map<QAction*, TWeakRef<TMenuItem>>;

// Fills `menu` with the visible sub-items of `parent`, their short cuts
// shown but not bound (the layer runs short cuts itself).
void FillMenu(QMenu& menu, TMenuItem& parent, MenuActions& actions);
// Runs the item's OnClick on the next loop turn, as a posted command would.
void PostMenuClick(TMenuItem* item);
// An item of the main menu changed: the menu bars showing it follow.
void MainMenuChanged(const TMainMenu& menu);

// A form's main menu shown as the window's menu bar, above the client area.
// Top-level items with sub-items open menus; "&" marks the access keys
// (Alt and the letter); a chosen item's OnClick runs on the next loop turn.
class FormMenuBar {
public:
    explicit FormMenuBar(QWidget* window);
    ~FormMenuBar();
    FormMenuBar(const FormMenuBar&) = delete;
    FormMenuBar& operator=(const FormMenuBar&) = delete;

    // Builds the bar from the menu's items; hidden without visible ones.
    void Rebuild(TMainMenu* menu);
    // The bar's height, 0 while it is hidden.
    int Height() const;
    void Place(int width);
    // A menu of the bar is open.
    bool Open() const;

private:
    QMenuBar* bar_;
    MenuActions actions_;
    int height_ = 0;
};

} // namespace plat
