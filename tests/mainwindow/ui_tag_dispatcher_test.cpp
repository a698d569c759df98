#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/update.h"
#include "platform/core/shell_open.h"
#include "platform/core/thread.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "platform/testing/fake_clock.h"
#include "tests/mainwindow/shell_fixture.h"
#include "view/view.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

std::atomic<int> shellStarts{0};

bool CountShellStart(const std::vector<std::string>&, int* error)
{
    if (error != nullptr)
        *error = 0;
    ++shellStarts;
    return true;
}

class UiTagDispatcherTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        Settle();
        g.uiTags.Clear();
        shellStarts = 0;
        plat::SetShellStarter(&CountShellStart);
        previousClock_ = &plat::CurrentClock();
        plat::SetClock(&clock_);
    }
    void TearDown() override
    {
        plat::SetClock(previousClock_);
        ShellTest::TearDown();
        plat::SetShellStarter(nullptr);
        g.uiTags.Clear();
    }

    // A worker's post, then the loop's turn and one tick of the timer.
    void Post(int16_t tag, uint32_t param = 0)
    {
        g.SetUpdateUiTag(tag, param);
        Tick();
    }
    void Tick()
    {
        plat::testing::Flush();
        timers_->Advance(10);
    }

    // The panels of a new window (the fixture makes one per case).
    static void NewStatusBar()
    {
        View.StatusBarInitialised = 0;
        View.InitMainStatusBar();
    }
    static std::string StatusText()
    {
        plat::TLabel* label = View.StatusBars[6].Label();
        return label != nullptr ? label->Caption() : "(no panel)";
    }

    plat::testing::FakeClock clock_{1700000000000};
    // The fixture's own clock, back after the test.
    plat::Clock* previousClock_ = nullptr;
};

TEST_F(UiTagDispatcherTest, EachTagDoesWhatItsTableLineSays)
{
    struct Case {
        int16_t tag;
        uint32_t param;
        std::function<void()> before;
        std::function<void()> check;
    };
    const int32_t offline = App.TrayIconOffline;
    const int32_t online = App.TrayIconNormal;
    auto calls = [this] { return Pages().Calls; };
    auto has = [this](const std::string& call) {
        return std::find(Pages().Calls.begin(), Pages().Calls.end(), call) != Pages().Calls.end();
    };
    const Case cases[] = {
        {-2, 0, [this] { SignIn(); },
         [&] {
             EXPECT_EQ(Main().trayIcon->IconIndex(), offline);
             EXPECT_EQ(LogCount("[g.OdhlasUzivatele][BEGIN] closing_application = 0"), 1);
             EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
         }},
        {-1, 0, [this, online] { Main().trayIcon->SetIconIndex(online); },
         [&] {
             EXPECT_EQ(Main().trayIcon->IconIndex(), offline);
             EXPECT_TRUE(has("UpdateZentor"));
         }},
        {1, 0, [this] { RememberAccount("alice", "secret1", false); },
         [&] {
             EXPECT_EQ(Main().trayIcon->IconIndex(), online);
             EXPECT_EQ(Main().mnuUserLogout->Caption(), "Odhlásit uživatele alice");
             EXPECT_EQ(Main().pmnuUserLogout->Caption(), "Odhlásit uživatele alice");
             EXPECT_TRUE(has("UpdateZentor"));
             EXPECT_EQ(LogCount("[TfrmMainDLMR1::UpdateHeader][BEGIN]"), 1);
         }},
        {2, 0, [this, offline] { Main().trayIcon->SetIconIndex(offline); },
         [&] {
             EXPECT_EQ(LogCount("[timerUpdateUITimer] __uiOnlineAndLoginNotTested"), 1);
             EXPECT_EQ(Main().trayIcon->IconIndex(), online);
             EXPECT_TRUE(has("UpdateZentor"));
         }},
        {3, 0, [this] { Main().Show(); },
         [&] {
             EXPECT_EQ(Main().trayIcon->IconIndex(), offline);
             EXPECT_EQ(LogCount("[FormCloseQuery][BEGIN]"), 1) << "the window is asked to close";
         }},
        {8, 7, nullptr,
         [&] {
             EXPECT_EQ(calls(), (std::vector<std::string>{"OnHpTasksChange 7", "OnHpNoteChange 7"}));
         }},
        {9, 0, [this] { SignIn(); },
         [&] {
             EXPECT_TRUE(has("zentorGetUpcomingEvents"));
             EXPECT_EQ(LogCount("caller = timerUpdateUITimer (9, __uiUpdateShownData_NoSync)"), 2);
             EXPECT_EQ(picturesJobs, 0) << "no job 6 after that refresh";
         }},
        {10, 0,
         [this] {
             SignIn();
             Main().organizerToOpen = 502;
         },
         [&] {
             EXPECT_TRUE(has("UpdateZentor"));
             EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kPages);
             EXPECT_TRUE(has("Pages_ShowCalendarOrPage 502"));
         }},
        {11, 0, nullptr,
         [&] {
             EXPECT_EQ(LogCount("[timerUpdateUITimer][BEGIN] ui_tag =  (11)"), 1);
             EXPECT_EQ(LogCount("[FastSync] caller = __uiFastSync"), 1);
         }},
        {12, 0, nullptr,
         [&] { EXPECT_EQ(calls(), std::vector<std::string>{"RefreshAllDayboxes UpdateZentor(st_changed = true)"}); }},
        {106, 0, [] { NewStatusBar(); }, [&] { EXPECT_EQ(StatusText(), "Synchronizuji..."); }},
        {107, 0,
         [this] {
             NewStatusBar();
             Post(106);
         },
         [&] { EXPECT_EQ(StatusText(), ""); }},
        {200, 0, nullptr,
         [&] {
             EXPECT_EQ(calls(), (std::vector<std::string>{"zentorGetUpcomingEvents", "UpdateZentor"}));
         }},
        {201, 0, [this] { SignIn(); },
         [&] {
             EXPECT_TRUE(has("ClearZentorListBuilt"));
             EXPECT_TRUE(has("UpdateZentor"));
             EXPECT_EQ(LogCount("caller = timerUpdateUITimer (__uiUpdateSubscribedOrganizers)"), 2);
         }},
        {202, 0, [this] { Main().pSideboard->SetVisible(true); },
         [&] { EXPECT_EQ(calls(), std::vector<std::string>{"ReopenSideboard"}); }},
        {555, 0, [this, online] { Main().trayIcon->SetIconIndex(online); },
         [&] {
             EXPECT_EQ(LogCount("[timerUpdateUITimer] default ui_tag = 555"), 1);
             EXPECT_EQ(Main().trayIcon->IconIndex(), offline);
         }},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.tag);
        MakeMainWindow();
        Settle();
        if (item.before)
            item.before();
        Pages().Calls.clear();
        picturesJobs = 0;
        const int before = LogCount("[timerUpdateUITimer][BEGIN] ui_tag = ");
        Post(item.tag, item.param);
        EXPECT_EQ(LogCount("[timerUpdateUITimer][BEGIN] ui_tag = ") - before, 1);
        item.check();
        EXPECT_EQ(g.runningUiTag.load(), 0);
        // Each case reads its own log lines.
        std::filesystem::remove_all(home_.Path() + "log/");
        std::filesystem::create_directories(home_.Path() + "log/");
        Uzivatele.Resize(0);
        Uzivatele.AktivniUzivatel = -1;
        c.ExitAllowed = 0;
    }
}

TEST_F(UiTagDispatcherTest, TheStartPageOpensOnceAndOnlyWhenTheSettingAsks)
{
    ::Setup.SetValue("SettingsStartupDalmoraCz", 0, TNSetupItem::kBool);
    Post(1);
    EXPECT_EQ(g.StartPageWanted.load(), 0) << "the flag is used up either way";
    EXPECT_EQ(Main().mnuUserLogout->Caption(), "Odhlásit uživatele") << "no active user";

    g.StartPageWanted = 1;
    ::Setup.SetValue("SettingsStartupDalmoraCz", 1, TNSetupItem::kBool);
    Post(1);
    Post(1);
    ASSERT_TRUE(plat::WaitForRunningThreads(5000));
    plat::testing::Flush();
    EXPECT_EQ(shellStarts.load(), 1);
    ::Setup.SetValue("SettingsStartupDalmoraCz", 0, TNSetupItem::kBool);
}

TEST_F(UiTagDispatcherTest, TheSignInTextsGoToTheInfoLabelInTheirColour)
{
    const std::pair<int16_t, const char*> texts[] = {
        {100, "Přihlašuji uživatele"}, {101, "Uživatel přihlášen"}, {102, "Načítám data"}, {104, "Pracuji"},
        {105, "Spouštím aplikaci"},
    };
    for (const auto& [tag, text] : texts) {
        Main().label9LoginTest->Font().SetColor(plat::clBlack);
        Post(tag);
        EXPECT_EQ(Main().label9LoginTest->Caption(), text) << tag;
        EXPECT_EQ(Main().label9LoginTest->Font().Color(), 0xFFFF00u) << tag;
    }
    g.loadingDataPos = 0;
    g.loadingDataCount = 250;
    Post(103);
    EXPECT_EQ(Main().label9LoginTest->Caption(), "Načítám 250 položek");
    g.loadingDataPos = 100;
    Post(103);
    EXPECT_EQ(Main().label9LoginTest->Caption(), "Načítám 100/250");
}

TEST_F(UiTagDispatcherTest, UpdateTagSetsTheFlagsAndClosesTheWindow)
{
    Main().Show();
    AutoUpdate.PozadavekAktualizace = 0;
    AutoUpdate.ProvestAktualizaci = 0;
    g.WantUpdate = 0;
    c.RealExit = 0;
    c.ExitAllowed = 1;
    Post(7);
    EXPECT_EQ(g.WantUpdate.load(), 1);
    EXPECT_EQ(c.RealExit.load(), 1);
    EXPECT_EQ(c.ExitAllowed.load(), 0);
    EXPECT_EQ(AutoUpdate.PozadavekAktualizace, 1);
    EXPECT_EQ(AutoUpdate.ProvestAktualizaci, 1);
    EXPECT_EQ(LogCount("[FormCloseQuery][END] CanClose = 1"), 1) << "the real exit lets it close";
    EXPECT_EQ(Main().trayIcon->IconIndex(), App.TrayIconOffline);
    AutoUpdate.PozadavekAktualizace = 0;
    AutoUpdate.ProvestAktualizaci = 0;
    g.WantUpdate = 0;
    c.RealExit = 0;
    g.Close = 0;
}

TEST_F(UiTagDispatcherTest, ADeactivatedAccountIsToldAndLoggedOutOnlyWithAnActiveUser)
{
    struct Case {
        const char* what;
        bool active;
        uint8_t signedIn;
        int32_t deactivated;
        int32_t deleted;
        bool told;
    };
    const Case cases[] = {
        {"signed in, first field", true, 1, 1, 0, true},
        {"not signed in, first field only", true, 0, 1, 0, false},
        {"second field", true, 0, 0, 1, true},
        {"no active user", false, 1, 1, 1, false},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.what);
        MakeMainWindow();
        Settle();
        const int32_t index = RememberAccount("alice", "secret1", false, item.active);
        Uzivatele.UpdateUser(index, [&](TNUser& user) {
            user.Deactivated = item.deactivated;
            user.Deleted = item.deleted;
        });
        if (!item.active)
            Uzivatele.AktivniUzivatel = -1;
        Main().signedIn = item.signedIn;
        auto pauses = [this] {
            const std::vector<int64_t> sleeps = clock_.Sleeps();
            return std::count(sleeps.begin(), sleeps.end(), 300);
        };
        const auto before = pauses();
        Post(997);
        EXPECT_EQ(LogCount("[timerUpdateUITimer][BEGIN] ui_tag = __uiDeactivatedUser (997)"), 1);
        EXPECT_EQ(MessageBoxFields.Caption == "Účet deaktivován", item.told);
        EXPECT_EQ(pauses() - before, item.told ? 1 : 0) << "the 300 ms pause";
        EXPECT_EQ(LogCount("[g.OdhlasUzivatele][BEGIN]"), item.told ? 1 : 0);
        MessageBoxFields = TNMessageBoxFields{};
        std::filesystem::remove_all(home_.Path() + "log/");
        std::filesystem::create_directories(home_.Path() + "log/");
        Uzivatele.Resize(0);
        Uzivatele.AktivniUzivatel = -1;
    }
}

// ---------------------------------------------------------------------------
// The queue as the dispatcher works it off

TEST_F(UiTagDispatcherTest, TenTagsTakeTenTicksAndTheTimerStopsAfterTheLast)
{
    for (uint32_t i = 0; i < 10; ++i)
        g.SetUpdateUiTag(__uiUpdateHpNotesAndTasks, i);
    plat::testing::Flush();
    for (int tick = 1; tick <= 10; ++tick) {
        EXPECT_TRUE(Main().timerUpdateUI->Enabled()) << tick;
        timers_->Advance(10);
        EXPECT_EQ(g.uiTags.Count(), 10 - tick);
    }
    EXPECT_FALSE(Main().timerUpdateUI->Enabled());
    EXPECT_EQ(Pages().Count("OnHpTasksChange 9"), 1);
    EXPECT_EQ(LogCount("[timerUpdateUITimer] g.uiTagsCount = "), 9);
}

TEST_F(UiTagDispatcherTest, NothingIsTakenWhileTheDataSetIsBeingSaved)
{
    if (PIM.Count() == 0) {
        InstallPIMFactory();
        ASSERT_TRUE(c.ResizePIM());
    }
    ASSERT_NE(PIM[0], nullptr);
    PIM[0]->SavingPimNow = true;
    g.SetUpdateUiTag(__uiUpdateZentor, 0);
    Tick();
    Tick();
    g.SetUpdateUiTag(__uiUpdateHpTasks, 0);
    Tick();
    EXPECT_EQ(g.uiTags.Count(), 2) << "the queue only grows";
    EXPECT_GE(LogCount("[TfrmMainDLMR1::timerUpdateUITimer][RETURN] PIM[0]->SavingPimNow = true"), 3);
    EXPECT_TRUE(Main().timerUpdateUI->Enabled()) << "the tags wait for a later tick";
    PIM[0]->SavingPimNow = false;
    Tick();
    Tick();
    EXPECT_EQ(g.uiTags.Count(), 0);
    EXPECT_EQ(Pages().Calls, (std::vector<std::string>{"zentorGetUpcomingEvents", "UpdateZentor", "UpdateHpTasks"}));
}

TEST_F(UiTagDispatcherTest, AnExceptionInATagLeavesTheByteClearAndTheNextTagRuns)
{
    SignIn();
    Pages().ThrowOn = "zentorGetUpcomingEvents";
    g.SetUpdateUiTag(__uiUpdateShownData, 0);
    g.SetUpdateUiTag(__uiUpdateHpTasks, 0);
    Tick();
    EXPECT_EQ(LogCount("[timerUpdateUITimer][EXCEPTION] ui_tag = __uiUpdateShownData (4)"), 1);
    EXPECT_EQ(g.runningUiTag.load(), 0);
    EXPECT_EQ(g.updatingUiTagsNow.load(), 0);
    EXPECT_EQ(Pages().Count("UpdateHpTasks"), 0) << "one tag per tick";
    timers_->Advance(10);
    EXPECT_EQ(Pages().Count("UpdateHpTasks"), 1);
}

TEST_F(UiTagDispatcherTest, TagsOfManyThreadsRunOnceEachOnTheMainThreadInTheirOrder)
{
    constexpr int kThreads = 8;
    constexpr int kPerThread = 100;
    std::atomic<int> running{kThreads};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &running] {
            for (int i = 0; i < kPerThread; ++i)
                g.SetUpdateUiTag(__uiUpdateHpNotesAndTasks, static_cast<uint32_t>(t * 1000 + i));
            --running;
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((running > 0 || g.uiTags.Count() > 0) && std::chrono::steady_clock::now() < deadline) {
        plat::testing::Flush();
        timers_->Advance(10);
    }
    for (std::thread& writer : writers)
        writer.join();
    plat::testing::Flush();
    timers_->Advance(10);

    EXPECT_FALSE(Pages().CalledOffItsThread);
    std::map<int, std::vector<int>> byThread;
    for (const std::string& call : Pages().Calls) {
        if (call.rfind("OnHpTasksChange ", 0) == 0) {
            const int value = std::stoi(call.substr(16));
            byThread[value / 1000].push_back(value % 1000);
        }
    }
    ASSERT_EQ(byThread.size(), static_cast<size_t>(kThreads));
    for (const auto& [thread, values] : byThread) {
        ASSERT_EQ(values.size(), static_cast<size_t>(kPerThread)) << thread;
        for (int i = 0; i < kPerThread; ++i)
            EXPECT_EQ(values[i], i) << thread;
    }
}

} // namespace
} // namespace shell_test
