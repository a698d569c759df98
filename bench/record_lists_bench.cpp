// The task, note and search lists over a large account: 100,000 records,
// 1,000 tags, 50,000 tag assignments, searchable texts of 50-500 CP1250
// bytes. Goals (Release, one core): search under 200 ms; each task filter
// under 20 ms; Default and Scheduled sorts under 60 ms for 100,000 entries
// and under 5 ms for 10,000.

#include "model/pim.h"
#include "model/record_lists.h"
#include "tests/model/account_generator.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// One account built once for every benchmark of the program, with nothing
// pending for upload.
TNPIM& Account()
{
    static model_test::AccountWorkspace* workspace = [] {
        auto* made = new model_test::AccountWorkspace();
        model_test::AccountShape shape;
        shape.organizers = 20;
        shape.records = 100000;
        shape.birthdays = 50;
        shape.pendingPercent = 0;
        shape.textMinBytes = 50;
        shape.textMaxBytes = 500;
        shape.tags = 1000;
        shape.tagAssignments = 50000;
        model_test::GenerateAccount(made->Pim(), shape);
        return made;
    }();
    return workspace->Pim();
}

void BM_SearchInRecords(benchmark::State& state)
{
    TNPIM& pim = Account();
    // Six letters with diacritics; the generator's texts hold the word often.
    TNString word("Sázavo");
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
BENCHMARK(BM_GetRecordsWithTag<model_test::kFirstTagID + 5>)
    ->Name("BM_GetRecordsWithTag/one_tag")
    ->Unit(benchmark::kMillisecond);
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

namespace {

// The share of the two large collections in the pass above.
void BM_GetDataToSync_RecordsOnly(benchmark::State& state)
{
    TNPIM& pim = Account();
    for (auto _ : state) {
        TNString text;
        benchmark::DoNotOptimize(pim.Records->GetDataToSync(&text));
    }
}
BENCHMARK(BM_GetDataToSync_RecordsOnly)->Unit(benchmark::kMicrosecond);

void BM_GetDataToSync_TagsAssignOnly(benchmark::State& state)
{
    TNPIM& pim = Account();
    for (auto _ : state) {
        TNString text;
        benchmark::DoNotOptimize(pim.TagsAssign.GetDataToSync(&text));
    }
}
BENCHMARK(BM_GetDataToSync_TagsAssignOnly)->Unit(benchmark::kMicrosecond);

} // namespace
