#include "platform/gui/check_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "platform/testing/gui_harness.h"
#include "tests/view/field_fixture.h"

#include <gtest/gtest.h>

#include <string>

using view_test::FieldTest;
using view_test::RecordChange;
namespace testing_gui = plat::testing;

namespace {

using TextFields = FieldTest;

TEST_F(TextFields, CaptionColumnAlignsTheControlsOfOneColumn)
{
    TNViewItem* text = Field(cmpEdit, "editText", "Text");
    TNViewItem* note = Field(cmpMemo, "memoNote", "Poznámka");
    View.ResizeComponent(text, 10, 10, 400, 0, true);
    View.ResizeComponent(note, 10, 40, 400, 60, true);
    // Laid out again now that the column knows its widest caption.
    View.ResizeComponent(text, 10, 10, 400, 0, true);

    EXPECT_EQ(text->Edits[0]->Left(), 77);
    EXPECT_EQ(note->Shapes[0]->Left(), 77);
    EXPECT_EQ(text->CaptionLabel->Left(), 35);
    EXPECT_EQ(text->CaptionLabel->Left() + text->CaptionLabel->Width(), 70);
    EXPECT_EQ(note->CaptionLabel->Left(), 7);
}

TEST_F(TextFields, CaptionAboveOrAtTheLeftEdgeStartsTheControlsAtZero)
{
    struct Case {
        const char* name;
        int8_t kind;
        int32_t position;
        int32_t controlsTop;
    } cases[] = {
        {"memo above", cmpMemo, 0, 23},
        {"edit above", cmpEdit, 0, 19},
        {"edit at the left edge", cmpEdit, 2, 0},
        {"two combos above", cmpComboBox2, 0, 19},
        {"three combos above", cmpComboBox3, 0, 19},
        {"one combo above", cmpComboBox, 0, 23},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "field" + std::to_string(n++);
        TNViewItem* item = Field(c.kind, name.c_str(), "Místo", c.position);
        View.ResizeComponent(item, 0, 0, 300, 50, true);
        EXPECT_EQ(item->CaptionLabel->Left(), 0) << c.name;
        EXPECT_EQ(item->CaptionLabel->Top(), 4) << c.name;
        EXPECT_EQ(View.PlaceCaption(item), 0) << c.name;
        EXPECT_EQ(TNView::ControlsTop(item), c.controlsTop) << c.name;
    }
}

TEST_F(TextFields, MemoWithoutCaptionFillsItsFrame)
{
    TNViewItem* memo = Field(cmpMemo, "memoPlain", "");
    EXPECT_EQ(memo->CaptionLabel.Get(), nullptr);
    View.ResizeComponent(memo, 5, 6, 200, 80, true);
    EXPECT_EQ(memo->Shapes[0]->BoundsRect(), plat::Bounds(0, 0, 200, 80));
    EXPECT_EQ(memo->Memo->BoundsRect(), plat::Bounds(1, 1, 198, 78));
    EXPECT_EQ(memo->Shapes[0]->Pen().Color, 0xA9A9A9u);

    const int editHeight = memo->Memo->Height();
    View.ResizeComponent(memo, 5, 6, 200, -1, true);
    EXPECT_EQ(memo->Panel->Height(), editHeight + 2);
}

TEST_F(TextFields, EditorsTakeTheTextMenuOfTheirWindow)
{
    static plat::TPopupMenu* mainMenu = nullptr;
    mainMenu = new plat::TPopupMenu(MainForm());
    ViewMainHooks.popupText = []() -> plat::TComponent* { return mainMenu; };
    TNViewItem* inDialog = DialogField(cmpMemo, "memoDialog", "Poznámka");
    TNViewItem* inMain = Field(cmpEdit, "editMain", "Název");
    TNViewItem* number = DialogField(cmpNumberEdit, "numberDialog", "Počet");
    EXPECT_EQ(inDialog->Memo->PopupMenu(), dialog_.PopupText);
    EXPECT_EQ(inMain->Edits[0]->PopupMenu(), mainMenu);
    EXPECT_EQ(number->Edits[1]->PopupMenu(), dialog_.PopupText);
    mainMenu = nullptr;
}

TEST_F(TextFields, EnterKeepsTheMemoTextOnlyWithTheFlag)
{
    for (const bool keeps : {true, false}) {
        TNViewItem* memo = Field(cmpMemo, keeps ? "memoKeeps" : "memoTakes", "");
        memo->MemoEnterKeepsText = keeps ? 1 : 0;
        View.ResizeComponent(memo, 0, 0, 300, 80, true);
        plat::TRichEdit* edit = memo->Memo.Get();
        edit->SetText("ab");
        edit->SetSelStart(1);

        testing_gui::TapKey(*edit, 13);
        testing_gui::SendKey(*edit, 13, 0, true);
        for (int i = 0; i < 5; ++i)
            testing_gui::SendKey(*edit, 13, 0, true, true);
        testing_gui::SendKey(*edit, 13, 0, false);

        if (keeps) {
            EXPECT_EQ(edit->Text(), "ab");
            EXPECT_EQ(edit->SelStart(), 1);
        } else {
            EXPECT_NE(edit->Text().find("\r\n"), std::string::npos);
        }
    }
}

TEST_F(TextFields, LabelShrinksToItsCaptionWhenEmptyAndWrapsItsText)
{
    TNViewItem* empty = Field(cmpLabel, "labelEmpty", "Stav");
    View.SetText("labelEmpty", "", false, 0);
    View.ResizeComponent(empty, 0, 0, 300, 40, true);
    EXPECT_EQ(empty->Panel->Height(), 19);
    EXPECT_EQ(empty->Label(4)->BoundsRect(), plat::Bounds(-1, -1, 0, 0));

    auto* wrapping = new TNViewItem();
    wrapping->WordWrap = 1;
    TNViewItem* wrapped =
        View.CreateComponent(cmpLabel, "labelWrapped", MainForm(), Host(), 0, "", 1, -1, wrapping, nullptr, 3);
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += i == 0 ? "slovo" : " slovo";
    View.SetText("labelWrapped", text.c_str(), true, 0x0000FF);
    View.ResizeComponent(wrapped, 0, 0, 200, 0, true);
    EXPECT_EQ(wrapped->Label(4)->Lines().size(), 10u);
    EXPECT_EQ(wrapped->Label(4)->Height(), 150);
    EXPECT_EQ(wrapped->Panel->Height(), 150);
    EXPECT_EQ(wrapped->Label(4)->Font().Color(), 0x0000FFu);
}

TEST_F(TextFields, CheckboxLayoutClicksAndFocusColours)
{
    TNViewItem* item = Field(cmpCheckbox, "chkAllDay", "Celý den");
    item->OnChange = &RecordChange;
    item->Label(4)->SetCaption("Událost trvá celý den");
    View.ResizeComponent(item, 10, 20, 400, 99, true);
    const int x = View.PlaceCaption(item);
    EXPECT_EQ(item->CheckBox->BoundsRect(), plat::Bounds(x, 3, 18, 18));
    EXPECT_EQ(item->Label(4)->Left(), x + 18);
    EXPECT_EQ(item->Label(4)->Top(), 4);
    EXPECT_EQ(item->Panel->Height(), item->Label(4)->Height() + 4);

    testing_gui::MouseClick(*item->Label(4), 3, 3);
    EXPECT_TRUE(View.GetCheckboxValue("chkAllDay"));
    EXPECT_EQ(changed_.size(), 1u);

    testing_gui::MouseClick(*item->CheckBox.Get(), 5, 9);
    EXPECT_FALSE(View.GetCheckboxValue("chkAllDay"));
    EXPECT_EQ(changed_.size(), 2u);

    View.SetCheckboxValue("chkAllDay", true);
    EXPECT_EQ(changed_.size(), 2u);

    TNViewItem* other = Field(cmpEdit, "editOther", "Jiné");
    View.ResizeComponent(other, 10, 100, 400, 0, true);
    item->CheckBox->SetFocus();
    testing_gui::Flush();
    EXPECT_EQ(item->CheckBox->Color(), 0xC0C0C0u);
    other->Edits[0]->SetFocus();
    testing_gui::Flush();
    EXPECT_EQ(item->CheckBox->Color(), MainForm()->Color());
}

} // namespace
