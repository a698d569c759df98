#include "platform/testing/tray_host.h"

#include "platform/gui/internal/tray_icon_impl.h"
#include "platform/gui/tray_icon.h"
#include "platform/testing/gui_harness.h"

#include <QTextDocument>

namespace plat::testing {
namespace {

QSystemTrayIcon* ShownIcon(const TrayIcon& tray)
{
    QSystemTrayIcon* icon = tray.Impl().icon;
    return icon != nullptr && icon->isVisible() ? icon : nullptr;
}

} // namespace

ScopedTrayHost::ScopedTrayHost(bool present)
{
    TrayHostOverride() = present;
}

ScopedTrayHost::~ScopedTrayHost()
{
    TrayHostOverride().reset();
}

void ScopedTrayHost::Click(TrayIcon& tray, TMouseButton button)
{
    QSystemTrayIcon* icon = ShownIcon(tray);
    if (icon == nullptr)
        return;
    switch (button) {
    case TMouseButton::mbLeft:
        emit icon->activated(QSystemTrayIcon::Trigger);
        break;
    case TMouseButton::mbRight:
        emit icon->activated(QSystemTrayIcon::Context);
        break;
    case TMouseButton::mbMiddle:
        emit icon->activated(QSystemTrayIcon::MiddleClick);
        break;
    }
    Flush();
}

void ScopedTrayHost::DoubleClick(TrayIcon& tray)
{
    QSystemTrayIcon* icon = ShownIcon(tray);
    if (icon == nullptr)
        return;
    // The first press is a click; the second arrives as the double click.
    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    Flush();
}

bool ScopedTrayHost::Shows(const TrayIcon& tray)
{
    return ShownIcon(tray) != nullptr;
}

std::string ScopedTrayHost::ShownHint(const TrayIcon& tray)
{
    QSystemTrayIcon* icon = ShownIcon(tray);
    if (icon == nullptr)
        return std::string();
    const QString tip = icon->toolTip();
    if (!Qt::mightBeRichText(tip))
        return tip.toStdString();
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText().toStdString();
}

int ScopedTrayHost::IconWidth(const TrayIcon& tray)
{
    QSystemTrayIcon* icon = ShownIcon(tray);
    if (icon == nullptr)
        return 0;
    const QList<QSize> sizes = icon->icon().availableSizes();
    return sizes.isEmpty() ? 0 : sizes.last().width();
}

} // namespace plat::testing
