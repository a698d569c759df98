// Loading the tags and tag assignments of a large account: 1,000 tags and
// 50,000 assignments beside 2,000 records. Each assignment read must cost
// the same however many came before it. The same holds for applying the
// assignment items of download answers, new ones and updates alike.

#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "tests/model/account_generator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

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

// Applies n answer items of new assignments to an empty list, then the same
// n again as updates of the items now there.
void BM_ApplyAssignmentAnswers(benchmark::State& state)
{
    model_test::AccountWorkspace& workspace = Workspace();
    const int32_t n = static_cast<int32_t>(state.range(0));
    std::vector<TNString> answers;
    answers.reserve(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "<ID>%d</ID><Created>1700000000</Created><Changed>%d</Changed><Deleted>0</Deleted>"
                      "<OrganizerID>512</OrganizerID><RecordID>%d</RecordID><TagID>%d</TagID>",
                      300000 + k, 1700000000 + k, 100000 + k % 20000, 800 + k % 1000);
        answers.emplace_back(text);
    }
    for (auto _ : state) {
        state.PauseTiming();
        TNPIM& fresh = workspace.FreshSet();
        fresh.Organizers.Resize(1);
        fresh.Organizers.Items[0]->ID = 512;
        state.ResumeTiming();
        for (int pass = 0; pass < 2; ++pass) {
            for (TNString& answer : answers) {
                benchmark::DoNotOptimize(fresh.TagsAssign.Add(&answer));
            }
        }
    }
    state.counters["assignments"] = workspace.Pim().TagsAssign.Count;
}
BENCHMARK(BM_ApplyAssignmentAnswers)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
