// tray_host: the least notification area a program's tray icon can dock in,
// for a bare X display (Xvfb) that has none. It owns the tray selection of
// screen 0, takes each dock request (the XEmbed system tray protocol) into a
// window of its own at the screen's top right corner, painted in one known
// colour, kept above the other windows, and prints "docked <window id>" for
// each icon it took; "ready" once it owns the selection. Runs until killed.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t kRequestDock = 0;
// Magenta: no picture of the program uses it, so every other pixel in the
// host's window is the icon's.
constexpr uint32_t kBackground = 0xFF00FF;
constexpr uint16_t kHostSize = 64;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// Reparents the icon into the host's window and shows it there, as the
// embedder of XEmbed does.
void Dock(xcb_connection_t* connection, xcb_window_t host, xcb_window_t icon)
{
    xcb_reparent_window(connection, icon, host, 0, 0);
    xcb_map_window(connection, icon);
    xcb_flush(connection);
    std::printf("docked %u\n", icon);
    std::fflush(stdout);
}

} // namespace

int main()
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "tray_host: no display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;

    const xcb_window_t host = xcb_generate_id(connection);
    const uint32_t values[] = {kBackground, 1, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, host, screen->root,
                      static_cast<int16_t>(screen->width_in_pixels - kHostSize), 0, kHostSize, kHostSize, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_map_window(connection, host);

    const std::string selectionName = "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber);
    const xcb_atom_t selection = Atom(connection, selectionName.c_str());
    const xcb_atom_t opcode = Atom(connection, "_NET_SYSTEM_TRAY_OPCODE");
    const xcb_atom_t manager = Atom(connection, "MANAGER");
    xcb_set_selection_owner(connection, host, selection, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner != nullptr && owner->owner == host;
    std::free(owner);
    if (!owned) {
        std::fprintf(stderr, "tray_host: another tray owns %s\n", selectionName.c_str());
        return 1;
    }

    // Clients already running learn of the new tray from the MANAGER message.
    xcb_client_message_event_t announce{};
    announce.response_type = XCB_CLIENT_MESSAGE;
    announce.format = 32;
    announce.window = screen->root;
    announce.type = manager;
    announce.data.data32[0] = XCB_CURRENT_TIME;
    announce.data.data32[1] = selection;
    announce.data.data32[2] = host;
    xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&announce));
    xcb_flush(connection);
    std::printf("ready\n");
    std::fflush(stdout);

    // The program's windows map later; the tray stays above them, where a
    // panel would be.
    const uint32_t watchRoot[] = {XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, watchRoot);
    xcb_flush(connection);
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_MAP_NOTIFY && reinterpret_cast<const xcb_map_notify_event_t*>(event)->window != host) {
            const uint32_t above[] = {XCB_STACK_MODE_ABOVE};
            xcb_configure_window(connection, host, XCB_CONFIG_WINDOW_STACK_MODE, above);
            xcb_flush(connection);
        }
        if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (message->type == opcode && message->data.data32[1] == kRequestDock)
                Dock(connection, host, message->data.data32[2]);
        }
        std::free(event);
    }
    return 0;
}
