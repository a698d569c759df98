#include "model/pim.h"
#include "model/record.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TNPIMRecord, WritesItsSettingsText)
{
    struct Case {
        int type, days, hours, minutes;
        bool hidden;
        const char* text;
    };
    const Case cases[] = {
        {1, 0, 0, 15, true, "{\"Alerts\":[{\"T\":1,\"D\":0,\"H\":0,\"M\":15}],\"Hidden\":true}"},
        {0, 0, 0, 0, false, "{}"},
        {0, 3, 2, 1, true, "{\"Hidden\":true}"},
        {2, 3, 2, 1, false, "{\"Alerts\":[{\"T\":2,\"D\":3,\"H\":2,\"M\":1}]}"},
    };
    for (const Case& c : cases) {
        TNPIMRecord record;
        record.AlertType0 = c.type;
        record.AlertDays0 = c.days;
        record.AlertHours0 = c.hours;
        record.AlertMinutes0 = c.minutes;
        record.Hidden = c.hidden;
        record.SetJSON();
        EXPECT_EQ(record.Settings.View(), std::string(c.text));
    }
}

TEST(TNPIMRecord, ReadsItsSettingsText)
{
    struct Case {
        const char* name;
        const char* text;
        bool hidden;
        int type, days, hours, minutes;
    };
    const Case cases[] = {
        {"Written", "{\"Alerts\":[{\"T\":1,\"D\":0,\"H\":0,\"M\":15}],\"Hidden\":true}", true, 1, 0, 0, 15},
        {"Quoted", "{\"Alerts\":[{\"T\":\"1\",\"D\":\"2\",\"H\":\"3\",\"M\":\"4\"}]}", false, 1, 2, 3, 4},
        {"Bare", "{\"Alerts\":[{\"T\":1,\"D\":2,\"H\":3,\"M\":4}]}", false, 1, 2, 3, 4},
        {"Mixed", "{\"Hidden\":true,\"Alerts\":[{\"T\":\"3\",\"D\":0,\"H\":\"5\",\"M\":45}]}", true, 3, 0, 5, 45},
        {"EmptyAlertList", "{\"Alerts\":[]}", false, 0, 0, 0, 0},
        {"NoAlerts", "{\"Hidden\":false}", false, 0, 0, 0, 0},
        {"Empty", "", false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TNPIMRecord record;
        // An alert held from before: a text without one removes it.
        record.AlertType0 = 2;
        record.AlertDays0 = 1;
        record.AlertHours0 = 1;
        record.AlertMinutes0 = 1;
        record.Hidden = true;
        record.Settings.Set(c.text);
        record.ParseSettingsFromJSON();
        EXPECT_EQ(record.Hidden, c.hidden);
        EXPECT_EQ(record.AlertType0, c.type);
        EXPECT_EQ(record.AlertDays0, c.days);
        EXPECT_EQ(record.AlertHours0, c.hours);
        EXPECT_EQ(record.AlertMinutes0, c.minutes);
    }
}

// The editor changes the values only; a restart before the upload must not
// bring the old alert back.
TEST(TNPIMRecord, AlertOfAPendingRecordSurvivesARestart)
{
    model_test::Environment environment;
    for (bool pending : {true, false}) {
        SCOPED_TRACE(pending);
        model_test::DataSet set;
        TNPIMRecord& record = set.NewRecord();
        record.ID = 4200000003u;
        record.Settings.Set("{\"Alerts\":[{\"T\":1,\"D\":0,\"H\":0,\"M\":15}]}");
        record.ParseSettingsFromJSON();
        record.AlertMinutes0 = 30;
        record.AlertHours0 = 2;
        record.PleaseSync = pending;
        set.Queue(raftRecord, record.ID, 0);
        set.WriteQueued(record, raftRecord, record.ID);

        set.Reopen();
        TNPIMRecord loaded(&set.Pim());
        ASSERT_TRUE(set.ReadStored(raftRecord, record.ID, [&](plat::ByteReader& in) { return loaded.Load(in); }));
        EXPECT_EQ(loaded.AlertType0, 1);
        EXPECT_EQ(loaded.AlertHours0, pending ? 2 : 0);
        EXPECT_EQ(loaded.AlertMinutes0, pending ? 30 : 15) << "only a pending record holds a local edit";
    }
}

} // namespace
