// Targets: a dialog page of 30 fields (the record editor's size) created
// and laid out in at most 30 ms; one keystroke through the number edit's
// change handling in at most 50 us.
#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// The record editor's mix of kinds, 30 fields.
constexpr int8_t kPageKinds[] = {
    cmpEdit,     cmpMemo,      cmpDate,       cmpDate,  cmpCheckbox,   cmpPriority,   cmpVisibility, cmpComboBox,
    cmpComboBox, cmpComboBox2, cmpComboBox3,  cmpAlert, cmpAlert,      cmpNumberEdit, cmpNumberEdit, cmpLabel,
    cmpLabel,    cmpListBox,   cmpShareWith,  cmpEdit,  cmpEdit,       cmpCheckbox,   cmpCheckbox,   cmpRepeatInterval,
    cmpComboBox, cmpEdit,      cmpNumberEdit, cmpLabel, cmpIconButton, cmpImage,
};

void FreshView()
{
    DestroyViewGlobals();
    ConstructViewGlobals();
}

void CreateAndLayOutDialogPage(benchmark::State& state)
{
    plat::testing::StartOffscreenGui();
    for (auto _ : state) {
        state.PauseTiming();
        FreshView();
        plat::TOwned<plat::TForm> form(new plat::TForm);
        form->SetBounds(0, 0, 700, 900);
        auto* page = new plat::TPanel(form.get());
        page->SetBounds(0, 0, 700, 900);
        page->SetParent(form.get());
        form->Show();
        state.ResumeTiming();

        TNViewItem* items[std::size(kPageKinds)] = {};
        for (size_t i = 0; i < std::size(kPageKinds); ++i) {
            const std::string name = "field" + std::to_string(i);
            const std::string caption = "Pole " + std::to_string(i);
            items[i] = View.CreateComponent(kPageKinds[i], name.c_str(), form.get(), page, 0, caption.c_str(), 1, -1,
                                            nullptr, nullptr, 3);
        }
        int top = 0;
        for (TNViewItem* item : items) {
            View.ResizeComponent(item, 8, top, 680, 25, true);
            top += item->Panel->Height() + 4;
        }
        plat::testing::Flush();

        state.PauseTiming();
        form.reset();
        FreshView();
        state.ResumeTiming();
    }
}
BENCHMARK(CreateAndLayOutDialogPage)->Unit(benchmark::kMillisecond);

void NumberEditKeystroke(benchmark::State& state)
{
    plat::testing::StartOffscreenGui();
    FreshView();
    plat::TOwned<plat::TForm> form(new plat::TForm);
    TNViewItem* item = View.CreateComponent(cmpNumberEdit, "numberCount", form.get(), form.get(), 0, "Počet", 1, -1,
                                            nullptr, nullptr, 3);
    View.ResizeComponent(item, 0, 0, 400, 0, true);
    plat::TFlatEdit* edit = item->Edits[1].Get();
    bool longer = false;
    for (auto _ : state) {
        // Each change of the text runs the change handling once.
        edit->SetText(longer ? "123" : "12");
        longer = !longer;
    }
    benchmark::DoNotOptimize(item->Value);
    form.reset();
    FreshView();
}
BENCHMARK(NumberEditKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace
