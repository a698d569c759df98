// Targets: under 2 ms a main window layout with its status bar; under 10 ms
// loading the 66 named pictures of start-up, the program's own files as the
// build leaves them; under 30 ms laying out 1,000 buttons with icon, text and
// badge at a new width.
#include "platform/gui/form.h"
#include "platform/gui/image_list.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/program_pictures.h"
#include "view/view.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// A main window with its fixed panels, page area, icons and resize timer.
struct Frame {
    Frame()
    {
        plat::testing::StartOffscreenGui();
        DestroyViewGlobals();
        ConstructViewGlobals();
        form.reset(new plat::TForm);
        for (auto*& panel : panels) {
            panel = new plat::TPanel(form.get());
            panel->SetParent(form.get());
        }
        panels[mpSpare3]->SetHeight(21);
        desk = new plat::TPanel(form.get());
        desk->SetParent(form.get());
        timer = new plat::TTimer(form.get());
        timer->SetEnabled(false);
        plat::TBitmap icon;
        icon.SetSize(16, 16);
        for (int i = 0; i < 18; ++i)
            icons.Add(icon);
        current = this;
        ViewMainHooks = TNViewMainHooks();
        ViewMainHooks.MainForm = [] { return current->form.get(); };
        ViewMainHooks.pDesk = [] { return current->desk; };
        ViewMainHooks.FixedPanel = [](TNMainPanel panel) { return current->panels[panel]; };
        ViewMainHooks.imagelistAction = [] { return &current->icons; };
        ViewMainHooks.timerResize = []() -> plat::TComponent* { return current->timer; };
        ViewMainHooks.ResizeZentor = [](int32_t, int32_t, int32_t, int32_t) {};
        ViewMainHooks.ResizeHeaderComponents = [](int32_t, int32_t) {};
        ViewMainHooks.ResizeControl = [](int32_t, int32_t, int32_t, int32_t) {};
        ViewMainHooks.ResizeScrollbar = [](int32_t, int32_t, int32_t, int32_t) {};
        ViewMainHooks.gDesk = []() -> plat::TWinControl* { return nullptr; };
    }
    ~Frame()
    {
        ImageTable.Clear();
        DestroyViewGlobals();
        ConstructViewGlobals();
        ViewMainHooks = TNViewMainHooks();
        current = nullptr;
    }

    static Frame* current;
    plat::TOwned<plat::TForm> form;
    plat::TPanel* panels[kMainPanelCount] = {};
    plat::TPanel* desk = nullptr;
    plat::TTimer* timer = nullptr;
    plat::TImageList icons{16, 16};
};
Frame* Frame::current = nullptr;

void MainFormLayout(benchmark::State& state)
{
    Frame frame;
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        frame.form->SetBounds(0, 0, wide ? 1280 : 790, wide ? 900 : 690);
        View.ResizeMainForm();
    }
}
BENCHMARK(MainFormLayout);

void LoadStartUpPictures(benchmark::State& state)
{
    Frame frame;
    for (auto _ : state) {
        state.PauseTiming();
        ImageTable.Clear();
        state.ResumeTiming();
        for (const TNProgramPicture& picture : ProgramPictures()) {
            if (picture.ImageName != nullptr)
                benchmark::DoNotOptimize(ImageTable.LoadImageFromFile(
                    picture.ImageName, (std::string(DALMORA_PROGRAM_DIR) + picture.File).c_str()));
        }
    }
}
BENCHMARK(LoadStartUpPictures)->Unit(benchmark::kMillisecond);

void LayOutThousandButtons(benchmark::State& state)
{
    Frame frame;
    ImageTable.CreateBlankImage("imgIcon", 16, 16, 0xC08040);
    std::vector<TNViewItem*> buttons;
    for (int i = 0; i < 1000; ++i) {
        auto* shape = new TNViewItem();
        shape->Init();
        View.SetDefaultsByItemType(shape, cmpButton);
        shape->ButtonTitle = TNString("Týden");
        shape->IconName = TNString("imgIcon");
        shape->IconPosition = 3;
        const std::string name = "button" + std::to_string(i);
        TNViewItem* button = View.CreateComponent(cmpButton, name.c_str(), frame.form.get(), frame.desk, 0, "", 1, -1,
                                                  shape, nullptr, 3);
        View.SetButtonTitle(button, "Týden", "12", 0xFFFFFF, 0x808080, false, false);
        buttons.push_back(button);
    }
    int width = 100;
    for (auto _ : state) {
        width = width == 100 ? 140 : 100;
        for (TNViewItem* button : buttons)
            View.ResizeButton(button, 0, 0, width, 32, false);
    }
}
BENCHMARK(LayOutThousandButtons)->Unit(benchmark::kMillisecond);

} // namespace
