// Targets: under 50 us a wheel step over 5,000 view components of which 300
// are scroll boxes of the shown page; under 20 us choosing the newest of
// 1,000 information messages.
#include "bench/window_bench_support.h"
#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/info_messages.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "view/view.h"
#include "view/view_item.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void Ready()
{
    static bool ready = [] {
        StartWindowBenchGlobals("input-bench");
        return true;
    }();
    (void)ready;
}

void MouseWheelOverFiveThousandComponents(benchmark::State& state)
{
    Ready();
    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr));
    window->signedIn = 1;
    window->SetBounds(0, 0, 1016, 739);
    window->CreateControlComponents(window->pControl);
    window->Show();
    window->ClickOnControlButton("btnControlHomepage");
    window->pHpDesk->SetBounds(0, 0, 900, 600);
    TNViewItem* target = nullptr;
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "benchItem" + std::to_string(i);
        // Every 16th and a bit is a scroll box: 300 in all.
        const bool box = i % 16 == 0 && i / 16 < 300;
        TNViewItem* item = View.CreateComponent(box ? cmpScrollbox : cmpEdit, name.c_str(), window.get(),
                                                window->pHpDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        if (!box || item == nullptr)
            continue;
        View.GetActiveInner(item)->ContentPanel.Get()->SetHeight(2000);
        View.ResizeScrollbox(item, (i / 16) % 10 * 80, (i / 160) * 16, 70, 200, true, 1, 0, "bench");
        if (i / 16 == 150)
            target = item;
    }
    const plat::TPoint point = target->Scrollbox.Get()->ClientToScreen(plat::TPoint{10, 10});
    bool up = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(window->MouseWheel(point, up));
        up = !up;
    }
    View.DeleteComponentsByFormHandle(window.get());
    window.reset();
    plat::testing::Flush();
}
BENCHMARK(MouseWheelOverFiveThousandComponents)->Unit(benchmark::kMicrosecond);

void NewestOfAThousandInformationMessages(benchmark::State& state)
{
    TNInfoMessages messages;
    for (int i = 0; i < 1000; ++i)
        messages.Add("Zpráva pro uživatele", "Kliknutím otevřete stránku", false, 0, i);
    for (auto _ : state)
        benchmark::DoNotOptimize(messages.NewestIndex());
}
BENCHMARK(NewestOfAThousandInformationMessages)->Unit(benchmark::kMicrosecond);

} // namespace
