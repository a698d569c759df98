#include "platform/gui/component.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/hover.h"
#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/win_control.h"

#include <QCloseEvent>
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
        TControl* target = Hover::TargetAt(*control, help->pos().x(), help->pos().y());
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
    PaintControlTree(*control, painter, event->rect());
}

void ControlWidget::mousePressEvent(QMouseEvent* event)
{
    if (control != nullptr)
        Hover::Press(*control, *event, false);
}

void ControlWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (control != nullptr)
        Hover::Press(*control, *event, true);
}

void ControlWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (control != nullptr)
        Hover::Release(*control, *event);
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

void ControlWidget::keyPressEvent(QKeyEvent* event)
{
    if (control == nullptr)
        return;
    DispatchScope scope;
    TWeakRef<TWinControl> self(control);
    uint16_t key = VirtualKeyOf(*event);
    if (key != 0 && control->OnKeyDown) {
        auto slot = control->OnKeyDown;
        slot(control, key, ShiftStateOf(event->modifiers(), Qt::NoButton));
    }
    if (!self || event->text().isEmpty())
        return;
    for (const char byte : FromQString(event->text())) {
        if (!self || !self->OnKeyPress)
            return;
        char typed = byte;
        auto slot = self->OnKeyPress;
        slot(self.Get(), typed);
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
        form->Close();
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
            form->Perform(WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    QWidget::changeEvent(event);
}

} // namespace plat
