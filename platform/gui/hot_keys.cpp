#include "platform/gui/hot_keys.h"

#include "platform/gui/form.h"
#include "platform/gui/internal/hot_key_links.h"
#include "platform/gui/internal/key_codes.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/internal/win_control_impl.h"
#include "platform/gui/internal/x11_key_grabs.h"
#include "platform/gui/main_thread.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace plat {
namespace {

struct Registration {
    TWeakRef<TForm> form;
    int id = 0;
    unsigned modifiers = 0;
    uint16_t virtualKey = 0;
    // Grabbed, or caught in the form's controls; an inactive one only
    // serves Simulate.
    bool active = false;
    X11KeyGrab grab;

    bool Global() const { return modifiers != 0; }
    LPARAM LParam() const { return static_cast<LPARAM>((modifiers & 0xFFFF) | (uint32_t{virtualKey} << 16)); }
};

std::vector<Registration> registrations;

// While a focus hot key runs its handler: keys sent to controls are not
// caught again, and one sent counts as the delivery of the original.
bool dispatchingFocusKey = false;
bool keySentDuringDispatch = false;
bool sendingKeyDown = false;

std::string Describe(const Registration& entry)
{
    std::string text;
    if (entry.modifiers & MOD_CONTROL)
        text += "Ctrl+";
    if (entry.modifiers & MOD_ALT)
        text += "Alt+";
    if (entry.modifiers & MOD_SHIFT)
        text += "Shift+";
    if (entry.modifiers & MOD_WIN)
        text += "Win+";
    const uint16_t key = entry.virtualKey;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        text += static_cast<char>(key);
    } else {
        char code[16];
        std::snprintf(code, sizeof code, "key 0x%02X", key);
        text += code;
    }
    return "hot key " + std::to_string(entry.id) + " (" + text + ")";
}

void Release(Registration& entry)
{
    if (!entry.grab.held.empty())
        X11KeyGrabs::Release(entry.grab);
    entry.active = false;
}

void Deliver(const Registration& entry)
{
    TWeakRef<TForm> form = entry.form;
    if (form)
        form->Perform(WM_HOTKEY, static_cast<WPARAM>(entry.id), entry.LParam());
}

void RootKeyPressed(uint8_t keycode, uint16_t state)
{
    for (const Registration& entry : registrations)
        if (entry.active && entry.Global() && entry.grab.Matches(keycode, state)) {
            const Registration copy = entry;
            Deliver(copy);
            return;
        }
}

bool Logged(X11KeyGrabs::Result result, const Registration& entry, const std::string& caller)
{
    switch (result) {
    case X11KeyGrabs::Result::Grabbed:
        return true;
    case X11KeyGrabs::Result::Taken:
        LayerLog(caller + Describe(entry) + " is taken by another program");
        return false;
    case X11KeyGrabs::Result::NoKey:
        LayerLog(caller + Describe(entry) + ": no such key on this keyboard");
        return false;
    case X11KeyGrabs::Result::Failed:
        break;
    }
    LayerLog(caller + Describe(entry) + ": the X server refused the grab");
    return false;
}

// A new key map may move the keys to other keycodes.
void KeyboardMappingChanged()
{
    for (Registration& entry : registrations)
        if (entry.active && entry.Global())
            entry.active = Logged(X11KeyGrabs::Regrab(entry.modifiers, entry.virtualKey, entry.grab), entry,
                                  "[HotKeys] After a keyboard change: ");
}

bool GrabGlobal(Registration& entry)
{
    if (!X11KeyGrabs::Available()) {
        LayerLog("[HotKeys::Register] No X11 display: " + Describe(entry) + " not registered");
        return false;
    }
    X11KeyGrabs::SetPressHandler(RootKeyPressed);
    X11KeyGrabs::SetMappingHandler(KeyboardMappingChanged);
    return Logged(X11KeyGrabs::Grab(entry.modifiers, entry.virtualKey, entry.grab), entry, "[HotKeys::Register] ");
}

TForm* FormOfWidget(QObject* receiver)
{
    if (!receiver->isWidgetType())
        return nullptr;
    auto* window = dynamic_cast<ControlWidget*>(static_cast<QWidget*>(receiver)->window());
    return window != nullptr ? dynamic_cast<TForm*>(window->control) : nullptr;
}

} // namespace

bool HotKeys::Register(TForm& form, int id, unsigned modifiers, uint16_t virtualKey)
{
    RequireMainThread("HotKeys", "Register");
    Unregister(form, id);
    Registration entry;
    entry.form = &form;
    entry.id = id;
    entry.modifiers = modifiers & (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN);
    entry.virtualKey = virtualKey;
    const bool taken = std::any_of(registrations.begin(), registrations.end(), [&](const Registration& other) {
        return other.active && other.modifiers == entry.modifiers && other.virtualKey == virtualKey;
    });
    if (taken)
        LayerLog("[HotKeys::Register] " + Describe(entry) + " is registered under another id");
    else
        entry.active = !entry.Global() || GrabGlobal(entry);
    const bool registered = entry.active;
    registrations.push_back(std::move(entry));
    return registered;
}

void HotKeys::Unregister(TForm& form, int id)
{
    RequireMainThread("HotKeys", "Unregister");
    for (Registration& entry : registrations)
        if (entry.form.Get() == &form && entry.id == id)
            Release(entry);
    std::erase_if(registrations,
                  [&](const Registration& entry) { return entry.form.Get() == &form && entry.id == id; });
}

bool HotKeys::Simulate(int id)
{
    RequireMainThread("HotKeys", "Simulate");
    auto it = std::find_if(registrations.rbegin(), registrations.rend(),
                           [id](const Registration& entry) { return entry.id == id; });
    if (it == registrations.rend())
        return false;
    const Registration copy = *it;
    Deliver(copy);
    return true;
}

bool FocusHotKeyTakes(QObject* receiver, const QKeyEvent& event)
{
    if (dispatchingFocusKey || sendingKeyDown || registrations.empty())
        return false;
    if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    TForm* form = FormOfWidget(receiver);
    if (form == nullptr || form != Application::ActiveForm())
        return false;
    const uint16_t key = VirtualKeyOf(event);
    auto it = std::find_if(registrations.begin(), registrations.end(), [&](const Registration& entry) {
        return entry.active && !entry.Global() && entry.virtualKey == key && entry.form.Get() == form;
    });
    if (key == 0 || it == registrations.end())
        return false;
    const Registration copy = *it;
    const bool outerSent = keySentDuringDispatch;
    dispatchingFocusKey = true;
    keySentDuringDispatch = false;
    const LRESULT used = form->Perform(WM_HOTKEY, static_cast<WPARAM>(copy.id), copy.LParam());
    const bool sent = keySentDuringDispatch;
    dispatchingFocusKey = false;
    keySentDuringDispatch = outerSent;
    return used != 0 || sent;
}

void HotKeysFormGone(TForm& form)
{
    // The form's own references may already read null.
    auto gone = [&](const Registration& entry) { return !entry.form || entry.form.Get() == &form; };
    for (Registration& entry : registrations)
        if (gone(entry))
            Release(entry);
    std::erase_if(registrations, gone);
}

void SendKeyDown(TWinControl& control, uint16_t virtualKey)
{
    RequireMainThread(control.ClassName(), "SendKeyDown");
    QWidget* target = control.Impl().editor != nullptr ? control.Impl().editor : control.Impl().widget;
    QKeyEvent event(QEvent::KeyPress, QtKeyOfVirtualKey(virtualKey), Qt::NoModifier, QString());
    if (dispatchingFocusKey)
        keySentDuringDispatch = true;
    const bool outer = sendingKeyDown;
    sendingKeyDown = true;
    QCoreApplication::sendEvent(target, &event);
    sendingKeyDown = outer;
}

} // namespace plat
