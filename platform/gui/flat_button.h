#pragma once

#include "platform/gui/graphic_control.h"
#include "platform/gui/picture.h"
#include "platform/gui/win_control.h"

namespace plat {

// A painted push button in the flat style: its face in Color, ColorFocused
// under the mouse and ColorDown while pressed, a one-pixel ColorBorder
// frame, the caption centred in the font's colour. When focused, Space
// clicks it on release and Enter clicks it (not the form's Default button).
class TFlatButton : public TWinControl {
public:
    explicit TFlatButton(TComponent* owner);
    const char* ClassName() const override { return "TFlatButton"; }

    TColor ColorFocused() const { return colorFocused_; }
    void SetColorFocused(TColor color);
    TColor ColorDown() const { return colorDown_; }
    void SetColorDown(TColor color);
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor color);
    TColor ColorHighLight() const { return colorHighLight_; }
    void SetColorHighLight(TColor color);
    TColor ColorShadow() const { return colorShadow_; }
    void SetColorShadow(TColor color);

    void PaintWindow(TCanvas& canvas) override;

protected:
    bool OwnKeyDown(uint16_t key, TShiftState shift) override;
    void OwnKeyUp(uint16_t key, TShiftState shift) override;

private:
    // Space went down on this button and has not come up yet.
    bool spaceDown_ = false;
    TColor colorFocused_ = 0xE1E1E1;
    TColor colorDown_ = 0xC8C8C8;
    TColor colorBorder_ = 0x808080;
    TColor colorHighLight_ = clWhite;
    TColor colorShadow_ = 0x404040;
};

// A graphic button with an optional BMP glyph (its bottom-left colour is
// see-through) and a caption. Margin is the glyph's distance from the left
// edge (-1 centres glyph and caption together); Spacing separates glyph and
// caption. Flat buttons draw no frame unless the mouse is over them.
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    const char* ClassName() const override { return "TSpeedButton"; }

    TPicture& Glyph() { return glyph_; }
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);

    void Paint(TCanvas& canvas) override;

private:
    TPicture glyph_;
    bool flat_ = false;
    int margin_ = -1;
    int spacing_ = 4;
};

} // namespace plat
