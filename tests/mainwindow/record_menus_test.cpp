// The record card's menu, the importance menu, deleting and the web address.

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/app_info.h"
#include "foundation/pim_array.h"
#include "foundation/record_file.h"
#include "mainwindow/record_rules.h"
#include "model/all_day.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menu.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace shell_test {
namespace {

class RecordMenus : public PagesTest {
protected:
    // Opens the menu as a card would and chooses the item ("" none); the
    // choice runs after the menu closed.
    void Choose(plat::TPopupMenu* menu, uint32_t recordId, int32_t account, const char* item)
    {
        menu->SetTag(recordId);
        Main().popupPimSrvPos = account;
        menus_->choose = item;
        menu->Popup(10, 10);
        plat::testing::Flush();
    }
    plat::TMenuItem* Item(plat::TPopupMenu* menu, const char* name) { return menu->FindByName(name); }
    bool Contains(const std::vector<int16_t>& tags, int16_t tag)
    {
        return std::find(tags.begin(), tags.end(), tag) != tags.end();
    }
};

TEST_F(RecordMenus, ImportanceMarkFollowsTheRecord)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    const struct {
        int32_t importance;
        const char* checked;
    } cases[] = {{99, "pmnuImportance99"},
                 {10, "pmnuImportance10"},
                 {0, "pmnuImportance0"},
                 {-10, "pmnuImportanceMinus10"},
                 {5, "pmnuImportance0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.importance);
        RecordAt(Account(0), pos).Importance = c.importance;
        Choose(Main().popupRecordImportance, 7001, 0, "");
        for (const char* name : {"pmnuImportance99", "pmnuImportance10", "pmnuImportance0", "pmnuImportanceMinus10"})
            EXPECT_EQ(Item(Main().popupRecordImportance, name)->Checked(), std::string(name) == c.checked) << name;
    }
}

TEST_F(RecordMenus, EachImportanceItemCommitsAndSyncs)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    const struct {
        const char* item;
        int32_t value;
    } cases[] = {
        {"pmnuImportance99", 99}, {"pmnuImportance10", 10}, {"pmnuImportance0", 0}, {"pmnuImportanceMinus10", -10}};
    RecordAt(Account(0), pos).Importance = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        const int syncs = LogCount("[FastSync] caller = SetRecordImportance");
        RecordAt(Account(0), pos).PleaseSync = false;
        Choose(Main().popupRecordImportance, 7001, 0, c.item);

        EXPECT_EQ(RecordAt(Account(0), pos).Importance, c.value);
        EXPECT_TRUE(RecordAt(Account(0), pos).PleaseSync);
        EXPECT_EQ(LogCount("[FastSync] caller = SetRecordImportance"), syncs + 1);
        const std::vector<int16_t> tags = TakeUiTags();
        ASSERT_FALSE(tags.empty());
        EXPECT_EQ(tags.back(), __uiUpdateShownData);
        EXPECT_EQ(g.UiUpdateIsRunning, 0);
    }
}

TEST_F(RecordMenus, StatusItemsSetFinishedAndItsTime)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    TNPIMRecord& record = RecordAt(Account(0), pos);

    Choose(Main().popupRecord, 7001, 0, "pmnuRecordStatusFinished");
    EXPECT_EQ(record.Finished, 1);
    EXPECT_EQ(record.FinishedTime, static_cast<uint32_t>(kNow));
    EXPECT_TRUE(Item(Main().popupRecord, "pmnuRecordStatusFinished")->Checked());
    EXPECT_EQ(LogCount("[FastSync] caller = pmnuRecordStatusFinishedClick"), 1);
    EXPECT_TRUE(Contains(TakeUiTags(), __uiUpdateShownData));

    Choose(Main().popupRecord, 7001, 0, "pmnuRecordStatusNone");
    EXPECT_EQ(record.Finished, 0);
    EXPECT_EQ(record.FinishedTime, 0u);
    EXPECT_TRUE(Item(Main().popupRecord, "pmnuRecordStatusNone")->Checked());
    EXPECT_EQ(LogCount("[FastSync] caller = pmnuRecordStatusNoneClick"), 1);
}

TEST_F(RecordMenus, StatusChangesTheRecordOfThePopupAccountOnly)
{
    const int32_t first = AddRecord(Account(0), {.ID = 7001});
    const int32_t second = AddRecord(SecondAccount(), {.ID = 7001});

    Choose(Main().popupRecord, 7001, 1, "pmnuRecordStatusFinished");

    EXPECT_EQ(RecordAt(Account(1), second).Finished, 1);
    EXPECT_TRUE(RecordAt(Account(1), second).PleaseSync);
    EXPECT_EQ(RecordAt(Account(0), first).Finished, 0);
    EXPECT_FALSE(RecordAt(Account(0), first).PleaseSync);
}

TEST_F(RecordMenus, PopupShowsWhatTheRecordAllows)
{
    AddOrganizer(Account(0), 600, 50, 10);
    struct Case {
        const char* name;
        int32_t type;
        int32_t finished;
        uint32_t organizer;
        uint32_t parent;
        bool noneChecked, finishedChecked, statusEnabled, statusShown, subShown, subEnabled, deleteEnabled;
    };
    const Case cases[] = {
        {"open task", rtTask, 0, kOrganizerID, 0, true, false, true, true, true, true, true},
        {"finished task", rtTask, 1, kOrganizerID, 0, false, true, true, true, true, true, true},
        {"unknown status", rtTask, 2, kOrganizerID, 0, false, false, false, true, true, true, true},
        {"rights 60", rtTask, 0, 600, 0, true, false, true, true, true, true, false},
        {"note", rtNote, 0, kOrganizerID, 0, true, false, true, false, false, false, true},
        {"subtask", rtTask, 0, kOrganizerID, 7000, true, false, true, true, true, false, true},
    };
    uint32_t id = 7100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t pos = AddRecord(Account(0), {.ID = ++id, .Type = c.type, .OrganizerID = c.organizer});
        RecordAt(Account(0), pos).Finished = c.finished;
        RecordAt(Account(0), pos).ParentID = c.parent;
        Choose(Main().popupRecord, id, 0, "");
        plat::TPopupMenu* menu = Main().popupRecord;
        EXPECT_EQ(Item(menu, "pmnuRecordStatusNone")->Checked(), c.noneChecked);
        EXPECT_EQ(Item(menu, "pmnuRecordStatusFinished")->Checked(), c.finishedChecked);
        EXPECT_EQ(Item(menu, "pmnuRecordStatusNone")->Enabled(), c.statusEnabled);
        EXPECT_EQ(Item(menu, "pmnuRecordStatusFinished")->Enabled(), c.statusEnabled);
        EXPECT_EQ(Item(menu, "pmnuRecordStatus")->Visible(), c.statusShown);
        EXPECT_EQ(Item(menu, "pmnuRecordStatusSeparator")->Visible(), c.statusShown);
        EXPECT_EQ(Item(menu, "pmnuRecordAddSubrecord")->Visible(), c.subShown);
        EXPECT_EQ(Item(menu, "pmnuRecordAddSubrecord")->Enabled(), c.subEnabled);
        EXPECT_EQ(Item(menu, "pmnuRecordDelete")->Enabled(), c.deleteEnabled);
    }
    EXPECT_EQ(LogCount("[TfrmMainDLMR1::popupRecordPopup][ERROR] Unhandled value for status! record->Finished = 2"), 1);
}

TEST_F(RecordMenus, OpenOnWebBuildsTheRecordsAddress)
{
    std::snprintf(App.WebProtocol[0], sizeof App.WebProtocol[0], "https");
    std::snprintf(App.WebDomain[0], sizeof App.WebDomain[0], "web.example");
    const struct {
        const char* webName;
        const char* address;
    } cases[] = {
        {"muj-kalendar", "https://web.example/kalendare/muj-kalendar/7001/"},
        {"", "https://web.example/kalendare/500/7001/"},
        {"a b", "https://web.example/kalendare/a%20b/7001/"},
    };
    AddRecord(Account(0), {.ID = 7001});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        Account(0).Organizers.GetOrganizerByID(kOrganizerID)->Name.Set(c.webName);
        shell_.Clear();
        Choose(Main().popupRecord, 7001, 0, "pmnuRecordOpenOnWeb");
        EXPECT_EQ(shell_.Opened(), std::vector<std::string>{c.address});
    }
}

TEST_F(RecordMenus, WebSegmentKeepsOnlyUnreservedBytes)
{
    EXPECT_EQ(PercentEncodePathSegment("Ab-9._~"), "Ab-9._~");
    EXPECT_EQ(PercentEncodePathSegment("a/b?c#d"), "a%2Fb%3Fc%23d");
    // "č" in CP1250.
    EXPECT_EQ(PercentEncodePathSegment("\xE8"), "%E8");
}

class RecordDelete : public RecordMenus {
protected:
    bool Delete(uint32_t id, bool ask = true) { return Main().DeleteRecordById(id, ask, &Main(), -1); }
};

TEST_F(RecordDelete, UnknownRecordIsReportedNotFound)
{
    EXPECT_FALSE(Delete(7999));
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "Záznam nenalezen");
    EXPECT_EQ(boxes_->boxes[0].flags & 0xF0, plat::MB_ICONERROR);
}

TEST_F(RecordDelete, RecurringRecordOpensItsDialogWithoutAsking)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    RecordAt(Account(0), pos).RecurrenceFrequency = rfWeekly;

    EXPECT_TRUE(Delete(7001));
    EXPECT_TRUE(boxes_->boxes.empty());
    ASSERT_EQ(bridge_.openings.size(), 1u);
    EXPECT_EQ(bridge_.openings[0].Key, "DeleteRecurringRecord");
    EXPECT_EQ(bridge_.openings[0].Params[0], 7001);
    EXPECT_EQ(RecordAt(Account(0), pos).Deleted, 0u);
}

TEST_F(RecordDelete, NoKeepsTheRecordWithoutFurtherBox)
{
    const int32_t pos = AddRecord(Account(0), {.ID = 7001});
    boxes_->answers.push_back(plat::IDNO);

    EXPECT_FALSE(Delete(7001));
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Opravdu si přejete smazat tento záznam?");
    EXPECT_EQ(RecordAt(Account(0), pos).Deleted, 0u);
    EXPECT_TRUE(QueuedItems().empty());
}

TEST_F(RecordDelete, YesDeletesTheRecordAndItsYearlyCopies)
{
    AddRecord(Account(0), {.ID = 7001});
    const int32_t pos = AddRecord(Account(0), {.ID = 7100, .Type = rtBirthday, .Year = 1990, .Month = 5, .Day = 20});
    boxes_->answers.push_back(plat::IDYES);

    EXPECT_TRUE(Delete(7100));

    const TNPIMRecord& record = RecordAt(Account(0), pos);
    EXPECT_EQ(record.Deleted, static_cast<uint32_t>(kNow));
    EXPECT_EQ(record.Changed, record.Deleted);
    EXPECT_TRUE(record.PleaseSync);
    EXPECT_EQ(g.pleaseSavePIM, 1);
    for (int year : {1990, 2025, 2100}) {
        const TNPIMAllDay* day = Account(0).GetAllDaysItem(year, 5, 20);
        EXPECT_TRUE(day == nullptr || day->GetRecordPos(7100) < 0) << year;
    }
    int copies = 0;
    Account(0).Records->ForEachPosOfID(7100, [&](int32_t p) {
        const TNPIMRecord& copy = RecordAt(Account(0), p);
        if (copy.Virtual) {
            ++copies;
            EXPECT_NE(copy.Deleted, 0u);
        }
    });
    EXPECT_EQ(copies, 110);
    const std::vector<QueueEntry> queued = QueuedItems();
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].ID, 7100u);
    EXPECT_EQ(queued[0].Position, pos);
    EXPECT_EQ(g.UiUpdateIsRunning, 0);
}

TEST_F(RecordDelete, RecurringDeleteStartsItsJobOnce)
{
    const int32_t recurring = AddRecord(Account(0), {.ID = 7001});
    RecordAt(Account(0), recurring).RecurrenceMasterID = 6000;
    AddRecord(Account(0), {.ID = 7002});

    EXPECT_TRUE(Main().DeleteRecurringRecordById(7001, 2));
    ASSERT_EQ(jobs_.size(), 1u);
    EXPECT_EQ(jobs_[0].Tag, 5);
    EXPECT_EQ(jobs_[0].RecordID, 7001u);
    EXPECT_EQ(jobs_[0].Value, 2);
    EXPECT_EQ(jobs_[0].pim_srv_pos, 0);

    EXPECT_TRUE(Main().DeleteRecurringRecordById(7002, 2));
    EXPECT_EQ(jobs_.size(), 1u);
    EXPECT_TRUE(boxes_->boxes.empty());

    EXPECT_FALSE(Main().DeleteRecurringRecordById(7999, 2));
    EXPECT_EQ(jobs_.size(), 1u);
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "Záznam nenalezen");
}

TEST_F(RecordDelete, MenuItemDeletesThenSyncsAndRefreshes)
{
    AddRecord(Account(0), {.ID = 7001});
    boxes_->answers.push_back(plat::IDYES);

    Choose(Main().popupRecord, 7001, 0, "pmnuRecordDelete");

    EXPECT_EQ(LogCount("[FastSync] caller = pmnuRecordDeleteClick"), 1);
    EXPECT_EQ(TakeUiTags(), (std::vector<int16_t>{__uiUpdateShownData, __uiUpdateShownData_NoSync}));
}

} // namespace
} // namespace shell_test
