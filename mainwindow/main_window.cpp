#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/day_names.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/program_start.h"
#include "foundation/record_file_set.h"
#include "foundation/string.h"
#include "mainwindow/page_services.h"
#include "mainwindow/sound_table.h"
#include "mainwindow/window_pages.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "online/window_state.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/button.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image_list.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/picture.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/program_pictures.h"
#include "view/view.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

TfrmMainDLMR1* frmMainDLMR1 = nullptr;

namespace {

// The pictures of the table that start-up loads by name, in their order.
const std::vector<const TNProgramPicture*>& NamedPictures()
{
    static const std::vector<const TNProgramPicture*> named = [] {
        std::vector<const TNProgramPicture*> list;
        for (const TNProgramPicture& picture : ProgramPictures()) {
            if (picture.ImageName != nullptr)
                list.push_back(&picture);
        }
        return list;
    }();
    return named;
}

// The tray's and the status bar's icons by index; a slot without a picture
// (or whose file is missing) stays an empty 16 x 16 square.
std::unique_ptr<plat::TImageList> MakeActionPictures()
{
    plat::TPicture slots[kActionPictureCount];
    for (const TNProgramPicture& picture : ProgramPictures()) {
        if (picture.ActionIndex >= 0 && picture.ActionIndex < kActionPictureCount)
            TNImageTable::LoadProgramPicture(slots[picture.ActionIndex], picture.File);
    }
    auto list = std::make_unique<plat::TImageList>(16, 16);
    for (plat::TPicture& slot : slots) {
        if (const plat::TGraphic* graphic = slot.Graphic())
            list->Add(*graphic);
        else
            list->Add(plat::TBitmap());
    }
    return list;
}

plat::TPanel* MakePanel(plat::TComponent* owner, plat::TWinControl* parent, const char* name, plat::TColor color)
{
    auto* panel = new plat::TPanel(owner);
    panel->SetName(name);
    panel->SetBevelOuter(plat::TBevelCut::bvNone);
    panel->SetBevelInner(plat::TBevelCut::bvNone);
    panel->SetDoubleBuffered(true);
    panel->SetColor(color);
    panel->SetCaption("");
    if (parent != nullptr)
        panel->SetParent(parent);
    return panel;
}

plat::TTimer* MakeTimer(plat::TComponent* owner, const char* name, uint32_t interval)
{
    auto* timer = new plat::TTimer(owner);
    timer->SetName(name);
    timer->SetEnabled(false);
    timer->SetInterval(interval);
    return timer;
}

// Hooks of the lower libraries, answered by the one main window.
TfrmMainDLMR1* Main()
{
    return frmMainDLMR1;
}

} // namespace

TfrmMainDLMR1::TfrmMainDLMR1(plat::TComponent* owner, std::unique_ptr<TNPageServices> pages)
    : plat::TForm(owner), pages_(pages ? std::move(pages) : std::make_unique<TNWindowPages>())
{
    pages_->SetWindow(*this);
    // The form designer's part, then the constructor's steps.
    CreateFixedParts();
    CreateTimers();
    CreateLoginPage();
    CreateInfoStrip();
    CreateInputPaths();
    frmMainDLMR1 = this;
    InstallHooks();
    InstallLoginPageHooks();

    Guarded("[TfrmMainDLMR1::TfrmMainDLMR1]", [&] {
        // 2. The computer's name for the request head.
        TNString name;
        if (!TNGlobal::GetNetBIOSName(&name) || name.Length == 0)
            name.Set("local");
        name.ToLower();
        g.NetBIOSName = name;

        // 3. Presets (the members' initialisers hold the rest).
        pDesk->SetLeft(0);
        pDesk->SetTop(0);

        // 4. and 5. Chance and the screen size.
        std::srand(static_cast<unsigned>(plat::UnixSeconds()));
        GetScreenSize(&g.ScreenWidth, &g.ScreenHeight);

        // 6. Folders and the run's first lines.
        Dirs.ProducerDirName.Set(App.DirProducer);
        Dirs.ProductDirName.Set(App.DirName);
        TNString folder;
        if (Dirs.GoToUsersDir(IsPortable != 0, false, false) && Dirs.GetCurrentDir(folder))
            SetLogDir(folder.Text);
        LogTextUInt("[TfrmMainDLMR1] <APP-BEGIN> App.Random = ", App.Random);
        LogWrite("[TfrmMainDLMR1] c.NetBIOSName = ", g.NetBIOSName.Text, false);

        // 7. The installation id.
        InstID = Dirs.LoadInstID();
        g.InstID = InstID;
        LogTextUInt("[TfrmMainDLMR1::TfrmMainDLMR1] InstID = ", InstID);
        c.ReportNoServer();

        // 8. Minimising and restoring would map the window, which a run
        // started hidden must not do.
        LogText("[TfrmMainDLMR1::TfrmMainDLMR1] Minimise and restore at start left out: it would show the window.");

        // 9. Installers left over from earlier updates.
        if (App.IsUpdate == 0)
            DeleteLeftOverInstallers();

        // 11. and 12. Double buffering against flicker.
        for (plat::TWinControl* control :
             {static_cast<plat::TWinControl*>(this), static_cast<plat::TWinControl*>(pDesk),
              static_cast<plat::TWinControl*>(pDesk0), static_cast<plat::TWinControl*>(pDesk1),
              static_cast<plat::TWinControl*>(gDesk), static_cast<plat::TWinControl*>(pHpDesk),
              static_cast<plat::TWinControl*>(pCalendarDesk), static_cast<plat::TWinControl*>(pTasksDesk),
              static_cast<plat::TWinControl*>(pNotesDesk), static_cast<plat::TWinControl*>(pPagesDesk),
              static_cast<plat::TWinControl*>(pSearchDesk)})
            control->SetColor(View.FormColor);
        View.ScreenRows = g.ScreenHeight / 32;

        // 13. The sounds.
        NactiZvuky();

        // 14. The named images; the pictures of the form's own part were
        // loaded before the log was open.
        LoadNamedImages();
        TNImageTable::TellPictureProblems();
        CreateDynamicImages();

        // 15. and 16. The escape button off screen and the main components.
        btnESC->SetBounds(-100, -100, 0, 0);
        CreateMainComponents();

        // 17. A run started hidden stays off screen and out of the task bar
        // until it is shown.
        if (App.IsAutorun != 0) {
            SetSkipTaskbar(true);
            SetLeft(3 * plat::Screen::DesktopWidth());
            SetTop(3 * plat::Screen::DesktopHeight());
            // FormCreate: the window stays unseen until it is shown.
            SetAlphaBlendValue(0);
            SetAlphaBlend(true);
            trayIcon->SetTag(0);
        }

        // 18. and 19. The data folder of a portable run and the titles.
        TNGlobal::SetPortableDataFolder();
        SetCaption(App.ApplicationTitle);
        plat::Application::SetTitle(App.ApplicationTitle);

        // 20. to 23. The tray icon.
        trayIcon->SetIconIndex(App.TrayIconNormal);
        trayIcon->SetActive(true);
        trayIcon->SetIconVisible(true);
        trayIcon->SetHint(std::string(App.ApplicationTitle) + "\n" + App.ApplicationMotto);
        if (plat::TMenuItem* exit = MainMenu2->FindByName("mnuExit"))
            exit->SetCaption(std::string("Ukončit ") + App.ApplicationName);
        if (plat::TMenuItem* exit = popupTray->FindByName("pmnuExit"))
            exit->SetCaption(std::string("Ukončit ") + App.ApplicationName);
        popupPostponeAlert->SetTag(-1);

        // 24. The login page.
        ZavriInfoPanel();
        ShowLoginForm();

        // 25. The start-with-the-system entry.
        if (App.IsDev == 0)
            g.SetAutorun(1, 0);

        // 26. The alert windows are built on the first tick.
        timerNot->SetTag(0);
        timerNot->SetInterval(5);
        timerNot->SetEnabled(true);

        // 27. The name days, before any page or job reads them.
        ProgramDayNames();
    });
}

TfrmMainDLMR1::~TfrmMainDLMR1() = default;

void TfrmMainDLMR1::Detach()
{
    LogText("[TfrmMainDLMR1::FormDestroy][BEGIN]");
    // The components built on this window go with it, not after it.
    if (ViewGlobalsConstructed())
        Guarded("[TfrmMainDLMR1::FormDestroy]", [&] {
            View.DeleteComponentsByFormHandle(this);
            // The named images belong to this window.
            ImageTable.Clear();
        });
    RemoveHooks();
    RemoveLoginPageHooks();
    if (frmMainDLMR1 == this)
        frmMainDLMR1 = nullptr;
    plat::TForm::Detach();
    LogText("[TfrmMainDLMR1::FormDestroy][END]");
}

void TfrmMainDLMR1::CreateFixedParts()
{
    SetName("frmMainDLMR1");
    SetBounds(0, 0, 1016, 739);
    pDesk = MakePanel(this, this, "pDesk", View.FormColor);
    pDesk->OnResize = [this](plat::TComponent*) { pDeskResize(); };
    pDesk0 = MakePanel(this, pDesk, "pDesk0", View.FormColor);
    pDesk1 = MakePanel(this, pDesk, "pDesk1", View.FormColor);
    gDesk = new plat::TNotebook(this);
    gDesk->SetName("gDesk");
    gDesk->SetParent(pDesk1);
    // The page notebook fills the desk, as the login page needs it to.
    pDesk1->SetAlign(plat::TAlign::alClient);
    gDesk->SetAlign(plat::TAlign::alClient);
    for (const char* page : {"Login", "Homepage", "Calendar", "Tasks", "Notes", "Pages", "Search", "Pomocne"})
        gDesk->AddPage(page);
    struct DeskPanel {
        plat::TPanel** panel;
        const char* name;
        const char* page;
    };
    const DeskPanel desks[] = {{&pHpDesk, "pHpDesk", "Homepage"},    {&pCalendarDesk, "pCalendarDesk", "Calendar"},
                               {&pTasksDesk, "pTasksDesk", "Tasks"}, {&pNotesDesk, "pNotesDesk", "Notes"},
                               {&pPagesDesk, "pPagesDesk", "Pages"}, {&pSearchDesk, "pSearchDesk", "Search"}};
    for (const DeskPanel& desk : desks) {
        *desk.panel = MakePanel(this, gDesk->PageByName(desk.page), desk.name, View.FormColor);
        (*desk.panel)->SetVisible(false);
    }
    pLogin = MakePanel(this, gDesk->PageByName("Login"), "pLogin", View.FormColor);
    pInfo = MakePanel(this, this, "pInfo", 0xFFFFFF);
    pInfo->SetVisible(false);
    pInfo->SetHeight(0);

    btnESC = new plat::TButton(this);
    btnESC->SetName("btnESC");
    btnESC->SetCancel(true);
    btnESC->SetTabStop(false);
    btnESC->SetCaption("btnESC");
    btnESC->SetBounds(12, 12, 75, 25);
    btnESC->SetParent(this);
    btnESC->OnClick = [this](plat::TComponent*) { btnESCClick(); };

    labelTestFont = new plat::TLabel(this);
    labelTestFont->SetName("labelTestFont");
    labelTestFont->SetVisible(false);
    labelTestFont->SetParent(this);

    imagelistAction = MakeActionPictures();
    plat::TPicture logo;
    if (TNImageTable::LoadProgramPicture(logo, "images/dalmora-64x64.png"))
        SetIcon(*logo.Graphic());

    CreateMenus();

    trayIcon = new plat::TrayIcon(this);
    trayIcon->SetName("trayIcon");
    trayIcon->SetIcons(imagelistAction.get());
    trayIcon->SetPopupMenu(popupTray);
    trayIcon->OnMouseDown = [this](plat::TComponent*, plat::TMouseButton button, plat::TShiftState, int, int) {
        trayIconMouseDown(button);
    };
    trayIcon->OnDblClick = [this](plat::TComponent*) { trayIconDblClick(); };

    OnResize = [this](plat::TComponent*) { FormResize(); };
    OnActivate = [this](plat::TComponent*) { FormActivate(); };
    OnCloseQuery = [this](plat::TComponent*, bool& canClose) { FormCloseQuery(canClose); };
    OnClose = [this](plat::TComponent*, plat::TCloseAction&) { FormClose(); };
    gDesk->OnPageChanged = [this](plat::TComponent*) { gDeskPageChanged(); };
}

void TfrmMainDLMR1::CreateTimers()
{
    timerOnline = MakeTimer(this, "timerOnline", 1);
    timerOnline->OnTimer = [this](plat::TComponent*) { timerOnlineTimer(); };
    timerCreateHiddenViews = MakeTimer(this, "timerCreateHiddenViews", 333);
    timerCreateHiddenViews->OnTimer = [this](plat::TComponent*) { timerCreateHiddenViewsTimer(); };
    timerFormResize = MakeTimer(this, "timerFormResize", 333);
    timerFormResize->OnTimer = [this](plat::TComponent*) { timerFormResizeTimer(); };
    timerResize = MakeTimer(this, "timerResize", 1);
    timerResize->OnTimer = [this](plat::TComponent*) { timerResizeTimer(); };
    timerMaximizeMainWindow = MakeTimer(this, "timerMaximizeMainWindow", 1);
    timerMaximizeMainWindow->OnTimer = [this](plat::TComponent*) { timerMaximizeMainWindowTimer(); };
    timerFocus = MakeTimer(this, "timerFocus", 1);
    timerFocus->OnTimer = [this](plat::TComponent*) { timerFocusTimer(); };
    timerFinishShowingLogForm = MakeTimer(this, "timerFinishShowingLogForm", 1250);
    timerFinishShowingLogForm->OnTimer = [this](plat::TComponent*) { timerFinishShowingLogFormTimer(); };
    timerResetView = MakeTimer(this, "timerResetView", 60000);
    timerNot = MakeTimer(this, "timerNot", 5);
    timerUpdateUI = MakeTimer(this, "timerUpdateUI", 1);
    timerAfterOnlineLogin = MakeTimer(this, "timerAfterOnlineLogin", 1);
    timerMainFromOnline = MakeTimer(this, "timerMainFromOnline", 1);
    timerAutoLogin = MakeTimer(this, "timerAutoLogin", 1000);
    timerHodiny = MakeTimer(this, "timerHodiny", 1000);
    timerCloseApp = MakeTimer(this, "timerCloseApp", 250);
    timerEmergencyAppClose = MakeTimer(this, "timerEmergencyAppClose", 25);
    timerTasksAfterTagSelect = MakeTimer(this, "timerTasksAfterTagSelect", 1);
    timerTasksAfterTagSelect->OnTimer = [this](plat::TComponent*) { timerTasksAfterTagSelectTimer(); };
    timerSearch = MakeTimer(this, "timerSearch", 1);
    timerSearch->OnTimer = [this](plat::TComponent*) { timerSearchTimer(); };
    timerInfoPruh = MakeTimer(this, "timerInfoPruh", 1);
    timerHint = MakeTimer(this, "timerHint", 1000);
    timerSetCalendarToToday = MakeTimer(this, "timerSetCalendarToToday", 1);
    timerAddSomethingNew = MakeTimer(this, "timerAddSomethingNew", 1);
    timerDblClickTimer = MakeTimer(this, "timerDblClickTimer", 500);
    timerAddSomethingNew->OnTimer = [this](plat::TComponent*) { timerAddSomethingNewTimer(); };
    timerEditRecord = MakeTimer(this, "timerEditRecord", 250);
    timerEditRecord->OnTimer = [this](plat::TComponent*) { timerEditRecordTimer(); };
    CreateAlertTimers();
}

void TfrmMainDLMR1::CreateMainComponents()
{
    Guarded("[TfrmMainDLMR1::CreateMainComponents]", [&] {
        struct FixedPanel {
            plat::TPanel** panel;
            const char* name;
            plat::TColor colour;
        };
        const FixedPanel panels[] = {{&pSpare1, "pSpare1", View.FormColor}, {&pScrollbar, "pScrollbar", View.FormColor},
                                     {&pHeader, "pHeader", 0xFFFFFF},       {&pControl, "pControl", View.FormColor},
                                     {&pZentor, "pZentor", View.FormColor}, {&pSpare2, "pSpare2", 0xF1F1F1},
                                     {&pSpare3, "pSpare3", 0xFFFF00},       {&pSideboard, "pSideboard", 0xFFFFFF},
                                     {&pSuggestor, "pSuggestor", 0x00FFFF}};
        for (const FixedPanel& fixed : panels) {
            if (*fixed.panel != nullptr)
                continue;
            plat::TPanel* panel = MakePanel(this, nullptr, fixed.name, fixed.colour);
            panel->SetAlignment(plat::TAlignment::taLeftJustify);
            panel->SetBounds(-16, -16, 8, 8);
            panel->OnMouseDown = [this](plat::TComponent*, plat::TMouseButton, plat::TShiftState, int, int) {
                pages_->FormMouseDown();
            };
            panel->SetParent(this);
            *fixed.panel = panel;
        }
        pSideboard->BringToFront();
        LogText("[pSideboard][BringToFront]");
        pSuggestor->BringToFront();
        LogText("[pSuggestor][BringToFront]");
    });
}

void TfrmMainDLMR1::DeleteLeftOverInstallers()
{
    if (!Dirs.GoToUpdateDir(IsPortable != 0))
        return;
    const std::string folder = Dirs.UpdateDir.Text != nullptr ? Dirs.UpdateDir.Text : "";
    for (int32_t i = 0; i <= App.VersionMinor + 9; ++i) {
        char path[1024];
        std::snprintf(path, sizeof path, "%s%d%02d/update.exe", folder.c_str(), App.VersionMajor, i);
        if (plat::FileExists(path))
            plat::RemoveFile(path);
    }
}

int32_t TfrmMainDLMR1::NamedImageCount()
{
    return static_cast<int32_t>(NamedPictures().size());
}

const char* TfrmMainDLMR1::NamedImageName(int32_t index)
{
    return index >= 0 && index < NamedImageCount() ? NamedPictures()[static_cast<size_t>(index)]->ImageName : "";
}

const char* TfrmMainDLMR1::NamedImageFile(int32_t index)
{
    return index >= 0 && index < NamedImageCount() ? NamedPictures()[static_cast<size_t>(index)]->File : "";
}

void TfrmMainDLMR1::LoadNamedImages()
{
    const std::string programFolder = GetProgramFolder();
    for (const TNProgramPicture* picture : NamedPictures())
        ImageTable.LoadImage(picture->ImageName, (programFolder + picture->File).c_str());
}

// ---------------------------------------------------------------------------
// Synchronisation passes and the views built after sign-in

void TfrmMainDLMR1::RunOnlineNow()
{
    g.RunOnlineNow();
}

void TfrmMainDLMR1::timerOnlineTimer()
{
    timerOnline->SetEnabled(false);
    // Closing, the log-out's Tag and a running pass are the pass starter's.
    g.OnlineTimerFired();
}

void TfrmMainDLMR1::timerCreateHiddenViewsTimer()
{
    Guarded("[TfrmMainDLMR1::timerCreateHiddenViewsTimer]", [&] {
        if (signedIn == 0 || g.Close != 0 || g.runningLogin) {
            timerCreateHiddenViews->SetEnabled(false);
            return;
        }
        const int64_t view = timerCreateHiddenViews->Tag();
        if (view < 1 || view > 8) {
            timerCreateHiddenViews->SetEnabled(false);
            return;
        }
        timerCreateHiddenViews->SetTag(view + 1);
        pages_->CreateHiddenView(static_cast<int32_t>(view));
    });
}

// ---------------------------------------------------------------------------
// Hooks

namespace {

// Job 6 fetches the pictures of the shown data; its end only reaches the view.
void StartPicturesJob()
{
    auto* job = new TLogin();
    job->Tag = 6;
    job->Value = 0;
    job->OnTerminate = [] {
        if (ViewGlobalsConstructed())
            View.ThreadTerminated(nullptr);
    };
    if (!job->Resume()) {
        delete job;
        LogText("[StartPicturesJob][ERROR] no thread for the pictures job");
    }
}

} // namespace

void TfrmMainDLMR1::InstallHooks()
{
    MainWindowHooks.ArmOnlineTimer = [](int32_t intervalMs) {
        if (TfrmMainDLMR1* form = Main()) {
            form->timerOnline->SetInterval(static_cast<uint32_t>(intervalMs));
            form->timerOnline->SetEnabled(true);
        }
    };
    MainWindowHooks.SetOnlineTimerTag = [](int32_t tag) {
        if (TfrmMainDLMR1* form = Main())
            form->timerOnline->SetTag(tag);
        g.OnlineTimerTag = tag;
    };
    MainWindowHooks.ShowApplication = [](const char* caller, int32_t showCommand) {
        if (TfrmMainDLMR1* form = Main())
            form->ShowApplication(caller, showCommand);
    };
    MainWindowHooks.gDeskPageChanged = [] {
        if (TfrmMainDLMR1* form = Main())
            form->gDeskPageChanged();
    };
    MainWindowHooks.ZavriInfoPanel = [] {
        if (TfrmMainDLMR1* form = Main())
            form->ZavriInfoPanel();
    };

    ViewMainHooks.btnESCClick = [] {
        if (TfrmMainDLMR1* form = Main())
            form->btnESCClick();
    };
    ViewMainHooks.ResizeControl = [](int32_t width, int32_t height, int32_t barHeight, int32_t barWidth) {
        if (TfrmMainDLMR1* form = Main())
            form->ResizeControl(width, height, barHeight, barWidth);
    };
    ViewMainHooks.ResizeHeaderComponents = [](int32_t, int32_t) {
        if (TfrmMainDLMR1* form = Main())
            form->ResizeHeaderComponents();
    };
    // The scroll-bar panel holds nothing.
    ViewMainHooks.ResizeScrollbar = [](int32_t, int32_t, int32_t, int32_t) {};
    ViewMainHooks.FormMouseDown = [](plat::TComponent*, int32_t, uint32_t, int32_t, int32_t) {
        if (TfrmMainDLMR1* form = Main())
            form->Pages().FormMouseDown();
    };
    ViewMainHooks.MainForm = []() -> plat::TForm* { return Main(); };
    ViewMainHooks.gDesk = []() -> plat::TWinControl* { return Main() != nullptr ? Main()->gDesk : nullptr; };
    ViewMainHooks.pDesk = []() -> plat::TPanel* { return Main() != nullptr ? Main()->pDesk : nullptr; };
    ViewMainHooks.FixedPanel = [](TNMainPanel which) -> plat::TPanel* {
        TfrmMainDLMR1* form = Main();
        if (form == nullptr)
            return nullptr;
        switch (which) {
        case mpHeader:
            return form->pHeader;
        case mpZentor:
            return form->pZentor;
        case mpControl:
            return form->pControl;
        case mpScrollbar:
            return form->pScrollbar;
        case mpSpare1:
            return form->pSpare1;
        case mpSpare2:
            return form->pSpare2;
        case mpSpare3:
            return form->pSpare3;
        default:
            return nullptr;
        }
    };
    ViewMainHooks.imagelistAction = []() -> plat::TImageList* {
        return Main() != nullptr ? Main()->imagelistAction.get() : nullptr;
    };
    ViewMainHooks.popupText = []() -> plat::TComponent* { return Main() != nullptr ? Main()->popupText : nullptr; };
    ViewMainHooks.timerResize = []() -> plat::TComponent* { return Main() != nullptr ? Main()->timerResize : nullptr; };
    ViewMainHooks.DayCellSize = []() -> int32_t { return kDayCellSize; };
    ViewMainHooks.StartPicturesJob = &StartPicturesJob;
    InstallAlertHooks();
    InstallShutDownHooks();
    InstallStripAndMenuHooks();
    InstallSettingsAndClockHooks();
    InstallPagesHooks();
    InstallRecordListHooks();
}

void TfrmMainDLMR1::RemoveHooks()
{
    MainWindowHooks.ArmOnlineTimer = nullptr;
    MainWindowHooks.SetOnlineTimerTag = nullptr;
    MainWindowHooks.ShowApplication = nullptr;
    MainWindowHooks.gDeskPageChanged = nullptr;
    MainWindowHooks.ZavriInfoPanel = nullptr;
    ViewMainHooks.btnESCClick = nullptr;
    ViewMainHooks.ResizeControl = nullptr;
    ViewMainHooks.ResizeHeaderComponents = nullptr;
    ViewMainHooks.ResizeScrollbar = nullptr;
    ViewMainHooks.FormMouseDown = nullptr;
    ViewMainHooks.MainForm = nullptr;
    ViewMainHooks.gDesk = nullptr;
    ViewMainHooks.pDesk = nullptr;
    ViewMainHooks.FixedPanel = nullptr;
    ViewMainHooks.imagelistAction = nullptr;
    ViewMainHooks.popupText = nullptr;
    ViewMainHooks.timerResize = nullptr;
    ViewMainHooks.DayCellSize = nullptr;
    ViewMainHooks.StartPicturesJob = nullptr;
    RemoveAlertHooks();
    RemoveShutDownHooks();
    RemoveStripAndMenuHooks();
    RemoveSettingsAndClockHooks();
    RemovePagesHooks();
    RemoveRecordListHooks();
}
