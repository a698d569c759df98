#include "platform/gui/shape.h"

namespace plat {

TShape::TShape(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 65);
}

void TShape::SetPen(const TPen& pen)
{
    pen_ = pen;
    Invalidate();
}

void TShape::SetBrush(const TBrush& brush)
{
    brush_ = brush;
    Invalidate();
}

void TShape::SetShape(TShapeType shape)
{
    shape_ = shape;
    Invalidate();
}

void TShape::Paint(TCanvas& canvas)
{
    canvas.Pen = pen_;
    canvas.Brush = brush_;
    canvas.Rectangle(0, 0, Width(), Height());
}

} // namespace plat
