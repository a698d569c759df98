// Targets, on one core, offscreen, on a generated account of 50,000
// records: installing 20,000 search results on the main thread (the
// hand-over's partition and sorts, then the lists' first paint) under 50 ms;
// opening the side panel on a record with 50 subtasks under 20 ms.
#include "bench/window_bench_support.h"
#include "foundation/pim_array.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "tests/model/account_generator.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int32_t kResults = 20000;
constexpr int32_t kSubtasks = 50;

struct Fixture {
    model_test::AccountWorkspace* workspace = nullptr;
    TfrmMainDLMR1* window = nullptr;
    TNPIMRecord* parent = nullptr;
};

Fixture& Ready()
{
    static Fixture fixture = [] {
        StartWindowBenchGlobals("search-page-bench");
        Fixture made;
        made.workspace = new model_test::AccountWorkspace();
        model_test::AccountShape shape;
        shape.organizers = 20;
        shape.records = 50000;
        model_test::GenerateAccount(made.workspace->Pim(), shape);
        made.window = new TfrmMainDLMR1(nullptr);
        made.window->SetBounds(0, 0, 1016, 739);
        made.window->gDesk->SetBounds(0, 0, 900, 640);
        made.window->CreateSearchComponents();
        made.window->CreateSideboardComponents();
        // The subtasks are spread over the account, the parent in front.
        TNPIMRecords& records = *made.workspace->Pim().Records;
        made.parent = records.Items[0];
        made.parent->ParentID = 0;
        made.parent->Type = rtTask;
        for (int32_t i = 0; i < kSubtasks; ++i) {
            TNPIMRecord* sub = records.Items[1 + i * (records.Count - 1) / kSubtasks];
            sub->ParentID = made.parent->ID;
            sub->Deleted = 0;
            sub->Hidden = false;
        }
        return made;
    }();
    return fixture;
}

void BM_InstallSearchResults(benchmark::State& state)
{
    Fixture& fixture = Ready();
    TNPIMRecords& records = *fixture.workspace->Pim().Records;
    for (auto _ : state) {
        state.PauseTiming();
        auto results = std::make_shared<TNPIMRecordList>();
        int32_t count = 0;
        for (int32_t pos = 0; pos < records.Count && count < kResults; ++pos)
            results->Append(records.Items[pos], &count);
        fixture.window->searchJobGeneration = TNView::ShownDataGeneration();
        state.ResumeTiming();
        fixture.window->PrepareSearchResults(std::move(results), count);
        fixture.window->ShowSearchResults(false);
    }
}
BENCHMARK(BM_InstallSearchResults)->Unit(benchmark::kMillisecond);

void BM_OpenSideboardWithSubtasks(benchmark::State& state)
{
    Fixture& fixture = Ready();
    for (auto _ : state)
        fixture.window->OpenSideboard(fixture.parent, false);
    state.counters["subtasks"] = fixture.window->sideboardSubrecordsCount;
}
BENCHMARK(BM_OpenSideboardWithSubtasks)->Unit(benchmark::kMillisecond);

} // namespace
