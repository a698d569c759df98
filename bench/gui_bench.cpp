// Goals: TextWidth of a 20-character text at most 2 us; creating, parenting
// and laying out 1,000 panels with four graphic children each at most
// 100 ms; one paint of a form with 5,000 graphic controls at most 20 ms.
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "platform/gui/text_metrics.h"
#include "platform/testing/gui_harness.h"

#include <benchmark/benchmark.h>

namespace {

using namespace plat;
namespace harness = plat::testing;

void TextWidthOf20Characters(benchmark::State& state)
{
    harness::StartOffscreenGui();
    TFont font;
    font.SetName("Roboto Condensed");
    font.SetSize(10);
    const std::string text = "Porada s klientem 12";
    TextMetrics::TextWidth(font, text);
    for (auto _ : state)
        benchmark::DoNotOptimize(TextMetrics::TextWidth(font, text));
}
BENCHMARK(TextWidthOf20Characters);

void ThousandPanelsWithFourChildren(benchmark::State& state)
{
    harness::StartOffscreenGui();
    for (auto _ : state) {
        TOwned<TForm> form(new TForm);
        form->SetBounds(0, 0, 1000, 800);
        form->Show();
        for (int i = 0; i < 1000; ++i) {
            auto* panel = new TPanel(form.get());
            panel->SetBevelOuter(TBevelCut::bvNone);
            auto* gradient = new TJvGradient(form.get());
            gradient->SetAlign(TAlign::alClient);
            gradient->SetParent(panel);
            auto* label = new TLabel(form.get());
            label->SetCaption("Status text");
            label->SetParent(panel);
            auto* image = new TImage(form.get());
            image->SetBounds(2, 2, 16, 16);
            image->SetParent(panel);
            auto* overlay = new TLabel(form.get());
            overlay->SetTransparent(true);
            overlay->SetAutoSize(false);
            overlay->SetParent(panel);
            panel->SetBounds((i % 40) * 25, (i / 40) * 30, 24, 28);
            overlay->SetBounds(0, 0, 24, 28);
            panel->SetParent(form.get());
        }
        state.PauseTiming();
        form.reset();
        harness::Flush();
        state.ResumeTiming();
    }
}
BENCHMARK(ThousandPanelsWithFourChildren)->Unit(benchmark::kMillisecond);

void PaintFormWith5000GraphicControls(benchmark::State& state)
{
    harness::StartOffscreenGui();
    TOwned<TForm> form(new TForm);
    form->SetBounds(0, 0, 1000, 1000);
    for (int i = 0; i < 5000; ++i) {
        const int left = (i % 50) * 20;
        const int top = (i / 50) * 10;
        TGraphicControl* control = nullptr;
        switch (i % 3) {
        case 0: {
            auto* label = new TLabel(form.get());
            label->SetCaption("Aa 12");
            control = label;
            break;
        }
        case 1:
            control = new TShape(form.get());
            break;
        default:
            control = new TJvGradient(form.get());
            break;
        }
        control->SetBounds(left, top, 19, 9);
        control->SetParent(form.get());
    }
    form->Show();
    harness::Flush();
    for (auto _ : state)
        harness::Render(*form);
}
BENCHMARK(PaintFormWith5000GraphicControls)->Unit(benchmark::kMillisecond);

} // namespace
