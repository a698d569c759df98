#pragma once

#include "platform/gui/canvas.h"
#include "platform/gui/graphic_control.h"

namespace plat {

// A rectangle: outlined with the pen on its first and last columns and rows,
// filled with the brush inside.
class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* owner);
    const char* ClassName() const override { return "TShape"; }

    const TPen& Pen() const { return pen_; }
    void SetPen(const TPen& pen);
    const TBrush& Brush() const { return brush_; }
    void SetBrush(const TBrush& brush);
    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);

    void Paint(TCanvas& canvas) override;

private:
    TPen pen_;
    TBrush brush_;
    TShapeType shape_ = TShapeType::stRectangle;
};

} // namespace plat
