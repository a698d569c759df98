#pragma once

#include "platform/gui/custom_edit.h"
#include "platform/gui/font_height.h"

#include <string>
#include <vector>

namespace plat {

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A drop-down list, or an editable one. ItemIndex and Text set by code fire
// nothing; the user's choice or typing fires OnChange. OnDropDown runs
// before the list opens (it may still change the items or the width); the
// list shows DropDownCount rows. Without an edit field the clipboard works
// on the selected text (an editable combo's own selection).
class TComboBox : public TCustomEdit {
public:
    explicit TComboBox(TComponent* owner);
    const char* ClassName() const override { return "TComboBox"; }

    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);

    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(const std::vector<std::string>& items);
    void AddItem(const std::string& item);
    void ClearItems();
    int ItemIndex() const;
    void SetItemIndex(int index);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count);

    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SetMaxLength(int length) override;

    int SelStart() const override;
    int SelLength() const override;
    void SetSelStart(int start) override;
    void SetSelLength(int length) override;
    void SetSelText(const std::string& text) override;

    void Undo() override;
    void CopyToClipboard() override;
    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void SelectAll() override;

    TNotifyEvent OnDropDown;
    // Runs OnDropDown and opens the list. Returns the list's width.
    int DropDown();
    void CloseUp();

protected:
    void Detach() override;

private:
    friend class ComboEditor;
    std::vector<std::string> items_;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
    int dropDownCount_ = 8;
    bool byCode_ = false;
};

// The flat-style combo box: a one-pixel border in ColorBorder around the
// field, drawn on ColorFlat; the field itself in Color. Its height follows
// the font (line height + 8) until the program sets one, as an edit's does.
class TFlatComboBox : public TComboBox {
public:
    explicit TFlatComboBox(TComponent* owner);
    const char* ClassName() const override { return "TFlatComboBox"; }

    TColor ColorFlat() const { return colorFlat_; }
    void SetColorFlat(TColor color);
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor color);

    void PaintWindow(TCanvas& canvas) override;

protected:
    void BoundsChanged(bool sizeChanged) override;
    void FontChanged() override;

private:
    TColor colorFlat_ = clWhite;
    TColor colorBorder_ = 0x7A7A7A;
    TFontHeight fontHeight_;
};

} // namespace plat
