#include "view/view_item.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "platform/gui/check_box.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/sharing_item.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <type_traits>

namespace {

// Frees the control a field refers to, if it is still alive, and clears the
// field.
template <class T> void FreeControl(plat::TWeakRef<T>& field)
{
    if (T* control = field.Get())
        control->Free();
    field = plat::TWeakRef<T>();
}

// Grows or shrinks a malloc'd array; new entries are zero. False (array
// untouched) when memory runs out.
template <class T> bool Reallocate(T*& array, int32_t oldCount, int32_t newCount)
{
    void* grown = std::realloc(array, sizeof(T) * static_cast<size_t>(newCount));
    if (grown == nullptr)
        return false;
    array = static_cast<T*>(grown);
    for (int32_t i = oldCount; i < newCount; ++i)
        array[i] = T{};
    return true;
}

template <class T> void FreeArray(T*& array)
{
    std::free(array);
    array = nullptr;
}

struct RecordColorRow {
    plat::TColor panel;
    plat::TColor frame;
    plat::TColor accent;
    plat::TColor text;
    // Frame and accent take the panel colour as shifted.
    bool framedByPanel;
};

constexpr RecordColorRow kDefaultRecordColors = {plat::RGB(210, 215, 237), plat::RGB(210, 215, 237),
                                                 plat::RGB(103, 131, 194), plat::RGB(67, 111, 182), false};

// Rows 2 to 15.
constexpr RecordColorRow kRecordColors[] = {
    {plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(0, 0, 0), false},
    {plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(0, 0, 0), false},
    {plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(200, 0, 0), false},
    {plat::RGB(255, 235, 225), 0, 0, plat::RGB(200, 0, 0), true},
    {plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(255, 255, 255), plat::RGB(0, 0, 0), false},
    {plat::RGB(252, 246, 204), plat::RGB(252, 246, 204), plat::RGB(243, 217, 21), plat::RGB(102, 90, 0), false},
    {plat::RGB(224, 242, 220), plat::RGB(224, 242, 220), plat::RGB(112, 194, 95), plat::RGB(97, 144, 88), false},
    {plat::RGB(204, 228, 242), plat::RGB(204, 228, 242), plat::RGB(21, 130, 194), plat::RGB(0, 96, 153), false},
    {plat::RGB(251, 222, 218), plat::RGB(251, 228, 218), plat::RGB(236, 103, 86), plat::RGB(145, 42, 29), false},
    {plat::RGB(255, 238, 219), plat::RGB(255, 238, 219), plat::RGB(254, 178, 91), plat::RGB(153, 81, 0), false},
    {plat::RGB(213, 248, 241), plat::RGB(213, 248, 241), plat::RGB(32, 197, 154), plat::RGB(83, 171, 149), false},
    {plat::RGB(186, 219, 224), plat::RGB(186, 219, 224), plat::RGB(42, 170, 183), plat::RGB(88, 156, 167), false},
    {plat::RGB(248, 204, 204), plat::RGB(248, 204, 204), plat::RGB(200, 0, 0), plat::RGB(101, 0, 11), false},
    {plat::RGB(216, 216, 216), plat::RGB(216, 216, 216), plat::RGB(130, 130, 130), plat::RGB(106, 106, 106), false},
};

unsigned ShiftChannel(unsigned channel, int delta)
{
    return static_cast<unsigned>(std::clamp(static_cast<int>(channel) + delta, 0, 255));
}

plat::TColor ShiftColor(plat::TColor color, int delta)
{
    return plat::RGB(ShiftChannel(plat::GetRValue(color), delta), ShiftChannel(plat::GetGValue(color), delta),
                     ShiftChannel(plat::GetBValue(color), delta));
}

constexpr int kLastDayboxGroup = 7;

// Walks every control field in the order they are freed: hint label,
// timer, title label, the eight buttons, then the rest in reverse order of
// their declaration.
template <class Visit> void VisitControls(TNViewItemData& item, Visit visit)
{
    visit(item.HintLabel);
    visit(item.RepaintTimer);
    visit(item.TitleLabel);
    for (auto& button : item.Buttons)
        visit(button);
    for (int i = 3; i >= 0; --i)
        visit(item.Shapes[i]);
    visit(item.Gradient);
    visit(item.FurtherSlot);
    visit(item.DatePicker);
    visit(item.CheckBox);
    for (int i = 4; i >= 0; --i)
        visit(item.DateButtons[i]);
    visit(item.SpeedButton);
    for (int i = 2; i >= 0; --i)
        visit(item.AlertCombos[i]);
    for (int i = 2; i >= 0; --i)
        visit(item.Combos[i]);
    for (int i = 3; i >= 0; --i)
        visit(item.Images[i]);
    visit(item.ListBox);
    for (int i = 2; i >= 0; --i)
        visit(item.Edits[i]);
    visit(item.Memo);
    for (int i = 4; i >= 0; --i)
        visit(item.FurtherSlots[i]);
    for (int i = 7; i >= 0; --i)
        visit(item.Labels[i]);
    visit(item.CaptionLabel);
    visit(item.Thumb);
    visit(item.TrackPanel);
    visit(item.Scrollbox);
    visit(item.ThirdBarPanel);
    visit(item.SecondBarPanel);
    visit(item.TopBarPanel);
    visit(item.LeftColumnPanel);
    visit(item.FramePanel2);
    visit(item.FramePanel1);
    visit(item.Panel);
}

} // namespace

TNViewInner::~TNViewInner()
{
    FreeRows();
    FreeControl(ContentPanel);
}

void TNViewInner::FreeRows()
{
    delete Records;
    Records = nullptr;
    OwnedRecords.reset();
    FreeArray(Tops);
    FreeArray(Heights);
    LastTagID = -9999;
}

TNViewRegistryHooks ViewRegistryHooks;

TNViewItemData::TNViewItemData()
{
    Name.SetOwner(this);
    VisitControls(*this, [this](auto& field) { field.SetOwner(this); });
    // 1.1.1980 12:00, worked out once.
    static const TNTime kDefaultTime = [] {
        TNTime time;
        time.SetDateTime(1, 1, 0, 0, 12, 1980);
        return time;
    }();
    for (TNTime& time : Times)
        time = kDefaultTime;
}

TNViewItemData::~TNViewItemData() = default;
TNViewItemData& TNViewItemData::operator=(TNViewItemData&&) noexcept = default;

TNViewItem::~TNViewItem()
{
    Destroy();
    FreeOwnedLists();
}

void TNViewItem::Init()
{
    FreeDayArrays();
    FreeOwnedLists();
    static_cast<TNViewItemData&>(*this) = TNViewItemData();
}

void TNViewItem::FreeOwnedLists()
{
    FreeArray(Children);
    ChildrenCount = 0;
    for (int32_t i = 0; i < InnersCount; ++i)
        delete Inners[i];
    FreeArray(Inners);
    InnersCount = 0;
    ResizeSharingItems(0);
    ColumnRecords.clear();
}

void TNViewItem::Destroy()
{
    Guarded("[TNViewItem::Destroy]", [&] {
        const bool traced = Name.Equals("btn3AddTag", true, false);
        if (traced) {
            LogText("[TNViewItem::Destroy] ITEM DESTRUCTION BEGIN");
            LogWrite("[TNViewItem::Destroy] Name: ", Name.Text, false);
        }
        if (plat::TPanel* panel = Panel.Get(); panel != nullptr && panel->Parent() != nullptr)
            panel->SetParent(nullptr);

        VisitControls(*this, [](auto& field) { FreeControl(field); });
        FreeDayArrays();
        if (traced)
            LogText("[TNViewItem::Destroy] ITEM DESTRUCTION END");
    });
}

void TNViewItem::DropControls()
{
    VisitControls(*this, [](auto& field) { field = std::remove_reference_t<decltype(field)>(); });
    for (int32_t i = 0; i < InnersCount; ++i) {
        if (Inners[i] != nullptr)
            Inners[i]->ContentPanel = plat::TWeakRef<plat::TJvPanel>();
    }
    DeskWindow = plat::TWeakRef<plat::TWinControl>();
}

void TNViewItem::FreeDayArrays()
{
    FreeArray(MinuteTops);
    FreeArray(MonthDayTable);
    FreeArray(MonthColumnWidths);
    FreeArray(MonthRowHeights);
    FreeArray(SpareArray1);
    FreeArray(SpareArray2);
    FreeArray(DayValues1);
    FreeArray(DayValues2);
    shownDaysCount = 0;
}

bool TNViewItem::ResizeChildren(int32_t n)
{
    return Guarded("[TNViewItem::ResizeChildren]", false, [&] {
        if (n <= 0) {
            FreeArray(Children);
            ChildrenCount = 0;
            return true;
        }
        if (!Reallocate(Children, std::min(ChildrenCount, n), n)) {
            LogText("[TNViewItem::Resize][ERROR]");
            return false;
        }
        ChildrenCount = n;
        return true;
    });
}

int32_t TNViewItem::AddChild(TNViewItem* child)
{
    return Guarded("[TNViewItem::AddChild]", -1, [&] {
        if (child == nullptr)
            return -1;
        for (int32_t i = 0; i < ChildrenCount; ++i) {
            if (Children[i] != nullptr && Children[i]->Name.Equals(child->Name.Text, true, false)) {
                Children[i] = child;
                return i;
            }
        }
        if (!ResizeChildren(ChildrenCount + 1))
            return -1;
        Children[ChildrenCount - 1] = child;
        return ChildrenCount - 1;
    });
}

bool TNViewItem::DeleteChildByPos(int32_t pos)
{
    return Guarded("[TNViewItem::DeleteChildByPos]", false, [&] {
        if (pos < 0 || pos >= ChildrenCount)
            return false;
        std::move(Children + pos + 1, Children + ChildrenCount, Children + pos);
        Children[ChildrenCount - 1] = nullptr;
        return ResizeChildren(ChildrenCount - 1);
    });
}

int32_t TNViewItem::ChildPos(const TNViewItem* child) const
{
    for (int32_t i = 0; i < ChildrenCount; ++i) {
        if (Children[i] == child)
            return i;
    }
    return -1;
}

bool TNViewItem::ResizeInners(int32_t n)
{
    return Guarded("[TNViewItem::ResizeInners]", false, [&] {
        const int32_t kept = std::clamp(n, 0, InnersCount);
        for (int32_t i = kept; i < InnersCount; ++i) {
            delete Inners[i];
            Inners[i] = nullptr;
        }
        if (n <= 0) {
            FreeArray(Inners);
            InnersCount = 0;
            return true;
        }
        if (!Reallocate(Inners, kept, n)) {
            InnersCount = kept;
            LogText("[TNViewInners::ResizeInners][ERROR]");
            return false;
        }
        for (int32_t i = kept; i < n; ++i) {
            Inners[i] = new TNViewInner();
            Inners[i]->ContentPanel.SetOwner(this);
        }
        InnersCount = n;
        return true;
    });
}

int32_t TNViewItem::AddInner()
{
    return Guarded("[TNViewItem::AddInner]", -1, [&] {
        if (!ResizeInners(InnersCount + 1))
            return -1;
        const int32_t index = InnersCount - 1;
        if (ActiveInnerPos < 0)
            ActiveInnerPos = 0;

        plat::TForm* owner = OwnerForm.Get();
        auto* content = new plat::TJvPanel(owner);
        content->SetBounds(0, 0, content->Width(), content->Height());
        content->SetDoubleBuffered(true);
        content->SetBevelInner(plat::TBevelCut::bvNone);
        content->SetBevelOuter(plat::TBevelCut::bvNone);
        if (plat::TPanel* panel = Panel.Get())
            content->SetColor(panel->Color());
        content->SetCaption("");
        if (owner != nullptr && owner == ViewMain::MainForm()) {
            content->OnMouseDown = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState shift,
                                      int x, int y) {
                ViewMain::FormMouseDown(sender, static_cast<int32_t>(button), shift, x, y);
            };
        }
        content->SetParent(Scrollbox.Get());

        Inners[index]->ContentPanel = content;
        Inners[index]->Position = index;
        return index;
    });
}

void TNViewItem::Click(plat::TComponent*)
{
    Guarded("[TNViewItem::Click]", [&] {
        if (ClickAddsTag == 1)
            ViewMain::AddTagFromEditRecordDialog();
    });
}

namespace {

void SetPenColor(plat::TShape* shape, plat::TColor color)
{
    if (shape == nullptr)
        return;
    plat::TPen pen = shape->Pen();
    pen.Color = color;
    shape->SetPen(pen);
}

void SetPenAndBrushColor(plat::TShape* shape, plat::TColor color)
{
    if (shape == nullptr)
        return;
    SetPenColor(shape, color);
    plat::TBrush brush = shape->Brush();
    brush.Color = color;
    shape->SetBrush(brush);
}

void SetGradientColors(plat::TJvGradient* gradient, plat::TColor start, plat::TColor end)
{
    if (gradient != nullptr)
        gradient->SetColors(start, end);
}

} // namespace

bool TNViewItem::SetCheckboxColors(plat::TColor color)
{
    return Guarded("[TNViewItem::SetCheckboxColors]", false, [&] {
        if (plat::TPanel* panel = Panel.Get())
            panel->SetColor(color);
        for (auto& shape : Shapes)
            SetPenAndBrushColor(shape.Get(), color);
        for (int i : {2, 3}) {
            if (plat::TShape* shape = Shapes[i].Get())
                shape->SetVisible(false);
        }
        if (plat::TJvGradient* gradient = Gradient.Get()) {
            gradient->SetVisible(false);
            gradient->SetColors(color, color);
        }
        return true;
    });
}

bool TNViewItem::SetFlatButtonColors(plat::TColor color)
{
    return Guarded("[TNViewItem::SetFlatButtonColors]", false, [&] {
        NormalStart = NormalEnd = color;
        NormalBorder1 = NormalBorder2 = color;
        NormalOutline = color;
        SetPenColor(Shapes[0].Get(), color);
        SetPenColor(Shapes[1].Get(), color);
        SetPenAndBrushColor(Shapes[2].Get(), color);
        SetPenAndBrushColor(Shapes[3].Get(), color);
        SetGradientColors(Gradient.Get(), color, color);
        return true;
    });
}

bool TNViewItem::SetFlatButtonHiColors(plat::TColor color)
{
    return Guarded("[TNViewItem::SetFlatButtonHiColors]", false, [&] {
        HoverStart = HoverEnd = color;
        HoverBorder1 = HoverBorder2 = color;
        HoverOutline = color;
        ActiveOutline = color;
        return true;
    });
}

bool TNViewItem::SetActiveButtonColors(bool active)
{
    return Guarded("[TNViewItem::SetActiveButtonColors]", false, [&] {
        Active = active ? 1 : 0;
        plat::TColor outline = active ? ActiveOutline : NormalOutline;
        SetPenColor(Shapes[0].Get(), outline);
        SetPenColor(Shapes[1].Get(), outline);
        SetPenColor(Shapes[2].Get(), active ? ActiveBorder1 : NormalBorder1);
        SetPenColor(Shapes[3].Get(), active ? ActiveBorder2 : NormalBorder2);
        SetGradientColors(Gradient.Get(), active ? ActiveStart : NormalStart, active ? ActiveEnd : NormalEnd);
        return true;
    });
}

bool TNViewItem::SetEnabledState(bool enabled)
{
    Enabled = enabled ? 1 : 0;
    if (plat::TImage* icon = Images[1].Get())
        icon->SetEnabled(enabled);
    if (plat::TLabel* caption = CaptionLabel.Get())
        caption->SetEnabled(enabled);
    return true;
}

bool TNViewItem::SetButtonEnabled()
{
    return Guarded("[TNViewItem::SetButtonEnabled]", false, [&] { return SetEnabledState(true); });
}

bool TNViewItem::SetButtonDisabled()
{
    return Guarded("[TNViewItem::SetButtonDisabled]", false, [&] { return SetEnabledState(false); });
}

bool TNViewItem::SetIcon(const char* imageName, bool show)
{
    return Guarded("[TNViewItem::SetIcon]", false, [&] {
        plat::TImage* image = ImageTable.GetImage(imageName);
        if (image == nullptr || image->Picture().Graphic() == nullptr) {
            LogWrite("[TNViewItem::SetIcon][ERROR][NULL] image_name = ", imageName != nullptr ? imageName : "", false);
            return false;
        }
        return CopyIcon(*image, show);
    });
}

bool TNViewItem::SetIcon(plat::TImage* image, bool show)
{
    return Guarded("[TNViewItem::SetIcon_2]", false, [&] {
        if (image == nullptr || image->Picture().Graphic() == nullptr) {
            LogText("[TNViewItem::SetIcon][ERROR][NULL] img = NULL");
            return false;
        }
        return CopyIcon(*image, show);
    });
}

bool TNViewItem::CopyIcon(const plat::TImage& image, bool show)
{
    plat::TImage* icon = Images[1].Get();
    if (icon == nullptr)
        return false;
    icon->Picture().Assign(image.Picture());
    icon->SetBounds(icon->Left(), icon->Top(), image.Picture().Width(), image.Picture().Height());
    IconShown = show ? 1 : 0;
    return true;
}

bool TNViewItem::ResizeSharingItems(int32_t n)
{
    return Guarded("[TNViewItem::ResizeSharingItems]", false, [&] {
        // Rows past the new end go with their controls.
        for (int32_t i = std::max(n, 0); i < SharingItemsCount; ++i) {
            delete SharingItems[i];
            SharingItems[i] = nullptr;
        }
        if (n <= 0) {
            FreeArray(SharingItems);
            SharingItemsCount = 0;
            return true;
        }
        void* grown = std::realloc(SharingItems, sizeof(TNViewSharingItem*) * static_cast<size_t>(n));
        if (grown == nullptr) {
            LogText("[TNViewSharingItems::Resize][ERROR]");
            SharingItemsCount = std::min(SharingItemsCount, n);
            return false;
        }
        SharingItems = static_cast<TNViewSharingItem**>(grown);
        for (int32_t i = SharingItemsCount; i < n; ++i)
            SharingItems[i] = new TNViewSharingItem();
        SharingItemsCount = n;
        return true;
    });
}

int32_t TNViewItem::AddSharingItem(uint32_t objectId, int32_t objectKind)
{
    return Guarded("[TNViewItem::AddSharingItem]", -1, [&] {
        int32_t pos = -1;
        for (int32_t i = 0; i < SharingItemsCount && pos < 0; ++i) {
            if (SharingItems[i]->ObjectId == objectId && SharingItems[i]->ObjectKind == objectKind)
                pos = i;
        }
        if (pos < 0) {
            if (!ResizeSharingItems(SharingItemsCount + 1))
                return -1;
            pos = SharingItemsCount - 1;
        }
        TNViewSharingItem& row = *SharingItems[pos];
        row.ObjectId = objectId;
        row.ObjectKind = objectKind;
        row.Position = pos;
        return pos;
    });
}

bool TNViewItem::ClearComboItems()
{
    return Guarded("[TNViewItem::ClearComboItems]", false, [&] {
        plat::TFlatComboBox* combo = Combos[0].Get();
        if (combo == nullptr)
            return false;
        combo->ClearItems();
        return true;
    });
}

bool TNViewItem::AddComboItem(const char* text)
{
    return Guarded("[TNViewItem::AddComboItem]", false, [&] {
        plat::TFlatComboBox* combo = Combos[0].Get();
        if (combo == nullptr)
            return false;
        combo->AddItem(text != nullptr ? text : "");
        return true;
    });
}

bool TNViewItem::SetSafeItemIndex(int32_t index)
{
    return Guarded("[TNViewItem::SetSafeItemIndex]", false, [&] {
        plat::TFlatComboBox* combo = Combos[0].Get();
        if (combo == nullptr)
            return false;
        combo->SetItemIndex(index);
        if (combo->ItemIndex() == index)
            return true;
        for (int32_t i = static_cast<int32_t>(combo->Items().size()); i <= index; ++i)
            combo->AddItem(std::to_string(i) + " [Aktualizujte DL]");
        combo->SetItemIndex(index);
        combo->SetEnabled(false);
        return false;
    });
}

bool TNViewItem::SetRecordColors(plat::TColor panel, plat::TColor frame, plat::TColor, plat::TColor text)
{
    return Guarded("[TNViewItem::SetRecordColors]", false, [&] {
        NormalOutline = frame;
        if (plat::TPanel* control = Panel.Get())
            control->SetColor(panel);
        if (plat::TLabel* label = CaptionLabel.Get())
            label->Font().SetColor(text);
        return true;
    });
}

bool TNViewItem::GetRecordColors(int8_t combination, bool* shifted, plat::TColor* panel, plat::TColor* frame,
                                 plat::TColor* accent, plat::TColor* text)
{
    return Guarded("[TNViewItem::GetRecordColors]", false, [&] {
        const bool inTable = combination >= 2 && combination <= 15;
        const RecordColorRow& row = inTable ? kRecordColors[combination - 2] : kDefaultRecordColors;
        const bool selected = Selected == 1;
        if (selected && shifted != nullptr)
            *shifted = true;
        int delta = 0;
        if (selected || (shifted != nullptr && *shifted))
            delta = inTable && combination <= 6 ? -15 : 5;

        const plat::TColor panelColor = ShiftColor(row.panel, delta);
        if (panel != nullptr)
            *panel = panelColor;
        if (frame != nullptr)
            *frame = row.framedByPanel ? panelColor : row.frame;
        if (accent != nullptr)
            *accent = row.framedByPanel ? panelColor : row.accent;
        if (text != nullptr)
            *text = row.text;
        return true;
    });
}

bool TNViewItem::SetRecordColorCombination(int8_t combination, bool shifted, bool remember)
{
    return Guarded("[TNViewItem::SetRecordColorCombination]", false, [&] {
        plat::TColor panel = 0, frame = 0, accent = 0, text = 0;
        GetRecordColors(combination, &shifted, &panel, &frame, &accent, &text);
        SetRecordColors(panel, frame, accent, text);
        if (remember)
            ColorCombination = static_cast<uint8_t>(combination);
        return true;
    });
}

int32_t TNViewItem::DayboxModeGroup(int32_t mode)
{
    return Guarded("[TNViewItem::DayboxModeGroup]", -1, [&] {
        if (mode == -1)
            mode = daybox_mode;
        if (mode >= 0 && mode <= kLastDayboxGroup * 10 + 8 && mode % 10 != 9)
            return mode / 10;
        LogTextInt("[TNViewItem::daybox_modeGroup][ERROR] Unknown daybox_mode = ", mode);
        return -1;
    });
}

bool TNViewItem::IsDayboxMode(int32_t group)
{
    if (group < 0 || group > kLastDayboxGroup)
        return false;
    return daybox_mode >= group * 10 && daybox_mode <= group * 10 + 8;
}

bool TNViewItem::ResizeAllDays(int32_t n)
{
    return Guarded("[TNViewItem::ResizeAllDays]", false, [&] {
        if (n <= 0) {
            FreeArray(DayValues1);
            FreeArray(DayValues2);
            shownDaysCount = 0;
            return true;
        }
        const int32_t kept = std::min(shownDaysCount, n);
        int32_t* first = DayValues1;
        int32_t* second = DayValues2;
        if (!Reallocate(first, kept, n)) {
            LogText("[TNViewItem::ResizeAllDays][ERROR]");
            return false;
        }
        DayValues1 = first;
        if (!Reallocate(second, kept, n)) {
            LogText("[TNViewItem::ResizeAllDays][ERROR]");
            return false;
        }
        DayValues2 = second;
        shownDaysCount = n;
        return true;
    });
}

int32_t TNViewItem::DeskWidth()
{
    plat::TPanel* panel = Panel.Get();
    return panel != nullptr && panel->Visible() && Shown == 1 ? panel->Width() : 0;
}

int32_t TNViewItem::DeskHeight()
{
    plat::TPanel* panel = Panel.Get();
    return panel != nullptr && panel->Visible() && Shown == 1 ? panel->Height() : 0;
}

TNViewItem** TNViewItem::ItemLink(int index)
{
    TNViewItem** links[kItemLinkCount] = {&LeftColumnButtonItem, &TopBarItem, &SecondBarItem, &ThirdBarItem,
                                          &PagesLinkItem};
    return index >= 0 && index < kItemLinkCount ? links[index] : nullptr;
}

plat::TLabel* TNViewItem::Label(int number) const
{
    return number >= 2 && number <= 9 ? Labels[number - 2].Get() : nullptr;
}

void TNViewItem::ForEachAssignedControl(const std::function<void(const void*)>& fn)
{
    VisitControls(*this, [&](auto& field) {
        if (field.Assigned() != nullptr)
            fn(field.Assigned());
    });
    for (int32_t i = 0; i < InnersCount; ++i) {
        if (Inners[i] != nullptr && Inners[i]->ContentPanel.Assigned() != nullptr)
            fn(Inners[i]->ContentPanel.Assigned());
    }
}
