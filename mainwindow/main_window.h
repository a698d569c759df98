#pragma once

#include "foundation/time.h"
#include "mainwindow/tasks_page.h"
#include "platform/gui/form.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class TButton;
class TComboBox;
class TEdit;
class TFlatButton;
class TImage;
class TImageList;
class TJvGradient;
class TMenuItem;
class TLabel;
class TMainMenu;
class TMenuItem;
class TNotebook;
class TPanel;
class TPopupMenu;
class TTimer;
class TrayIcon;
} // namespace plat

class TNInfoMessages;
class TNPageServices;
class TNPIMContactsRequest;
class TNPIMNotification;
class TNPIMOrganizer;
class TNPIMRecord;
class TNPIMRecordList;
class TNViewInner;
class TNSoundTable;
class TNViewItem;
class TNWebAnswer;
class TNUniDialogForm;
class TfrmHint;
class TfrmNotDLMR1;

// What the postpone command hands to the job thread (job 8).
struct TNPostponeJob {
    int32_t Position = 0;
    uint32_t AlertID = 0;
    uint32_t AlertUserID = 0;
    int32_t AlertType = 0;
    uint32_t OrganizerID = 0;
    uint32_t RecordID = 0;
    int32_t Minutes = 0;
};

// What a page hands to the job thread (jobs 5, 7, 9 and 10).
struct TNPageJob {
    int32_t Tag = 0;
    uint32_t RecordID = 0;
    int32_t Value = 0;
    int32_t pim_srv_pos = 0;
    uint32_t OrganizerID = 0;
    // Job 4: the asking editor's slot and id, and its record as it stood.
    int32_t DialogIndex = -1;
    uint64_t DialogId = 0;
    std::shared_ptr<const TNPIMRecord> EditedRecord;
};

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

    // ---- Message map, shut-down and hot keys (window_messages.cpp,
    // shut_down.cpp, hot_keys.cpp).
    plat::LRESULT WMActivate(plat::WPARAM state);
    void EndSession(plat::TMessageId message);
    void DisplayChange();
    plat::LRESULT PowerBroadcast(plat::WPARAM event);
    void FreeMemory();
    void FormCloseQuery(bool& canClose);
    void FormClose();
    void timerCloseAppTimer();
    void timerEmergencyAppCloseTimer();
    void mnuExitClick();
    void pmnuExitClick();
    // After the main loop: a close that the loop's end cut short (the
    // session's end while the exit waited for the online thread) is carried
    // out, so nothing of the run is lost. Nothing when the window closed.
    void FinishCloseAfterLoop();
    plat::LRESULT HotKey(plat::WPARAM id);
    bool HandleArrowKeyPress(int32_t id);
    bool HandleHomeKeyPress(int32_t id);
    // The settings step's share: check marks, the user hot keys, the
    // foreground hook (once a run) and, in front, Left, Right and Home.
    void RegisterHotkeysFromSettings();
    void RegisterFocusDependentHotkeys();
    void UnregisterFocusDependentHotkeys();
    void UnregisterAllHotkeys();
    // The foreground hook's callback: the window now in front, null for
    // another program's.
    void ForegroundWindowChanged(plat::TForm* form);
    void mnuShortcutMainWindowClick();
    void mnuShortcutAddSomethingNewClick();
    void mnuShortcutNotepadClick();
    // The search field with the keyboard focus (the header's or the search
    // page's), set and cleared by the field.
    void SetFocusedSearchField(plat::TWinControl* field);
    plat::TWinControl* FocusedSearchField() const { return focusedSearchField_.Get(); }

    // ---- Header bar, bell and search entry (header_bar.cpp, header_menus.cpp,
    // header_bell.cpp, header_search.cpp).
    // A fresh template with the header's look, for one header component;
    // CreateComponent takes it.
    TNViewItem* priHeader();
    void CreateHeaderComponents();
    void ResizeHeaderComponents();
    void UpdateHeaderUser();
    void UpdateHeader();
    // The number of counted notifications and requests; -1 when it did not run.
    int32_t UpdateHeaderBell();
    std::string GetNotificationText(TNPIMNotification* notification, int32_t pimSrvPos);
    std::string GetContactsRequestText(const TNPIMContactsRequest* request);
    void btnHeaderMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y);
    void btnHeaderUserMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y);
    void btnHeaderAddMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y);
    void btnHeaderBellMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y);
    void btnHeaderChatsMouseDown();
    void btnHeaderLogoClick();
    void btnContactRequestClick(plat::TComponent* sender);
    void btnBellNotificationClick(plat::TComponent* sender);
    void mnuOpenDalmoraWebClick();
    void mnuBasicProfileSettingsClick();
    // The search entry of the header and its twin on the search page.
    void editHeaderSearchEnter(plat::TComponent* sender);
    void editHeaderSearchExit(plat::TComponent* sender);
    void editHeaderSearchKeyDown(plat::TComponent* sender, uint16_t& key);
    void editSearchSearchEnter(plat::TComponent* sender);
    void editSearchSearchExit(plat::TComponent* sender);
    void editSearchSearchKeyDown(plat::TComponent* sender, uint16_t& key);
    // Binds the focus events of a search edit component (the header's or
    // the search page's) to the entry above.
    void BindSearchEdit(TNViewItem* item);
    void mnuFindClick(plat::TComponent* sender);
    void btnHeaderSearchClick();
    void btnSearchSearchClick();
    void ShowAndResizeSuggestorPanel();
    void HideSuggestorPanel();
    void timerSearchTimer();
    // The counters the last bell refresh wrote.
    int32_t headerContactRequestsCount = 0;
    int32_t headerNotificationsCount = 0;
    // Set while a bell refresh runs.
    std::atomic<uint8_t> bellRefreshBusy{0};
    // A bell item's change of the data: `underLock` once the model lock is
    // free, then `after` without it. The main thread never waits for a load
    // or a save; a busy lock tries again with timerBellActions.
    void RunBellActionWhenFree(std::function<void()> underLock, std::function<void()> after);
    void RunWaitingBellActions();
    struct BellAction {
        std::function<void()> underLock;
        std::function<void()> after;
    };
    std::vector<BellAction> bellActionsWaiting;
    plat::TTimer* timerBellActions = nullptr;
    // The page a search returns to (a control-bar view id).
    int32_t searchReturnPage = kHomepage;
    // The last popup menu of each header button, freed before its next one.
    enum HeaderMenu { hmMenu, hmUser, hmAdd, hmBell, kHeaderMenuCount };
    plat::TWeakRef<plat::TPopupMenu> headerMenus[kHeaderMenuCount];
    // Frees the button's previous menu (closed by now) and makes a new one.
    plat::TPopupMenu* NewHeaderMenu(HeaderMenu which, const char* name);
    // The common mouse-down of the header buttons: left button and a known
    // sender only; the menu is filled by `fill` and shown below the button
    // with the hover look on meanwhile.
    void PopUpHeaderMenu(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y, HeaderMenu which,
                         const char* name, bool rightAligned, const std::function<void(plat::TPopupMenu&)>& fill);
    void FillUserMenu(plat::TPopupMenu& menu);
    void FillAddMenu(plat::TPopupMenu& menu);
    void FillPageMenu(plat::TPopupMenu& menu);
    void FillBellMenu(plat::TPopupMenu& menu);

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
    // Opens the record editor on the next turn after a dialog closed (its Tag is the record id).
    plat::TTimer* timerEditRecord = nullptr;
    // The kind the record editor's "add something else" row chose; the close of the editor reads it.
    std::atomic<int> addSomethingElseType{0};

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

    // ---- Alert windows, sounds and the reminder toast (alert_windows.cpp,
    // alert_commands.cpp, reminder_toast.cpp, sound_table.cpp).
    static constexpr int32_t kNotSlots = 6;
    static constexpr int32_t kNotPoolSize = 5;
    // One entry of the alert windows' slot table; the pool uses the first
    // five.
    struct NotSlot {
        TfrmNotDLMR1* Window = nullptr;
        bool MayClose = true;
        int64_t AlertID = -1;
        // -1 while free, 1 while it shows an alert.
        int32_t Kind = -1;
    };
    NotSlot notSlots[kNotSlots];
    int32_t notWindowsCount = 0;
    // The postpone minutes of the current command.
    int32_t notPostponeMinutes = 9;
    // Unix seconds of the last monitor wake-up.
    int64_t lastMonitorWakeTime = 0;
    plat::TTimer* timerAlertBlink = nullptr;
    plat::TTimer* timerAlertSound = nullptr;
    void timerNotTimer();
    void CreateNotWindows();
    void CreateOneNotWindow(int32_t slot);
    void frmNotActivate(TfrmNotDLMR1& window);
    void nTimerTimer(int32_t slot);
    void AlertToNot(int32_t slot, uint32_t alertId);
    void nPostponeClick(int32_t slot);
    void pmnuPostponeAlertClick(const plat::TMenuItem& item);
    void nRemindMenuMouseDown(int32_t slot);
    void nAcceptClick(int32_t slot);
    void nOpenClick(int32_t slot);
    void CloseNotWindow(int32_t slot);
    void UpdateNotWindowPosition(int32_t slot);
    void TurnMonitorOn();
    void frmNotCloseQuery(const TfrmNotDLMR1& window, bool& canClose);
    void timerAlertBlinkTimer();
    void timerAlertSoundTimer();
    // The alert and toast timers' handlers and the online layer's hooks.
    void CreateAlertTimers();
    void InstallAlertHooks();
    static void RemoveAlertHooks();
    // Starts job 8; tests put a recorder here.
    std::function<void(const TNPostponeJob&)> StartPostponeJob;
    // Wakes the screen; tests count.
    std::function<void()> WakeMonitor;

    std::unique_ptr<TNSoundTable> Sounds;
    void NactiZvuky();
    void UvolniZvuky();
    // Any thread.
    void PlaySoundA(int32_t index);
    // Waits while the UI-update dispatcher takes a tag out of its queue.
    static void WaitWhileUiDispatcherBusy();

    // The toast, made on first use; timerHint's Tag is its state.
    TfrmHint* frmHint = nullptr;
    // Unix seconds of the last toast.
    int64_t lastToastTime = 0;
    // An enter paused the hold; the leave resumes it.
    bool hintHoldPaused = false;
    void CreateHintWindow();
    void CloseHintWindow();
    void BindHintLabels();
    void PauseHintHold();
    void ResumeHintHold();
    void SlideHintUp();
    void timerHintTimer();
    void frmHintActivate();
    void frmHintLabelButtonMouseEnter();
    void frmHintLabelButtonMouseLeave();
    void frmHintLabelButtonClick();
    void frmHintTagButtonMouseEnter();
    void frmHintTagButtonMouseLeave();
    void frmHintTagButtonClick();
    void frmHintCloseButtonMouseEnter();
    void frmHintCloseButtonMouseLeave();
    void frmHintCloseButtonClick();
    void frmHintHelpButtonMouseEnter();
    void frmHintHelpButtonMouseLeave();
    void frmHintHelpButtonClick();

public:
    // ---- Login page and the UI-update tag dispatcher (login_page.cpp,
    // ui_tag_dispatcher.cpp).
    // The status-message panel of the main status bar (the seventh).
    static constexpr int32_t kStatusTextPanel = 6;
    void ShowLoginForm();
    void edit9LoginChange();
    void edit9PassChange();
    void EnableLoginButton();
    void EnableLoginComponents(bool enable);
    void btn9LoginClick();
    void btn9LoginClick_afterSync(bool success, int32_t resno, const std::string& message);
    void timerAfterOnlineLoginTimer();
    void timerAutoLoginTimer();
    void timerRunPreloginTestTimer();
    void timerMainFromOnlineTimer();
    void timerDblClickTimerTimer();
    void btn9NewAccountClick();
    void label9ProxyClick();
    void label9ForgotPasswordClick();
    void RunLoginThreadNow(int32_t job);
    void mnuUserLogoutClick();
    void pmnuUserLogoutClick();
    void mnuChangeEmailClick(int32_t which);
    void mnuChangePasswordClick();
    void timerUpdateUITimer();
    // One tag's action (the dispatcher's table).
    void DispatchUiTag(int16_t tag, uint32_t param);

    plat::TJvGradient* gradLogin = nullptr;
    plat::TImage* Image1 = nullptr;
    plat::TLabel* labelLoginTitle = nullptr;
    plat::TLabel* labelLoginTitleShadow = nullptr;
    plat::TLabel* labelLoginSubtitle = nullptr;
    plat::TFlatButton* btn9NewAccount = nullptr;
    plat::TLabel* label9Login = nullptr;
    plat::TComboBox* edit9Login = nullptr;
    plat::TLabel* label9Pass = nullptr;
    plat::TEdit* edit9Pass = nullptr;
    plat::TLabel* label9NewAccount = nullptr;
    plat::TButton* btn9Login = nullptr;
    plat::TLabel* label9LoginTest = nullptr;
    plat::TLabel* label9Proxy = nullptr;
    plat::TLabel* label9ForgotPassword = nullptr;
    plat::TTimer* timerRunPreloginTest = nullptr;
    plat::TMenuItem* mnuUserLogout = nullptr;
    plat::TMenuItem* pmnuUserLogout = nullptr;
    bool loginValid = false;
    bool passwordValid = false;
    // The organizer tag 10 opens (last subscribed or saved).
    uint32_t organizerToOpen = 0;

private:
    void CreateLoginPage();
    void PlaceLoginTitles();
    void FillRememberedAccounts(bool& autoSignIn, bool& passwordRemembered);
    void StopFirstTimeBlink();
    // Puts the focus into the login edits: the password once a name is typed.
    void FocusLoginEdits();
    void InstallLoginPageHooks();
    void RemoveLoginPageHooks();
    void ShowInfoText(const char* text);
    void SetTrayIcon(int32_t index);
    void UpdateLogoutCaptions();
    void DeactivatedUser();
    // The last name handed to the name test.
    std::string lastTestedLogin_;

public:
    // ---- Pages: the record change sequence and the record actions
    // (record_commit.cpp, record_actions.cpp, record_cards.cpp,
    // record_menus.cpp).
    // The one commit path of a record the user changed in memory.
    void ChangedRecordSaveSequence(int32_t pim_srv_pos, TNPIMRecord* record, int32_t record_pos);
    // The record of that id in that account, its position in record_pos;
    // null when the account or the record is not there.
    TNPIMRecord* GetRecordWithPos(int32_t pim_srv_pos, uint32_t recordId, int32_t& record_pos);
    // The same in the first account (0, 1, ...) that holds it.
    TNPIMRecord* GetRecordWithPos(uint32_t recordId, int32_t& record_pos);
    void SetRecordImportance(int32_t pim_srv_pos, uint32_t recordId, int32_t importance);
    // Repaints the list that holds the record card.
    void UpdateComponent(TNViewItem* component);

    // The record editor; a note goes to the Notes page instead.
    void EditRecord(TNPIMRecord* record, uint32_t parentRecordID, uint8_t addFlag, TNViewItem* component,
                    int32_t newRecordType, int32_t organizerArg);
    bool DeleteRecordById(uint32_t recordID, bool askFirst, plat::TForm* ownerForm, int32_t pim_srv_pos);
    bool DeleteRecurringRecordById(uint32_t recordID, int32_t what);
    void recordClick(plat::TComponent* sender);
    void recordDblClick(plat::TComponent* sender);
    void recordMouseUp(plat::TComponent* sender, plat::TMouseButton button);
    void popupRecordPopup();
    void popupRecordImportancePopup();
    void pmnuRecordEditClick();
    void pmnuRecordAddSubrecordClick();
    void pmnuRecordStatusNoneClick();
    void pmnuRecordStatusFinishedClick();
    void pmnuRecordOpenOnWebClick();
    void pmnuRecordDeleteClick();
    void pmnuDayboxNewRecordClick();
    void btnTodayDayboxAddClick();
    void mnuFileAddTaskClick();
    void mnuFileAddSomethingNewClick();
    void mnuFileAddBirthdayClick();
    void mnuFileAddAnniversaryClick();
    void timerEditRecordTimer();
    void timerAddSomethingNewTimer();
    void AddTagFromEditRecordDialog();
    void RemoveSharingItem(int32_t position);
    // Fills the organizer's display texts; `accessible` tells whether the
    // user may add records to it.
    void GetAccessibleOrganizer(TNPIMOrganizer* organizer, bool& accessible);

    // Starts a page's job; tests put a recorder here. Unset, a job thread
    // with the job's Tag and fields is resumed, never waited for.
    std::function<void(const TNPageJob&)> StartPageJob;
    void RunPageJob(const TNPageJob& job);

    plat::TPopupMenu* popupRecord = nullptr;
    plat::TPopupMenu* popupRecordImportance = nullptr;
    plat::TPopupMenu* popupDaybox = nullptr;
    // The pages' state: the account of the card whose menu opened last, the
    // selected task card and the shown note.
    int32_t popupPimSrvPos = 0;
    uint32_t selectedTaskComponentId = 0;
    uint32_t selectedTaskRecordId = 0;
    int32_t selectedTaskPimSrvPos = 0;
    uint32_t shownNoteRecordId = 0;
    int32_t shownNotePimSrvPos = 0;

    // ---- Record lists (record_lists.cpp): each list keeps a pool of cards,
    // filled from the part of its result list on screen.
    // Cards per list: one screen of one-line task rows, measured once.
    int32_t RecordsPoolSize();
    // The height of a one-line task row in View's font.
    int32_t smallestCardHeightUnit = 0;
    // Slots 0 to the pool size less one, hidden.
    void CreateRecordsPool(TNViewItem* list);
    TNViewItem* CreateBlankRecordComponent(int32_t slot, TNViewItem* list);
    TNViewItem* UpdateRecordComponent(int32_t slot, TNPIMRecord* record, int32_t colorMode, TNViewItem* list);
    void HideRecordComponent(int32_t slot, TNViewItem* list);
    void PaintRecordsComponentsList(TNViewItem* list, bool measureOnly, const char* caller, bool force);
    // The list's active inner borrows the first `count` records of the
    // result, none measured yet, taken at the present shown-data generation.
    void SetListRecords(TNViewItem* list, const TNPIMRecordList& result, int32_t count);
    // The Tasks list's fill: the selection id in the timer's Tag.
    void timerTasksAfterTagSelectTimer();
    // The selection the Tasks list was filled for last.
    uint32_t tasksLastListedId = 0;
    // The list the records-list scroll callback handed over last (id).
    uint32_t handedOverListId = 0;
    bool paintingRecordsList = false;

private:
    void CreateRecordMenus();
    void InstallRecordListHooks();
    static void RemoveRecordListHooks();
    int32_t MeasureOneLineTaskRow();
    void DropStaleListRows(TNViewItem* list, TNViewInner* inner);
    bool MeasureRecordsList(TNViewItem* list, TNViewInner* inner, int32_t width);
    static int32_t MeasuredListHeight(TNViewInner* inner);
    void PlaceVisibleCards(TNViewItem* list, TNViewInner* inner, int32_t width, bool toFirstRow);
    // `toFirstRow`: the list scrolls to its FirstRow first (a wheel step).
    void PaintRecordsList(TNViewItem* list, bool measureOnly, const char* caller, bool force, bool toFirstRow);
    void PaintListBody(TNViewItem* list, TNViewInner* inner, bool measureOnly, bool force, bool toFirstRow);
    int32_t recordsPoolSize_ = 0;
    // What the Tasks list showed at its last fill; no rows before the first.
    std::vector<TNShownRow> tasksShownRows_;
    bool tasksListShown_ = false;
    uint32_t tasksShownId_ = 0;
    int32_t startScreenHeight_ = 0;
    void InstallPagesHooks();
    static void RemovePagesHooks();
    void SelectTaskCard(TNViewItem& card, int32_t account);
    void SelectNoteCard(TNViewItem& card, int32_t account);
    // Steps 1 to 6 of the calling order of a commit: the record of that id
    // in that account changed by `change`; false when it is gone.
    bool CommitRecordChange(int32_t pim_srv_pos, uint32_t recordId, const char* lockCaller, const char* syncCaller,
                            const std::function<void(TNPIMRecord&)>& change);
    void CommitRecordStatus(int32_t finished, const char* itemName, const char* lockCaller, const char* syncCaller);

public:
    // ---- Pages: the Tasks page (tasks_page.cpp) and the Notes page
    // (notes_page.cpp).
    void CreateTasksComponents();
    void ResizeTasksComponents(bool refresh);
    // Deletes every tag button of the tag column.
    void ClearTasksTags();
    // `rebuild` makes the tag column's buttons anew; then the list fills
    // through `timer` with the column's selection.
    void UpdateTasks(bool rebuild, plat::TTimer* timer);
    void btnTasksTagsClick(plat::TComponent* sender);
    void btnTasksTagsMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button);
    void btnTasksListMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button);
    void popupTasksTagsMenuButtonPopup();
    void pmnuTasksTagsAddNewTaskClick();
    void pmnuTasksTagsNewTagClick();
    void pmnuTasksTagsEditTagClick();
    // The Tasks column's selection; while none, the one the settings and
    // the tags' marks hold.
    uint32_t TasksSelectedTag();
    // The Tasks column's selection: id (0 none) and the store of a tag.
    uint32_t tasksSelectedId = 0;
    int32_t tasksSelectedPimSrvPos = 0;
    plat::TPopupMenu* popupTasksTagsMenuButton = nullptr;
    plat::TPopupMenu* popupTasksListMenuButton = nullptr;

    void CreateNotesComponents();
    void ResizeNotesComponents();
    void UpdateNotes();
    void btnNotesListTagsMouseDown(plat::TComponent* sender, plat::TMouseButton button);
    void btnNotesTagsClick(plat::TMenuItem& item);
    void btnNotesNoteMenuMouseDown(plat::TComponent* sender, plat::TMouseButton button);
    void pmnuNotesNoteDeleteThisTaskClick();
    void btnNotesListAddClick();
    void timerNotesAfterTagSelectTimer();
    // A change of a note editor: origin 1 the home page's, 2 the Notes page's.
    void NoteMemoChange(int32_t origin);
    void timerNotesSaveEditedNoteTimer();
    // Stores the editor's text of that origin as its note (a new one when
    // the editor holds none).
    void SaveEditedNote(int32_t origin);
    // An edit still waiting for the save timer is saved now, for its own
    // editor.
    void FlushPendingNoteSave();
    void ShowSelectedNote(TNPIMRecord* record, uint32_t filterId, bool saveFirst);
    void ForgetEditedNote();
    // An upload gave a note its service id: every editor and remembered id
    // showing the old one takes it.
    void ReplaceShownNoteId(uint32_t oldId, uint32_t newId);
    // The pages' remembered selections go back to none.
    void SetListFilters();
    // The last note saved (id), a note to open after the next fill (id, its
    // store; -1 none) and the save between the fill's start and its end.
    uint32_t lastSavedNoteId = 0;
    uint32_t pendingNoteToOpenId = 0;
    int32_t pendingNoteToOpenPimSrvPos = -1;
    bool noteSaveInProgress = false;
    plat::TTimer* timerNotesAfterTagSelect = nullptr;
    plat::TTimer* timerNotesSaveEditedNote = nullptr;
    plat::TPopupMenu* popupNotesTagsMenuButton = nullptr;
    plat::TPopupMenu* popupNotesNoteMenuButton = nullptr;

private:
    void CreateTasksAndNotesParts();
    void InstallTasksAndNotesHooks();
    static void RemoveTasksAndNotesHooks();
    void CreateTasksTagButtons();
    void SelectTasksTagButton(TNViewItem& button, bool selected);
    // The tags the column's buttons were made from, to see a change made
    // elsewhere.
    std::string TasksTagsSignature() const;
    std::string tasksTagsBuiltFrom_;
    plat::TWeakRef<plat::TPanel> tasksToolbar_;
    plat::TWeakRef<plat::TPanel> notesToolbar_;
    bool notesFillRunning_ = false;
    // What the Notes list showed at its last fill.
    std::vector<TNShownRow> notesShownRows_;
    bool notesListShown_ = false;
    uint32_t notesShownId_ = 0;

public:
    // ---- Pages: the calendar page (calendar_page.cpp, calendar_views.cpp,
    // calendar_backgrounds.cpp, calendar_filter.cpp).
    // The one shown day (00:00) of the home day box, the calendar's one-day
    // view and the Zentor day strip.
    TNTime calendarShownDay;
    // The calendar's view-by mode ("calendarViewBy"); 1 to 4 have a view.
    int32_t calendarViewBy = 4;
    // 1 while every author of the filter column is ticked.
    uint8_t calendarFilterAllSelected = 1;

    void CreateCalendarComponents();
    void ResizeCalendarComponents();
    // Closes the information strip (height 0, no active message).
    void ZavriInfoPanel();
    void ShowCalendarView(int32_t oldMode, int32_t newMode);
    void calendarChangeActivationOfViewByButton(int32_t mode, bool active);
    void calendarViewByMouseDown(plat::TComponent* sender, plat::TMouseButton button);
    void calendarTodayClick();
    void calendarPreviousClick();
    void calendarNextClick();
    // The month day box on the month of `date` (now when null).
    void SetMonthViewDayboxDate(TNViewItem* daybox, const TNTime* date);
    // The day number with its relative-day caption, and the day's name.
    void UpdateBigButtonAndDate(const TNTime& date, TNViewItem* bigButton, TNViewItem* dayNameButton);
    TNViewItem* UpdateAllRedlines();
    void RefreshAllDayboxes(const char* caller);
    // The remembered layout sizes, so the first layout after a sign-in runs.
    void ClearCalendarPageState();
    // The log-out: the filter column and the views, their components gone.
    void DestroyCalendarComponents();

    // The four views: 1 one day, 2 work week, 3 week, 4 month.
    void CreateCalendarView(int32_t view);
    void DestroyCalendarView(int32_t view, bool forget);
    void ResizeCalendarView(int32_t view, bool force);
    void UpdateCalendarView(int32_t view, bool force);
    // The view's scroll box and day box; null when not built.
    TNViewItem* CalendarViewScrollbox(int32_t view);
    TNViewItem* CalendarViewDaybox(int32_t view);

    // Day-box modes and the drawn backgrounds.
    void CreateDynamicImages();
    void CreateDynamicImage_CalendarOneDay(const char* name, int32_t quarterRowHeight);
    void CreateDynamicImage_CalendarMonth(const char* name, int32_t width, TNViewItem* daybox, int32_t height);
    void SetUpDayboxModeValues(int32_t mode, bool apply);
    void ResizeDayboxes();
    plat::TMenuItem* pmnuHPDayboxMode = nullptr;

    // The filter column.
    static constexpr const char* kCalendarFilterName = "scrollCalendar_Filter";
    static constexpr int32_t kCalendarFilterWidth = 200;
    void showCalendarFilterMenuButtonMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x,
                                               int32_t y);
    void pmnuCalendarFilter_NoShowClick();
    void pmnuCalendarFilter_ShowAsLeftColumnClick();
    void pmnuCalendarFilter_ShowAsRightColumnClick();
    void btnCalendarFilterCloseClick();
    void CreateCalendarComponents_Filter();
    void CreateCalendarComponents_Filter_AuthorFilter();
    void DestroyCalendarComponents_Filter();
    void ResizeCalendarComponents_Filter(bool force);
    bool RecordIsVisibleByFilter(TNPIMRecord* record);
    bool RecordIsVisibleByFilter_CalendarView(TNPIMRecord* record);
    bool TestIfAllFilterItemsAreSelected(uint8_t kind);
    void btnCalendarFilterAuthorCheckboxChange(TNViewItem* button);
    void btnCalendarFilterAuthorClick(TNViewItem* button);
    void btnCalendarFilterAuthors_SelectAllClick();
    plat::TPopupMenu* popupCalendarFilterMenu = nullptr;

private:
    void CreateCalendarToolbar();
    void StepCalendar(int32_t step, const char* caller);
    void UpdateCalendarViewTitles(int32_t view);
    void SetCalendarViewRange(int32_t view);
    void LayOutCalendarViewTitles(int32_t view);
    void UpdateBigButtonAndDate_WorkWeekView_and_WeekView(TNViewItem* scrollbox);
    void UpdateBigButtonAndDate_MonthView(TNViewItem* scrollbox);
    // The desk size of each view's last layout (width x 100000 + height).
    int64_t calendarViewDeskKey_[4] = {-1, -1, -1, -1};
    int64_t calendarFilterDeskKey_ = -1;
    // The filter column's panel, which holds its scroll box.
    plat::TWeakRef<plat::TPanel> calendarFilterColumn_;
    // The views' bounds of the last page layout.
    struct CalendarContent {
        int32_t Left = 0;
        int32_t Top = 0;
        int32_t Width = 0;
        int32_t Height = 0;
    } calendarContent_;
    void CreateCalendarMenus();
    void InstallCalendarHooks();
    static void RemoveCalendarHooks();

public:
    // ---- Message map, shut-down and hot keys.
    plat::TMenuItem* mnuShortcuts = nullptr;
    plat::TMenuItem* mnuShortcutMainWindow = nullptr;
    plat::TMenuItem* mnuShortcutAddSomethingNew = nullptr;
    plat::TMenuItem* mnuShortcutNotepad = nullptr;
    // What the close releases: the reminder toast and the loaded sounds.
    // Tests put recorders here.
    std::function<void()> onCloseToast = [this] { CloseHintWindow(); };
    std::function<void()> onReleaseSounds = [this] { UvolniZvuky(); };

public:
    // ---- Applying and storing the settings, the clock and the return to
    // today (settings_step.cpp, clock_timer.cpp).
    // The signed-in parts built, every setting applied, the window shown as
    // the start-up setting says, the settings file saved.
    void AktivujNastaveni();
    // Stores the window's state, position and size; only with `store`.
    void UlozHodnotyNastaveni(bool store);
    void mnuSettingsAutoHideClick();
    // The sound menu's check mark and the sound switch from "PovolitZvuk".
    void ApplyPovolitZvuk();
    // Scrolls the scroll box of that name; false when none has the name.
    bool ScrollWheelableTo(int32_t position, const char* name);
    void timerHodinyTimer();
    void ResetViewToDefaultAndToday();
    // Arms timerHodiny for the next full minute and remembers now.
    void StartClock();
    // 0 while the settings step runs, 1 after it.
    std::atomic<uint8_t> settingsApplied{0};
    // Week rows of the Zentor panel's day strip.
    int32_t zentorWeeksByDaysCount = 3;
    // The status bar is to be laid out again at the next tick (any thread).
    std::atomic<uint8_t> statusBarRelayoutWanted{0};
    // The date and minute the clock saw last.
    struct ClockMark {
        int32_t Year = 0;
        int32_t Month = 0;
        int32_t Day = 0;
        int32_t Minute = -1;
    };
    ClockMark clockMark;

private:
    // AktivujNastaveni's steps.
    void ApplyDisplayFont();
    // The value of "SettingsAfterStartup".
    int32_t ApplyUserAndMenuSettings();
    void RestorePageSettings();
    void ApplyTrayAndFrameSettings();
    void StartClockAndDefaultView();
    void ShowAfterSettings(int32_t afterStartup);
    void AktivujNastaveni_CreateComponents();
    void InstallSettingsAndClockHooks();
    void RemoveSettingsAndClockHooks();

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
    // The view's slots whose component has a wheel control, newest first,
    // kept while no component was created.
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
    void KeepInWorkArea();
    const ControlView* FindControlView(int32_t id) const;
    TNViewItem* ControlButton(int32_t id);
    void RunCreateCallback(const ControlView& view, TNViewItem* button);
    bool ControlViewCreated(const ControlView& view, const TNViewItem* button) const;

    // ---- Message map, shut-down and hot keys.
    void CreateShortcutMenu();
    bool HideInsteadOfClosing();
    bool QueryRealExit();
    void ArmResetViewTimer();
    void InstallShutDownHooks();
    void RemoveShutDownHooks();
    // The window-geometry steps of g reach this window through these.
    static void InstallScreenHooks();
    static void RemoveScreenHooks();
    void ToggleShortcut(int32_t id);
    bool HomepageTakesKey() const;
    bool SendKeyToSearchField(uint16_t virtualKey, const char* warning);
    // WMActivate's guard against the activations its own steps cause.
    std::atomic<bool> activateBusy_{false};
    // The emergency close runs once; later ticks return.
    std::atomic<bool> emergencyStarted_{false};
    // The screen size DisplayChange handled last (the start size at first).
    int32_t handledScreenWidth_ = 0;
    int32_t handledScreenHeight_ = 0;
    bool foregroundHookInstalled_ = false;
    // The update's download was stopped (and waited for) by an exit.
    bool updateStoppedForClose_ = false;
    // FormClose has run.
    bool formClosed_ = false;
    plat::TWeakRef<plat::TWinControl> focusedSearchField_;

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
