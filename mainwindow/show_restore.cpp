#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "mainwindow/log_window.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "platform/gui/edit.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/view.h"

#include <algorithm>

void TfrmMainDLMR1::ShowApplication(const char* caller, int32_t showCommand)
{
    Guarded("[TfrmMainDLMR1::ShowApplication]", [&] {
        LogWrite("[TfrmMainDLMR1::ShowApplication][BEGIN] caller = ", caller != nullptr ? caller : "", false);
        timerResetView->SetEnabled(false);
        trayIcon->SetTag(1);
        const bool minimise = showCommand == plat::Application::kShowMinimized;
        if (App.IsAutorun != 0 && minimise) {
            plat::Application::Minimize();
        } else {
            // A window started hidden comes back onto the screen.
            if (App.IsAutorun != 0)
                KeepInWorkArea();
            trayIcon->ShowApplication();
            plat::Application::ShowMainForm(showCommand);
        }

        // The deepest open dialog keeps the foreground.
        bool dialogInFront = false;
        for (int32_t level = std::min(dialogDepth_, kMaxDialogs); level >= 1 && !dialogInFront; --level) {
            if (plat::TForm* dialog = windowTable[level]) {
                dialog->BringToFront();
                dialog->Activate();
                dialogInFront = true;
            }
        }
        if (!dialogInFront && !minimise)
            Activate();

        if (App.IsAutorun != 0) {
            g.NewSyncWanted = 1;
            App.IsAutorun = 0;
            RunOnlineNow();
        }
        if (gDesk->ActivePage() == "Login") {
            KeepInWorkArea();
        } else if (!minimise) {
            LogText("[TfrmMainDLMR1::ShowApplication] Calling g.UpdateTodayWindowSize...");
            DisplayChange();
            g.UpdateTodayWindowSize();
        }
        if (!minimise)
            SetMainWindowAsForeground();
        if (AlphaBlend()) {
            SetAlphaBlendValue(255);
            SetAlphaBlend(false);
        }
        LogText("[TfrmMainDLMR1::ShowApplication][END]");
    });
}

void TfrmMainDLMR1::KeepInWorkArea()
{
    const plat::TRect area = plat::Screen::WorkArea();
    const int32_t width = std::min(Width(), area.Width());
    const int32_t height = std::min(Height(), area.Height());
    const int32_t left = std::clamp(Left(), area.Left, area.Right - width);
    const int32_t top = std::clamp(Top(), area.Top, area.Bottom - height);
    SetBounds(left, top, width, height);
}

void TfrmMainDLMR1::RestoreApplication()
{
    Guarded("[TfrmMainDLMR1::RestoreApplication]", [&] {
        LogTextInt("[TfrmMainDLMR1::RestoreApplication] IsRDP = ", TNCommon::IsRemoteSession() ? 1 : 0);
        const std::string page = gDesk->ActivePage();
        if (signedIn != 0) {
            if (page != "Homepage" && page != "Calendar" && page != "Tasks" && page != "Notes" && page != "Pages") {
                gDesk->SetActivePage("Homepage");
                ControlButtonClick(nullptr);
            }
        } else if (page != "Login") {
            mnuUserLogoutClick();
        }
        ShowApplication("TfrmMainDLMR1::RestoreApplication", plat::Application::kShowNormal);
    });
}

void TfrmMainDLMR1::SetMainWindowAsForeground()
{
    Guarded("[TfrmMainDLMR1::SetMainWindowAsForeground]", [&] {
        if (dialogDepth_ != 0 || !Visible() || !CanFocus())
            return;
        LogText("[TfrmMainDLMR1::SetMainWindowAsForeground][BEGIN]");
        BringToForeground();
        LogText("[TfrmMainDLMR1::SetMainWindowAsForeground][BringToFront]");
        LogText("[TfrmMainDLMR1::SetMainWindowAsForeground][END]");
    });
}

void TfrmMainDLMR1::pmnuHideClick()
{
    trayIcon->SetTag(0);
    trayIcon->HideApplication();
    ArmResetViewTimer();
}

void TfrmMainDLMR1::ArmResetViewTimer()
{
    timerResetView->SetInterval(App.IsDev != 0 ? 3000 : 60000);
    timerResetView->SetEnabled(true);
}

void TfrmMainDLMR1::FormActivate()
{
    Guarded("[TfrmMainDLMR1::FormActivate]", [&] {
        windowTable[std::clamp(dialogDepth_, 0, kMaxDialogs)] = this;
        if (Visible() && gDesk->ActivePage() == "Login")
            FocusLoginEdits();
        gDeskPageChanged();
        // An activation at start does not show a run started hidden; one
        // that the program showed stays.
        if (App.IsAutorun != 0 && trayIcon->Tag() == 0)
            trayIcon->HideApplication();
        View.ResetFormColor();
    });
}

void TfrmMainDLMR1::FormResize()
{
    Guarded("[TfrmMainDLMR1::FormResize]", [&] {
        if (pZentor != nullptr && !pZentor->Visible() && View.Destroyed == 0)
            View.ResizeMainForm();
        timerFormResize->SetTag(0);
        timerFormResize->SetInterval(333);
        if (g.GeometryRestoredOnce && controlClickBusy == 0) {
            timerFormResize->SetEnabled(false);
            timerFormResize->SetEnabled(true);
        } else {
            timerFormResizeTimer();
        }
        SetColor(View.FormColor);
    });
}

void TfrmMainDLMR1::timerFormResizeTimer()
{
    Guarded("[TfrmMainDLMR1::timerFormResizeTimer]", [&] {
        LogText("[timerFormResizeTimer][BEGIN]");
        LogTextInt("[timerFormResizeTimer] case ", static_cast<int32_t>(timerFormResize->Tag()));
        timerFormResize->SetEnabled(false);
        // Painting resumes on every path; a switch holds its own freeze.
        const bool freeze = controlClickBusy == 0;
        if (freeze)
            BeginUpdate();
        struct Thaw {
            TfrmMainDLMR1& form;
            bool freeze;
            ~Thaw()
            {
                if (freeze)
                    form.EndUpdate();
            }
        } thaw{*this, freeze};
        btnESCClick();
        if (View.Destroyed == 0) {
            View.ResizeMainForm();
            if (g.GeometryRestoredOnce)
                pDeskResize();
        }
        g.SaveWindowGeometry();
        timerFormResize->SetTag(1);
        LogText("[timerFormResizeTimer][END]");
    });
}

void TfrmMainDLMR1::timerResizeTimer()
{
    Guarded("[TfrmMainDLMR1::timerResizeTimer]", [&] {
        timerResize->SetEnabled(false);
        if ((trayIcon->Tag() == 0 && App.IsAutorun != 0) || !trayIcon->ApplicationVisible())
            return;
        if (rememberedTop != -1 && WindowState() != plat::TWindowState::wsMaximized)
            SetTop(rememberedTop);
        rememberedTop = -1;
        g.SaveWindowGeometry();
        timerResize->SetTag(0);
        pages_->ResizeDayboxes();
    });
}

void TfrmMainDLMR1::timerMaximizeMainWindowTimer()
{
    timerMaximizeMainWindow->SetEnabled(false);
    // A hidden window only learns its state; it is not shown by this.
    SetWindowState(plat::TWindowState::wsMaximized);
}

void TfrmMainDLMR1::timerFocusTimer()
{
    Guarded("[TfrmMainDLMR1::timerFocusTimer]", [&] {
        LogTextInt("[TfrmMainDLMR1::timerFocusTimer][BEGIN] Tag = ", static_cast<int32_t>(timerFocus->Tag()));
        timerFocus->SetEnabled(false);
        if (timerFocus->Tag() == 1 && gDesk->ActivePage() == "Login") {
            FocusLoginEdits();
        } else if (timerFocus->Tag() == 2 && !focusLock) {
            TNViewItem* item =
                View.GetComponent(gDesk->ActivePage() == "Search" ? "editSearchSearch" : "editHeaderSearch");
            plat::TWinControl* edit = item != nullptr ? item->Edits[0].Get() : nullptr;
            if (edit != nullptr)
                edit->SetFocus();
        }
    });
}

void TfrmMainDLMR1::trayIconMouseDown(plat::TMouseButton button)
{
    if (button == plat::TMouseButton::mbLeft)
        RestoreApplication();
}

void TfrmMainDLMR1::SetAfterStartupMode(int32_t mode)
{
    Guarded("[TfrmMainDLMR1::SetAfterStartupMode]", [&] {
        Setup.SetValue("SettingsAfterStartup", mode, TNSetupItem::kInt8);
        const char* items[] = {"mnuAfterStartupKeepHidden", "mnuAfterStartupShow", "mnuAfterStartupMinimize"};
        for (int32_t i = 0; i < 3; ++i) {
            if (plat::TMenuItem* item = MainMenu2->FindByName(items[i]))
                item->SetChecked(i == mode);
        }
    });
}

int32_t TfrmMainDLMR1::GetFormBorderSize(int32_t outerWidth, int32_t clientWidth, int32_t outerHeight,
                                         int32_t clientHeight, int32_t& height)
{
    const int32_t border = (outerWidth - clientWidth) / 2;
    height = outerHeight - clientHeight - border;
    return border;
}

int32_t TfrmMainDLMR1::GetFormBorderSize(const plat::TForm& form, int32_t& height)
{
    return GetFormBorderSize(form.Width(), form.ClientWidth(), form.Height(), form.ClientHeight(), height);
}

void TfrmMainDLMR1::mnuShowLogWindowClick()
{
    Guarded("[TfrmMainDLMR1::mnuShowLogWindowClick]", [&] {
        const bool show = !Setup.GetBool("Settings_ShowLogWindow");
        Setup.SetValue("Settings_ShowLogWindow", show ? 1 : 0, TNSetupItem::kBool);
        if (plat::TMenuItem* item = MainMenu2->FindByName("mnuShowLogWindow"))
            item->SetChecked(show);
        ShowLogWindow(true);
    });
}

void TfrmMainDLMR1::ShowLogWindow(bool bringToFront)
{
    Guarded("[TfrmMainDLMR1::ShowLogWindow]", [&] {
        if (!Setup.GetBool("Settings_ShowLogWindow") || logWindowShown_ || frmLogDLMR1 == nullptr)
            return;
        LogTextInt("[TfrmMainDLMR1::ShowLogWindow][BEGIN] bring_to_front = ", bringToFront ? 1 : 0);
        cachedAutoHide = false;
        frmLogDLMR1->Show();
        if (bringToFront) {
            LogText("[ShowLogWindow][BringToFront]");
            BringToForeground();
        }
        LogText("[TfrmMainDLMR1::ShowLogWindow][END]");
        logWindowShown_ = true;
    });
}

void TfrmMainDLMR1::timerFinishShowingLogFormTimer()
{
    timerFinishShowingLogForm->SetEnabled(false);
    cachedAutoHide = Setup.GetBool("Settings_AutoHide");
}
