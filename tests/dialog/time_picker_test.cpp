#include "platform/gui/dialogs.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/dialog/dialog_fixture.h"
#include "view/view.h"
#include "view/view_item.h"

namespace dialog_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = std::string(DALMORA_BINARY_DIR) + "gui-test-output";
constexpr int kHourButton = 2;
constexpr int kMinuteButton = 3;

// A dialog page with one date setter at 07:35; the picker runs inside the
// page's modal loop.
class TimePickerTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        TNUniDialogPage& page = AddPage("Test", [this](TfrmUnidlgDLMR1& dialog) {
            dialog.SetClientWidth(pageWidth);
            dialog.SetClientHeight(120);
            setter = View.CreateComponent(cmpDate, "dateTest", &dialog, &dialog, 0, "Začátek", 1, dialog.SlotIndex,
                                          nullptr, nullptr, 3);
            setter->SetsDate = 1;
            setter->HasDate = 1;
            setter->HasTime = 1;
            setter->DateValue.SetNow();
            setter->DateValue.NastavCas(7, 35);
            setter->DateValue.GetTimestamp();
            View.ResizeComponent(setter, 10, 20, pageWidth - 20, 0, true);
            View.UpdateComponent("dateTest");
            return true;
        });
        page.Placement = TNDialogPlacement::WorkArea;
    }

    // Runs `step` with the shown dialog and its setter, then closes it.
    void WithSetter(const std::function<void(TfrmUnidlgDLMR1&)>& step)
    {
        OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
            step(dialog);
            if (dialog.Visible())
                dialog.Close();
        });
        Open("Test");
    }

    plat::TFlatButton* SetterButton(int which) { return setter->DateButtons[which].Get(); }

    int ButtonCount() const
    {
        int count = 0;
        for (plat::TFlatButton* button : frmSelector->buttons)
            count += button != nullptr ? 1 : 0;
        return count;
    }

    int32_t pageWidth = 420;
    TNViewItem* setter = nullptr;
};

TEST_F(TimePickerTest, TheHoursGridMarksAndFocusesTheCurrentHour)
{
    WithSetter([&](TfrmUnidlgDLMR1&) {
        SetterButton(kHourButton)->Click();
        ASSERT_TRUE(frmSelector->Visible());
        EXPECT_EQ(frmSelector->Type, 1);
        EXPECT_EQ(ButtonCount(), 24);
        EXPECT_EQ(frmSelector->ClientWidth(), 154);
        EXPECT_EQ(frmSelector->ClientHeight(), 202);
        plat::TFlatButton* seven = frmSelector->buttons[7];
        EXPECT_EQ(seven->Caption(), "07");
        EXPECT_EQ(seven->Color(), TfrmSelector::kCurrentColor);
        EXPECT_TRUE(seven->Focused());
        EXPECT_EQ(frmSelector->buttons[8]->Color(), 0xFFFFFFu);
        EXPECT_TRUE(plat::testing::MatchesGolden(*frmSelector, kGoldens + "hours_grid.png", kOutput));

        // A value no button holds marks none.
        frmSelector->Open(1, setter->OwnerForm.Get(), setter->ComponentId, SetterButton(kHourButton), 99);
        for (plat::TFlatButton* button : frmSelector->buttons) {
            if (button != nullptr) {
                EXPECT_EQ(button->Color(), 0xFFFFFFu) << button->Caption();
            }
        }
        frmSelector->Close();
    });
}

TEST_F(TimePickerTest, AClickWritesTheValueAndOtherClosesChangeNothing)
{
    struct Case {
        const char* name;
        int type;
        std::function<void(TfrmUnidlgDLMR1&)> close;
        int hour;
        int minute;
    };
    const Case cases[] = {
        {"a click on 15", 1, [](TfrmUnidlgDLMR1&) { frmSelector->buttons[15]->Click(); }, 15, 35},
        {"a click on minute 05", 2, [](TfrmUnidlgDLMR1&) { frmSelector->buttons[5]->Click(); }, 7, 5},
        {"Esc", 1, [](TfrmUnidlgDLMR1&) { frmSelector->btnESC->Click(); }, 7, 35},
        {"another window activated", 1, [](TfrmUnidlgDLMR1& dialog) { dialog.Activate(); }, 7, 35},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        WithSetter([&](TfrmUnidlgDLMR1& dialog) {
            SetterButton(item.type == 1 ? kHourButton : kMinuteButton)->Click();
            ASSERT_TRUE(frmSelector->Visible());
            item.close(dialog);
            plat::testing::Flush();
            EXPECT_FALSE(frmSelector->Visible());
            EXPECT_EQ(setter->DateValue.Hodina, item.hour);
            EXPECT_EQ(setter->DateValue.Minuta, item.minute);
            char shown[8];
            std::snprintf(shown, sizeof shown, "%02d", item.hour);
            EXPECT_EQ(SetterButton(kHourButton)->Caption(), shown) << "the setter shows what it holds";
            EXPECT_EQ(ButtonCount(), 0);
            EXPECT_EQ(frmSelector->Type, 0);
            EXPECT_EQ(frmSelector->currentValue, -1);
        });
    }
}

TEST_F(TimePickerTest, TheMinutesGridAfterTheHoursGridHasSixtyButtonsOnly)
{
    WithSetter([&](TfrmUnidlgDLMR1&) {
        SetterButton(kHourButton)->Click();
        SetterButton(kMinuteButton)->Click();
        ASSERT_TRUE(frmSelector->Visible());
        EXPECT_EQ(frmSelector->Type, 2);
        EXPECT_EQ(ButtonCount(), 60);
        int misplaced = 0;
        for (int value = 0; value < 60; ++value) {
            const plat::TFlatButton* button = frmSelector->buttons[value];
            const int column = value % 5;
            const int row = value / 5;
            if (button->Left() != 7 + 36 * column || button->Top() != 7 + 32 * row || button->Width() != 32 ||
                button->Height() != 28)
                ++misplaced;
        }
        EXPECT_EQ(misplaced, 0);
        EXPECT_EQ(frmSelector->ClientWidth(), 190);
        EXPECT_EQ(frmSelector->ClientHeight(), 394);
        EXPECT_EQ(frmSelector->buttons[35]->Color(), TfrmSelector::kCurrentColor);
        frmSelector->Close();
    });
}

TEST_F(TimePickerTest, AnUndefinedTypeIsReportedAndThePickerCloses)
{
    WithSetter([&](TfrmUnidlgDLMR1& dialog) {
        frmSelector->Open(0, &dialog, setter->ComponentId, SetterButton(kHourButton), 7);
        EXPECT_FALSE(frmSelector->Visible());
        EXPECT_EQ(ButtonCount(), 0);
    });
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Hodnota 'frmSelector->Type' není definována!");
    EXPECT_EQ(boxes_->boxes[0].caption, "Chyba");
    EXPECT_EQ(boxes_->boxes[0].flags & 0xF0, plat::MB_ICONERROR);
}

TEST_F(TimePickerTest, TheAnchorDialogClosingUnderThePickerGetsNoWrite)
{
    uint32_t id = 0;
    WithSetter([&](TfrmUnidlgDLMR1& dialog) {
        id = setter->ComponentId;
        SetterButton(kHourButton)->Click();
        EXPECT_TRUE(frmSelector->Visible());
        // The close's own clean-up, before any other window takes the
        // activation from the picker.
        dialog.FormClose();
        EXPECT_FALSE(frmSelector->Visible());
        dialog.btnZavrit->Click();
    });
    EXPECT_FALSE(frmSelector->Visible());
    EXPECT_EQ(View.GetComponentById(id), nullptr);

    // The setter gone by other means while the picker shows: a click finds
    // it gone and only closes.
    WithSetter([&](TfrmUnidlgDLMR1&) {
        SetterButton(kHourButton)->Click();
        View.DeleteComponent("dateTest", false);
        frmSelector->buttons[15]->Click();
        EXPECT_FALSE(frmSelector->Visible());
    });
}

TEST_F(TimePickerTest, ThePickerOpensUnderTheSetterInsideTheWorkArea)
{
    struct Case {
        const char* name;
        int dialogLeft;
    };
    for (const Case& item : {Case{"in the middle", 300}, Case{"at the screen's right edge", 1280 - 420}}) {
        SCOPED_TRACE(item.name);
        WithSetter([&](TfrmUnidlgDLMR1& dialog) {
            dialog.SetBounds(item.dialogLeft, 500, dialog.Width(), dialog.Height());
            SetterButton(kMinuteButton)->Click();
            const plat::TPanel* panel = setter->Panel.Get();
            const int setterBottom = panel->ClientToScreen(plat::TPoint{0, panel->Height()}).y;
            const int buttonLeft = SetterButton(kMinuteButton)->ClientToScreen(plat::TPoint{0, 0}).x;
            EXPECT_EQ(frmSelector->Top(), setterBottom);
            EXPECT_EQ(frmSelector->Left(), std::min(buttonLeft, 1280 - frmSelector->Width()));
            EXPECT_LE(frmSelector->Left() + frmSelector->Width(), 1280);
            frmSelector->Close();
        });
    }
}

} // namespace
} // namespace dialog_test
