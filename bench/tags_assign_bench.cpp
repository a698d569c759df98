// Loading the tags and tag assignments of a large account: 1,000 tags and
// 50,000 assignments beside 2,000 records. Each assignment read must cost
// the same however many came before it.

#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "tests/model/account_generator.h"

#include <benchmark/benchmark.h>

namespace {

model_test::AccountWorkspace& Workspace()
{
    static auto* workspace = [] {
        auto* made = new model_test::AccountWorkspace();
        model_test::AccountShape shape;
        shape.organizers = 20;
        shape.records = 2000;
        shape.birthdays = 0;
        shape.tags = 1000;
        shape.tagAssignments = 50000;
        model_test::GenerateAccount(made->Pim(), shape);
        made->Pim().Save(true, false);
        return made;
    }();
    return *workspace;
}

void BM_LoadTagAssignments(benchmark::State& state)
{
    model_test::AccountWorkspace& workspace = Workspace();
    for (auto _ : state) {
        state.PauseTiming();
        raf.closeFile(workspace.Fid(), false);
        TNPIM& fresh = workspace.FreshSet();
        state.ResumeTiming();
        fresh.Load(nullptr);
    }
    state.counters["assignments"] = workspace.Pim().TagsAssign.Count;
}
BENCHMARK(BM_LoadTagAssignments)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
