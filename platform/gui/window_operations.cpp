#include "platform/gui/window_operations.h"

#include "platform/gui/canvas.h"
#include "platform/gui/control.h"
#include "platform/gui/screen.h"

namespace plat {

void ScreenWorkArea(int32_t* left, int32_t* top, int32_t* width, int32_t* height)
{
    const TRect area = Screen::WorkArea();
    *left = area.Left;
    *top = area.Top;
    *width = area.Width();
    *height = area.Height();
}

void ControlBoundsOf(void* control, int32_t* left, int32_t* top, int32_t* width, int32_t* height)
{
    const auto* shown = static_cast<const TControl*>(control);
    *left = shown->Left();
    *top = shown->Top();
    *width = shown->Width();
    *height = shown->Height();
}

void SetControlBoundsOf(void* control, int32_t left, int32_t top, int32_t width, int32_t height)
{
    static_cast<TControl*>(control)->SetBounds(left, top, width, height);
}

void FillAndOutline(void* canvas, int32_t width, int32_t height, uint32_t fill, uint32_t outline)
{
    auto* target = static_cast<TCanvas*>(canvas);
    target->Brush = TBrush{fill, TBrushStyle::bsSolid};
    target->Pen = TPen{outline, 1, TPenStyle::psSolid};
    target->Rectangle(0, 0, width, height);
}

} // namespace plat
