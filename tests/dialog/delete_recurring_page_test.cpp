// The delete-recurring-record page: one option exactly, OK's refusal
// without one, the main window's delete with the chosen mode, the rights
// refusal, the layout of the options and the page's look.

#include "dialog/unidlg.h"
#include "mainwindow/main_window.h"
#include "model/pim.h"
#include "model/records.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace shell_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = std::string(DALMORA_BINARY_DIR) + "gui-test-output";
constexpr uint32_t kReadOnlyOrganizer = 502;
const char* const kOptions[] = {"btn9DRR_1", "btn9DRR_2", "btn9DRR_3"};

class DeleteRecurringPageTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        InstallUniversalDialog();
        answers_ = std::make_unique<plat::testing::MessageBoxResponder>();
        // Stand-ins for the check marks, so that they show.
        ImageTable.CreateBlankImage("imgCheckboxCheckedWhiteBG", 14, 14, plat::RGB(0, 160, 0));
        ImageTable.CreateBlankImage("imgCheckboxUnchecked", 14, 14, plat::RGB(160, 160, 160));
        AddOrganizer(Account(0), kReadOnlyOrganizer, 50, 0);
        RecordShape shape;
        shape.ID = 940;
        AddRecord(Account(0), shape);
        RecordAt(Account(0), 0).RecurrenceFrequency = 2;
        script_ = std::make_unique<plat::testing::ScopedModalScript>([this](plat::TForm& form) {
            auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
            if (dialog == nullptr)
                return;
            if (dialog->Key == "MB") {
                boxes.push_back(MessageBoxFields.Caption + ": " + MessageBoxFields.Text + " /" +
                                std::to_string(dialog->i8()));
                dialog->btnUlozitClick();
                return;
            }
            opened.push_back(dialog->Key);
            if (step)
                step(*dialog);
            if (dialog->Visible())
                dialog->Close();
        });
    }

    void TearDown() override
    {
        script_.reset();
        answers_.reset();
        SetUniDialogFactory(nullptr);
        ViewDialogHooks = TNViewDialogHooks{};
        PagesTest::TearDown();
        ImageTable.Clear();
    }

    void Open(uint32_t id, std::function<void(TfrmUnidlgDLMR1&)> during)
    {
        step = std::move(during);
        Main().UniDialog("DeleteRecurringRecord", nullptr, static_cast<int32_t>(id), 0, 0, 0, 0, 0, 0, 0);
        step = nullptr;
    }

    static TNViewItem* Option(int32_t mode) { return View.GetComponent(kOptions[mode - 1]); }
    // The user clicks an option's title.
    static void ClickTitle(int32_t mode)
    {
        plat::TLabel* title = Option(mode)->TitleLabel.Get();
        title->OnClick(title);
    }
    static std::vector<int> Marks()
    {
        std::vector<int> marks;
        for (int32_t mode = 1; mode <= 3; ++mode)
            marks.push_back(Option(mode)->Marked);
        return marks;
    }

    std::vector<std::string> boxes;
    std::vector<std::string> opened;
    std::function<void(TfrmUnidlgDLMR1&)> step;
    std::unique_ptr<plat::testing::ScopedModalScript> script_;
    std::unique_ptr<plat::testing::MessageBoxResponder> answers_;
};

TEST_F(DeleteRecurringPageTest, OkWithoutAnOptionIsRefused)
{
    Open(940, [&](TfrmUnidlgDLMR1& page) {
        EXPECT_EQ(page.Caption(), "Smazat opakovaný záznam");
        EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 0}));
        page.btnUlozitClick();
        EXPECT_EQ(page.saved, 0);
        EXPECT_TRUE(page.Visible());
    });
    EXPECT_EQ(boxes, std::vector<std::string>{"Chyba: Zaškrtnete práve jednu volbu! /48"});
    EXPECT_TRUE(jobs_.empty());
}

TEST_F(DeleteRecurringPageTest, ExactlyTheClickedOptionIsChecked)
{
    Open(940, [&](TfrmUnidlgDLMR1&) {
        ClickTitle(1);
        EXPECT_EQ(Marks(), (std::vector<int>{1, 0, 0}));
        ClickTitle(3);
        EXPECT_EQ(Marks(), (std::vector<int>{0, 0, 1}));
        // The mark itself toggles, and the option rule then keeps it on.
        View.ButtonCheckboxClick(Option(2)->HintLabel.Get());
        EXPECT_EQ(Marks(), (std::vector<int>{0, 1, 0}));
        View.ButtonCheckboxClick(Option(2)->HintLabel.Get());
        EXPECT_EQ(Marks(), (std::vector<int>{0, 1, 0}));
    });
}

TEST_F(DeleteRecurringPageTest, TheChosenModeDeletesAndCloses)
{
    for (int32_t mode = 1; mode <= 3; ++mode) {
        jobs_.clear();
        bool saved = false;
        Open(940, [&](TfrmUnidlgDLMR1& page) {
            ClickTitle(mode);
            page.btnUlozitClick();
            saved = page.saved == 1;
        });
        EXPECT_TRUE(saved) << mode;
        ASSERT_EQ(jobs_.size(), 1u) << mode;
        EXPECT_EQ(jobs_[0].Tag, 5);
        EXPECT_EQ(jobs_[0].RecordID, 940u);
        EXPECT_EQ(jobs_[0].Value, mode);
    }
    EXPECT_TRUE(boxes.empty()) << boxes[0];
}

TEST_F(DeleteRecurringPageTest, ARecordGoneMeanwhileKeepsThePage)
{
    bool stayed = false;
    Open(940, [&](TfrmUnidlgDLMR1& page) {
        RecordAt(Account(0), 0).ID = 941;
        Account(0).Records->NoteIDChanged(0);
        ClickTitle(2);
        page.btnUlozitClick();
        stayed = page.saved == 0 && page.Visible();
    });
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(jobs_.empty());
    ASSERT_EQ(answers_->boxes.size(), 1u);
    EXPECT_EQ(answers_->boxes[0].caption, "Záznam nenalezen");
}

TEST_F(DeleteRecurringPageTest, NoRightsRefusesThePage)
{
    RecordAt(Account(0), 0).OrganizerID = kReadOnlyOrganizer;
    Open(940, nullptr);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(boxes, std::vector<std::string>{"Chyba: K editaci tohoto záznamu nemáte dostatečná oprávnění /16"});
}

TEST_F(DeleteRecurringPageTest, OptionsAreLaidOutOneUnderAnother)
{
    Open(940, [&](TfrmUnidlgDLMR1& page) {
        EXPECT_EQ(page.PagePanel("DeleteRecurringRecord")->Width(), 380);
        const int32_t tops[] = {14, 44, 74};
        for (int32_t mode = 1; mode <= 3; ++mode) {
            plat::TPanel* panel = Option(mode)->Panel.Get();
            ASSERT_NE(panel, nullptr);
            EXPECT_EQ(panel->Left(), 14) << mode;
            EXPECT_EQ(panel->Top(), tops[mode - 1]) << mode;
            EXPECT_EQ(panel->Width(), 380 - 28) << mode;
            EXPECT_EQ(panel->Height(), 23) << mode;
        }
        ClickTitle(2);
        page.FormResize();
        page.pBottom0Resize();
        plat::testing::Flush();
        EXPECT_TRUE(plat::testing::MatchesGolden(page, kGoldens + "delete_recurring.png", kOutput));
    });
}

} // namespace
} // namespace shell_test
