#pragma once

#include "platform/gui/types.h"

#include <unordered_map>

namespace plat {

class TControl;

// Screen rectangles of many controls' client areas within one pass, from
// the layer's own geometry: each parent's screen origin is found once and
// every child adds its own left and top. Asking the window system for each
// control costs a walk to the form and a mapping per control. Keep one for
// a pass only: it does not see later moves.
class TScreenOrigins {
public:
    TPoint ClientOrigin(const TControl& control);
    TRect ClientRect(const TControl& control);
    // Left and top edges belong to the control, right and bottom do not.
    bool ClientContains(const TControl& control, TPoint screenPoint);

private:
    TPoint AncestorOrigin(const TControl& ancestor);

    std::unordered_map<const TControl*, TPoint> ancestors_;
};

} // namespace plat
