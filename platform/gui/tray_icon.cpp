#include "platform/gui/tray_icon.h"

#include "platform/gui/form.h"
#include "platform/gui/image_list.h"
#include "platform/gui/internal/graphic_impl.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/tray_icon_impl.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/menu.h"

#include <QCursor>
#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace plat {
namespace {

// Sees the minimised main form come back, whoever restores it.
class RestoreWatcher : public QObject {
public:
    RestoreWatcher(TrayIcon& tray, QWidget& window) : QObject(&window), tray_(&tray)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowStateChange &&
            !(static_cast<QWidget*>(watched)->windowState() & Qt::WindowMinimized))
            if (TrayIcon* tray = tray_.Get())
                tray->ShowApplication();
        return false;
    }

private:
    TWeakRef<TrayIcon> tray_;
};

void RestoreFromMinimised(TForm& form)
{
    QWidget* window = form.Impl().widget;
    if (window->windowState() & Qt::WindowMinimized)
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
}

} // namespace

std::optional<bool>& TrayHostOverride()
{
    static std::optional<bool> present;
    return present;
}

TrayIconImpl::~TrayIconImpl()
{
    StopWatchingRestore();
    delete icon;
}

void TrayIconImpl::Activated(TrayIcon& tray, QSystemTrayIcon::ActivationReason reason)
{
    DispatchScope scope;
    TWeakRef<TrayIcon> self(&tray);
    const QPoint at = QCursor::pos();
    auto mouseDown = [&](TMouseButton button) {
        if (auto slot = tray.OnMouseDown)
            slot(&tray, button, 0, at.x(), at.y());
    };
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        mouseDown(TMouseButton::mbLeft);
        break;
    case QSystemTrayIcon::DoubleClick:
        if (auto slot = tray.OnDblClick)
            slot(&tray);
        break;
    case QSystemTrayIcon::MiddleClick:
        mouseDown(TMouseButton::mbMiddle);
        break;
    case QSystemTrayIcon::Context:
        mouseDown(TMouseButton::mbRight);
        if (self)
            if (TPopupMenu* menu = tray.PopupMenu()) {
                menu->SetPopupComponent(&tray);
                menu->Popup(at.x(), at.y());
            }
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

void TrayIconImpl::WatchRestore(TrayIcon& tray, TForm& form)
{
    if (restoreWatcher == nullptr)
        restoreWatcher = new RestoreWatcher(tray, *form.Impl().widget);
}

void TrayIconImpl::StopWatchingRestore()
{
    if (restoreWatcher == nullptr)
        return;
    // It may be running its own filter now.
    restoreWatcher->parent()->removeEventFilter(restoreWatcher);
    restoreWatcher->deleteLater();
    restoreWatcher = nullptr;
}

TrayIcon::TrayIcon(TComponent* owner) : TComponent(owner), impl_(std::make_unique<TrayIconImpl>())
{
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::HostAvailable()
{
    if (const std::optional<bool>& present = TrayHostOverride())
        return *present;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::SetActive(bool active)
{
    active_ = active;
    UpdateShown();
}

void TrayIcon::SetIconVisible(bool visible)
{
    iconVisible_ = visible;
    UpdateShown();
}

void TrayIcon::SetIcons(TImageList* icons)
{
    icons_ = icons;
    UpdateIcon();
}

void TrayIcon::SetIconIndex(int index)
{
    iconIndex_ = index;
    UpdateIcon();
}

void TrayIcon::SetHint(const std::string& hint)
{
    hint_ = hint;
    if (impl_->icon != nullptr)
        impl_->icon->setToolTip(ToolTipFor(hint_));
}

void TrayIcon::UpdateIcon()
{
    if (impl_->icon == nullptr)
        return;
    const TGraphic image = icons_ != nullptr ? icons_->Image(iconIndex_) : TGraphic();
    if (!image.Empty()) {
        impl_->icon->setIcon(QIcon(QPixmap::fromImage(image.Impl().Drawn())));
        return;
    }
    // Qt shows no icon without a picture; an empty one keeps the place.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    impl_->icon->setIcon(QIcon(blank));
}

void TrayIcon::UpdateShown()
{
    RequireMainThread(ClassName(), "SetActive");
    const bool shown = active_ && iconVisible_ && Alive();
    if (impl_->icon == nullptr) {
        if (!shown)
            return;
        impl_->icon = new QSystemTrayIcon;
        QObject::connect(impl_->icon, &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) { impl_->Activated(*this, reason); });
        UpdateIcon();
        impl_->icon->setToolTip(ToolTipFor(hint_));
    }
    impl_->icon->setVisible(shown);
}

void TrayIcon::ShowApplication()
{
    RequireMainThread(ClassName(), "ShowApplication");
    applicationVisible_ = true;
    impl_->StopWatchingRestore();
    TForm* form = Application::MainForm();
    if (form == nullptr)
        return;
    RestoreFromMinimised(*form);
    form->Show();
}

void TrayIcon::HideApplication()
{
    RequireMainThread(ClassName(), "HideApplication");
    applicationVisible_ = false;
    TForm* form = Application::MainForm();
    if (form == nullptr)
        return;
    if (HostAvailable()) {
        form->Hide();
        return;
    }
    static bool logged = false;
    if (!logged) {
        logged = true;
        LayerLog("[TrayIcon::HideApplication] No tray host: the main window is minimised instead of hidden");
    }
    QWidget* window = form->Impl().widget;
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
    // A hidden window with no tray icon could not be reached at all.
    if (!form->Visible())
        form->Show();
    impl_->WatchRestore(*this, *form);
}

void TrayIcon::Detach()
{
    OnMouseDown = nullptr;
    OnDblClick = nullptr;
    impl_->StopWatchingRestore();
    if (impl_->icon != nullptr)
        impl_->icon->hide();
    TComponent::Detach();
}

} // namespace plat
