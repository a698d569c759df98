#include "foundation/common.h"
#include "foundation/hooks.h"

#include <algorithm>

namespace {

struct Bounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

bool HooksSet()
{
    return FoundationHooks.WorkArea != nullptr && FoundationHooks.ControlBounds != nullptr &&
           FoundationHooks.SetControlBounds != nullptr;
}

Bounds BoundsOf(void* control)
{
    Bounds bounds;
    FoundationHooks.ControlBounds(control, &bounds.Left, &bounds.Top, &bounds.Width, &bounds.Height);
    return bounds;
}

Bounds WorkArea()
{
    Bounds area;
    FoundationHooks.WorkArea(&area.Left, &area.Top, &area.Width, &area.Height);
    return area;
}

void Place(void* control, const Bounds& bounds)
{
    FoundationHooks.SetControlBounds(control, bounds.Left, bounds.Top, bounds.Width, bounds.Height);
}

} // namespace

void TNCommon::CenterControl(void* window, void* over)
{
    if (window == nullptr || over == nullptr || !HooksSet())
        return;
    Bounds placed = BoundsOf(window);
    const Bounds under = BoundsOf(over);
    placed.Left = under.Left + (under.Width - placed.Width) / 2;
    placed.Top = under.Top + (under.Height - placed.Height) / 2;
    Place(window, placed);
}

void TNCommon::FitHeightToWorkArea(void* form)
{
    constexpr int32_t kRoomBelow = 20;
    if (form == nullptr || !HooksSet())
        return;
    Bounds bounds = BoundsOf(form);
    const int32_t most = std::max(0, WorkArea().Height - kRoomBelow);
    if (bounds.Height <= most)
        return;
    bounds.Height = most;
    Place(form, bounds);
}

void TNCommon::KeepFormInWorkArea(void* form)
{
    if (form == nullptr || !HooksSet())
        return;
    const Bounds area = WorkArea();
    const Bounds before = BoundsOf(form);
    Bounds bounds = before;
    bounds.Width = std::min(bounds.Width, area.Width);
    bounds.Height = std::min(bounds.Height, area.Height);
    bounds.Left = std::clamp(bounds.Left, area.Left, area.Left + area.Width - bounds.Width);
    bounds.Top = std::clamp(bounds.Top, area.Top, area.Top + area.Height - bounds.Height);
    if (bounds.Left != before.Left || bounds.Top != before.Top || bounds.Width != before.Width ||
        bounds.Height != before.Height)
        Place(form, bounds);
}

void TNCommon::DrawFilledRect(void* canvas, int32_t width, int32_t height, uint32_t fill, uint32_t outline)
{
    if (canvas != nullptr && FoundationHooks.FillAndOutline != nullptr)
        FoundationHooks.FillAndOutline(canvas, width, height, fill, outline);
}
