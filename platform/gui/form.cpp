#include "platform/gui/form.h"

#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"

#include <algorithm>

namespace plat {

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    SetVisible(false);
    SetBounds(0, 0, 640, 480);
    ApplyWindowFlags();
}

void TForm::SetVisible(bool visible)
{
    const bool was = Visible();
    TWinControl::SetVisible(visible);
    if (was == visible)
        return;
    DispatchScope scope;
    if (visible) {
        WindowGeometryChanged();
        if (auto slot = OnShow)
            slot(this);
    } else if (auto slot = OnHide) {
        slot(this);
    }
}

bool TForm::Showing() const
{
    return Visible() && Alive();
}

int TForm::ClientWidth() const
{
    return Width() - frameWidth_;
}

int TForm::ClientHeight() const
{
    return Height() - frameHeight_;
}

void TForm::ApplyGeometry()
{
    if (applying_)
        return;
    QWidget* widget = Impl().widget;
    widget->move(Left(), Top());
    widget->resize(std::max(0, ClientWidth()), std::max(0, ClientHeight()));
}

void TForm::ApplyVisibility()
{
    Impl().widget->setVisible(Visible());
}

void TForm::CaptionChanged()
{
    Impl().widget->setWindowTitle(ToQString(Caption()));
}

void TForm::WindowGeometryChanged()
{
    QWidget* widget = Impl().widget;
    if (widget == nullptr || !widget->isVisible() || applying_)
        return;
    const QRect frame = widget->frameGeometry();
    const QRect client = widget->geometry();
    frameWidth_ = frame.width() - client.width();
    frameHeight_ = frame.height() - client.height();
    applying_ = true;
    StoreBounds(frame.x(), frame.y(), client.width() + frameWidth_, client.height() + frameHeight_);
    applying_ = false;
}

void TForm::ApplyWindowFlags()
{
    Qt::WindowFlags flags;
    switch (borderStyle_) {
    case TFormBorderStyle::bsNone:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
        flags = Qt::Tool;
        break;
    case TFormBorderStyle::bsDialog:
        flags = Qt::Dialog;
        break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsSizeable:
        flags = Qt::Window;
        break;
    }
    if (borderStyle_ != TFormBorderStyle::bsNone) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons_ & biSystemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (borderIcons_ & biMinimize)
            flags |= Qt::WindowMinimizeButtonHint;
        if (borderIcons_ & biMaximize)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    QWidget* widget = Impl().widget;
    widget->setWindowFlags(flags);
    // Changing the flags hides the window.
    if (Visible())
        widget->show();
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons)
{
    if (icons == borderIcons_)
        return;
    borderIcons_ = icons;
    ApplyWindowFlags();
}

void TForm::SetWindowState(TWindowState state)
{
    windowState_ = state;
    Qt::WindowStates states = Qt::WindowNoState;
    if (state == TWindowState::wsMinimized)
        states = Qt::WindowMinimized;
    else if (state == TWindowState::wsMaximized)
        states = Qt::WindowMaximized;
    Impl().widget->setWindowState(states);
}

void TForm::SetMinSize(int width, int height)
{
    minWidth_ = std::max(0, width);
    minHeight_ = std::max(0, height);
    Impl().widget->setMinimumSize(std::max(0, minWidth_ - frameWidth_), std::max(0, minHeight_ - frameHeight_));
}

void TForm::Close()
{
    Perform(WM_CLOSE, 0, 0);
}

LRESULT TForm::Dispatch(TMessageId message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE)
        Hide();
    return 0;
}

LRESULT TForm::Perform(TMessageId message, WPARAM wParam, LPARAM lParam)
{
    DispatchScope scope;
    return Dispatch(message, wParam, lParam);
}

bool TForm::MouseWheel(int delta, TShiftState shift, TPoint screenPos)
{
    DispatchScope scope;
    bool handled = false;
    auto slot = delta > 0 ? OnMouseWheelUp : OnMouseWheelDown;
    if (slot)
        slot(this, shift, screenPos, handled);
    return handled;
}

TPoint TForm::ClientOrigin() const
{
    const QPoint origin = Impl().widget->mapToGlobal(QPoint(0, 0));
    return TPoint{origin.x(), origin.y()};
}

void TForm::Detach()
{
    if (auto slot = OnDestroy) {
        DispatchScope scope;
        slot(this);
    }
    OnShow = nullptr;
    OnHide = nullptr;
    OnDestroy = nullptr;
    OnMouseWheelUp = nullptr;
    OnMouseWheelDown = nullptr;
    TWinControl::Detach();
}

} // namespace plat
