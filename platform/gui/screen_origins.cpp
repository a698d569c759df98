#include "platform/gui/screen_origins.h"

#include "platform/gui/control.h"
#include "platform/gui/form.h"
#include "platform/gui/win_control.h"

namespace plat {

TPoint TScreenOrigins::ClientOrigin(const TControl& control)
{
    // A form's client area sits where the window system put the window.
    const TWinControl* parent = control.Parent();
    if (parent == nullptr || dynamic_cast<const TForm*>(&control) != nullptr)
        return control.ClientToScreen(TPoint{0, 0});
    const TPoint origin = AncestorOrigin(*parent);
    return TPoint{origin.x + control.Left(), origin.y + control.Top()};
}

TRect TScreenOrigins::ClientRect(const TControl& control)
{
    const TPoint origin = ClientOrigin(control);
    return Bounds(origin.x, origin.y, control.ClientWidth(), control.ClientHeight());
}

bool TScreenOrigins::ClientContains(const TControl& control, TPoint screenPoint)
{
    const TRect rect = ClientRect(control);
    return screenPoint.x >= rect.Left && screenPoint.y >= rect.Top && screenPoint.x < rect.Right &&
           screenPoint.y < rect.Bottom;
}

TPoint TScreenOrigins::AncestorOrigin(const TControl& ancestor)
{
    if (const auto known = ancestors_.find(&ancestor); known != ancestors_.end())
        return known->second;
    const TPoint origin = ClientOrigin(ancestor);
    ancestors_.emplace(&ancestor, origin);
    return origin;
}

} // namespace plat
