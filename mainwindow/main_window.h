#pragma once

#include "platform/gui/form.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class TButton;
class TFlatButton;
class TImage;
class TImageList;
class TJvGradient;
class TMenuItem;
class TLabel;
class TMainMenu;
class TNotebook;
class TPanel;
class TPopupMenu;
class TTimer;
class TrayIcon;
} // namespace plat

class TNInfoMessages;
class TNPageServices;
class TNViewItem;
class TNWebAnswer;
class TNUniDialogForm;

// The main window: its fixed parts, start-up, the control bar and page
// switching, showing, hiding and resizing, and the bridge to the universal
// dialog. Main thread only, except where a member says otherwise.
class TfrmMainDLMR1 : public plat::TForm {
public:
    // Control-bar view ids.
    static constexpr int8_t kHomepage = 1;
    static constexpr int8_t kCalendar = 2;
    static constexpr int8_t kTasks = 3;
    static constexpr int8_t kNotes = 4;
    static constexpr int8_t kPages = 7;
    static constexpr int8_t kSearch = 88;
    static constexpr int32_t kMaxDialogs = 32;
    static constexpr int32_t kDayCellSize = 34;

    // `pages` serves the page entries; null gives the built-in one that
    // logs each call as not built yet.
    explicit TfrmMainDLMR1(plat::TComponent* owner, std::unique_ptr<TNPageServices> pages = nullptr);
    ~TfrmMainDLMR1() override;
    const char* ClassName() const override { return "TfrmMainDLMR1"; }

    plat::LRESULT Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam) override;

    TNPageServices& Pages() { return *pages_; }

protected:
    void Detach() override;

public:
    // ---- Start-up.
    // The named images loaded at start: name and file below the program
    // folder, by index.
    static int32_t NamedImageCount();
    static const char* NamedImageName(int32_t index);
    static const char* NamedImageFile(int32_t index);
    void CreateMainComponents();
    void RunOnlineNow();
    void timerOnlineTimer();
    void timerCreateHiddenViewsTimer();

    // ---- Control bar and page switching.
    void CreateControlComponents(plat::TWinControl* parent);
    void ResizeControl(int32_t width, int32_t height, int32_t barHeight, int32_t barWidth);
    void ControlButtonClick(plat::TComponent* sender);
    void ClickOnControlButton(const char* name);
    void clickHomepage();
    void controlOpenRequestedView(int32_t id);
    void InvalidateMainWindowEx(int32_t mode);
    void ShowOrHideWindowParts(int32_t mode);
    void ShowOrHideWindowPartsForLogin() { ShowOrHideWindowParts(1); }
    void ShowOrHideWindowPartsForQuillor() { ShowOrHideWindowParts(2); }
    void gDeskPageChanged();
    void UpdateActuallyShownData(const char* caller);
    void btnESCClick();
    void pDeskResize();

    // ---- Showing, restoring, hiding and resizing.
    void ShowApplication(const char* caller, int32_t showCommand);
    void RestoreApplication();
    void SetMainWindowAsForeground();
    void pmnuHideClick();
    void FormActivate();
    void FormResize();
    void timerFormResizeTimer();
    void timerResizeTimer();
    void timerMaximizeMainWindowTimer();
    void timerFocusTimer();
    void trayIconMouseDown(plat::TMouseButton button);
    // The after-start mode: 0 keep hidden, 1 show, 2 minimise.
    void SetAfterStartupMode(int32_t mode);
    static int32_t GetFormBorderSize(const plat::TForm& form, int32_t& height);
    static int32_t GetFormBorderSize(int32_t outerWidth, int32_t clientWidth, int32_t outerHeight, int32_t clientHeight,
                                     int32_t& height);
    void mnuShowLogWindowClick();
    void ShowLogWindow(bool bringToFront);
    void timerFinishShowingLogFormTimer();

    // ---- Messages and the interim close.
    void EndSession(plat::TMessageId message);
    void FormCloseQuery(bool& canClose);
    void FormClose();

    // ---- Dialog bridge. `sender` gives the caller tag (-1 without one).
    int32_t UniDialog(const char* key, plat::TComponent* sender, int32_t p1, int32_t p2, int32_t p3, int32_t p4,
                      int32_t p5, int32_t p6, int32_t p7, int32_t p8);
    int32_t MB(const char* text, const char* caption, int32_t kind);
    int32_t DialogDepth() const { return dialogDepth_; }
    void SetDialogDepthForTest(int32_t depth) { dialogDepth_ = depth; }

    // ---- Information strip, menus, HTTP request, edit commands, wheel and
    // links (info_strip.cpp, menus.cpp, http_request.cpp, input_paths.cpp).
    // Strip heights and the opening steps.
    static constexpr int32_t kInfoStripHeight = 29;
    static constexpr int32_t kInfoOpeningSteps = 6;
    // Seconds between two messages for users.
    static constexpr int64_t kMessageForUsersPause = 72000;
    void StartTimerInfoPruh(int32_t tag);
    void timerInfoPruhTimer();
    void timerAnimaceTimer();
    void labelInfoClick();
    void labelInfoMouseEnter();
    void labelInfoMouseLeave();
    void btnInfoZavritClick();
    void VymazAktivniInformaci(int32_t index);
    void UpozorniNaNovouVerzi();
    // A null text changes only the colour.
    void StatusVersionBlink(plat::TColor colour, const char* text);
    void DisplayMessageForUsers(int64_t now);
    void mnuHomepageClick();
    void mnuHelpAndroidClick();

    // Settings, help and tray menus.
    void mnuPovolitZvukClick();
    void mnuSettingsTurnMonitorOnClick();
    void mnuSettingsEnableNotificationBlinkClick();
    void mnuSettingsUseUrgentImportanceFncClick();
    void mnuAutorunClick();
    void mnuStartupDalmoraCzClick();
    void mnuDontExitClick();
    void mnuMinimizeInsteadOfHideClick();
    void mnuShowTrayIconClick();
    void mnuDblClickOnTrayIconOpensWebClick();
    void mnuSettingsShowHiddenRecordsClick();
    void mnuSettingsDefaultPostponeMinutes(plat::TComponent* sender);
    void UpdateDefaultPostponeMinutesMenus(int32_t minutes);
    void SetDefaultView(int32_t code);
    void mnuSettingsChangeFontClick();
    void mnuSettingsResetFontClick();
    void mnuHelpResetDataFileClick();
    void mnuChangelogClick();
    void mnuOProgramuClick();
    void trayIconDblClick();
    void ShowFromTray(const char* caller);
    void mnuUserLogoutClick();
    // The display font: name (kept twice) and size.
    std::string DisplayFontName = "Roboto Condensed";
    std::string DisplayFontName2 = "Roboto Condensed";
    int32_t DisplayFontSize = 10;

    // HTTP: the answer text ("" after a failure); the return code or -1.
    std::string HttpSend(const char* url, bool showHourglass, TNWebAnswer* answer, bool fillList);
    int32_t HttpReturn(const char* url, bool showMessage);

    // Edit commands, the text popup, the wheel and the links.
    void mnuUndoClick();
    void mnuCopyClick();
    void mnuCutClick();
    void mnuPasteClick();
    void mnuDeleteClick();
    void mnuSelectAllClick();
    void mnuCopyAllClick();
    void popupTextPopup();
    bool MouseWheel(plat::TPoint mousePos, bool up);
    void StatusClick(plat::TComponent* sender);
    void labelStatusVersionClick();
    void LinkCloseMouseEnter(plat::TComponent* sender);
    void LinkCloseMouseLeave(plat::TComponent* sender);
    void timerLoginTimer();
    void timerScrollbarMoveTimer();
    // Set once timerLogin ran: the login wait time has passed.
    bool loginWaitPassed = false;
    // The component whose list the wheel moved last.
    uint32_t wheelMovedComponentId = 0;

    plat::TPanel* pInfo0 = nullptr;
    plat::TJvGradient* gradInfo = nullptr;
    plat::TImage* imgInfo = nullptr;
    plat::TLabel* labelInfo = nullptr;
    plat::TFlatButton* btnInfoZavrit = nullptr;
    plat::TTimer* timerAnimace = nullptr;
    plat::TTimer* timerScrollbarMove = nullptr;
    plat::TTimer* timerLogin = nullptr;
    // 0 idle, 1 to kInfoOpeningSteps while the strip opens.
    int32_t infoOpeningCounter = 0;
    bool newVersionNoticeAdded = false;
    int64_t lastMessageForUsersTime = 0;
    uint32_t lastMessageForUsersId = 0;

    // ---- Fixed parts, made as a form designer would.
    plat::TPanel* pDesk = nullptr;
    plat::TPanel* pDesk0 = nullptr;
    plat::TPanel* pDesk1 = nullptr;
    plat::TNotebook* gDesk = nullptr;
    plat::TPanel* pHpDesk = nullptr;
    plat::TPanel* pCalendarDesk = nullptr;
    plat::TPanel* pTasksDesk = nullptr;
    plat::TPanel* pNotesDesk = nullptr;
    plat::TPanel* pPagesDesk = nullptr;
    plat::TPanel* pSearchDesk = nullptr;
    plat::TPanel* pLogin = nullptr;
    plat::TPanel* pInfo = nullptr;
    plat::TButton* btnESC = nullptr;
    plat::TLabel* labelTestFont = nullptr;
    // Tag 1 while the program shows the window, 0 when it hid it.
    plat::TrayIcon* trayIcon = nullptr;
    std::unique_ptr<plat::TImageList> imagelistAction;
    plat::TMainMenu* MainMenu2 = nullptr;
    plat::TPopupMenu* popupTray = nullptr;
    plat::TPopupMenu* popupText = nullptr;
    plat::TPopupMenu* popupPostponeAlert = nullptr;

    // Panels built by CreateMainComponents.
    plat::TPanel* pSpare1 = nullptr;
    plat::TPanel* pScrollbar = nullptr;
    plat::TPanel* pHeader = nullptr;
    plat::TPanel* pControl = nullptr;
    plat::TPanel* pZentor = nullptr;
    plat::TPanel* pSpare2 = nullptr;
    plat::TPanel* pSpare3 = nullptr;
    plat::TPanel* pSideboard = nullptr;
    plat::TPanel* pSuggestor = nullptr;

    // Timers, off until their Parts arm them.
    plat::TTimer* timerOnline = nullptr;
    plat::TTimer* timerCreateHiddenViews = nullptr;
    plat::TTimer* timerFormResize = nullptr;
    plat::TTimer* timerResize = nullptr;
    plat::TTimer* timerMaximizeMainWindow = nullptr;
    plat::TTimer* timerFocus = nullptr;
    plat::TTimer* timerFinishShowingLogForm = nullptr;
    plat::TTimer* timerResetView = nullptr;
    plat::TTimer* timerNot = nullptr;
    plat::TTimer* timerUpdateUI = nullptr;
    plat::TTimer* timerAfterOnlineLogin = nullptr;
    plat::TTimer* timerMainFromOnline = nullptr;
    plat::TTimer* timerAutoLogin = nullptr;
    plat::TTimer* timerHodiny = nullptr;
    plat::TTimer* timerCloseApp = nullptr;
    plat::TTimer* timerEmergencyAppClose = nullptr;
    plat::TTimer* timerTasksAfterTagSelect = nullptr;
    plat::TTimer* timerSearch = nullptr;
    plat::TTimer* timerInfoPruh = nullptr;
    plat::TTimer* timerHint = nullptr;
    plat::TTimer* timerSetCalendarToToday = nullptr;
    plat::TTimer* timerAddSomethingNew = nullptr;
    plat::TTimer* timerDblClickTimer = nullptr;

    // ---- Form state.
    bool pleaseRestartApplication = false;
    bool noSyncInUpdateActuallyShownData = false;
    bool focusLock = false;
    bool autoLoginPending = true;
    int8_t controlActive = 0; // __controlActive
    int32_t rememberedTop = -1;
    int32_t alertWindowWidth = 440;
    int32_t zentorSizes[6] = {34, 21, 32, 32, 32, 32};
    // A user is signed in (set by the sign-in flow).
    std::atomic<uint8_t> signedIn{0};
    // The installation id read at start.
    uint32_t InstID = 0;
    // The deepest level first: window forms of open dialogs by level
    // (0 = this window).
    plat::TForm* windowTable[kMaxDialogs + 1] = {};

    // g's cached "Settings_AutoHide", filled once the log window has shown.
    bool cachedAutoHide = false;

    // Busy bytes of the switch, the escape step and the desk layout.
    std::atomic<uint8_t> controlClickBusy{0};
    std::atomic<uint8_t> escBusy{0};
    std::atomic<uint8_t> deskResizeBusy{0};

public:
    // One view of the control bar (control_bar.cpp).
    struct ControlView;

private:
    void CreateFixedParts();
    void CreateTimers();
    // Information strip, menus and input paths.
    void CreateInfoStrip();
    void CreateInputPaths();
    void CreateMenus();
    void CreateMenuBar();
    void CreateTrayMenu();
    void CreateTextMenus();
    void ToggleSetting(const char* key, plat::TMenuItem* item);
    void InstallStripAndMenuHooks();
    void RemoveStripAndMenuHooks();
    bool WheelComponent(TNViewItem* item, bool up);
    // The view's slots whose component has a wheel control, kept while no
    // component was created.
    const std::vector<int32_t>& WheelSlots();
    struct WheelSlotsStamp {
        uint32_t lastComponentId = 0;
        int32_t itemsCount = -1;
        const void* items = nullptr;
        bool operator==(const WheelSlotsStamp&) const = default;
    };
    WheelSlotsStamp wheelSlotsStamp_;
    std::vector<int32_t> wheelSlots_;
    void DeleteLeftOverInstallers();
    void LoadNamedImages();
    void InstallHooks();
    void RemoveHooks();
    void ShowLoginForm();
    void KeepInWorkArea();
    const ControlView* FindControlView(int32_t id) const;
    TNViewItem* ControlButton(int32_t id);
    void RunCreateCallback(const ControlView& view, TNViewItem* button);
    bool ControlViewCreated(const ControlView& view, const TNViewItem* button) const;

    std::unique_ptr<TNPageServices> pages_;
    bool paintingFrozen_ = false;
    std::string lastHandledPage_;
    int32_t windowPartsMode_ = 0;
    bool logWindowShown_ = false;
    int32_t dialogDepth_ = 0;
    // Component ids of the buttons whose create callback has run.
    uint32_t createdButtonIds_[6] = {};
};

extern TfrmMainDLMR1* frmMainDLMR1;
