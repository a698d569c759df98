#include "model/collection.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <vector>

namespace {

struct Item {
    uint32_t ID = 0;
    static inline int made = 0;
    static inline int failAt = -1; // the made-count at which making throws
    Item()
    {
        if (made == failAt) {
            throw std::bad_alloc();
        }
        ++made;
    }
};

class List : public TNPIMCollection<Item, List> {
public:
    bool Resize(int32_t n) { return ResizeSlots(n); }
};

class ByKey : public TNPIMCollection<Item, ByKey> {
public:
    bool Resize(int32_t n) { return ResizeSlots(n); }
    // Matches on twice the id, to show the shared code uses this look-up.
    int32_t GetItemPosByID(uint32_t key) const { return FindByID(key / 2); }
};

void Fill(List& list, std::initializer_list<uint32_t> ids)
{
    ASSERT_TRUE(list.Resize(static_cast<int32_t>(ids.size())));
    int32_t i = 0;
    for (uint32_t id : ids) {
        list.Items[i++]->ID = id;
    }
}

TEST(TNPIMCollection, ResizeKeepsItemsAndCount)
{
    List list;
    Fill(list, {5, 6, 7});
    Item* first = list.Items[0];
    for (int32_t n = 4; n <= 100; ++n) {
        ASSERT_TRUE(list.Resize(n));
        ASSERT_EQ(list.Count, n);
        ASSERT_NE(list.Items[n - 1], nullptr);
    }
    EXPECT_EQ(list.Items[0], first);
    EXPECT_EQ(list.Items[2]->ID, 7u);
    EXPECT_EQ(list.Items[99]->ID, 0u);

    ASSERT_TRUE(list.Resize(2));
    EXPECT_EQ(list.Count, 2);
    EXPECT_EQ(list.Items[1]->ID, 6u);
    ASSERT_TRUE(list.Resize(3));
    EXPECT_EQ(list.Items[2]->ID, 0u) << "a slot given up and taken again holds a new item";
}

TEST(TNPIMCollection, ResizeToZeroOrLessEmpties)
{
    for (int32_t n : {0, -3}) {
        List list;
        Fill(list, {1, 2});
        ASSERT_TRUE(list.Resize(n));
        EXPECT_EQ(list.Count, 0);
        EXPECT_EQ(list.Items, nullptr);
        ASSERT_TRUE(list.Resize(1));
        EXPECT_EQ(list.Count, 1);
    }
}

TEST(TNPIMCollection, FailedGrowthChangesNothing)
{
    List list;
    Fill(list, {1, 2});
    Item* second = list.Items[1];
    Item::failAt = Item::made + 3;
    EXPECT_FALSE(list.Resize(10));
    Item::failAt = -1;
    EXPECT_EQ(list.Count, 2);
    EXPECT_EQ(list.Items[1], second);
    EXPECT_EQ(list.PosForIDOrAppend(2), 1);
}

TEST(TNPIMCollection, LooksUpTheFirstMatchOrMinusOne)
{
    List list;
    Fill(list, {9, 4, 9});
    EXPECT_EQ(list.GetItemPosByID(9), 0);
    EXPECT_EQ(list.GetItemPosByID(4), 1);
    EXPECT_EQ(list.GetItemPosByID(5), -1);
}

TEST(TNPIMCollection, UpdatesInPlaceOrAppends)
{
    List list;
    Fill(list, {3, 8});
    EXPECT_EQ(list.PosForIDOrAppend(8), 1);
    EXPECT_EQ(list.Count, 2);
    EXPECT_EQ(list.PosForIDOrAppend(11), 2);
    EXPECT_EQ(list.Count, 3);

    ByKey byKey;
    ASSERT_TRUE(byKey.Resize(1));
    byKey.Items[0]->ID = 21;
    EXPECT_EQ(byKey.PosForIDOrAppend(42), 0);
    EXPECT_EQ(byKey.Count, 1);
}

TEST(TNPIMCollection, NextIDLiesPastEveryTemporaryID)
{
    struct Case {
        const char* name;
        std::initializer_list<uint32_t> ids;
        uint32_t start;
        uint32_t expected;
    };
    const Case cases[] = {
        {"NoItems", {}, kFirstLocalID, kFirstLocalID},
        {"ServiceIDsOnly", {17, 81234}, kFirstLocalID, kFirstLocalID},
        {"FirstTemporaryAlone", {kFirstLocalID}, kFirstLocalID, kFirstLocalID + 1},
        {"HighestWinsInAnyOrder", {kFirstLocalID + 7, 5, kFirstLocalID + 2}, kFirstLocalID, kFirstLocalID + 8},
        {"CounterAlreadyBeyond", {kFirstLocalID + 1}, kFirstLocalID + 20, kFirstLocalID + 20},
        {"CounterNeverBelowFirst", {12}, 0, kFirstLocalID},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        List list;
        Fill(list, c.ids);
        EXPECT_EQ(list.NextIDAfter(c.start), c.expected);
    }
}

struct Keyed {
    uint32_t ID = 0;
    uint32_t OldID = 0;
};

// An index that missed an id change answers as the walk does, and says so.
TEST(TNPIMIDIndex, StaleAnswerFallsBackToTheWalkAndIsLogged)
{
    model_test::LogCapture log;
    Keyed a{7, 0};
    Keyed b{kFirstLocalID + 3, 0};
    Keyed c{7, 0};
    Keyed* items[] = {&a, &b, &c};
    TNPIMIDIndex index;
    index.Resized(items, 0, 3);
    EXPECT_EQ(index.Find(items, 3, 7, "stale; id = "), 0);

    b.ID = 812;
    b.OldID = kFirstLocalID + 3;
    index.Note(1, b);
    EXPECT_EQ(index.Find(items, 3, kFirstLocalID + 3, "stale; id = "), 1) << "a temporary id finds its OldID";
    EXPECT_EQ(index.Find(items, 3, 812, "stale; id = "), 1);

    a.ID = 9; // behind the index's back
    EXPECT_EQ(index.Find(items, 3, 7, "stale; id = "), 2);
    EXPECT_EQ(log.CountContaining("stale; id = 7"), 1);

    index.Resized(items, 3, 1);
    EXPECT_EQ(index.Find(items, 1, 812, "stale; id = "), -1) << "slots past the count are forgotten";
}

TEST(TNPIMCollection, NextLocalIDSkipsTakenIdsAndNeverWraps)
{
    const uint32_t last = UINT32_MAX;
    struct Row {
        const char* name;
        uint32_t next;
        std::vector<uint32_t> taken;
        int64_t tries;
        uint32_t id;
        uint32_t nextAfter;
    } const rows[] = {
        {"below the first temporary id", 17, {}, 10, kFirstLocalID, kFirstLocalID + 1},
        {"taken ids are skipped",
         kFirstLocalID,
         {kFirstLocalID, kFirstLocalID + 1},
         10,
         kFirstLocalID + 2,
         kFirstLocalID + 3},
        {"too many taken in a row", kFirstLocalID, {kFirstLocalID, kFirstLocalID + 1}, 2, 0, kFirstLocalID + 2},
        {"the last id is still given", last, {}, 10, last, 0},
        {"no id after the last", last, {last}, 10, 0, last},
    };
    for (const Row& row : rows) {
        uint32_t next = row.next;
        auto taken = [&](uint32_t id) { return std::find(row.taken.begin(), row.taken.end(), id) != row.taken.end(); };
        EXPECT_EQ(TakeNextLocalID(next, row.tries, taken), row.id) << row.name;
        EXPECT_EQ(next, row.nextAfter) << row.name;
    }
}

} // namespace
