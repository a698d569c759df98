// The task, note and search lists over a large account: 100,000 records,
// 1,000 tags, 50,000 tag assignments, searchable texts of 50-500 CP1250
// bytes. Goals (Release, one core): search under 200 ms; each task filter
// under 20 ms; Default and Scheduled sorts under 60 ms for 100,000 entries
// and under 5 ms for 10,000.

#include "foundation/globals.h"
#include "model/pim.h"
#include "model/record_lists.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int32_t kRecords = 100000;
constexpr int32_t kTags = 1000;
constexpr int32_t kAssignments = 50000;
constexpr uint32_t kOrganizerID = 512;

// Words of the searchable texts; the searched word is rare.
const char* const kWords[] = {"schůzka", "porada", "nákup",  "Čeština", "úkol",      "termín", "zítra",
                              "oběd",    "výlet",  "Praha",  "Brno",    "škola",     "účet",   "dovolená",
                              "lékař",   "auto",   "servis", "projekt", "přednáška", "žádost"};

std::string RandomText(std::mt19937& random)
{
    size_t length = 50 + random() % 451;
    std::string text;
    while (text.size() < length) {
        text += random() % 2000 == 0 ? "řezník" : kWords[random() % std::size(kWords)];
        text += ' ';
    }
    text.resize(length);
    return text;
}

// One account built once for every benchmark of the program.
TNPIM& Account()
{
    static TNPIM* pim = [] {
        ConstructGlobals();
        auto* made = new TNPIM(0);
        std::mt19937 random(42);
        TNPIMRecords& records = *made->Records;
        records.Resize(kRecords);
        for (int32_t i = 0; i < kRecords; ++i) {
            TNPIMRecord& r = *records.Items[i];
            r.ID = 100000 + static_cast<uint32_t>(i);
            r.OrganizerID = kOrganizerID;
            r.Type = random() % 3 == 0 ? rtNote : rtTask;
            const int32_t importances[] = {99, 10, 0, 0, 0, -10};
            r.Importance = importances[random() % 6];
            r.HasBegin = random() % 5 < 3;
            r.Begin.Timestamp = 1650000000 + static_cast<int64_t>(random() % 100000000);
            r.Finished = random() % 4 == 0 ? 1 : 0;
            r.Changed = 1600000000 + static_cast<uint32_t>(random() % 100000000);
            r.Created = r.Changed - static_cast<uint32_t>(random() % 1000000);
            r.Hidden = random() % 50 == 0;
            r.SearchablePlainText.Set(RandomText(random));
        }
        made->Tags.Resize(kTags);
        for (int32_t i = 0; i < kTags; ++i) {
            made->Tags.Items[i]->ID = 7000 + static_cast<uint32_t>(i);
            made->Tags.Items[i]->OrganizerID = kOrganizerID;
        }
        TNPIMTagsAssign& assigns = made->TagsAssign;
        assigns.Resize(kAssignments);
        for (int32_t i = 0; i < kAssignments; ++i) {
            TNPIMTagsAssignItem& a = *assigns.Items[i];
            a.ID = 900000 + static_cast<uint32_t>(i);
            a.OrganizerID = kOrganizerID;
            a.RecordID = 100000 + static_cast<uint32_t>(random() % kRecords);
            a.TagID = 7000 + static_cast<uint32_t>(random() % kTags);
            a.Deleted = random() % 10 == 0 ? 1 : 0;
        }
        assigns.FinalizeLoading();
        return made;
    }();
    return *pim;
}

void BM_SearchInRecords(benchmark::State& state)
{
    TNPIM& pim = Account();
    TNString word("řezník");
    for (auto _ : state) {
        TNPIMRecordList list;
        int32_t count = 0;
        benchmark::DoNotOptimize(pim.SearchInRecords(word, &list, 0, true, &count));
    }
}
BENCHMARK(BM_SearchInRecords)->Unit(benchmark::kMillisecond);

template <uint32_t Tag> void BM_GetRecordsWithTag(benchmark::State& state)
{
    TNPIM& pim = Account();
    int32_t found = 0;
    for (auto _ : state) {
        TNPIMRecordList list;
        int32_t count = 0;
        found = pim.GetRecordsWithTag(Tag, rtTask, false, &count, &list, 2);
        benchmark::DoNotOptimize(list.Items.data());
    }
    state.counters["records"] = found;
}
BENCHMARK(BM_GetRecordsWithTag<7005>)->Name("BM_GetRecordsWithTag/one_tag")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetRecordsWithTag<TNPIM::kTagImportant>)
    ->Name("BM_GetRecordsWithTag/important")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetRecordsWithTag<TNPIM::kTagScheduled>)
    ->Name("BM_GetRecordsWithTag/scheduled")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetRecordsWithTag<TNPIM::kTagWithout>)
    ->Name("BM_GetRecordsWithTag/without_tag")
    ->Unit(benchmark::kMillisecond);

template <void (*Sort)(TNPIMRecordList*, int32_t*, int32_t)> void BM_Sort(benchmark::State& state)
{
    TNPIM& pim = Account();
    const int32_t n = static_cast<int32_t>(state.range(0));
    std::vector<TNPIMRecord*> input(pim.Records->Items, pim.Records->Items + n);
    TNPIMRecordList list;
    list.Resize(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(input.begin(), input.end(), list.Items.begin());
        state.ResumeTiming();
        int32_t count = n;
        Sort(&list, &count, 0);
        benchmark::DoNotOptimize(list.Items.data());
    }
}
BENCHMARK(BM_Sort<TNPIM::SortRecords_Default>)
    ->Name("BM_SortRecords_Default")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<TNPIM::SortRecords_Scheduled>)
    ->Name("BM_SortRecords_Scheduled")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The upload step asks every pass; with nothing pending it must cost next to
// nothing. Goal: under 1 ms.
void BM_GetDataToSync_NothingPending(benchmark::State& state)
{
    TNPIM& pim = Account();
    for (auto _ : state) {
        int32_t code = 0;
        TNString text;
        benchmark::DoNotOptimize(pim.GetDataToSync(&code, &text));
    }
}
BENCHMARK(BM_GetDataToSync_NothingPending)->Unit(benchmark::kMicrosecond);

} // namespace
