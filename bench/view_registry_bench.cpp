// The registry, indexed by name, id and control. Targets: under 20 us a
// creation with 5,000 live items (of no kind: the registry alone, without a
// kind's controls), under 50 ms to delete a day box holding 1,000 cards
// (with the repaint that follows when the form is shown).
#include "platform/gui/form.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A component with a panel on `parent`, as a kind's create operation
// leaves it, so that its own children link to it.
TNViewItem* Make(plat::TForm& form, int8_t kind, const std::string& name, plat::TWinControl* parent)
{
    TNViewItem* item = View.CreateComponent(kind, name.c_str(), &form, parent, 0, "", 1, -1, nullptr, nullptr, 3);
    auto* panel = new plat::TPanel(&form);
    panel->SetParent(parent);
    item->Panel = panel;
    return item;
}

void FreshView()
{
    DestroyViewGlobals();
    ConstructViewGlobals();
}

void CreateWithFiveThousandLiveItems(benchmark::State& state)
{
    plat::testing::StartOffscreenGui();
    FreshView();
    plat::TOwned<plat::TForm> form(new plat::TForm);
    for (int i = 0; i < 5000; ++i)
        Make(*form, cmpNone, "item" + std::to_string(i), form.get());
    // Batches of creations, each deleted untimed, keep 5,000 to 5,100 live.
    constexpr int kBatch = 100;
    int n = 0;
    for (auto _ : state) {
        const std::string name = "new" + std::to_string(n++);
        benchmark::DoNotOptimize(
            View.CreateComponent(cmpNone, name.c_str(), form.get(), form.get(), 0, "", 1, -1, nullptr, nullptr, 3));
        if (n % kBatch == 0) {
            state.PauseTiming();
            for (int i = n - kBatch; i < n; ++i)
                View.DeleteComponent(("new" + std::to_string(i)).c_str(), true);
            state.ResumeTiming();
        }
    }
    DestroyViewGlobals();
}
BENCHMARK(CreateWithFiveThousandLiveItems);

// Cards spread over the day box, as a month's cells place them; on a shown
// form Qt also hides and repaints what goes.
void DeleteDaybox(benchmark::State& state, bool shown)
{
    plat::testing::StartOffscreenGui();
    for (auto _ : state) {
        state.PauseTiming();
        FreshView();
        plat::TOwned<plat::TForm> form(new plat::TForm);
        form->SetBounds(0, 0, 1000, 800);
        TNViewItem* daybox = Make(*form, cmpDaybox, "daybox", form.get());
        daybox->Panel->SetBounds(0, 0, 1000, 800);
        for (int i = 0; i < 1000; ++i) {
            TNViewItem* card = Make(*form, cmpRecord, "card" + std::to_string(i), daybox->Panel.Get());
            card->ParentItem = daybox;
            card->Panel->SetBounds((i % 40) * 25, (i / 40) * 32, 24, 30);
        }
        if (shown) {
            form->Show();
            plat::testing::Flush();
        }
        state.ResumeTiming();
        View.DeleteComponent("daybox", true);
        if (shown)
            plat::testing::Flush();
        state.PauseTiming();
        form.reset();
        plat::testing::Flush();
        state.ResumeTiming();
    }
    DestroyViewGlobals();
}

void DeleteDayboxWithThousandCards(benchmark::State& state)
{
    DeleteDaybox(state, false);
}
BENCHMARK(DeleteDayboxWithThousandCards)->Unit(benchmark::kMillisecond);

void DeleteShownDayboxWithThousandCards(benchmark::State& state)
{
    DeleteDaybox(state, true);
}
BENCHMARK(DeleteShownDayboxWithThousandCards)->Unit(benchmark::kMillisecond);

} // namespace
