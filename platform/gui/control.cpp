#include "platform/gui/control.h"

#include "platform/gui/form.h"
#include "platform/gui/internal/hover.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/win_control.h"

#include <algorithm>
#include <atomic>

namespace plat {
namespace {

THandle NextHandle()
{
    static std::atomic<THandle> next{1};
    return next.fetch_add(1);
}

} // namespace

TControl::TControl(TComponent* owner) : TComponent(owner), handle_(NextHandle())
{
    font_.OnChange = [this] { FontChanged(); };
}

void TControl::SetParent(TWinControl* parent)
{
    RequireMainThread(ClassName(), "SetParent");
    if (parent == parent_ || !Alive())
        return;
    TWinControl* old = parent_;
    if (old != nullptr)
        old->RemoveControl(this);
    parent_ = parent;
    if (parent_ != nullptr) {
        parent_->InsertControl(this);
        if (parentFont_)
            ParentFontChanged();
        if (parentColor_)
            ParentColorChanged();
    }
    if (old != nullptr && align_ != TAlign::alNone)
        old->Realign();
    if (parent_ != nullptr && align_ != TAlign::alNone)
        parent_->Realign();
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    RequireMainThread(ClassName(), "SetBounds");
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    StoreBounds(left, top, width, height);
    if (parent_ != nullptr && align_ != TAlign::alNone && visible_)
        parent_->Realign();
}

void TControl::StoreBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    const bool sizeChanged = width != width_ || height != height_;
    if (!IsWindowed() && parent_ != nullptr)
        Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged(sizeChanged);
}

void TControl::BoundsChanged(bool)
{
    Invalidate();
}

void TControl::SetClientWidth(int width)
{
    SetWidth(width_ - ClientWidth() + width);
}

void TControl::SetClientHeight(int height)
{
    SetHeight(height_ - ClientHeight() + height);
}

void TControl::SetVisible(bool visible)
{
    RequireMainThread(ClassName(), "SetVisible");
    if (visible == visible_)
        return;
    if (!visible)
        Invalidate();
    visible_ = visible;
    VisibilityChanged();
    if (parent_ != nullptr && align_ != TAlign::alNone)
        parent_->Realign();
}

void TControl::VisibilityChanged()
{
    Invalidate();
    if (!Showing())
        Hover::Forget(this);
}

bool TControl::Showing() const
{
    return visible_ && Alive() && parent_ != nullptr && parent_->Showing();
}

void TControl::SetEnabled(bool enabled)
{
    RequireMainThread(ClassName(), "SetEnabled");
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    EnabledChanged();
    Invalidate();
}

TColor TControl::Color() const
{
    if (parentColor_ && parent_ != nullptr)
        return parent_->Color();
    return color_;
}

void TControl::SetColor(TColor color)
{
    RequireMainThread(ClassName(), "SetColor");
    if (color == color_ && !parentColor_)
        return;
    color_ = color;
    parentColor_ = false;
    ParentColorChanged();
}

void TControl::SetParentColor(bool parentColor)
{
    if (parentColor == parentColor_)
        return;
    parentColor_ = parentColor;
    ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    Invalidate();
    if (auto* windowed = dynamic_cast<TWinControl*>(this)) {
        for (int i = 0; i < windowed->ControlCount(); ++i)
            if (windowed->Controls(i)->parentColor_)
                windowed->Controls(i)->ParentColorChanged();
    }
}

void TControl::SetParentFont(bool parentFont)
{
    parentFont_ = parentFont;
    if (parentFont_)
        ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (parent_ == nullptr)
        return;
    applyingParentFont_ = true;
    font_.Assign(parent_->Font());
    applyingParentFont_ = false;
}

void TControl::FontChanged()
{
    if (!applyingParentFont_)
        parentFont_ = false;
    Invalidate();
    if (auto* windowed = dynamic_cast<TWinControl*>(this)) {
        for (int i = 0; i < windowed->ControlCount(); ++i)
            if (windowed->Controls(i)->parentFont_)
                windowed->Controls(i)->ParentFontChanged();
    }
}

void TControl::SetCaption(const std::string& caption)
{
    RequireMainThread(ClassName(), "SetCaption");
    if (caption == caption_)
        return;
    caption_ = caption;
    CaptionChanged();
}

void TControl::SetHint(const std::string& hint)
{
    RequireMainThread(ClassName(), "SetHint");
    if (hint == hint_)
        return;
    hint_ = hint;
    HintChanged();
}

void TControl::SetShowHint(bool showHint)
{
    showHint_ = showHint;
    HintChanged();
}

void TControl::SetCursor(TCursor cursor)
{
    RequireMainThread(ClassName(), "SetCursor");
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    CursorChanged();
}

void TControl::SetAlign(TAlign align)
{
    RequireMainThread(ClassName(), "SetAlign");
    if (align == align_)
        return;
    align_ = align;
    if (parent_ != nullptr)
        parent_->Realign();
}

void TControl::BringToFront()
{
    RequireMainThread(ClassName(), "BringToFront");
    if (auto* form = dynamic_cast<TForm*>(this); form != nullptr && form->Visible()) {
        form->Impl().widget->raise();
        form->Activate();
    }
    if (parent_ == nullptr)
        return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    ZOrderChanged();
}

void TControl::SendToBack()
{
    RequireMainThread(ClassName(), "SendToBack");
    if (parent_ == nullptr)
        return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
    ZOrderChanged();
}

void TControl::Invalidate()
{
    if (parent_ != nullptr && visible_)
        parent_->Impl().InvalidateArea(BoundsRect());
}

TPoint TControl::ClientOrigin() const
{
    if (parent_ == nullptr)
        return TPoint{left_, top_};
    const TPoint origin = parent_->ClientOrigin();
    return TPoint{origin.x + left_, origin.y + top_};
}

TPoint TControl::ClientToScreen(TPoint point) const
{
    const TPoint origin = ClientOrigin();
    return TPoint{point.x + origin.x, point.y + origin.y};
}

TPoint TControl::ScreenToClient(TPoint point) const
{
    const TPoint origin = ClientOrigin();
    return TPoint{point.x - origin.x, point.y - origin.y};
}

TPoint TScreenOrigins::Of(const TControl& control)
{
    TPoint offset{0, 0};
    const TControl* at = &control;
    for (; !at->placesItself_ && at->parent_ != nullptr; at = at->parent_) {
        offset.x += at->left_;
        offset.y += at->top_;
    }
    if (!at->placesItself_)
        return TPoint{at->left_ + offset.x, at->top_ + offset.y};
    for (const auto& [window, origin] : windows_) {
        if (window == at)
            return TPoint{origin.x + offset.x, origin.y + offset.y};
    }
    const TPoint origin = at->ClientOrigin();
    windows_.emplace_back(at, origin);
    return TPoint{origin.x + offset.x, origin.y + offset.y};
}

TForm* TControl::ParentForm() const
{
    const TControl* control = this;
    while (control != nullptr) {
        if (auto* form = dynamic_cast<TForm*>(const_cast<TControl*>(control)))
            return form;
        control = control->parent_;
    }
    return nullptr;
}

void TControl::Detach()
{
    Hover::Forget(this);
    if (parent_ != nullptr) {
        Invalidate();
        TWinControl* parent = parent_;
        parent->RemoveControl(this);
        parent_ = nullptr;
        if (align_ != TAlign::alNone)
            parent->Realign();
    }
    OnMouseDown = nullptr;
    OnMouseUp = nullptr;
    OnMouseMove = nullptr;
    OnClick = nullptr;
    OnDblClick = nullptr;
    OnMouseEnter = nullptr;
    OnMouseLeave = nullptr;
    font_.OnChange = nullptr;
    TComponent::Detach();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    Invalidate();
    if (auto slot = OnMouseDown)
        slot(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    Invalidate();
    if (auto slot = OnMouseUp)
        slot(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (auto slot = OnMouseMove)
        slot(this, shift, x, y);
}

void TControl::Click()
{
    if (auto slot = OnClick)
        slot(this);
}

void TControl::DblClick()
{
    if (auto slot = OnDblClick)
        slot(this);
}

void TControl::MouseEnter()
{
    // Pressed and hot looks follow the mouse.
    Invalidate();
    if (auto slot = OnMouseEnter)
        slot(this);
}

void TControl::MouseLeave()
{
    // Pressed and hot looks follow the mouse.
    Invalidate();
    if (auto slot = OnMouseLeave)
        slot(this);
}

} // namespace plat
