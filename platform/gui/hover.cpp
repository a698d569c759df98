#include "platform/gui/internal/hover.h"
#include "platform/gui/internal/qt_bridge.h"

#include "platform/gui/component.h"
#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/win_control.h"

#include <QCursor>
#include <QMouseEvent>

namespace plat {

namespace {

TWeakRef<TControl> underMouse;
TWeakRef<TControl> captured;
bool suppressClick = false;

bool ToButton(Qt::MouseButton qt, TMouseButton& button)
{
    switch (qt) {
    case Qt::LeftButton:
        button = TMouseButton::mbLeft;
        return true;
    case Qt::RightButton:
        button = TMouseButton::mbRight;
        return true;
    case Qt::MiddleButton:
        button = TMouseButton::mbMiddle;
        return true;
    default:
        return false;
    }
}

// The point of the host's client area in the target's coordinates.
TPoint InTarget(const TWinControl& host, const TControl& target, QPoint point)
{
    if (&target == &host)
        return TPoint{point.x(), point.y()};
    return TPoint{point.x() - target.Left(), point.y() - target.Top()};
}

TWinControl* HostOf(TControl& control)
{
    return control.IsWindowed() ? static_cast<TWinControl*>(&control) : control.Parent();
}

void ShowCursorOf(TWinControl& host, TControl* target)
{
    if (host.Impl().widget == nullptr)
        return;
    host.Impl().widget->setCursor(ToQCursor(target != nullptr ? target->Cursor() : host.Cursor()));
}

// Moves "under the mouse" to the target: the old one leaves first.
void HoverTo(TControl* target)
{
    TControl* old = underMouse.Get();
    if (old == target)
        return;
    underMouse = target;
    if (old != nullptr)
        old->MouseLeave();
    if (target != nullptr && target->Alive() && underMouse.Get() == target)
        target->MouseEnter();
}

} // namespace

void Hover::Forget(TControl* control)
{
    if (underMouse.Get() == control)
        underMouse = nullptr;
    if (captured.Get() == control)
        captured = nullptr;
}

TControl* Hover::UnderMouse()
{
    return underMouse.Get();
}

TControl* Hover::Captured()
{
    return captured.Get();
}

TControl* Hover::TargetAt(TWinControl& host, int x, int y)
{
    if (TControl* graphic = host.ControlAtPos(TPoint{x, y}))
        return graphic;
    return host.Enabled() ? &host : nullptr;
}

void Hover::Press(TWinControl& host, const QMouseEvent& event, bool doubleClick)
{
    TMouseButton button;
    if (!ToButton(event.button(), button))
        return;
    DispatchScope scope;
    const QPoint point = ClientPointOf(host, event.position());
    TWeakRef<TControl> target = TargetAt(host, point.x(), point.y());
    if (!target)
        return;
    HoverTo(target.Get());
    if (!target)
        return;
    captured = target;
    TShiftState shift = ShiftStateOf(event.modifiers(), event.buttons());
    if (doubleClick) {
        shift |= ssDouble;
        suppressClick = button == TMouseButton::mbLeft;
        if (button == TMouseButton::mbLeft)
            target->DblClick();
    }
    if (!target)
        return;
    const TPoint at = InTarget(host, *target.Get(), point);
    target->MouseDown(button, shift, at.x, at.y);
}

void Hover::Release(TWinControl& host, const QMouseEvent& event)
{
    TMouseButton button;
    if (!ToButton(event.button(), button))
        return;
    DispatchScope scope;
    const QPoint point = ClientPointOf(host, event.position());
    TWeakRef<TControl> target = captured ? captured : TWeakRef<TControl>(TargetAt(host, point.x(), point.y()));
    if (event.buttons() == Qt::NoButton)
        captured = nullptr;
    const bool wasDouble = suppressClick;
    suppressClick = false;
    if (!target || HostOf(*target.Get()) != &host)
        return;
    const TPoint at = InTarget(host, *target.Get(), point);
    const bool inside = at.x >= 0 && at.y >= 0 && at.x < target->Width() && at.y < target->Height();
    if (button == TMouseButton::mbLeft && inside && !wasDouble)
        target->Click();
    if (target)
        target->MouseUp(button, ShiftStateOf(event.modifiers(), event.buttons()), at.x, at.y);
    if (!captured && host.Alive()) {
        TControl* now = TargetAt(host, point.x(), point.y());
        HoverTo(point.x() >= 0 && point.y() >= 0 && point.x() < host.ClientWidth() && point.y() < host.ClientHeight()
                    ? now
                    : nullptr);
        ShowCursorOf(host, underMouse.Get());
    }
}

void Hover::Move(TWinControl& host, const QMouseEvent& event)
{
    DispatchScope scope;
    const QPoint point = ClientPointOf(host, event.position());
    const TShiftState shift = ShiftStateOf(event.modifiers(), event.buttons());
    if (TControl* held = captured.Get()) {
        if (HostOf(*held) != &host)
            return;
        const TPoint at = InTarget(host, *held, point);
        held->MouseMove(shift, at.x, at.y);
        return;
    }
    TWeakRef<TControl> target = TargetAt(host, point.x(), point.y());
    HoverTo(target.Get());
    ShowCursorOf(host, target.Get());
    if (!target)
        return;
    const TPoint at = InTarget(host, *target.Get(), point);
    target->MouseMove(shift, at.x, at.y);
}

void Hover::Leave(TWinControl& host)
{
    if (captured)
        return;
    TControl* current = underMouse.Get();
    if (current == nullptr || HostOf(*current) != &host)
        return;
    DispatchScope scope;
    HoverTo(nullptr);
}

} // namespace plat
