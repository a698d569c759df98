#include "foundation/civil_date.h"
#include "foundation/common.h"
#include "foundation/time.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

// Fields → timestamp → fields, over dates spread across 1980 to 2079 so that
// change days and both seasons are met.
void BM_RoundTrip(benchmark::State& state)
{
    TNCommon::SetTimeZoneOffset(3600);
    TNTime value;
    TNTime back;
    uint32_t i = 0;
    int64_t sum = 0;
    for (auto _ : state) {
        value.SetDateTime(1 + i % 28, 1 + i % 12, i % 60, (i * 7) % 60, i % 24, 1980 + static_cast<int32_t>(i % 100));
        back.SetTimestamp(value.Timestamp);
        sum += back.Hodina;
        ++i;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundTrip)->Iterations(1000000);

// Week numbers of consecutive days.
void BM_WeekOfYear(benchmark::State& state)
{
    TNCommon::SetTimeZoneOffset(3600);
    std::vector<TNTime> days(1000);
    for (size_t d = 0; d < days.size(); ++d) {
        days[d].SetDate(1, 1, 2020);
        days[d].AddDays(static_cast<int64_t>(d));
    }
    int64_t sum = 0;
    for (auto _ : state) {
        for (int repeat = 0; repeat < 100; ++repeat)
            for (const TNTime& day : days)
                sum += day.GetWeekOfYear();
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * 100000);
}
// One iteration is 100,000 week numbers.
BENCHMARK(BM_WeekOfYear)->Unit(benchmark::kMillisecond);

} // namespace
