#include "platform/gui/hot_keys.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "platform/gui/foreground.h"
#include "platform/gui/menu.h"
#include "platform/gui/timer.h"

#include <cstring>

namespace {

constexpr int32_t kMainWindowKey = 101;
constexpr int32_t kAddSomethingNewKey = 105;
constexpr int32_t kNotepadKey = 106;
constexpr int32_t kLeftKey = 107;
constexpr int32_t kRightKey = 108;
constexpr int32_t kHomeKey = 109;

constexpr uint16_t kVkHome = 36;
constexpr uint16_t kVkLeft = 37;
constexpr uint16_t kVkRight = 39;

// The hot keys the user may switch off, in their order of registration.
struct UserHotKey {
    int32_t id;
    uint16_t key;
    const char* setting;
    plat::TMenuItem* TfrmMainDLMR1::*menu;
    void (TfrmMainDLMR1::*toggle)();
    const char* menuName;
    const char* caption;
};

const UserHotKey kUserHotKeys[] = {
    {kAddSomethingNewKey, 'A', "Settings_ShortcutAddSomethingNew", &TfrmMainDLMR1::mnuShortcutAddSomethingNew,
     &TfrmMainDLMR1::mnuShortcutAddSomethingNewClick, "mnuShortcutAddSomethingNew", "Přidat něco nového (Alt+Shift+A)"},
    {kMainWindowKey, 'S', "Settings_ShortcutMainWindow", &TfrmMainDLMR1::mnuShortcutMainWindow,
     &TfrmMainDLMR1::mnuShortcutMainWindowClick, "mnuShortcutMainWindow", "Zobrazit hlavní okno (Alt+Shift+S)"},
    {kNotepadKey, 'D', "Settings_ShortcutNotepad", &TfrmMainDLMR1::mnuShortcutNotepad,
     &TfrmMainDLMR1::mnuShortcutNotepadClick, "mnuShortcutNotepad", "Poznámkový blok (Alt+Shift+D)"},
};

// Left, Right and Home: registered only while the main window is in front.
struct FocusKey {
    int32_t id;
    uint16_t key;
};

constexpr FocusKey kFocusKeys[] = {{kLeftKey, kVkLeft}, {kRightKey, kVkRight}, {kHomeKey, kVkHome}};

// Controls that use Left, Right and Home themselves: the select-all classes.
constexpr const char* kEditorClasses[] = {"TEdit",     "TFlatEdit", "TFlatComboBox",        "TFlatMemo",      "TMemo",
                                          "TRichEdit", "TListBox",  "TFlatSpinEditInteger", "TDateTimePicker"};

bool IsEditorClass(const char* className)
{
    for (const char* editor : kEditorClasses)
        if (std::strcmp(editor, className) == 0)
            return true;
    return false;
}

const UserHotKey* FindUserHotKey(int32_t id)
{
    for (const UserHotKey& hotKey : kUserHotKeys)
        if (hotKey.id == id)
            return &hotKey;
    return nullptr;
}

} // namespace

void TfrmMainDLMR1::CreateShortcutMenu()
{
    mnuShortcuts = MainMenu2->FindByName("mnuShortcuts");
    for (const UserHotKey& hotKey : kUserHotKeys) {
        plat::TMenuItem* item = MainMenu2->FindByName(hotKey.menuName);
        if (item == nullptr && mnuShortcuts != nullptr) {
            item = new plat::TMenuItem(this);
            item->SetName(hotKey.menuName);
            item->SetCaption(hotKey.caption);
            mnuShortcuts->Add(item);
        }
        if (item == nullptr)
            continue;
        const auto toggle = hotKey.toggle;
        item->OnClick = [this, toggle](plat::TComponent*) { (this->*toggle)(); };
        this->*hotKey.menu = item;
    }
}

void TfrmMainDLMR1::RegisterHotkeysFromSettings()
{
    Guarded("[TfrmMainDLMR1::RegisterHotkeysFromSettings]", [&] {
        for (const UserHotKey& hotKey : kUserHotKeys) {
            if (Setup.Find(hotKey.setting) < 0)
                Setup.SetValue(hotKey.setting, 1, TNSetupItem::kBool);
            if (plat::TMenuItem* item = this->*hotKey.menu)
                item->SetChecked(Setup.GetBool(hotKey.setting));
        }
        // A failed registration (another program holds the keys) is logged
        // by the layer; the check mark stays.
        for (const UserHotKey& hotKey : kUserHotKeys)
            if (Setup.GetBool(hotKey.setting))
                plat::HotKeys::Register(*this, hotKey.id, plat::MOD_ALT | plat::MOD_SHIFT, hotKey.key);
        // Once a run: a later sign-in finds it.
        if (!foregroundHookInstalled_) {
            plat::SetForegroundHook([this](plat::TForm* form) { ForegroundWindowChanged(form); });
            foregroundHookInstalled_ = true;
            LogText("[AktivujNastaveni] SetWinEventHook(EVENT_SYSTEM_FOREGROUND)");
        }
        if (plat::GetForegroundForm() == this)
            RegisterFocusDependentHotkeys();
    });
}

void TfrmMainDLMR1::RegisterFocusDependentHotkeys()
{
    for (const FocusKey& focusKey : kFocusKeys)
        plat::HotKeys::Register(*this, focusKey.id, 0, focusKey.key);
}

void TfrmMainDLMR1::UnregisterFocusDependentHotkeys()
{
    for (const FocusKey& focusKey : kFocusKeys)
        plat::HotKeys::Unregister(*this, focusKey.id);
}

void TfrmMainDLMR1::UnregisterAllHotkeys()
{
    for (const UserHotKey& hotKey : kUserHotKeys)
        plat::HotKeys::Unregister(*this, hotKey.id);
    UnregisterFocusDependentHotkeys();
}

void TfrmMainDLMR1::ForegroundWindowChanged(plat::TForm* form)
{
    if (form == this)
        RegisterFocusDependentHotkeys();
    else
        UnregisterFocusDependentHotkeys();
}

void TfrmMainDLMR1::mnuShortcutMainWindowClick()
{
    ToggleShortcut(kMainWindowKey);
}

void TfrmMainDLMR1::mnuShortcutAddSomethingNewClick()
{
    ToggleShortcut(kAddSomethingNewKey);
}

void TfrmMainDLMR1::mnuShortcutNotepadClick()
{
    ToggleShortcut(kNotepadKey);
}

void TfrmMainDLMR1::ToggleShortcut(int32_t id)
{
    Guarded("[TfrmMainDLMR1::ToggleShortcut]", [&] {
        const UserHotKey* hotKey = FindUserHotKey(id);
        if (hotKey == nullptr)
            return;
        const bool on = !Setup.GetBool(hotKey->setting);
        Setup.SetValue(hotKey->setting, on ? 1 : 0, TNSetupItem::kBool);
        if (plat::TMenuItem* item = this->*hotKey->menu)
            item->SetChecked(on);
        if (on)
            plat::HotKeys::Register(*this, hotKey->id, plat::MOD_ALT | plat::MOD_SHIFT, hotKey->key);
        else
            plat::HotKeys::Unregister(*this, hotKey->id);
    });
}

void TfrmMainDLMR1::SetFocusedSearchField(plat::TWinControl* field)
{
    focusedSearchField_ = field;
}

plat::LRESULT TfrmMainDLMR1::HotKey(plat::WPARAM id)
{
    return Guarded("[TfrmMainDLMR1::HotKey]", plat::LRESULT{1}, [&]() -> plat::LRESULT {
        switch (static_cast<int32_t>(id)) {
        case kMainWindowKey:
        case kNotepadKey:
            ShowApplication("TfrmMainDLMR1::HotKey", plat::Application::kShowNormal);
            return 1;
        case kAddSomethingNewKey:
            ShowApplication("TfrmMainDLMR1::HotKey", plat::Application::kShowNormal);
            timerAddSomethingNew->SetTag(0);
            timerAddSomethingNew->SetEnabled(true);
            return 1;
        case kLeftKey:
        case kRightKey:
            return HandleArrowKeyPress(static_cast<int32_t>(id)) ? 1 : 0;
        case kHomeKey:
            return HandleHomeKeyPress(static_cast<int32_t>(id)) ? 1 : 0;
        default:
            return 1;
        }
    });
}

bool TfrmMainDLMR1::HomepageTakesKey() const
{
    if (focusedSearchField_ || controlActive != kHomepage)
        return false;
    // Typing in the note editor or a list, the key moves the caret.
    const plat::TWinControl* focused = ActiveControl();
    return focused == nullptr || !IsEditorClass(focused->ClassName());
}

bool TfrmMainDLMR1::SendKeyToSearchField(uint16_t virtualKey, const char* warning)
{
    plat::TWinControl* field = focusedSearchField_.Get();
    if (field == nullptr)
        return false;
    if (virtualKey == 0) {
        LogText(warning);
        return false;
    }
    plat::SendKeyDown(*field, virtualKey);
    return true;
}

bool TfrmMainDLMR1::HandleArrowKeyPress(int32_t id)
{
    return Guarded("[TfrmMainDLMR1::HandleArrowKeyPress]", false, [&] {
        if (HomepageTakesKey()) {
            if (id == kLeftKey)
                pages_->RunCommand(TNPageCommand::btnTodayPreviousClick);
            else
                pages_->RunCommand(TNPageCommand::btnTodayNextClick);
            return true;
        }
        const uint16_t key = id == kLeftKey ? kVkLeft : id == kRightKey ? kVkRight : 0;
        SendKeyToSearchField(key, "[TfrmMainDLMR1::HandleArrowKeyPress][WARNING] SendMessage() keycode = 0");
        return false;
    });
}

bool TfrmMainDLMR1::HandleHomeKeyPress(int32_t id)
{
    return Guarded("[TfrmMainDLMR1::HandleHomeKeyPress]", false, [&] {
        if (HomepageTakesKey()) {
            pages_->RunCommand(TNPageCommand::btnTodayTodayClick);
            return true;
        }
        const uint16_t key = id == kHomeKey ? kVkHome : 0;
        SendKeyToSearchField(key, "[TfrmMainDLMR1::HandleHomeKeyPress][WARNING] SendMessage() keycode = 0");
        return false;
    });
}
