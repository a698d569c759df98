#include "foundation/setup.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/hot_keys.h"
#include "platform/gui/memo.h"
#include "platform/gui/menu.h"
#include "platform/gui/messages.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "tests/mainwindow/shell_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace shell_test {
namespace {

constexpr uint16_t kVkLeft = 37;

class HotKeysTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        for (const char* name :
             {"Settings_ShortcutMainWindow", "Settings_ShortcutAddSomethingNew", "Settings_ShortcutNotepad"})
            ::Setup.Remove(name);
        SignIn();
        Main().Activate();
        // The home page's parts: a button, the note editor; the header's
        // search field.
        button_ = new plat::TButton(&Main());
        button_->SetParent(Main().pHpDesk);
        note_ = new plat::TMemo(&Main());
        note_->SetParent(Main().pHpDesk);
        note_->SetText("abcdef");
        search_ = new plat::TEdit(&Main());
        search_->SetParent(Main().pHeader);
        search_->SetText("abcdef");
        Main().pHpDesk->SetVisible(true);
        Main().pHeader->SetVisible(true);
        Main().RegisterHotkeysFromSettings();
        // The window is in front: the hook's answer.
        Main().ForegroundWindowChanged(&Main());
    }

    void Focus(plat::TWinControl* control, bool searchField)
    {
        Main().SetActiveControl(control);
        Main().SetFocusedSearchField(searchField ? control : nullptr);
    }

    plat::TButton* button_ = nullptr;
    plat::TMemo* note_ = nullptr;
    plat::TEdit* search_ = nullptr;
};

TEST_F(HotKeysTest, AnswersEachKey)
{
    struct Case {
        const char* name;
        int32_t id;
        const char* focus; // "button", "note", "search"
        plat::LRESULT answer;
        const char* pageCall; // "" for none
        bool shows;
        int searchCaretMoves;
    };
    const Case cases[] = {
        {"101 shows the window", 101, "button", 1, "", true, 0},
        {"106 shows the window", 106, "button", 1, "", true, 0},
        {"105 shows and adds", 105, "button", 1, "", true, 0},
        {"107 on a button moves the day back", 107, "button", 1, "btnTodayPreviousClick", false, 0},
        {"108 on a button moves the day on", 108, "button", 1, "btnTodayNextClick", false, 0},
        {"109 on a button goes to today", 109, "button", 1, "btnTodayTodayClick", false, 0},
        {"107 in the search field moves its caret", 107, "search", 0, "", false, 1},
        {"107 in the note editor is not used", 107, "note", 0, "", false, 0},
        {"unknown id", 123, "button", 1, "", false, 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const std::string focus = row.focus;
        Focus(focus == "note"     ? static_cast<plat::TWinControl*>(note_)
              : focus == "search" ? static_cast<plat::TWinControl*>(search_)
                                  : static_cast<plat::TWinControl*>(button_),
              focus == "search");
        search_->SetSelStart(3);
        const int shows = LogCount("[TfrmMainDLMR1::ShowApplication][BEGIN] caller = TfrmMainDLMR1::HotKey");
        Main().timerAddSomethingNew->SetEnabled(false);
        Main().timerAddSomethingNew->SetTag(5);
        Pages().Calls.clear();

        EXPECT_EQ(Main().Perform(plat::WM_HOTKEY, static_cast<plat::WPARAM>(row.id), 0), row.answer);

        EXPECT_EQ(LogCount("[TfrmMainDLMR1::ShowApplication][BEGIN] caller = TfrmMainDLMR1::HotKey") - shows,
                  row.shows ? 1 : 0);
        const bool adds = row.id == 105;
        EXPECT_EQ(Main().timerAddSomethingNew->Enabled(), adds);
        EXPECT_EQ(Main().timerAddSomethingNew->Tag(), adds ? 0 : 5);
        for (const char* call : {"btnTodayPreviousClick", "btnTodayNextClick", "btnTodayTodayClick"})
            EXPECT_EQ(Pages().Count(call), std::string(row.pageCall) == call ? 1 : 0) << call;
        EXPECT_EQ(search_->SelStart(), 3 - row.searchCaretMoves);
    }
}

TEST_F(HotKeysTest, EditorsKeepTheirKeysThroughTheLayer)
{
    // The note editor: the key goes on to it and the day stays.
    Focus(note_, false);
    note_->SetFocus();
    note_->SetSelStart(3);
    plat::testing::TapKey(*note_, kVkLeft);
    EXPECT_EQ(note_->SelStart(), 2);
    EXPECT_EQ(Pages().Count("btnTodayPreviousClick"), 0);

    // The header's search field: its caret moves once.
    Focus(search_, true);
    search_->SetFocus();
    search_->SetSelStart(3);
    plat::testing::TapKey(*search_, kVkLeft);
    EXPECT_EQ(search_->SelStart(), 2);

    // A button: the day moves and the button does not see the key.
    Focus(button_, false);
    button_->SetFocus();
    plat::testing::TapKey(*button_, kVkLeft);
    EXPECT_EQ(Pages().Count("btnTodayPreviousClick"), 1);
}

TEST_F(HotKeysTest, FocusKeysFollowTheForegroundWindow)
{
    EXPECT_TRUE(plat::HotKeys::Simulate(107));
    Main().ForegroundWindowChanged(nullptr);
    for (int id : {107, 108, 109})
        EXPECT_FALSE(plat::HotKeys::Simulate(id)) << id;
    Main().ForegroundWindowChanged(&Main());
    for (int id : {107, 108, 109})
        EXPECT_TRUE(plat::HotKeys::Simulate(id)) << id;
    // A dialog of the program in front counts as another window.
    plat::TOwned<plat::TForm> dialog(new plat::TForm(nullptr));
    Main().ForegroundWindowChanged(dialog.get());
    EXPECT_FALSE(plat::HotKeys::Simulate(108));
}

TEST_F(HotKeysTest, MenuTogglesFlipSettingCheckAndRegistration)
{
    struct Case {
        const char* setting;
        plat::TMenuItem* item;
        int32_t id;
    };
    const Case cases[] = {
        {"Settings_ShortcutMainWindow", Main().mnuShortcutMainWindow, 101},
        {"Settings_ShortcutAddSomethingNew", Main().mnuShortcutAddSomethingNew, 105},
        {"Settings_ShortcutNotepad", Main().mnuShortcutNotepad, 106},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.setting);
        ASSERT_NE(row.item, nullptr);
        // Created on when missing.
        EXPECT_TRUE(::Setup.GetBool(row.setting));
        EXPECT_TRUE(row.item->Checked());
        EXPECT_TRUE(plat::HotKeys::Simulate(row.id));

        row.item->Click();
        EXPECT_FALSE(::Setup.GetBool(row.setting));
        EXPECT_FALSE(row.item->Checked());
        EXPECT_FALSE(plat::HotKeys::Simulate(row.id));

        row.item->Click();
        EXPECT_TRUE(::Setup.GetBool(row.setting));
        EXPECT_TRUE(row.item->Checked());
        EXPECT_TRUE(plat::HotKeys::Simulate(row.id));
    }
}

TEST_F(HotKeysTest, ASecondSignInKeepsOneHookAndTheCloseReleasesAll)
{
    Main().RegisterHotkeysFromSettings();
    EXPECT_EQ(LogCount("[AktivujNastaveni] SetWinEventHook"), 1);

    Main().UnregisterAllHotkeys();
    for (int id : {101, 105, 106, 107, 108, 109})
        EXPECT_FALSE(plat::HotKeys::Simulate(id)) << id;
}

} // namespace
} // namespace shell_test
