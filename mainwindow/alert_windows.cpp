// The alert windows: the pool of five, handing an alert to a slot, laying
// it out and fading it in, the blink and ring schedules, freeing a slot, and
// waking the screen.

#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/program_start.h"
#include "foundation/setup.h"
#include "mainwindow/not_window.h"
#include "mainwindow/sound_table.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/session_hooks.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/monitor.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/image_table.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kNotTop = 75;
constexpr int32_t kFirstHeight = 100;
constexpr int32_t kFadeStep = 9;
constexpr int64_t kMonitorWakeEverySeconds = 55;
constexpr uint32_t kIdleBeforeWakeSeconds = 55;
constexpr uint32_t kRingStartMs = 2500;
constexpr uint32_t kRingStepMs = 2500;
constexpr uint32_t kRingLongestMs = 300000;

constexpr plat::TColor kSilver = 0xC0C0C0;
constexpr plat::TColor kLime = 0x00FF00;
constexpr plat::TColor kGrey = 0x808080;
constexpr plat::TColor kBlinkOuter = 0x4B4B9B; // #9B4B4B
constexpr plat::TColor kBlinkInner = 0x000019; // #190000

// The window of a slot whose controls exist; null otherwise.
TfrmNotDLMR1* BuiltWindow(TfrmMainDLMR1& main, int32_t slot)
{
    if (slot < 0 || slot >= TfrmMainDLMR1::kNotSlots)
        return nullptr;
    TfrmNotDLMR1* window = main.notSlots[slot].Window;
    return window != nullptr && window->nTimer != nullptr ? window : nullptr;
}

plat::TLabel* MakeLabel(TfrmNotDLMR1& window, const char* name, const char* caption, const char* font, int size,
                        plat::TFontStyles style, plat::TColor colour)
{
    auto* label = new plat::TLabel(&window);
    label->SetName(name);
    label->SetTransparent(true);
    label->Font().SetName(font);
    label->Font().SetSize(size);
    label->Font().SetStyle(style);
    label->Font().SetColor(colour);
    label->SetCaption(caption);
    label->SetParent(window.pInner);
    return label;
}

// A command label: silver, lime under the mouse, never underlined after.
void MakeCommand(plat::TLabel& label)
{
    label.SetCursor(plat::crHandPoint);
    label.OnMouseEnter = [&label](plat::TComponent*) {
        label.Font().SetColor(kLime);
        label.Font().SetStyle(label.Font().Style() & ~plat::fsUnderline);
    };
    label.OnMouseLeave = [&label](plat::TComponent*) {
        label.Font().SetColor(kSilver);
        label.Font().SetStyle(label.Font().Style() & ~plat::fsUnderline);
    };
}

int32_t Right(const plat::TControl& control)
{
    return control.Left() + control.Width();
}

int32_t Bottom(const plat::TControl& control)
{
    return control.Top() + control.Height();
}

// Activates the form remembered before a window showed, so an alert never
// keeps the keyboard.
void ActivateAgain(const plat::TWeakRef<plat::TForm>& remembered)
{
    if (plat::TForm* form = remembered.Get())
        form->Activate();
}

void FadeIn(TfrmNotDLMR1& window)
{
    const int alpha = window.AlphaBlendValue() + kFadeStep;
    if (alpha < 255) {
        window.SetAlphaBlendValue(alpha);
        window.nTimer->SetInterval(5);
        window.nTimer->SetEnabled(true);
        return;
    }
    window.SetAlphaBlendValue(255);
    window.nTimer->SetEnabled(false);
}

} // namespace

void TfrmMainDLMR1::timerNotTimer()
{
    Guarded("[TfrmMainDLMR1::timerNotTimer]", [&] {
        // An alert handed over before the first tick still finds the pool.
        if (notWindowsCount == 0)
            CreateNotWindows();
        if (timerNot->Tag() == 1 && notWindowsCount > 0 && g.AlertDisplay.NotValue >= 0) {
            for (int32_t slot = 0; slot < kNotPoolSize; ++slot) {
                TfrmNotDLMR1* window = BuiltWindow(*this, slot);
                if (window == nullptr || window->pOuter->Tag() != 0)
                    continue;
                window->pOuter->SetTag(1);
                window->SetAlphaBlendValue(0);
                window->SetBounds(plat::Screen::Width() - alertWindowWidth - 17, kNotTop, alertWindowWidth,
                                  kFirstHeight);
                notSlots[slot].Kind = g.AlertDisplay.NotValue;
                notSlots[slot].AlertID = g.AlertDisplay.NotAlertID;
                ::WindowState.NotWindowAlertID[slot] = notSlots[slot].AlertID;
                window->lblTime->SetTag(0);
                window->nTimer->SetTag(slot);
                window->nTimer->SetInterval(50);
                window->nTimer->SetEnabled(true);
                break;
            }
        }
    });
    timerNot->SetEnabled(false);
}

void TfrmMainDLMR1::CreateNotWindows()
{
    Guarded("[TfrmMainDLMR1::CreateNotWindows]", [&] {
        plat::TWeakRef<plat::TForm> remembered(plat::Application::ActiveForm());
        for (int32_t slot = 0; slot < kNotPoolSize; ++slot)
            CreateOneNotWindow(slot);
        notWindowsCount = kNotPoolSize;
        ActivateAgain(remembered);
        if (popupPostponeAlert->Items()->Count() > 0)
            return;
        for (int32_t minutes : {2, 5, 7, 9, 10, 12, 15, 20, 25, 30, 45, 60, 90, 120}) {
            auto* item = new plat::TMenuItem(this);
            item->SetName("pmnuPostponeAlert" + std::to_string(minutes));
            item->SetCaption("Připomenout za " + std::to_string(minutes) + (minutes == 2 ? " minuty" : " minut"));
            item->SetTag(minutes);
            item->OnClick = [this, item](plat::TComponent*) { pmnuPostponeAlertClick(*item); };
            popupPostponeAlert->Items()->Add(item);
        }
    });
}

void TfrmMainDLMR1::CreateOneNotWindow(int32_t slot)
{
    auto* window = new TfrmNotDLMR1(this);
    window->SetName("frmNotDLMR1_" + std::to_string(slot));
    window->SetTag(slot);
    // A tool window with every style bit cleared: no caption, no frame, no
    // task-bar entry.
    window->SetBorderStyle(plat::TFormBorderStyle::bsNone);
    window->SetSkipTaskbar(true);
    window->SetColor(plat::clBlack);
    window->SetCaption("");
    window->SetBounds(-32000, -32000, 0, 0);
    window->SetAlphaBlend(true);
    window->SetAlphaBlendValue(0);
    window->OnActivate = [this, window](plat::TComponent*) { frmNotActivate(*window); };
    window->OnCloseQuery = [this, window](plat::TComponent*, bool& canClose) { frmNotCloseQuery(*window, canClose); };
    window->SetStayOnTop(true);
    notSlots[slot].Window = window;
    window->Show();
    window->SetBounds(-32000, -32000, 0, 0);
}

void TfrmMainDLMR1::frmNotActivate(TfrmNotDLMR1& window)
{
    Guarded("[TfrmMainDLMR1::frmNotActivate]", [&] {
        if (window.pOuter != nullptr)
            return;
        const int32_t slot = static_cast<int32_t>(window.Tag());
        window.pOuter = new plat::TPanel(&window);
        window.pInner = new plat::TPanel(&window);
        for (plat::TPanel* panel : {window.pOuter, window.pInner}) {
            panel->SetBevelOuter(plat::TBevelCut::bvNone);
            panel->SetBevelInner(plat::TBevelCut::bvNone);
            panel->SetColor(plat::clBlack);
            panel->SetCaption("");
            panel->SetAlign(plat::TAlign::alClient);
        }
        window.pOuter->SetBorderWidth(2);
        window.pOuter->SetParent(&window);
        window.pInner->SetParent(window.pOuter);

        window.btnClose = new plat::TFlatButton(&window);
        window.btnClose->SetCaption("x");
        window.btnClose->SetHint("Zavřít");
        window.btnClose->Font().SetName("Arial");
        window.btnClose->Font().SetSize(7);
        window.btnClose->Font().SetColor(plat::clWhite);
        window.btnClose->SetBounds(0, 0, 19, 19);
        window.btnClose->SetVisible(false);
        window.btnClose->SetParent(window.pInner);

        window.imgPicture = new plat::TImage(&window);
        window.imgPicture->SetBounds(8, 8, 64, 64);
        window.imgPicture->SetStretch(true);
        window.imgPicture->SetTransparent(true);
        // A missing picture leaves the place empty; the alert still shows.
        TNImageTable::LoadProgramPicture(window.imgPicture->Picture(), "images/dalmora-64x64.png");
        window.imgPicture->SetParent(window.pInner);

        window.lblTime = MakeLabel(window, "lblTime", "--:--", "Arial", 12, plat::fsBold, plat::clWhite);
        window.lblTime->SetLeft(Right(*window.imgPicture) + 12);
        window.lblTime->SetTop(10);
        window.lblMinutes = MakeLabel(window, "lblMinutes", "[za -- minut]", "Arial", 7, plat::fsBold, kSilver);
        window.lblMinutes->SetLeft(Right(*window.lblTime) + 4);
        window.lblMinutes->SetTop(15);
        window.lblText = MakeLabel(window, "lblText", "--- Žádný text ---", "Arial", 11, 0, plat::clWhite);
        window.lblText->SetWordWrap(true);
        window.lblText->SetLeft(window.lblTime->Left());
        window.lblText->SetTop(Bottom(*window.lblTime) + 4);

        window.lblPostpone =
            MakeLabel(window, "lblPostpone", "Připomenout za ", "Arial", 9, plat::fsUnderline, kSilver);
        MakeCommand(*window.lblPostpone);
        window.lblPostpone->OnClick = [this, slot](plat::TComponent*) { nPostponeClick(slot); };
        window.lblPostponeArrow = MakeLabel(window, "lblPostponeArrow", "6", "Webdings", 15, 0, kSilver);
        MakeCommand(*window.lblPostponeArrow);
        window.lblPostponeArrow->OnMouseDown = [this, slot](plat::TComponent*, plat::TMouseButton button,
                                                            plat::TShiftState, int, int) {
            if (button == plat::TMouseButton::mbLeft)
                nRemindMenuMouseDown(slot);
        };
        window.lblAccept = MakeLabel(window, "lblAccept", "Beru na vědomí", "Arial", 10, 0, kSilver);
        MakeCommand(*window.lblAccept);
        window.lblAccept->OnClick = [this, slot](plat::TComponent*) { nAcceptClick(slot); };
        window.lblOpen = MakeLabel(window, "lblOpen", "Otevřít", "Arial", 10, 0, kSilver);
        MakeCommand(*window.lblOpen);
        window.lblOpen->OnClick = [this, slot](plat::TComponent*) { nOpenClick(slot); };

        // Last: a slot counts as built once its timer exists.
        window.nTimer = new plat::TTimer(&window);
        window.nTimer->SetEnabled(false);
        window.nTimer->SetInterval(50);
        window.nTimer->OnTimer = [this, &window](plat::TComponent*) {
            nTimerTimer(static_cast<int32_t>(window.nTimer->Tag()));
        };
    });
}

void TfrmMainDLMR1::nTimerTimer(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::nTimerTimer]", [&] {
        TfrmNotDLMR1* window = BuiltWindow(*this, slot);
        if (window == nullptr)
            return;
        if (window->lblTime->Tag() == 1) {
            FadeIn(*window);
            return;
        }
        // 1. The window stops and takes its colours.
        window->nTimer->SetEnabled(false);
        plat::TWeakRef<plat::TForm> remembered(plat::Application::ActiveForm());
        window->pOuter->SetColor(plat::clBlack);
        window->pInner->SetColor(plat::clBlack);

        // 2. An alarm turns the monitor on and cannot be closed at once.
        if (notSlots[slot].Kind == 1) {
            TurnMonitorOn();
            notSlots[slot].MayClose = false;
            AlertToNot(slot, static_cast<uint32_t>(notSlots[slot].AlertID));
            plat::TLabel& text = *window->lblText;
            text.SetAutoSize(true);
            text.SetWidth(window->pInner->Width() - text.Left() - 12);
        }

        // 3. The links under the text.
        const int32_t textBottom = Bottom(*window->lblText);
        plat::TLabel& open = *window->lblOpen;
        open.SetBounds(window->pInner->Width() - open.Width() - 16, textBottom + 8, open.Width(), open.Height());
        plat::TLabel& accept = *window->lblAccept;
        accept.SetBounds(open.Left() - accept.Width() - 16, textBottom + 8, accept.Width(), accept.Height());
        plat::TLabel& postpone = *window->lblPostpone;
        postpone.SetBounds(window->lblText->Left(), textBottom + 9, postpone.Width(), postpone.Height());
        plat::TLabel& arrow = *window->lblPostponeArrow;
        arrow.SetBounds(Right(postpone) + 2, postpone.Top() - 5, arrow.Width(), arrow.Height());

        // 4. The window as high as its contents.
        const int32_t pictureHeight = 2 * window->imgPicture->Top() + window->imgPicture->Height();
        window->SetHeight(std::max(pictureHeight, Bottom(accept) + 16));

        // 5. The tray icon, blinking while an alert rings.
        trayIcon->SetIconIndex(App.TrayIconNormal);
        if (g.AlertDisplay.Ring != 0) {
            timerAlertBlink->SetEnabled(true);
            timerAlertSound->SetInterval(kRingStartMs);
            timerAlertSound->SetEnabled(true);
        }

        // 6. A window without a kind stays as it is.
        if (notSlots[slot].Kind == -1)
            return;
        window->SetWidth(alertWindowWidth);
        window->SetLeft(plat::Screen::Width() - window->Width() - 20);
        window->pOuter->SetColor(kGrey);
        window->SetAlphaBlendValue(0);
        LogText(("[frmNotDLMR1[" + std::to_string(slot) + "]][BringToFront]").c_str());
        // A window closed while it was free comes back.
        if (!window->Visible())
            window->Show();
        window->BringToFront();
        ActivateAgain(remembered);
        window->lblTime->SetTag(1);
        window->nTimer->SetInterval(1);
        window->nTimer->SetEnabled(true);
    });
}

void TfrmMainDLMR1::CloseNotWindow(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::CloseNotWindow]", [&] {
        if (slot < 0 || slot >= kNotSlots)
            return;
        NotSlot& entry = notSlots[slot];
        entry.MayClose = true;
        entry.Kind = -1;
        ::WindowState.NotWindowAlertID[slot] = -1;
        if (TfrmNotDLMR1* window = BuiltWindow(*this, slot)) {
            // A fade still running would show the parked window again.
            window->nTimer->SetEnabled(false);
            window->pOuter->SetTag(0);
            window->SetBounds(-32000, -32000, 0, 0);
            window->SetAlphaBlend(true);
            window->SetAlphaBlendValue(0);
        }
        // Only the blink's icon goes: an offline icon set by a log-out that
        // closes these windows must stay.
        if (trayIcon->IconIndex() == App.TrayIconBlink)
            trayIcon->SetIconIndex(App.TrayIconNormal);
        timerAlertBlink->SetEnabled(false);
        timerAlertSound->SetEnabled(false);
    });
}

void TfrmMainDLMR1::UpdateNotWindowPosition(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::UpdateNotWindowPosition]", [&] {
        if (TfrmNotDLMR1* window = BuiltWindow(*this, slot))
            window->SetBounds(plat::Screen::Width() - window->Width() - 20, kNotTop, window->Width(), window->Height());
    });
}

void TfrmMainDLMR1::frmNotCloseQuery(const TfrmNotDLMR1& window, bool& canClose)
{
    Guarded("[TfrmMainDLMR1::frmNotCloseQuery]", [&] {
        const int64_t slot = window.Tag();
        if (slot < 0 || slot >= kNotSlots) {
            canClose = true;
            return;
        }
        const NotSlot& entry = notSlots[slot];
        canClose = entry.Kind == -1 || c.ExitAllowed != 0 || c.RealExit != 0 || entry.MayClose;
    });
}

void TfrmMainDLMR1::TurnMonitorOn()
{
    Guarded("[TfrmMainDLMR1::TurnMonitorOn]", [&] {
        if (!Setup.GetBool("Settings_TurnMonitorOn"))
            return;
        const int64_t now = plat::UnixSeconds();
        if (now - lastMonitorWakeTime < kMonitorWakeEverySeconds)
            return;
        if (TNCommon::GetIdleSeconds() <= kIdleBeforeWakeSeconds)
            return;
        // The screen wakes as input would wake it, and the pointer stays
        // where the user left it.
        if (WakeMonitor)
            WakeMonitor();
        else
            plat::Monitor::Wake();
        lastMonitorWakeTime = now;
    });
}

void TfrmMainDLMR1::timerAlertBlinkTimer()
{
    Guarded("[TfrmMainDLMR1::timerAlertBlinkTimer]", [&] {
        const bool lightPhase = trayIcon->IconIndex() != App.TrayIconNormal;
        trayIcon->SetIconIndex(lightPhase ? App.TrayIconNormal : App.TrayIconBlink);
        const plat::TMenuItem* blink = MainMenu2->FindByName("mnuSettingsEnableNotificationBlink");
        const bool paintFrame = blink != nullptr && blink->Checked();
        for (int32_t slot = 0; slot < kNotSlots; ++slot) {
            TfrmNotDLMR1* window = BuiltWindow(*this, slot);
            if (window == nullptr || window->pOuter->Tag() != 1)
                continue;
            UpdateNotWindowPosition(slot);
            if (!paintFrame)
                continue;
            window->pOuter->SetColor(lightPhase ? kBlinkOuter : kGrey);
            window->pInner->SetColor(lightPhase ? kBlinkInner : plat::clBlack);
        }
    });
}

void TfrmMainDLMR1::timerAlertSoundTimer()
{
    Guarded("[TfrmMainDLMR1::timerAlertSoundTimer]", [&] {
        const uint32_t interval = timerAlertSound->Interval();
        if (interval == 1)
            timerAlertSound->SetInterval(60000);
        else if (interval < kRingLongestMs)
            timerAlertSound->SetInterval(interval + kRingStepMs);
        PlaySoundA(TNSoundTable::kAlertRing);
    });
}

void TfrmMainDLMR1::CreateAlertTimers()
{
    Sounds = std::make_unique<TNSoundTable>();
    timerNot->OnTimer = [this](plat::TComponent*) { timerNotTimer(); };
    timerHint->OnTimer = [this](plat::TComponent*) { timerHintTimer(); };
    timerAlertBlink = new plat::TTimer(this);
    timerAlertBlink->SetName("timerAlertBlink");
    timerAlertBlink->SetEnabled(false);
    timerAlertBlink->SetInterval(750);
    timerAlertBlink->OnTimer = [this](plat::TComponent*) { timerAlertBlinkTimer(); };
    timerAlertSound = new plat::TTimer(this);
    timerAlertSound->SetName("timerAlertSound");
    timerAlertSound->SetEnabled(false);
    timerAlertSound->SetInterval(kRingStartMs);
    timerAlertSound->OnTimer = [this](plat::TComponent*) { timerAlertSoundTimer(); };
}

void TfrmMainDLMR1::InstallAlertHooks()
{
    MainWindowHooks.ArmNotTimer = [](int32_t tag, int32_t intervalMs) {
        if (TfrmMainDLMR1* form = frmMainDLMR1) {
            form->timerNot->SetTag(tag);
            form->timerNot->SetInterval(static_cast<uint32_t>(intervalMs));
            form->timerNot->SetEnabled(true);
        }
    };
    MainWindowHooks.ArmHintTimer = [](int32_t tag, int32_t intervalMs) {
        if (TfrmMainDLMR1* form = frmMainDLMR1) {
            form->timerHint->SetTag(tag);
            form->timerHint->SetInterval(static_cast<uint32_t>(intervalMs));
            form->timerHint->SetEnabled(true);
        }
    };
    MainWindowHooks.CloseNotWindow = [](int32_t slot) {
        if (TfrmMainDLMR1* form = frmMainDLMR1)
            form->CloseNotWindow(slot);
    };
    MainWindowHooks.UpdateNotWindowPosition = [](int32_t slot) {
        if (TfrmMainDLMR1* form = frmMainDLMR1)
            form->UpdateNotWindowPosition(slot);
    };
    MainWindowHooks.TurnMonitorOn = [] {
        if (TfrmMainDLMR1* form = frmMainDLMR1)
            form->TurnMonitorOn();
    };
    MainWindowHooks.PlaySoundA = [](int32_t sound) {
        if (TfrmMainDLMR1* form = frmMainDLMR1)
            form->PlaySoundA(sound);
    };
    SessionHooks.NotTimerEnabled = [] { return frmMainDLMR1 != nullptr && frmMainDLMR1->timerNot->Enabled(); };
}

void TfrmMainDLMR1::RemoveAlertHooks()
{
    MainWindowHooks.ArmNotTimer = nullptr;
    MainWindowHooks.ArmHintTimer = nullptr;
    MainWindowHooks.CloseNotWindow = nullptr;
    MainWindowHooks.UpdateNotWindowPosition = nullptr;
    MainWindowHooks.TurnMonitorOn = nullptr;
    MainWindowHooks.PlaySoundA = nullptr;
    SessionHooks.NotTimerEnabled = nullptr;
}

void TfrmMainDLMR1::NactiZvuky()
{
    Sounds->NactiZvuky(GetProgramFolder());
}

void TfrmMainDLMR1::UvolniZvuky()
{
    Sounds->UvolniZvuky();
}

void TfrmMainDLMR1::PlaySoundA(int32_t index)
{
    Sounds->PlaySoundA(index);
}
