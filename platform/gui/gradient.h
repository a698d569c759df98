#pragma once

#include "platform/gui/graphic_control.h"

namespace plat {

// A vertical colour gradient: the start colour on the top row, the end
// colour on the bottom row.
class TJvGradient : public TGraphicControl {
public:
    explicit TJvGradient(TComponent* owner);
    const char* ClassName() const override { return "TJvGradient"; }

    TColor StartColor() const { return startColor_; }
    void SetStartColor(TColor color);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor color);
    void SetColors(TColor start, TColor end);
    // The library's style number (3 is vertical); only vertical is drawn.
    int Style() const { return style_; }
    void SetStyle(int style) { style_ = style; }

    void Paint(TCanvas& canvas) override;

private:
    TColor startColor_ = clWhite;
    TColor endColor_ = clBlack;
    int style_ = 3;
};

} // namespace plat
