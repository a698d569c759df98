#pragma once

#include "platform/gui/custom_edit.h"
#include "platform/gui/font_height.h"

namespace plat {

// A one-line edit. Its height is the font's line height + 8 until the
// program sets one. Flat edits draw a one-pixel border in BorderColor and
// fill with FocusedColor while focused (Color otherwise).
class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner);
    const char* ClassName() const override { return "TEdit"; }

    std::string Text() const override;
    void SetText(const std::string& text) override;
    void SetMaxLength(int length) override;
    void SetReadOnly(bool readOnly) override;
    // 0 shows the text; any other character hides it.
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char passwordChar);

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

    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor color);
    TColor FocusedColor() const { return focusedColor_; }
    void SetFocusedColor(TColor color);

    void PaintWindow(TCanvas& canvas) override;
    TColor FillColor() const override;

protected:
    void BoundsChanged(bool sizeChanged) override;
    void FontChanged() override;

private:
    char passwordChar_ = 0;
    bool flat_ = false;
    TColor borderColor_ = 0x7A7A7A;
    TColor focusedColor_ = clWhite;
    TFontHeight fontHeight_;
};

// The flat-style edit under its library's name.
class TFlatEdit : public TEdit {
public:
    explicit TFlatEdit(TComponent* owner) : TEdit(owner) { SetFlat(true); }
    const char* ClassName() const override { return "TFlatEdit"; }
};

} // namespace plat
