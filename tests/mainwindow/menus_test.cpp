#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/program_start.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/outside_addresses.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/core/autostart.h"
#include "platform/core/codepage.h"
#include "platform/core/file.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/shell_recorders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace shell_test {
namespace {

// What the log-out found stored, read where it stores the window's values.
struct Saved {
    std::string fontName;
    int32_t fontSize = 0;
};
int logOuts = 0;
Saved savedAtLogOut;

class MenusTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ::Setup.Reset();
        logOuts = 0;
        savedAtLogOut = {};
        // The log-out stores the window's settings before it clears them.
        MainWindowHooks.UlozHodnotyNastaveni = [](bool) {
            ++logOuts;
            savedAtLogOut.fontName = std::string(::Setup.GetString("DefaultFontName").View());
            savedAtLogOut.fontSize = ::Setup.GetInt("DefaultFontSize");
        };
    }
    void TearDown() override
    {
        MainWindowHooks.UlozHodnotyNastaveni = nullptr;
        ShellTest::TearDown();
    }
    plat::TMenuItem* Item(const char* name) { return Main().MainMenu2->FindByName(name); }
    plat::TMenuItem* TrayItem(const char* name) { return Main().popupTray->FindByName(name); }
    void ClickItem(const char* name)
    {
        plat::TMenuItem* item = Item(name);
        ASSERT_NE(item, nullptr) << name;
        item->Click();
    }

    ShellRecorder shell_;
};

TEST_F(MenusTest, TheMenuBarHoldsItsTreeWithTheEditMenuHidden)
{
    const char* present[] = {"mnuFile",
                             "mnuFind",
                             "mnuCorrectWindowPosition",
                             "mnuUserLogout",
                             "mnuExit",
                             "mnuEdit",
                             "mnuKopirovatVse",
                             "mnuSettings",
                             "mnuShortcuts",
                             "mnuAfterStartupShow",
                             "mnuProxyServer",
                             "mnuSettingsResetFont",
                             "mnuHelp",
                             "mnuChangelog",
                             "mnuHelpResetDataFile",
                             "mnuOProgramu"};
    for (const char* name : present)
        EXPECT_NE(Item(name), nullptr) << name;
    EXPECT_FALSE(Item("mnuEdit")->Visible());
    EXPECT_EQ(Item("mnuAutorun")->Caption(), "Spouštět automaticky po přihlášení do systému");
    EXPECT_EQ(Item("mnuFind")->ShortCut(), plat::ShortCut('F', plat::ssCtrl));
    EXPECT_EQ(Item("mnuOProgramu")->ShortCut(), plat::ShortCut(0x70, 0));
    // Outside addresses not supplied: their items stay hidden.
    for (const char* name : {"mnuHelpAndroid", "mnuHelpIconSet", "mnuHelpDownloadPortal"})
        EXPECT_FALSE(Item(name)->Visible()) << name;
}

TEST_F(MenusTest, AnOutsideAddressShowsItsItemAndOpensIt)
{
    OutsideAddresses.MobileAppStore = "https://store.example/dalmora";
    OutsideAddresses.DownloadPortal = "https://portal.example/dalmora";
    MakeMainWindow();
    EXPECT_TRUE(Item("mnuHelpAndroid")->Visible());
    EXPECT_TRUE(Item("mnuHelpDownloadPortal")->Visible());
    EXPECT_FALSE(Item("mnuHelpIconSet")->Visible());
    ClickItem("mnuHelpAndroid");
    ClickItem("mnuHelpDownloadPortal");
    EXPECT_EQ(shell_.Opened(),
              (std::vector<std::string>{"https://store.example/dalmora", "https://portal.example/dalmora"}));
    OutsideAddresses = TNOutsideAddresses{};
}

TEST_F(MenusTest, EachToggleInvertsItsSettingAndSetsItsMark)
{
    struct Case {
        const char* item;
        const char* key;
        bool markShowsOpposite;
    };
    const Case cases[] = {
        {"mnuPovolitZvuk", "PovolitZvuk", false},
        {"mnuSettingsTurnMonitorOn", "Settings_TurnMonitorOn", false},
        {"mnuSettingsEnableNotificationBlink", "Settings_EnableNotificationBlink", false},
        {"mnuSettingsUseUrgentImportanceFnc", "Settings_UseUrgentImportanceFnc", false},
        {"mnuAutorun", "Settings_RunAppWithWindowsBoot", false},
        {"mnuStartupDalmoraCz", "SettingsStartupDalmoraCz", false},
        {"mnuDontExit", "SettingsAppExitAllowed", true},
        {"mnuMinimizeInsteadOfHide", "SettingsMinimizeInsteadOfHide", false},
        {"mnuSettingsShowHiddenRecords", "Settings_ShowHiddenRecords", false},
        {"mnuSettingsAutoHide", "Settings_AutoHide", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        for (int click = 0; click < 2; ++click) {
            const bool before = ::Setup.GetBool(c.key);
            ClickItem(c.item);
            EXPECT_EQ(::Setup.GetBool(c.key), !before);
            EXPECT_EQ(Item(c.item)->Checked(), c.markShowsOpposite ? before : !before);
        }
    }
}

TEST_F(MenusTest, TheAutorunToggleWritesAndRemovesTheAutostartEntryAtOnce)
{
    const std::string entry = plat::AutostartEntryPath(plat::Cp1250ToUtf8(App.ApplicationName));
    ::Setup.SetValue("Settings_RunAppWithWindowsBoot", 0, TNSetupItem::kBool);
    ClickItem("mnuAutorun");
    EXPECT_TRUE(std::filesystem::exists(entry)) << entry;
    ClickItem("mnuAutorun");
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(MenusTest, ShowingHiddenRecordsRefreshesTheShownData)
{
    SignIn();
    ClickItem("mnuSettingsShowHiddenRecords");
    EXPECT_GE(Pages().Count("UpdateTodayList"), 1);
}

TEST_F(MenusTest, TheTrayIconToggleHidesTheIconButTheDoubleClickToggleLeavesIt)
{
    ::Setup.SetValue("ShowTrayIcon", 1, TNSetupItem::kBool);
    Item("mnuShowTrayIcon")->SetChecked(true);
    Item("mnuDblClickOnTrayIconOpensWeb")->SetChecked(true);
    ClickItem("mnuDblClickOnTrayIconOpensWeb");
    EXPECT_FALSE(::Setup.GetBool("DblClickOnTrayIconOpensWeb"));
    EXPECT_TRUE(Main().trayIcon->IconVisible());
    ClickItem("mnuShowTrayIcon");
    EXPECT_FALSE(::Setup.GetBool("ShowTrayIcon"));
    EXPECT_FALSE(Main().trayIcon->IconVisible());
    EXPECT_FALSE(Main().trayIcon->Active());
    ClickItem("mnuShowTrayIcon");
    EXPECT_TRUE(Main().trayIcon->IconVisible());
}

TEST_F(MenusTest, PostponeTimesAreStoredAndOnlyTheOfferedOnesKept)
{
    auto checked = [&]() -> std::string {
        plat::TMenuItem* menu = Item("mnuSettingsDefaultPostponeMinutesMenu");
        for (int i = 0; i < menu->Count(); ++i)
            if (menu->Items(i)->Checked())
                return menu->Items(i)->Caption();
        return "";
    };
    const char* key = "Settings_DefaultNotificationPostponeMinutes";
    ClickItem("mnuSettingsDefaultPostponeMinutes10");
    EXPECT_EQ(::Setup.GetInt(key), 10);
    EXPECT_EQ(checked(), "10 minut");

    ::Setup.SetValue(key, 8, TNSetupItem::kInt32);
    Main().UpdateDefaultPostponeMinutesMenus(::Setup.GetInt(key));
    EXPECT_EQ(::Setup.GetInt(key), 9);
    EXPECT_EQ(checked(), "9 minut");

    struct Case {
        int64_t tag;
        int32_t stored;
        const char* checkedCaption;
    };
    // Out of range: raised to 2, or cut to 366 days and then not offered.
    for (const Case& c : {Case{1, 2, "2 minuty"}, Case{600000, 9, "9 minut"}}) {
        plat::TOwned<plat::TMenuItem> probe(new plat::TMenuItem(nullptr));
        probe->SetTag(c.tag);
        Main().mnuSettingsDefaultPostponeMinutes(probe.get());
        EXPECT_EQ(::Setup.GetInt(key), c.stored) << c.tag;
        EXPECT_EQ(checked(), c.checkedCaption) << c.tag;
    }
    EXPECT_TRUE(LogCount("[TfrmMainDLMR1::mnuSettingsDefaultPostponeMinutes][NULL]") == 0);
    Main().mnuSettingsDefaultPostponeMinutes(nullptr);
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::mnuSettingsDefaultPostponeMinutes][NULL]"), 1);
}

TEST_F(MenusTest, ADefaultPageIsCheckedStoredAndOpened)
{
    SignIn();
    struct Case {
        const char* item;
        int32_t code;
        const char* opened;
    };
    const Case cases[] = {{"mnuDefaultView_Calendar", 2, "CreateCalendarComponents"},
                          {"mnuDefaultView_Tasks", 3, "CreateTasksComponents"},
                          {"mnuDefaultView_Notes", 4, "CreateNotesComponents"},
                          {"mnuDefaultView_Search", 88, "CreateSearchComponents"},
                          {"mnuDefaultView_Pages", 7, "CreatePagesComponents"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Pages().Calls.clear();
        ClickItem(c.item);
        EXPECT_TRUE(Item(c.item)->Checked());
        EXPECT_EQ(Item(c.item)->GroupIndex(), 97);
        EXPECT_EQ(::Setup.GetInt("controlDefaultView"), c.code);
        EXPECT_EQ(Pages().Count(c.opened), 1);
    }
    // The pages item shows the list of organizers first.
    EXPECT_EQ(Pages().Calls.front(), "ShowOrganizerList");
    EXPECT_FALSE(Item("mnuDefaultView_Calendar")->Checked());
}

TEST_F(MenusTest, TheHomePageItemSavesTheSettingsFileAtOnce)
{
    const std::string file = home_.Path() + "users/setup.dat";
    Dirs.UsersSetupFile.Set(file.c_str());
    TNString login("karel"), name("karel"), password("heslo");
    const int32_t index = Uzivatele.AddOrUpdate(&login, &name, 77, 0, &password);
    ASSERT_GE(index, 0);
    Uzivatele.AktivniUzivatel = index;
    ClickItem("mnuDefaultView_Homepage");
    EXPECT_TRUE(plat::FileExists(file));
    EXPECT_EQ(::Setup.GetInt("controlDefaultView"), 1);
    Uzivatele.AktivniUzivatel = -1;
    Uzivatele.Resize(0);
    Dirs.UsersSetupFile.Set("");
}

TEST_F(MenusTest, AChosenFontIsKeptInRangeAndLogsTheUserOut)
{
    struct Case {
        const char* name;
        int size;
        const char* storedName;
        int32_t storedSize;
        bool logsOut;
    };
    const Case cases[] = {
        {"DejaVu Sans", 30, "DejaVu Sans", 26, true},
        {"DejaVu Sans", 4, "DejaVu Sans", 6, true},
        // The same name and size: still a log-out while the name is given.
        {"Roboto Condensed", 10, "Roboto Condensed", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size));
        ::Setup.Reset();
        Main().DisplayFontName = "Roboto Condensed";
        Main().DisplayFontSize = 10;
        logOuts = 0;
        plat::testing::FontDialogResponder dialog;
        dialog.confirm = true;
        dialog.name = c.name;
        dialog.size = c.size;
        SignIn();
        ClickItem("mnuSettingsChangeFont");
        EXPECT_EQ(dialog.calls, 1);
        EXPECT_EQ(logOuts, c.logsOut ? 1 : 0);
        EXPECT_EQ(savedAtLogOut.fontName, c.storedName);
        EXPECT_EQ(savedAtLogOut.fontSize, c.storedSize);
        EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
    }
    plat::testing::FontDialogResponder cancelled;
    logOuts = 0;
    ClickItem("mnuSettingsChangeFont");
    EXPECT_EQ(logOuts, 0);
}

TEST_F(MenusTest, ResettingTheFontKeepsTheStoredSizeAndLogsOut)
{
    ::Setup.SetString("DefaultFontName", "DejaVu Sans", TNSetupItem::kText32);
    ::Setup.SetValue("DefaultFontSize", 14, TNSetupItem::kInt32);
    Main().DisplayFontName = Main().DisplayFontName2 = "DejaVu Sans";
    Main().DisplayFontSize = 14;
    SignIn();
    ClickItem("mnuSettingsResetFont");
    EXPECT_EQ(Main().DisplayFontName, "Roboto Condensed");
    EXPECT_EQ(Main().DisplayFontName2, "Roboto Condensed");
    EXPECT_EQ(Main().DisplayFontSize, 10);
    EXPECT_EQ(Main().Font().Name(), "Roboto Condensed");
    EXPECT_EQ(logOuts, 1);
    EXPECT_EQ(savedAtLogOut.fontName, "");
    EXPECT_EQ(savedAtLogOut.fontSize, 14);
}

TEST_F(MenusTest, ResettingTheDataFileAsksFirst)
{
    SignIn();
    boxes_->answers = {plat::IDNO};
    ClickItem("mnuHelpResetDataFile");
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "Resetovat datový soubor");
    EXPECT_EQ(boxes_->boxes[0].flags, plat::MB_YESNO | plat::MB_ICONQUESTION);
    EXPECT_EQ(logOuts, 0);
    EXPECT_EQ(g.ResetDataFileAtLogout.load(), 0);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Homepage");

    boxes_->answers = {plat::IDYES};
    bool flaggedDuringLogOut = false;
    static bool* flagged = nullptr;
    flagged = &flaggedDuringLogOut;
    MainWindowHooks.UlozHodnotyNastaveni = [](bool) { *flagged = g.ResetDataFileAtLogout != 0; };
    ClickItem("mnuHelpResetDataFile");
    EXPECT_TRUE(flaggedDuringLogOut);
    // The log-out used it up.
    EXPECT_EQ(g.ResetDataFileAtLogout.load(), 0);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Login");
}

TEST_F(MenusTest, TheChangelogOpensForEditingOrTellsItIsMissing)
{
    const std::string path = GetProgramFolder() + "changelog-cs.txt";
    std::filesystem::remove(path);
    ClickItem("mnuChangelog");
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, path);
    EXPECT_EQ(boxes_->boxes[0].caption, "Soubor neexistuje!");
    EXPECT_EQ(boxes_->boxes[0].flags, plat::MB_ICONWARNING);
    EXPECT_TRUE(shell_.Opened().empty());

    std::ofstream(path) << "novinky\n";
    ClickItem("mnuChangelog");
    std::filesystem::remove(path);
    ASSERT_EQ(shell_.Started().size(), 1u);
    EXPECT_EQ(shell_.Opened()[0], path);
    EXPECT_EQ(boxes_->boxes.size(), 1u);
}

TEST_F(MenusTest, TrayPeriodItemsShowTheWindowThenRunTheirCommand)
{
    SignIn();
    struct Case {
        const char* item;
        const char* caller;
        const char* command;
    };
    const Case cases[] = {
        {"pmnuSystrayToday", "TfrmMainDLMR1::pmnuSystrayTodayClick", "btnTodayTodayClick"},
        {"pmnuSystrayTomorrow", "TfrmMainDLMR1::pmnuSystrayTomorrowClick", "btnZentorTomorrowClick"},
        {"pmnuSystrayThisWeek", "TfrmMainDLMR1::pmnuSystrayThisWeekClick", "btnZentorThisWeekClick"},
        {"pmnuSystrayNextWeek", "TfrmMainDLMR1::pmnuSystrayNextWeekClick", "btnZentorNextWeekClick"},
        {"pmnuSystrayThisMonth", "TfrmMainDLMR1::pmnuSystrayThisMonthClick", "btnZentorThisMonthClick"},
        {"pmnuSystrayNextMonth", "TfrmMainDLMR1::pmnuSystrayNextMonthClick", "btnZentorNextMonthClick"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Pages().Calls.clear();
        Main().Hide();
        const int shows =
            LogCount((std::string("[TfrmMainDLMR1::ShowApplication][BEGIN] caller = ") + c.caller).c_str());
        TrayItem(c.item)->Click();
        EXPECT_EQ(LogCount((std::string("[TfrmMainDLMR1::ShowApplication][BEGIN] caller = ") + c.caller).c_str()),
                  shows + 1);
        EXPECT_TRUE(Main().Visible());
        // Showing the window may lay the page out first; the command comes last, once.
        ASSERT_FALSE(Pages().Calls.empty());
        EXPECT_EQ(Pages().Calls.back(), c.command);
        EXPECT_EQ(Pages().Count(c.command), 1);
    }
    EXPECT_FALSE(Main().timerAddSomethingNew->Enabled());
    TrayItem("pmnuSystrayAddSomethingNew")->Click();
    EXPECT_TRUE(Main().timerAddSomethingNew->Enabled());
    EXPECT_FALSE(TrayItem("pmnuOpenDalmora")->Visible());
}

TEST_F(MenusTest, TheTrayDoubleClickOpensTheWebOnlyWhenAskedTo)
{
    g.UserLoginStatus = 0;
    Main().trayIcon->SetTag(1);
    ::Setup.SetValue("DblClickOnTrayIconOpensWeb", 0, TNSetupItem::kBool);
    Main().trayIconDblClick();
    EXPECT_EQ(Main().trayIcon->Tag(), 1);
    ::Setup.SetValue("DblClickOnTrayIconOpensWeb", 1, TNSetupItem::kBool);
    Main().trayIconDblClick();
    EXPECT_EQ(Main().trayIcon->Tag(), 0);
    for (int i = 0; i < 200 && shell_.Opened().empty(); ++i) {
        plat::testing::Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(shell_.Opened(), std::vector<std::string>{App.WebUrl});
}

} // namespace
} // namespace shell_test
