// The account data set on a generated account: 100,000 records in 200
// organizers, texts of 20-300 CP1250 bytes, 10 % multi-day, 500 birthdays
// dated 1950 to 2000 (about 60,000 yearly copies).

#include "foundation/record_file_set.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "tests/model/account_generator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

model_test::AccountShape Account()
{
    model_test::AccountShape shape;
    shape.organizers = 200;
    shape.records = 100000;
    shape.birthdays = 500;
    shape.multiDayPercent = 10;
    shape.pendingPercent = 1;
    shape.deletedPercent = 1;
    return shape;
}

// The account written once to its file and loaded; shared by every
// benchmark of the run.
model_test::AccountWorkspace& Workspace()
{
    static auto* workspace = [] {
        auto* made = new model_test::AccountWorkspace();
        model_test::GenerateAccount(made->Pim(), Account());
        made->Pim().Save(true, false);
        made->FreshSet().Load(nullptr);
        return made;
    }();
    return *workspace;
}

void BM_LoadAccount(benchmark::State& state)
{
    model_test::AccountWorkspace& workspace = Workspace();
    for (auto _ : state) {
        state.PauseTiming();
        raf.closeFile(workspace.Fid(), false);
        TNPIM& fresh = workspace.FreshSet();
        state.ResumeTiming();
        fresh.Load(nullptr);
    }
    TNPIMRecords& records = *workspace.Pim().Records;
    int32_t copies = 0;
    for (int32_t i = 0; i < records.Count; ++i) {
        copies += records.Items[i]->Virtual ? 1 : 0;
    }
    state.counters["records"] = records.Count - copies;
    state.counters["copies"] = copies;
}
BENCHMARK(BM_LoadAccount)->Unit(benchmark::kMillisecond)->Iterations(5);

// One record change re-filed as the editor does it.
void Refile(benchmark::State& state, bool birthday)
{
    TNPIM& pim = Workspace().Pim();
    TNPIMRecords& records = *pim.Records;
    int32_t pos = -1;
    for (int32_t i = 0; i < records.Count && pos < 0; ++i) {
        const TNPIMRecord& r = *records.Items[i];
        bool isBirthday = r.Type == rtBirthday && r.Deleted == 0 && !r.Virtual;
        bool threeDays = r.HasEnd && r.End.Timestamp - r.Begin.Timestamp >= 2 * 86400 && !r.Virtual;
        if (birthday ? isBirthday : threeDays) {
            pos = i;
        }
    }
    if (pos < 0) {
        state.SkipWithError("no such record");
        return;
    }
    TNPIMRecord& record = *records.Items[pos];
    int32_t shift = 1;
    for (auto _ : state) {
        TNModelWriteGuard lock;
        record.DeleteRecordFromAllDays();
        record.Begin.SetTimestamp(record.Begin.Timestamp + shift * 86400);
        record.End.SetTimestamp(record.End.Timestamp + shift * 86400);
        shift = -shift;
        records.SaveOrDeleteRecordByPos(pos, false);
    }
}
void BM_RefileThreeDayRecord(benchmark::State& state)
{
    Refile(state, false);
}
void BM_RefileBirthdayWithCopies(benchmark::State& state)
{
    Refile(state, true);
}
BENCHMARK(BM_RefileThreeDayRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefileBirthdayWithCopies)->Unit(benchmark::kMicrosecond);

// Answer items, half new records and half updates of stored ones.
void BM_AddAnswers(benchmark::State& state)
{
    TNPIM& pim = Workspace().Pim();
    const int32_t n = static_cast<int32_t>(state.range(0));
    static uint32_t nextNew = 5000000;
    std::mt19937 random(5);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<TNString> answers;
        answers.reserve(static_cast<size_t>(n));
        for (int32_t k = 0; k < n; ++k) {
            uint32_t id = k % 2 == 0 ? nextNew++ : model_test::kFirstRecordID + random() % 90000;
            char text[512];
            std::snprintf(text, sizeof text,
                          "<ID>%u</ID><OrganizerID>%u</OrganizerID><Type>3</Type><Text>Porada týmu %d</Text>"
                          "<HasBegin>1</HasBegin><DateBegin>2025-%02d-%02d</DateBegin><TimeBegin>09:30:00</TimeBegin>"
                          "<HasEnd>1</HasEnd><DateEnd>2025-%02d-%02d</DateEnd><TimeEnd>10:30:00</TimeEnd>"
                          "<Changed>%u</Changed>",
                          id, model_test::kFirstOrganizerID + id % 200, k, 1 + k % 12, 1 + k % 28, 1 + k % 12,
                          1 + k % 28, 1719000000u + static_cast<uint32_t>(k));
            answers.emplace_back(text);
        }
        state.ResumeTiming();
        for (TNString& answer : answers) {
            pim.Records->Add(&answer);
        }
    }
    state.counters["items"] = n;
}
BENCHMARK(BM_AddAnswers)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GetRecordPosByID(benchmark::State& state)
{
    TNPIMRecords& records = *Workspace().Pim().Records;
    std::vector<uint32_t> ids;
    for (int32_t i = 0; i < records.Count; i += 97) {
        ids.push_back(records.Items[i]->ID);
        if (records.Items[i]->OldID != 0) {
            ids.push_back(records.Items[i]->OldID);
        }
    }
    ids.push_back(kFirstLocalID + 999999);
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(records.GetRecordPosByID(ids[k]));
        k = k + 1 == ids.size() ? 0 : k + 1;
    }
}
BENCHMARK(BM_GetRecordPosByID)->Unit(benchmark::kNanosecond);

} // namespace
