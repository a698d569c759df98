#include "platform/gui/screen.h"

#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/main_thread.h"

#include <QApplication>
#include <QClipboard>

namespace plat {
namespace {

TCursor screenCursor = crDefault;

} // namespace

void Screen::SetCursor(TCursor cursor)
{
    RequireMainThread("TScreen", "SetCursor");
    if (cursor == screenCursor)
        return;
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
    screenCursor = cursor;
    if (cursor != crDefault)
        QApplication::setOverrideCursor(ToQCursor(cursor));
}

TCursor Screen::Cursor()
{
    return screenCursor;
}

void Clipboard::SetText(const std::string& text)
{
    RequireMainThread("TClipboard", "SetText");
    QApplication::clipboard()->setText(ToQString(text));
}

std::string Clipboard::Text()
{
    return FromQString(QApplication::clipboard()->text());
}

} // namespace plat
