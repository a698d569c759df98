// Targets: under 8 ms one thumb-move event (with its repaint) over a day box
// holding 300 cards and over a virtual list of 2,000 rows; under 5 us a
// scroll-box layout at an unchanged size (logging off); under 50 us moving
// the red line of a week day box.
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// A shown window with a 400 px high scroll box over 1,920 px of content.
struct ScrollScene {
    plat::TOwned<plat::TForm> form;
    TNViewItem* box = nullptr;

    ScrollScene()
    {
        plat::testing::StartOffscreenGui();
        form.reset(new plat::TForm);
        DestroyViewGlobals();
        ConstructViewGlobals();
        form->SetBounds(0, 0, 800, 600);
        box = View.CreateComponent(cmpScrollbox, "scrollBench", form.get(), form.get(), 0, "", 1, -1, nullptr, nullptr,
                                   3);
        box->Inners[0]->ContentPanel.Get()->SetHeight(1920);
        View.ResizeScrollbox(box, 0, 0, 780, 404, true, 1, 0, "bench");
        form->Show();
    }
    ~ScrollScene()
    {
        form.reset();
        DestroyViewGlobals();
        ConstructViewGlobals();
    }

    // Drags the thumb by one event per iteration, up and down.
    void Drag(benchmark::State& state)
    {
        plat::TLabel* thumb = box->Thumb.Get();
        plat::TJvPanel* track = box->TrackPanel.Get();
        plat::testing::MousePress(*thumb, 2, 0);
        int step = 0;
        for (auto _ : state)
            plat::testing::MouseMove(*track, 5, 50 + (step++ % 2) * 100);
        // Shows that the events dragged the thumb.
        state.counters["thumbTop"] = thumb->Top();
        plat::testing::MouseRelease(*track, 5, 50);
    }
};

void ThumbMoveOverDayboxWith300Cards(benchmark::State& state)
{
    ScrollScene scene;
    plat::TJvPanel* content = scene.box->Inners[0]->ContentPanel.Get();
    TNViewItem* daybox =
        View.CreateComponent(cmpDaybox, "dayboxBench", scene.form.get(), content, 0, "", 1, -1, nullptr, scene.box, 3);
    daybox->daybox_mode = 34;
    daybox->ResizeAllDays(7);
    View.ResizeDaybox(daybox, 0, 0, 760, 1920, true, true, false);
    for (int i = 0; i < 300; ++i) {
        auto* card = new plat::TPanel(scene.form.get());
        card->SetBounds(55 + (i % 7) * 100, (i / 7) * 44, 90, 40);
        card->SetCaption("Karta " + std::to_string(i));
        card->SetParent(daybox->Panel.Get());
    }
    scene.Drag(state);
}
BENCHMARK(ThumbMoveOverDayboxWith300Cards)->Unit(benchmark::kMillisecond);

void ThumbMoveOverVirtualListOf2000Rows(benchmark::State& state)
{
    ScrollScene scene;
    scene.box->VirtualHeight = 2000 * 32;
    scene.box->Inners[0]->ListItemsCount = 2000;
    scene.box->AlwaysShowScrollbar = 1;
    scene.box->Inners[0]->ContentPanel.Get()->SetHeight(400);
    View.ResizeScrollbox(scene.box, 0, 0, 780, 404, true, 1, 0, "bench");
    scene.Drag(state);
}
BENCHMARK(ThumbMoveOverVirtualListOf2000Rows)->Unit(benchmark::kMillisecond);

void ResizeScrollboxAtUnchangedSize(benchmark::State& state)
{
    ScrollScene scene;
    for (auto _ : state)
        benchmark::DoNotOptimize(View.ResizeScrollbox(scene.box, 0, 0, 780, 404, false, 1, 0, "bench"));
}
BENCHMARK(ResizeScrollboxAtUnchangedSize);

void UpdateRedlineOnWeekBox(benchmark::State& state)
{
    ScrollScene scene;
    TNViewItem* daybox =
        View.CreateComponent(cmpDaybox, "dayboxBench", scene.form.get(), scene.box->Inners[0]->ContentPanel.Get(), 0,
                             "", 1, -1, nullptr, scene.box, 3);
    daybox->daybox_mode = 34;
    daybox->ResizeAllDays(7);
    View.ResizeDaybox(daybox, 0, 0, 755, 1920, true, true, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(View.UpdateRedline(daybox));
}
BENCHMARK(UpdateRedlineOnWeekBox)->Unit(benchmark::kMicrosecond);

} // namespace
