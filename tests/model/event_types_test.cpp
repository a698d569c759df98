#include "model/event_types.h"
#include "tests/model/model_test_support.h"
#include "tests/model/people_test_support.h"

#include <gtest/gtest.h>

#include <string>

using people_test::Attach;

namespace {

TEST(TNPIMEventTypes, PrefixComesOnlyFromPresentTypesThatWantIt)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMEventTypes types;
    Attach(types, set);
    struct Row {
        const char* name;
        const char* answer;
        bool found;
        const char* prefix;
    } const rows[] = {
        {"named key", "<ID>1</ID><TitleLngString>Theatre</TitleLngString><ShowBeforeText>1</ShowBeforeText>", true,
         "Divadlo"},
        {"plain title",
         "<ID>2</ID><TitleLngString>Kino &amp; divadlo</TitleLngString><ShowBeforeText>1</ShowBeforeText>", true,
         "Kino & divadlo"},
        {"deleted",
         "<ID>3</ID><Deleted>5</Deleted><TitleLngString>Theatre</TitleLngString><ShowBeforeText>1</ShowBeforeText>",
         false, "unchanged"},
        {"not wanted", "<ID>4</ID><TitleLngString>Theatre</TitleLngString><ShowBeforeText>0</ShowBeforeText>", false,
         "unchanged"},
    };
    for (const Row& row : rows) {
        TNString answer(row.answer);
        ASSERT_GE(types.Add(&answer), 0) << row.name;
    }
    for (uint32_t id = 1; id <= 4; ++id) {
        const Row& row = rows[id - 1];
        TNString out("unchanged");
        EXPECT_EQ(types.ShowEventTypeBeforeText(id, out), row.found) << row.name;
        EXPECT_EQ(out.View(), row.prefix) << row.name;
    }
    TNString out("unchanged");
    EXPECT_FALSE(types.ShowEventTypeBeforeText(99, out));
}

TEST(TNPIMEventTypes, DownloadPositionAfterLoadIgnoresDeletedTypes)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMEventTypes types;
    Attach(types, set);
    ASSERT_TRUE(types.Resize(3));
    types.Items[0]->Changed = 1700000100;
    types.Items[1]->Changed = 1800000000;
    types.Items[1]->Deleted = 1800000000;
    types.Items[2]->ID = kFirstLocalID + 7;
    types.Items[2]->Changed = 1600000000;
    types.FinalizeLoading();
    EXPECT_EQ(types.LastRequestTime, 1700000100u);
    EXPECT_EQ(types.NextID, kFirstLocalID + 8);
}

TEST(TNPIMEventType, VersionOneLoadsWithoutTitleLn)
{
    people_test::Account account;
    account.set.StoreRaw(raftEventType, 6200, model_test::ReadFixture("event_type_v1.bin"));
    account.Load();
    TNPIMEventTypes& types = account.Pim().EventTypes;
    ASSERT_EQ(types.Count, 1);
    const TNPIMEventType& e = *types.Items[0];
    EXPECT_EQ(e.TitleLn, 0u);
    EXPECT_EQ(e.CreatedByUserID, 3001u);
    EXPECT_EQ(e.TitleLngString.View(), "Kino & divadlo");
    EXPECT_EQ(e.DisplayTitle.View(), "Kino & divadlo");
    EXPECT_TRUE(e.ShowBeforeText);
}

} // namespace
