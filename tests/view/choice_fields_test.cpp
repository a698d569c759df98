#include "platform/gui/combo_box.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/view/field_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using view_test::FieldTest;
using view_test::RecordChange;
namespace testing_gui = plat::testing;

namespace {

using ChoiceFields = FieldTest;

// The position of the one button drawn as selected; -1 when none or more.
int SelectedButton(const TNViewItem* item)
{
    int selected = -1;
    for (int i = 0; i < 8; ++i) {
        const plat::TFlatButton* button = item->Buttons[i].Get();
        if (button == nullptr)
            continue;
        const bool looksSelected = button->Color() == 0x8C8278 && button->Font().Color() == plat::clWhite &&
                                   button->ColorBorder() == plat::clBlack;
        const bool looksOther =
            button->Color() == 0xF5F5F5 && button->Font().Color() == 0x969696 && button->ColorBorder() == 0xFAFAFA;
        if (looksSelected == looksOther || button->ColorFocused() != button->Color() ||
            button->ColorDown() != button->Color() || button->ColorHighLight() != button->Color())
            return -2;
        if (looksSelected)
            selected = selected == -1 ? i : -2;
    }
    return selected;
}

TEST_F(ChoiceFields, ButtonRowsSelectByValueAndKeepTheValueGiven)
{
    TNViewItem* priority = Field(cmpPriority, "rowPriority", "Důležitost");
    TNViewItem* visibility = Field(cmpVisibility, "rowVisibility", "Viditelnost");
    EXPECT_EQ(SelectedButton(priority), 2);
    EXPECT_EQ(SelectedButton(visibility), 0);

    struct Case {
        TNViewItem* item;
        void (*update)(TNView&, TNViewItem*, int32_t);
        int32_t value;
        int selected;
    } cases[] = {
        {priority, &TNView::UpdatePriorityButtons, 99, 0},    {priority, &TNView::UpdatePriorityButtons, 10, 1},
        {priority, &TNView::UpdatePriorityButtons, 0, 2},     {priority, &TNView::UpdatePriorityButtons, -10, 3},
        {priority, &TNView::UpdatePriorityButtons, 5, 2},     {visibility, &TNView::UpdateVisibilityButtons, 0, 0},
        {visibility, &TNView::UpdateVisibilityButtons, 3, 1}, {visibility, &TNView::UpdateVisibilityButtons, 1, 2},
        {visibility, &TNView::UpdateVisibilityButtons, 2, 0},
    };
    for (const Case& c : cases) {
        c.update(View, c.item, c.value);
        EXPECT_EQ(SelectedButton(c.item), c.selected) << c.value;
        EXPECT_EQ(c.item->Value, c.value);
    }
}

TEST_F(ChoiceFields, ButtonRowIsOneLineHighAndAClickSelects)
{
    TNViewItem* priority = Field(cmpPriority, "rowPriority", "Důležitost");
    View.ResizeComponent(priority, 0, 0, 500, 40, true);
    EXPECT_EQ(priority->Panel->Height(), 25);
    plat::TFlatButton* urgent = priority->Buttons[0].Get();
    EXPECT_EQ(urgent->Caption(), "Urgentní");
    EXPECT_EQ(urgent->Width(), 72);
    EXPECT_EQ(priority->Buttons[1]->Left() - urgent->Left(), 75);
    EXPECT_EQ(urgent->Left(), View.PlaceCaption(priority));

    testing_gui::MouseClick(*priority->Buttons[3].Get(), 5, 5);
    EXPECT_EQ(View.GetValue("rowPriority"), -10);
    EXPECT_EQ(SelectedButton(priority), 3);
}

TEST_F(ChoiceFields, CombosShareTheRowAfterTheCaption)
{
    struct Case {
        int8_t kind;
        std::vector<int> lefts;
        int width;
    } cases[] = {
        {cmpComboBox, {100}, 200},
        {cmpComboBox2, {100, 204}, 96},
        {cmpComboBox3, {100, 169, 238}, 61},
    };
    int n = 0;
    for (const Case& c : cases) {
        // A caption of 86 px puts the controls at 100.
        const std::string name = "combo" + std::to_string(n++);
        TNViewItem* item = Field(c.kind, name.c_str(), "Opakování", 3, 1, n);
        View.ResizeComponent(item, 0, 0, 300, 0, true);
        ASSERT_EQ(View.PlaceCaption(item), 84);
        item->CaptionWidths[n] = 86;
        View.ResizeComponent(item, 0, 0, 300, 0, true);
        for (size_t i = 0; i < c.lefts.size(); ++i) {
            plat::TFlatComboBox* combo = item->Combos[i].Get();
            EXPECT_EQ(combo->Left(), c.lefts[i]) << name << " " << i;
            EXPECT_EQ(combo->Width(), c.width) << name;
            EXPECT_EQ(combo->Height(), 23) << name;
            EXPECT_EQ(combo->ColorBorder(), 0xA9A9A9u);
            EXPECT_EQ(combo->Style(), plat::TComboBoxStyle::csDropDownList);
        }
        EXPECT_EQ(item->Panel->Height(), 23);
    }
}

TEST_F(ChoiceFields, SafeItemIndexPadsAShortListAndLocksIt)
{
    TNViewItem* item = Field(cmpComboBox, "comboOrganizer", "Kalendář");
    for (const char* entry : {"Osobní", "Práce", "Rodina"})
        item->AddComboItem(entry);
    EXPECT_TRUE(item->SetSafeItemIndex(1));
    EXPECT_EQ(View.GetComboValue("comboOrganizer"), "Práce");
    EXPECT_TRUE(item->Combos[0]->Enabled());

    EXPECT_FALSE(item->SetSafeItemIndex(5));
    EXPECT_EQ(item->Combos[0]->Items(), (std::vector<std::string>{"Osobní", "Práce", "Rodina", "3 [Aktualizujte DL]",
                                                                  "4 [Aktualizujte DL]", "5 [Aktualizujte DL]"}));
    EXPECT_EQ(item->Combos[0]->ItemIndex(), 5);
    EXPECT_FALSE(item->Combos[0]->Enabled());

    EXPECT_TRUE(item->ClearComboItems());
    EXPECT_TRUE(item->Combos[0]->Items().empty());
    EXPECT_EQ(item->Combos[0]->DropDownCount(), 35);
}

TEST_F(ChoiceFields, ListBoxDrawsItsRowsAndReportsAClick)
{
    TNViewItem* item = Field(cmpListBox, "listPeople", "");
    item->OnChange = &RecordChange;
    View.ResizeComponent(item, 0, 0, 200, 70, true);
    plat::TListBox* list = item->ListBox.Get();
    EXPECT_EQ(list->BoundsRect(), plat::Bounds(0, 0, 200, 70));
    testing_gui::Render(*list);
    EXPECT_EQ(testing_gui::Probe(*list, 10, 10), plat::clWhite);

    list->AddItem("Jana Nováková");
    list->AddItem("Petr Svoboda");
    list->SetItemIndex(1);
    ASSERT_TRUE(testing_gui::MatchesGolden(*list, DALMORA_TEST_DATA_DIR "list_box_rows.png",
                                           DALMORA_BINARY_DIR "view-test-output"));
    EXPECT_EQ(testing_gui::Probe(*list, 3, 30), 0x996600u);
    EXPECT_EQ(testing_gui::Probe(*list, 3, 3), plat::clWhite);

    testing_gui::MouseClick(*list, 20, 10);
    EXPECT_EQ(list->ItemIndex(), 0);
    EXPECT_EQ(changed_.size(), 1u);
}

} // namespace
