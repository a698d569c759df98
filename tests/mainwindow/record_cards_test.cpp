// Clicks on the cards of a filled day box, through the layer's mouse path.

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/pim_array.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "view/image_table.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <string>

namespace shell_test {
namespace {

class RecordCards : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        for (int32_t rowHeight : {15, 20, 23}) {
            const std::string name = "bgCalendarOneDay" + std::to_string(4 * rowHeight);
            ImageTable.CreateBlankImage(name.c_str(), 800, 24 * 4 * rowHeight, plat::clWhite);
        }
        // Shown in the day boxes.
        TNPIMOrganizer& organizer = *Account(0).Organizers.GetOrganizerByID(kOrganizerID);
        organizer.Subscribe = 1;
        organizer.Selected = true;
        scroll_ =
            View.CreateComponent(cmpScrollbox, "scrollPagesTest", &Main(), &Main(), 0, "", 1, -1, nullptr, nullptr, 3);
        ASSERT_NE(scroll_, nullptr);
        // On top of the window, so the cards of the first hours take the clicks.
        View.ResizeScrollbox(scroll_, 0, 0, 600, 500, true, 1, 0, "test");
        scroll_->Panel.Get()->BringToFront();
        daybox_ = View.CreateComponent(cmpDaybox, "scrollPagesTest_daybox", &Main(),
                                       scroll_->Inners[0]->ContentPanel.Get(), 0, "", 1, -1, nullptr, scroll_, 3);
        ASSERT_NE(daybox_, nullptr);
        scroll_->DayboxItem = daybox_;
        daybox_->daybox_mode = 14;
        daybox_->Panel.Get()->SetBounds(0, 0, 600, 500);
        daybox_->Times[0].SetDateTime(11, 3, 0, 0, 0, 2025);
        daybox_->Times[1].Copy(&daybox_->Times[0]);
    }

    void Fill() { View.UpdateDaybox(daybox_, scroll_, 10); }
    TNViewItem* Card(uint32_t id)
    {
        const std::string name = "scrollPagesTest_daybox_recordCmp_0of1_" + std::to_string(id);
        return View.GetComponent(name.c_str());
    }
    // A card of that kind for the record, in the filled day box.
    TNViewItem* CardOfKind(uint32_t id, int32_t displayType)
    {
        TNViewItem* card = Card(id);
        EXPECT_NE(card, nullptr) << id;
        if (card != nullptr)
            card->DisplayType = displayType;
        return card;
    }
    void Click(uint32_t id, plat::TMouseButton button = plat::TMouseButton::mbLeft)
    {
        plat::testing::MouseClick(*Card(id)->CaptionLabel.Get(), 4, 4, button);
        plat::testing::Flush();
    }

    TNViewItem* scroll_ = nullptr;
    TNViewItem* daybox_ = nullptr;
};

TEST_F(RecordCards, ClicksSelectATaskThenOpenItsPanelOrItsEditor)
{
    AddRecord(Account(0), {.ID = 7001, .Day = 11, .Hour = 0});
    AddRecord(Account(0), {.ID = 7002, .Day = 11, .Hour = 2});
    Fill();
    const uint32_t first = CardOfKind(7001, 1)->ComponentId;
    const uint32_t second = CardOfKind(7002, 1)->ComponentId;

    Click(7001);
    EXPECT_EQ(Main().selectedTaskComponentId, first);
    EXPECT_EQ(Main().selectedTaskRecordId, 7001u);
    EXPECT_EQ(Card(7001)->Selected, 1);
    EXPECT_EQ(Watched().Count("ResizeTasksComponents"), 1);
    EXPECT_EQ(Watched().Count("OpenSideboard 7001 0 slide"), 0);

    Click(7001);
    EXPECT_EQ(Watched().Count("OpenSideboard 7001 0 slide"), 1);

    Click(7002);
    EXPECT_EQ(Main().selectedTaskComponentId, second);
    EXPECT_EQ(Card(7001)->Selected, 0);
    EXPECT_EQ(Card(7002)->Selected, 1);

    Watched().Calls.clear();
    plat::testing::MouseDoubleClick(*Card(7001)->CaptionLabel.Get(), 4, 4);
    ASSERT_EQ(bridge_.openings.size(), 1u);
    EXPECT_EQ(bridge_.openings[0].Key, "EditRecord");
    EXPECT_EQ(bridge_.openings[0].Params[0], 7001);
    EXPECT_EQ(Watched().Count("OpenSideboard 7001 0 slide"), 0);
}

TEST_F(RecordCards, OrganizerCardOpensItsOrganizer)
{
    AddRecord(Account(0), {.ID = 7001, .Day = 11, .Hour = 0});
    Fill();
    CardOfKind(7001, 222)->UIntValue = 601;

    Click(7001);

    EXPECT_EQ(Watched().Count("Pages_ShowCalendarOrPage 0 601"), 1);
    EXPECT_EQ(Watched().Count("OpenSideboard 7001 0 slide"), 0);
}

TEST_F(RecordCards, PlainCardOpensTheSidePanel)
{
    AddRecord(Account(0), {.ID = 7001, .Type = rtEvent, .Day = 11, .Hour = 0});
    Fill();

    Click(7001);

    EXPECT_EQ(Watched().Count("OpenSideboard 7001 0 slide"), 1);
}

TEST_F(RecordCards, RightReleaseOnANoteShowsItThenItsMenu)
{
    // Day boxes show no notes: the card's record becomes one after the fill.
    const int32_t pos = AddRecord(Account(0), {.ID = 7003, .Day = 11, .Hour = 0});
    Fill();
    CardOfKind(7003, 2);
    RecordAt(Account(0), pos).Type = rtNote;
    Main().popupPimSrvPos = 3;

    Click(7003, plat::TMouseButton::mbRight);

    EXPECT_EQ(Watched().Count("ShowSelectedNote 7003 0"), 1);
    ASSERT_EQ(menus_->popups.size(), 1u);
    EXPECT_EQ(menus_->popups[0].menu, Main().popupRecord);
    EXPECT_EQ(Main().popupRecord->Tag(), 7003);
    EXPECT_EQ(Main().popupPimSrvPos, 0);
    EXPECT_EQ(Main().shownNoteRecordId, 7003u);
}

} // namespace
} // namespace shell_test
