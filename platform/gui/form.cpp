#include "platform/gui/form.h"

#include "platform/gui/button.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/internal/form_bus_link.h"
#include "platform/gui/internal/graphic_impl.h"
#include "platform/gui/internal/hot_key_links.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/menu_bridge.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/internal/x11.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/menu.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIcon>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <vector>

namespace plat {

struct ModalLoop {
    QEventLoop loop;
};

struct FormScrollBar {
    QScrollBar* bar = nullptr;
    bool shown = false;
};

namespace {

constexpr int kScrollBarWidth = 17;

} // namespace

namespace {

TWeakRef<TForm> activeForm;
TWeakRef<TForm> mainForm;
std::string applicationTitle;
bool windowSyncPending = false;
// Every living form, in creation order.
std::vector<TForm*> allForms;
uint64_t lastZStamp = 0;

// The window system learns the final active form after the current event,
// so showing a window and activating the old one again moves nothing.
void SyncWindowActivation()
{
    if (windowSyncPending)
        return;
    windowSyncPending = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            windowSyncPending = false;
            TForm* form = activeForm.Get();
            if (form == nullptr || !form->Visible())
                return;
            QWidget* widget = form->Impl().widget;
            if (!widget->isActiveWindow())
                widget->activateWindow();
        },
        Qt::QueuedConnection);
}

// Every button of the form that may take a dialog key, in creation order.
TButton* FindDialogButton(TWinControl& parent, bool cancel)
{
    for (int i = 0; i < parent.ControlCount(); ++i) {
        auto* windowed = dynamic_cast<TWinControl*>(parent.Controls(i));
        if (windowed == nullptr)
            continue;
        if (auto* button = dynamic_cast<TButton*>(windowed))
            if ((cancel ? button->Cancel() : button->Default()) && button->CanFocus())
                return button;
        if (TButton* inner = FindDialogButton(*windowed, cancel))
            return inner;
    }
    return nullptr;
}

} // namespace

TForm* Application::ActiveForm()
{
    return activeForm.Get();
}

TForm* Application::MainForm()
{
    return mainForm.Get();
}

void Application::SetMainForm(TForm* form)
{
    mainForm = form;
}

std::vector<TForm*> Application::FormsTopmostFirst()
{
    std::vector<TForm*> forms(allForms.rbegin(), allForms.rend());
    std::stable_sort(forms.begin(), forms.end(), [](TForm* a, TForm* b) { return a->zStamp_ > b->zStamp_; });
    return forms;
}

void Application::Broadcast(TMessageId message, WPARAM wParam, LPARAM lParam)
{
    DispatchScope scope;
    for (TForm* form : FormsTopmostFirst())
        if (form->Alive())
            form->Perform(message, wParam, lParam);
}

const std::string& Application::Title()
{
    return applicationTitle;
}

void Application::SetTitle(const std::string& title)
{
    applicationTitle = title;
    QCoreApplication::setApplicationName(ToQString(title));
}

void Application::Minimize()
{
    if (TForm* form = mainForm.Get())
        form->SetWindowState(TWindowState::wsMinimized);
}

void Application::Restore()
{
    if (TForm* form = mainForm.Get(); form != nullptr && form->WindowState() == TWindowState::wsMinimized)
        form->SetWindowState(TWindowState::wsNormal);
}

void Application::ShowMainForm(int showCommand)
{
    TForm* form = mainForm.Get();
    if (form == nullptr)
        return;
    switch (showCommand) {
    case kShowHide:
        form->Hide();
        break;
    case kShowMinimized:
        form->SetWindowState(TWindowState::wsMinimized);
        form->Show();
        break;
    default:
        if (form->WindowState() == TWindowState::wsMinimized)
            form->SetWindowState(TWindowState::wsNormal);
        form->Show();
        break;
    }
}

void Application::Terminate()
{
    QCoreApplication::exit(0);
}

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    placesItself_ = true;
    // The layer decides which form is active and tells the window system.
    Impl().widget->setAttribute(Qt::WA_ShowWithoutActivating);
    SetVisible(false);
    SetBounds(0, 0, 640, 480);
    ApplyWindowFlags();
    if (!mainForm)
        mainForm = this;
    allForms.push_back(this);
}

void TForm::ExportOnBus(const std::string& className)
{
    RequireMainThread(ClassName(), "ExportOnBus");
    if (Alive())
        BusFormExported(*this, className);
}

void TForm::Raised()
{
    zStamp_ = ++lastZStamp;
    BusFormRaised(*this);
}

void TForm::SetVisible(bool visible)
{
    const bool was = Visible();
    TWinControl::SetVisible(visible);
    if (was == visible)
        return;
    DispatchScope scope;
    TWeakRef<TForm> self(this);
    if (visible) {
        Raised();
        WindowGeometryChanged();
        if (auto slot = OnShow)
            slot(this);
        if (self)
            Activate();
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
    return Height() - frameHeight_ - MenuBarHeight();
}

int TForm::MenuBarHeight() const
{
    return menuBar_ != nullptr ? menuBar_->Height() : 0;
}

TPoint TForm::ClientOffset() const
{
    return TPoint{0, MenuBarHeight()};
}

void TForm::ApplyGeometry()
{
    if (applying_)
        return;
    QWidget* widget = Impl().widget;
    // The move reports the old size back at once; that report must not
    // undo the size still to be applied.
    applying_ = true;
    widget->move(Left(), Top());
    const QSize size(std::max(0, ClientWidth()), std::max(0, ClientHeight() + MenuBarHeight()));
    ApplySizeLimits(size.width(), size.height());
    widget->resize(size);
    applying_ = false;
    if (menuBar_ != nullptr)
        menuBar_->Place(std::max(0, ClientWidth()));
}

void TForm::ApplySizeLimits(int width, int height)
{
    QWidget* widget = Impl().widget;
    // Only a sizeable border lets the user resize or maximise the window:
    // the window manager reads that from equal minimum and maximum sizes.
    const bool sizeable =
        borderStyle_ == TFormBorderStyle::bsSizeable || borderStyle_ == TFormBorderStyle::bsSizeToolWin;
    if (!sizeable) {
        widget->setFixedSize(width, height);
        return;
    }
    widget->setMinimumSize(std::max(0, minWidth_ - frameWidth_), std::max(0, minHeight_ - frameHeight_));
    widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

namespace {

// Client messages to the window manager on behalf of the user.
constexpr uint32_t kSourcePager = 2;

// The platform window's own id: Qt may replace the platform window of a
// widget (a change of flags) without the widget's cached id following.
uint32_t NativeWindow(QWidget& widget)
{
    widget.winId();
    QWindow* window = widget.windowHandle();
    return window != nullptr ? static_cast<uint32_t>(window->winId()) : 0;
}

} // namespace

bool TForm::Mappable() const
{
    if (Width() < 1 || Height() < 1)
        return false;
    return !(alphaBlend_ && alphaBlendValue_ == 0 && !x11::CompositorRunning());
}

void TForm::ApplyVisibility()
{
    QWidget* widget = Impl().widget;
    const bool mapped = Visible() && Mappable();
    if (alphaBlend_ && x11::CompositorRunning())
        widget->setWindowOpacity(alphaBlendValue_ / 255.0);
    else if (widget->windowOpacity() != 1.0)
        widget->setWindowOpacity(1.0);
    const bool wasMapped = widget->isVisible();
    widget->setVisible(mapped);
    if (mapped && !wasMapped)
        MarkSkipTaskbar();
}

// Qt knows no flag for it, and may replace the platform window as it maps
// it, so the hint goes on the mapped window: through the window manager where
// one handles _NET_WM_STATE, else on the property itself.
void TForm::MarkSkipTaskbar()
{
    if (!skipTaskbar_)
        return;
    xcb_connection_t* connection = x11::Connection();
    if (connection == nullptr)
        return;
    const uint32_t window = NativeWindow(*Impl().widget);
    const uint32_t state = x11::Atom(connection, "_NET_WM_STATE");
    const uint32_t skipTaskbar = x11::Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const uint32_t skipPager = x11::Atom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (x11::WindowManagerSupports(connection, "_NET_WM_STATE")) {
        constexpr uint32_t kAdd = 1;
        x11::SendToWindowManager(connection, window, state, {kAdd, skipTaskbar, skipPager, kSourcePager});
    } else {
        std::vector<uint32_t> atoms = x11::Property32(connection, window, state);
        for (uint32_t atom : {skipTaskbar, skipPager})
            if (std::find(atoms.begin(), atoms.end(), atom) == atoms.end())
                atoms.push_back(atom);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
    }
    xcb_flush(connection);
}

void TForm::SetAlphaBlend(bool on)
{
    alphaBlend_ = on;
    ApplyVisibility();
}

void TForm::SetAlphaBlendValue(int value)
{
    alphaBlendValue_ = std::clamp(value, 0, 255);
    ApplyVisibility();
}

void TForm::SetStayOnTop(bool on)
{
    SetWindowFlag(stayOnTop_, on);
}

void TForm::SetNoActivate(bool on)
{
    SetWindowFlag(noActivate_, on);
    if (on && activeForm.Get() == this)
        activeForm = nullptr;
}

void TForm::SetSkipTaskbar(bool on)
{
    SetWindowFlag(skipTaskbar_, on);
}

void TForm::SetWindowFlag(bool& flag, bool on)
{
    RequireMainThread(ClassName(), "SetWindowFlag");
    if (flag == on)
        return;
    flag = on;
    ApplyWindowFlags();
}

void TForm::BringToForeground()
{
    RequireMainThread(ClassName(), "BringToForeground");
    if (!Visible() || !Alive())
        return;
    QWidget* widget = Impl().widget;
    // The offscreen platform has no stacking (and says so on every raise).
    if (!NobodyToAsk())
        widget->raise();
    Activate();
    if (noActivate_)
        return;
    xcb_connection_t* connection = x11::Connection();
    if (connection == nullptr || !widget->isVisible()) {
        widget->activateWindow();
        return;
    }
    const uint32_t window = NativeWindow(*widget);
    if (x11::WindowManagerSupports(connection, "_NET_ACTIVE_WINDOW")) {
        // As a pager acting for the user, which window managers obey without
        // their focus-stealing prevention.
        x11::SendToWindowManager(connection, window, x11::Atom(connection, "_NET_ACTIVE_WINDOW"),
                                 {kSourcePager, XCB_CURRENT_TIME});
    } else {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
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
    if (menuBar_ != nullptr)
        menuBar_->Place(client.width());
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
    if (stayOnTop_)
        flags |= Qt::WindowStaysOnTopHint;
    if (noActivate_)
        flags |= Qt::WindowDoesNotAcceptFocus;
    QWidget* widget = Impl().widget;
    if (widget->windowFlags() == flags && !skipTaskbar_)
        return;
    // Qt re-creates the window, hidden: it comes back in place, and the form
    // hears of no show or activation.
    const bool wasActive = activeForm.Get() == this;
    applying_ = true;
    widget->setWindowFlags(flags);
    applying_ = false;
    ApplyGeometry();
    ApplyVisibility();
    if (wasActive)
        SyncWindowActivation();
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

void TForm::SetIcon(const TGraphic& icon)
{
    RequireMainThread(ClassName(), "SetIcon");
    Impl().widget->setWindowIcon(icon.Empty() ? QIcon() : QIcon(QPixmap::fromImage(icon.Impl().Drawn())));
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
    ApplySizeLimits(Impl().widget->width(), Impl().widget->height());
}

TModalResult TForm::ShowModal()
{
    RequireMainThread(ClassName(), "ShowModal");
    if (modalLoop_ != nullptr || !Alive())
        return mrNone;
    DispatchScope scope;
    TWeakRef<TForm> self(this);
    TWeakRef<TForm> opener(Application::ActiveForm());
    ModalLoop modal;
    modalLoop_ = &modal;
    modalResult_ = mrNone;
    QWidget* widget = Impl().widget;
    widget->hide();
    widget->setWindowModality(Qt::ApplicationModal);
    Show();
    if (self && Seams().modalScript)
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                if (self && self->Modal() && Seams().modalScript) {
                    DispatchScope inner;
                    Seams().modalScript(*self.Get());
                }
            },
            Qt::QueuedConnection);
    TCloseAction action = TCloseAction::caHide;
    while (self) {
        if (modalResult_ == mrNone)
            modal.loop.exec();
        if (!self)
            break;
        // The whole program is ending (every loop was told to exit).
        if (modalResult_ == mrNone) {
            modalResult_ = mrCancel;
            break;
        }
        if (!CloseQuery()) {
            modalResult_ = mrNone;
            continue;
        }
        action = TCloseAction::caHide;
        if (auto slot = OnClose)
            slot(this, action);
        if (action != TCloseAction::caNone)
            break;
        modalResult_ = mrNone;
    }
    if (!self)
        return mrCancel;
    const TModalResult result = modalResult_;
    modalLoop_ = nullptr;
    Hide();
    widget->setWindowModality(Qt::NonModal);
    if (opener)
        opener->Activate();
    if (action == TCloseAction::caFree)
        Free();
    return result;
}

void TForm::SetModalResult(TModalResult result)
{
    modalResult_ = result;
    if (result != mrNone && modalLoop_ != nullptr)
        modalLoop_->loop.exit();
}

void TForm::Close()
{
    RequireMainThread(ClassName(), "Close");
    if (modalLoop_ != nullptr) {
        SetModalResult(mrCancel);
        return;
    }
    if (closing_ || !Alive())
        return;
    DispatchScope scope;
    TWeakRef<TForm> self(this);
    closing_ = true;
    const bool canClose = CloseQuery();
    TCloseAction action = TCloseAction::caHide;
    if (self && canClose)
        if (auto slot = OnClose)
            slot(this, action);
    if (!self)
        return;
    closing_ = false;
    if (canClose)
        RunCloseAction(action);
}

void TForm::RunCloseAction(TCloseAction action)
{
    const bool endsProgram =
        this == mainForm.Get() && (action == TCloseAction::caHide || action == TCloseAction::caFree);
    switch (action) {
    case TCloseAction::caNone:
        return;
    case TCloseAction::caHide:
        Hide();
        break;
    case TCloseAction::caMinimize:
        SetWindowState(TWindowState::wsMinimized);
        break;
    case TCloseAction::caFree:
        Free();
        break;
    }
    if (endsProgram)
        QCoreApplication::exit(0);
}

bool TForm::CloseQuery()
{
    DispatchScope scope;
    bool canClose = true;
    if (auto slot = OnCloseQuery)
        slot(this, canClose);
    return canClose;
}

bool TForm::Active() const
{
    return activeForm.Get() == this;
}

void TForm::Activate()
{
    if (!Alive() || activeForm.Get() == this || noActivate_)
        return;
    DispatchScope scope;
    TWeakRef<TForm> self(this);
    TWeakRef<TForm> old(activeForm);
    activeForm = this;
    if (old) {
        old->SendActivate(false);
        if (auto slot = old->OnDeactivate)
            slot(old.Get());
    }
    if (self && activeForm.Get() == this) {
        Raised();
        SendActivate(true);
        if (auto slot = OnActivate)
            slot(this);
    }
    SyncWindowActivation();
}

void TForm::SendActivate(bool active)
{
    if (activateSent_ == active || !Alive())
        return;
    activateSent_ = active;
    Perform(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void TForm::WindowActivationChanged(bool active)
{
    // The window left and came back while its flags changed.
    if (applying_)
        return;
    if (active) {
        if (activeForm.Get() == this)
            SendActivate(true);
        else if (activeForm && activeForm->Visible())
            // The platform activated a window on its own (a newly shown one):
            // the layer's choice stands.
            SyncWindowActivation();
        else
            Activate();
        return;
    }
    // Switches between our own forms went through Activate already; only a
    // switch to another program is news, and only for the message hook.
    QWidget* now = QApplication::activeWindow();
    if (now == nullptr || dynamic_cast<ControlWidget*>(now) == nullptr)
        SendActivate(false);
}

void TForm::WindowStateChanged()
{
    const Qt::WindowStates states = Impl().widget->windowState();
    if (states & Qt::WindowMinimized)
        windowState_ = TWindowState::wsMinimized;
    else if (states & Qt::WindowMaximized)
        windowState_ = TWindowState::wsMaximized;
    else
        windowState_ = TWindowState::wsNormal;
}

void TForm::SetActiveControl(TWinControl* control)
{
    if (control == nullptr) {
        activeControl_ = nullptr;
        return;
    }
    control->SetFocus();
}

void TForm::FocusMoved(TWinControl* control)
{
    if (control == activeControl_.Get() || control == this)
        return;
    DispatchScope scope;
    TWeakRef<TWinControl> old(activeControl_);
    TWeakRef<TWinControl> next(control);
    activeControl_ = control;
    // Both show their focus state (a flat edit's fill).
    for (TWinControl* moved : {old.Get(), next.Get()})
        if (moved != nullptr)
            moved->Invalidate();
    if (old)
        if (auto slot = old->OnExit)
            slot(old.Get());
    if (next)
        if (auto slot = next->OnEnter)
            slot(next.Get());
}

bool TForm::DialogKey(uint16_t key, TWinControl* focused)
{
    // A focused flat button is a button too: Enter clicks it.
    if (auto* flat = dynamic_cast<TFlatButton*>(focused); flat != nullptr && key == 0x0D) {
        flat->Click();
        return true;
    }
    TButton* button = nullptr;
    if (key == 0x0D) {
        button = dynamic_cast<TButton*>(focused);
        if (button == nullptr)
            button = FindDialogButton(*this, false);
    } else if (key == 0x1B) {
        button = FindDialogButton(*this, true);
    }
    if (button == nullptr)
        return false;
    button->Click();
    return true;
}

int TForm::VertScrollRange() const
{
    if (scrollRange_ > 0)
        return scrollRange_;
    int extent = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        const TControl* child = Controls(i);
        if (child->Visible() && child->Align() == TAlign::alNone)
            extent = std::max(extent, child->Top() + child->Height() + scrollPosition_);
    }
    return extent;
}

void TForm::SetVertScrollRange(int range)
{
    scrollRange_ = std::max(0, range);
    SetVertScrollPosition(scrollPosition_);
}

bool TForm::ScrollBarShown() const
{
    return VertScrollRange() > ClientHeight();
}

void TForm::SetVertScrollPosition(int position)
{
    RequireMainThread(ClassName(), "SetVertScrollPosition");
    const int limit = std::max(0, VertScrollRange() - ClientHeight());
    position = std::clamp(position, 0, limit);
    const int delta = scrollPosition_ - position;
    scrollPosition_ = position;
    if (delta != 0)
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* child = Controls(i);
            if (child->Align() == TAlign::alNone)
                child->SetBounds(child->Left(), child->Top() + delta, child->Width(), child->Height());
        }
    UpdateScrollBar();
}

void TForm::UpdateScrollBar()
{
    const bool shown = ScrollBarShown();
    if (scrollBar_ == nullptr) {
        if (!shown)
            return;
        scrollBar_ = new FormScrollBar;
        scrollBar_->bar = new QScrollBar(Qt::Vertical, Impl().widget);
        QObject::connect(scrollBar_->bar, &QScrollBar::valueChanged, [this](int value) {
            if (value != scrollPosition_) {
                DispatchScope scope;
                SetVertScrollPosition(value);
            }
        });
    }
    QScrollBar* bar = scrollBar_->bar;
    const QSignalBlocker quiet(bar);
    bar->setRange(0, std::max(0, VertScrollRange() - ClientHeight()));
    bar->setPageStep(std::max(1, ClientHeight()));
    bar->setValue(scrollPosition_);
    bar->setGeometry(ClientWidth() - kScrollBarWidth, MenuBarHeight(), kScrollBarWidth, std::max(0, ClientHeight()));
    bar->setVisible(shown);
    bar->raise();
    if (scrollBar_->shown != shown) {
        scrollBar_->shown = shown;
        Realign();
    }
}

TRect TForm::AlignRect() const
{
    TRect rect = TWinControl::AlignRect();
    if (ScrollBarShown())
        rect.Right -= kScrollBarWidth;
    return rect;
}

void TForm::BoundsChanged(bool sizeChanged)
{
    TWinControl::BoundsChanged(sizeChanged);
    // Growing from or shrinking to nothing maps or unmaps the window.
    if (sizeChanged && Visible() && Impl().widget->isVisible() != Mappable())
        ApplyVisibility();
    if (sizeChanged && scrollBar_ != nullptr)
        SetVertScrollPosition(scrollPosition_);
}

void TForm::SetMenu(TMainMenu* menu)
{
    RequireMainThread(ClassName(), "SetMenu");
    menu_ = menu;
    UpdateMenuBar();
}

void TForm::UpdateMenuBar()
{
    menuBarPending_ = false;
    if (!Alive() || (menuBar_ == nullptr && !menu_))
        return;
    if (menuBar_ == nullptr)
        menuBar_ = new FormMenuBar(Impl().widget);
    const int oldHeight = menuBar_->Height();
    menuBar_->Rebuild(menu_.Get());
    menuBar_->Place(std::max(0, ClientWidth()));
    if (menuBar_->Height() == oldHeight)
        return;
    // The outer size stays: the client area gives up or takes back the bar.
    ClientOffsetChanged();
    Realign();
    UpdateScrollBar();
    Resized();
}

void TForm::UpdateMenuBarSoon()
{
    if (menuBarPending_)
        return;
    menuBarPending_ = true;
    TWeakRef<TForm> self(this);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self] {
            TForm* form = self.Get();
            if (form == nullptr)
                return;
            // Not under an open menu of the bar: its items would go with it.
            if (form->menuBar_ != nullptr && form->menuBar_->Open()) {
                form->menuBarPending_ = false;
                QTimer::singleShot(50, QCoreApplication::instance(), [self] {
                    if (TForm* again = self.Get())
                        again->UpdateMenuBarSoon();
                });
                return;
            }
            DispatchScope scope;
            form->UpdateMenuBar();
        },
        Qt::QueuedConnection);
}

void MainMenuChanged(const TMainMenu& menu)
{
    for (TForm* form : allForms)
        if (form->Menu() == &menu)
            form->UpdateMenuBarSoon();
}

LRESULT TForm::Dispatch(TMessageId message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE)
        Close();
    else if (message == WM_QUERYENDSESSION)
        return CloseQuery() ? 1 : 0;
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
    const QPoint origin = Impl().widget->mapToGlobal(QPoint(0, MenuBarHeight()));
    return TPoint{origin.x(), origin.y()};
}

void TForm::Detach()
{
    if (auto slot = OnDestroy) {
        DispatchScope scope;
        slot(this);
    }
    if (modalLoop_ != nullptr)
        modalLoop_->loop.exit();
    if (scrollBar_ != nullptr)
        QObject::disconnect(scrollBar_->bar, nullptr, nullptr, nullptr);
    delete scrollBar_;
    scrollBar_ = nullptr;
    delete menuBar_;
    menuBar_ = nullptr;
    if (activeForm.Get() == this)
        activeForm = nullptr;
    BusFormGone(*this);
    HotKeysFormGone(*this);
    std::erase(allForms, this);
    OnShow = nullptr;
    OnHide = nullptr;
    OnDestroy = nullptr;
    OnActivate = nullptr;
    OnDeactivate = nullptr;
    OnCloseQuery = nullptr;
    OnClose = nullptr;
    OnMouseWheelUp = nullptr;
    OnMouseWheelDown = nullptr;
    TWinControl::Detach();
}

} // namespace plat
