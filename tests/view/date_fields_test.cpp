#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/view/field_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using view_test::FieldTest;
using view_test::RecordChange;
namespace testing_gui = plat::testing;

namespace {

class DateFields : public FieldTest {
protected:
    // A date setter showing today at hour:minute, laid out, with its
    // changes recorded from here on.
    TNViewItem* DateAndTime(int hour, int minute)
    {
        TNViewItem* item = Field(cmpDate, "dateStart", "Začátek");
        item->SetsDate = 1;
        item->HasDate = 1;
        item->HasTime = 1;
        item->DateValue.SetNow();
        item->DateValue.NastavCas(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute));
        item->DateValue.GetTimestamp();
        item->OnChange = &RecordChange;
        View.ResizeComponent(item, 0, 0, 600, 0, true);
        View.UpdateComponent("dateStart");
        changed_.clear();
        return item;
    }
};

// The date setter's controls that are visible, by name, with their left
// edges relative to where the field's controls start.
std::map<std::string, int> VisibleParts(TNViewItem* item, int x)
{
    const std::pair<const char*, plat::TControl*> parts[] = {
        {"set", item->DateButtons[0].Get()},    {"picker", item->DatePicker.Get()},
        {"add", item->DateButtons[1].Get()},    {"time", item->Label(5)},
        {"hour", item->DateButtons[2].Get()},   {"colon", item->Label(6)},
        {"minute", item->DateButtons[3].Get()}, {"delete", item->DateButtons[4].Get()},
    };
    std::map<std::string, int> visible;
    for (const auto& [name, control] : parts) {
        if (control != nullptr && control->Visible())
            visible[name] = control->Left() - x;
    }
    return visible;
}

TEST_F(DateFields, SetterShowsWhatItsFlagsAndClicksAllow)
{
    struct Flags {
        uint8_t setsDate, dateDeletable, timeDeletable, timeAddable;
    };
    struct Case {
        const char* name;
        Flags flags;
        std::vector<int> clicks; // date buttons: 0 set, 1 add time, 4 delete
        std::map<std::string, int> visible;
    } cases[] = {
        {"new", {1, 1, 1, 1}, {}, {{"set", 0}}},
        {"set means date", {1, 1, 1, 1}, {0}, {{"picker", 0}, {"add", 174}, {"delete", 248}}},
        {"set means date, nothing deletable", {1, 0, 0, 1}, {0}, {{"picker", 0}}},
        {"set means time",
         {0, 0, 1, 0},
         {0},
         {{"time", 0}, {"hour", 32}, {"colon", 62}, {"minute", 71}, {"delete", 103}}},
        {"date and time",
         {1, 1, 1, 1},
         {0, 1},
         {{"picker", 0}, {"time", 174}, {"hour", 206}, {"colon", 236}, {"minute", 245}, {"delete", 277}}},
        {"delete removes the time first", {1, 1, 1, 1}, {0, 1, 4}, {{"picker", 0}, {"add", 174}, {"delete", 248}}},
        {"then the date", {1, 1, 1, 1}, {0, 1, 4, 4}, {{"set", 0}}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "dateStart" + std::to_string(n++);
        TNViewItem* item = Field(cmpDate, name.c_str(), "Začátek");
        item->SetsDate = c.flags.setsDate;
        item->DateMayBeDeleted = c.flags.dateDeletable;
        item->TimeMayBeDeleted = c.flags.timeDeletable;
        item->TimeMayBeAdded = c.flags.timeAddable;
        View.ResizeComponent(item, 0, 30 * n, 600, 0, true);
        ASSERT_TRUE(View.UpdateComponent(name.c_str()));
        for (int button : c.clicks)
            testing_gui::MouseClick(*item->DateButtons[button].Get(), 5, 5);
        const int x = View.PlaceCaption(item);
        EXPECT_EQ(VisibleParts(item, x), c.visible) << c.name;
        if (c.clicks.empty()) {
            EXPECT_EQ(item->DateButtons[0]->BoundsRect(), plat::Bounds(x, 0, 170, 25)) << c.name;
        }
    }
}

TEST_F(DateFields, TurningTheDateOnWithoutATimestampTakesNow)
{
    TNViewItem* item = Field(cmpDate, "dateDue", "Termín");
    item->SetsDate = 1;
    item->OnChange = &RecordChange;
    item->DateValue.Timestamp = 0;
    View.ResizeComponent(item, 0, 0, 600, 0, true);
    View.UpdateComponent("dateDue");
    changed_.clear();
    testing_gui::MouseClick(*item->DateButtons[0].Get(), 5, 5);

    TNTime now;
    now.SetNow();
    EXPECT_EQ(item->DateValue.Timestamp, now.Timestamp);
    EXPECT_EQ(item->DatePicker->ShownText(), " so 15. června 2024");
    EXPECT_EQ(item->DateButtons[2]->Caption(), "12");
    EXPECT_EQ(changed_.size(), 1u);
}

TEST_F(DateFields, TimePickerReceivesTheItemAndItsWriteShows)
{
    TNViewItem* item = DateAndTime(9, 5);
    EXPECT_EQ(item->DateButtons[2]->Caption(), "09");
    EXPECT_EQ(item->DateButtons[3]->Caption(), "05");

    testing_gui::MouseClick(*item->DateButtons[2].Get(), 5, 5);
    testing_gui::MouseClick(*item->DateButtons[3].Get(), 5, 5);
    ASSERT_EQ(dialog_.TimePickerCalls.size(), 2u);
    const view_test::TimePickerCall& hour = dialog_.TimePickerCalls[0];
    EXPECT_EQ(hour.Type, 1);
    EXPECT_EQ(hour.Owner, MainForm());
    EXPECT_EQ(hour.Item, item);
    EXPECT_EQ(hour.ComponentId, item->ComponentId);
    EXPECT_EQ(hour.Button, item->DateButtons[2].Get());
    EXPECT_EQ(hour.Value, 9);
    EXPECT_EQ(dialog_.TimePickerCalls[1].Type, 2);
    EXPECT_EQ(dialog_.TimePickerCalls[1].Value, 5);
    EXPECT_TRUE(changed_.empty());

    // What the picker does with the hour chosen.
    TNViewItem* target = View.GetComponentById(hour.ComponentId);
    ASSERT_EQ(target, item);
    target->DateValue.Hodina = 14;
    TNView::UpdateDateTimeSetter(View, target);
    EXPECT_EQ(item->DateButtons[2]->Caption(), "14");
    EXPECT_EQ(changed_.size(), 1u);
}

TEST_F(DateFields, ADatePickedKeepsTheTimeAndMovesTheTimestamp)
{
    TNViewItem* item = DateAndTime(9, 30);
    const int64_t before = item->DateValue.Timestamp;

    plat::TDateTimePicker* picker = item->DatePicker.Get();
    testing_gui::MouseClick(*picker, 35, 10);
    testing_gui::TapKey(*picker, 0x26);
    int year = 0, month = 0, day = 0;
    picker->Date(year, month, day);
    ASSERT_NE(day, 15) << "the key did not change the date";

    EXPECT_EQ(changed_.size(), 1u);
    EXPECT_EQ(item->DateValue.Den, day);
    EXPECT_EQ(item->DateValue.Mesic, month);
    EXPECT_EQ(item->DateValue.Rok, year);
    EXPECT_EQ(item->DateValue.Hodina, 9);
    EXPECT_EQ(item->DateValue.Minuta, 30);
    TNTime expected;
    expected.SetDate(day, month, year);
    expected.NastavCas(9, 30);
    EXPECT_EQ(item->DateValue.Timestamp, expected.GetTimestamp());
    EXPECT_NE(item->DateValue.Timestamp, before);
}

TEST_F(DateFields, AlertEditorStoresWhatItsCombosShow)
{
    TNViewItem* item = Field(cmpAlert, "alertMain", "Upozornění");
    View.ResizeComponent(item, 0, 0, 700, 0, true);
    plat::TFlatComboBox* delivery = item->Combos[1].Get();
    plat::TFlatComboBox* days = item->AlertCombos[0].Get();
    plat::TFlatComboBox* hours = item->AlertCombos[1].Get();
    plat::TFlatComboBox* minutes = item->AlertCombos[2].Get();
    ASSERT_NE(delivery, nullptr);
    ASSERT_NE(minutes, nullptr);
    EXPECT_EQ(log_.CountContaining("EXCEPTION"), 0);
    EXPECT_EQ(delivery->Text(), "Žádné upozornění");
    EXPECT_EQ(item->AlertDelivery, 0);
    EXPECT_EQ(minutes->ItemIndex(), 10);
    for (plat::TFlatComboBox* combo : {days, hours, minutes}) {
        EXPECT_FALSE(combo->Visible());
        EXPECT_FALSE(combo->Enabled());
    }
    EXPECT_FALSE(item->Label(9)->Visible());

    days->SetItemIndex(2);
    hours->SetItemIndex(3);
    delivery->SetItemIndex(2);
    TNView::UpdateAlertEditor(View, item);
    EXPECT_EQ(item->AlertDelivery, 2);
    EXPECT_EQ(item->AlertDays, 2);
    EXPECT_EQ(item->AlertHours, 3);
    EXPECT_EQ(item->AlertMinutes, 10);
    for (plat::TFlatComboBox* combo : {days, hours, minutes}) {
        EXPECT_TRUE(combo->Visible());
        EXPECT_EQ(combo->Width(), static_cast<int>(combo->Text().size()) * 7 + 25);
    }
    EXPECT_EQ(hours->Left(), days->Left() + days->Width());
    EXPECT_EQ(item->Label(9)->Left(), minutes->Left() + minutes->Width() + 4);
    EXPECT_EQ(delivery->Left(), item->Label(9)->Left() + item->Label(9)->Width());
    EXPECT_EQ(delivery->Width(), static_cast<int>(std::string("E-mailem").size()) * 7 + 25);

    delivery->DropDown();
    EXPECT_EQ(delivery->Width(), item->FramePanel2->Width() - delivery->Left());
    delivery->CloseUp();

    delivery->SetItemIndex(0);
    TNView::UpdateAlertEditor(View, item);
    EXPECT_EQ(item->AlertDelivery, 0);
    EXPECT_EQ(item->AlertDays, 2);
    EXPECT_EQ(item->AlertHours, 3);
    EXPECT_EQ(item->AlertMinutes, 10);
    EXPECT_FALSE(days->Visible());
}

TEST_F(DateFields, AlertUnitsFollowCzechNumbers)
{
    TNViewItem* item = Field(cmpAlert, "alertUnits", "");
    struct Case {
        int combo;
        int n;
        const char* text;
    } cases[] = {
        {0, 0, "0 dní"},   {0, 1, "1 den"},    {0, 2, "2 dny"},    {0, 4, "4 dny"},
        {0, 5, "5 dní"},   {0, 62, "62 dní"},  {1, 1, "1 hodinu"}, {1, 3, "3 hodiny"},
        {1, 5, "5 hodin"}, {2, 1, "1 minutu"}, {2, 2, "2 minuty"}, {2, 10, "10 minut"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(item->AlertCombos[c.combo]->Items().at(static_cast<size_t>(c.n)), c.text);
    EXPECT_EQ(item->AlertCombos[0]->Items().size(), 63u);
    EXPECT_EQ(item->AlertCombos[1]->Items().size(), 24u);
    EXPECT_EQ(item->AlertCombos[2]->Items().size(), 60u);
}

} // namespace
