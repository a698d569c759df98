#include "platform/gui/internal/x11_key_grabs.h"

#include "platform/gui/hot_keys.h"
#include "platform/gui/internal/x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <utility>

namespace plat {
namespace {

constexpr uint8_t kBadAccess = 10;
constexpr uint16_t kCoreModifiers = 0xFF;

constexpr xcb_keysym_t kNumLock = 0xff7f;
constexpr xcb_keysym_t kAltLeft = 0xffe9;
constexpr xcb_keysym_t kAltRight = 0xffea;
constexpr xcb_keysym_t kSuperLeft = 0xffeb;
constexpr xcb_keysym_t kSuperRight = 0xffec;

// The keysym a virtual key stands for; 0 for none.
xcb_keysym_t KeysymOf(uint16_t virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return 'a' + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9')
        return virtualKey;
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return 0xffbe + (virtualKey - 0x70);
    static constexpr std::array<std::pair<uint16_t, xcb_keysym_t>, 18> named{{
        {0x08, 0xff08},
        {0x09, 0xff09},
        {0x0D, 0xff0d},
        {0x13, 0xff13},
        {0x1B, 0xff1b},
        {0x20, 0x0020},
        {0x21, 0xff55},
        {0x22, 0xff56},
        {0x23, 0xff57},
        {0x24, 0xff50},
        {0x25, 0xff51},
        {0x26, 0xff52},
        {0x27, 0xff53},
        {0x28, 0xff54},
        {0x2C, 0xff61},
        {0x2D, 0xff63},
        {0x2E, 0xffff},
        {0x5D, 0xff67},
    }};
    for (const auto& [code, keysym] : named)
        if (code == virtualKey)
            return keysym;
    return 0;
}

std::vector<xcb_window_t> RootWindows(xcb_connection_t* connection)
{
    std::vector<xcb_window_t> roots;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem > 0; xcb_screen_next(&it))
        roots.push_back(it.data->root);
    return roots;
}

using KeySymbols = std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)>;

std::vector<uint8_t> KeycodesOf(xcb_key_symbols_t* symbols, xcb_keysym_t keysym)
{
    std::vector<uint8_t> keycodes;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym);
    for (xcb_keycode_t* code = found; code != nullptr && *code != XCB_NO_SYMBOL; ++code)
        if (std::find(keycodes.begin(), keycodes.end(), *code) == keycodes.end())
            keycodes.push_back(*code);
    std::free(found);
    return keycodes;
}

// Which of the eight modifier bits the keyboard gives Alt, Super and NumLock.
struct ModifierBits {
    uint16_t alt = XCB_MOD_MASK_1;
    uint16_t super = XCB_MOD_MASK_4;
    uint16_t numLock = 0;
};

ModifierBits ReadModifierBits(xcb_connection_t* connection, xcb_key_symbols_t* symbols)
{
    ModifierBits bits;
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr), &std::free);
    if (!mapping)
        return bits;
    const xcb_keycode_t* table = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    auto bitOf = [&](std::initializer_list<xcb_keysym_t> keysyms) -> uint16_t {
        for (const xcb_keysym_t keysym : keysyms)
            for (const uint8_t keycode : KeycodesOf(symbols, keysym))
                for (int modifier = 0; modifier < 8; ++modifier)
                    for (int i = 0; i < perModifier; ++i)
                        if (table[modifier * perModifier + i] == keycode)
                            return static_cast<uint16_t>(1u << modifier);
        return 0;
    };
    if (const uint16_t alt = bitOf({kAltLeft, kAltRight}))
        bits.alt = alt;
    if (const uint16_t super = bitOf({kSuperLeft, kSuperRight}))
        bits.super = super;
    bits.numLock = bitOf({kNumLock});
    return bits;
}

uint16_t numLockMask = 0;
std::function<void(uint8_t, uint16_t)> pressHandler;
std::function<void()> mappingHandler;
bool mappingChangePosted = false;

// The first event number of the keyboard extension; 0 without it. Qt's
// connection learns keyboard changes from its events, not from the core
// MappingNotify.
uint8_t keyboardExtensionEvent = 0;

uint8_t KeyboardExtensionEvent(xcb_connection_t* connection)
{
    static constexpr char name[] = "XKEYBOARD";
    std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> reply(
        xcb_query_extension_reply(connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr),
        &std::free);
    return reply && reply->present ? reply->first_event : 0;
}

// A new keyboard or a new key map (the extension's first two event kinds),
// or the core protocol's mapping change.
bool KeyboardMappingChanged(const xcb_generic_event_t& event)
{
    const uint8_t type = event.response_type & 0x7F;
    if (type == XCB_MAPPING_NOTIFY)
        return reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request != XCB_MAPPING_POINTER;
    return keyboardExtensionEvent != 0 && type == keyboardExtensionEvent && event.pad0 <= 1;
}

// The grabs follow the keys to their new keycodes, once per burst of
// changes, after the window system has taken the new map.
void PostMappingChange()
{
    if (mappingChangePosted)
        return;
    mappingChangePosted = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            mappingChangePosted = false;
            if (auto handler = mappingHandler)
                handler();
        },
        Qt::QueuedConnection);
}

// Root key presses are the grabbed keys; Qt has no window for them.
class RootKeyFilter : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if (KeyboardMappingChanged(*event)) {
            PostMappingChange();
            return false;
        }
        if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
            return false;
        auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (press->event != press->root)
            return false;
        const uint8_t keycode = press->detail;
        const auto state = static_cast<uint16_t>(press->state & kCoreModifiers & ~(XCB_MOD_MASK_LOCK | numLockMask));
        // Delivered as a posted message would be, outside the window
        // system's event processing.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [keycode, state] {
                if (auto handler = pressHandler)
                    handler(keycode, state);
            },
            Qt::QueuedConnection);
        return true;
    }
};

void InstallRootKeyFilter(xcb_connection_t* connection)
{
    static RootKeyFilter* filter = nullptr;
    if (filter != nullptr)
        return;
    keyboardExtensionEvent = KeyboardExtensionEvent(connection);
    filter = new RootKeyFilter;
    QCoreApplication::instance()->installNativeEventFilter(filter);
}

} // namespace

bool X11KeyGrab::Matches(uint8_t keycode, uint16_t stateWithoutLocks) const
{
    return stateWithoutLocks == mask && std::find(keycodes.begin(), keycodes.end(), keycode) != keycodes.end();
}

bool X11KeyGrabs::Available()
{
    return x11::Connection() != nullptr;
}

namespace {

// Fills the keycodes, the mask and, as `held`, every grab the combination
// needs, without making any.
X11KeyGrabs::Result PlanGrab(xcb_connection_t* connection, unsigned modifiers, uint16_t virtualKey, X11KeyGrab& plan)
{
    plan = X11KeyGrab();
    const KeySymbols symbols(xcb_key_symbols_alloc(connection), &xcb_key_symbols_free);
    const xcb_keysym_t keysym = KeysymOf(virtualKey);
    if (!symbols || keysym == 0)
        return X11KeyGrabs::Result::NoKey;
    plan.keycodes = KeycodesOf(symbols.get(), keysym);
    if (plan.keycodes.empty())
        return X11KeyGrabs::Result::NoKey;
    const ModifierBits bits = ReadModifierBits(connection, symbols.get());
    numLockMask = bits.numLock;
    plan.mask = static_cast<uint16_t>(
        ((modifiers & MOD_ALT) ? bits.alt : 0) | ((modifiers & MOD_CONTROL) ? XCB_MOD_MASK_CONTROL : 0) |
        ((modifiers & MOD_SHIFT) ? XCB_MOD_MASK_SHIFT : 0) | ((modifiers & MOD_WIN) ? bits.super : 0));
    std::vector<uint16_t> variants;
    for (const uint16_t locks : {uint16_t{0}, uint16_t{XCB_MOD_MASK_LOCK}, bits.numLock,
                                 static_cast<uint16_t>(XCB_MOD_MASK_LOCK | bits.numLock)})
        if (std::find(variants.begin(), variants.end(), plan.mask | locks) == variants.end())
            variants.push_back(static_cast<uint16_t>(plan.mask | locks));
    for (const xcb_window_t root : RootWindows(connection))
        for (const uint8_t keycode : plan.keycodes)
            for (const uint16_t variant : variants)
                plan.held.push_back({root, keycode, variant});
    return X11KeyGrabs::Result::Grabbed;
}

} // namespace

X11KeyGrabs::Result X11KeyGrabs::Grab(unsigned modifiers, uint16_t virtualKey, X11KeyGrab& grab)
{
    grab = X11KeyGrab();
    xcb_connection_t* connection = x11::Connection();
    if (connection == nullptr)
        return Result::Failed;
    InstallRootKeyFilter(connection);
    X11KeyGrab plan;
    if (const Result planned = PlanGrab(connection, modifiers, virtualKey, plan); planned != Result::Grabbed)
        return planned;
    grab.keycodes = plan.keycodes;
    grab.mask = plan.mask;
    // One request at a time, so the grabs held are exactly those made before
    // a refusal.
    for (const X11KeyGrab::Held& wanted : plan.held) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(connection, 0, wanted.root, wanted.mask, wanted.keycode,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            const bool taken = error->error_code == kBadAccess;
            std::free(error);
            Release(grab);
            return taken ? Result::Taken : Result::Failed;
        }
        grab.held.push_back(wanted);
    }
    return Result::Grabbed;
}

X11KeyGrabs::Result X11KeyGrabs::Regrab(unsigned modifiers, uint16_t virtualKey, X11KeyGrab& grab)
{
    xcb_connection_t* connection = x11::Connection();
    X11KeyGrab plan;
    if (connection != nullptr && PlanGrab(connection, modifiers, virtualKey, plan) == Result::Grabbed &&
        plan.held == grab.held)
        return Result::Grabbed;
    Release(grab);
    return Grab(modifiers, virtualKey, grab);
}

void X11KeyGrabs::Release(X11KeyGrab& grab)
{
    xcb_connection_t* connection = x11::Connection();
    if (connection != nullptr) {
        for (const X11KeyGrab::Held& held : grab.held)
            xcb_ungrab_key(connection, held.keycode, held.root, held.mask);
        // A round trip, not only a flush: once this returns the server has
        // freed the keys, so another client's grab right after succeeds.
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    grab.held.clear();
}

void X11KeyGrabs::SetPressHandler(std::function<void(uint8_t keycode, uint16_t state)> handler)
{
    pressHandler = std::move(handler);
}

void X11KeyGrabs::SetMappingHandler(std::function<void()> handler)
{
    mappingHandler = std::move(handler);
}

} // namespace plat
