#include "platform/gui/component.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/hover.h"
#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/menu.h"
#include "platform/gui/win_control.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

namespace plat {

ControlWidget::ControlWidget(TWinControl* owner) : control(owner)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
}

bool ControlWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && control != nullptr) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint point = ClientPointOf(*control, help->pos());
        TControl* target = Hover::TargetAt(*control, point.x(), point.y());
        if (target != nullptr && target != control) {
            if (target->ShowHint() && !target->Hint().empty())
                QToolTip::showText(help->globalPos(), ToolTipFor(target->Hint()), this);
            else
                QToolTip::hideText();
            return true;
        }
    }
    return QWidget::event(event);
}

void ControlWidget::paintEvent(QPaintEvent* event)
{
    if (control == nullptr)
        return;
    DispatchScope scope;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const TPoint offset = control->ClientOffset();
    painter.translate(offset.x, offset.y);
    PaintControlTree(*control, painter, event->rect().translated(-offset.x, -offset.y));
}

namespace {

// A click makes its form the active one at once.
void ActivateFormOf(TWinControl& control)
{
    if (TForm* form = control.ParentForm())
        form->Activate();
}

} // namespace

void ControlWidget::mousePressEvent(QMouseEvent* event)
{
    if (control == nullptr)
        return;
    TWeakRef<TWinControl> self(control);
    ActivateFormOf(*control);
    if (self)
        Hover::Press(*self.Get(), *event, false);
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (control != nullptr)
        Hover::Press(*control, *event, true);
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (control == nullptr)
        return;
    TWeakRef<TWinControl> self(control);
    Hover::Release(*control, *event);
    if (!self || event->button() != Qt::RightButton)
        return;
    const QPoint point = ClientPointOf(*self.Get(), event->position());
    if (Hover::TargetAt(*self.Get(), point.x(), point.y()) == self.Get())
        RouteRightRelease(*self.Get(), event->globalPosition().toPoint());
}

void ControlWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (control != nullptr)
        Hover::Move(*control, *event);
}

void ControlWidget::enterEvent(QEnterEvent* event)
{
    if (control == nullptr)
        return;
    const QMouseEvent move(QEvent::MouseMove, event->position(), event->globalPosition(), Qt::NoButton, Qt::NoButton,
                           event->modifiers());
    Hover::Move(*control, move);
}

void ControlWidget::leaveEvent(QEvent*)
{
    if (control != nullptr)
        Hover::Leave(*control);
}

// Keys an editor inside left unused come up here; the layer saw them already.
void ControlWidget::keyPressEvent(QKeyEvent* event)
{
    if (control == nullptr || control->Impl().editor != nullptr || !RouteKeyPress(*control, *event, *this))
        QWidget::keyPressEvent(event);
}

void ControlWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (control == nullptr || control->Impl().editor != nullptr || !RouteKeyRelease(*control, *event))
        QWidget::keyReleaseEvent(event);
}

void ControlWidget::focusInEvent(QFocusEvent* event)
{
    if (control != nullptr)
        RouteFocusIn(*control, event->reason());
    QWidget::focusInEvent(event);
}

namespace {

// A key event rebuilt with another text, for a character OnKeyPress changed.
bool resending = false;

} // namespace

bool RouteKeyPress(TWinControl& control, QKeyEvent& event, QWidget& receiver)
{
    if (resending)
        return false;
    DispatchScope scope;
    TWeakRef<TWinControl> self(&control);
    uint16_t key = VirtualKeyOf(event);
    if (key != 0 && control.KeyDown(key, ShiftStateOf(event.modifiers(), Qt::NoButton)))
        return true;
    if (!self || event.text().isEmpty())
        return !self;
    const std::string typed = FromQString(event.text());
    std::string passed;
    for (const char byte : typed) {
        char character = byte;
        if (!self || self->KeyPress(character))
            return true;
        passed.push_back(character);
    }
    if (passed == typed)
        return false;
    QKeyEvent changed(event.type(), event.key(), event.modifiers(), ToQString(passed), event.isAutoRepeat(),
                      static_cast<ushort>(event.count()));
    resending = true;
    QCoreApplication::sendEvent(&receiver, &changed);
    resending = false;
    return true;
}

bool RouteKeyRelease(TWinControl& control, QKeyEvent& event)
{
    // X11 reports a held key as release-press pairs: only the real release
    // counts.
    if (event.isAutoRepeat())
        return false;
    const uint16_t key = VirtualKeyOf(event);
    if (key != 0)
        control.KeyUp(key, ShiftStateOf(event.modifiers(), Qt::NoButton));
    return false;
}

void RouteFocusIn(TWinControl& control, Qt::FocusReason reason)
{
    // Window activation returns the focus to the same control: nothing moves.
    if (reason == Qt::PopupFocusReason)
        return;
    if (TForm* form = control.ParentForm())
        form->FocusMoved(&control);
}

bool RouteRightRelease(TWinControl& control, const QPoint& globalPos)
{
    TPopupMenu* menu = control.PopupMenu();
    if (menu == nullptr)
        return false;
    DispatchScope scope;
    menu->SetPopupComponent(&control);
    menu->Popup(globalPos.x(), globalPos.y());
    return true;
}

EditorFilter::EditorFilter(TWinControl* owner, QWidget* editor) : QObject(editor), control(owner)
{
    editor->installEventFilter(this);
}

bool EditorFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (control == nullptr)
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::KeyPress:
        return RouteKeyPress(*control, *static_cast<QKeyEvent*>(event), *receiver);
    case QEvent::KeyRelease:
        return RouteKeyRelease(*control, *static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        receiver->parentWidget()->update();
        RouteFocusIn(*control, static_cast<QFocusEvent*>(event)->reason());
        return false;
    case QEvent::FocusOut:
        receiver->parentWidget()->update();
        return false;
    case QEvent::MouseButtonPress:
        ActivateFormOf(*control);
        // The click gives the editor the focus. While the window system has
        // not activated the window, Qt only notes it and sends no focus-in,
        // yet the keys come here: the layer moves its focus itself.
        if (control != nullptr && (receiver->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus && control->CanFocus())
            if (TForm* form = control->ParentForm())
                form->FocusMoved(control);
        return control == nullptr;
    case QEvent::ContextMenu:
        // The layer's own popup menu, or none: never Qt's.
        return true;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            return RouteRightRelease(*control, mouse->globalPosition().toPoint());
        return false;
    }
    default:
        return false;
    }
}

void ControlWidget::resizeEvent(QResizeEvent*)
{
    if (control != nullptr && isWindow())
        if (auto* form = dynamic_cast<TForm*>(control))
            form->WindowGeometryChanged();
}

void ControlWidget::moveEvent(QMoveEvent*)
{
    if (control != nullptr && isWindow())
        if (auto* form = dynamic_cast<TForm*>(control))
            form->WindowGeometryChanged();
}

void ControlWidget::closeEvent(QCloseEvent* event)
{
    // The form decides through its message handler.
    event->ignore();
    if (auto* form = dynamic_cast<TForm*>(control))
        form->Perform(WM_CLOSE, 0, 0);
}

void ControlWidget::showEvent(QShowEvent*)
{
    if (control != nullptr && isWindow())
        if (auto* form = dynamic_cast<TForm*>(control))
            form->WindowGeometryChanged();
}

void ControlWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && control != nullptr && isWindow())
        if (auto* form = dynamic_cast<TForm*>(control))
            form->WindowActivationChanged(isActiveWindow());
    if (event->type() == QEvent::WindowStateChange && control != nullptr && isWindow())
        if (auto* form = dynamic_cast<TForm*>(control))
            form->WindowStateChanged();
    QWidget::changeEvent(event);
}

} // namespace plat
