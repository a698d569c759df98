#include "platform/gui/check_box.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/timer.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

using view_test::ViewTest;

namespace {

class EditorAccessorsTest : public ViewTest {
protected:
    // A field of a kind with its editor on a shown form, as the kind's
    // create operation leaves it.
    template <class Control>
    TNViewItem* Field(int8_t kind, const char* name, plat::TWeakRef<Control>& (*slot)(TNViewItem&))
    {
        TNViewItem* item = MakeItem(kind, name, FixedPanel(mpSpare1));
        auto* control = new Control(MainForm());
        control->SetBounds(0, 0, 80, 20);
        control->SetParent(item->Panel.Get());
        slot(*item) = control;
        return item;
    }

    void SetUp() override
    {
        ViewTest::SetUp();
        FixedPanel(mpSpare1)->SetBounds(0, 0, 400, 300);
        MainForm()->Show();
    }
};

plat::TWeakRef<plat::TRichEdit>& MemoSlot(TNViewItem& item)
{
    return item.Memo;
}
plat::TWeakRef<plat::TFlatEdit>& FirstEdit(TNViewItem& item)
{
    return item.Edits[0];
}
plat::TWeakRef<plat::TFlatEdit>& SecondEdit(TNViewItem& item)
{
    return item.Edits[1];
}
plat::TWeakRef<plat::TFlatComboBox>& FirstCombo(TNViewItem& item)
{
    return item.Combos[0];
}
plat::TWeakRef<plat::TCheckBox>& CheckBoxSlot(TNViewItem& item)
{
    return item.CheckBox;
}

} // namespace

TEST_F(EditorAccessorsTest, TextGoesToEachKindsEditor)
{
    TNViewItem* memo = Field(cmpMemo, "memoNote", &MemoSlot);
    TNViewItem* edit = Field(cmpEdit, "editTitle", &FirstEdit);
    TNViewItem* number = Field(cmpNumberEdit, "numberDays", &SecondEdit);
    MakeItem(cmpButton, "btnOther");

    struct Case {
        const char* name;
        const char* text;
        const char* read;
    } cases[] = {
        {"memoNote", "Dlouhá poznámka", "Dlouhá poznámka"},
        {"editTitle", "Porada", "Porada"},
        {"numberDays", "12ab3", "123"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(View.SetText(c.name, c.text, false, 0)) << c.name;
        EXPECT_EQ(View.GetText(c.name), c.read) << c.name;
    }
    EXPECT_EQ(memo->Memo.Get()->Text(), "Dlouhá poznámka");
    EXPECT_EQ(edit->Edits[0].Get()->Text(), "Porada");
    EXPECT_EQ(number->Edits[1].Get()->Text(), "123");
    EXPECT_FALSE(View.SetText("btnOther", "x", false, 0));
    EXPECT_EQ(View.GetText("btnOther"), "");
    EXPECT_EQ(View.GetText("missing"), "");

    // The editor freed with its form reads null: nothing is written.
    edit->Edits[0].Get()->Free();
    EXPECT_FALSE(View.SetText("editTitle", "x", false, 0));
    EXPECT_EQ(View.GetText("editTitle"), "");
}

TEST_F(EditorAccessorsTest, FocusOnlyWhenShownAndVisible)
{
    TNViewItem* first = Field(cmpEdit, "editFirst", &FirstEdit);
    TNViewItem* second = Field(cmpEdit, "editSecond", &FirstEdit);
    second->Edits[0].Get()->SetTop(30);

    View.SetFocus("editFirst");
    EXPECT_TRUE(first->Edits[0].Get()->Focused());

    second->Shown = 0;
    View.SetFocus("editSecond");
    EXPECT_TRUE(first->Edits[0].Get()->Focused()) << "an item not shown takes no focus";

    second->Shown = 1;
    second->Edits[0].Get()->SetVisible(false);
    View.SetFocus("editSecond");
    EXPECT_TRUE(first->Edits[0].Get()->Focused()) << "a hidden editor takes no focus";

    second->Edits[0].Get()->SetVisible(true);
    View.SetFocus("editSecond");
    EXPECT_TRUE(second->Edits[0].Get()->Focused());
}

TEST_F(EditorAccessorsTest, ComboAndCheckBoxValues)
{
    TNViewItem* combo = Field(cmpComboBox, "comboKind", &FirstCombo);
    combo->Combos[0].Get()->SetItems({"úkol", "poznámka"});
    EXPECT_EQ(View.GetComboValue("comboKind"), "");
    EXPECT_EQ(log_.CountContaining("[TNView::GetComboValue][ERROR] No entry selected; name = comboKind"), 1);
    combo->Combos[0].Get()->SetItemIndex(1);
    EXPECT_EQ(View.GetComboValue("comboKind"), "poznámka");
    EXPECT_EQ(View.GetComboValue("missing"), "");

    TNViewItem* box = Field(cmpCheckbox, "checkDone", &CheckBoxSlot);
    EXPECT_FALSE(View.GetCheckboxValue("checkDone"));
    EXPECT_TRUE(View.SetCheckboxValue("checkDone", true));
    EXPECT_TRUE(box->CheckBox.Get()->Checked());
    EXPECT_TRUE(View.GetCheckboxValue("checkDone"));
    EXPECT_FALSE(View.SetCheckboxValue("comboKind", true));
    EXPECT_FALSE(View.GetCheckboxValue("comboKind"));

    EXPECT_TRUE(View.SetHint("checkDone", true, "Hotovo"));
    EXPECT_TRUE(box->CheckBox.Get()->ShowHint());
    EXPECT_EQ(box->CheckBox.Get()->Hint(), "Hotovo");
    EXPECT_FALSE(View.SetHint("comboKind", true, "x"));
}

// The editors an item answers for, and the two it does not.
TEST_F(EditorAccessorsTest, EditorsFindTheirOwningItem)
{
    TNViewItem* item = MakeItem(cmpAlert, "alertField");
    plat::TForm* form = MainForm();
    item->Memo = new plat::TRichEdit(form);
    for (auto& edit : item->Edits)
        edit = new plat::TFlatEdit(form);
    item->ListBox = new plat::TListBox(form);
    for (auto& combo : item->Combos)
        combo = new plat::TFlatComboBox(form);
    for (auto& combo : item->AlertCombos)
        combo = new plat::TFlatComboBox(form);
    item->SpeedButton = new plat::TSpeedButton(form);
    for (auto& button : item->DateButtons)
        button = new plat::TFlatButton(form);
    for (auto& button : item->Buttons)
        button = new plat::TFlatButton(form);
    item->CheckBox = new plat::TCheckBox(form);
    item->DatePicker = new plat::TDateTimePicker(form);
    item->RepaintTimer = new plat::TTimer(form);

    struct Case {
        const char* role;
        plat::TComponent* control;
        bool owned;
    } cases[] = {
        {"memo", item->Memo.Get(), true},
        {"edit 1", item->Edits[0].Get(), true},
        {"edit 3", item->Edits[2].Get(), true},
        {"list box", item->ListBox.Get(), true},
        {"combo 1", item->Combos[0].Get(), true},
        {"combo 2", item->Combos[1].Get(), true},
        {"combo 3", item->Combos[2].Get(), false},
        {"alert combo 3", item->AlertCombos[2].Get(), true},
        {"speed button", item->SpeedButton.Get(), true},
        {"date button 5", item->DateButtons[4].Get(), true},
        {"button 8", item->Buttons[7].Get(), true},
        {"check box", item->CheckBox.Get(), true},
        {"date picker", item->DatePicker.Get(), true},
        {"repaint timer", item->RepaintTimer.Get(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(View.GetComponentByHandle(c.control), c.owned ? item : nullptr) << c.role;

    plat::TWeakRef<plat::TTimer> timer = item->RepaintTimer;
    plat::TWeakRef<plat::TRichEdit> memo = item->Memo;
    EXPECT_TRUE(View.DeleteComponent("alertField", true));
    EXPECT_EQ(timer.Get(), nullptr);
    EXPECT_EQ(memo.Get(), nullptr);
}
