#pragma once

#include "platform/gui/messages.h"
#include "platform/gui/win_control.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using TBorderIcons = unsigned;
constexpr TBorderIcons biSystemMenu = 1;
constexpr TBorderIcons biMinimize = 2;
constexpr TBorderIcons biMaximize = 4;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

class TGraphic;
class TMainMenu;
class FormMenuBar;
struct ModalLoop;

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
    // The window's icon (title bar, task bar); an empty graphic clears it.
    void SetIcon(const TGraphic& icon);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state);
    // Constraints of the outer size; 0 = none.
    int MinWidth() const { return minWidth_; }
    int MinHeight() const { return minHeight_; }
    void SetMinSize(int width, int height);

    // Translucency: with AlphaBlend on, the window's opacity is
    // AlphaBlendValue (0 transparent .. 255 opaque) where a compositor draws
    // it. Without one, alpha 0 leaves the window unmapped (Visible stays true)
    // and any other alpha is opaque. A form narrower or lower than 1 pixel is
    // not mapped either.
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool on);
    int AlphaBlendValue() const { return alphaBlendValue_; }
    // Clamped to 0..255.
    void SetAlphaBlendValue(int value);
    // The window stays above ordinary windows.
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool on);
    // The window never takes the focus and never becomes the active form,
    // shown or clicked.
    bool NoActivate() const { return noActivate_; }
    void SetNoActivate(bool on);
    // No task bar or pager entry.
    bool SkipTaskbar() const { return skipTaskbar_; }
    void SetSkipTaskbar(bool on);
    // Raises the window and makes it the active form and the window system's
    // focus window, taking the focus from other programs where the window
    // system lets it.
    void BringToForeground();

    // Shows the form and runs a nested loop until ModalResult is set and the
    // close query agrees. Other forms take no input meanwhile; timers, posted
    // work and painting go on. Returns the ModalResult.
    TModalResult ShowModal();
    bool Modal() const { return modalLoop_ != nullptr; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);

    // On a modal form only sets ModalResult to mrCancel. Otherwise runs
    // OnCloseQuery, then OnClose, then its action (freeing waits for the end
    // of the event). Closing the main form ends the main loop.
    void Close();
    // Runs OnCloseQuery; true when the form may close.
    bool CloseQuery();

    // Makes this the active form (OnDeactivate of the old one, OnActivate of
    // this one, at once); the window system follows after the current event.
    void Activate();
    bool Active() const;

    // The control of this form that has or last had the focus.
    TWinControl* ActiveControl() const { return activeControl_.Get(); }
    void SetActiveControl(TWinControl* control);

    // The vertical scroll bar. Range 0 means the children's extent. Moving
    // Position moves the children (their Top changes, as scrolling does);
    // the bar shows while the range exceeds the client height and then
    // narrows the area aligned children fill.
    int VertScrollRange() const;
    void SetVertScrollRange(int range);
    int VertScrollPosition() const { return scrollPosition_; }
    void SetVertScrollPosition(int position);

    // The menu whose short cuts the form serves and which it shows as its
    // menu bar. The bar lies above the client area: the outer size stays,
    // ClientHeight shrinks by MenuBarHeight and the children move down.
    TMainMenu* Menu() const { return menu_.Get(); }
    void SetMenu(TMainMenu* menu);
    // 0 while no bar shows.
    int MenuBarHeight() const;
    TPoint ClientOffset() const override;

    // The form's message handler. Overrides handle their messages and pass
    // the rest to the inherited one. WM_CLOSE runs Close; WM_QUERYENDSESSION
    // answers the close query (1 may close, 0 refuses).
    virtual LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam);
    // Sends a message to the form now, as the system would.
    LRESULT Perform(TMessageId message, WPARAM wParam, LPARAM lParam);

    // Puts the form on the window bus under `className` (A-Z a-z 0-9 _)
    // until it is destroyed, hidden or shown (form_bus.h).
    void ExportOnBus(const std::string& className);

    TNotifyEvent OnShow;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
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
    // The focus moved to a control of this form: OnExit of the old one, then
    // OnEnter of the new one.
    void FocusMoved(TWinControl* control);
    // The window system changed the window's activation.
    void WindowActivationChanged(bool active);
    // The window system or the user minimised, maximised or restored the
    // window.
    void WindowStateChanged();
    // Enter and Esc: clicks the focused, Default or Cancel button; true when
    // the key was used.
    bool DialogKey(uint16_t key, TWinControl* focused);

protected:
    void Detach() override;
    TPoint ClientOrigin() const override;
    TRect AlignRect() const override;
    void BoundsChanged(bool sizeChanged) override;
    void ApplyGeometry() override;
    void ApplyVisibility() override;
    void CaptionChanged() override;

private:
    friend class Application;
    friend void MainMenuChanged(const TMainMenu& menu);
    void UpdateMenuBar();
    void UpdateMenuBarSoon();
    void ApplyWindowFlags();
    // Fixed at this size unless the border is sizeable.
    void ApplySizeLimits(int width, int height);
    bool Mappable() const;
    void MarkSkipTaskbar();
    void SetWindowFlag(bool& flag, bool on);
    void Raised();
    void SendActivate(bool active);
    void RunCloseAction(TCloseAction action);
    void UpdateScrollBar();
    bool ScrollBarShown() const;

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TWindowState windowState_ = TWindowState::wsNormal;
    int minWidth_ = 0;
    int minHeight_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    bool applying_ = false;
    bool alphaBlend_ = false;
    int alphaBlendValue_ = 255;
    bool stayOnTop_ = false;
    bool noActivate_ = false;
    bool skipTaskbar_ = false;
    TModalResult modalResult_ = mrNone;
    struct ModalLoop* modalLoop_ = nullptr;
    bool closing_ = false;
    bool activateSent_ = false;
    uint64_t zStamp_ = 0; // higher was shown or activated later
    TWeakRef<TWinControl> activeControl_;
    TWeakRef<TMainMenu> menu_;
    int scrollRange_ = 0;
    int scrollPosition_ = 0;
    struct FormScrollBar* scrollBar_ = nullptr;
    FormMenuBar* menuBar_ = nullptr;
    bool menuBarPending_ = false;
};

// The program's forms as a whole.
class Application {
public:
    // The form the layer holds active; null when none.
    static TForm* ActiveForm();
    // The first form created, unless set otherwise; closing it ends the main
    // loop.
    static TForm* MainForm();
    static void SetMainForm(TForm* form);
    // Every form, shown or hidden, the one shown or activated last first;
    // never-shown forms last, newest first.
    static std::vector<TForm*> FormsTopmostFirst();
    // Sends a message to every form, topmost first, as the system tells all
    // windows of a change; a form freed by an earlier one's handler is
    // skipped.
    static void Broadcast(TMessageId message, WPARAM wParam, LPARAM lParam);

    // The application's title (CP1250), as task lists name the program.
    static const std::string& Title();
    static void SetTitle(const std::string& title);
    // Minimise and restore the main form; before its first show they only
    // set the state it will show in.
    static void Minimize();
    static void Restore();
    // Show commands of the main form: 0 hides, 5 shows, 6 minimises.
    static constexpr int kShowHide = 0;
    static constexpr int kShowNormal = 5;
    static constexpr int kShowMinimized = 6;
    static void ShowMainForm(int showCommand);
    // Ends the main loop once the event being handled has returned, so an
    // answer under way (a bus reply) is still written.
    static void Terminate();
};

} // namespace plat
