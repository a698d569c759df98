#pragma once

#include "dialog/record_editor_logic.h"
#include "dialog/share_with.h"
#include "mainwindow/dialog_bridge.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class TBevel;
class TButton;
class TJvGradient;
class TLabel;
class TMainMenu;
class TMenuItem;
class TNotebook;
class TPanel;
class TPopupMenu;
class TTimer;
} // namespace plat

class TNPIM;
class TNPIMRecord;
class TNPIMRecords;
class TNPIMSharing;
class TNTime;
class TNViewItem;
struct TNNewUserPage;
struct TNProfilePage;
struct TNProxyPage;
struct TNRecurrenceComponents;
struct TNUniDialogPage;

// The one dialog window of the program: every dialog is a page of its
// notebook `gUni`, chosen by the key the bridge hands over. A new instance
// is made for every opened dialog and freed after it closes; the page's
// builder, layout, saver and focus come from the key table (unidlg_pages.h).
class TfrmUnidlgDLMR1 final : public TNUniDialogForm {
public:
    static constexpr int32_t kPageCount = 18;
    static constexpr int32_t kBottomBarHeight = 36;
    static constexpr int32_t kTitlePanelHeight = 56;

    TfrmUnidlgDLMR1();
    ~TfrmUnidlgDLMR1() override;
    const char* ClassName() const override { return "TfrmUnidlgDLMR1"; }

    plat::LRESULT Dispatch(plat::TMessageId message, plat::WPARAM wParam, plat::LPARAM lParam) override;
    bool AktivujDialog() override;

    // The opener's arguments by their names.
    int32_t i1() const { return Params[0]; }
    int32_t i2() const { return Params[1]; }
    int32_t i3() const { return Params[2]; }
    int32_t i4() const { return Params[3]; }
    int32_t i5() const { return Params[4]; }
    int32_t AccountIndex() const { return Params[5]; }
    int32_t i7() const { return Params[6]; }
    int32_t i8() const { return Params[7]; }
    // The slot of the dialog that opened this one; -1 for the main window.
    int32_t ParentIndex() const { return CallerTag; }
    // The component the opener passed by its id in i5, found again at each
    // use: a refill during the modal loop may have deleted it. Null then.
    TNViewItem* CallerItem() const;
    // The working record of the dialog that opened this one, when i8 is 1
    // ("the rule comes from the parent's working record"), reached through
    // the parent's slot at each use: the parent may have replaced it.
    TNPIMRecord* ParentWorkingRecord() const;

    // Opens a nested dialog over this one.
    int32_t UniDialog(const char* key, int32_t i1, int32_t i2, int32_t i3, int32_t i4, int32_t i5, int32_t i6,
                      int32_t i7, int32_t i8);
    // A message box nested over this dialog; 1 when confirmed with OK.
    int32_t MB(const char* text, const char* caption, int32_t iconFlags);

    void InvalidateUnidlgWindow(bool freeze);
    void NastavNadpis(const std::string& title, const std::string& subtitle, bool extended);
    void NastavTlacitka(bool barVisible);
    void FormActivate();
    void FormResize();
    void pBottom0Resize();
    void btnUlozitClick();
    void btnZavritClick();
    void mnuKonecClick();
    void mnuOProgramuClick();
    void mnuHomepageClick();
    void FormCloseQuery(bool& canClose);
    // OK's plain path: the window's values into the settings, which are
    // saved once a user is signed in.
    void SavePlainSettings();
    void FormClose();
    void WaitForEditedRecordUpdate();
    void RestoreMainWindow();
    void NastavTextovePopupMenu();
    void popupTextPopup();

    // The About page (unidlg_about.cpp).
    bool AktivujDialog_OProgramu();
    void FormResize_OProgramu();
    // The message-box page (unidlg_mb.cpp).
    bool AktivujDialog_MB();

    // The record editor page (unidlg_editrecord*.cpp).
    bool AktivujDialog_EditRecord();
    void FormResize_EditRecord();
    bool SaveRecord();
    // The share-with selection from a sharing list; null: the account's own.
    void PrepareShareWithGroups(const TNPIMSharing* sharing);
    void PrepareShareWithContacts(const TNPIMSharing* sharing);
    bool RemoveFromShareWith(int32_t kind, uint32_t id) override;
    // The record editor whose selection this dialog uses: itself on
    // "EditRecord", else the nearest opener on it; null when none.
    TfrmUnidlgDLMR1* RecordEditor();
    uint32_t EditedRecordId() const;
    void RecordTypeOrTimeChange(TNViewItem* item);
    void RecordLengthChange(TNViewItem* item);
    // Job 4's answer: taken only by the editor that asked (slot, id and
    // record), applied from timerUpdateUniDlgUi.
    bool TakeRecordFromServer(uint64_t dialogId, std::shared_ptr<const TNPIMRecord> record,
                              std::shared_ptr<const TNPIMSharing> sharing);
    void timerUpdateUniDlgUiTimer();
    void UpdateNowEditedRecord(const TNPIMRecord* record, bool recurrenceOnly);
    void UpdateNowEditedSharing(const TNPIMSharing* sharing);
    // The parent and master-record buttons: that record opens after closing.
    void OpenRecordNext(uint32_t id);
    void btn3RecurrenceClick();
    void memo3TextResizeOnChange();
    void memo3NoteResizeOnChange();
    int32_t GetTextHeight(const std::string& text, int32_t width);
    void labelOdkazClick();
    void labelKlonovatClick();
    void labelCreatedClick();
    void btnVymazatClick();
    // A date field's value; empty when the field is missing.
    TNEditorDate DateItemValue(const char* name) const;
    void SetDateItemValue(const char* name, const TNEditorDate& value);
    int32_t ComboIndex(const char* name) const;

    // The proxy page (unidlg_proxy.cpp).
    bool AktivujDialog_Proxy();
    void ActivateProxy();
    void NactiNastaveniProxy();
    void UlozNastaveniProxy();
    void checkPouzivatProxyClick();
    void btnAutoProxyClick();
    void btnNastaveniProxyClick();
    // The new-account wizard (unidlg_newuser.cpp).
    bool AktivujDialog_NewUser();
    void ActivateNewUser();
    void btn6HideAll();
    void btn6ContinueClick();
    void btn6BackClick();
    void timerNewUserTimer();
    void edit6ValueChange();
    void label6TermsClick();
    // An availability answer or a failed creation, posted to the open page.
    void SetNewAccountResult(const char* text, uint32_t colour, bool continueEnabled);
    void NewAccountCreationFailed(int32_t result);
    bool CreateNewVirtualAccount();
    void EndNewUserPage();
    // The basic profile page (unidlg_profile.cpp); `closing` for the Close
    // of a mandatory dialog.
    bool AktivujDialog_BasicProfileSettings();
    bool SaveBasicProfileSettings(bool closing);
    void ActivateBasicProfileSettings();
    // The password and e-mail pages (unidlg_password.cpp).
    bool AktivujDialog_ChangePassword();
    void FormResize_ChangePassword();
    bool Save_ChangePassword();
    bool AktivujDialog_ChangeEmail();
    void FormResize_ChangeEmail();
    bool Save_ChangeEmail();
    // The contact request page (unidlg_contact_request.cpp); the answer is
    // 1 accept, 2 ignore.
    bool AktivujDialog_ContactRequest();
    void FormResize_ContactRequest();
    void AnswerContactRequest(int32_t acceptance);

    // The recurrence editor page (unidlg_recurrence.cpp).
    bool AktivujDialog_RecordRecurrence();
    void FormResize_RecordRecurrence();
    void RecurrenceFrequencyOrRangeChange(TNViewItem* sender);
    void select8MonthlyDayOfMonthChange();
    void select8MonthlyDayOfWeekInMonthChange();
    void select8AnnuallyDayInMonthChange();
    void select8AnnuallyDayOfWeekInMonthChange();
    // false: the preview (this dialog's working record only); true: OK,
    // which hands the rule to the record editor. False keeps the page.
    bool SaveRecordRecurrence(bool save);
    void ShowRecurrencePreview();
    // The page's values as its components hold them.
    TNRecurrenceComponents RecurrenceComponents() const;

    // The delete-recurring-record page (unidlg_delete_recurring.cpp).
    bool AktivujDialog_DeleteRecurringRecord();
    void FormResize_DeleteRecurringRecord();
    void btnDeleteRecurringRecordClick(plat::TComponent* sender);
    // OK: deletes the chosen part of the series; false keeps the page.
    bool Save_DeleteRecurringRecord();

    // ---- Fixed parts, made as a form designer would.
    plat::TPanel* pNadpis = nullptr;
    plat::TJvGradient* gradNadpis = nullptr;
    plat::TLabel* labelNadpisStin = nullptr;
    plat::TLabel* labelNadpis = nullptr;
    plat::TLabel* labelSubNadpisStin = nullptr;
    plat::TLabel* labelSubNadpis = nullptr;
    plat::TBevel* bevelNadpis = nullptr;
    plat::TPanel* pBottom = nullptr;
    plat::TPanel* pBottom0 = nullptr;
    plat::TBevel* bevelBottom = nullptr;
    plat::TLabel* labelNapoveda = nullptr;
    plat::TLabel* labelOdkaz = nullptr;
    plat::TLabel* labelKlonovat = nullptr;
    plat::TLabel* labelCreated = nullptr;
    plat::TButton* btnUlozit = nullptr;
    plat::TButton* btnVymazat = nullptr;
    plat::TButton* btnZavrit = nullptr;
    plat::TNotebook* gUni = nullptr;
    // One panel per page, in page order; it sets the page's client size.
    plat::TPanel* pagePanels[kPageCount] = {};
    plat::TPopupMenu* popupText = nullptr;
    // Carries only the short cuts: its one top-level item is hidden.
    plat::TMainMenu* mainMenuShortcuts = nullptr;
    plat::TTimer* timerNewUser = nullptr;
    plat::TTimer* timerUpdateUniDlgUi = nullptr;
    // Hidden, word-wrapping; measures texts for the pages.
    plat::TLabel* labelMeasure = nullptr;

    // The message-box page.
    plat::TPanel* pMB = nullptr;
    plat::TLabel* labelMB = nullptr;

    // The About page.
    plat::TPanel* pOProgramu = nullptr;
    plat::TLabel* label1NadpisStin = nullptr;
    plat::TLabel* label1Nadpis = nullptr;
    plat::TLabel* label1Popis = nullptr;
    plat::TLabel* label1Verze = nullptr;
    plat::TLabel* label1MobileVersion = nullptr;
    plat::TLabel* label1DesktopVersion = nullptr;
    plat::TLabel* label1Support = nullptr;
    plat::TLabel* label1News = nullptr;
    plat::TLabel* label1Social1 = nullptr;
    plat::TLabel* label1Social2 = nullptr;
    plat::TLabel* label1Social3 = nullptr;
    plat::TPanel* p1Author = nullptr;
    plat::TLabel* label1AboutAuthorShadow = nullptr;
    plat::TLabel* label1AboutAuthor = nullptr;
    plat::TLabel* labelAuthorName = nullptr;
    plat::TLabel* label1AuthorWeb = nullptr;

    // The fixed controls of pages made on first use.
    std::unique_ptr<TNProxyPage> proxyPage;
    std::unique_ptr<TNNewUserPage> newUserPage;
    std::unique_ptr<TNProfilePage> profilePage;
    // Set while the Close of a mandatory profile dialog runs its save.
    bool savingOnClose = false;

    // ---- Per-dialog state.
    bool paintingFrozen = false;
    uint8_t saved = 0;
    uint8_t mayClose = 1;
    uint8_t editExisting = 0;
    uint8_t addSomethingElseMode = 0;
    uint32_t recordToOpenAfterClose = 0;
    uint8_t pageReady = 0;
    // The record editor's working copy; this dialog made it and frees it.
    std::unique_ptr<TNPIMRecord> workingRecord;
    std::atomic<bool> runningUpdateUniDlgUiTimer{false};
    std::atomic<bool> runningUpdateEditedRecord{false};
    std::atomic<bool> runningUpdateEditedSharing{false};

    // ---- The record editor's state.
    // Given at construction, never reused in a run.
    const uint64_t DialogId = NewDialogId();
    TNShareList shareGroups;
    TNShareList shareContacts;
    int32_t recordAccount = 0;
    uint32_t parentRecordId = 0;
    int32_t lastEventLengthInMinutes = -1;
    // The begin as the time logic last saw it.
    TNEditorDate shownBegin;
    bool endHasValue = false;
    bool newTopLevel = false;
    bool taskFlag = false;
    // Set while the program fills the page: nothing counts as the user's.
    bool fillingPage = false;
    bool userChanged = false;
    // Set when the recurrence page wrote another rule into the working
    // record; the save then sends the rule.
    uint8_t recurrenceChanged = 0;
    uint8_t recordDeleted = 0;
    int32_t pictureColumnWidth = 0;
    int32_t textHeight = 0;
    int32_t noteHeight = 0;
    std::shared_ptr<const TNPIMRecord> RecordFromServer;
    std::shared_ptr<const TNPIMSharing> SharingFromServer;
    // Ids behind the combos' entries, by entry index.
    std::vector<uint32_t> tagIds;
    std::vector<uint32_t> eventTypeIds;
    std::vector<uint32_t> organizerIds;

    // The page key's row; null before AktivujDialog found one.
    const TNUniDialogPage* Page() const { return page_; }
    // The page panel of a key, null for an unknown one.
    plat::TPanel* PagePanel(const std::string& key) const;
    // Client size := the page panel's size.
    void FitClientToPage(const plat::TPanel& panel);

protected:
    // A dialog freed without closing (its builder refused) leaves no
    // component of its page behind.
    void Detach() override;

private:
    static uint64_t NewDialogId();
    // Runs `step` on the editor of a page component, unless the time logic
    // is writing; marks the page changed when the program is not filling it.
    static void WithEditor(TNViewItem* item, const std::function<void(TfrmUnidlgDLMR1&)>& step);
    void SizeEditRecordPage(bool hasPicture);
    void TakeClickedPlace();
    void StartRecordFetch(const TNPIMRecord& found);
    void CreateEditRecordComponents();
    void FillEditRecordComponents();
    void FillTagCombo();
    void FillEventTypeCombo();
    void FillOrganizerCombo();
    void RefreshRecurrenceButton();
    void RefreshLengthField();
    bool IsRecurringRecord() const;
    static void OnTextChange(TNViewItem* item, void (*step)(TfrmUnidlgDLMR1&));
    void MemoGrew(const char* name, int32_t& storedHeight);
    TNTimeLogicState TimeLogicState() const;
    void ApplyLengthField(const TNTimeLogicResult& result);
    void ApplyEnd(const TNTimeLogicResult& result);
    void UpdateEditRecordHeading(const TNEditorDate& begin, const TNEditorDate& end);
    bool Refuse(const TNEditorCheck& check, uint32_t icon);
    TNEditorCheck CheckEditRecordPage(int32_t& saveMode);
    int32_t AskBeforeSave(TNPIMRecords& records, int32_t saveMode, uint32_t organizerId, bool& insertAsNew);
    int32_t WriteRecord(TNPIM& account, bool insertAsNew, int32_t saveMode, uint32_t organizerId, int32_t& position,
                        TNPIMRecord*& live);
    void WritePageInto(TNPIMRecord& record, bool isNew, int32_t saveMode, uint32_t organizerId);
    void WriteTagAndSharing(TNPIM& account, TNPIMRecord& record, bool isNew);
    void ShowSaveError(int32_t error);
    void WarnWhenOrganizerHidden(uint32_t organizerId);
    void SetEditRecordBottomBar();
    void CreateRecurrenceComponents();
    void SetRecurrenceComponents(const TNRecurrenceComponents& values, bool hasTime);
    void BindRecurrenceChanges();
    // The working record of the record editor that opened this page,
    // reached through its slot at each use.
    TNPIMRecord* RecurrenceParentRecord() const;
    void AddSomethingElse(int32_t type);

    // Set while the time logic writes fields.
    bool inTimeLogic = false;

    void CreateTitlePanel();
    void CreateBottomBar();
    void CreatePages();
    void CreateShortcutMenu();
    void CreateMessageBoxPage();
    void CreateAboutPage();
    void ApplyDialogColors();
    void PlaceOnScreen();
    // The close rules of one attempt: the mandatory profile save and the
    // new-account page's online timer. False keeps the dialog open.
    bool PrepareClose();

    const TNUniDialogPage* page_ = nullptr;
    bool activatedOnce_ = false;
    // The current close attempt already ran PrepareClose.
    bool closeAttemptPrepared_ = false;
};

// Makes the bridge create this dialog, the program's start-up make the time
// picker, and the view reach both through its dialog hooks.
void InstallUniversalDialog();
// The online layer's calls into the open new-account page (unidlg_newuser.cpp).
void InstallNewAccountHooks();

// The dialog in a slot, null when the slot is empty.
TfrmUnidlgDLMR1* UniDialogInSlot(int32_t slot);

// Change callbacks of the recurrence page's components and the click of
// the delete-recurring page's options; each finds its dialog by the slot
// the component carries.
void RecurrenceFrequencyOrRangeItemChange(TNViewItem* item);
void RecurrencePreviewItemChange(TNViewItem* item);
void DeleteRecurringRecordOptionChange(TNViewItem* item);
