#include "model/contacts.h"
#include "model/pim.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/view/field_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using view_test::FieldTest;
namespace testing_gui = plat::testing;

namespace {

using DialogPage = FieldTest;

TEST_F(DialogPage, SampleRecordPageMatchesItsGolden)
{
    model_test::DataSet data;
    TNPIMContacts& contacts = data.Pim().Contacts;
    contacts.ResizeSlots(2);
    contacts.Items[0]->ID = 31;
    contacts.Items[0]->DisplayAs.Set("Jana");
    contacts.Items[1]->ID = 32;
    contacts.Items[1]->DisplayAs.Set("Petr");
    dialog_.ContactIds = {31, 32};
    dialog_.ContactSelected = {1, 1};
    DialogHost()->SetBounds(0, 0, 560, 420);
    DialogForm()->SetBounds(0, 0, 560, 420);
    DialogForm()->Show();

    struct FieldSpec {
        int8_t kind;
        const char* name;
        const char* caption;
        int height;
    } fields[] = {
        {cmpEdit, "editTitle", "Název", 0},
        {cmpMemo, "memoNote", "Poznámka", 44},
        {cmpCheckbox, "chkAllDay", "Celý den", 0},
        {cmpLabel, "labelAuthor", "Autor", 0},
        {cmpPriority, "rowPriority", "Důležitost", 0},
        {cmpVisibility, "rowVisibility", "Viditelnost", 0},
        {cmpComboBox2, "comboTwo", "Kalendář", 0},
        {cmpListBox, "listTags", "Štítky", 60},
        {cmpDate, "dateStart", "Začátek", 0},
        {cmpAlert, "alertMain", "Upozornění", 0},
        {cmpNumberEdit, "numberDays", "Opakovat", 0},
        {cmpShareWith, "shareWith", "Sdílet", 0},
    };
    std::vector<TNViewItem*> items;
    for (const FieldSpec& f : fields)
        items.push_back(DialogField(f.kind, f.name, f.caption));

    View.SetText("editTitle", "Porada týmu", false, 0);
    View.SetText("memoNote", "Připravit podklady", false, 0);
    items[2]->Label(4)->SetCaption("Událost trvá celý den");
    View.SetText("labelAuthor", "Jana Nováková", false, 0);
    TNView::UpdatePriorityButtons(View, items[4], 10);
    for (plat::TFlatComboBox* combo : {items[6]->Combos[0].Get(), items[6]->Combos[1].Get()}) {
        combo->AddItem("Osobní");
        combo->SetItemIndex(0);
    }
    items[7]->ListBox->AddItem("Práce");
    items[7]->ListBox->AddItem("Rodina");
    items[7]->ListBox->SetItemIndex(0);
    TNViewItem* date = items[8];
    date->SetsDate = date->DateMayBeDeleted = date->TimeMayBeDeleted = 1;
    date->HasDate = date->HasTime = 1;
    date->DateValue.SetNow();
    items[9]->Combos[1]->SetItemIndex(1);
    TNView::UpdateAlertEditor(View, items[9]);
    View.SetText("numberDays", "7", false, 0);
    items[10]->Label(4)->SetCaption("dní");
    TNView::ResetSharingItems(View, items[11]);

    for (int pass = 0; pass < 2; ++pass) {
        int top = 4;
        for (size_t i = 0; i < items.size(); ++i) {
            View.ResizeComponent(items[i], 4, top, 550, fields[i].height, true);
            top += items[i]->Panel->Height() + 4;
        }
    }
    View.UpdateComponent("dateStart");

    // One caption column: every right-aligned caption ends at the same x.
    const int captionEnd = items[0]->CaptionLabel->Left() + items[0]->CaptionLabel->Width();
    for (TNViewItem* item : items)
        EXPECT_EQ(item->CaptionLabel->Left() + item->CaptionLabel->Width(), captionEnd) << item->Name.Text;

    EXPECT_TRUE(testing_gui::MatchesGolden(*DialogHost(), DALMORA_TEST_DATA_DIR "dialog_page.png",
                                           DALMORA_BINARY_DIR "view-test-output"));
}

} // namespace
