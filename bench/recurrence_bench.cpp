// Expansion of a daily rule without end (1000 occurrences), with and without
// its request strings, as the upload of a recurring record and the editor's
// preview run it. Goals: under 2 ms with the strings, and the strings under
// 3 times the expansion without them.

#include "model/record.h"

#include <benchmark/benchmark.h>

namespace {

void SetUpDailyRule(TNPIMRecord& record)
{
    record.ID = 4711;
    record.HasBegin = true;
    record.Begin.SetDateTime(25, 10, 0, 30, 0, 2024);
    record.RecurrenceFrequency = rfDaily;
    record.RecurrenceSettings.Set("{\"Range\":0,\"RepeatDaily\":1}");
}

void BM_ExpandDailyRule(benchmark::State& state)
{
    TNPIMRecord record;
    SetUpDailyRule(record);
    for (auto _ : state) {
        benchmark::DoNotOptimize(record.CreateRecurrenceArray(false, 0));
    }
    state.counters["occurrences"] = static_cast<double>(record.RecurrenceArray.size());
}
BENCHMARK(BM_ExpandDailyRule)->Unit(benchmark::kMicrosecond);

void BM_ExpandDailyRuleWithRequests(benchmark::State& state)
{
    TNPIMRecord record;
    SetUpDailyRule(record);
    for (auto _ : state) {
        int32_t counted = record.CreateRecurrenceArray(true, 0);
        benchmark::DoNotOptimize(counted);
        benchmark::DoNotOptimize(record.RecurrenceDates[9].Text);
    }
    state.counters["occurrences"] = static_cast<double>(record.RecurrenceArray.size());
}
BENCHMARK(BM_ExpandDailyRuleWithRequests)->Unit(benchmark::kMicrosecond);

void BM_ExpandMonthlyWeekdayRule(benchmark::State& state)
{
    TNPIMRecord record;
    record.HasBegin = true;
    record.Begin.SetDateTime(20, 2, 0, 0, 18, 2024);
    record.RecurrenceFrequency = rfMonthly;
    record.RecurrenceSettings.Set(
        "{\"Range\":0,\"RepeatMonthly\":1,\"RepeatMonthlyDayOfWeekInMonth1\":99,\"RepeatMonthlyDayOfWeekInMonth2\":5}");
    for (auto _ : state) {
        benchmark::DoNotOptimize(record.CreateRecurrenceArray(true, 0));
    }
}
BENCHMARK(BM_ExpandMonthlyWeekdayRule)->Unit(benchmark::kMicrosecond);

} // namespace
