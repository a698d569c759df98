#pragma once

#include "platform/gui/win_control.h"

namespace plat {

// Paints its colour, its bevels and its caption (one line, centred or
// left-aligned, vertically centred). BorderWidth and the bevels inset the
// area aligned children fill.
class TPanel : public TWinControl {
public:
    explicit TPanel(TComponent* owner);
    const char* ClassName() const override { return "TPanel"; }

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut bevel);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int width);
    // Kept for callers: the layer always paints without flicker.
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool doubleBuffered) { doubleBuffered_ = doubleBuffered; }

    void PaintWindow(TCanvas& canvas) override;

protected:
    TRect AlignRect() const override;

private:
    int BevelInset() const;
    void PaintBevel(TCanvas& canvas, TRect& rect, TBevelCut cut) const;

    TAlignment alignment_ = TAlignment::taCenter;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    int bevelWidth_ = 1;
    bool doubleBuffered_ = false;
};

// The same panel under its library's name.
class TJvPanel : public TPanel {
public:
    using TPanel::TPanel;
    const char* ClassName() const override { return "TJvPanel"; }
};

} // namespace plat
