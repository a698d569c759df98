#include "platform/gui/screen.h"

#include "platform/gui/form.h"
#include "platform/gui/internal/qt_bridge.h"
#include "platform/gui/internal/x11.h"
#include "platform/gui/main_thread.h"

#include <QApplication>
#include <QClipboard>
#include <QScreen>

#include <xcb/xcb.h>

#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

namespace plat {
namespace {

TCursor screenCursor = crDefault;

// Guards the override and the geometry read before the GUI.
std::mutex geometryMutex;
std::optional<ScreenGeometry> screenOverride;
std::optional<ScreenGeometry> beforeGui;
// What forms were last told about.
std::optional<ScreenGeometry> announced;
// The connection of the question asked before the GUI, held until the GUI
// has its own: an X server without other clients (Xvfb) resets when its last
// client leaves and refuses the next connection meanwhile.
xcb_connection_t* connectionBeforeGui = nullptr;

constexpr WPARAM kBitsPerPixel = 24;

TRect WorkAreaOfRoot(xcb_connection_t* connection, uint32_t root, int width, int height)
{
    const std::vector<uint32_t> area = x11::Property32(connection, root, x11::Atom(connection, "_NET_WORKAREA"));
    if (area.size() < 4 || area[2] == 0 || area[3] == 0)
        return TRect{0, 0, width, height};
    const auto left = static_cast<int>(area[0]);
    const auto top = static_cast<int>(area[1]);
    return TRect{left, top, left + static_cast<int>(area[2]), top + static_cast<int>(area[3])};
}

// The X server's default screen, asked on a connection of our own.
std::optional<ScreenGeometry> AskXServer()
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return std::nullopt;
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    std::optional<ScreenGeometry> geometry;
    if (xcb_connection_has_error(connection) == 0) {
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
            xcb_screen_next(&screens);
        if (screens.rem > 0) {
            ScreenGeometry found;
            found.width = found.desktopWidth = screens.data->width_in_pixels;
            found.height = found.desktopHeight = screens.data->height_in_pixels;
            found.workArea = WorkAreaOfRoot(connection, screens.data->root, found.width, found.height);
            geometry = found;
        }
    }
    if (geometry && connectionBeforeGui == nullptr)
        connectionBeforeGui = connection;
    else
        xcb_disconnect(connection);
    return geometry;
}

void ReleaseConnectionBeforeGui()
{
    std::lock_guard<std::mutex> guard(geometryMutex);
    if (connectionBeforeGui != nullptr)
        xcb_disconnect(connectionBeforeGui);
    connectionBeforeGui = nullptr;
}

std::optional<ScreenGeometry> AskQt()
{
    const QScreen* primary = qGuiApp != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    if (primary == nullptr)
        return std::nullopt;
    ScreenGeometry geometry;
    geometry.width = primary->geometry().width();
    geometry.height = primary->geometry().height();
    geometry.desktopWidth = primary->virtualGeometry().width();
    geometry.desktopHeight = primary->virtualGeometry().height();
    const QRect available = primary->availableGeometry();
    geometry.workArea = TRect{available.left(), available.top(), available.left() + available.width(),
                              available.top() + available.height()};
    return geometry;
}

ScreenGeometry CurrentGeometry()
{
    std::lock_guard<std::mutex> guard(geometryMutex);
    if (screenOverride)
        return *screenOverride;
    if (auto fromQt = AskQt())
        return *fromQt;
    if (!beforeGui)
        beforeGui = AskXServer().value_or(ScreenGeometry{});
    return *beforeGui;
}

// Tells every form once the size or the work area differs from what they
// heard last.
void AnnounceIfChanged()
{
    const ScreenGeometry now = CurrentGeometry();
    const bool changed = announced && (announced->width != now.width || announced->height != now.height ||
                                       announced->workArea != now.workArea);
    if (!changed) {
        announced = now;
        return;
    }
    announced = now;
    const LPARAM size = static_cast<LPARAM>(now.width) | (static_cast<LPARAM>(now.height) << 16);
    Application::Broadcast(WM_DISPLAYCHANGE, kBitsPerPixel, size);
}

void WatchScreen(QScreen* screen)
{
    QObject::connect(screen, &QScreen::geometryChanged, qApp, [] { AnnounceIfChanged(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, qApp, [] { AnnounceIfChanged(); });
}

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

int Screen::Width()
{
    return CurrentGeometry().width;
}

int Screen::Height()
{
    return CurrentGeometry().height;
}

int Screen::DesktopWidth()
{
    return CurrentGeometry().desktopWidth;
}

int Screen::DesktopHeight()
{
    return CurrentGeometry().desktopHeight;
}

TRect Screen::WorkArea()
{
    return CurrentGeometry().workArea;
}

ScreenGeometry Screen::Geometry()
{
    return CurrentGeometry();
}

namespace {

void ReplaceOverride(const std::optional<ScreenGeometry>& geometry)
{
    if (qGuiApp != nullptr && !announced)
        announced = CurrentGeometry();
    {
        std::lock_guard<std::mutex> guard(geometryMutex);
        screenOverride = geometry;
    }
    if (qGuiApp != nullptr)
        AnnounceIfChanged();
}

} // namespace

void Screen::SetOverride(const ScreenGeometry& geometry)
{
    ReplaceOverride(geometry);
}

void Screen::ClearOverride()
{
    ReplaceOverride(std::nullopt);
}

void Screen::WatchChanges()
{
    RequireMainThread("TScreen", "WatchChanges");
    ReleaseConnectionBeforeGui();
    announced = CurrentGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        WatchScreen(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, qApp, [](QScreen* screen) {
        WatchScreen(screen);
        AnnounceIfChanged();
    });
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, qApp, [] { AnnounceIfChanged(); });
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
