#pragma once

// Internal: the X server behind the layer, where there is one.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace plat::x11 {

// Qt's own connection on the xcb platform; null elsewhere (offscreen,
// Wayland) and before the GUI starts.
xcb_connection_t* Connection();
// The root window of the default screen of `connection`.
uint32_t RootWindow(xcb_connection_t* connection);
uint32_t Atom(xcb_connection_t* connection, const char* name);
// A window property of 32-bit items (atoms, cardinals, windows); empty when
// missing.
std::vector<uint32_t> Property32(xcb_connection_t* connection, uint32_t window, uint32_t property);
// A compositing manager owns _NET_WM_CM_S<screen> (false without X11).
bool CompositorRunning();
// A window manager advertises `atomName` in _NET_SUPPORTED.
bool WindowManagerSupports(xcb_connection_t* connection, const char* atomName);

// Asks the window manager to change `window`: a client message of `type`
// with up to five 32-bit items, sent to the root window.
void SendToWindowManager(xcb_connection_t* connection, uint32_t window, uint32_t type,
                         std::initializer_list<uint32_t> items);

} // namespace plat::x11
