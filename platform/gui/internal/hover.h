#pragma once

// Internal: the mouse as the layer dispatches it. One control is under the
// mouse at a time; the control pressed keeps the mouse until release.

class QMouseEvent;

namespace plat {

class TControl;
class TWinControl;

class Hover {
public:
    // Drops the control from the mouse state without events (it was hidden
    // or freed).
    static void Forget(TControl* control);
    static TControl* UnderMouse();
    static TControl* Captured();

    static void Press(TWinControl& host, const QMouseEvent& event, bool doubleClick);
    static void Release(TWinControl& host, const QMouseEvent& event);
    static void Move(TWinControl& host, const QMouseEvent& event);
    static void Leave(TWinControl& host);
    // The control at a point of the host's client area: a graphic child or
    // the host itself; null when the host is disabled.
    static TControl* TargetAt(TWinControl& host, int x, int y);
};

} // namespace plat
