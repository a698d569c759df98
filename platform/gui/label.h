#pragma once

#include "platform/gui/graphic_control.h"

#include <string>
#include <vector>

namespace plat {

// Plain text, never markup. With AutoSize the size follows the caption at
// once: an empty caption measures as one blank, a right-aligned label keeps
// its right edge, and with WordWrap the width stays and the height grows.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    // Kept for callers; captions never treat "&" specially.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show) { showAccelChar_ = show; }

    // The caption's lines as drawn at the present width.
    std::vector<std::string> Lines() const;

    void Paint(TCanvas& canvas) override;

protected:
    void CaptionChanged() override;
    void FontChanged() override;
    void BoundsChanged(bool sizeChanged) override;

private:
    void AdjustBounds();

    bool autoSize_ = true;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    bool adjusting_ = false;
};

} // namespace plat
