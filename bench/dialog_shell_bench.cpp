// Targets: under 5 ms opening, building, showing (the modal loop closed at
// once) and freeing a dialog; under 5 ms a message box nested over an open
// dialog; under 5 ms the time picker's minutes grid shown (60 buttons made)
// and closed (freed).
#include "bench/window_bench_support.h"
#include "dialog/selectorfrm.h"
#include "dialog/unidlg.h"
#include "dialog/unidlg_pages.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>

namespace {

// The main window, the dialog and the picker, once per process; every
// shown dialog runs the current step inside its modal loop.
std::function<void(TfrmUnidlgDLMR1&)> shownStep;

TfrmMainDLMR1& Ready()
{
    static TfrmMainDLMR1* main = [] {
        StartWindowBenchGlobals("dialog-shell-bench");
        InstallUniversalDialog();
        TNUniDialogPage page;
        page.Key = "BenchPage";
        page.Build = [](TfrmUnidlgDLMR1& dialog) {
            dialog.SetClientWidth(400);
            dialog.SetClientHeight(200);
            return true;
        };
        page.Close = {"Zavřít", 93};
        page.Ulozit = {"Uložit", 93};
        AddUniDialogPage(page);
        new plat::testing::ScopedModalScript([](plat::TForm& form) {
            auto* dialog = dynamic_cast<TfrmUnidlgDLMR1*>(&form);
            if (dialog != nullptr && shownStep && dialog->Key == "BenchPage")
                shownStep(*dialog);
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

void OpenShowAndFreeADialog(benchmark::State& state)
{
    TfrmMainDLMR1& main = Ready();
    shownStep = nullptr;
    for (auto _ : state)
        main.UniDialog("BenchPage", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
    plat::testing::Flush();
}
BENCHMARK(OpenShowAndFreeADialog)->Unit(benchmark::kMillisecond);

void NestedMessageBox(benchmark::State& state)
{
    TfrmMainDLMR1& main = Ready();
    for (auto _ : state) {
        double seconds = 0;
        shownStep = [&](TfrmUnidlgDLMR1& dialog) {
            const auto start = std::chrono::steady_clock::now();
            dialog.MB("Záznam nelze uložit.\nChybí název.", "Chyba", 0x30);
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        main.UniDialog("BenchPage", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
        state.SetIterationTime(seconds);
    }
    shownStep = nullptr;
    plat::testing::Flush();
}
BENCHMARK(NestedMessageBox)->UseManualTime()->Unit(benchmark::kMillisecond);

void MinutesGrid(benchmark::State& state)
{
    Ready();
    for (auto _ : state) {
        frmSelector->Open(2, nullptr, 0, nullptr, 30);
        frmSelector->Close();
    }
    plat::testing::Flush();
}
BENCHMARK(MinutesGrid)->Unit(benchmark::kMillisecond);

} // namespace
