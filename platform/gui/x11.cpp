#include "platform/gui/internal/x11.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace plat::x11 {

xcb_connection_t* Connection()
{
    if (qGuiApp == nullptr)
        return nullptr;
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return native != nullptr ? native->connection() : nullptr;
}

uint32_t RootWindow(xcb_connection_t* connection)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    return screens.rem > 0 ? screens.data->root : 0;
}

uint32_t Atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<uint32_t>(XCB_ATOM_NONE);
}

std::vector<uint32_t> Property32(xcb_connection_t* connection, uint32_t window, uint32_t property)
{
    constexpr uint32_t kMostItems = 4096;
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMostItems);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32)
        return {};
    const auto* items = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<uint32_t>(items, items + count);
}

bool CompositorRunning()
{
    xcb_connection_t* connection = Connection();
    if (connection == nullptr)
        return false;
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) != 0)
        std::free(host);
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    const uint32_t selection = Atom(connection, name.c_str());
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr), &std::free);
    return reply && reply->owner != XCB_WINDOW_NONE;
}

bool WindowManagerSupports(xcb_connection_t* connection, const char* atomName)
{
    const uint32_t root = RootWindow(connection);
    if (Property32(connection, root, Atom(connection, "_NET_SUPPORTING_WM_CHECK")).empty())
        return false;
    const std::vector<uint32_t> supported = Property32(connection, root, Atom(connection, "_NET_SUPPORTED"));
    return std::find(supported.begin(), supported.end(), Atom(connection, atomName)) != supported.end();
}

void SendToWindowManager(xcb_connection_t* connection, uint32_t window, uint32_t type,
                         std::initializer_list<uint32_t> items)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy_n(items.begin(), std::min<size_t>(items.size(), 5), event.data.data32);
    xcb_send_event(connection, 0, RootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

} // namespace plat::x11
