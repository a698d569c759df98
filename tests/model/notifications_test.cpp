#include "model/notifications.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Answer;
using people_test::Attach;

namespace {

// The fake clock's time.
constexpr int32_t kNow = 1718445600;

TEST(TNPIMNotification, VersionOneLoadsItsThirteenFields)
{
    people_test::Account account;
    account.set.StoreRaw(raftNotification, 9100, model_test::ReadFixture("notification_v1.bin"));
    account.Load();
    TNPIMNotifications& notes = account.Pim().Notifications;
    ASSERT_EQ(notes.Count, 1);
    const TNPIMNotification& n = *notes.Items[0];
    EXPECT_FALSE(n.PleaseSync);
    EXPECT_EQ(n.ID, 9100u);
    EXPECT_EQ(n.Created, 1700004000);
    EXPECT_EQ(n.Changed, 1700004100);
    EXPECT_EQ(n.Deleted, 0);
    EXPECT_EQ(n.Type, 200);
    EXPECT_EQ(n.RecipientUserID, 3001u);
    EXPECT_EQ(n.Text.View(), "Petr Šmíd sdílí kalendář \"Rodina\"");
    EXPECT_EQ(n.URL.View(), "https://example.org/?a=1&b=2");
    EXPECT_EQ(n.Read, 0);
    EXPECT_EQ(n.Emailed, 1);
    EXPECT_EQ(n.Settings_RecordID, 81234u);
    EXPECT_EQ(n.Settings_SenderUserID, 3002u);
    EXPECT_EQ(n.Settings_OrganizerID, 512u);
    EXPECT_EQ(n.Settings_Data.View(), "Oběd");
    EXPECT_TRUE(n.PleaseSave);

    EXPECT_GE(account.set.QueueItem(raftNotification, 9100), 0);
}

TEST(TNPIMNotifications, SettingsWithoutAKeepThatField)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMNotifications notes;
    Attach(notes, set);
    TNString answer = Answer("notification_answer.txt");
    ASSERT_EQ(notes.Add(&answer), 0);
    TNString update("<ID>9100</ID><Settings>{&quot;SenderUserID&quot;:&quot;4000&quot;}</Settings>");
    ASSERT_EQ(notes.Add(&update), 0);
    EXPECT_EQ(notes.Items[0]->Settings_SenderUserID, 4000u);
    EXPECT_EQ(notes.Items[0]->Settings_RecordID, 81234u);
    EXPECT_EQ(notes.Items[0]->Settings_OrganizerID, 512u);
}

// Three notifications: of record 81234 (type 200, organizer 512), of
// organizer 512 with type 5, and of organizer 600 with type 200.
void AddThree(TNPIMNotifications& notes)
{
    for (const char* text :
         {"<ID>1</ID><Type>200</Type><Settings>{\"OrganizerID\":\"512\",\"RecordID\":\"81234\"}</Settings>",
          "<ID>2</ID><Type>5</Type><Settings>{\"OrganizerID\":\"512\",\"RecordID\":\"1\"}</Settings>",
          "<ID>3</ID><Type>200</Type><Settings>{\"OrganizerID\":\"600\"}</Settings>"}) {
        TNString answer(text);
        ASSERT_GE(notes.Add(&answer), 0);
    }
}

TEST(TNPIMNotifications, MarkAsReadByObjectSurvivesARestart)
{
    people_test::Account account;
    model_test::LogCapture log;
    TNPIMNotifications& notes = account.Pim().Notifications;
    AddThree(notes);
    account.Restart();

    notes.MarkAsReadByObjectId(30, 512, 200);
    EXPECT_EQ(log.CountContaining("[TNPIMNotifications::MarkAsReadByObjectId][ERROR][DEFAULT] Unhandled "
                                  "object_type = 30"),
              1);
    notes.MarkAsReadByObjectId(TNPIMNotifications::otRecordId, 81234, 0);
    notes.MarkAsReadByObjectId(TNPIMNotifications::otOrganizerId, 512, 5);
    const int32_t expectedRead[] = {kNow, kNow, 0};
    for (uint32_t id = 1; id <= 3; ++id) {
        const TNPIMNotification& n = *notes.Items[id - 1];
        EXPECT_EQ(n.Read, expectedRead[id - 1]) << id;
        EXPECT_EQ(n.PleaseSync, expectedRead[id - 1] != 0) << id;
        EXPECT_EQ(account.set.QueueItem(raftNotification, id) >= 0, expectedRead[id - 1] != 0) << id;
    }

    account.Restart();
    TNPIMNotifications& loaded = account.Pim().Notifications;
    ASSERT_EQ(loaded.Count, 3);
    for (uint32_t id = 1; id <= 3; ++id) {
        ASSERT_NE(loaded.GetItemByID(id), nullptr);
        EXPECT_EQ(loaded.GetItemByID(id)->Read, expectedRead[id - 1]) << id;
    }
    TNString form;
    uint32_t first = loaded.GetDataToSync(form);
    EXPECT_TRUE(first == 1 || first == 2) << first;
}

TEST(TNPIMNotifications, DeleteItemWaitsForUpload)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMNotifications notes;
    Attach(notes, set);
    AddThree(notes);
    EXPECT_FALSE(notes.DeleteItem(77));
    for (int32_t i = 0; i < notes.Count; ++i) {
        EXPECT_EQ(notes.Items[i]->Deleted, 0);
        EXPECT_FALSE(notes.Items[i]->PleaseSync);
    }

    ASSERT_TRUE(notes.DeleteItem(2));
    const TNPIMNotification& n = *notes.Items[1];
    EXPECT_EQ(n.Deleted, kNow);
    EXPECT_TRUE(n.PleaseSave);
    EXPECT_TRUE(n.PleaseSync);
    EXPECT_GE(set.QueueItem(raftNotification, 2), 0);
    TNString form;
    EXPECT_EQ(notes.GetDataToSync(form), 2u);
    EXPECT_NE(std::string(form.View()).find("&Deleted=1718445600&"), std::string::npos);

    notes.DataUpSynced(2, 2, 1800000000);
    EXPECT_FALSE(n.PleaseSync);
    EXPECT_EQ(n.Changed, 1800000000);
}

TEST(TNPIMNotifications, PageWithNothingNewerKeepsTheDownloadPosition)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMNotifications notes;
    Attach(notes, set);
    notes.LastRequestTime = 1700004100;
    for (const char* text : {"<ID>1</ID><Changed>1700004000</Changed>", "<ID>2</ID><Changed>1700004100</Changed>"}) {
        TNString answer(text);
        ASSERT_GE(notes.Add(&answer), 0);
    }
    // The download's commit after a short page.
    const int32_t batch = 50;
    if (notes.Received > 0 && notes.Received < batch) {
        notes.LastRequestTime = notes.NewestChanged;
        notes.NewestChanged = 0;
        notes.Offset = 0;
    }
    notes.Received = 0;
    EXPECT_EQ(notes.LastRequestTime, 1700004100u);

    TNString newer("<ID>3</ID><Changed>1700009000</Changed>");
    notes.Add(&newer);
    TNString older("<ID>4</ID><Changed>1700001000</Changed>");
    notes.Add(&older);
    EXPECT_EQ(notes.NewestChanged, 1700009000u);
}

} // namespace
