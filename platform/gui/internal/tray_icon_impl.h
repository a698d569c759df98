#pragma once

// Internal: the Qt side of a tray icon. Includes Qt.

#include "platform/gui/component.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <optional>

namespace plat {

class TForm;
class TrayIcon;

struct TrayIconImpl {
    // Created when the icon first shows.
    QSystemTrayIcon* icon = nullptr;
    // Watches the main form minimised in place of hiding, for the user's
    // restore.
    QPointer<QObject> restoreWatcher;

    ~TrayIconImpl();
    void Activated(TrayIcon& tray, QSystemTrayIcon::ActivationReason reason);
    void WatchRestore(TrayIcon& tray, TForm& form);
    void StopWatchingRestore();
};

// Tests stand in for a tray host: set, it decides whether one exists.
std::optional<bool>& TrayHostOverride();

} // namespace plat
