#pragma once

#include "platform/gui/component.h"
#include "platform/gui/control.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Key plus modifier bits, as the program stores short cuts.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut ShortCut(uint16_t key, TShiftState shift)
{
    return static_cast<TShortCut>(key | ((shift & ssShift) ? scShift : 0) | ((shift & ssCtrl) ? scCtrl : 0) |
                                  ((shift & ssAlt) ? scAlt : 0));
}

// One menu entry. "&" marks the access key, "&&" shows "&", "-" is a
// separator. A click does not toggle Checked; checking a radio item unchecks
// the other radio items of its GroupIndex under the same parent.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    const char* ClassName() const override { return "TMenuItem"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // The caption as shown: access-key marks taken out.
    std::string ShownCaption() const;
    bool IsSeparator() const { return caption_ == "-"; }

    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool radio);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index) { groupIndex_ = index; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);

    // Sub-items, in order.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
    TMenuItem* ParentItem() const { return parentItem_; }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out without freeing it.
    void Remove(TMenuItem* item);
    // Frees the sub-item at the index.
    void Delete(int index);
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    // This item or one below it with the name; null when none.
    TMenuItem* FindByName(const std::string& name);
    // The enabled item below this one (hidden ones too) with the short cut.
    TMenuItem* FindShortCut(TShortCut shortCut);

    TNotifyEvent OnClick;
    // Runs OnClick.
    void Click();

protected:
    ~TMenuItem() override;
    void Detach() override;

private:
    // Tells a menu bar showing this item's menu.
    void Changed();

    std::string caption_;
    bool checked_ = false;
    bool radioItem_ = false;
    int groupIndex_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TShortCut shortCut_ = 0;
    std::vector<TMenuItem*> items_;
    TMenuItem* parentItem_ = nullptr;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    TMenuItem* Items() const { return items_; }
    TMenuItem* FindByName(const std::string& name) { return items_->FindByName(name); }

protected:
    void Detach() override;

private:
    TMenuItem* items_;
};

// A form's menu, shown as its window's menu bar (while an item is visible)
// and followed there when items change. Its short cuts run while its form
// is active, a key matching an enabled one runs that item only (the focused
// control never sees it); Alt and an access key open a menu of the bar.
class TMainMenu : public TMenu {
public:
    using TMenu::TMenu;
    const char* ClassName() const override { return "TMainMenu"; }

protected:
    void Detach() override;
};

enum class TPopupAlignment { paLeft, paRight };

// Popup(x, y) runs OnPopup, shows the menu at the screen point (its right
// edge there when right-aligned) and returns when it closes, timers running
// meanwhile. The chosen item's OnClick runs on the next loop turn.
class TPopupMenu : public TMenu {
public:
    using TMenu::TMenu;
    const char* ClassName() const override { return "TPopupMenu"; }

    TPopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPopupAlignment alignment) { alignment_ = alignment; }
    // The control the menu last opened for.
    TComponent* PopupComponent() const { return popupComponent_.Get(); }
    void SetPopupComponent(TComponent* component) { popupComponent_ = component; }

    void Popup(int x, int y);

    TNotifyEvent OnPopup;

protected:
    void Detach() override;

private:
    TPopupAlignment alignment_ = TPopupAlignment::paLeft;
    TWeakRef<TComponent> popupComponent_;
};

} // namespace plat
