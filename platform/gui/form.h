#pragma once

#include "platform/gui/messages.h"
#include "platform/gui/win_control.h"

#include <functional>

namespace plat {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using TBorderIcons = unsigned;
constexpr TBorderIcons biSystemMenu = 1;
constexpr TBorderIcons biMinimize = 2;
constexpr TBorderIcons biMaximize = 4;

using TMouseWheelUpDownEvent =
    std::function<void(TComponent* sender, TShiftState shift, TPoint mousePos, bool& handled)>;

// A top-level window. Left, Top, Width and Height are the outer bounds: the
// client size plus the window manager's frame once the frame is known
// (there is none offscreen). The caption is the window title.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner = nullptr);
    const char* ClassName() const override { return "TForm"; }

    void SetVisible(bool visible) override;
    bool Showing() const override;
    int ClientWidth() const override;
    int ClientHeight() const override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // Constraints of the outer size; 0 = none.
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    void SetMinSize(int width, int height);

    // Ends the form's showing; the close message goes through Dispatch.
    void Close();

    // The form's message handler. Overrides handle their messages and pass
    // the rest to the inherited one. WM_CLOSE hides the form.
    virtual LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam);
    // Sends a message to the form now, as the system would.
    LRESULT Perform(TMessageId message, WPARAM wParam, LPARAM lParam);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnDestroy;
    // The form sees each wheel event over it before its controls do;
    // mousePos is in screen coordinates; handled stops it there.
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TMouseWheelUpDownEvent OnMouseWheelDown;

    // The window manager moved, resized or framed the window.
    void WindowGeometryChanged();
    // A wheel step over the form; true when a handler took it.
    bool MouseWheel(int delta, TShiftState shift, TPoint screenPos);

protected:
    void Detach() override;
    TPoint ClientOrigin() const override;
    void ApplyGeometry() override;
    void ApplyVisibility() override;
    void CaptionChanged() override;

private:
    void ApplyWindowFlags();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TWindowState windowState_ = TWindowState::wsNormal;
    int minWidth_ = 0;
    int minHeight_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool applying_ = false;
};

} // namespace plat
