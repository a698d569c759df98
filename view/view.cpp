#include "view/view.h"

#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/hooks.h"
#include "model/record.h"
#include "model/records.h"
#include "online/hooks.h"
#include "online/window_state.h"
#include "platform/gui/check_box.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/font.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/text_metrics.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/kinds.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr plat::TColor kFormColor = 0xD8E9EC;

// Exact, case-sensitive, equal length.
bool NameIs(const TNString& name, const char* text, size_t length)
{
    return static_cast<size_t>(name.Length) == length && std::memcmp(name.Text, text, length) == 0;
}

template <class T> bool Holds(const TNControlRef<T>& field, const plat::TComponent* control)
{
    return field.Get() != nullptr && field.Get() == control;
}

template <class T, size_t N> bool HoldsAny(const TNControlRef<T> (&fields)[N], const plat::TComponent* control)
{
    for (const TNControlRef<T>& field : fields) {
        if (Holds(field, control))
            return true;
    }
    return false;
}

// Whether the control is one the item answers for, in the order the
// look-up compares them. Only tracked fields compile here, so the control
// index knows of every holder. Labels 2 and 3, pictures 1, 3 and 4, combo box 3,
// the frame panels, gradient, shapes and timer are not compared.
bool OwnsControl(const TNViewItem& item, const plat::TComponent* control)
{
    if (Holds(item.LeftColumnPanel, control))
        return true;
    for (int label = 4; label <= 9; ++label) {
        if (Holds(item.Labels[label - 2], control))
            return true;
    }
    if (Holds(item.FurtherSlots[0], control) || Holds(item.Edits[1], control) || Holds(item.Edits[2], control) ||
        Holds(item.Images[1], control) || Holds(item.CaptionLabel, control) || Holds(item.Memo, control) ||
        Holds(item.Edits[0], control) || Holds(item.ListBox, control) || HoldsAny(item.Buttons, control) ||
        Holds(item.SpeedButton, control) || HoldsAny(item.DateButtons, control) || Holds(item.DatePicker, control) ||
        Holds(item.FurtherSlot, control) || Holds(item.CheckBox, control) || Holds(item.Combos[0], control) ||
        Holds(item.Combos[1], control) || HoldsAny(item.AlertCombos, control) || Holds(item.TitleLabel, control) ||
        Holds(item.HintLabel, control))
        return true;
    for (int32_t i = 0; i < item.InnersCount; ++i) {
        if (item.Inners[i] != nullptr && Holds(item.Inners[i]->ContentPanel, control))
            return true;
    }
    return Holds(item.Scrollbox, control) || Holds(item.Thumb, control) || Holds(item.TrackPanel, control) ||
           Holds(item.TopBarPanel, control) || Holds(item.SecondBarPanel, control) ||
           Holds(item.ThirdBarPanel, control) || Holds(item.Panel, control);
}

// Copies what a template carries over the kind's defaults.
void CopyTemplateFields(TNViewItem& item, const TNViewItem& from)
{
    item.Column = from.Column;
    item.LayoutValue1 = from.LayoutValue1;
    item.LayoutValue2 = from.LayoutValue2;
    item.ButtonTitle = from.ButtonTitle;
    item.IconName = from.IconName;
    item.PanelColor = from.PanelColor;
    item.TextInsetX = from.TextInsetX;
    item.TextInsetY = from.TextInsetY;
    item.FrameWidth = from.FrameWidth;
    item.IconGap = from.IconGap;
    item.IconPosition = from.IconPosition;
    item.HasCheckbox = from.HasCheckbox;
    item.HasDropDown = from.HasDropDown;
    item.CheckboxSide = from.CheckboxSide;
    item.DropDownValue = from.DropDownValue;
    item.DropDownGap = from.DropDownGap;
    item.TextHAlign = from.TextHAlign;
    item.TextVAlign = from.TextVAlign;
    item.CaptionPosition = from.CaptionPosition;
    item.CaptionAlignment = from.CaptionAlignment;
    item.RightAligned = from.RightAligned;
    item.AutoWidth = from.AutoWidth;
    item.WordWrap = from.WordWrap;
    item.HeightFollowsParent = from.HeightFollowsParent;
    item.ParentItem = from.ParentItem;
    item.LeftColumnButtonItem = from.LeftColumnButtonItem;
    item.ActiveStart = from.ActiveStart;
    item.ActiveEnd = from.ActiveEnd;
}

bool SetEditText(plat::TCustomEdit* edit, const std::string& text)
{
    if (edit == nullptr)
        return false;
    edit->SetText(text);
    return true;
}

// The control whose text GetText reads, by kind.
plat::TCustomEdit* TextControl(TNViewItem& item)
{
    switch (item.Type) {
    case cmpMemo:
        return item.Memo.Get();
    case cmpEdit:
        return item.Edits[0].Get();
    case cmpNumberEdit:
        return item.Edits[1].Get();
    default:
        return nullptr;
    }
}

TNGlobalStorage<TNView> viewStorage;
bool viewBuilt = false;

void (*previousConstructHigher)() = nullptr;
void (*previousDestroyHigher)() = nullptr;

void ConstructHigherWithView()
{
    if (previousConstructHigher != nullptr)
        previousConstructHigher();
    ConstructViewGlobals();
}

void DestroyHigherWithView()
{
    DestroyViewGlobals();
    if (previousDestroyHigher != nullptr)
        previousDestroyHigher();
}

void EmptyShownRecords()
{
    TNView::NoteShownDataReplaced();
    WindowState.TruncateShownRecords(0);
}

// The online layer numbers the main status bar's panels from 0.
TNStatusBar* StatusBarAt(int32_t item)
{
    if (!ViewGlobalsConstructed() || item < 0 || item >= TNView::kStatusBarCount)
        return nullptr;
    return &View.StatusBars[item];
}

void InstallStatusBarHooks()
{
    ViewHooks.SetStatusBarText = [](int32_t item, const char* text) {
        if (TNStatusBar* bar = StatusBarAt(item))
            bar->SetCaption(text);
    };
    ViewHooks.SetStatusBarIcon = [](int32_t item, int32_t iconIndex) {
        if (TNStatusBar* bar = StatusBarAt(item))
            bar->SetIconIndex(iconIndex, iconIndex >= 0);
    };
    // The new colours are the panel's own, so a hover ends on them.
    ViewHooks.SetStatusBarGradient = [](int32_t item, uint32_t colourFrom, uint32_t colourTo) {
        if (TNStatusBar* bar = StatusBarAt(item)) {
            bar->NormalStart = colourFrom;
            bar->NormalEnd = colourTo;
            bar->SetGradient(colourFrom, colourTo, nullptr);
        }
    };
    ViewHooks.SetStatusBarHint = [](int32_t item, const char* hint) {
        if (TNStatusBar* bar = StatusBarAt(item))
            bar->SetHint(hint);
    };
    ViewHooks.ResizeMainStatusBar = [] {
        if (ViewGlobalsConstructed())
            View.ResizeMainStatusBar();
    };
}

} // namespace

constinit TNView& View = viewStorage.object;

void ConstructViewGlobals()
{
    if (viewBuilt)
        return;
    new (&viewStorage.object) TNView();
    viewBuilt = true;
}

void DestroyViewGlobals()
{
    if (!viewBuilt)
        return;
    View.Destroy();
    View.~TNView();
    viewBuilt = false;
}

bool ViewGlobalsConstructed()
{
    return viewBuilt;
}

void InstallViewGlobals()
{
    if (FoundationHooks.ConstructHigherGlobals != &ConstructHigherWithView) {
        previousConstructHigher = FoundationHooks.ConstructHigherGlobals;
        previousDestroyHigher = FoundationHooks.DestroyHigherGlobals;
        FoundationHooks.ConstructHigherGlobals = &ConstructHigherWithView;
        FoundationHooks.DestroyHigherGlobals = &DestroyHigherWithView;
    }
}

void InstallViewHooks()
{
    ModelHooks.ShownDataReplaced = &EmptyShownRecords;
    ViewHooks.SetComponentText = [](const char* name, const char* text) { View.SetText(name, text, false, 0); };
    ViewHooks.DeleteAllDeletableComponents = [] { View.DeleteAllDeletableComponents(); };
    ViewHooks.SetClosing = [](bool closing) { View.ClosingApplication = closing ? 1 : 0; };
    InstallStatusBarHooks();
    InstallImageHooks();
}

TNView::TNView()
{
    const plat::TColor defaults[kButtonColorCount] = {
        0xFBFBFB, 0xC4D3DC, 0xF5F5F5, 0xDBDBDB, 0xFFFCF9,  0xEDCA9E,  0xE6E6E6,    0xB4B4B4,
        0xE6E6E6, 0xB4B4B4, 0xE6E6E6, 0xB4B4B4, FormColor, FormColor, AccentColor,
    };
    std::copy(std::begin(defaults), std::end(defaults), ButtonColors);
    ResetFormColor();
    ViewRegistryHooks.NameChanged = [](TNViewItemData* owner, const TNString& before) {
        if (ViewGlobalsConstructed())
            View.NoteNameChanged(owner, before);
    };
    ViewRegistryHooks.ControlAssigned = [](TNViewItemData* owner, const void* control) {
        if (ViewGlobalsConstructed())
            View.NoteControlAssigned(owner, control);
    };
}

TNView::~TNView()
{
    // Items a closing Destroy left alone: their controls went with their
    // forms, so only the records are released here.
    for (int32_t i = 0; i < ItemsCount; ++i) {
        if (Items[i] != nullptr)
            Items[i]->DropControls();
        delete Items[i];
    }
    std::free(Items);
    std::free(Desks);
}

void TNView::Destroy()
{
    Guarded("[TNView::Destroy]", [&] {
        LogText("[TNView::Destroy][BEGIN]");
        if (ClosingApplication == 0)
            FreeAllItems();
        Destroyed = 1;
        LogText("[TNView::Destroy][END]");
    });
}

void TNView::FreeAllItems()
{
    for (int32_t i = ItemsCount - 1; i >= 0; --i) {
        delete Items[i];
        Items[i] = nullptr;
    }
    std::free(Items);
    Items = nullptr;
    ItemsCount = 0;
    ClearIndexes();
    ResizeDesks(0);
}

void TNView::ResetFormColor()
{
    Guarded("[TNView::ResetFormColor]", [&] {
        FormColor = kFormColor;
        plat::TForm* mainForm = ViewMainHooks.MainForm != nullptr ? ViewMainHooks.MainForm() : nullptr;
        if (mainForm != nullptr && mainForm->Visible())
            mainForm->SetColor(plat::clWhite);
    });
}

bool TNView::Resize(int32_t n)
{
    return Guarded("[TNView::Resize]", false, [&] {
        if (n < ItemsCount)
            return false;
        void* grown = std::realloc(Items, sizeof(TNViewItem*) * static_cast<size_t>(n));
        if (grown == nullptr) {
            LogText("[TNView::Resize][ERROR]");
            return false;
        }
        Items = static_cast<TNViewItem**>(grown);
        for (int32_t i = ItemsCount; i < n; ++i) {
            Items[i] = new TNViewItem();
            freeSlots_.insert(i);
        }
        ItemsCount = n;
        return true;
    });
}

uint32_t TNView::GetNewComponentId()
{
    return Guarded("[TNView::GetNewComponentId]", 0u, [&] {
        if (LastComponentId >= kLastComponentIdLimit) {
            LogText("[TNView::GetNewComponentId][ERROR]");
            return 0u;
        }
        return ++LastComponentId;
    });
}

bool TNView::SetDefaultsByItemType(TNViewItem* item, int8_t kind)
{
    return Guarded("[TNView::SetDefaultsByItemType]", false, [&] {
        if (item == nullptr || kind != cmpButton)
            return false;
        plat::TColor* slots[kButtonColorCount] = {
            &item->NormalStart,   &item->NormalEnd,     &item->HoverStart,    &item->HoverEnd,     &item->ActiveStart,
            &item->ActiveEnd,     &item->NormalBorder1, &item->NormalBorder2, &item->HoverBorder1, &item->HoverBorder2,
            &item->ActiveBorder1, &item->ActiveBorder2, &item->NormalOutline, &item->HoverOutline, &item->ActiveOutline,
        };
        for (int i = 0; i < kButtonColorCount; ++i)
            *slots[i] = ButtonColors[i];
        return true;
    });
}

int32_t TNView::FreeSlot()
{
    while (!freeSlots_.empty()) {
        const int32_t slot = *freeSlots_.begin();
        if (slot < ItemsCount && (Items[slot] == nullptr || Items[slot]->Name.IsEmpty()))
            return slot;
        freeSlots_.erase(freeSlots_.begin());
    }
    return -1;
}

int32_t TNView::RegisteredSlot(const TNViewItemData* owner)
{
    if (owner == nullptr || !ViewGlobalsConstructed())
        return -1;
    const int32_t slot = owner->SlotIndex;
    return slot >= 0 && slot < View.ItemsCount && static_cast<const TNViewItemData*>(View.Items[slot]) == owner ? slot
                                                                                                                : -1;
}

namespace {

void InsertSlot(std::vector<int32_t>& slots, int32_t slot)
{
    auto at = std::lower_bound(slots.begin(), slots.end(), slot);
    if (at == slots.end() || *at != slot)
        slots.insert(at, slot);
}

template <class Key, class Index> void EraseSlot(Index& index, const Key& key, int32_t slot)
{
    auto found = index.find(key);
    if (found == index.end())
        return;
    std::vector<int32_t>& slots = found->second;
    slots.erase(std::remove(slots.begin(), slots.end(), slot), slots.end());
    if (slots.empty())
        index.erase(found);
}

// The first slot of the list whose item passes the check, in slot order;
// slots that fail are dropped from the list.
template <class Check> int32_t FirstHolder(std::vector<int32_t>& slots, Check holds)
{
    int32_t first = -1;
    slots.erase(std::remove_if(slots.begin(), slots.end(),
                               [&](int32_t slot) {
                                   if (!holds(slot))
                                       return true;
                                   if (first < 0)
                                       first = slot;
                                   return false;
                               }),
                slots.end());
    return first;
}

} // namespace

void TNView::NoteNameChanged(TNViewItemData* owner, const TNString& before)
{
    const int32_t slot = RegisteredSlot(owner);
    if (slot < 0)
        return;
    if (!before.IsEmpty())
        EraseSlot(nameIndex_, std::string(before.Text, static_cast<size_t>(before.Length)), slot);
    if (owner->Name.IsEmpty()) {
        freeSlots_.insert(slot);
        return;
    }
    freeSlots_.erase(slot);
    InsertSlot(nameIndex_[std::string(owner->Name.Text, static_cast<size_t>(owner->Name.Length))], slot);
}

void TNView::NoteControlAssigned(TNViewItemData* owner, const void* control)
{
    const int32_t slot = RegisteredSlot(owner);
    if (slot >= 0)
        InsertSlot(controlIndex_[control], slot);
}

void TNView::ForgetIndexes(TNViewItem* item, int32_t slot)
{
    if (!item->Name.IsEmpty())
        EraseSlot(nameIndex_, std::string(item->Name.Text, static_cast<size_t>(item->Name.Length)), slot);
    item->ForEachAssignedControl([&](const void* control) { EraseSlot(controlIndex_, control, slot); });
    auto id = idIndex_.find(item->ComponentId);
    if (id != idIndex_.end() && id->second == slot)
        idIndex_.erase(id);
}

void TNView::ClearIndexes()
{
    nameIndex_.clear();
    controlIndex_.clear();
    idIndex_.clear();
    freeSlots_.clear();
}

TNViewItem* TNView::CreateComponent(int8_t kind, const char* name, plat::TForm* ownerForm,
                                    plat::TWinControl* parentControl, int32_t column, const char* caption,
                                    uint8_t captionAlignment, int32_t dialogIndex, TNViewItem* itemTemplate,
                                    TNViewItem* parentItem, int32_t captionPosition)
{
    // The template is ours in every case; nobody uses it after the call.
    std::unique_ptr<TNViewItem> ownedTemplate(itemTemplate);
    return Guarded("[TNView::CreateComponent]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        if (name == nullptr || name[0] == '\0') {
            LogText("[TNView::CreateComponent][ERROR] Empty component name");
            return nullptr;
        }
        // 1. An existing name gives the existing item.
        if (TNViewItem* existing = GetComponent(name)) {
            existing->IsNew = 0;
            return existing;
        }
        // 2.-3. The first free slot, or a new one.
        int32_t slot = FreeSlot();
        if (slot >= 0) {
            if (Items[slot] != nullptr) {
                ForgetLinksTo(Items[slot]);
                RemoveDesk(Items[slot]);
                ForgetIndexes(Items[slot], slot);
                delete Items[slot];
            }
            Items[slot] = new TNViewItem();
        } else {
            if (!Resize(ItemsCount + 1))
                return nullptr;
            slot = ItemsCount - 1;
        }
        TNViewItem* item = Items[slot];
        // 4.-5. Identity and arguments.
        item->ComponentId = GetNewComponentId();
        item->SlotIndex = slot;
        idIndex_[item->ComponentId] = slot;
        item->Type = kind;
        item->Name.Set(name);
        if (column < 0 || column >= kColumnCount) {
            LogTextInt("[TNView::CreateComponent][ERROR] Column reset to 0! column = ", column);
            column = 0;
        }
        item->Column = column;
        item->Caption.Set(caption != nullptr ? caption : "");
        std::fill(std::begin(item->CaptionWidths), std::end(item->CaptionWidths), 0);
        item->CaptionPosition = captionPosition;
        item->CaptionAlignment = captionAlignment;
        item->OwnerForm = ownerForm;
        item->ParentControl = parentControl;
        item->FormTag = dialogIndex;
        item->ParentItem = parentItem;
        // 6.-7. Kind defaults, then what the template carries.
        SetDefaultsByItemType(item, kind);
        if (ownedTemplate != nullptr)
            CopyTemplateFields(*item, *ownedTemplate);
        // 8. The kind's controls.
        const TNViewKindOps& ops = ViewKindOps(kind);
        if (ops.Create != nullptr)
            ops.Create(*this, item);
        // 9. Into the tree under the item that owns the parent control.
        if (TNViewItem* owner = GetComponentByHandle(parentControl); owner != nullptr && owner != item)
            owner->AddChild(item);
        return item;
    });
}

TNViewItem* TNView::CreateComponentFromTemplate(TNViewItem* itemTemplate)
{
    return Guarded("[TNView::CreateComponentFromTemplate]", static_cast<TNViewItem*>(nullptr), [&] {
        if (itemTemplate == nullptr)
            return static_cast<TNViewItem*>(nullptr);
        const std::string name(itemTemplate->Name.Text != nullptr ? itemTemplate->Name.Text : "");
        const std::string caption(itemTemplate->Caption.Text != nullptr ? itemTemplate->Caption.Text : "");
        return CreateComponent(itemTemplate->Type, name.c_str(), itemTemplate->OwnerForm.Get(),
                               itemTemplate->ParentControl.Get(), itemTemplate->Column, caption.c_str(),
                               itemTemplate->CaptionAlignment, itemTemplate->FormTag, itemTemplate,
                               itemTemplate->ParentItem, 3);
    });
}

TNViewItem* TNView::GetComponent(const char* name)
{
    return Guarded("[TNView::GetComponent]", static_cast<TNViewItem*>(nullptr), [&] {
        const int32_t pos = GetComponentPosByName(name);
        return pos >= 0 ? Items[pos] : nullptr;
    });
}

int32_t TNView::GetComponentPosByName(const char* name)
{
    return Guarded("[TNView::GetComponentPosByName]", -1, [&] {
        // An empty or null name matches nothing.
        if (name == nullptr || name[0] == '\0')
            return -1;
        const size_t length = std::strlen(name);
        auto found = nameIndex_.find(std::string(name, length));
        if (found == nameIndex_.end())
            return -1;
        return FirstHolder(found->second, [&](int32_t slot) {
            return slot < ItemsCount && Items[slot] != nullptr && NameIs(Items[slot]->Name, name, length);
        });
    });
}

TNViewItem* TNView::GetComponentById(uint32_t id)
{
    return Guarded("[TNView::GetComponentById]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        if (id == 0)
            return nullptr;
        auto found = idIndex_.find(id);
        if (found == idIndex_.end())
            return nullptr;
        const int32_t slot = found->second;
        return slot < ItemsCount && Items[slot] != nullptr && Items[slot]->ComponentId == id ? Items[slot] : nullptr;
    });
}

TNViewItem* TNView::GetComponentByHandle(const plat::TComponent* control)
{
    return Guarded("[TNView::GetComponentByHandle]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        if (control == nullptr)
            return nullptr;
        auto found = controlIndex_.find(control);
        if (found == controlIndex_.end())
            return nullptr;
        const int32_t slot = FirstHolder(found->second, [&](int32_t slot) {
            return slot < ItemsCount && Items[slot] != nullptr && OwnsControl(*Items[slot], control);
        });
        if (found->second.empty())
            controlIndex_.erase(found);
        return slot >= 0 ? Items[slot] : nullptr;
    });
}

bool TNView::ResizeComponent(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return Guarded("[TNView::ResizeComponent]", false, [&] {
        if (item == nullptr)
            return false;
        const TNViewKindOps& ops = ViewKindOps(item->Type);
        bool laidOut = false;
        if (ops.Layout != nullptr)
            laidOut = ops.Layout(*this, item, left, top, width, height, force);
        return item->Type == cmpRecord ? laidOut : item->Shown == 1;
    });
}

bool TNView::ResizeComponentByName(const char* name, int32_t left, int32_t top, int32_t width, int32_t height,
                                   bool force)
{
    return ResizeComponent(GetComponent(name), left, top, width, height, force);
}

bool TNView::IsRegistered(const TNViewItem* item) const
{
    return item != nullptr && item->SlotIndex >= 0 && item->SlotIndex < ItemsCount && Items[item->SlotIndex] == item;
}

void TNView::ForgetLinksTo(TNViewItem* item)
{
    for (int32_t i = 0; i < ItemsCount; ++i) {
        TNViewItem* other = Items[i];
        if (other == nullptr || other == item)
            continue;
        for (int link = 0; link < TNViewItem::kItemLinkCount; ++link) {
            if (*other->ItemLink(link) == item)
                *other->ItemLink(link) = nullptr;
        }
        if (other->DayboxItem == item)
            other->DayboxItem = nullptr;
        if (other->ParentItem == item)
            other->ParentItem = nullptr;
        const bool walked =
            std::find(walkingChildren_.begin(), walkingChildren_.end(), other) != walkingChildren_.end();
        if (!walked) {
            for (int32_t pos = other->ChildPos(item); pos >= 0; pos = other->ChildPos(item))
                other->DeleteChildByPos(pos);
        }
    }
}

// Only a slot that holds this very item goes.
void TNView::RemoveDesk(TNViewItem* item)
{
    if (item->DeskPos >= 0 && item->DeskPos < DesksCount && Desks[item->DeskPos] == item)
        DeleteDeskByPos(item->DeskPos);
}

bool TNView::DeleteComponent(const char* name, bool)
{
    return Guarded("[TNView::DeleteComponent]", false, [&] {
        TNViewItem* item = GetComponent(name);
        if (item == nullptr)
            return false;
        DeleteItem(item);
        return true;
    });
}

// Removing the item from every other item's children serves the detach
// flag as well, so a parent never keeps a freed child.
void TNView::DeleteItem(TNViewItem* item)
{
    Guarded("TNView::DeleteComponent_A", [&] {
        if (item->Type == cmpDayTitle) {
            ClockPanel = plat::TWeakRef<plat::TPanel>();
            ClockLabel = plat::TWeakRef<plat::TLabel>();
        }
    });
    Guarded("TNView::DeleteComponent_B", [&] { ForgetLinksTo(item); });
    Guarded("TNView::DeleteComponent_C", [&] { RemoveDesk(item); });
    Guarded("TNView::DeleteComponent_D", [&] {
        walkingChildren_.push_back(item);
        for (int32_t i = item->ChildrenCount - 1; i >= 0; --i) {
            if (i >= item->ChildrenCount)
                continue;
            TNViewItem* child = item->Children[i];
            if (IsRegistered(child) && child != item)
                DeleteItem(child);
        }
        walkingChildren_.pop_back();
        item->ResizeChildren(0);
        item->LastChildrenCount = -1;
    });
    const int32_t slot = item->SlotIndex;
    Guarded("TNView::DeleteComponent_E", [&] { ForgetIndexes(item, slot); });
    Guarded("TNView::DeleteComponent_F", [&] { delete item; });
    Guarded("TNView::DeleteComponent_G", [&] {
        if (slot >= 0 && slot < ItemsCount) {
            Items[slot] = nullptr;
            freeSlots_.insert(slot);
        }
    });
}

bool TNView::DeleteComponentById(uint32_t id, bool detach)
{
    return Guarded("[TNView::DeleteComponentById]", false, [&] {
        TNViewItem* item = GetComponentById(id);
        if (item == nullptr)
            return false;
        const std::string name(item->Name.Text != nullptr ? item->Name.Text : "");
        return DeleteComponent(name.c_str(), detach);
    });
}

void TNView::DeleteAllDeletableComponents()
{
    Guarded("[TNView::DeleteAllDeletableComponents]", [&] {
        for (int32_t i = ItemsCount - 1; i >= 0; --i) {
            if (i < ItemsCount && Items[i] != nullptr && Items[i]->Deletable == 1)
                DeleteItem(Items[i]);
        }
    });
}

void TNView::DeleteComponentsByFormHandle(plat::TForm* form)
{
    Guarded("[TNView::DeleteComponentsByFormHandle]", [&] {
        if (form == nullptr)
            return;
        const plat::THandle handle = form->Handle();
        for (int32_t i = ItemsCount - 1; i >= 0; --i) {
            TNViewItem* item = i < ItemsCount ? Items[i] : nullptr;
            if (item == nullptr || item->Deletable != 1)
                continue;
            plat::TForm* owner = item->OwnerForm.Get();
            if (owner != nullptr && owner->Handle() == handle)
                DeleteItem(item);
        }
    });
}

bool TNView::SetComponentVisibility(const char* name, bool visible)
{
    return Guarded("[TNView::SetComponentVisibility]", false, [&] {
        TNViewItem* item = GetComponent(name);
        if (item == nullptr)
            return false;
        item->Shown = visible ? 1 : 0;
        plat::TPanel* panel = item->Panel.Get();
        if (panel == nullptr)
            return ResizeComponent(item, -1, -1, -1, -1, true);
        return ResizeComponent(item, panel->Left(), panel->Top(), panel->Width(), panel->Height(), true);
    });
}

bool TNView::ShowOrHideShowComponent(TNViewItem* item, bool show)
{
    return Guarded("[TNView::ShowOrHideShowComponent]", false, [&] {
        if (item == nullptr)
            return false;
        item->Shown = show ? 1 : 0;
        if (plat::TPanel* panel = item->Panel.Get())
            panel->SetVisible(show);
        return true;
    });
}

bool TNView::SetShownFlag(TNViewItem* item, bool shown)
{
    if (item == nullptr)
        return false;
    item->Shown = shown ? 1 : 0;
    return true;
}

bool TNView::IsShown(TNViewItem* item)
{
    return item != nullptr && item->Shown == 1;
}

bool TNView::SetText(const char* name, const char* text, bool setColor, plat::TColor color)
{
    return Guarded("[TNView::SetText]", false, [&] {
        TNViewItem* item = GetComponent(name);
        if (item == nullptr)
            return false;
        const std::string value(text != nullptr ? text : "");
        switch (item->Type) {
        case cmpLabel: {
            plat::TLabel* label = item->Label(4);
            if (label == nullptr)
                return false;
            label->SetCaption(value);
            if (setColor)
                label->Font().SetColor(color);
            return true;
        }
        case cmpMemo:
            return SetEditText(item->Memo.Get(), value);
        case cmpEdit:
            return SetEditText(item->Edits[0].Get(), value);
        case cmpNumberEdit:
            return SetEditText(item->Edits[1].Get(), std::to_string(TNCommon::StrToInt(value.c_str())));
        default:
            return false;
        }
    });
}

std::string TNView::GetText(const char* name)
{
    return Guarded("[TNView::GetText]", std::string(), [&] {
        TNViewItem* item = GetComponent(name);
        plat::TCustomEdit* edit = item != nullptr ? TextControl(*item) : nullptr;
        return edit != nullptr ? edit->Text() : std::string();
    });
}

void TNView::SetFocus(const char* name)
{
    Guarded("[TNView::SetFocus]", [&] {
        TNViewItem* item = GetComponent(name);
        if (item == nullptr || item->Shown != 1)
            return;
        plat::TWinControl* control = nullptr;
        switch (item->Type) {
        case cmpMemo:
            control = item->Memo.Get();
            break;
        case cmpComboBox:
            control = item->Combos[0].Get();
            break;
        case cmpEdit:
            control = item->Edits[0].Get();
            break;
        case cmpNumberEdit:
        case cmpRepeatInterval:
            control = item->Edits[1].Get();
            break;
        default:
            break;
        }
        if (control != nullptr && control->Visible())
            control->SetFocus();
    });
}

bool TNView::SetHint(const char* name, bool showHint, const char* hint)
{
    return Guarded("[TNView::SetHint]", false, [&] {
        TNViewItem* item = GetComponent(name);
        plat::TCheckBox* box = item != nullptr && item->Type == cmpCheckbox ? item->CheckBox.Get() : nullptr;
        if (box == nullptr)
            return false;
        box->SetShowHint(showHint);
        box->SetHint(hint != nullptr ? hint : "");
        return true;
    });
}

std::string TNView::GetComboValue(const char* name)
{
    return Guarded("[TNView::GetComboValue]", std::string(), [&] {
        TNViewItem* item = GetComponent(name);
        plat::TFlatComboBox* combo = item != nullptr ? item->Combos[0].Get() : nullptr;
        if (combo == nullptr)
            return std::string();
        const int index = combo->ItemIndex();
        if (index < 0 || index >= static_cast<int>(combo->Items().size())) {
            LogWrite("[TNView::GetComboValue][ERROR] No entry selected; name = ", name, false);
            return std::string();
        }
        return combo->Items()[static_cast<size_t>(index)];
    });
}

bool TNView::GetCheckboxValue(const char* name)
{
    return Guarded("[TNView::GetCheckboxValue]", false, [&] {
        TNViewItem* item = GetComponent(name);
        plat::TCheckBox* box = item != nullptr ? item->CheckBox.Get() : nullptr;
        return box != nullptr && box->Checked();
    });
}

bool TNView::SetCheckboxValue(const char* name, bool value)
{
    return Guarded("[TNView::SetCheckboxValue]", false, [&] {
        TNViewItem* item = GetComponent(name);
        if (item != nullptr && item->Type == cmpButton) {
            item->Marked = value ? 1 : 0;
            SetButtonCheckbox(item);
            return true;
        }
        plat::TCheckBox* box = item != nullptr ? item->CheckBox.Get() : nullptr;
        if (box == nullptr)
            return false;
        box->SetChecked(value);
        return true;
    });
}

int32_t TNView::GetValue(const char* name)
{
    return Guarded("[TNView::GetValue]", 0, [&] {
        TNViewItem* item = GetComponent(name);
        return item != nullptr ? item->Value : 0;
    });
}

bool TNView::SetButtonTitle(TNViewItem* item, const char* title, const char* subtitle, plat::TColor subtitleFontColor,
                            plat::TColor subtitleColor, bool transparent, bool relayout)
{
    return Guarded("[TNView::SetButtonTitle]", false, [&] {
        if (item == nullptr || item->Type != cmpButton || item->Label(2) == nullptr)
            return false;
        plat::TLabel* third = item->Label(3);
        if (third != nullptr)
            third->SetTransparent(transparent);
        item->Label(2)->SetCaption(title != nullptr ? title : "");
        if (third != nullptr) {
            if (subtitle == nullptr || subtitle[0] == '\0') {
                third->SetCaption("");
                third->SetVisible(false);
            } else {
                third->SetVisible(true);
                third->SetCaption(subtitle);
                third->Font().SetColor(subtitleFontColor);
                third->SetColor(subtitleColor);
            }
        }
        if (relayout)
            ResizeComponent(item, -1, -1, -1, -1, true);
        return true;
    });
}

int32_t TNView::GetHeight(const char* name)
{
    return Guarded("[TNView::GetHeight]", 0, [&] {
        TNViewItem* item = GetComponent(name);
        if (item == nullptr) {
            LogWrite("[TNView::GetHeight][ERROR] Item not found; name = ", name, false);
            return 0;
        }
        plat::TPanel* panel = item->Panel.Get();
        return panel != nullptr && item->Shown == 1 ? panel->Height() : 0;
    });
}

int32_t TNView::GetWidth(const char* name)
{
    return Guarded("[TNView::GetWidth]", 0, [&] {
        TNViewItem* item = GetComponent(name);
        plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
        return panel != nullptr && item->Shown == 1 ? panel->Width() : 0;
    });
}

void TNView::ButtonHoverOn(TNViewItem* item)
{
    Guarded("[TNView::ButtonHoverOn]", [&] {
        if (item != nullptr && item->TitleLabel.Get() != nullptr)
            item->TitleLabel.Get()->MouseEnter();
    });
}

void TNView::ButtonHoverOff(TNViewItem* item)
{
    Guarded("[TNView::ButtonHoverOff]", [&] {
        if (item != nullptr && item->TitleLabel.Get() != nullptr)
            item->TitleLabel.Get()->MouseLeave();
    });
}

TNViewInner* TNView::GetActiveInner(TNViewItem* item)
{
    return Guarded("[TNView::GetActiveInner]", static_cast<TNViewInner*>(nullptr), [&]() -> TNViewInner* {
        if (item == nullptr || item->Type != cmpScrollbox || item->Inners == nullptr || item->ActiveInnerPos < 0 ||
            item->ActiveInnerPos >= item->InnersCount)
            return nullptr;
        return item->Inners[item->ActiveInnerPos];
    });
}

void TNView::CreateChildRecordLists(TNViewItem* item)
{
    Guarded("[TNView::CreateChildRecordLists]", [&] {
        if (item == nullptr)
            return;
        for (int32_t i = 0; i < item->InnersCount; ++i) {
            TNViewInner* inner = item->Inners[i];
            if (inner != nullptr && inner->Records == nullptr)
                inner->Records = new TNPIMRecords(PIM[0], true);
        }
    });
}

TNViewItem* TNView::GetSelectedScrollboxChild(TNViewItem* item)
{
    return Guarded("[TNView::GetSelectedScrollboxChild]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        TNViewInner* inner = GetActiveInner(item);
        plat::TJvPanel* content = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
        if (content == nullptr)
            return nullptr;
        for (int32_t i = 0; i < item->ChildrenCount; ++i) {
            TNViewItem* child = item->Children[i];
            if (child == nullptr || child->Type != cmpRecord || child->Selected != 1)
                continue;
            plat::TPanel* panel = child->Panel.Get();
            if (panel != nullptr && panel->Parent() == content)
                return child;
        }
        return nullptr;
    });
}

int32_t TNView::GetCaptionMaxWidth(plat::TForm* ownerForm, plat::TWinControl* parentControl, int32_t column)
{
    return Guarded("[TNView::GetCaptionMaxWidth]", 0, [&] {
        if (column < 0 || column >= kColumnCount)
            return 0;
        int32_t widest = 0;
        for (int32_t i = 0; i < ItemsCount; ++i) {
            const TNViewItem* item = Items[i];
            if (item == nullptr || item->OwnerForm.Get() != ownerForm || item->ParentControl.Get() != parentControl ||
                item->Column != column)
                continue;
            if (item->CaptionPosition == 1 || item->CaptionPosition == 3)
                widest = std::max(widest, item->CaptionWidths[column]);
        }
        return widest;
    });
}

void TNView::SetCaptionMaxWidth(plat::TForm* ownerForm, plat::TWinControl* parentControl, int32_t width, int32_t column,
                                TNViewItem* given)
{
    Guarded("[TNView::SetCaptionMaxWidth]", [&] {
        if (given == nullptr || column < 0 || column >= kColumnCount)
            return;
        for (int32_t i = 0; i < ItemsCount; ++i) {
            TNViewItem* item = Items[i];
            if (item == nullptr || item->OwnerForm.Get() != ownerForm || item->ParentControl.Get() != parentControl ||
                item->Column != column)
                continue;
            const bool sameName =
                item->Name.Length == given->Name.Length &&
                (item->Name.Length == 0 || std::memcmp(item->Name.Text, given->Name.Text, item->Name.Length) == 0);
            if (item->CaptionPosition == 1 || (item->CaptionPosition == 3 && sameName))
                item->CaptionWidths[column] = width;
        }
    });
}

int32_t TNView::AddShownRecord(TNPIMRecord* record)
{
    return Guarded("[TNView::AddShownRecord]", -1, [&] {
        if (record == nullptr)
            return -1;
        return WindowState.AddShownRecord(record->ID, record->GetParentPIMPos());
    });
}

int32_t TNView::GetShownRecord(uint32_t recordId)
{
    return WindowState.FindShownRecord(recordId);
}

bool TNView::ResizeShownRecords(int32_t n)
{
    WindowState.TruncateShownRecords(n);
    return true;
}

bool TNView::ResizeDesks(int32_t n)
{
    return Guarded("[TNView::ResizeDesks]", false, [&] {
        if (n <= 0) {
            std::free(Desks);
            Desks = nullptr;
            DesksCount = 0;
            return true;
        }
        void* grown = std::realloc(Desks, sizeof(TNViewItem*) * static_cast<size_t>(n));
        if (grown == nullptr) {
            LogText("[TNView::Resize][ERROR]");
            return false;
        }
        Desks = static_cast<TNViewItem**>(grown);
        for (int32_t i = DesksCount; i < n; ++i)
            Desks[i] = nullptr;
        DesksCount = n;
        return true;
    });
}

int32_t TNView::SetDesk(TNViewItem* item, plat::TWinControl* window, const char* name)
{
    return Guarded("[TNView::SetDesk]", -1, [&] {
        if (item == nullptr)
            return -1;
        int32_t slot = -1;
        for (int32_t i = 0; i < DesksCount && window != nullptr; ++i) {
            plat::TWinControl* deskWindow = Desks[i] != nullptr ? Desks[i]->DeskWindow.Get() : nullptr;
            if (deskWindow != nullptr && deskWindow->Handle() == window->Handle()) {
                slot = i;
                break;
            }
        }
        if (slot < 0 && ResizeDesks(DesksCount + 1))
            slot = DesksCount - 1;
        if (slot >= 0) {
            if (Desks[slot] != nullptr && Desks[slot] != item)
                Desks[slot]->DeskPos = -1;
            Desks[slot] = item;
            item->DeskWindow = window;
            item->DeskName = name != nullptr ? name : "";
        }
        item->DeskPos = slot;
        return slot;
    });
}

int32_t TNView::DeleteDeskByPos(int32_t position)
{
    return Guarded("[TNView::DeleteDeskByPos]", 0, [&] {
        if (DesksCount <= 0 || position < 0 || position >= DesksCount)
            return 0;
        if (Desks[position] != nullptr)
            Desks[position]->DeskPos = -1;
        for (int32_t i = position; i < DesksCount - 1; ++i) {
            Desks[i] = Desks[i + 1];
            if (Desks[i] != nullptr)
                Desks[i]->DeskPos = i;
        }
        Desks[DesksCount - 1] = nullptr;
        ResizeDesks(DesksCount - 1);
        return 1;
    });
}

void TNView::ThreadTerminated(plat::TComponent*)
{
    LogText("[TODO][UNFINISHED] TNView::ThreadTerminated");
}

int32_t TNView::GetTextWidth(const char* text, const plat::TFont& font)
{
    return Guarded("[TNView::GetTextWidth]", 0,
                   [&] { return plat::TextMetrics::TextWidth(font, text != nullptr ? text : ""); });
}

plat::TPanel* TNView::CreateItemPanel(TNViewItem* item)
{
    plat::TWinControl* parent = item->ParentControl.Get();
    auto* panel = new plat::TPanel(item->OwnerForm.Get());
    item->Panel = panel;
    panel->SetDoubleBuffered(true);
    panel->SetBevelInner(plat::TBevelCut::bvNone);
    panel->SetBevelOuter(plat::TBevelCut::bvNone);
    panel->SetColor(parent != nullptr ? parent->Color() : FormColor);
    panel->SetCaption("");
    panel->Font().SetName(FontName);
    panel->Font().SetSize(FontSize);
    return panel;
}
