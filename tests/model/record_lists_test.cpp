#include "foundation/common.h"
#include "foundation/day_names.h"
#include "model/pim.h"
#include "model/record_lists.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Records = std::vector<std::unique_ptr<TNPIMRecord>>;

TNPIMRecord& Make(Records& pool, int32_t importance, bool dated, int64_t begin, uint32_t changed, uint32_t created)
{
    pool.push_back(std::make_unique<TNPIMRecord>());
    TNPIMRecord& r = *pool.back();
    r.ID = static_cast<uint32_t>(pool.size());
    r.Importance = importance;
    r.HasBegin = dated;
    r.Begin.Timestamp = begin;
    r.Changed = changed;
    r.Created = created;
    return r;
}

void Fill(TNPIMRecordList& list, const Records& pool)
{
    ASSERT_TRUE(list.Resize(static_cast<int32_t>(pool.size())));
    for (size_t i = 0; i < pool.size(); ++i) {
        list.Items[i] = pool[i].get();
    }
}

std::vector<uint32_t> Ids(const TNPIMRecordList& list, int32_t count)
{
    std::vector<uint32_t> ids;
    for (int32_t i = 0; i < count; ++i) {
        ids.push_back(list.Items[static_cast<size_t>(i)]->ID);
    }
    return ids;
}

// ---- The exchange sorts written out as plain passes: for each position i,
// every later k is compared with i and swapped when it goes first.

using Before = std::function<bool(const TNPIMRecord* k, const TNPIMRecord* i)>;

void ExchangePass(std::vector<TNPIMRecord*>& v, const Before& before)
{
    for (size_t i = 0; i < v.size(); ++i) {
        for (size_t k = i + 1; k < v.size(); ++k) {
            if (before(v[k], v[i])) {
                std::swap(v[k], v[i]);
            }
        }
    }
}

int32_t B(const TNPIMRecord* r)
{
    return static_cast<int32_t>(r->Begin.Timestamp);
}

void ReferenceImportant(std::vector<TNPIMRecord*>& v)
{
    ExchangePass(v, [](auto k, auto i) {
        return k->Importance > i->Importance || (k->Importance == i->Importance && k->Changed > i->Changed);
    });
    ExchangePass(v, [](auto k, auto i) { return k->Importance == i->Importance && !k->HasBegin && i->HasBegin; });
    ExchangePass(v, [](auto k, auto i) {
        return k->Importance == i->Importance && k->HasBegin && i->HasBegin &&
               (B(k) < B(i) || (B(k) == B(i) && k->Created < i->Created));
    });
}

void ReferenceDefault(std::vector<TNPIMRecord*>& v)
{
    size_t front = 0;
    for (int32_t importance : {99, 10, 0, -10}) {
        for (bool dated : {false, true}) {
            for (size_t i = front; i < v.size(); ++i) {
                if (v[i]->Importance == importance && v[i]->HasBegin == dated) {
                    std::swap(v[i], v[front++]);
                }
            }
        }
    }
    ReferenceImportant(v);
}

void ReferenceScheduled(std::vector<TNPIMRecord*>& v)
{
    ExchangePass(v, [](auto k, auto i) {
        return k->HasBegin && i->HasBegin && (B(k) < B(i) || (B(k) == B(i) && k->Created < i->Created));
    });
}

void ReferenceFromNearest(std::vector<TNPIMRecord*>& v)
{
    ExchangePass(v, [](auto k, auto i) {
        return k->HasBegin && i->HasBegin && (B(k) > B(i) || (B(k) == B(i) && k->Created > i->Created));
    });
}

void ReferenceByChanged(std::vector<TNPIMRecord*>& v)
{
    ExchangePass(v, [](auto k, auto i) {
        return k->Changed > i->Changed || (k->Changed == i->Changed && k->Created > i->Created);
    });
}

struct SortCase {
    const char* name;
    void (*sort)(TNPIMRecordList*, int32_t*, int32_t);
    void (*reference)(std::vector<TNPIMRecord*>&);
};

const SortCase kSorts[] = {
    {"Default", TNPIM::SortRecords_Default, ReferenceDefault},
    {"Important", TNPIM::SortRecords_Important, ReferenceImportant},
    {"Scheduled", TNPIM::SortRecords_Scheduled, ReferenceScheduled},
    {"FromNearest", TNPIM::SortRecords_FromNearest, ReferenceFromNearest},
    {"ByChanged", TNPIM::SortRecords_ByChanged_FromMostRecent, ReferenceByChanged},
};

int Iterations()
{
    const char* text = std::getenv("DALMORA_SORT_ITERATIONS");
    return text != nullptr ? std::atoi(text) : 200;
}

TEST(TNPIMSorts, EqualTheExchangeSortsWhenNoKeysTie)
{
    std::mt19937 random(20240615);
    const int32_t importances[] = {99, 10, 0, -10, 5};
    for (int round = 0; round < Iterations(); ++round) {
        Records pool;
        int n = 1 + static_cast<int>(random() % 60);
        // Unique Changed and Created: no two entries tie on every key.
        std::vector<uint32_t> stamps;
        for (int i = 0; i < 2 * n; ++i) {
            stamps.push_back(static_cast<uint32_t>(random()) | (i % 2 == 0 ? 0x80000000u : 0u));
        }
        for (int i = 0; i < n; ++i) {
            // Few begin values, some before 1970 and some past 2038 as
            // unsigned, so ties on Begin and the signed comparison both occur.
            int64_t begins[] = {-86400, 0, 1718445600, static_cast<int64_t>(static_cast<int32_t>(0x90000000u))};
            Make(pool, importances[random() % 5], random() % 3 != 0, begins[random() % 4], stamps[2 * i] + i,
                 stamps[2 * i + 1] + i);
        }
        for (const SortCase& sortCase : kSorts) {
            TNPIMRecordList list;
            Fill(list, pool);
            std::vector<TNPIMRecord*> expected(list.Items.begin(), list.Items.end());
            sortCase.reference(expected);
            int32_t count = n;
            sortCase.sort(&list, &count, 0);
            ASSERT_EQ(std::vector<TNPIMRecord*>(list.Items.begin(), list.Items.end()), expected)
                << sortCase.name << " round " << round;
        }
    }
}

TEST(TNPIMSorts, CasesOfTheOrder)
{
    const int64_t today = 1718445600;
    struct Case {
        const char* name;
        void (*sort)(TNPIMRecordList*, int32_t*, int32_t);
        // importance, dated, begin, changed, created per record
        std::vector<std::tuple<int32_t, bool, int64_t, uint32_t, uint32_t>> records;
        std::vector<uint32_t> order;
    };
    const Case cases[] = {
        {"default: 99 undated, 10 dated, 0 undated, 0 dated",
         TNPIM::SortRecords_Default,
         {{0, true, today + 86400, 1, 1}, {99, false, 0, 2, 2}, {10, true, today, 3, 3}, {0, false, 0, 4, 4}},
         {2, 3, 4, 1}},
        {"scheduled keeps undated in place",
         TNPIM::SortRecords_Scheduled,
         {{0, true, today + 300, 1, 1},
          {0, false, 0, 2, 2},
          {0, true, today + 100, 3, 3},
          {0, false, 0, 4, 4},
          {0, true, today + 200, 5, 5}},
         {3, 2, 5, 4, 1}},
        {"scheduled: equal begin, older Created first",
         TNPIM::SortRecords_Scheduled,
         {{0, true, today, 1, 50}, {0, true, today, 2, 40}},
         {2, 1}},
        {"from nearest: equal begin, newer Created first",
         TNPIM::SortRecords_FromNearest,
         {{0, true, today, 1, 40}, {0, true, today, 2, 50}, {0, true, today + 5, 3, 1}},
         {3, 2, 1}},
        {"by changed, ties by Created descending; Changed is unsigned",
         TNPIM::SortRecords_ByChanged_FromMostRecent,
         {{0, false, 0, 7, 1}, {0, false, 0, 0x90000000u, 1}, {0, false, 0, 7, 2}},
         {2, 3, 1}},
        {"begin is signed", TNPIM::SortRecords_Scheduled, {{0, true, 100, 1, 1}, {0, true, -100, 2, 2}}, {2, 1}},
        {"complete ties keep their order: important",
         TNPIM::SortRecords_Important,
         {{0, true, today, 9, 5}, {0, true, today, 1, 5}, {10, false, 0, 3, 1}, {10, false, 0, 3, 2}},
         {3, 4, 1, 2}},
        {"complete ties keep their order: default",
         TNPIM::SortRecords_Default,
         {{0, false, 0, 3, 1}, {10, true, today, 3, 1}, {0, false, 0, 3, 2}, {10, true, today, 4, 1}},
         {2, 4, 1, 3}},
        {"complete ties keep their order: scheduled and from nearest",
         TNPIM::SortRecords_FromNearest,
         {{0, true, today, 1, 5}, {0, true, today, 2, 5}, {0, true, today, 3, 5}},
         {1, 2, 3}},
    };
    for (const Case& testCase : cases) {
        Records pool;
        for (const auto& [importance, dated, begin, changed, created] : testCase.records) {
            Make(pool, importance, dated, begin, changed, created);
        }
        TNPIMRecordList list;
        Fill(list, pool);
        int32_t count = list.Count;
        testCase.sort(&list, &count, 0);
        EXPECT_EQ(Ids(list, count), testCase.order) << testCase.name;
    }
}

TEST(TNPIMSorts, OnlyTheCountedEntriesMove)
{
    Records pool;
    Make(pool, 0, false, 0, 1, 1);
    Make(pool, 0, false, 0, 2, 2);
    Make(pool, 0, false, 0, 3, 3);
    TNPIMRecordList list;
    Fill(list, pool);
    int32_t count = 2;
    TNPIM::SortRecords_ByChanged_FromMostRecent(&list, &count, 0);
    EXPECT_EQ(Ids(list, 3), (std::vector<uint32_t>{2, 1, 3}));
}

TEST(TNPIMSorts, SubscribedOrganizersMarkedFirstThenByChanged)
{
    Records pool;
    const int32_t marks[] = {0, 1, 0, 1, 2, 1};
    const uint32_t changed[] = {5, 1, 9, 7, 6, 7};
    for (int i = 0; i < 6; ++i) {
        Make(pool, 0, false, 0, changed[i], 0).UiValue1 = marks[i];
    }
    TNPIMRecordList list;
    Fill(list, pool);
    int32_t count = 6;
    TNPIM::SortOrganizers_Subscribed(&list, &count);
    EXPECT_EQ(Ids(list, count), (std::vector<uint32_t>{4, 6, 2, 3, 5, 1}));
}

// ---- Filters and search over a data set.

class TNPIMListsTest : public ::testing::Test {
protected:
    model_test::Environment environment;
    model_test::DataSet set;

    TNPIMRecord& Add(uint32_t id, int32_t type = rtTask)
    {
        TNPIMRecord& r = set.NewRecord();
        r.ID = id;
        r.Type = type;
        r.OrganizerID = 512;
        return r;
    }

    void Assign(uint32_t id, uint32_t recordID, uint32_t tagID, uint32_t deleted = 0)
    {
        TNPIMTagsAssign& list = set.Pim().TagsAssign;
        ASSERT_TRUE(list.Resize(list.Count + 1));
        TNPIMTagsAssignItem& a = *list.Items[list.Count - 1];
        a.ID = id;
        list.NoteIDChanged(list.Count - 1);
        a.RecordID = recordID;
        a.TagID = tagID;
        a.Deleted = deleted;
    }

    std::vector<uint32_t> Collect(const std::function<int32_t(int32_t*, TNPIMRecordList*)>& filter)
    {
        TNPIMRecordList list;
        int32_t count = 0;
        int32_t added = filter(&count, &list);
        EXPECT_EQ(added, count);
        return Ids(list, count);
    }
};

TEST_F(TNPIMListsTest, TaskFiltersApplyEveryCondition)
{
    const int64_t todayStart = c.GetDayBounds().TodayStart;
    Add(1);                        // plain task, tag 700 by assignment
    Add(2).Deleted = 1700000000;   // deleted
    Add(3).ParentID = 1;           // has a parent
    Add(4, rtNote);                // another type
    Add(5).Hidden = true;          // hidden, tag 700
    Add(6).TagID = 700;            // own TagID only
    TNPIMRecord& sixDays = Add(7); // finished six days back, important
    sixDays.Finished = 1;
    sixDays.HasBegin = true;
    sixDays.Begin.SetTimestamp(todayStart - 6 * 86400 + 3600);
    sixDays.Importance = 99;
    TNPIMRecord& eightDays = Add(8); // finished eight days back, tag 701
    eightDays.Finished = 1;
    eightDays.HasBegin = true;
    eightDays.Begin.SetTimestamp(todayStart - 8 * 86400 + 3600);
    TNPIMRecord& undatedDone = Add(9); // finished, no begin
    undatedDone.Finished = 1;
    undatedDone.Importance = 10;
    TNPIMRecord& later = Add(10); // dated, unfinished
    later.HasBegin = true;
    later.Begin.SetTimestamp(todayStart + 86400);
    Assign(100, 1, 700);
    Assign(101, 5, 700);
    Assign(102, 8, 701);
    Assign(103, 9, 700, 1); // deleted assignment
    set.Pim().TagsAssign.FinalizeLoading();
    TNPIM& pim = set.Pim();

    struct Case {
        const char* name;
        uint32_t tag;
        bool showHidden;
        int32_t mode;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"tag by assignment or TagID", 700, false, 0, {1, 6}},
        {"hidden shown", 700, true, 0, {1, 5, 6}},
        {"mode 0 shows finished", 701, false, 0, {8}},
        {"mode 2 hides eight days back", 701, false, 2, {}},
        {"all, mode 2", TNPIM::kTagAll, false, 2, {1, 6, 7, 9, 10}},
        {"all, mode 1 hides both finished", TNPIM::kTagAll, false, 1, {1, 6, 9, 10}},
        {"scheduled", TNPIM::kTagScheduled, false, 0, {7, 8, 10}},
        {"important", TNPIM::kTagImportant, false, 0, {7, 9}},
        {"without tag ignores TagID and deleted assignments", TNPIM::kTagWithout, true, 0, {6, 7, 9, 10}},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(Collect([&](int32_t* count, TNPIMRecordList* list) {
                      return pim.GetRecordsWithTag(testCase.tag, rtTask, testCase.showHidden, count, list,
                                                   testCase.mode);
                  }),
                  testCase.expected)
            << testCase.name;
    }
    EXPECT_EQ(pim.GetRecordsAssignedTagID(9), 0u);
    EXPECT_EQ(pim.GetRecordsAssignedTagID(8), 701u);
}

TEST_F(TNPIMListsTest, ScheduledRecordsOfOneOrganizerTakeTheLimitThenOnlyThoseByTheEnd)
{
    const int64_t base = 1718445600;
    for (uint32_t id = 1; id <= 6; ++id) {
        TNPIMRecord& r = Add(id);
        r.HasBegin = true;
        r.Begin.SetTimestamp(base + static_cast<int64_t>(id) * 86400 * (id <= 3 ? 10 : 1));
    }
    set.Pim().Records->Items[5]->OrganizerID = 9;
    set.Pim().Records->Items[5]->SaveToOrganizerID = 512;
    set.Pim().Records->Items[5]->Begin.SetTimestamp(base + 2 * 86400);
    Add(7).HasEnd = true; // ends at 0: before from
    TNTime from;
    from.SetTimestamp(base);
    TNTime to;
    to.SetTimestamp(base + 5 * 86400);
    EXPECT_EQ(Collect([&](int32_t* count, TNPIMRecordList* list) {
                  return set.Pim().GetScheduledRecordsOfOneOrganizer(512, from, 3, false, count, list, to);
              }),
              (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(set.Pim().GetScheduledRecordsOfOneOrganizer(512, from, 3, false, nullptr, nullptr, to), 0);
}

TEST_F(TNPIMListsTest, SearchFoldsDiacriticsAndCaseByTheTable)
{
    const int32_t year = c.CopyOfToday().Rok;
    Add(1).SearchablePlainText.Set("Čeština pro pokročilé");
    Add(2).SearchablePlainNote.Set("ČEŠTINA");
    Add(3).SearchablePlainText.Set("cestina");
    Add(4).SearchablePlainText.Set("cena € 5");
    Add(5).SearchablePlainText.Set("Straße");
    TNPIMRecord& hidden = Add(6);
    hidden.SearchablePlainText.Set("čeština");
    hidden.Hidden = true;
    TNPIMRecord& thisYear = Add(7);
    thisYear.SearchablePlainText.Set("narozeniny čeština");
    thisYear.Virtual = true;
    thisYear.Begin.SetDate(3, 3, year);
    TNPIMRecord& nextYear = Add(8);
    nextYear.SearchablePlainText.Set("narozeniny čeština");
    nextYear.Virtual = true;
    nextYear.Begin.SetDate(3, 3, year + 1);
    Add(9).SearchablePlainText.Set("čeština");
    set.Pim().Records->Items[8]->Deleted = 5;
    Assign(100, 3, 700);
    set.Pim().TagsAssign.FinalizeLoading();

    struct Case {
        const char* text;
        uint32_t tag;
        bool showHidden;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"cestina", 0, false, {1, 2, 3, 7}},
        {"ČEŠTINA", 0, false, {1, 2, 3, 7}},
        {"ČEŠTINA", 0, true, {1, 2, 3, 6, 7}},
        {"ČEŠTINA", 700, false, {3}},
        {"€", 0, false, {4}},
        {"e 5", 0, false, {}},
        {"ß", 0, false, {5}},
        {"ss", 0, false, {}},
        {"", 0, false, {}},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(Collect([&](int32_t* count, TNPIMRecordList* list) {
                      return set.Pim().SearchInRecords(TNString(testCase.text), list, testCase.tag, testCase.showHidden,
                                                       count);
                  }),
                  testCase.expected)
            << testCase.text;
    }
}

TEST(TNFoldedNeedle, AgreesWithTheRecordsOwnSearchOnRandomTexts)
{
    // Letters of both cases with and without diacritics, and bytes the
    // folding table leaves alone.
    const std::string alphabet = "aAcCeEsSuUrRzZ \xe1\xc1\xe8\xc8\xec\xcc\x9a\x8a\xf9\xd9\xf8\xd8\x9e\x8e"
                                 "\x80\xdf\xa7\x01\xff";
    std::mt19937 random(99);
    auto text = [&](size_t length) {
        std::string out;
        for (size_t i = 0; i < length; ++i) {
            out += alphabet[random() % alphabet.size()];
        }
        return out;
    };
    for (int round = 0; round < Iterations() * 20; ++round) {
        TNPIMRecord record;
        record.SearchablePlainText.Set(text(random() % 24));
        record.SearchablePlainNote.Set(text(random() % 8));
        std::string needle = text(random() % 4);
        EXPECT_EQ(RecordMatchesSearch(record, TNFoldedNeedle(TNString(needle))), record.SearchInRecord(needle.c_str()))
            << "[" << record.SearchablePlainText.Text << "] [" << needle << "]";
    }
}

TEST(TNPIMRecordList, NameDayMatchesBecomeDateOnlyRecordsOfTheList)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNDayNames names;
    ASSERT_TRUE(names.FillDayNames());
    std::vector<TNDayNameMatch> matches;
    ASSERT_TRUE(names.SearchDayNames("stedry", 2024, matches));
    ASSERT_EQ(matches.size(), 1u);

    TNPIMRecordList list;
    int32_t count = 0;
    EXPECT_EQ(AppendDayNameRecords(matches, &list, &count), 1);
    ASSERT_EQ(count, 1);
    const TNPIMRecord& r = *list.Items[0];
    EXPECT_STREQ(r.Text.Text, "Štědrý den");
    EXPECT_EQ(r.ParentPIM, &set.Pim());
    EXPECT_TRUE(r.HasBegin);
    EXPECT_EQ(r.Begin.Den, 24);
    EXPECT_EQ(r.Begin.Mesic, 12);
    EXPECT_EQ(r.Begin.Rok, 2024);
    EXPECT_EQ(r.Begin.Hodina, 99);
    EXPECT_EQ(r.Type, rtDayNote);
    EXPECT_EQ(r.EventType, TNDayNames::kCategoryPublicHoliday);
    EXPECT_TRUE(r.Virtual);
    EXPECT_TRUE(r.DoNotSave);
}

} // namespace
