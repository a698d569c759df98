#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/testing/gui_harness.h"
#include "tests/view/field_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using view_test::FieldTest;
using view_test::RecordChange;
namespace testing_gui = plat::testing;

namespace {

constexpr uint16_t kBackspace = 8;

class NumberFields : public FieldTest {
protected:
    // A number edit with limits 1 to 999, laid out and focused; a second
    // field to move the focus to.
    TNViewItem* NumberEdit(int32_t secondMinimum)
    {
        TNViewItem* item = Field(cmpNumberEdit, "numberCount", "Počet");
        item->MinValue2 = secondMinimum;
        item->OnChange = &RecordChange;
        View.ResizeComponent(item, 0, 0, 400, 0, true);
        other_ = Field(cmpEdit, "editOther", "Jiné");
        View.ResizeComponent(other_, 0, 40, 400, 0, true);
        item->Edits[1]->SetFocus();
        testing_gui::Flush();
        return item;
    }
    void Leave()
    {
        other_->Edits[0]->SetFocus();
        testing_gui::Flush();
    }

    TNViewItem* other_ = nullptr;
};

TEST_F(NumberFields, TypingKeepsANumberWithinTheLimits)
{
    struct Case {
        const char* name;
        int32_t secondMinimum;
        const char* typed;
        int backspaces;
        bool leave;
        const char* text;
        int32_t value;
        int caret;
        size_t changes;
    } cases[] = {
        {"above the maximum", 1, "1500", 0, false, "999", 999, 3, 4},
        {"a letter into an empty field", 1, "a", 0, false, "1", 1, 1, 1},
        {"emptied", 1, "12", 2, false, "", 0, 0, 4},
        {"emptied and left", 1, "12", 2, true, "1", 1, 1, 5},
        {"zero without a forced minimum", -1, "0", 0, false, "0", 0, 1, 1},
        {"emptied and left without a forced minimum", -1, "5", 1, true, "", 0, 0, 3},
    };
    for (const Case& c : cases) {
        TNViewItem* item = NumberEdit(c.secondMinimum);
        plat::TFlatEdit* edit = item->Edits[1].Get();
        testing_gui::TypeText(*edit, c.typed);
        for (int i = 0; i < c.backspaces; ++i)
            testing_gui::TapKey(*edit, kBackspace);
        if (c.leave)
            Leave();
        EXPECT_EQ(edit->Text(), c.text) << c.name;
        EXPECT_EQ(View.GetValue("numberCount"), c.value) << c.name;
        EXPECT_EQ(item->LastAcceptedText, c.text) << c.name;
        if (!c.leave) {
            EXPECT_EQ(edit->SelStart(), c.caret) << c.name;
        }
        EXPECT_EQ(changed_.size(), c.changes) << c.name;
        View.DeleteComponent("numberCount", true);
        View.DeleteComponent("editOther", true);
        changed_.clear();
    }
}

TEST_F(NumberFields, PastedDigitsStopAtTheMaximum)
{
    TNViewItem* item = NumberEdit(1);
    plat::Clipboard::SetText("99999999999");
    item->Edits[1]->PasteFromClipboard();
    EXPECT_EQ(item->Edits[1]->Text(), "999");
    EXPECT_EQ(item->Value, 999);
    EXPECT_EQ(changed_.size(), 1u);
}

TEST_F(NumberFields, StepButtonsStopAtTheLimits)
{
    TNViewItem* item = NumberEdit(1);
    item->StepButtons = 1;
    item->NumberEditWidth = 60;
    View.ResizeComponent(item, 0, 0, 400, 0, true);
    struct Case {
        const char* start;
        int button;
        const char* text;
    } cases[] = {{"10", 0, "1"}, {"990", 5, "999"}, {"500", 4, "505"}, {"3", 2, "2"}};
    for (const Case& c : cases) {
        View.SetText("numberCount", c.start, false, 0);
        testing_gui::MouseClick(*item->Buttons[c.button].Get(), 3, 3);
        EXPECT_EQ(item->Edits[1]->Text(), c.text) << c.start;
        EXPECT_EQ(item->Value, std::stoi(c.text)) << c.start;
    }
}

TEST_F(NumberFields, StepSwitchPlacesTheButtonsAfterTheUnit)
{
    TNViewItem* item = Field(cmpNumberEdit, "numberDays", "Počet", 3);
    item->NumberEditWidth = 50;
    item->Label(4)->SetCaption("dní");
    View.ResizeComponent(item, 0, 0, 500, 80, true);
    const int x = View.PlaceCaption(item);
    EXPECT_EQ(item->Panel->Height(), 23);
    EXPECT_EQ(item->Edits[1]->BoundsRect(), plat::Bounds(x, 0, 50, 23));
    EXPECT_EQ(item->Label(4)->Left(), x + 54);
    for (const auto& button : item->Buttons) {
        if (button.Get() != nullptr) {
            EXPECT_FALSE(button->Visible());
        }
    }

    item->StepButtons = 1;
    View.ResizeComponent(item, 0, 0, 500, 80, true);
    int next = item->Label(4)->Left() + item->Label(4)->Width() + 7;
    const std::vector<std::string> captions = {"-15", "-5", "-1", "+1", "+5", "+15"};
    for (size_t i = 0; i < captions.size(); ++i) {
        plat::TFlatButton* button = item->Buttons[i].Get();
        EXPECT_EQ(button->Caption(), captions[i]);
        EXPECT_TRUE(button->Visible());
        EXPECT_EQ(button->BoundsRect(), plat::Bounds(next, 0, static_cast<int>(captions[i].size()) * 7 + 16, 23));
        next += button->Width() + 1;
    }

    TNViewItem* above = Field(cmpNumberEdit, "numberAbove", "Počet", 0);
    View.ResizeComponent(above, 0, 100, 500, 80, true);
    EXPECT_EQ(above->Panel->Height(), 23 + 23);
    EXPECT_EQ(above->Edits[1]->Top(), 23);
}

TEST_F(NumberFields, RepeatIntervalSharesTheWidthAndClampsTheMinutes)
{
    TNViewItem* item = Field(cmpRepeatInterval, "repeatEvery", "");
    item->MaxValue2 = 59;
    item->MinValue2 = 0;
    item->OnChange = &RecordChange;
    View.ResizeComponent(item, 0, 0, 400, 0, true);
    plat::TFlatEdit* hours = item->Edits[1].Get();
    plat::TFlatEdit* minutes = item->Edits[2].Get();
    EXPECT_EQ(hours->Width(), 88);
    EXPECT_EQ(minutes->Width(), 88);
    EXPECT_EQ(hours->Left(), 119);
    EXPECT_EQ(item->Label(6)->Left(), 119 + 88);
    EXPECT_EQ(minutes->Left(), 119 + 88 + 63);
    EXPECT_EQ(item->Label(7)->Left(), 119 + 88 + 63 + 88);
    EXPECT_EQ(item->Label(5)->Top(), 4);

    minutes->SetFocus();
    testing_gui::Flush();
    testing_gui::TypeText(*minutes, "75");
    EXPECT_EQ(minutes->Text(), "59");
    EXPECT_EQ(minutes->SelStart(), 2);
    EXPECT_EQ(item->Value, 0);

    testing_gui::TapKey(*minutes, kBackspace);
    testing_gui::TapKey(*minutes, kBackspace);
    EXPECT_EQ(minutes->Text(), "");
    hours->SetFocus();
    testing_gui::Flush();
    EXPECT_EQ(minutes->Text(), "0");

    testing_gui::TypeText(*hours, "5");
    EXPECT_EQ(item->Value, 5);
}

} // namespace
