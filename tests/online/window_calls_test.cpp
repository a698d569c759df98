#include "foundation/hooks.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/window_calls.h"
#include "tests/online/online_world.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace online_test {
namespace {

using WindowCallsTest = OnlineWorld;

std::mutex callsMutex;
std::vector<std::thread::id> calledOn;

template <class Result, class... Args> Result Recorder(Args...)
{
    std::lock_guard<std::mutex> guard(callsMutex);
    calledOn.push_back(std::this_thread::get_id());
    return Result();
}

TEST_F(WindowCallsTest, EveryEntryCalledFromAWorkerRunsOnTheMainLoop)
{
    ViewHooks = {&Recorder<void, int32_t, const char*>,
                 &Recorder<void, int32_t, int32_t>,
                 &Recorder<void, int32_t, uint32_t, uint32_t>,
                 &Recorder<void, int32_t, const char*>,
                 &Recorder<void>,
                 &Recorder<void, const char*, const char*>,
                 &Recorder<void>,
                 &Recorder<void, bool>};
    MainWindowHooks = {&Recorder<void, int32_t>,
                       &Recorder<void, int32_t>,
                       &Recorder<void>,
                       &Recorder<void, int32_t>,
                       &Recorder<void, int32_t, int32_t>,
                       &Recorder<void, int32_t, int32_t>,
                       &Recorder<void, int32_t>,
                       &Recorder<void, int32_t>,
                       &Recorder<void, int32_t, int32_t>,
                       &Recorder<void, const char*, int32_t>,
                       &Recorder<void>,
                       &Recorder<void, uint32_t, const char*>,
                       &Recorder<void, int32_t>,
                       &Recorder<void, int32_t>,
                       &Recorder<void>,
                       &Recorder<void, uint32_t, uint32_t>,
                       &Recorder<void>,
                       &Recorder<void, bool>,
                       &Recorder<void, int32_t>,
                       &Recorder<void>};
    PagesHooks = {&Recorder<void, int32_t>, &Recorder<void>, &Recorder<void, std::shared_ptr<TNPIMRecordList>, int32_t>,
                  &Recorder<void, uint32_t>};
    DialogHooks = {
        &Recorder<void, int32_t, uint64_t, std::shared_ptr<const TNPIMRecord>, std::shared_ptr<const TNPIMSharing>>};
    FoundationHooks.MessageBox = &Recorder<int32_t, const char*, const char*, uint32_t>;
    FoundationHooks.ResetCursor = &Recorder<void>;
    FoundationHooks.SetWaitCursor = &Recorder<void>;

    const uint64_t key = g.InfoMessages.AddKeyed("shown", "", false, 0, 1);
    const std::vector<std::function<void()>> calls = {
        [] { TNWindowCalls::SetStatusBarText(1, "a"); },
        [] { TNWindowCalls::SetStatusBarIcon(1, 2); },
        [] { TNWindowCalls::SetStatusBarGradient(1, 2, 3); },
        [] { TNWindowCalls::SetStatusBarHint(1, "h"); },
        [] { TNWindowCalls::ResizeMainStatusBar(); },
        [] { TNWindowCalls::SetComponentText("labelUsersStats1", "t"); },
        [] { TNWindowCalls::DeleteAllDeletableComponents(); },
        [] { TNWindowCalls::SetClosing(true); },
        [] { TNWindowCalls::ArmOnlineTimer(1); },
        [] { TNWindowCalls::SetOnlineTimerTag(999); },
        [] { TNWindowCalls::WakeUiTagConsumer(); },
        [] { TNWindowCalls::ArmAfterOnlineLogin(1); },
        [] { TNWindowCalls::ArmAutoLogin(0, 250); },
        [] { TNWindowCalls::ArmNotTimer(1, 1); },
        [] { TNWindowCalls::ArmMainFromOnline(1); },
        [key] { TNWindowCalls::ArmInfoPruhForMessage(key); },
        [] { TNWindowCalls::ArmHintTimer(0, 2500); },
        [] { TNWindowCalls::ShowApplication("test", 5); },
        [] { TNWindowCalls::UpozorniNaNovouVerzi(); },
        [] { TNWindowCalls::StatusVersionBlink(0xFF, nullptr); },
        [] { TNWindowCalls::CloseNotWindow(0); },
        [] { TNWindowCalls::UpdateNotWindowPosition(0); },
        [] { TNWindowCalls::TurnMonitorOn(); },
        [] { TNWindowCalls::ReplaceShownNoteId(4200000001u, 9001); },
        [] { TNWindowCalls::UnregisterAllHotkeys(); },
        [] { TNWindowCalls::UlozHodnotyNastaveni(true); },
        [] { TNWindowCalls::PlaySoundA(1); },
        [] { TNWindowCalls::gDeskPageChanged(); },
        [] { TNWindowCalls::SaveEditedNote(2); },
        [] { TNWindowCalls::DestroyCalendarComponents(); },
        [] { TNWindowCalls::HandOverSearchResults(nullptr, 0); },
        [] { TNWindowCalls::SetOrganizerToOpen(501); },
        [] { TNWindowCalls::HandOverRecordFromServer(0, 0, nullptr, nullptr); },
        [] { TNWindowCalls::ShowMessageBox("text", "Chyba", mbOk); },
        [] { TNWindowCalls::ResetCursor(); },
        [] { TNWindowCalls::SetWaitCursor(); },
    };
    calledOn.clear();
    std::thread worker([&] {
        for (const auto& call : calls)
            call();
    });
    worker.join();
    // Posted, not run: the worker never waited for the main thread.
    EXPECT_TRUE(calledOn.empty());
    Pump();
    ASSERT_EQ(calledOn.size(), calls.size());
    for (std::thread::id id : calledOn)
        EXPECT_EQ(id, std::this_thread::get_id());
    FoundationHooks.MessageBox = nullptr;
    FoundationHooks.ResetCursor = nullptr;
    FoundationHooks.SetWaitCursor = nullptr;
    g.InfoMessages.Clear();
}

TEST_F(WindowCallsTest, AnUnsetEntryIsLoggedAndDoesNothing)
{
    TNWindowCalls::TurnMonitorOn();
    Pump();
    EXPECT_EQ(LogLinesContaining("[TNWindowCalls][NO_WINDOW] TurnMonitorOn"), 1);
}

} // namespace
} // namespace online_test
