#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/info_messages.h"
#include "foundation/setup.h"
#include "mainwindow/dialog_bridge.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/window_calls.h"
#include "platform/core/shell_open.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/fake_clock.h"
#include "tests/mainwindow/online_seams.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/shell_recorders.h"
#include "tests/service/account_service.h"
#include "tests/service/one_shot_routes.h"
#include "tests/service/test_service.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

class InfoStripTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        g.InfoMessages.Clear();
        sounds.clear();
        MainWindowHooks.PlaySoundA = [](int32_t sound) { sounds.push_back(sound); };
    }
    void TearDown() override
    {
        MainWindowHooks.PlaySoundA = nullptr;
        g.InfoMessages.Clear();
        ShellTest::TearDown();
    }
    // Shows what the strip's timer has been asked for.
    void RunStripTimer() { timers_->Advance(50); }
    std::string Shown() const { return frmMainDLMR1->labelInfo->Caption(); }
    int64_t ShownIndex() const { return frmMainDLMR1->labelInfo->Tag(); }

    static inline std::vector<int32_t> sounds;
    // The shell's fake clock, which stands still.
    static void AdvanceClock(int64_t ms) { dynamic_cast<plat::testing::FakeClock&>(plat::CurrentClock()).Advance(ms); }
    ShellRecorder shell_;
};

TEST_F(InfoStripTest, ClosingTheShownMessageOpensTheNewestOfTheRestAndTheLastLeavesItClosed)
{
    g.InfoMessages.Add("older", "", false, 0, 1);
    AdvanceClock(1000);
    g.InfoMessages.Add("first of the same second", "", false, 0, 2);
    g.InfoMessages.Add("second of the same second", "", false, 0, 3);
    g.InfoMessages.Add("third of the same second", "", false, 0, 4);
    Main().StartTimerInfoPruh(-2);
    RunStripTimer();
    EXPECT_EQ(Shown(), "first of the same second");
    EXPECT_EQ(ShownIndex(), 1);

    const char* next[] = {"second of the same second", "third of the same second", "older"};
    for (const char* expected : next) {
        Main().btnInfoZavritClick();
        EXPECT_EQ(Main().pInfo->Height(), 0);
        RunStripTimer();
        EXPECT_EQ(Shown(), expected);
    }
    Main().btnInfoZavritClick();
    RunStripTimer();
    EXPECT_EQ(g.InfoMessages.Count(), 0);
    EXPECT_EQ(Main().pInfo->Height(), 0);
    EXPECT_EQ(ShownIndex(), -1);
    EXPECT_FALSE(Main().pInfo->Visible());

    // An index outside the list changes nothing.
    g.InfoMessages.Add("kept", "", false, 0, 5);
    Main().StartTimerInfoPruh(3);
    RunStripTimer();
    EXPECT_EQ(ShownIndex(), -1);
    EXPECT_EQ(Main().pInfo->Height(), 0);
}

TEST_F(InfoStripTest, OpensInSixStepsOfThirtyMillisecondsWithOneSoundPerMessage)
{
    const int32_t index = g.InfoMessages.Add("text", "hint", false, 0, 1);
    Main().StartTimerInfoPruh(index);
    RunStripTimer();
    EXPECT_EQ(Main().labelInfo->Hint(), "hint");
    EXPECT_EQ(sounds, std::vector<int32_t>{0});
    std::vector<int> heights;
    for (int tick = 0; tick < 6; ++tick) {
        timers_->Advance(30);
        heights.push_back(Main().pInfo->Height());
    }
    EXPECT_EQ(heights, (std::vector<int>{5, 10, 15, 20, 25, 29}));
    EXPECT_TRUE(Main().timerAnimace->Enabled());
    timers_->Advance(30);
    EXPECT_FALSE(Main().timerAnimace->Enabled());
    EXPECT_EQ(Main().pInfo->Height(), 29);
    EXPECT_TRUE(Main().pInfo->Visible());
    EXPECT_EQ(sounds.size(), 1u);
}

TEST_F(InfoStripTest, ClosingWhileItOpensLeavesTheStripClosed)
{
    g.InfoMessages.Add("only", "", false, 0, 1);
    Main().StartTimerInfoPruh(-2);
    RunStripTimer();
    timers_->Advance(30);
    Main().btnInfoZavritClick();
    for (int tick = 0; tick < 8; ++tick)
        timers_->Advance(30);
    EXPECT_EQ(Main().pInfo->Height(), 0);
}

TEST_F(InfoStripTest, AClickActsByTheMessageIdAndRemovesTheMessage)
{
    struct Case {
        int32_t id;
        bool opensHomepage;
        bool closes;
    };
    const Case cases[] = {{0, true, false}, {7, true, false}, {6, false, true}, {3, false, false}};
    int closes = 0;
    Main().OnCloseQuery = [&](plat::TComponent*, bool& canClose) {
        ++closes;
        canClose = false;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ::c.ExitAllowed = 0;
        closes = 0;
        shell_.Clear();
        g.InfoMessages.Add("other", "", false, 0, 99);
        AdvanceClock(1000);
        Main().StartTimerInfoPruh(g.InfoMessages.Add("clicked", "", false, 0, c.id));
        RunStripTimer();
        Main().labelInfo->Click();
        EXPECT_EQ(shell_.Opened(),
                  c.opensHomepage ? std::vector<std::string>{App.HomepageUrl} : std::vector<std::string>{});
        EXPECT_EQ(::c.ExitAllowed != 0, c.closes);
        EXPECT_EQ(closes, c.closes ? 1 : 0);
        EXPECT_EQ(g.InfoMessages.Find(c.id), -1);
        EXPECT_EQ(g.InfoMessages.Count(), 1);
        g.InfoMessages.Clear();
    }
    ::c.ExitAllowed = 0;
}

TEST_F(InfoStripTest, HoveringTheTextUnderlinesItInYellow)
{
    Main().labelInfo->MouseEnter();
    EXPECT_EQ(Main().labelInfo->Font().Color(), 0x00FFFFu);
    EXPECT_EQ(Main().labelInfo->Font().Style(), plat::fsUnderline);
    Main().labelInfo->MouseLeave();
    EXPECT_EQ(Main().labelInfo->Font().Color(), 0xFFFFFFu);
    EXPECT_EQ(Main().labelInfo->Font().Style(), 0u);
}

TEST_F(InfoStripTest, TheNewVersionNoticeIsAddedOnceAndWorkersReachItOnTheMainThread)
{
    std::thread worker([] { TNWindowCalls::UpozorniNaNovouVerzi(); });
    worker.join();
    EXPECT_EQ(g.InfoMessages.Count(), 0);
    plat::testing::Flush();
    Main().UpozorniNaNovouVerzi();
    plat::testing::Flush();
    ASSERT_EQ(g.InfoMessages.Count(), 1);
    TNInfoMessage notice;
    ASSERT_TRUE(g.InfoMessages.Get(0, notice));
    EXPECT_EQ(notice.ID, 7);
    EXPECT_EQ(notice.Title.View(), "Nainstalujte nejnovější verzi Dalmora. Stahujte zdarma ZDE");
    EXPECT_EQ(notice.Text.View(), "Kliknutím otevřete domovskou www stránku programu");
    RunStripTimer();
    EXPECT_EQ(Shown(), "Nainstalujte nejnovější verzi Dalmora. Stahujte zdarma ZDE");
}

TEST_F(InfoStripTest, AWorkersStripRequestAndVersionBlinkRunOnTheMainThread)
{
    ASSERT_TRUE(View.InitMainStatusBar());
    plat::TLabel* version = View.StatusBars[1].Label();
    ASSERT_NE(version, nullptr);
    const std::string caption = version->Caption();
    const uint64_t key = g.InfoMessages.AddKeyed("from a worker", "", false, 0, 1);
    std::thread worker([key] {
        TNWindowCalls::ArmInfoPruhForMessage(key);
        TNWindowCalls::StatusVersionBlink(0x0000FF, "Stahuji...");
        TNWindowCalls::StatusVersionBlink(0x00FF00, nullptr);
    });
    worker.join();
    EXPECT_FALSE(Main().timerInfoPruh->Enabled());
    EXPECT_EQ(version->Caption(), caption);
    plat::testing::Flush();
    EXPECT_TRUE(Main().timerInfoPruh->Enabled());
    EXPECT_EQ(version->Caption(), "Stahuji...");
    EXPECT_EQ(version->Font().Color(), 0x00FF00u);
}

TEST_F(InfoStripTest, TheVersionPanelMakesRoomForTheUpdatesText)
{
    ASSERT_TRUE(View.InitMainStatusBar());
    View.ResizeMainStatusBar();
    TNStatusBar& panel = View.StatusBars[1];
    const int32_t versionWidth = panel.Panel()->Width();
    Main().StatusVersionBlink(0xC0C0C0, "Probíhá stahování dat pro automatickou aktualizaci...");
    plat::testing::Flush();
    const int32_t textWidth = panel.GetTextWidth();
    EXPECT_GT(textWidth, versionWidth) << "a text longer than the version's";
    EXPECT_GE(panel.Label()->Width(), textWidth) << "the label shows it whole";
    EXPECT_GE(panel.Panel()->Width(), panel.Label()->Left() + textWidth) << "and the panel holds the label";
}

// ---------------------------------------------------------------------------
// The message for users

constexpr uint32_t kUserId = 1001;
constexpr const char* kLogin = "alice@example.test";
constexpr const char* kPassword = "heslo";

class MessageForUsersTest : public InfoStripTest {
protected:
    MessageForUsersTest() : accounts_(service_), routes_(service_, accounts_) {}
    void SetUp() override
    {
        InfoStripTest::SetUp();
        ASSERT_TRUE(service_.Start());
        test_service::Account alice;
        alice.UserID = kUserId;
        alice.UserName = "alice";
        alice.Email = kLogin;
        alice.Password = kPassword;
        accounts_.AddAccount(alice);
        savedApp_ = App;
        App.PimServersCount = 1;
        std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "http");
        std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "127.0.0.1:%u/index.php", service_.Port());
        ASSERT_TRUE(BuildServerAddresses(App));
        ::Setup.SetString("SmsUcet_Username", kLogin, TNSetupItem::kText8);
        g.UpdateAccount([](TNAccount& account) { account.Password.Set(kPassword); });
        MessageBoxShown = 0;
    }
    void TearDown() override
    {
        WaitForReport();
        App = savedApp_;
        g.UpdateAccount([](TNAccount& account) { account = TNAccount(); });
        g.LastAnnouncedVersion = 0;
        MessageBoxShown = 0;
        InfoStripTest::TearDown();
    }
    void SetMessage(uint32_t id, int32_t target, const char* url)
    {
        g.UpdateAccount([&](TNAccount& account) {
            account.MessageID = id;
            account.MessageType = target;
            account.MessageTitle.Set("Nadpis");
            account.MessageText.Set("Text zprávy");
            account.MessageUrl.Set(url);
        });
    }
    void WaitForReport()
    {
        for (int i = 0; i < 500 && g.FlagMessageWorkerBusy; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    int FlagRequests() const
    {
        int count = 0;
        for (const auto& request : accounts_.Requests()) {
            if (request.Name == "flag-message-for-users") {
                EXPECT_EQ(test_service::FieldValue(request.Fields, "Username"), kLogin);
                ++count;
            }
        }
        return count;
    }

    ScopedShortTimeouts config_;
    test_service::TestService service_;
    test_service::AccountService accounts_;
    test_service::OneShotRoutes routes_;
    TNAppInfo savedApp_{};
};

TEST_F(MessageForUsersTest, ShowsReportsAndOpensByTheRules)
{
    const int64_t now = 2'000'000;
    struct Case {
        const char* name;
        uint32_t id;
        int32_t target;
        int64_t sinceLast;
        uint32_t lastId;
        bool boxOpen;
        int32_t newestVersion; // against App.VersionNumber: -1 older, 0 equal, 1 newer
        const char* url;
        bool shown;
        bool handled;
        bool opened;
    };
    const Case cases[] = {
        {"too soon after the last", 50, 1, 71999, 49, false, 0, "https://a.test/", false, false, false},
        {"the same id again", 50, 1, 72000, 50, false, 0, "https://a.test/", false, false, false},
        {"no message", 0, 1, 72000, 49, false, 0, "https://a.test/", false, false, false},
        {"a message box is open", 50, 1, 72000, 49, true, 0, "https://a.test/", false, false, false},
        {"target 1", 50, 1, 72000, 49, false, 0, "https://a.test/", true, true, true},
        {"target 2, older service version", 51, 2, 72000, 49, false, -1, "http://a.test/", false, true, false},
        {"target 2, equal service version", 52, 2, 72000, 49, false, 0, "http://a.test/", false, true, false},
        {"target 2, newer service version", 53, 2, 72000, 49, false, 1, "http://a.test/", true, true, true},
        {"target 3", 54, 3, 72000, 49, false, 1, "https://a.test/", false, true, false},
        {"an address of another scheme", 55, 1, 72000, 49, false, 0, "javascript:alert(1)", true, true, false},
        {"an empty address", 56, 1, 72000, 49, false, 0, "", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shell_.Clear();
        boxes_->boxes.clear();
        const int flagsBefore = FlagRequests();
        SetMessage(c.id, c.target, c.url);
        g.LastAnnouncedVersion = App.VersionNumber + c.newestVersion;
        Main().lastMessageForUsersTime = now - c.sinceLast;
        Main().lastMessageForUsersId = c.lastId;
        MessageBoxShown = c.boxOpen ? 1 : 0;

        Main().DisplayMessageForUsers(now);
        WaitForReport();

        ASSERT_EQ(boxes_->boxes.size(), c.shown ? 1u : 0u);
        if (c.shown) {
            EXPECT_EQ(boxes_->boxes[0].caption, "Zpráva pro uživatele Dalmora");
            EXPECT_EQ(boxes_->boxes[0].text, "Nadpis\n\nText zprávy");
        }
        EXPECT_EQ(Main().lastMessageForUsersId, c.handled ? c.id : c.lastId);
        EXPECT_EQ(Main().lastMessageForUsersTime, c.handled ? now : now - c.sinceLast);
        EXPECT_EQ(FlagRequests() - flagsBefore, c.handled ? 1 : 0);
        if (c.handled) {
            EXPECT_TRUE(routes_.MessageFlagged(kUserId, c.id));
        }
        EXPECT_EQ(shell_.Opened(), c.opened ? std::vector<std::string>{c.url} : std::vector<std::string>{});
        EXPECT_EQ(MessageBoxShown.load(), c.boxOpen ? 1 : 0);
    }
}

TEST_F(MessageForUsersTest, AStalledServiceNeverHoldsTheWindow)
{
    service_.ArmFault("/index.php", test_service::Fault::Stall(800));
    SetMessage(60, 3, "");
    Main().DisplayMessageForUsers(2'000'000);
    // The report waits in the service on a worker: back here at once.
    EXPECT_FALSE(routes_.MessageFlagged(kUserId, 60));
    EXPECT_TRUE(g.FlagMessageWorkerBusy);
    WaitForReport();
    EXPECT_TRUE(routes_.MessageFlagged(kUserId, 60));
}

} // namespace
} // namespace shell_test
