#include "platform/gui/flat_button.h"

#include "platform/gui/canvas.h"
#include "platform/gui/graphic.h"
#include "platform/gui/internal/hover.h"

#include <string>
#include <vector>

namespace plat {

TFlatButton::TFlatButton(TComponent* owner) : TWinControl(owner)
{
    SetColor(0xF0F0F0);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
}

void TFlatButton::SetColorFocused(TColor color)
{
    colorFocused_ = color;
    Invalidate();
}

void TFlatButton::SetColorDown(TColor color)
{
    colorDown_ = color;
    Invalidate();
}

void TFlatButton::SetColorBorder(TColor color)
{
    colorBorder_ = color;
    Invalidate();
}

void TFlatButton::SetColorHighLight(TColor color)
{
    colorHighLight_ = color;
    Invalidate();
}

void TFlatButton::SetColorShadow(TColor color)
{
    colorShadow_ = color;
    Invalidate();
}

void TFlatButton::PaintWindow(TCanvas& canvas)
{
    TColor face = Color();
    if (Hover::Captured() == this || (spaceDown_ && Focused()))
        face = colorDown_;
    else if (Hover::UnderMouse() == this)
        face = colorFocused_;
    const TRect all = Rect(0, 0, Width(), Height());
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.Brush.Color = face;
    canvas.Pen.Color = colorBorder_;
    canvas.Rectangle(all);
    canvas.Font.Assign(Font());
    canvas.Brush.Style = TBrushStyle::bsClear;
    // Each line of the caption centred, the block centred as a whole.
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        const size_t end = Caption().find('\n', start);
        lines.push_back(Caption().substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    const int lineHeight = canvas.TextHeight(Caption().empty() ? std::string("X") : lines.front());
    int y = (Height() - lineHeight * static_cast<int>(lines.size())) / 2;
    for (const std::string& line : lines) {
        canvas.TextOut((Width() - canvas.TextWidth(line)) / 2, y, line);
        y += lineHeight;
    }
}

namespace {

constexpr uint16_t kSpaceKey = 0x20;

bool PlainSpace(uint16_t key, TShiftState shift)
{
    return key == kSpaceKey && (shift & (ssCtrl | ssAlt)) == 0;
}

} // namespace

// Space presses the face and clicks on release, as a push button does; a
// held Space repeats the press but clicks once.
bool TFlatButton::OwnKeyDown(uint16_t key, TShiftState shift)
{
    if (!PlainSpace(key, shift))
        return false;
    if (!spaceDown_) {
        spaceDown_ = true;
        Invalidate();
    }
    return true;
}

void TFlatButton::OwnKeyUp(uint16_t key, TShiftState shift)
{
    if (key != kSpaceKey || !spaceDown_)
        return;
    spaceDown_ = false;
    Invalidate();
    if (PlainSpace(key, shift))
        Click();
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 23, 22);
    glyph_.OnChange = [this] { Invalidate(); };
}

void TSpeedButton::SetFlat(bool flat)
{
    flat_ = flat;
    Invalidate();
}

void TSpeedButton::SetMargin(int margin)
{
    margin_ = margin;
    Invalidate();
}

void TSpeedButton::SetSpacing(int spacing)
{
    spacing_ = spacing;
    Invalidate();
}

void TSpeedButton::Paint(TCanvas& canvas)
{
    const bool hot = Hover::UnderMouse() == this;
    const bool down = Hover::Captured() == this;
    if (!flat_ || hot || down) {
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.Pen.Color = down ? clBtnShadow : clBtnHighlight;
        canvas.MoveTo(0, Height() - 1);
        canvas.LineTo(0, 0);
        canvas.LineTo(Width() - 1, 0);
        canvas.Pen.Color = down ? clBtnHighlight : clBtnShadow;
        canvas.LineTo(Width() - 1, Height() - 1);
        canvas.LineTo(-1, Height() - 1);
    }
    const TGraphic* glyph = glyph_.Graphic();
    const int glyphWidth = glyph != nullptr ? glyph->Width() : 0;
    const int glyphHeight = glyph != nullptr ? glyph->Height() : 0;
    canvas.Font.Assign(Font());
    const int textWidth = Caption().empty() ? 0 : canvas.TextWidth(Caption());
    const int gap = glyphWidth > 0 && textWidth > 0 ? spacing_ : 0;
    const int total = glyphWidth + gap + textWidth;
    int x = margin_ >= 0 ? margin_ : (Width() - total) / 2;
    const int shift = down ? 1 : 0;
    if (glyph != nullptr && glyphWidth > 0) {
        // Glyphs are BMPs whose bottom-left colour is see-through.
        TGraphic transparent(*glyph);
        transparent.SetTransparent(true);
        canvas.Draw(x + shift, (Height() - glyphHeight) / 2 + shift, transparent);
        x += glyphWidth + gap;
    }
    if (textWidth > 0) {
        canvas.Brush.Style = TBrushStyle::bsClear;
        canvas.TextOut(x + shift, (Height() - canvas.TextHeight(Caption())) / 2 + shift, Caption());
    }
}

} // namespace plat
