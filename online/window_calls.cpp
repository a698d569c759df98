#include "online/window_calls.h"

#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/main_loop.h"

#include <string>
#include <utility>

TNViewHooks ViewHooks;
TNMainWindowHooks MainWindowHooks;
TNPagesHooks PagesHooks;
TNDialogHooks DialogHooks;
TNOnlineHooks OnlineHooks;

namespace {

// Runs `call` with the entry `slot` of `table` on the main loop's thread,
// reading the entry there; an unset entry is logged.
template <class Table, class Entry, class Call> void Post(const char* name, Table& table, Entry Table::*slot, Call call)
{
    bool posted = plat::PostToMainThread([name, &table, slot, call = std::move(call)] {
        Entry entry = table.*slot;
        if (entry == nullptr) {
            LogWrite("[TNWindowCalls][NO_WINDOW] ", name, false);
            return;
        }
        Guarded(name, [&] { call(entry); });
    });
    if (!posted)
        LogWrite("[TNWindowCalls][NO_MAIN_LOOP] ", name, false);
}

std::string Copy(const char* text)
{
    return text != nullptr ? text : "";
}

} // namespace

namespace TNWindowCalls {

void SetStatusBarText(int32_t item, const char* text)
{
    Post("SetStatusBarText", ViewHooks, &TNViewHooks::SetStatusBarText,
         [item, text = Copy(text)](auto fn) { fn(item, text.c_str()); });
}

void SetStatusBarIcon(int32_t item, int32_t iconIndex)
{
    Post("SetStatusBarIcon", ViewHooks, &TNViewHooks::SetStatusBarIcon, [=](auto fn) { fn(item, iconIndex); });
}

void SetStatusBarGradient(int32_t item, uint32_t colourFrom, uint32_t colourTo)
{
    Post("SetStatusBarGradient", ViewHooks, &TNViewHooks::SetStatusBarGradient,
         [=](auto fn) { fn(item, colourFrom, colourTo); });
}

void SetStatusBarHint(int32_t item, const char* hint)
{
    Post("SetStatusBarHint", ViewHooks, &TNViewHooks::SetStatusBarHint,
         [item, hint = Copy(hint)](auto fn) { fn(item, hint.c_str()); });
}

void ResizeMainStatusBar()
{
    Post("ResizeMainStatusBar", ViewHooks, &TNViewHooks::ResizeMainStatusBar, [](auto fn) { fn(); });
}

void SetComponentText(const char* name, const char* text)
{
    Post("SetComponentText", ViewHooks, &TNViewHooks::SetComponentText,
         [name = Copy(name), text = Copy(text)](auto fn) { fn(name.c_str(), text.c_str()); });
}

void DeleteAllDeletableComponents()
{
    Post("DeleteAllDeletableComponents", ViewHooks, &TNViewHooks::DeleteAllDeletableComponents, [](auto fn) { fn(); });
}

void SetClosing(bool closing)
{
    Post("SetClosing", ViewHooks, &TNViewHooks::SetClosing, [=](auto fn) { fn(closing); });
}

void ArmOnlineTimer(int32_t intervalMs)
{
    Post("ArmOnlineTimer", MainWindowHooks, &TNMainWindowHooks::ArmOnlineTimer, [=](auto fn) { fn(intervalMs); });
}

void SetOnlineTimerTag(int32_t tag)
{
    Post("SetOnlineTimerTag", MainWindowHooks, &TNMainWindowHooks::SetOnlineTimerTag, [=](auto fn) { fn(tag); });
}

void WakeUiTagConsumer()
{
    Post("WakeUiTagConsumer", MainWindowHooks, &TNMainWindowHooks::WakeUiTagConsumer, [](auto fn) { fn(); });
}

void ArmAfterOnlineLogin(int32_t tag)
{
    Post("ArmAfterOnlineLogin", MainWindowHooks, &TNMainWindowHooks::ArmAfterOnlineLogin, [=](auto fn) { fn(tag); });
}

void ArmAutoLogin(int32_t tag, int32_t intervalMs)
{
    Post("ArmAutoLogin", MainWindowHooks, &TNMainWindowHooks::ArmAutoLogin, [=](auto fn) { fn(tag, intervalMs); });
}

void ArmNotTimer(int32_t tag, int32_t intervalMs)
{
    Post("ArmNotTimer", MainWindowHooks, &TNMainWindowHooks::ArmNotTimer, [=](auto fn) { fn(tag, intervalMs); });
}

void ArmMainFromOnline(int32_t tag)
{
    Post("ArmMainFromOnline", MainWindowHooks, &TNMainWindowHooks::ArmMainFromOnline, [=](auto fn) { fn(tag); });
}

void ArmInfoPruhForMessage(uint64_t key)
{
    Post("ArmInfoPruh", MainWindowHooks, &TNMainWindowHooks::ArmInfoPruh, [key](auto fn) {
        const int32_t index = g.InfoMessages.FindKey(key);
        if (index < 0) {
            LogText("[TNWindowCalls::ArmInfoPruhForMessage] the message is gone");
            return;
        }
        fn(index);
    });
}

void ArmHintTimer(int32_t tag, int32_t intervalMs)
{
    Post("ArmHintTimer", MainWindowHooks, &TNMainWindowHooks::ArmHintTimer, [=](auto fn) { fn(tag, intervalMs); });
}

void ShowApplication(const char* caller, int32_t showCommand)
{
    Post("ShowApplication", MainWindowHooks, &TNMainWindowHooks::ShowApplication,
         [caller = Copy(caller), showCommand](auto fn) { fn(caller.c_str(), showCommand); });
}

void UpozorniNaNovouVerzi()
{
    Post("UpozorniNaNovouVerzi", MainWindowHooks, &TNMainWindowHooks::UpozorniNaNovouVerzi, [](auto fn) { fn(); });
}

void StatusVersionBlink(uint32_t colour, const char* text)
{
    bool hasText = text != nullptr;
    Post("StatusVersionBlink", MainWindowHooks, &TNMainWindowHooks::StatusVersionBlink,
         [colour, hasText, text = Copy(text)](auto fn) { fn(colour, hasText ? text.c_str() : nullptr); });
}

void CloseNotWindow(int32_t slot)
{
    Post("CloseNotWindow", MainWindowHooks, &TNMainWindowHooks::CloseNotWindow, [=](auto fn) { fn(slot); });
}

void UpdateNotWindowPosition(int32_t slot)
{
    Post("UpdateNotWindowPosition", MainWindowHooks, &TNMainWindowHooks::UpdateNotWindowPosition,
         [=](auto fn) { fn(slot); });
}

void TurnMonitorOn()
{
    Post("TurnMonitorOn", MainWindowHooks, &TNMainWindowHooks::TurnMonitorOn, [](auto fn) { fn(); });
}

void ReplaceShownNoteId(uint32_t oldId, uint32_t newId)
{
    Post("ReplaceShownNoteId", MainWindowHooks, &TNMainWindowHooks::ReplaceShownNoteId,
         [=](auto fn) { fn(oldId, newId); });
}

void UnregisterAllHotkeys()
{
    Post("UnregisterAllHotkeys", MainWindowHooks, &TNMainWindowHooks::UnregisterAllHotkeys, [](auto fn) { fn(); });
}

void UlozHodnotyNastaveni(bool flag)
{
    Post("UlozHodnotyNastaveni", MainWindowHooks, &TNMainWindowHooks::UlozHodnotyNastaveni, [=](auto fn) { fn(flag); });
}

void PlaySoundA(int32_t sound)
{
    Post("PlaySoundA", MainWindowHooks, &TNMainWindowHooks::PlaySoundA, [=](auto fn) { fn(sound); });
}

void gDeskPageChanged()
{
    Post("gDeskPageChanged", MainWindowHooks, &TNMainWindowHooks::gDeskPageChanged, [](auto fn) { fn(); });
}

void ZavriInfoPanel()
{
    Post("ZavriInfoPanel", MainWindowHooks, &TNMainWindowHooks::ZavriInfoPanel, [](auto fn) { fn(); });
}

void SaveEditedNote(int32_t mode)
{
    Post("SaveEditedNote", PagesHooks, &TNPagesHooks::SaveEditedNote, [=](auto fn) { fn(mode); });
}

void DestroyCalendarComponents()
{
    Post("DestroyCalendarComponents", PagesHooks, &TNPagesHooks::DestroyCalendarComponents, [](auto fn) { fn(); });
}

void HandOverSearchResults(std::shared_ptr<TNPIMRecordList> results, int32_t count)
{
    Post("HandOverSearchResults", PagesHooks, &TNPagesHooks::HandOverSearchResults,
         [results = std::move(results), count](auto fn) { fn(results, count); });
}

void SetOrganizerToOpen(uint32_t organizerId)
{
    Post("SetOrganizerToOpen", PagesHooks, &TNPagesHooks::SetOrganizerToOpen, [=](auto fn) { fn(organizerId); });
}

void HandOverRecordFromServer(int32_t dialogIndex, uint64_t dialogId, std::shared_ptr<const TNPIMRecord> record,
                              std::shared_ptr<const TNPIMSharing> sharing)
{
    Post("HandOverRecordFromServer", DialogHooks, &TNDialogHooks::HandOverRecordFromServer,
         [=](auto fn) { fn(dialogIndex, dialogId, record, sharing); });
}

void ShowMessageBox(const char* text, const char* caption, uint32_t flags)
{
    Post("ShowMessageBox", FoundationHooks, &TNFoundationHooks::MessageBox,
         [text = Copy(text), caption = Copy(caption), flags](auto fn) { fn(text.c_str(), caption.c_str(), flags); });
}

void ResetCursor()
{
    Post("ResetCursor", FoundationHooks, &TNFoundationHooks::ResetCursor, [](auto fn) { fn(); });
}

void SetWaitCursor()
{
    Post("SetWaitCursor", FoundationHooks, &TNFoundationHooks::SetWaitCursor, [](auto fn) { fn(); });
}

} // namespace TNWindowCalls
