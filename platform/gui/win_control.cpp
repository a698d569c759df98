#include "platform/gui/win_control.h"

#include "platform/gui/component.h"
#include "platform/gui/form.h"
#include "platform/gui/internal/canvas_impl.h"
#include "platform/gui/internal/font_face.h"
#include "platform/gui/internal/hover.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <iterator>

namespace plat {

TWinControl::TWinControl(TComponent* owner) : TControl(owner), impl_(std::make_unique<WinControlImpl>())
{
    impl_->widget = new ControlWidget(this);
}

TWinControl::~TWinControl()
{
    impl_->ReleaseWidget();
}

void TWinControl::Detach()
{
    if (impl_->widget != nullptr) {
        // Hand the focus to the window first: Qt moving it on from a widget
        // being hidden can reach editors already on their way out.
        QWidget* focus = QApplication::focusWidget();
        QWidget* window = impl_->widget->window();
        if (focus != nullptr && window != impl_->widget && impl_->widget->isAncestorOf(focus))
            window->setFocus(Qt::OtherFocusReason);
        impl_->widget->control = nullptr;
        // Hidden before the children go, so Qt hides the whole subtree in
        // one pass. The widget stays with its parent until it is deleted:
        // taking it out now makes Qt walk the window's focus chain once per
        // freed control. Children are always deleted before or with their
        // parent's widget, since they are freed first.
        impl_->widget->hide();
    }
    while (!controls_.empty())
        controls_.back()->Free();
    if (impl_->filter != nullptr)
        impl_->filter->control = nullptr;
    if (TForm* form = ParentForm(); form != nullptr && form->ActiveControl() == this)
        form->SetActiveControl(nullptr);
    OnResize = nullptr;
    OnEnter = nullptr;
    OnExit = nullptr;
    OnKeyDown = nullptr;
    OnKeyUp = nullptr;
    OnKeyPress = nullptr;
    TControl::Detach();
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == Parent() || !Alive())
        return;
    QWidget* widget = impl_->widget;
    widget->hide();
    // Taking a widget out of its window makes Qt walk the window's whole
    // focus chain. A parentless control is never shown, so its widget stays
    // under the last parent, hidden, until it gets a new one or that parent's
    // widget goes (ReleaseWidget). A form shows without a parent: it leaves.
    if (parent != nullptr)
        widget->setParent(parent->impl_->widget);
    else if (dynamic_cast<TForm*>(this) != nullptr)
        widget->setParent(nullptr);
    TControl::SetParent(parent);
    ApplyGeometry();
    ApplyVisibility();
}

void TWinControl::InsertControl(TControl* control)
{
    controls_.push_back(control);
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        windowed->impl_->widget->raise();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control)
{
    // From the back: controls mostly go in the reverse of their making.
    auto found = std::find(controls_.rbegin(), controls_.rend(), control);
    if (found != controls_.rend())
        controls_.erase(std::next(found).base());
}

void TWinControl::Invalidate()
{
    if (impl_->widget != nullptr)
        impl_->widget->update();
    if (impl_->editor != nullptr && Alive()) {
        // Colour and font changes reach the editor inside too.
        impl_->editor->setFont(FaceFor(Font()).font);
        QPalette palette = impl_->editor->palette();
        palette.setColor(QPalette::Base, ToQColor(FillColor()));
        palette.setColor(QPalette::Window, ToQColor(FillColor()));
        palette.setColor(QPalette::Text, ToQColor(Font().Color()));
        palette.setColor(QPalette::WindowText, ToQColor(Font().Color()));
        palette.setColor(QPalette::ButtonText, ToQColor(Font().Color()));
        impl_->editor->setPalette(palette);
    }
}

void TWinControl::ZOrderChanged()
{
    impl_->widget->lower();
    // Qt keeps its own order of sibling widgets: restack every windowed
    // sibling in the layer's order.
    if (Parent() != nullptr) {
        for (int i = 0; i < Parent()->ControlCount(); ++i)
            if (auto* sibling = dynamic_cast<TWinControl*>(Parent()->Controls(i)))
                sibling->impl_->widget->raise();
    }
}

void TWinControl::SetBorderWidth(int width)
{
    if (width == borderWidth_)
        return;
    borderWidth_ = width;
    Realign();
    Invalidate();
}

TRect TWinControl::AlignRect() const
{
    return Rect(borderWidth_, borderWidth_, ClientWidth() - borderWidth_, ClientHeight() - borderWidth_);
}

void TWinControl::Realign()
{
    if (aligning_ || !Alive())
        return;
    aligning_ = true;
    TRect rest = AlignRect();
    for (TControl* child : controls_) {
        if (child->Align() != TAlign::alTop || !child->Visible())
            continue;
        child->StoreBounds(rest.Left, rest.Top, rest.Width(), child->Height());
        rest.Top += child->Height();
    }
    for (TControl* child : controls_) {
        if (child->Align() != TAlign::alClient || !child->Visible())
            continue;
        child->StoreBounds(rest.Left, rest.Top, std::max(0, rest.Width()), std::max(0, rest.Height()));
    }
    aligning_ = false;
}

void TWinControl::BeginUpdate()
{
    if (updateCount_++ == 0)
        impl_->widget->setUpdatesEnabled(false);
}

void TWinControl::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    if (--updateCount_ == 0) {
        impl_->widget->setUpdatesEnabled(true);
        impl_->widget->update();
    }
}

TControl* TWinControl::ControlAtPos(TPoint point) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* child = *it;
        if (child->IsWindowed() || !child->Visible() || !child->Enabled())
            continue;
        if (point.x >= child->Left() && point.x < child->Left() + child->Width() && point.y >= child->Top() &&
            point.y < child->Top() + child->Height())
            return child;
    }
    return nullptr;
}

void TWinControl::SetFocus()
{
    RequireMainThread(ClassName(), "SetFocus");
    if (!CanFocus())
        return;
    TForm* form = ParentForm();
    form->Activate();
    impl_->widget->setFocus(Qt::OtherFocusReason);
    // The window system may deliver the focus later, or never offscreen.
    form->FocusMoved(this);
}

bool TWinControl::Focused() const
{
    // The layer follows the focus itself: the window system may deliver it
    // later, or never offscreen.
    const TForm* form = ParentForm();
    return form != nullptr && form->ActiveControl() == this && Application::ActiveForm() == form;
}

bool TWinControl::CanFocus() const
{
    if (!Alive())
        return false;
    const TForm* form = ParentForm();
    if (form == nullptr || !form->Visible() || !form->Enabled())
        return false;
    for (const TControl* control = this; control != form; control = control->Parent())
        if (control == nullptr || !control->Visible() || !control->Enabled())
            return false;
    return true;
}

void TWinControl::SetTabStop(bool tabStop)
{
    tabStop_ = tabStop;
    QWidget* target = impl_->widget->focusProxy() != nullptr ? impl_->widget->focusProxy() : impl_->widget;
    target->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TWinControl::SetPopupMenu(TPopupMenu* menu)
{
    popupMenu_ = menu;
}

bool TWinControl::KeyDown(uint16_t& key, TShiftState shift)
{
    DispatchScope scope;
    TWeakRef<TWinControl> self(this);
    const bool dialogKey = (key == 0x0D || key == 0x1B) && (shift & (ssCtrl | ssAlt)) == 0;
    if (dialogKey && !(key == 0x0D && WantsReturn()))
        if (TForm* form = ParentForm(); form != nullptr && form->DialogKey(key, this))
            return true;
    if (!self)
        return true;
    if (auto slot = OnKeyDown)
        slot(this, key, shift);
    if (!self || key == 0)
        return true;
    return OwnKeyDown(key, shift);
}

void TWinControl::KeyUp(uint16_t key, TShiftState shift)
{
    DispatchScope scope;
    TWeakRef<TWinControl> self(this);
    if (auto slot = OnKeyUp)
        slot(this, key, shift);
    if (self && key != 0)
        OwnKeyUp(key, shift);
}

bool TWinControl::KeyPress(char& key)
{
    DispatchScope scope;
    TWeakRef<TWinControl> self(this);
    if (auto slot = OnKeyPress)
        slot(this, key);
    return !self || key == 0;
}

void TWinControl::PaintWindow(TCanvas& canvas)
{
    canvas.Brush.Color = FillColor();
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.FillRect(Rect(0, 0, ClientWidth(), ClientHeight()));
}

void TWinControl::BoundsChanged(bool sizeChanged)
{
    ApplyGeometry();
    if (sizeChanged) {
        Realign();
        Resized();
    }
}

void TWinControl::Resized()
{
    DispatchScope scope;
    if (auto slot = OnResize)
        slot(this);
}

void TWinControl::ApplyGeometry()
{
    const TPoint offset = Parent() != nullptr ? Parent()->ClientOffset() : TPoint{0, 0};
    QWidget* widget = impl_->widget;
    const QRect geometry(Left() + offset.x, Top() + offset.y, std::max(0, Width()), std::max(0, Height()));
    if (geometry.size() == widget->size() && geometry.topLeft() != widget->pos() && widget->isVisible() &&
        !widget->isWindow() && widget->testAttribute(Qt::WA_OpaquePaintEvent)) {
        // Before Qt moves an opaque widget by copying its pixels it checks
        // every sibling of the widget and of each ancestor for an overlap;
        // under a parent with thousands of controls that costs far more
        // than painting the old and the new place again, which Qt does
        // for a widget it does not take as opaque.
        widget->setAttribute(Qt::WA_OpaquePaintEvent, false);
        widget->setGeometry(geometry);
        widget->setAttribute(Qt::WA_OpaquePaintEvent, true);
    } else {
        widget->setGeometry(geometry);
    }
    impl_->PlaceEditor();
}

void TWinControl::ClientOffsetChanged()
{
    for (TControl* child : controls_)
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->ApplyGeometry();
    Invalidate();
}

void TWinControl::ApplyVisibility()
{
    // A parentless control never becomes a window of its own.
    impl_->widget->setVisible(Visible() && Parent() != nullptr);
}

void TWinControl::VisibilityChanged()
{
    ApplyVisibility();
    TControl::VisibilityChanged();
}

void TWinControl::EnabledChanged()
{
    impl_->widget->setEnabled(Enabled());
}

void TWinControl::FontChanged()
{
    TControl::FontChanged();
}

void TWinControl::HintChanged()
{
    impl_->widget->setToolTip(ShowHint() ? ToolTipFor(Hint()) : QString());
}

void TWinControl::CursorChanged()
{
    impl_->widget->setCursor(ToQCursor(Cursor()));
}

void WinControlImpl::AttachEditor(TWinControl* control, QWidget* inner, int inset)
{
    editor = inner;
    editorInset = inset;
    inner->setParent(widget);
    filter = new EditorFilter(control, inner);
    widget->setFocusProxy(inner);
    inner->setFocusPolicy(Qt::ClickFocus);
    PlaceEditor();
    inner->show();
}

void WinControlImpl::PlaceEditor() const
{
    if (editor != nullptr)
        editor->setGeometry(widget->rect().adjusted(editorInset, editorInset, -editorInset, -editorInset));
}

void WinControlImpl::InvalidateArea(const TRect& area) const
{
    if (widget == nullptr)
        return;
    const TPoint offset = widget->control != nullptr ? widget->control->ClientOffset() : TPoint{0, 0};
    widget->update(ToQRect(area).translated(offset.x, offset.y));
}

void WinControlImpl::ReleaseWidget()
{
    if (widget == nullptr)
        return;
    widget->control = nullptr;
    // Live controls whose widgets stayed here after leaving this parent.
    const QObjectList children = widget->children();
    for (QObject* child : children) {
        if (auto* parked = dynamic_cast<ControlWidget*>(child); parked != nullptr && parked->control != nullptr)
            parked->setParent(nullptr);
    }
    if (DispatchScope::Unwinding())
        widget->deleteLater();
    else
        delete widget;
    widget = nullptr;
}

QPoint ClientPointOf(const TWinControl& control, const QPointF& widgetPoint)
{
    const TPoint offset = control.ClientOffset();
    return widgetPoint.toPoint() - QPoint(offset.x, offset.y);
}

void PaintControlTree(TWinControl& control, QPainter& painter, const QRect& area)
{
    TCanvas canvas(CanvasImpl::ForPainter(painter));
    control.PaintWindow(canvas);
    for (int i = 0; i < control.ControlCount(); ++i) {
        TControl* child = control.Controls(i);
        if (child->IsWindowed() || !child->Visible() || child->Width() <= 0 || child->Height() <= 0)
            continue;
        const QRect bounds(child->Left(), child->Top(), child->Width(), child->Height());
        if (!bounds.intersects(area))
            continue;
        painter.save();
        painter.setClipRect(bounds, Qt::IntersectClip);
        painter.translate(child->Left(), child->Top());
        TCanvas childCanvas(CanvasImpl::ForPainter(painter));
        static_cast<TGraphicControl*>(child)->Paint(childCanvas);
        painter.restore();
    }
}

} // namespace plat
