#pragma once

#include "platform/gui/control.h"
#include "platform/gui/menu.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

struct WinControlImpl;

using TKeyEvent = std::function<void(TComponent* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;

// A control with a window of its own (a Qt widget behind the API). It paints
// its background and content, then its graphic children in z-order; windowed
// children always lie above graphic ones. A parentless one (other than a
// form) never becomes a window.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);

    void SetParent(TWinControl* parent) override;
    bool IsWindowed() const override { return true; }
    void Invalidate() override;

    // Children in z-order, bottom first.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(static_cast<size_t>(index)); }

    // Insets the area that aligned children fill.
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);
    // Places the aligned children: top-aligned ones stack from the top in
    // creation order, a client-aligned one fills the rest.
    void Realign();

    // Counted; painting is frozen until the count is back at 0.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    // The top-most visible and enabled graphic child at a client point.
    TControl* ControlAtPos(TPoint point) const;

    // Does nothing when the control cannot take the focus.
    void SetFocus();
    bool Focused() const;
    // Shown (parents included, on a form) and enabled.
    bool CanFocus() const;
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);

    // Opens on the right button's release over the control.
    TPopupMenu* PopupMenu() const { return popupMenu_.Get(); }
    void SetPopupMenu(TPopupMenu* menu);

    TNotifyEvent OnResize;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    // Windows key numbers; setting key 0 stops the key.
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    // A CP1250 character; setting 0 stops it.
    TKeyPressEvent OnKeyPress;

    // The key path every windowed control shares; true when the key was
    // used up and the Qt widget must not see it.
    bool KeyDown(uint16_t& key, TShiftState shift);
    void KeyUp(uint16_t key, TShiftState shift);
    bool KeyPress(char& key);
    // An Enter that the control itself wants (a memo's new line).
    virtual bool WantsReturn() const { return false; }

    WinControlImpl& Impl() const { return *impl_; }

    // Paints the background and own content (before graphic children).
    virtual void PaintWindow(TCanvas& canvas);
    // What the background and an editor inside fill with: Color, unless the
    // control shows another colour while it has the focus.
    virtual TColor FillColor() const { return Color(); }

    // Where the client area starts in the control's window (a form's menu
    // bar lies above it).
    virtual TPoint ClientOffset() const { return TPoint{0, 0}; }

protected:
    ~TWinControl() override;
    void Detach() override;
    void BoundsChanged(bool sizeChanged) override;
    void VisibilityChanged() override;
    void EnabledChanged() override;
    void FontChanged() override;
    void HintChanged() override;
    void CursorChanged() override;
    void ZOrderChanged() override;
    // The rectangle aligned children fill, in client coordinates.
    virtual TRect AlignRect() const;
    // The control's own use of a key its handlers left alone (a button's
    // Space); true when used up.
    virtual bool OwnKeyDown(uint16_t /*key*/, TShiftState /*shift*/) { return false; }
    virtual void OwnKeyUp(uint16_t /*key*/, TShiftState /*shift*/) {}
    // Pushes the stored geometry and visibility to the widget.
    virtual void ApplyGeometry();
    virtual void ApplyVisibility();
    void Resized();
    // The client area moved inside the window: the children follow.
    void ClientOffsetChanged();

private:
    friend class TControl;

    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    std::vector<TControl*> controls_;
    std::unique_ptr<WinControlImpl> impl_;
    int borderWidth_ = 0;
    int updateCount_ = 0;
    bool aligning_ = false;
    bool tabStop_ = false;
    TWeakRef<TPopupMenu> popupMenu_;
};

} // namespace plat
