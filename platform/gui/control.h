#pragma once

#include "platform/gui/component.h"
#include "platform/gui/font.h"
#include "platform/gui/types.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace plat {

class TCanvas;
class TForm;
class TWinControl;

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;

// What every control has. The layer object owns the state and reads back
// exactly what was set: a Qt widget, where there is one, only shows it.
// Coordinates are relative to the parent's client area; sizes may be 0 and
// positions negative.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);

    // Parent: a windowed control or none. A control joins its new parent's
    // list on top of the z-order of its kind.
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    // The control's own flag; Showing() also needs every parent shown.
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    virtual bool Showing() const;

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    // A control with ParentColor draws its parent's colour.
    TColor Color() const;
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);

    // Changing the font clears ParentFont; setting ParentFont takes the
    // parent's font again.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);

    // CP1250 bytes, shown as they are ("&" stays "&").
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool showHint);

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);

    void BringToFront();
    void SendToBack();
    // Asks for a repaint of the control's area.
    virtual void Invalidate();
    void Repaint() { Invalidate(); }

    TPoint ClientToScreen(TPoint point) const;
    TPoint ScreenToClient(TPoint point) const;

    THandle Handle() const { return handle_; }
    // The form the control sits on, following parents; null without one.
    TForm* ParentForm() const;
    virtual bool IsWindowed() const = 0;

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    // Fire the events; the mouse dispatch calls them. Each copies its slot
    // first, so a handler may free the control.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void Click();
    void DblClick();
    void MouseEnter();
    void MouseLeave();

protected:
    void Detach() override;
    // Called after the stored bounds changed.
    virtual void BoundsChanged(bool sizeChanged);
    virtual void VisibilityChanged();
    virtual void EnabledChanged() {}
    virtual void FontChanged();
    virtual void CaptionChanged() { Invalidate(); }
    virtual void HintChanged() {}
    virtual void CursorChanged() {}
    virtual void ZOrderChanged() { Invalidate(); }
    // Where the control sits in screen coordinates. A class that places
    // itself (a window) overrides it and sets placesItself_.
    virtual TPoint ClientOrigin() const;
    bool placesItself_ = false;
    // Stores bounds without notifying the parent's alignment.
    void StoreBounds(int left, int top, int width, int height);
    void ParentFontChanged();
    void ParentColorChanged();

private:
    friend class TWinControl;
    friend class TScreenOrigins;

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    TFont font_;
    bool parentFont_ = true;
    bool applyingParentFont_ = false;
    std::string caption_;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = crDefault;
    TAlign align_ = TAlign::alNone;
    THandle handle_;
};

// Screen origins of many controls' client areas at once, equal to what
// ClientToScreen gives: each window among their parents asks the window
// system once, the positions below it are summed. Valid while nothing moves.
class TScreenOrigins {
public:
    TPoint Of(const TControl& control);

private:
    std::vector<std::pair<const TControl*, TPoint>> windows_;
};

} // namespace plat
