#include "platform/testing/other_x11_client.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace plat::testing {

OtherX11Client::OtherX11Client(uint32_t keysym) : connection_(xcb_connect(nullptr, nullptr))
{
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
    keycode_ = codes != nullptr ? codes[0] : 0;
    std::free(codes);
    xcb_key_symbols_free(symbols);
}

OtherX11Client::~OtherX11Client()
{
    xcb_disconnect(connection_);
}

bool OtherX11Client::Grab(uint16_t mask)
{
    const xcb_void_cookie_t cookie =
        xcb_grab_key_checked(connection_, 0, root_, mask, keycode_, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_generic_error_t* error = xcb_request_check(connection_, cookie);
    std::free(error);
    return error == nullptr;
}

void OtherX11Client::Ungrab(uint16_t mask)
{
    xcb_ungrab_key(connection_, keycode_, root_, mask);
    xcb_flush(connection_);
}

} // namespace plat::testing
