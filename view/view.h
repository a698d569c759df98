#pragma once

#include "platform/gui/component.h"
#include "platform/gui/types.h"
#include "view/status_bar.h"
#include "view/view_item.h"

#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace plat {
class TCanvas;
class TFont;
class TForm;
class TLabel;
class TPanel;
class TWinControl;
} // namespace plat

class TNPIMAllDay;
class TNPIMRecord;
struct TNDayboxDay;
struct TNDayboxDynamicLayout;

// The registry and dispatcher of every drawn component: components are
// created by name, found by name, id or control, laid out through their
// kind, and deleted by name, by owning window or all at once. Main thread
// only, except the shown-records list.
class TNView {
public:
    static constexpr uint32_t kLastComponentIdLimit = 4294967295u;
    static constexpr int32_t kColumnCount = 5;
    static constexpr int32_t kButtonColorCount = 15;

    TNView();
    ~TNView();
    TNView(const TNView&) = delete;
    TNView& operator=(const TNView&) = delete;

    void Destroy();
    void ResetFormColor();

    // Registry.
    TNViewItem* CreateComponent(int8_t kind, const char* name, plat::TForm* ownerForm, plat::TWinControl* parentControl,
                                int32_t column, const char* caption, uint8_t captionAlignment, int32_t dialogIndex,
                                TNViewItem* itemTemplate, TNViewItem* parentItem, int32_t captionPosition);
    TNViewItem* CreateComponentFromTemplate(TNViewItem* itemTemplate);
    TNViewItem* GetComponent(const char* name);
    int32_t GetComponentPosByName(const char* name);
    TNViewItem* GetComponentById(uint32_t id);
    TNViewItem* GetComponentByHandle(const plat::TComponent* control);
    uint32_t GetNewComponentId();
    bool SetDefaultsByItemType(TNViewItem* item, int8_t kind);
    bool Resize(int32_t n);

    bool ResizeComponent(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force);
    bool ResizeComponentByName(const char* name, int32_t left, int32_t top, int32_t width, int32_t height, bool force);

    bool DeleteComponent(const char* name, bool detach);
    bool DeleteComponentById(uint32_t id, bool detach);
    void DeleteAllDeletableComponents();
    void DeleteComponentsByFormHandle(plat::TForm* form);

    // Accessors by name or item.
    bool SetComponentVisibility(const char* name, bool visible);
    bool ShowOrHideShowComponent(TNViewItem* item, bool show);
    bool SetShownFlag(TNViewItem* item, bool shown);
    bool IsShown(TNViewItem* item);
    bool SetText(const char* name, const char* text, bool setColor, plat::TColor color);
    std::string GetText(const char* name);
    void SetFocus(const char* name);
    bool SetHint(const char* name, bool showHint, const char* hint);
    int32_t GetValue(const char* name);
    std::string GetComboValue(const char* name);
    bool GetCheckboxValue(const char* name);
    bool SetCheckboxValue(const char* name, bool value);
    bool SetButtonTitle(TNViewItem* item, const char* title, const char* subtitle, plat::TColor subtitleFontColor,
                        plat::TColor subtitleColor, bool transparent, bool relayout);
    int32_t GetHeight(const char* name);
    int32_t GetWidth(const char* name);
    void ButtonHoverOn(TNViewItem* item);
    void ButtonHoverOff(TNViewItem* item);
    TNViewInner* GetActiveInner(TNViewItem* item);
    void CreateChildRecordLists(TNViewItem* item);
    // The first selected record card of a scroll box's active list.
    TNViewItem* GetSelectedScrollboxChild(TNViewItem* item);

    // Buttons (kind 13).
    void CreateButton(TNViewItem* item);
    bool ResizeButton(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force);
    void ButtonMouseEnter(plat::TComponent* sender);
    void ButtonMouseLeave(plat::TComponent* sender);
    void ButtonCheckboxClick(plat::TComponent* sender);
    void SetButtonCheckbox(TNViewItem* item);

    // Day titles (kind 12).
    void CreateDayTitle(TNViewItem* item);
    bool ResizeDayTitle(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);

    // Scroll boxes (kind 14).
    void CreateScrollbox(TNViewItem* item);
    bool ResizeScrollbox(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force,
                         uint8_t updateScrollbar, uint8_t beforeResize, const char* caller);
    // ResizeScrollbox's steps. The thumb and the frame before the layout.
    struct ScrollState {
        int32_t ThumbTop;
        int32_t ThumbHeight;
        int32_t FrameHeight;
    };
    // True when the owner gave the content another size.
    bool RunBeforeResize(TNViewItem* item, uint8_t beforeResize, int32_t& contentWidth, int32_t& contentHeight);
    // The column's width, 0 when hidden.
    int32_t PlaceLeftColumn(TNViewItem* item);
    // The content's top.
    int32_t PlaceContentAndThumb(TNViewItem* item, int32_t contentHeight, bool updateScrollbar,
                                 const ScrollState& before);
    void ScrollThumbMouseEnter(plat::TComponent* sender);
    void ScrollThumbMouseLeave(plat::TComponent* sender);
    void ScrollThumbMouseDown(plat::TComponent* sender, int32_t y);
    void ScrollThumbMouseMove(plat::TComponent* sender, int32_t y);
    void ScrollThumbMouseUp(plat::TComponent* sender);
    void SetScrollThumbHot(TNViewItem* item, bool hot);
    // Moves the content to a position (0 = top, clamped to the content) and
    // the thumb after it.
    bool ScrollScrollboxTo(TNViewItem* item, int32_t position);

    // Tool bars (kind 15).
    void CreateToolbar(TNViewItem* item);
    TNViewItem* priToolbar(TNViewItem* toolbarItem, int8_t kind, const char* name, uint8_t rightAligned);
    TNViewItem* AddToolbarComponent(TNViewItem* prepared);
    bool ResizeToolbar(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force);
    bool SetToolbarBackground(TNViewItem* item, plat::TColor color);
    // Record cards in a tool bar: packed into lines over the days of the
    // week views, stacked one under the other elsewhere.
    void StackToolbarRecords(TNViewItem* bar, int32_t dayWidth, int32_t lineHeight);
    void ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week(TNViewItem* bar, int32_t dayWidth, int32_t lineHeight,
                                                             int32_t firstRecordIndex);

    // Day boxes (kind 16).
    void CreateDaybox(TNViewItem* item);
    bool ResizeDaybox(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force,
                      bool resizeImage, bool resizeChildren);
    bool UpdateRedline(TNViewItem* item);
    void DayboxMouseDown(plat::TComponent* sender, int32_t button, int32_t x, int32_t y);
    void DayboxMouseUp(plat::TComponent* sender, int32_t button, int32_t x, int32_t y);
    void DayboxDblClick(plat::TComponent* sender);

    // Filling a day box with the record cards of its days.
    void UpdateDaybox(TNViewItem* daybox, TNViewItem* scrollbox, int32_t recordFontSize);
    // Lays out one day; `layout` gets the home page's dynamic layout.
    bool UpdateDayboxCalendar(int32_t dayPos, TNViewItem* daybox, TNViewItem* scrollbox, TNPIMAllDay* entry,
                              int32_t recordFontSize, int32_t* allDayCount, TNDayboxDynamicLayout* layout,
                              bool showHidden);
    TNViewItem* CreateDayboxRecordComponent(int32_t dayPos, TNViewItem* daybox, TNViewItem* parent,
                                            const TNDayboxDay& day, int32_t recordPos, int32_t group, int32_t columns,
                                            bool month, bool allDay);
    void Daybox_UpdateScrollbox_ModeDynamic(const TNDayboxDynamicLayout* layout, TNViewItem* daybox,
                                            TNViewItem* scrollbox);

    // The caption label of a field and its place in the caption column;
    // PlaceCaption gives the left edge of the field's own controls.
    plat::TLabel* CreateCaptionLabel(TNViewItem* item, plat::TWinControl* panel);
    int32_t PlaceCaption(TNViewItem* item);

    // The main window's status bar and the frame of panels around its pages.
    bool InitMainStatusBar();
    void ResizeMainStatusBar();
    void ResizeMainForm();

    // Caption columns.
    int32_t GetCaptionMaxWidth(plat::TForm* ownerForm, plat::TWinControl* parentControl, int32_t column);
    void SetCaptionMaxWidth(plat::TForm* ownerForm, plat::TWinControl* parentControl, int32_t width, int32_t column,
                            TNViewItem* item);

    // Form fields: the top of a field's controls under a caption placed
    // above them.
    static int32_t ControlsTop(TNViewItem* item);
    // A date setter shows its stored value again; false for other kinds.
    bool UpdateComponent(const char* name);

    // Text kinds.
    static void CreateMemo(TNView& view, TNViewItem* item);
    static void CreateEdit(TNView& view, TNViewItem* item);
    static void CreateLabel(TNView& view, TNViewItem* item);
    static void CreateCheckbox(TNView& view, TNViewItem* item);
    static void ResizeMemo(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void ResizeEdit(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void ResizeLabel(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void ResizeCheckbox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                               int32_t height);
    void MemoKeyDown(plat::TComponent* sender, uint16_t& key);
    void CheckboxEnter(plat::TComponent* sender);
    void CheckboxExit(plat::TComponent* sender);
    void CheckboxClick(plat::TComponent* sender);
    void CheckboxLabelClick(plat::TComponent* sender);

    // Choice kinds.
    static void CreatePriority(TNView& view, TNViewItem* item);
    static void CreateVisibility(TNView& view, TNViewItem* item);
    static void CreateComboBox(TNView& view, TNViewItem* item);
    static void CreateComboBox2(TNView& view, TNViewItem* item);
    static void CreateComboBox3(TNView& view, TNViewItem* item);
    static void CreateListBox(TNView& view, TNViewItem* item);
    static void ResizePriority(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                               int32_t height);
    static void ResizeVisibility(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                 int32_t height);
    static void ResizeComboBox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                               int32_t height);
    static void ResizeComboBox2(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                int32_t height);
    static void ResizeComboBox3(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                int32_t height);
    static void ResizeListBox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void UpdatePriorityButtons(TNView& view, TNViewItem* item, int32_t value);
    static void UpdateVisibilityButtons(TNView& view, TNViewItem* item, int32_t value);
    void PriorityButtonClick(plat::TComponent* sender);
    void VisibilityButtonClick(plat::TComponent* sender);
    void ListBoxClick(plat::TComponent* sender);
    static void ListBoxDrawItem(plat::TComponent* control, int32_t index, const plat::TRect& rect, bool selected,
                                plat::TCanvas& canvas);

    // Date and alert kinds.
    static void CreateDate(TNView& view, TNViewItem* item);
    static void CreateAlert(TNView& view, TNViewItem* item);
    static void ResizeDate(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void ResizeAlert(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void UpdateDateTimeSetter(TNView& view, TNViewItem* item);
    static void UpdateAlertEditor(TNView& view, TNViewItem* item);
    void DateSetClick(plat::TComponent* sender);
    void DateAddTimeClick(plat::TComponent* sender);
    void DateHourClick(plat::TComponent* sender);
    void DateMinuteClick(plat::TComponent* sender);
    void DateDeleteClick(plat::TComponent* sender);
    void DatePickerChange(plat::TComponent* sender);
    void AlertComboChange(plat::TComponent* sender);
    void AlertDeliveryDropDown(plat::TComponent* sender);

    // Number kinds.
    static void CreateNumberEdit(TNView& view, TNViewItem* item);
    static void CreateRepeatInterval(TNView& view, TNViewItem* item);
    static void ResizeNumberEdit(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                 int32_t height);
    static void ResizeRepeatInterval(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                     int32_t height);
    void NumberEditChange(plat::TComponent* sender);
    void NumberEditExit(plat::TComponent* sender);
    void NumberEditStepClick(plat::TComponent* sender);
    void RepeatMinutesChange(plat::TComponent* sender);
    void RepeatMinutesExit(plat::TComponent* sender);

    // Image, icon button and share-with kinds.
    static void CreateImage(TNView& view, TNViewItem* item);
    static void CreateIconButton(TNView& view, TNViewItem* item);
    static void CreateShareWith(TNView& view, TNViewItem* item);
    static void ResizeImage(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height);
    static void ResizeIconButton(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                 int32_t height);
    static void ResizeShareWith(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width,
                                int32_t height);
    // Rebuilds the share-with rows from the owning dialog's selection.
    static void ResetSharingItems(TNView& view, TNViewItem* item);
    void ShareWithAddClick(plat::TComponent* sender);

    // Record cards (kind 17).
    void CreateRecord(TNViewItem* item);
    // Paints the card into its picture; the height used, 0 when nothing
    // was painted.
    int32_t PaintRecordImage(TNViewItem* item, TNPIMRecord* record, const char* caller, const char* text, bool hover,
                             int32_t height, int32_t width);
    bool ResizeRecord(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force);
    void RecordMouseEnter(plat::TComponent* sender);
    void RecordMouseLeave(plat::TComponent* sender);
    void RecordMouseMove(plat::TComponent* sender);
    // Acts on the hovered element; true for every element it handled.
    bool RecordMouseClick(TNViewItem* item, TNPIMRecord* record, plat::TComponent* sender);
    // The card's record: its pointer while no model reload replaced the
    // shown data since it was taken, else found by record_id.
    TNPIMRecord* RecordOfCard(TNViewItem* item);
    static void SetCardRecord(TNViewItem* item, TNPIMRecord* record);
    // Counts the model's replacements of the shown data.
    static uint32_t ShownDataGeneration();
    static void NoteShownDataReplaced();
    // A month cell's record n of day position p: its bounds in the day box,
    // 0 x 0 when it does not fit in the cell.
    void GetMonthViewRecordBounds(int32_t n, int32_t dayPos, TNViewItem* daybox, int32_t* left, int32_t* top,
                                  int32_t* width, int32_t* height);
    // Splits the day box's size evenly over columns and rows (the
    // remainder to the first ones); false for 0 or more than 7 of either.
    bool CalcWidthsAnsHeightsOfMonthViewCalendar(TNViewItem* daybox, int32_t width, int32_t height, int32_t columns,
                                                 int32_t rows);

    // Shown records, kept in WindowState where the workers read them.
    int32_t AddShownRecord(TNPIMRecord* record);
    int32_t GetShownRecord(uint32_t recordId);
    bool ResizeShownRecords(int32_t n);

    // Desks.
    bool ResizeDesks(int32_t n);
    int32_t SetDesk(TNViewItem* item, plat::TWinControl* window, const char* name);
    int32_t DeleteDeskByPos(int32_t position);

    void ThreadTerminated(plat::TComponent* sender);

    // The width of a text in a font, as labels measure it.
    static int32_t GetTextWidth(const char* text, const plat::TFont& font);

    uint8_t ClosingApplication = 0;
    int32_t ItemsCount = 0;
    TNViewItem** Items = nullptr;
    uint32_t LastComponentId = 0;
    uint8_t Destroyed = 0;
    int32_t StatusBarHeight = 24;
    int32_t MainFormWidth = 0;
    int32_t MainFormHeight = 0;
    uint8_t StatusBarInitialised = 0;
    uint8_t StatusBarVisible = 1;
    static constexpr int32_t kStatusBarCount = 9;
    // Panels 1 to 9 at 0 to 8.
    TNStatusBar StatusBars[kStatusBarCount];
    std::string TitleFontName = "Roboto Condensed";
    std::string FontName = TitleFontName;
    plat::TColor ButtonTextColor = 0;
    plat::TColor AccentColor = 0xBE6E19;
    int32_t DayTitleWidth = 245;
    int32_t FontSize = 10;
    plat::TWeakRef<plat::TPanel> ClockPanel;
    plat::TWeakRef<plat::TLabel> ClockLabel;
    int32_t ZentorButtonHeight = 34;
    plat::TColor FormColor = 0xD8E9EC;
    plat::TColor DialogColor = 0xD8E9EC;
    // Copied into every new button, in the order of its colour slots.
    plat::TColor ButtonColors[kButtonColorCount] = {};
    int32_t ScreenRows = 0;
    int32_t RowHeight = 32;
    TNViewItem** Desks = nullptr;
    int32_t DesksCount = 0;
    // While set, the calendar's refresh of all day boxes does nothing.
    uint8_t RefreshInhibited = 0;

private:
    // The item's own borderless, double-buffered panel in its parent's colour
    // and the view's font, as the container kinds start from.
    plat::TPanel* CreateItemPanel(TNViewItem* item);
    void ShowButtonLook(TNViewItem* item, bool hover);
    void LayOutButton(TNViewItem* item, int32_t captionLeft, int32_t left, int32_t top, int32_t width, int32_t height);
    int32_t FreeSlot();
    void DeleteItem(TNViewItem* item);
    bool IsRegistered(const TNViewItem* item) const;
    void ForgetLinksTo(TNViewItem* item);
    void RemoveDesk(TNViewItem* item);
    void FreeAllItems();

    // Record cards.
    void LayOutToolbarRecords(TNViewItem* bar);
    void FillDays(TNViewItem* daybox, TNViewItem* scrollbox, const std::vector<TNPIMAllDay*>& entries,
                  int32_t recordFontSize, bool showHidden);
    void LayOutScrollboxAgain(TNViewItem* scrollbox, const char* caller);
    void DeleteDayboxCards(TNViewItem* daybox, TNViewItem* bar, TNViewItem* scrollbox);
    void NumberCardsOfRecord(TNViewItem* parent, uint32_t recordId);
    void FinishFill(TNViewItem* daybox, TNViewItem* scrollbox, int32_t group);
    void ShowRedline(TNViewItem* daybox, TNViewItem* scrollbox, int32_t group);
    bool CardWidthFromParent(TNViewItem* item, int32_t* left, int32_t* top, int32_t* width, int32_t* height);
    void RepaintCardHover(TNViewItem* item, bool hover);
    void ToggleFinished(TNPIMRecord* record, int32_t pimPos);
    void AskForQuickSync();

    // Indexes of the registry: each maps to the ascending slots that may
    // hold the key; a look-up checks them against the item, so a stale
    // entry costs a check, and the tracked fields make a missing one
    // impossible.
    static int32_t RegisteredSlot(const TNViewItemData* owner);
    void NoteNameChanged(TNViewItemData* owner, const TNString& before);
    void NoteControlAssigned(TNViewItemData* owner, const void* control);
    void ForgetIndexes(TNViewItem* item, int32_t slot);
    void ClearIndexes();
    std::unordered_map<std::string, std::vector<int32_t>> nameIndex_;
    std::unordered_map<const void*, std::vector<int32_t>> controlIndex_;
    std::unordered_map<uint32_t, int32_t> idIndex_;
    // Slots without an item or with an empty name.
    std::set<int32_t> freeSlots_;

    // Items whose children step D of a deletion is walking.
    std::vector<const TNViewItem*> walkingChildren_;
};

// The one component tree; exists between ConstructViewGlobals and
// DestroyViewGlobals.
extern TNView& View;

void ConstructViewGlobals();
void DestroyViewGlobals();
bool ViewGlobalsConstructed();

// Joins View to the program's ordered globals: built after what the
// foundation hook already builds (g), torn down before it. Called once at
// start, after InstallOnlineGlobals and before ConstructGlobals.
void InstallViewGlobals();
// Fills the lower libraries' hooks the view answers: the model's
// replaced-data notice (which empties the shown records) and online's view
// entries.
void InstallViewHooks();
