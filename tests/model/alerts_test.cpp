#include "foundation/record_file_set.h"
#include "model/alerts.h"
#include "model/pim.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const char* const kSettings = "{\"Zvuk\":\"pípnutí\",\"Opakovat\":\"ne\"}";

// The alert of alert_v1.bin and alert_answer_1.txt.
void FillAlert(TNPIMAlert& a)
{
    a.PleaseSync = true;
    a.ID = 70001;
    a.Created = 1700000000;
    a.Changed = 1700000600;
    a.Deleted = 0;
    a.OrganizerID = 512;
    a.RecordID = 81234;
    a.UserID = 77;
    a.Type = 2;
    a.DaysBefore = 1;
    a.HoursBefore = 3;
    a.MinutesBefore = 45;
    a.AlertTimestamp = 1710050400;
    a.Settings.Set(kSettings);
}

std::string Stored(const TNPIMAlert& a)
{
    char text[512];
    std::snprintf(text, sizeof text, "%d %u %u %u %u %u %u %u %d %d %d %d %u [%s]", a.PleaseSync ? 1 : 0, a.ID,
                  a.Created, a.Changed, a.Deleted, a.OrganizerID, a.RecordID, a.UserID, a.Type, a.DaysBefore,
                  a.HoursBefore, a.MinutesBefore, a.AlertTimestamp, a.Settings.Text);
    return text;
}

TNString Fixture(const char* name)
{
    return TNString(model_test::ReadFixture(name));
}

TNRAFileToSave QueuedItem(model_test::DataSet& set, uint8_t type, uint32_t id)
{
    TNRAFileToSave item;
    int32_t tsp = set.QueueItem(type, id);
    EXPECT_GE(tsp, 0) << "queued " << id;
    raf.Items[static_cast<size_t>(set.Fid())]->get_toSave(tsp, item);
    return item;
}

TEST(TNPIMAlert, RoundTripKeepsCzechSettings)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMAlerts& alerts = set.Pim().Alerts;
    ASSERT_TRUE(alerts.Resize(1));
    FillAlert(*alerts.Items[0]);
    alerts.QueueForSave(0);
    std::string body = set.WriteQueued(*alerts.Items[0], raftAlert, 70001);
    EXPECT_EQ(body.size(), 42u + alerts.Items[0]->Settings.Length);
    EXPECT_EQ(body, model_test::ReadFixture("alert_v1.bin"));

    set.Reopen();
    TNPIMAlert loaded;
    ASSERT_TRUE(set.ReadStored(raftAlert, 70001, [&](plat::ByteReader& in) { return loaded.Load(in); }));
    EXPECT_EQ(Stored(loaded), Stored(*alerts.Items[0]));
}

TEST(TNPIMAlert, UnknownVersionOrShortBodyIsUnreadable)
{
    std::string v2 = model_test::ReadFixture("alert_v2.bin");
    plat::ByteReader in2(v2);
    TNPIMAlert other;
    EXPECT_FALSE(other.Load(in2));

    std::string cut = model_test::ReadFixture("alert_v1.bin");
    cut.resize(cut.size() - 3);
    plat::ByteReader inCut(cut);
    TNPIMAlert shortened;
    EXPECT_FALSE(shortened.Load(inCut));
}

TEST(TNPIMAlert, BytesReadUnsigned)
{
    std::string bytes = model_test::ReadFixture("alert_v1.bin");
    bytes[33] = static_cast<char>(200); // MinutesBefore
    plat::ByteReader in(bytes);
    TNPIMAlert a;
    ASSERT_TRUE(a.Load(in));
    EXPECT_EQ(a.MinutesBefore, 200);
}

TEST(TNPIMAlerts, AnswersOfOneIdUpdateOneItemAndCountBoth)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMAlerts& alerts = set.Pim().Alerts;
    TNString first = Fixture("alert_answer_1.txt");
    TNString second = Fixture("alert_answer_2.txt");
    EXPECT_EQ(alerts.Add(&first), 0);
    alerts.Items[0]->PleaseSync = true;
    EXPECT_EQ(alerts.Add(&second), 0);

    ASSERT_EQ(alerts.Count, 1);
    EXPECT_EQ(alerts.Received, 2);
    EXPECT_EQ(alerts.Offset, 2);
    EXPECT_EQ(alerts.NewestChanged, 1700000600u) << "the older second Changed leaves it";
    const TNPIMAlert& a = *alerts.Items[0];
    EXPECT_FALSE(a.PleaseSync);
    EXPECT_EQ(a.Changed, 1700000300u);
    EXPECT_EQ(a.MinutesBefore, 30);
    EXPECT_EQ(a.HoursBefore, 3) << "absent keys keep their values";
    EXPECT_STREQ(a.Settings.Text, kSettings) << "entities decoded";
    EXPECT_EQ(QueuedItem(set, raftAlert, 70001).retype, raftAlert);
}

TEST(TNPIMAlerts, FinalizeLoadingTakesTheNewestChanged)
{
    TNPIMAlerts alerts;
    alerts.FinalizeLoading();
    EXPECT_EQ(alerts.LastRequestTime, 0u);
    ASSERT_TRUE(alerts.Resize(3));
    alerts.Items[0]->Changed = 1700000100;
    alerts.Items[1]->Changed = 1700000900;
    alerts.Items[2]->Changed = 1700000500;
    alerts.FinalizeLoading();
    EXPECT_EQ(alerts.LastRequestTime, 1700000900u);
}

TEST(TNPIMAlerts, UserDeletionStaysARecordWhileItsDisplayRequestWaits)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMAlerts& alerts = set.Pim().Alerts;
    ASSERT_TRUE(alerts.Resize(2));
    FillAlert(*alerts.Items[0]);
    FillAlert(*alerts.Items[1]);
    alerts.Items[1]->ID = 70002;
    for (TNPIMAlert* a : {alerts.Items[0], alerts.Items[1]}) {
        a->Deleted = TNPIMAlert::kDeletedByUser;
    }
    alerts.Items[0]->DeletePending = true;
    alerts.QueueForSave(0);
    alerts.QueueForSave(1);
    EXPECT_EQ(QueuedItem(set, raftAlert, 70001).retype, raftAlert);
    EXPECT_EQ(QueuedItem(set, raftAlert, 70002).retype, raftHole);

    set.WriteQueued(*alerts.Items[0], raftAlert, 70001);
    set.Reopen();
    TNPIMAlert loaded;
    ASSERT_TRUE(set.ReadStored(raftAlert, 70001, [&](plat::ByteReader& in) { return loaded.Load(in); }));
    EXPECT_EQ(loaded.Deleted, TNPIMAlert::kDeletedByUser);
}

TEST(TNPIMAlerts, UploadPicksTheFirstPendingAndEncodesEveryValue)
{
    TNPIMAlerts alerts;
    ASSERT_TRUE(alerts.Resize(6));
    FillAlert(*alerts.Items[5]);
    FillAlert(*alerts.Items[3]);
    alerts.Items[3]->PleaseSync = false;
    alerts.Items[3]->ID = kFirstLocalID;
    alerts.Items[3]->Settings.Set("{\"a\":\"b c\"}");

    TNString text;
    EXPECT_EQ(alerts.GetDataToSync(&text), kFirstLocalID) << "a temporary id is pending without PleaseSync";
    EXPECT_TRUE(alerts.Items[3]->PleaseSync);
    EXPECT_STREQ(text.Text, "&ItemID=4200000001&Deleted=0&OrganizerID=512&RecordID=81234&UserID=77&Type=2"
                            "&DaysBefore=1&HoursBefore=3&MinutesBefore=45&AlertTimestamp=1710050400"
                            "&Settings=%7B%22a%22%3A%22b+c%22%7D");

    alerts.Items[3]->PleaseSync = false;
    alerts.Items[3]->ID = 70003;
    TNString next;
    EXPECT_EQ(alerts.GetDataToSync(&next), 70001u);
    alerts.Items[5]->PleaseSync = false;
    TNString none;
    EXPECT_EQ(alerts.GetDataToSync(&none), 0u);
    EXPECT_EQ(none.Length, 0);
}

TEST(TNPIMAlerts, ConfirmationClearsPendingAndQueuesTheAlert)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMAlerts& alerts = set.Pim().Alerts;
    ASSERT_TRUE(alerts.Resize(1));
    FillAlert(*alerts.Items[0]);
    alerts.Items[0]->Deleted = TNPIMAlert::kDeletedByUser;
    alerts.Items[0]->DeletePending = true;
    alerts.NoteIDChanged(0);
    alerts.DataUpSynced(70001, 70001, 0);
    EXPECT_FALSE(alerts.Items[0]->PleaseSync);
    EXPECT_EQ(QueuedItem(set, raftAlert, 70001).retype, raftAlert) << "kept while its display request waits";

    alerts.Items[0]->DeletePending = false;
    alerts.DataUpSynced(70001, 70001, 0);
    EXPECT_EQ(QueuedItem(set, raftAlert, 70001).retype, raftHole);
}

TEST(TNPIMAlerts, RecordChangeMovesEveryAlertOfTheRecord)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMAlerts& alerts = set.Pim().Alerts;
    ASSERT_TRUE(alerts.Resize(3));
    FillAlert(*alerts.Items[0]);
    FillAlert(*alerts.Items[1]);
    alerts.Items[1]->ID = 70002;
    alerts.Items[1]->DaysBefore = 0;
    alerts.Items[1]->HoursBefore = 0;
    alerts.Items[1]->MinutesBefore = 10;
    alerts.Items[2]->ID = 70003;
    alerts.Items[2]->RecordID = 99;
    alerts.Items[2]->AlertTimestamp = 5;

    TNTime begin;
    begin.SetTimestamp(1720000000);
    alerts.UpdateByRecordID(81234, begin);
    EXPECT_EQ(alerts.Items[0]->AlertTimestamp, 1720000000u - (86400 + 3 * 3600 + 45 * 60));
    EXPECT_EQ(alerts.Items[1]->AlertTimestamp, 1720000000u - 600);
    EXPECT_EQ(alerts.Items[2]->AlertTimestamp, 5u);
    EXPECT_FALSE(alerts.Items[0]->PleaseSync);
    EXPECT_GE(set.QueueItem(raftAlert, 70002), 0);
    EXPECT_LT(set.QueueItem(raftAlert, 70003), 0);
}

} // namespace
