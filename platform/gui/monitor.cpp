#include "platform/gui/monitor.h"

#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/x11.h"

#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace plat {
namespace {

// Waits for a checked request; false (and a log line) on an X error.
bool Checked(xcb_connection_t* connection, xcb_void_cookie_t cookie, const char* what)
{
    std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(xcb_request_check(connection, cookie), &std::free);
    if (!error)
        return true;
    LayerLog(std::string("[Monitor::Wake] ") + what + " failed, X error " + std::to_string(error->error_code));
    return false;
}

bool HasDpms(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_dpms_id);
    if (extension == nullptr || extension->present == 0)
        return false;
    std::unique_ptr<xcb_dpms_capable_reply_t, decltype(&std::free)> capable(
        xcb_dpms_capable_reply(connection, xcb_dpms_capable(connection), nullptr), &std::free);
    return capable && capable->capable != 0;
}

} // namespace

void Monitor::Wake()
{
    xcb_connection_t* connection = x11::Connection();
    if (connection == nullptr)
        return;
    Checked(connection, xcb_force_screen_saver_checked(connection, XCB_SCREEN_SAVER_RESET), "Screen saver reset");
    if (!HasDpms(connection))
        return;
    // With DPMS off the monitor is never powered down by it, and forcing a
    // level would be an error.
    std::unique_ptr<xcb_dpms_info_reply_t, decltype(&std::free)> info(
        xcb_dpms_info_reply(connection, xcb_dpms_info(connection), nullptr), &std::free);
    if (info && info->state == 0)
        return;
    Checked(connection, xcb_dpms_force_level_checked(connection, XCB_DPMS_DPMS_MODE_ON), "DPMS on");
}

} // namespace plat
