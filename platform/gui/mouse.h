#pragma once

#include "platform/gui/types.h"

namespace plat {

// The mouse pointer in screen coordinates.
class Mouse {
public:
    static TPoint CursorPos();
    // Moves the pointer where the platform allows it; the layer reads back
    // this position until the pointer is seen elsewhere (tests set it here).
    static void SetCursorPos(TPoint point);
};

} // namespace plat
