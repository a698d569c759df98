// Targets: under 1 ms one preview refresh of the recurrence page (the rule
// from the components, the expansion of 11, the label), since it runs on
// every change; under 20 ms building and laying out the page (opened over
// a dialog holding a working record, shown and closed at once).
#include "bench/window_bench_support.h"
#include "dialog/selectorfrm.h"
#include "dialog/unidlg.h"
#include "dialog/unidlg_pages.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/record.h"
#include "platform/gui/check_box.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/list_box.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

// What runs inside the recurrence page's modal loop, and inside the
// opener's.
std::function<void(TfrmUnidlgDLMR1&)> pageStep;
std::function<void(TfrmUnidlgDLMR1&)> openerStep;

TfrmMainDLMR1& Ready()
{
    static TfrmMainDLMR1* main = [] {
        StartWindowBenchGlobals("dialog-recurrence-bench");
        InstallUniversalDialog();
        // Stands in for the record editor: a dialog with a working record.
        TNUniDialogPage page;
        page.Key = "BenchOpener";
        page.Build = [](TfrmUnidlgDLMR1& dialog) {
            dialog.SetClientWidth(400);
            dialog.SetClientHeight(200);
            dialog.workingRecord = std::make_unique<TNPIMRecord>();
            dialog.workingRecord->HasBegin = true;
            dialog.workingRecord->Begin.SetDate(1, 6, 2026);
            dialog.workingRecord->Begin.NastavCas(10, 0);
            return true;
        };
        page.Close = {"Zavřít", 93};
        AddUniDialogPage(page);
        new plat::testing::ScopedModalScript([](plat::TForm& form) {
            auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
            if (dialog != nullptr && dialog->Key == "BenchOpener" && openerStep)
                openerStep(*dialog);
            if (dialog != nullptr && dialog->Key == "RecordRecurrence" && pageStep)
                pageStep(*dialog);
            form.Close();
        });
        static plat::GuiMainLoop loop;
        plat::SetMainLoop(&loop);
        auto* window = new TfrmMainDLMR1(nullptr);
        plat::Application::SetMainForm(window);
        window->Show();
        new TfrmSelector();
        return window;
    }();
    return *main;
}

void OpenRecurrencePage()
{
    openerStep = [](TfrmUnidlgDLMR1& opener) { opener.UniDialog("RecordRecurrence", 0, 0, 0, 0, 0, 0, 0, 1); };
    Ready().UniDialog("BenchOpener", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
    openerStep = nullptr;
}

void PreviewRefresh(benchmark::State& state)
{
    Ready();
    pageStep = [&](TfrmUnidlgDLMR1& page) {
        TNViewItem* frequency = View.GetComponent("list8Frequency");
        frequency->ListBox->SetItemIndex(3);
        frequency->OnChange(frequency);
        View.SetCheckboxValue("check8WeeklyDay1", true);
        View.SetCheckboxValue("check8WeeklyDay3", true);
        for (auto _ : state)
            page.ShowRecurrencePreview();
        if (View.GetComponent("label8Preview")->Shown != 1)
            state.SkipWithError("the preview listed nothing");
    };
    OpenRecurrencePage();
    pageStep = nullptr;
    plat::testing::Flush();
}
BENCHMARK(PreviewRefresh)->Unit(benchmark::kMicrosecond);

void BuildAndLayOutThePage(benchmark::State& state)
{
    Ready();
    for (auto _ : state) {
        double seconds = 0;
        openerStep = [&](TfrmUnidlgDLMR1& opener) {
            const auto start = std::chrono::steady_clock::now();
            opener.UniDialog("RecordRecurrence", 0, 0, 0, 0, 0, 0, 0, 1);
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        Ready().UniDialog("BenchOpener", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
        state.SetIterationTime(seconds);
    }
    openerStep = nullptr;
    plat::testing::Flush();
}
BENCHMARK(BuildAndLayOutThePage)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
