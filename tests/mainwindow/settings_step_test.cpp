// Applying the user's settings after sign-in and storing the window's
// geometry at log-out.

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/sound_table.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/gui/hot_keys.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace shell_test {
namespace {

class SettingsStepTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ::Setup.Reset();
        // An account that signs in by itself: a hidden start stays hidden.
        RememberAccount("alice", "secret1", true);
        setupFile_ = home_.Path() + "setup-online.dat";
        Dirs.UsersSetupFile.Set(setupFile_.c_str());
        Main().SetBounds(0, 0, 1016, 739);
    }
    void TearDown() override
    {
        Dirs.UsersSetupFile.Set("");
        View.Destroyed = 0;
        ShellTest::TearDown();
    }

    void Apply()
    {
        logMark_ = LogText().size();
        Main().signedIn = 1;
        Main().AktivujNastaveni();
    }
    plat::TMenuItem* Item(const char* name) { return Main().MainMenu2->FindByName(name); }
    bool Checked(const char* name)
    {
        plat::TMenuItem* item = Item(name);
        EXPECT_NE(item, nullptr) << name;
        return item != nullptr && item->Checked();
    }
    // Position of the first log line with the text after `from`; npos when
    // none.
    size_t LogAt(const std::string& text, size_t from = 0) const { return LogText().find(text, from); }

    // Lines with the text since the last Apply.
    int LogSince(const char* text) const
    {
        const std::string all = LogText();
        const size_t start = logMark_;
        int count = 0;
        const std::string wanted(text);
        for (size_t at = all.find(wanted, start); at != std::string::npos; at = all.find(wanted, at + 1))
            ++count;
        return count;
    }

    std::string setupFile_;
    size_t logMark_ = 0;
};

TEST_F(SettingsStepTest, EachSettingReachesTheWindowAndTheProgram)
{
    struct Case {
        const char* name;
        std::function<void()> given;
        std::function<void()> expect;
    };
    const auto setFont = [](const char* name, int32_t size) {
        ::Setup.SetString("DefaultFontName", name, TNSetupItem::kText32);
        ::Setup.SetValue("DefaultFontSize", size, TNSetupItem::kInt32);
    };
    const auto fontIs = [this](const std::string& name, int32_t size) {
        EXPECT_EQ(Main().DisplayFontName, name);
        EXPECT_EQ(Main().DisplayFontName2, name);
        EXPECT_EQ(Main().DisplayFontSize, size);
        EXPECT_EQ(View.FontName, name);
        EXPECT_EQ(View.TitleFontName, name);
        EXPECT_EQ(View.FontSize, size);
        EXPECT_EQ(Main().Font().Size(), size);
    };
    const Case cases[] = {
        {"a font size below the range", [&] { setFont("DejaVu Sans", 3); }, [&] { fontIs("DejaVu Sans", 6); }},
        {"a font size above the range", [&] { setFont("DejaVu Sans", 40); }, [&] { fontIs("DejaVu Sans", 26); }},
        {"no font name", [] { ::Setup.SetValue("DefaultFontSize", 12, TNSetupItem::kInt32); },
         [&] { EXPECT_EQ(Main().DisplayFontName, "Roboto Condensed"); }},
        {"an empty font name", [&] { setFont("", 12); },
         [&] { EXPECT_EQ(Main().DisplayFontName, "Roboto Condensed"); }},
        {"a font while the view is destroyed",
         [&] {
             setFont("DejaVu Sans", 12);
             View.Destroyed = 1;
         },
         [this] {
             View.Destroyed = 0;
             ASSERT_FALSE(boxes_->boxes.empty());
             EXPECT_EQ(boxes_->boxes[0].text, "[AktivujNastaveni][View.Destructed=true] Nelze nastavit font!");
             EXPECT_EQ(boxes_->boxes[0].caption, "Chyba");
             EXPECT_EQ(Main().DisplayFontName, "Roboto Condensed");
         }},
        {"Zentor rows 0", [] { ::Setup.SetValue("zentorWeeksByDaysCount", 0, TNSetupItem::kInt32); },
         [this] {
             EXPECT_EQ(Main().zentorWeeksByDaysCount, 3);
             EXPECT_EQ(LogSince("[AktivujNastaveni][DEFAULT] g.zentorWeeksByDaysCount = 3"), 1);
         }},
        {"Zentor rows -1", [] { ::Setup.SetValue("zentorWeeksByDaysCount", -1, TNSetupItem::kInt32); },
         [this] { EXPECT_EQ(Main().zentorWeeksByDaysCount, 3); }},
        {"Zentor rows 5", [] { ::Setup.SetValue("zentorWeeksByDaysCount", 5, TNSetupItem::kInt32); },
         [this] {
             EXPECT_EQ(Main().zentorWeeksByDaysCount, 5);
             EXPECT_EQ(LogSince("[AktivujNastaveni][BY_SETUP] g.zentorWeeksByDaysCount = 5"), 1);
         }},
        {"view-by 0", [] { ::Setup.SetValue("calendarViewBy", 0, TNSetupItem::kInt32); },
         [this] { EXPECT_EQ(Pages().Count("SetCalendarViewBy 4"), 1); }},
        {"missing keys are created with their defaults", [] {},
         [this] {
             EXPECT_EQ(::Setup.GetInt("homepageCalendarDayboxMode"), 4);
             EXPECT_EQ(Pages().Count("SetUpDayboxModeValues 4"), 1);
             for (const char* key :
                  {"selectedHpTasksTagId", "selectedHpTasksPimSrvPos", "selectedHpNoteId", "selectedHpNotePimSrvPos"})
                 EXPECT_GE(::Setup.Find(key), 0) << key;
             EXPECT_EQ(Pages().Count("SelectHomepageItems 0 0 0 0"), 1);
             for (const char* key : {"btnTasksTags_Scheduled", "btnNotesTags_AllNotes", "Settings_ShortcutMainWindow",
                                     "Settings_ShortcutAddSomethingNew", "Settings_ShortcutNotepad"})
                 EXPECT_TRUE(::Setup.GetBool(key)) << key;
             EXPECT_EQ(Pages().Count("SetListFilters 11"), 1);
             EXPECT_LT(::Setup.Find("controlDefaultView"), 0) << "no default page is invented";
         }},
        {"a default page that does not exist", [] { ::Setup.SetValue("controlDefaultView", 5, TNSetupItem::kInt32); },
         [this] {
             EXPECT_TRUE(Checked("mnuDefaultView_Homepage"));
             EXPECT_FALSE(Checked("mnuDefaultView_Calendar"));
             EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
         }},
        {"the calendar as default page", [] { ::Setup.SetValue("controlDefaultView", 2, TNSetupItem::kInt32); },
         [this] {
             EXPECT_TRUE(Checked("mnuDefaultView_Calendar"));
             EXPECT_EQ(Main().gDesk->ActivePage(), "Calendar");
         }},
        {"no tray icon", [] { ::Setup.SetValue("ShowTrayIcon", 0, TNSetupItem::kBool); },
         [this] {
             EXPECT_FALSE(Main().trayIcon->Active());
             EXPECT_FALSE(Main().trayIcon->IconVisible());
             EXPECT_FALSE(Checked("mnuShowTrayIcon"));
         }},
        {"the tray icon", [] { ::Setup.SetValue("ShowTrayIcon", 1, TNSetupItem::kBool); },
         [this] {
             EXPECT_TRUE(Main().trayIcon->Active());
             EXPECT_TRUE(Main().trayIcon->IconVisible());
             EXPECT_TRUE(Checked("mnuShowTrayIcon"));
         }},
        {"sound off and one hot key off",
         [] {
             ::Setup.SetValue("PovolitZvuk", 0, TNSetupItem::kBool);
             ::Setup.SetValue("Settings_ShortcutNotepad", 0, TNSetupItem::kBool);
         },
         [this] {
             EXPECT_FALSE(Checked("mnuPovolitZvuk"));
             EXPECT_FALSE(Main().Sounds->SoundOn.load());
             EXPECT_TRUE(plat::HotKeys::Simulate(101));
             EXPECT_TRUE(plat::HotKeys::Simulate(105));
             EXPECT_FALSE(plat::HotKeys::Simulate(106));
             EXPECT_FALSE(Checked("mnuShortcutNotepad"));
         }},
        {"sound on", [] { ::Setup.SetValue("PovolitZvuk", 1, TNSetupItem::kBool); },
         [this] {
             EXPECT_TRUE(Checked("mnuPovolitZvuk"));
             EXPECT_TRUE(Main().Sounds->SoundOn.load());
         }},
        {"an unlisted postpone time",
         [] { ::Setup.SetValue("Settings_DefaultNotificationPostponeMinutes", 8, TNSetupItem::kInt32); },
         [this] {
             EXPECT_EQ(::Setup.GetInt("Settings_DefaultNotificationPostponeMinutes"), 9);
             EXPECT_TRUE(Checked("mnuSettingsDefaultPostponeMinutes9"));
         }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ::Setup.Reset();
        Pages().Calls.clear();
        boxes_->boxes.clear();
        MakeMainWindow();
        Main().SetBounds(0, 0, 1016, 739);
        row.given();
        Apply();
        row.expect();
        Main().UnregisterAllHotkeys();
    }
}

TEST_F(SettingsStepTest, EveryToggleShowsItsSettingAndKeepExitingShowsItsOpposite)
{
    const char* const toggles[][2] = {{"Settings_RunAppWithWindowsBoot", "mnuAutorun"},
                                      {"SettingsMinimizeInsteadOfHide", "mnuMinimizeInsteadOfHide"},
                                      {"SettingsStartupDalmoraCz", "mnuStartupDalmoraCz"},
                                      {"Settings_TurnMonitorOn", "mnuSettingsTurnMonitorOn"},
                                      {"Settings_AutoHide", "mnuSettingsAutoHide"},
                                      {"Settings_ShowHiddenRecords", "mnuSettingsShowHiddenRecords"},
                                      {"Settings_UseUrgentImportanceFnc", "mnuSettingsUseUrgentImportanceFnc"},
                                      {"Settings_EnableNotificationBlink", "mnuSettingsEnableNotificationBlink"},
                                      {"DblClickOnTrayIconOpensWeb", "mnuDblClickOnTrayIconOpensWeb"}};
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        ::Setup.Reset();
        MakeMainWindow();
        for (const auto& toggle : toggles)
            ::Setup.SetValue(toggle[0], on ? 1 : 0, TNSetupItem::kBool);
        ::Setup.SetValue("SettingsAppExitAllowed", on ? 1 : 0, TNSetupItem::kBool);
        Apply();
        for (const auto& toggle : toggles)
            EXPECT_EQ(Checked(toggle[1]), on) << toggle[1];
        EXPECT_EQ(Checked("mnuDontExit"), !on);
        EXPECT_EQ(Main().cachedAutoHide, on);
        Main().UnregisterAllHotkeys();
    }

    // The auto-hide toggle inverts the setting, its mark and the flag.
    Main().mnuSettingsAutoHideClick();
    EXPECT_TRUE(::Setup.GetBool("Settings_AutoHide"));
    EXPECT_TRUE(Checked("mnuSettingsAutoHide"));
    EXPECT_TRUE(Main().cachedAutoHide);
}

TEST_F(SettingsStepTest, AStartedHiddenRunShowsTheWindowAsTheStartUpSettingSays)
{
    // shown: visible and opaque; minimised: in the minimised state; neither:
    // the tray says hidden and nothing of the window can be seen.
    struct Case {
        int32_t afterStartup;
        bool autorun;
        bool shown;
        bool minimised;
        const char* checked;
    };
    const Case cases[] = {
        {3, true, false, false, "mnuAfterStartupKeepHidden"},
        {1, true, true, false, "mnuAfterStartupShow"},
        {2, true, false, true, "mnuAfterStartupMinimize"},
        {3, false, true, false, "mnuAfterStartupKeepHidden"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::to_string(row.afterStartup) + (row.autorun ? " -autorun" : ""));
        ::Setup.Reset();
        App.IsAutorun = row.autorun ? 1 : 0;
        MakeMainWindow();
        ::Setup.SetValue("SettingsAfterStartup", row.afterStartup, TNSetupItem::kInt8);
        if (!row.autorun)
            Main().Show();
        Apply();

        EXPECT_TRUE(Checked(row.checked));
        const bool opaque = !Main().AlphaBlend() && Main().AlphaBlendValue() == 255;
        if (row.shown) {
            EXPECT_TRUE(Main().Visible());
            EXPECT_TRUE(Main().trayIcon->ApplicationVisible());
            EXPECT_TRUE(opaque);
            EXPECT_NE(Main().WindowState(), plat::TWindowState::wsMinimized);
        } else if (row.minimised) {
            EXPECT_EQ(Main().WindowState(), plat::TWindowState::wsMinimized);
        } else {
            EXPECT_FALSE(Main().trayIcon->ApplicationVisible());
            EXPECT_FALSE(Main().Visible() && opaque);
        }
        EXPECT_EQ(LogSince("[TfrmMainDLMR1::ShowApplication][BEGIN] caller = AktivujNastaveni"),
                  row.autorun && row.afterStartup != 3 ? 1 : 0);
        App.IsAutorun = 0;
        Main().UnregisterAllHotkeys();
    }
}

TEST_F(SettingsStepTest, TheStepsLogInOrderAndTheFileIsWrittenBeforeTheEnd)
{
    ::Setup.SetValue("zentorWeeksByDaysCount", 4, TNSetupItem::kInt32);
    Apply();

    size_t at = 0;
    for (const char* line : {"[AktivujNastaveni][BEGIN]",
                             "[AktivujNastaveni] g.initOrganizersColorsList",
                             "[AktivujNastaveni] SetUpDayboxModeValues",
                             "[AktivujNastaveni][BY_SETUP] g.zentorWeeksByDaysCount = 4",
                             "[AktivujNastaveni] UpdateMenu_zentorWeeksByDaysCount",
                             "[AktivujNastaveni] g.NastavitPovoleniZvuku",
                             "[AktivujNastaveni] AktivujNastaveni_CreateComponents",
                             "[AktivujNastaveni_CreateComponents][BEGIN]",
                             "[AktivujNastaveni_CreateComponents][Scrollbar]",
                             "[AktivujNastaveni_CreateComponents][Header]",
                             "[AktivujNastaveni_CreateComponents][Control]",
                             "[AktivujNastaveni_CreateComponents][Zentor]",
                             "[AktivujNastaveni_CreateComponents][UpdateZentor]",
                             "[AktivujNastaveni_CreateComponents][Sideboard]",
                             "[AktivujNastaveni_CreateComponents][StatusBar]",
                             "[AktivujNastaveni_CreateComponents][END]",
                             "[AktivujNastaveni] Before ControlButtonClick(component->ClickBox)",
                             "[AktivujNastaveni] After ControlButtonClick(component->ClickBox)",
                             "[AktivujNastaveni] Before g.UpdateTodayWindowSize()",
                             "[AktivujNastaveni] After g.UpdateTodayWindowSize()",
                             "[AktivujNastaveni] Show by-user-requested view",
                             "[AktivujNastaveni] Show main window",
                             "[AktivujNastaveni][END]"}) {
        const size_t found = LogAt(line, at);
        ASSERT_NE(found, std::string::npos) << line << " missing or out of order";
        at = found;
    }

    // The pages' parts in the order of the log lines.
    const std::vector<std::string> built = {"CreateZentorComponents", "UpdateZentor", "CreateSideboardComponents"};
    std::vector<std::string> seen;
    for (const std::string& call : Pages().Calls)
        if (seen.size() < built.size() && (call == built[0] || call == built[1] || call == built[2]))
            seen.push_back(call);
    EXPECT_EQ(seen, built);

    EXPECT_EQ(Main().settingsApplied.load(), 1);
    EXPECT_TRUE(Main().timerCreateHiddenViews->Enabled());
    EXPECT_EQ(Main().timerCreateHiddenViews->Tag(), 1);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");
    EXPECT_EQ(Main().timerOnline->Tag(), 0);
    EXPECT_TRUE(Main().timerHodiny->Enabled());

    // The file on disk holds what the step created.
    TNSetup stored;
    ASSERT_TRUE(stored.Load(Uzivatele, setupFile_));
    EXPECT_EQ(stored.GetInt("zentorWeeksByDaysCount"), 4);
    EXPECT_EQ(stored.GetInt("homepageCalendarDayboxMode"), 4);
}

TEST_F(SettingsStepTest, TheLogOutStoresAMaximisedWindowAndLeavesItNormal)
{
    Apply();
    Main().Show();
    const std::string stateKey =
        "SForRes" + std::to_string(g.LastResW.load()) + "x" + std::to_string(g.LastResH.load());
    ASSERT_TRUE(g.GeometryRestoredOnce);

    ::Setup.Remove(stateKey.c_str());
    Main().UlozHodnotyNastaveni(false);
    EXPECT_LT(::Setup.Find(stateKey.c_str()), 0) << "(false) never stores";

    Main().SetWindowState(plat::TWindowState::wsMaximized);
    Main().UlozHodnotyNastaveni(true);
    EXPECT_EQ(::Setup.GetInt(stateKey.c_str()), 1);
    EXPECT_EQ(Main().WindowState(), plat::TWindowState::wsNormal);

    Main().UlozHodnotyNastaveni(true);
    EXPECT_EQ(::Setup.GetInt(stateKey.c_str()), 0);

    for (const char* page : {"Login", "Pomocne"}) {
        ::Setup.Remove(stateKey.c_str());
        Main().gDesk->SetActivePage(page);
        Main().UlozHodnotyNastaveni(true);
        EXPECT_LT(::Setup.Find(stateKey.c_str()), 0) << page;
    }
}

TEST_F(SettingsStepTest, OnTheWallClockTheClockIsArmedForTheNextFullMinute)
{
    // The zone's offset is whole minutes: the local second is the Unix one.
    const int64_t before = plat::UnixSeconds() % 60;
    Apply();
    const int64_t after = plat::UnixSeconds() % 60;
    const uint32_t interval = Main().timerHodiny->Interval();
    EXPECT_TRUE(Main().timerHodiny->Enabled());
    EXPECT_TRUE(interval == (60 - before) * 1000 || interval == (60 - after) * 1000) << interval;
}

} // namespace
} // namespace shell_test
