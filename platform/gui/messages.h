#pragma once

#include <cstdint>

namespace plat {

// Window messages by the numbers the program uses.
using TMessageId = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr TMessageId WM_ACTIVATE = 0x0006;
constexpr TMessageId WM_CLOSE = 0x0010;
constexpr TMessageId WM_QUERYENDSESSION = 0x0011;
constexpr TMessageId WM_ENDSESSION = 0x0016;
constexpr TMessageId WM_DISPLAYCHANGE = 0x007E;
constexpr TMessageId WM_KEYDOWN = 0x0100;
constexpr TMessageId WM_SYSCOMMAND = 0x0112;
constexpr TMessageId WM_POWERBROADCAST = 0x0218;
constexpr TMessageId WM_HOTKEY = 0x0312;
constexpr TMessageId WM_USER = 0x0400;
// The restore message a second copy sends.
constexpr TMessageId WM_DALMORA_RESTORE = WM_USER + 101;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

} // namespace plat
