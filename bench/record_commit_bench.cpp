// Targets, on one core, on a generated account of 50,000 records with 200
// birthdays: committing a task through the record change sequence under
// 1 ms, a birthday (with its yearly copies) under 10 ms; 100 commits of one
// birthday leave the record count unchanged (counter record_count_change,
// expected 0).
#include "bench/window_bench_support.h"
#include "foundation/pim_array.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "tests/model/account_generator.h"

#include <benchmark/benchmark.h>

namespace {

model_test::AccountShape Shape()
{
    model_test::AccountShape shape;
    shape.organizers = 20;
    shape.records = 50000;
    shape.birthdays = 200;
    return shape;
}

// The account and the main window, once per process.
struct Fixture {
    model_test::AccountWorkspace* workspace = nullptr;
    TfrmMainDLMR1* window = nullptr;
};

Fixture& Ready()
{
    static Fixture fixture = [] {
        StartWindowBenchGlobals("record-commit-bench");
        Fixture made;
        made.workspace = new model_test::AccountWorkspace();
        model_test::GenerateAccount(made.workspace->Pim(), Shape());
        made.window = new TfrmMainDLMR1(nullptr);
        return made;
    }();
    return fixture;
}

// The first live, stored record of the type; -1 when none.
int32_t FirstOfType(const TNPIMRecords& records, int32_t type)
{
    for (int32_t pos = 0; pos < records.Count; ++pos) {
        const TNPIMRecord* record = records.Items[pos];
        if (record != nullptr && record->Type == type && !record->Virtual && !record->DoNotSave && record->Deleted == 0)
            return pos;
    }
    return -1;
}

void Commit(benchmark::State& state, int32_t type)
{
    Fixture& fixture = Ready();
    TNPIMRecords& records = *fixture.workspace->Pim().Records;
    const int32_t pos = FirstOfType(records, type);
    if (pos < 0) {
        state.SkipWithError("no record of that type");
        return;
    }
    // The generator leaves no yearly copies; a first commit makes them, as
    // loading the account would.
    fixture.window->ChangedRecordSaveSequence(0, records.Items[pos], pos);
    const int32_t before = records.Count;
    for (auto _ : state) {
        TNPIMRecord* record = records.Items[pos];
        fixture.window->ChangedRecordSaveSequence(0, record, pos);
        state.PauseTiming();
        g.uiTags.Clear();
        state.ResumeTiming();
    }
    state.counters["record_count_change"] = records.Count - before;
}

void BM_CommitTask(benchmark::State& state)
{
    Commit(state, rtTask);
}
BENCHMARK(BM_CommitTask)->Unit(benchmark::kMicrosecond)->Iterations(1000);

void BM_CommitBirthday(benchmark::State& state)
{
    Commit(state, rtBirthday);
}
BENCHMARK(BM_CommitBirthday)->Unit(benchmark::kMillisecond)->Iterations(100);

} // namespace
