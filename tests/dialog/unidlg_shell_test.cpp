#include "foundation/dirs.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/main_window.h"
#include "model/record.h"
#include "online/global.h"
#include "platform/core/main_loop.h"
#include "platform/gui/button.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/gui_harness.h"
#include "tests/dialog/dialog_fixture.h"
#include "view/view.h"
#include "view/view_item.h"

#include <filesystem>

namespace dialog_test {
namespace {

using UniDialogShellTest = DialogTest;

struct OpenFact {
    std::string key;
    int32_t slot;
    int64_t tag;
    int32_t parent;
    int32_t depth;
};

TEST_F(UniDialogShellTest, NestedDialogsFollowTheStackThreeDeep)
{
    std::vector<OpenFact> facts;
    AddPage("Test", [&](TfrmUnidlgDLMR1& dialog) {
        facts.push_back({dialog.Key, dialog.SlotIndex, dialog.Tag(), dialog.ParentIndex(), Main().DialogDepth()});
        return true;
    });
    OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
        EXPECT_EQ(UniDialogInSlot(dialog.SlotIndex), &dialog);
        if (dialog.SlotIndex < 2)
            dialog.UniDialog("Test", 0, 0, 0, 0, 0, 0, 0, 0);
        else
            Main().MB("Zpráva hlavního okna", "Info", 0);
        dialog.Close();
    });
    OnShown("MB", [&](TfrmUnidlgDLMR1& box) {
        facts.push_back({box.Key, box.SlotIndex, box.Tag(), box.ParentIndex(), Main().DialogDepth()});
        box.Close();
    });

    EXPECT_EQ(Open("Test"), 0);
    ASSERT_EQ(facts.size(), 4u);
    const OpenFact expected[] = {
        {"Test", 0, 0, -1, 1}, {"Test", 1, 1, 0, 2}, {"Test", 2, 2, 1, 3}, {"MB", 3, 3, -1, 4}};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(facts[i].key, expected[i].key);
        EXPECT_EQ(facts[i].slot, expected[i].slot);
        EXPECT_EQ(facts[i].tag, expected[i].tag);
        EXPECT_EQ(facts[i].parent, expected[i].parent);
        EXPECT_EQ(facts[i].depth, expected[i].depth);
    }
    EXPECT_EQ(Main().DialogDepth(), 0);
    EXPECT_EQ(UniDialogInSlot(0), nullptr);
    EXPECT_EQ(LogCount("[UniDialog][BringToFront][A]"), 1) << "only the outermost brings the main window back";
}

TEST_F(UniDialogShellTest, AMessageBoxFromDepth31IsRefused)
{
    AddPage("Test");
    int32_t answer = -2;
    OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
        answer = dialog.MB("Chybí název.", "Chyba", 0x30);
        dialog.Close();
    });
    Main().SetDialogDepthForTest(31);
    EXPECT_EQ(Open("Test"), 31);
    Main().SetDialogDepthForTest(0);
    EXPECT_EQ(answer, 0);
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Dialogové okno se nepodařilo otevřít!");
    EXPECT_EQ(boxes_->boxes[0].caption, "CHYBA");
    EXPECT_EQ(shown, (std::vector<std::string>{"Test"}));
}

TEST_F(UniDialogShellTest, KeysWithoutAPageAndRefusingBuildersShowNothing)
{
    TfrmUnidlgDLMR1* built = nullptr;
    plat::TWeakRef<plat::TForm> refused;
    AddPage("Refusing", [&](TfrmUnidlgDLMR1& dialog) {
        refused = &dialog;
        View.CreateComponent(11, "editRefusing", &dialog, &dialog, 0, "", 0, dialog.SlotIndex, nullptr, nullptr, 0);
        built = &dialog;
        return false;
    });
    const struct {
        const char* key;
        const char* line;
    } cases[] = {
        {"EnterPassword", "[AktivujDialog][ERROR] No page for the key: EnterPassword"},
        {"Nesmysl", "[AktivujDialog][ERROR] No page for the key: Nesmysl"},
        {"Refusing", nullptr},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.key);
        const int before = LogCount("[UniDialog][BringToFront][A]");
        EXPECT_EQ(Open(item.key), 0);
        if (item.line != nullptr) {
            EXPECT_EQ(LogCount(item.line), 1);
        }
        EXPECT_EQ(LogCount("[UniDialog][BringToFront][A]"), before + 1) << "count 0 brings the main window back";
        EXPECT_EQ(Main().DialogDepth(), 0);
    }
    EXPECT_TRUE(shown.empty());
    EXPECT_NE(built, nullptr);
    EXPECT_FALSE(refused) << "the refused form is freed";
    EXPECT_EQ(View.GetComponent("editRefusing"), nullptr) << "and its components with it";
    EXPECT_EQ(LogCount("not built yet"), 0);
}

// ---------------------------------------------------------------------------
// OK and Close

TEST_F(UniDialogShellTest, OkAndCloseFollowTheSaverAndTheKey)
{
    struct Case {
        const char* name;
        const char* key;
        int saverAnswer; // -1: no saver
        bool clickOk;
        bool closes;
        uint8_t saved;
        int saverCalls;
    };
    const Case cases[] = {
        {"a failing save keeps the dialog", "Saving", 0, true, false, 0, 1},
        {"a good save closes", "Saving", 1, true, true, 1, 1},
        {"Close runs no saver", "Saving", 1, false, true, 0, 0},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        int calls = 0;
        TNUniDialogPage& page = AddPage(item.key);
        page.Save = [&](TfrmUnidlgDLMR1&) {
            ++calls;
            return item.saverAnswer == 1;
        };
        bool stillOpen = false;
        uint8_t saved = 9;
        OnShown(item.key, [&](TfrmUnidlgDLMR1& dialog) {
            (item.clickOk ? dialog.btnUlozit : dialog.btnZavrit)->Click();
            stillOpen = dialog.ModalResult() == plat::mrNone;
            saved = dialog.saved;
            if (stillOpen)
                dialog.Close();
        });
        Open(item.key);
        EXPECT_EQ(calls, item.saverCalls);
        EXPECT_EQ(stillOpen, !item.closes);
        EXPECT_EQ(saved, item.saved);
    }
}

TEST_F(UniDialogShellTest, TheMessageBoxOkSavesTheSettingsAndTheAboutPageSavesNothing)
{
    RememberAccount("jana", "heslo", false);
    const std::string users = TNGlobal::EnterUsersFolder() + "users-online.dat";
    ASSERT_TRUE(std::filesystem::remove(users));
    const std::string settings = home_.Path() + "setup-test.dat";
    Dirs.UsersSetupFile.Set(settings.c_str());
    OnShown("MB", [](TfrmUnidlgDLMR1& box) { box.btnZavrit->Click(); });
    OnShown("OProgramu", [](TfrmUnidlgDLMR1& about) { about.btnUlozitClick(); });

    EXPECT_EQ(Open("OProgramu"), 0);
    EXPECT_FALSE(std::filesystem::exists(settings));
    EXPECT_FALSE(std::filesystem::exists(users));

    EXPECT_EQ(Main().MB("Hotovo.", "Info", 0), 1) << "OK confirms";
    EXPECT_TRUE(std::filesystem::exists(settings));
    EXPECT_TRUE(std::filesystem::exists(users));
    Dirs.UsersSetupFile.Set("");

    OnShown("MB", [](TfrmUnidlgDLMR1& box) { box.Close(); });
    EXPECT_EQ(Main().MB("Hotovo.", "Info", 0), 0) << "any other close leaves 0";
}

TEST_F(UniDialogShellTest, TheNewAccountPageStopsTheOnlineTimerOnClose)
{
    AddPage("NewUser");
    Main().timerOnline->SetEnabled(true);
    OnShown("NewUser", [](TfrmUnidlgDLMR1& dialog) { dialog.btnZavrit->Click(); });
    Open("NewUser");
    EXPECT_FALSE(Main().timerOnline->Enabled());
    EXPECT_EQ(Main().timerOnline->Tag(), 999);
}

TEST_F(UniDialogShellTest, AMandatoryProfileSaveRunsOncePerCloseAttempt)
{
    int calls = 0;
    bool succeed = false;
    TNUniDialogPage& page = AddPage("BasicProfileSettings");
    page.Save = [&](TfrmUnidlgDLMR1&) {
        ++calls;
        return succeed;
    };
    std::vector<int> callsAfter;
    OnShown("BasicProfileSettings", [&](TfrmUnidlgDLMR1& dialog) {
        dialog.btnZavrit->Click();
        callsAfter.push_back(calls);
        // The window's close button (or WM_CLOSE): the close query runs once
        // the script has returned to the modal loop.
        dialog.Close();
        Loop().Post([&] {
            callsAfter.push_back(calls);
            EXPECT_TRUE(dialog.Visible());
            succeed = true;
            dialog.btnZavrit->Click();
        });
    });
    Open("BasicProfileSettings", 0, 1);
    EXPECT_EQ(callsAfter, (std::vector<int>{1, 2}));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(Main().DialogDepth(), 0);
}

// ---------------------------------------------------------------------------
// Closing

TEST_F(UniDialogShellTest, TheCloseCleansUpAndArmsTheRecordTimer)
{
    struct Case {
        const char* name;
        uint32_t recordToOpen;
        uint8_t addSomethingElse;
        int kind;
        bool armed;
        int64_t tag;
    };
    const Case cases[] = {
        {"nothing to open", 0, 0, 0, false, -1},
        {"a record to open", 4200000007u, 0, 0, true, 4200000007},
        {"a kind chosen in add-something-else mode", 15, 1, 7, true, 0},
        {"add-something-else mode without a kind", 15, 1, 0, true, 15},
    };
    AddPage("Test", [](TfrmUnidlgDLMR1& dialog) {
        View.CreateComponent(11, "editTestPage", &dialog, &dialog, 0, "", 0, dialog.SlotIndex, nullptr, nullptr, 0);
        dialog.workingRecord = std::make_unique<TNPIMRecord>();
        return true;
    });
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        Main().timerEditRecord->SetEnabled(false);
        Main().timerEditRecord->SetTag(-1);
        Main().addSomethingElseType = item.kind;
        bool componentThere = false;
        OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
            componentThere = View.GetComponent("editTestPage") != nullptr;
            dialog.recordToOpenAfterClose = item.recordToOpen;
            dialog.addSomethingElseMode = item.addSomethingElse;
            dialog.btnZavrit->Click();
        });
        Open("Test");
        EXPECT_TRUE(componentThere);
        EXPECT_EQ(View.GetComponent("editTestPage"), nullptr);
        EXPECT_EQ(Main().timerEditRecord->Enabled(), item.armed);
        EXPECT_EQ(Main().timerEditRecord->Tag(), item.tag);
        EXPECT_EQ(Main().windowTable[1], nullptr);
    }
    Main().addSomethingElseType = 0;
    Main().timerEditRecord->SetEnabled(false);
    EXPECT_EQ(LogCount("[Unidlg::FormClose][END]"), 4);
}

TEST_F(UniDialogShellTest, TheCloseWaitsForTheDialogsOwnFlagsOnly)
{
    AddPage("Test");
    plat::testing::ScopedFakeClock clock(1781157600);
    bool stillSet = true;
    OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
        dialog.runningUpdateEditedRecord = true;
        dialog.WaitForEditedRecordUpdate();
        stillSet = dialog.runningUpdateEditedRecord.load();
        dialog.btnZavrit->Click();
    });
    Open("Test");
    EXPECT_FALSE(stillSet);
    const std::vector<int64_t> sleeps = clock->Sleeps();
    EXPECT_EQ(sleeps.size(), 400u);
    EXPECT_TRUE(std::all_of(sleeps.begin(), sleeps.end(), [](int64_t ms) { return ms == 25; }));
    EXPECT_EQ(LogCount("[TfrmUnidlgDLMR1::WaitForEditedRecordUpdate] Waiting for runningUpdateEditedRecord... "), 391);
    EXPECT_EQ(LogCount("Waiting for runningUpdateEditedRecord... 9\r\n"), 0);
    EXPECT_EQ(LogCount("Waiting for runningUpdateEditedRecord... 10\r\n"), 1);
    EXPECT_EQ(LogCount("[TfrmUnidlgDLMR1::WaitForEditedRecordUpdate][ERROR] Resetting runningUpdateEditedRecord"), 1);

    // Job 4 still running: its flag is the job's, the close does not poll.
    g.runningLoadOneRecord = true;
    OnShown("Test", [](TfrmUnidlgDLMR1& dialog) { dialog.btnZavrit->Click(); });
    Open("Test");
    EXPECT_EQ(clock->Sleeps().size(), 400u);
    EXPECT_TRUE(g.runningLoadOneRecord.load());
    g.runningLoadOneRecord = false;
}

// ---------------------------------------------------------------------------
// Activation

TEST_F(UniDialogShellTest, ALaterActivationKeepsThePageAsItIs)
{
    int setUps = 0;
    TNUniDialogPage& page = AddPage("Test");
    page.Activate = [&](TfrmUnidlgDLMR1&) { ++setUps; };
    std::string boxText;
    OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
        dialog.mnuOProgramuClick(); // Shift+F1
        EXPECT_EQ(setUps, 1);
        dialog.MB("Název chybí.", "Chyba", 0x30);
        dialog.Close();
    });
    OnShown("OProgramu", [](TfrmUnidlgDLMR1& about) {
        about.mnuOProgramuClick(); // no second About over the About page
        about.Close();
    });
    // A main-window timer opens a box over the dialog's box.
    auto* timer = new plat::TTimer(&Main());
    timer->SetEnabled(false);
    timer->SetInterval(100);
    timer->OnTimer = [&](plat::TComponent* sender) {
        static_cast<plat::TTimer*>(sender)->SetEnabled(false);
        Main().MB("Synchronizace hotova.", "Info", 0);
    };
    OnShown("MB", [&](TfrmUnidlgDLMR1& box) {
        if (box.labelMB->Caption() == "Název chybí.") {
            timer->SetEnabled(true);
            timers_->Advance(100);
            boxText = box.labelMB->Caption();
        }
        box.Close();
    });
    Open("Test");
    EXPECT_EQ(setUps, 1);
    EXPECT_EQ(boxText, "Název chybí.");
    EXPECT_EQ(shown, (std::vector<std::string>{"Test", "OProgramu", "MB", "MB"}));
}

TEST_F(UniDialogShellTest, TheRestoreMessageRestoresTheMainWindowAndActivatesTheDialog)
{
    AddPage("Test");
    bool active = false;
    OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
        Main().Activate();
        EXPECT_EQ(dialog.Perform(plat::WM_DALMORA_RESTORE, 0, 0), 1);
        active = plat::Application::ActiveForm() == &dialog;
        dialog.Close();
    });
    Main().Hide();
    Open("Test");
    EXPECT_TRUE(active);
    EXPECT_GE(LogCount("[TfrmMainDLMR1::RestoreApplication]"), 1);
}

} // namespace
} // namespace dialog_test

namespace dialog_test {
namespace {

TEST_F(UniDialogShellTest, AMessageBoxWithThreeLinesLooksAsDesigned)
{
    AddPage("Test");
    plat::TRect boxBounds;
    OnShown("Test", [](TfrmUnidlgDLMR1& dialog) {
        dialog.MB("Záznam nelze uložit.\nChybí název záznamu.\nDoplňte jej a zkuste to znovu.", "Chyba", 0x30);
        dialog.Close();
    });
    OnShown("MB", [&](TfrmUnidlgDLMR1& box) {
        EXPECT_EQ(box.i8(), 0x30) << "the icon flags are kept";
        EXPECT_FALSE(box.pNadpis->Visible());
        boxBounds = box.BoundsRect();
        plat::testing::Flush();
        EXPECT_TRUE(plat::testing::MatchesGolden(box, std::string(DALMORA_TEST_DATA_DIR) + "message_box.png",
                                                 std::string(DALMORA_BINARY_DIR) + "gui-test-output"));
        box.Close();
    });
    Open("Test");
    EXPECT_GE(boxBounds.Width(), 300);
    EXPECT_GE(boxBounds.Top, 30) << "inside the work area";
}

} // namespace
} // namespace dialog_test

namespace dialog_test {
namespace {

TEST_F(UniDialogShellTest, TheCallerItemAndTheParentRecordAreFoundAgainAtEachUse)
{
    TNViewItem* item =
        View.CreateComponent(cmpEdit, "editCaller", &Main(), Main().pHpDesk, 0, "", 0, -1, nullptr, nullptr, 0);
    ASSERT_NE(item, nullptr);
    const uint32_t id = item->ComponentId;
    AddPage("Parent", [](TfrmUnidlgDLMR1& dialog) {
        dialog.workingRecord = std::make_unique<TNPIMRecord>();
        dialog.workingRecord->ID = 1;
        return true;
    });
    AddPage("Child");
    std::vector<std::string> seen;
    OnShown("Parent", [&](TfrmUnidlgDLMR1& parent) {
        seen.push_back(parent.CallerItem() == item ? "caller there" : "caller missing");
        // A refill during the modal loop deletes the clicked item.
        View.DeleteComponent("editCaller", false);
        seen.push_back(parent.CallerItem() == nullptr ? "caller gone" : "caller still read");
        parent.UniDialog("Child", 0, 0, 0, 0, 0, 0, 0, 1);
        parent.UniDialog("Child", 0, 0, 0, 0, 0, 0, 0, 0);
        parent.Close();
    });
    int children = 0;
    OnShown("Child", [&](TfrmUnidlgDLMR1& child) {
        TfrmUnidlgDLMR1* parent = UniDialogInSlot(child.ParentIndex());
        if (++children == 1) {
            seen.push_back("record " + std::to_string(child.ParentWorkingRecord()->ID));
            // The service's copy replaces the parent's working record.
            parent->workingRecord = std::make_unique<TNPIMRecord>();
            parent->workingRecord->ID = 2;
            seen.push_back("record " + std::to_string(child.ParentWorkingRecord()->ID));
        } else {
            seen.push_back(child.ParentWorkingRecord() == nullptr ? "no record" : "a record");
        }
        child.Close();
    });
    Main().UniDialog("Parent", nullptr, 0, 0, 0, 0, static_cast<int32_t>(id), 0, 0, 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"caller there", "caller gone", "record 1", "record 2", "no record"}));
}

} // namespace
} // namespace dialog_test
