#include "platform/gui/user_idle.h"

#include "platform/gui/internal/x11.h"

#include <xcb/screensaver.h>

#include <atomic>
#include <cstdlib>
#include <memory>

namespace plat {
namespace {

constexpr int64_t kNoOverride = -1;
std::atomic<int64_t> idleOverride{kNoOverride};

} // namespace

uint32_t UserIdle::Seconds()
{
    const int64_t overridden = idleOverride.load();
    if (overridden != kNoOverride)
        return static_cast<uint32_t>(overridden);
    xcb_connection_t* connection = x11::Connection();
    if (connection == nullptr)
        return 0;
    const xcb_screensaver_query_info_cookie_t cookie =
        xcb_screensaver_query_info(connection, x11::RootWindow(connection));
    std::unique_ptr<xcb_screensaver_query_info_reply_t, decltype(&std::free)> reply(
        xcb_screensaver_query_info_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->ms_since_user_input / 1000 : 0;
}

void UserIdle::SetOverride(std::optional<uint32_t> seconds)
{
    idleOverride.store(seconds ? static_cast<int64_t>(*seconds) : kNoOverride);
}

} // namespace plat
