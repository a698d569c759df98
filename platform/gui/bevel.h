#pragma once

#include "platform/gui/graphic_control.h"

namespace plat {

// An etched line or box: a shadow line and a highlight line beside it.
class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* owner);
    const char* ClassName() const override { return "TBevel"; }

    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape shape);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle style);

    void Paint(TCanvas& canvas) override;

private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};

} // namespace plat
