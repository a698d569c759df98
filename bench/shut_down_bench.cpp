// Target: the real exit of a signed-in main window with a 100,000-record
// data set, one record changed and no pass running, from the exit request to
// "[FormClose][END]", at most 50 ms more than TNPIM::Save of the same data set
// with one record changed, measured in the same run (BM_SaveOneChange).
#include "bench/window_bench_support.h"
#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/record_file_set.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/model/account_generator.h"
#include "view/image_table.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

model_test::AccountShape Account()
{
    model_test::AccountShape shape;
    shape.organizers = 200;
    shape.records = 100000;
    shape.birthdays = 500;
    shape.multiDayPercent = 10;
    return shape;
}

// The GUI and the program's globals in a private home, and the account
// written once to its file; shared by both benchmarks.
model_test::AccountWorkspace& Workspace()
{
    static model_test::AccountWorkspace* workspace = [] {
        StartWindowBenchGlobals("shut-down-bench");
        auto* made = new model_test::AccountWorkspace();
        model_test::GenerateAccount(made->Pim(), Account());
        made->Pim().Save(true, false);
        return made;
    }();
    return *workspace;
}

// A freshly loaded set in PIM[0] with one record changed and queued.
TNPIM& LoadWithOneChange(model_test::AccountWorkspace& workspace, int32_t round)
{
    raf.closeFile(workspace.Fid(), false);
    TNPIM& pim = workspace.FreshSet();
    pim.Load(nullptr);
    TNModelWriteGuard writing;
    TNPIMRecords& records = *pim.Records;
    const int32_t position = (round * 7919) % records.Count;
    TNPIMRecord& record = *records.Items[position];
    record.Text.Set(round % 2 == 0 ? "Porada ve středu" : "Porada ve čtvrtek");
    raf.Items[static_cast<size_t>(workspace.Fid())]->add_toSave(raftRecord, record.ID, position, record.Deleted, true,
                                                                false);
    return pim;
}

void BM_SaveOneChange(benchmark::State& state)
{
    model_test::AccountWorkspace& workspace = Workspace();
    int32_t round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TNPIM& pim = LoadWithOneChange(workspace, ++round);
        state.ResumeTiming();
        pim.Save(true, false);
    }
}
BENCHMARK(BM_SaveOneChange)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExitSignedInMainWindow(benchmark::State& state)
{
    model_test::AccountWorkspace& workspace = Workspace();
    int32_t round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        g.Close = 0;
        c.RealExit = 0;
        c.ExitAllowed = 0;
        g.OnlineThreadRunning = 0;
        plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr));
        plat::Application::SetMainForm(window.get());
        window->signedIn = 1;
        window->SetBounds(0, 0, 1016, 739);
        window->CreateControlComponents(window->pControl);
        window->Show();
        window->ClickOnControlButton("btnControlHomepage");
        plat::testing::Flush();
        LoadWithOneChange(workspace, ++round);
        state.ResumeTiming();

        window->mnuExitClick();

        state.PauseTiming();
        if (g.Close == 0)
            state.SkipWithError("the window did not close");
        window.reset();
        ImageTable.Clear();
        plat::testing::Flush();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExitSignedInMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
