#pragma once

#include "platform/gui/win_control.h"

#include <functional>
#include <string>
#include <vector>

namespace plat {

class TCanvas;
class ListRowDelegate;

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed };

using TOwnerDrawState = unsigned;
constexpr TOwnerDrawState odSelected = 1;
constexpr TOwnerDrawState odFocused = 2;

using TDrawItemEvent =
    std::function<void(TComponent* sender, int index, const TRect& rect, TOwnerDrawState state, TCanvas& canvas)>;

// A list of texts. Owner-drawn lists have rows of ItemHeight that
// OnDrawItem paints on a canvas whose origin is the list's client origin.
// ItemIndex set by code fires nothing; the user's choice fires OnClick.
class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    const char* ClassName() const override { return "TListBox"; }

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(const std::vector<std::string>& items);
    void AddItem(const std::string& item);
    void ClearItems();
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool multiSelect);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    void SelectAll();

    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style);
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    TDrawItemEvent OnDrawItem;

protected:
    void Detach() override;

private:
    std::vector<std::string> items_;
    TListBoxStyle style_ = TListBoxStyle::lbStandard;
    int itemHeight_ = 13;
    bool multiSelect_ = false;
    bool byCode_ = false;
    ListRowDelegate* delegate_ = nullptr;
};

} // namespace plat
