#pragma once

#include "foundation/string.h"
#include "foundation/time.h"
#include "platform/gui/component.h"
#include "platform/gui/types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plat {
class TControl;
class TForm;
class TWinControl;
class TPanel;
class TJvPanel;
class TLabel;
class TImage;
class TShape;
class TJvGradient;
class TRichEdit;
class TFlatEdit;
class TListBox;
class TFlatComboBox;
class TSpeedButton;
class TFlatButton;
class TCheckBox;
class TDateTimePicker;
class TTimer;
} // namespace plat

class TNPIMRecord;
class TNPIMRecordList;
class TNPIMRecords;
class TNViewItem;
class TNViewSharingItem;

// Callbacks stored in a component; null means none.
using TNViewItemEvent = void (*)(TNViewItem* item);
using TNViewSizeEvent = void (*)(TNViewItem* item, int32_t* width, int32_t* height);

// Component kinds (the item's Type).
enum TNViewKind : int8_t {
    cmpNone = 0,
    cmpMemo = 1,
    cmpImage = 2,
    cmpPriority = 3,
    cmpComboBox = 4,
    cmpIconButton = 5,
    cmpCheckbox = 6,
    cmpVisibility = 7,
    cmpDate = 8,
    cmpAlert = 9,
    cmpShareWith = 10,
    cmpEdit = 11,
    cmpDayTitle = 12,
    cmpButton = 13,
    cmpScrollbox = 14,
    cmpToolbar = 15,
    cmpDaybox = 16,
    cmpRecord = 17,
    cmpListBox = 18,
    cmpNumberEdit = 19,
    cmpLabel = 20,
    cmpRepeatInterval = 21,
    cmpComboBox2 = 22,
    cmpComboBox3 = 23,
};
constexpr int kViewKindCount = 23;

struct TNViewItemData;

// Tell the registry of writes to the fields it indexes: a component's name
// and the controls it answers for. View fills them; unset, nothing is told.
struct TNViewRegistryHooks {
    void (*NameChanged)(TNViewItemData* owner, const TNString& before) = nullptr;
    void (*ControlAssigned)(TNViewItemData* owner, const void* control) = nullptr;
};
extern TNViewRegistryHooks ViewRegistryHooks;

// A control field of a component: a weak reference that reports every
// assignment, so that the registry's control index misses no holder. It
// keeps the last control given, alive or not, for the index to forget.
template <class T> class TNControlRef : public plat::TWeakRef<T> {
public:
    TNControlRef() = default;
    TNControlRef(const TNControlRef&) = delete;
    TNControlRef& operator=(const TNControlRef&) = delete;
    TNControlRef& operator=(TNControlRef&& other) noexcept
    {
        Assign(other.Get());
        return *this;
    }
    TNControlRef& operator=(T* control)
    {
        Assign(control);
        return *this;
    }
    TNControlRef& operator=(const plat::TWeakRef<T>& other)
    {
        Assign(other.Get());
        return *this;
    }

    void SetOwner(TNViewItemData* owner) { owner_ = owner; }
    const void* Assigned() const { return assigned_; }

private:
    void Assign(T* control)
    {
        plat::TWeakRef<T>::operator=(plat::TWeakRef<T>(control));
        assigned_ = control;
        if (owner_ != nullptr && control != nullptr && ViewRegistryHooks.ControlAssigned != nullptr)
            ViewRegistryHooks.ControlAssigned(owner_, control);
    }

    TNViewItemData* owner_ = nullptr;
    const void* assigned_ = nullptr;
};

// A component's name: reports every change to the registry's name index.
class TNViewName : public TNString {
public:
    TNViewName() = default;
    TNViewName(const TNViewName&) = delete;
    TNViewName& operator=(const TNViewName&) = delete;
    TNViewName& operator=(TNViewName&& other) noexcept
    {
        Change([&] { TNString::operator=(static_cast<const TNString&>(other)); });
        return *this;
    }
    TNViewName& operator=(const TNString& other)
    {
        Change([&] { TNString::operator=(other); });
        return *this;
    }
    bool Set(const char* text)
    {
        bool done = false;
        Change([&] { done = TNString::Set(text); });
        return done;
    }
    bool Clear()
    {
        bool done = false;
        Change([&] { done = TNString::Clear(); });
        return done;
    }

    void SetOwner(TNViewItemData* owner) { owner_ = owner; }

    // The string's other writers would change the name unseen.
    template <class... A> void Destroy(A&&...) = delete;
    template <class... A> void Resize(A&&...) = delete;
    template <class... A> void SetInt(A&&...) = delete;
    template <class... A> void Fill(A&&...) = delete;
    template <class... A> void Copy(A&&...) = delete;
    template <class... A> void Insert(A&&...) = delete;
    template <class... A> void Append(A&&...) = delete;
    template <class... A> void AppendInt(A&&...) = delete;
    template <class... A> void AppendUInt(A&&...) = delete;
    template <class... A> void AppendChar(A&&...) = delete;
    template <class... A> void ToLower(A&&...) = delete;
    template <class... A> void TrimLeft(A&&...) = delete;
    template <class... A> void TrimRight(A&&...) = delete;
    template <class... A> void Trim(A&&...) = delete;
    template <class... A> void Replace(A&&...) = delete;
    template <class... A> void DecodeHtmlEntities(A&&...) = delete;
    template <class... A> void UrlEncode(A&&...) = delete;
    template <class... A> void AppendMonthLocative(A&&...) = delete;

private:
    template <class Write> void Change(Write write)
    {
        if (owner_ == nullptr || ViewRegistryHooks.NameChanged == nullptr) {
            write();
            return;
        }
        const TNString before(static_cast<const TNString&>(*this));
        write();
        ViewRegistryHooks.NameChanged(owner_, before);
    }

    TNViewItemData* owner_ = nullptr;
};

// One list state of a scroll box. The main window's record lists fill the
// rows; the list state owns its record list and its two row arrays.
class TNViewInner {
public:
    TNViewInner() = default;
    ~TNViewInner();
    TNViewInner(const TNViewInner&) = delete;
    TNViewInner& operator=(const TNViewInner&) = delete;

    // Frees Records, Tops and Heights; LastTagID goes back to "none".
    void FreeRows();

    int32_t Position = -1;
    int32_t ListItemsCount = 0;
    int32_t FirstRow = 0;
    int32_t KeptValue = 0;
    int32_t RowHeight = 32;
    int32_t VisibleRows = 0;
    int32_t LastTagID = -9999;
    int32_t Marker = -10000;
    TNPIMRecords* Records = nullptr;
    int32_t* Tops = nullptr;
    int32_t* Heights = nullptr;
    TNControlRef<plat::TJvPanel> ContentPanel;
    // Record lists: the model's shown-data generation Records were taken
    // at (older pointers are dropped unread) and the panel width the
    // heights were measured at.
    uint32_t DataGeneration = 0;
    int32_t MeasuredWidth = -1;
    // Records made for this list alone (placeholder cards), which Records
    // points to; freed with the rows.
    std::unique_ptr<TNPIMRecordList> OwnedRecords;
};

// The fields of a component, each with the default Init gives it.
struct TNViewItemData {
    TNViewItemData();
    ~TNViewItemData();
    TNViewItemData(const TNViewItemData&) = delete;
    TNViewItemData& operator=(const TNViewItemData&) = delete;
    TNViewItemData& operator=(TNViewItemData&&) noexcept;

    // Identity and registry.
    uint32_t ComponentId = 0;
    int32_t SlotIndex = -1;
    int8_t Type = cmpNone;
    TNViewName Name;
    TNString Caption;
    uint8_t IsNew = 1;
    uint8_t Deletable = 1;
    int32_t FormTag = -1;
    int32_t pimSrvPos = 0;

    // State flags.
    uint8_t KindFlag = 0;
    uint8_t RecordFlag = 1;
    uint8_t RecordFlag2 = 1;
    uint8_t Enabled = 1;
    uint8_t Shown = 1;
    uint8_t Active = 0;
    uint8_t Marked = 0;
    uint8_t Selected = 0;
    uint8_t SpareFlag = 0;
    uint8_t Hovered = 0;
    uint8_t ClickAddsTag = 0;

    // Caption column (template).
    int32_t Column = 0;
    int32_t CaptionPosition = 3;
    uint8_t CaptionAlignment = 0;
    int32_t CaptionWidths[5] = {};
    int32_t LastCaptionWidths[5] = {};

    // Layout values (template) and the last layout pass; -999 = none yet.
    int32_t LayoutValue1 = -1;
    int32_t LayoutValue2 = 0;
    int32_t LastLeft = -999;
    int32_t LastTop = -999;
    int32_t LastWidth = -999;
    int32_t LastHeight = -999;
    int32_t LastParentWidth = -999;
    int32_t LastParentHeight = -999;
    int32_t LastChildrenCount = -1;
    // Tool bars: 555 or 777 on a bar lays out only the bar itself; -999 on
    // a bar's last child makes it fill the rest of the bar.
    int32_t LayoutCode = 0;

    // Kind-specific values.
    int32_t KindValue1 = 0;
    int32_t KindValue2 = 0;
    int32_t KindValue3 = 0;
    int32_t KindValue4 = 0;
    int32_t KindValue5 = 0;
    int32_t KindValue15 = 15;
    int32_t KindValue8 = 8;
    int32_t KindValue10 = 10;
    int32_t KindValue6 = 0;
    int32_t KindValue7 = 0;
    int32_t KindValue9 = 0;
    uint8_t KindFlag2 = 0;
    int32_t Value = 0;
    uint32_t UIntValue = 0;

    // Alert kind: delivery index, days, hours, minutes.
    int32_t AlertDelivery = 0;
    int32_t AlertDays = 0;
    int32_t AlertHours = 0;
    int32_t AlertMinutes = 0;
    // Limits of the first and of the second number.
    int32_t MinValue1 = 1;
    int32_t MaxValue1 = 999;
    int32_t MinValue2 = 1;
    int32_t MaxValue2 = 999;
    int32_t NumberEditWidth = -1;
    // The number edit's step buttons: 0 hides them.
    int32_t StepButtons = 0;
    std::string LastAcceptedText;
    // Set while a number kind's change handling runs: the text it writes
    // back fires the edit's change again, which then returns at once.
    uint8_t NumberChangeRunning = 0;
    uint8_t MemoEnterKeepsText = 0;

    // Date setter.
    uint8_t DateFlag = 0;
    uint8_t DateMayBeDeleted = 0;
    uint8_t SetsDate = 0;
    uint8_t HasDate = 0;
    uint8_t TimeMayBeDeleted = 0;
    uint8_t TimeMayBeAdded = 0;
    uint8_t HasTime = 0;
    TNTime DateValue;
    // The time the setter offers when a time is added.
    int32_t OfferedHour = 8;
    int32_t OfferedMinute = 0;

    // Button look and layout (mostly template).
    TNString ButtonTitle;
    TNString IconName;
    plat::TColor PanelColor = 0;
    int32_t TextInsetX = 0;
    int32_t TextInsetY = 0;
    int32_t TextInsetValue = 0;
    int32_t FrameWidth = 1;
    int32_t FrameInset = 1;
    uint8_t IconShown = 0;
    int32_t IconGap = 6;
    int32_t IconTop = 0;
    int32_t IconPosition = 0;
    int32_t BadgePosition = 1;
    int32_t BadgeGap = 4;
    int32_t BadgeTop = 2;
    uint8_t HasCheckbox = 0;
    uint8_t HasDropDown = 0;
    int32_t CheckboxSide = 3;
    int32_t CheckboxGap = 4;
    int32_t DropDownValue = 1;
    int32_t DropDownGap = 7;
    uint8_t TextHAlign = 2;
    uint8_t TextVAlign = 1;
    int32_t MaxTextHeight = 256;
    uint8_t RightAligned = 0;
    uint8_t AutoWidth = 0;
    uint8_t WordWrap = 0;
    uint8_t HeightFollowsParent = 0;
    uint8_t UnderlineOnHover = 0;
    // Normal, hover and active looks.
    plat::TColor NormalStart = 0;
    plat::TColor NormalEnd = 0;
    plat::TColor NormalText = 0;
    plat::TColor HoverStart = 0;
    plat::TColor HoverEnd = 0;
    plat::TColor HoverText = 0;
    plat::TColor ActiveStart = 0;
    plat::TColor ActiveEnd = 0;
    plat::TColor FrameColor = 0;
    plat::TColor NormalBorder1 = 0;
    plat::TColor NormalBorder2 = 0;
    plat::TColor HoverBorder1 = 0;
    plat::TColor HoverBorder2 = 0;
    plat::TColor ActiveBorder1 = 0;
    plat::TColor ActiveBorder2 = 0;
    plat::TColor NormalOutline = 0;
    plat::TColor HoverOutline = 0;
    plat::TColor ActiveOutline = 0;

    // Scroll box.
    int32_t VirtualHeight = -1;
    int32_t VirtualOffset = 0;
    uint8_t LeftColumnShown = 0;
    uint8_t TopBarShown = 0;
    uint8_t SecondBarShown = 0;
    uint8_t ThirdBarShown = 0;
    int32_t LeftColumnWidth = 64;
    int32_t LeftColumnHeight = 64;
    int32_t TopBarHeight = 32;
    int32_t SecondBarHeight = 32;
    int32_t ThirdBarHeight = 32;
    uint8_t AlwaysShowScrollbar = 0;
    int32_t ThumbY = -999;
    TNViewInner** Inners = nullptr;
    int32_t InnersCount = 0;
    int32_t ActiveInnerPos = -1;
    // Record lists: 1 task list, 2 note list, 0 other.
    int32_t ListKind = 0;

    // Day box.
    int32_t ClickX = 0;
    int32_t ClickY = 0;
    int32_t daybox_mode = 0;
    float* MinuteTops = nullptr;
    int32_t QuarterRowHeight = 0;
    // The first is the first shown day (From), the second the last (To).
    TNTime Times[4];
    int32_t shownDaysCount = 0;
    int32_t* DayValues1 = nullptr;
    int32_t* DayValues2 = nullptr;
    int32_t MonthRows = 0;
    int32_t* MonthDayTable = nullptr;
    int32_t* MonthColumnWidths = nullptr;
    int32_t* MonthRowHeights = nullptr;
    int32_t* SpareArray1 = nullptr;
    int32_t* SpareArray2 = nullptr;
    int32_t DayboxValues[4] = {-1, -1, -1, -1};
    int32_t DayboxValue = 0;
    uint8_t DayboxFlag = 0;
    // The item that asked for the day box (by id) and the hour it chose;
    // -999 = no hour chosen.
    uint32_t CallerItemId = 0;
    int32_t CallerHour = -999;

    // Record card.
    TNPIMRecord* recordPointer = nullptr;
    int32_t RecordValue1 = 0;
    int32_t RecordValue2 = 0;
    uint8_t ColorCombination = 0;
    int32_t dayPos = 0;
    int32_t ColumnPos = 0;
    int32_t ColumnsCount = 0;
    // A record id a button carries (parent or master record).
    uint32_t CarriedRecordId = 0;

    // Record card: what it shows and how it was last painted.
    uint32_t record_id = 0;
    // 1 task row, 2 note, 126 loading placeholder, 222 organizer card,
    // 111 and 127 without side line; anything else a plain card.
    int32_t DisplayType = 0;
    // 0 none, 1 check box, 2 check mark, 3 to 6 the links, 7 importance.
    uint8_t HoveredElement = 0;
    uint8_t LinksShown = 0;
    uint8_t AutoHeight = 0;
    // -1 shows no tag chip.
    int32_t TagDisplay = -1;
    int32_t ExtentLeft = 99;
    int32_t ExtentBottom = 0;
    int32_t LastLinksShown = -1;
    uint8_t LayoutNeeded = 0;
    // Running number among the cards of the same record under one parent.
    int32_t RecordSerial = 0;
    int32_t RecordSerialCount = 0;
    // Place among the records of a month cell.
    int32_t MonthPos = 0;
    // The model's replacement count when recordPointer was taken; an older
    // pointer is not trusted.
    uint32_t RecordPointerGeneration = 0;
    uint32_t PaintCount = 0;

    // Day box filling: the cards' font size, the busy byte and the
    // snapshot of the last rebuild.
    int32_t RecordFontSize = 0;
    uint8_t FillBusy = 0;
    int32_t SnapshotCount = -1;
    uint32_t SnapshotStamp = 0;
    int32_t SnapshotMode = -1;
    int64_t SnapshotFirstDay = -1;
    int32_t SnapshotScrollboxHeight = -1;
    int32_t SnapshotContentHeight = -1;
    int32_t SnapshotShowHidden = -1;

    // Organizer lists: record lists per column.
    std::vector<std::unique_ptr<TNPIMRecords>> ColumnRecords;
    int32_t SelectedColumn = 0;
    int32_t ColumnScrollPos = 0;
    uint32_t ChangeStamp = 0;

    // Desk.
    int32_t DeskPos = -1;
    std::string DeskName;
    plat::TWeakRef<plat::TWinControl> DeskWindow;

    // Share-with field: its rows, owned.
    TNViewSharingItem** SharingItems = nullptr;
    int32_t SharingItemsCount = 0;

    // Tree.
    TNViewItem* ParentItem = nullptr;
    TNViewItem** Children = nullptr;
    int32_t ChildrenCount = 0;
    TNViewItem* LeftColumnButtonItem = nullptr;
    TNViewItem* TopBarItem = nullptr;
    TNViewItem* SecondBarItem = nullptr;
    TNViewItem* ThirdBarItem = nullptr;
    TNViewItem* PagesLinkItem = nullptr;
    TNViewItem* DayboxItem = nullptr;

    // Owner and place.
    plat::TWeakRef<plat::TForm> OwnerForm;
    plat::TWeakRef<plat::TWinControl> ParentControl;

    // Controls. Each is a TNControlRef: the registry finds an item by the
    // controls it answers for only through assignments it was told of.
    TNControlRef<plat::TPanel> Panel;
    TNControlRef<plat::TJvPanel> FramePanel1;
    TNControlRef<plat::TJvPanel> FramePanel2;
    TNControlRef<plat::TJvPanel> LeftColumnPanel;
    TNControlRef<plat::TJvPanel> TopBarPanel;
    TNControlRef<plat::TJvPanel> SecondBarPanel;
    TNControlRef<plat::TJvPanel> ThirdBarPanel;
    TNControlRef<plat::TJvPanel> Scrollbox;
    TNControlRef<plat::TJvPanel> TrackPanel;
    TNControlRef<plat::TLabel> Thumb;
    TNControlRef<plat::TLabel> CaptionLabel;
    // Labels 2 to 9 at 0 to 7.
    TNControlRef<plat::TLabel> Labels[8];
    TNControlRef<plat::TComponent> FurtherSlots[5];
    TNControlRef<plat::TRichEdit> Memo;
    // Edits 1 to 3 at 0 to 2.
    TNControlRef<plat::TFlatEdit> Edits[3];
    TNControlRef<plat::TListBox> ListBox;
    // Pictures 1 to 4 at 0 to 3; the second is the icon.
    TNControlRef<plat::TImage> Images[4];
    // Combo boxes 1 to 3 at 0 to 2.
    TNControlRef<plat::TFlatComboBox> Combos[3];
    TNControlRef<plat::TFlatComboBox> AlertCombos[3];
    TNControlRef<plat::TSpeedButton> SpeedButton;
    TNControlRef<plat::TFlatButton> DateButtons[5];
    TNControlRef<plat::TCheckBox> CheckBox;
    TNControlRef<plat::TDateTimePicker> DatePicker;
    TNControlRef<plat::TComponent> FurtherSlot;
    TNControlRef<plat::TJvGradient> Gradient;
    TNControlRef<plat::TShape> Shapes[4];
    TNControlRef<plat::TFlatButton> Buttons[8];
    TNControlRef<plat::TLabel> TitleLabel;
    TNControlRef<plat::TTimer> RepaintTimer;
    TNControlRef<plat::TLabel> HintLabel;

    // Callbacks.
    TNViewSizeEvent OnBeforeResize = nullptr;
    TNViewSizeEvent OnContentResize = nullptr;
    TNViewItemEvent OnResize = nullptr;
    TNViewItemEvent OnButtonClick = nullptr;
    TNViewItemEvent OnChange = nullptr;
    TNViewItemEvent OnScroll = nullptr;
    TNViewItemEvent OnFurther = nullptr;
};

// One drawn component: identity, place in the tree, layout settings, the
// values the user edits, the controls that show it and its callbacks. A
// plain record: View makes, fills and frees it; the kinds fill the fields
// that belong to them. Every control field is a weak reference and reads
// null once the owner form freed the control.
class TNViewItem : public TNViewItemData {
public:
    TNViewItem() = default;
    ~TNViewItem();

    // Every field back to its default; for a new item and a reused slot.
    void Init();
    // Frees the controls and the day-box arrays.
    void Destroy();
    // Forgets the controls without freeing them, for when their forms and
    // the GUI layer are already gone.
    void DropControls();

    bool ResizeChildren(int32_t n);
    int32_t AddChild(TNViewItem* child);
    bool DeleteChildByPos(int32_t pos);
    // Position of the child in Children; -1 when absent.
    int32_t ChildPos(const TNViewItem* child) const;

    int32_t AddInner();
    bool ResizeInners(int32_t n);

    // Sharing rows: a row of the same id and kind is filled again; the
    // row's index, -1 when the list could not grow.
    int32_t AddSharingItem(uint32_t objectId, int32_t objectKind);
    bool ResizeSharingItems(int32_t n);

    void Click(plat::TComponent* sender);

    // The first combo box's entries. An index beyond them is padded with
    // "<i> [Aktualizujte DL]" entries up to it, selected and the combo box
    // disabled: the value shows but cannot be changed (false).
    bool ClearComboItems();
    bool AddComboItem(const char* text);
    bool SetSafeItemIndex(int32_t index);

    // Button looks.
    bool SetCheckboxColors(plat::TColor color);
    bool SetFlatButtonColors(plat::TColor color);
    bool SetFlatButtonHiColors(plat::TColor color);
    bool SetActiveButtonColors(bool active);
    bool SetButtonEnabled();
    bool SetButtonDisabled();

    // The icon picture takes a copy of a table image and its size.
    bool SetIcon(const char* imageName, bool show);
    bool SetIcon(plat::TImage* image, bool show);

    bool SetRecordColors(plat::TColor panel, plat::TColor frame, plat::TColor accent, plat::TColor text);
    bool SetRecordColorCombination(int8_t combination, bool shifted, bool remember);
    bool GetRecordColors(int8_t combination, bool* shifted, plat::TColor* panel, plat::TColor* frame,
                         plat::TColor* accent, plat::TColor* text);

    int32_t DayboxModeGroup(int32_t mode);
    bool IsDayboxMode(int32_t group);

    bool ResizeAllDays(int32_t n);

    // The scroll box's own scroll bar.
    int32_t UpdateScrollbarHeight(uint8_t apply, int32_t contentHeight);
    bool UpdateScrollbarPosition();
    // The one-shot repaint of a record list.
    bool CreateTimerCalcScrollbox(bool enabled);
    void timerCalcScrollboxTimer(plat::TComponent* sender);

    // The date and time under the last click of a day box.
    int32_t GetTimeFromClickPos(int32_t* hour, int32_t* minute);
    bool GetTimeFromClickPos_WeekView(int32_t* hour, int32_t* minute, int32_t* day, int32_t* month, int32_t* year);
    bool GetDateFromClickPos_WeekView(int32_t* day, int32_t* month, int32_t* year);
    bool GetTimeFromClickPos_MonthView(int32_t* hour, int32_t* minute, int32_t* day, int32_t* month, int32_t* year);

    int32_t DeskWidth();
    int32_t DeskHeight();

    // Every item link (scroll-box bars and the pages' link), in order.
    static constexpr int kItemLinkCount = 5;
    TNViewItem** ItemLink(int index);

    // The numbered labels, 2 to 9; null outside.
    plat::TLabel* Label(int number) const;

    // Every control its fields were last given, alive or not, for the
    // registry's index to forget.
    void ForEachAssignedControl(const std::function<void(const void*)>& fn);

private:
    bool SetEnabledState(bool enabled);
    bool CopyIcon(const plat::TImage& image, bool show);
    void FreeDayArrays();
    void FreeOwnedLists();
};
