// The main window's status bar and the frame of panels around its pages.

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "platform/gui/form.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view.h"

#include <cstdio>
#include <ctime>
#include <string>

namespace {

struct StatusPanelLayout {
    int32_t Tag;
    bool Clickable;
    int32_t IconIndex;
    int32_t Width;
};

// Panels 1 to 9: connection, version, three social-network pages, support,
// status, warning, and the filler at the left.
constexpr StatusPanelLayout kStatusPanels[TNView::kStatusBarCount] = {
    {0, false, -1, 10}, {1, true, -1, -1}, {2, true, 3, -1},   {3, true, 2, -1},    {6, true, 15, -1},
    {4, true, 8, -1},   {0, false, 1, -1}, {0, false, 17, -1}, {0, false, -1, 250},
};

std::string VersionText()
{
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", App.VersionMajor, App.VersionMinor);
    return text;
}

// "Verze aplikace", the program file's modification time and its path.
std::string VersionHint()
{
    std::string path = plat::ProgramFile();
    std::string hint = "Verze aplikace\n";
    int64_t seconds = 0;
    if (!path.empty() && plat::ModificationTime(path, seconds)) {
        std::time_t when = static_cast<std::time_t>(seconds);
        std::tm local{};
        localtime_r(&when, &local);
        char text[32];
        std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
        hint += text;
    }
    return hint + "\n" + path;
}

// A fixed panel of the main window that takes part in the layout.
plat::TPanel* Shown(TNMainPanel which)
{
    plat::TPanel* panel = ViewMain::FixedPanel(which);
    return panel != nullptr && panel->Visible() ? panel : nullptr;
}

// Rows taken by bars aligned to the window's top (the information strip
// while it is open): the frame starts below them.
int32_t TopBarsHeight(const plat::TForm& form)
{
    int32_t height = 0;
    for (int i = 0; i < form.ControlCount(); ++i) {
        const plat::TControl* child = form.Controls(i);
        if (child->Visible() && child->Align() == plat::TAlign::alTop)
            height += child->Height();
    }
    return height;
}

std::string ActivePage()
{
    auto* notebook = dynamic_cast<plat::TNotebook*>(ViewMain::gDesk());
    return notebook != nullptr ? notebook->ActivePage() : std::string();
}

} // namespace

bool TNView::InitMainStatusBar()
{
    return Guarded("[TNView::InitMainStatusBar]", false, [&] {
        if (StatusBarInitialised == 1)
            return true;
        plat::TForm* form = ViewMain::MainForm();
        if (form == nullptr)
            return false;
        const std::string texts[kStatusBarCount] = {"", VersionText(), "", "", "", "", "Připojuji k serveru...", "",
                                                    ""};
        const char* hints[kStatusBarCount] = {"",
                                              nullptr,
                                              App.TwitterCaption,
                                              App.FacebookCaption,
                                              App.InstagramCaption,
                                              "Technická podpora na internetu",
                                              nullptr,
                                              nullptr,
                                              nullptr};
        const std::string versionHint = VersionHint();
        hints[1] = versionHint.c_str();
        for (int32_t i = 0; i < kStatusBarCount; ++i) {
            const StatusPanelLayout& panel = kStatusPanels[i];
            TNStatusBar& bar = StatusBars[i];
            if (!bar.Create(panel.Tag, form, panel.Clickable, false, panel.IconIndex, texts[i].c_str(), form))
                continue;
            if (hints[i] != nullptr)
                bar.SetHint(hints[i]);
            if (i == 0)
                bar.SetGradient(0xE6E6E6, 0x808080, "");
            bar.SetBounds(0, 0, panel.Width, StatusBarHeight);
        }
        StatusBarInitialised = 1;
        return true;
    });
}

void TNView::ResizeMainStatusBar()
{
    Guarded("[TNView::ResizeMainStatusBar]", [&] {
        if (!InitMainStatusBar())
            return;
        for (TNStatusBar& bar : StatusBars) {
            if (plat::TPanel* panel = bar.Panel())
                panel->SetVisible(StatusBarVisible == 1);
        }
        if (StatusBarVisible == 0)
            return;
        int32_t x = MainFormWidth;
        for (int32_t i = 0; i < 8; ++i) {
            int32_t width = 0;
            int32_t height = 0;
            StatusBars[i].GetSize(&width, &height);
            // Status and warning take room only while they show something.
            if (i >= 6 && width <= 0)
                continue;
            x = x - width - 2;
            StatusBars[i].SetPos(x, MainFormHeight - height - 2);
        }
        TNStatusBar& filler = StatusBars[8];
        int32_t height = 0;
        filler.GetSize(nullptr, &height);
        filler.SetBounds(2, MainFormHeight - height - 2, x - 4, StatusBarHeight);
    });
}

void TNView::ResizeMainForm()
{
    Guarded("[TNView::ResizeMainForm]", [&] {
        const std::string page = ActivePage();
        if (page == "Pomocne")
            return;
        plat::TForm* form = ViewMain::MainForm();
        if (form == nullptr)
            return;
        const int32_t W = form->ClientWidth();
        const int32_t H = form->ClientHeight();
        MainFormWidth = W;
        MainFormHeight = H;
        DayTitleWidth = 7 * ViewMain::DayCellSize() + 7;

        ResizeMainStatusBar();
        plat::TPanel* filler = StatusBars[8].Panel();
        const int32_t sb = StatusBarVisible == 1 && filler != nullptr ? H - filler->Top() : 0;

        int32_t t = TopBarsHeight(*form);
        if (plat::TPanel* spare1 = Shown(mpSpare1)) {
            spare1->SetBounds(0, t, W, 30);
            t += spare1->Height();
        }
        int32_t ws = 0;
        if (plat::TPanel* scrollbar = Shown(mpScrollbar)) {
            ws = 17;
            scrollbar->SetBounds(W - 17, t, 17, H - t);
            ViewMain::ResizeScrollbar(W, H, 17, scrollbar->Height());
        }
        int32_t hh = 0;
        if (plat::TPanel* header = Shown(mpHeader)) {
            hh = H >= 750 ? 63 : H >= 700 ? 53 : 43;
            header->SetBounds(0, t, W - ws, hh);
            hh = header->Height();
            ViewMain::ResizeHeaderComponents(W, H);
        }
        bool wide = true;
        int32_t wc = 0;
        int32_t hc = 0;
        if (plat::TPanel* control = Shown(mpControl)) {
            wide = W > TNCommon::NarrowWindowWidth;
            if (wide) {
                wc = 104;
                control->SetBounds(0, t + hh, 104, H - t - hh);
            } else {
                hc = 64;
                control->SetBounds(0, H - 64 - sb, W, 64);
            }
            ViewMain::ResizeControl(W, H, hc, wc);
        }
        int32_t w2 = 0;
        if (plat::TPanel* spare2 = Shown(mpSpare2)) {
            w2 = 32;
            spare2->SetBounds(W - ws - 32, t + hh, 32, H - t - hh - hc - sb);
        }
        int32_t h3 = 0;
        if (plat::TPanel* spare3 = Shown(mpSpare3)) {
            if (W <= TNCommon::NarrowWindowWidth) {
                spare3->SetBounds(spare3->Left(), -1, spare3->Width(), 0);
            } else {
                // In this order: after a narrow layout the top comes from height 0.
                spare3->SetLeft(wc);
                spare3->SetTop(H - spare3->Height() - sb);
                spare3->SetWidth(W - wc - w2 - ws);
                spare3->SetHeight(21);
            }
            h3 = spare3->Height();
        }
        int32_t wz = 0;
        int32_t p = 0;
        plat::TPanel* zentor = ViewMain::FixedPanel(mpZentor);
        if (zentor != nullptr && zentor->Visible()) {
            zentor->SetBounds(wide ? wc : 14, t + hh, DayTitleWidth, H - t - hh - hc - h3 - sb);
            wz = zentor->Width();
            p = wide ? 0 : 14;
            ViewMain::ResizeZentor(W, H, zentor->Height(), wz);
        }
        int32_t m = 14;
        int32_t g = 1;
        if (page == "Login") {
            m = 0;
            g = 0;
        } else if (zentor != nullptr && !zentor->Visible()) {
            g = wide ? 14 : 0;
        }
        if (plat::TPanel* desk = ViewMain::pDesk()) {
            const int32_t left = p + wc + wz + m - g;
            desk->SetBounds(left, t + hh + m, W - left - w2 - ws - m, H - t - hh - m - sb - hc - h3 - m);
        }
        // The window works out its own scroll bar when it changes, not when
        // its children move: the frame just placed (after the menu bar took
        // its row, say) may no longer need the bar shown for the old one.
        form->SetVertScrollPosition(form->VertScrollPosition());
        if (auto* timer = dynamic_cast<plat::TTimer*>(ViewMain::timerResize())) {
            timer->SetInterval(1);
            timer->SetEnabled(true);
        }
    });
}
