// Targets: under 20 us the new-account wizard's live check of a
// 128-character text (it runs on every keystroke); under 10 ms building,
// laying out and freeing the e-mail page (the modal loop closed at once).
#include "bench/window_bench_support.h"
#include "dialog/new_account_check.h"
#include "dialog/selectorfrm.h"
#include "dialog/unidlg.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/gui_seams.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void LiveCheckOfALongText(benchmark::State& state)
{
    const std::string password(35, 'p');
    const std::string text[] = {std::string(128, 'a'), std::string(128, 'b'), std::string(118, 'c') + "@example.cz"};
    const int32_t steps[] = {0, 4, 2};
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckNewAccountStep(steps[kind], text[kind], password));
}
BENCHMARK(LiveCheckOfALongText)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

TfrmMainDLMR1& Ready()
{
    static TfrmMainDLMR1* main = [] {
        StartWindowBenchGlobals("dialog-account-bench");
        InstallUniversalDialog();
        new plat::testing::ScopedModalScript([](plat::TForm& form) { form.Close(); });
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

void BuildTheEmailPage(benchmark::State& state)
{
    TfrmMainDLMR1& main = Ready();
    for (auto _ : state)
        main.UniDialog("ChangeEmail", nullptr, 1, 0, 0, 0, 0, 0, 0, 0);
    plat::testing::Flush();
}
BENCHMARK(BuildTheEmailPage)->Unit(benchmark::kMillisecond);

} // namespace
