// The tool bar (kind 15): a strip of a scroll box that holds other
// components in one row, made by short names under the bar's own name.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/form.h"
#include "platform/gui/panel.h"
#include "view/daybox_metrics.h"
#include "view/hooks.h"
#include "view/view.h"

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int32_t kMaxFullNameLength = 256;
// Bars whose children the pages or the day-box filling lay out.
constexpr int32_t kDayTitleBarCode = 555;
constexpr int32_t kRecordBarCode = 777;
constexpr int32_t kFillsRestCode = -999;

bool HasName(const TNViewItem* item)
{
    return item != nullptr && item->Name.Text != nullptr && item->Name.Length > 0;
}

bool IsRecord(const TNViewItem& item)
{
    return item.Type == cmpRecord;
}

} // namespace

void TNView::CreateToolbar(TNViewItem* item)
{
    Guarded("[TNView::CreateToolbar]", [&] {
        if (item == nullptr)
            return;
        plat::TForm* owner = item->OwnerForm.Get();
        plat::TWinControl* parent = item->ParentControl.Get();
        plat::TPanel* panel = CreateItemPanel(item);
        panel->SetBounds(0, 0, 16, 16);
        if (owner != nullptr && owner == ViewMain::MainForm()) {
            panel->OnMouseDown = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState shift, int x,
                                    int y) {
                ViewMain::FormMouseDown(sender, static_cast<int32_t>(button), shift, x, y);
            };
        }
        panel->SetParent(parent);
    });
}

TNViewItem* TNView::priToolbar(TNViewItem* toolbarItem, int8_t kind, const char* name, uint8_t rightAligned)
{
    return Guarded("[TNView::priToolbar]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        if (!HasName(toolbarItem) || name == nullptr || name[0] == '\0') {
            LogWrite("[TNView::priToolbar][ERROR] ", "No scrollbox_item or ToolbarItem or name!", false);
            return nullptr;
        }
        if (std::strlen(name) + static_cast<size_t>(toolbarItem->Name.Length) > kMaxFullNameLength) {
            LogWrite("[TNView::priToolbar][ERROR] ", "full_name too long!", false);
            return nullptr;
        }
        const std::string fullName = std::string(toolbarItem->Name.Text) + "_" + name;

        auto prepared = std::make_unique<TNViewItem>();
        prepared->Init();
        prepared->Type = kind;
        prepared->Name.Set(fullName.c_str());
        prepared->OwnerForm = toolbarItem->OwnerForm.Get();
        prepared->ParentControl = toolbarItem->Panel.Get();
        prepared->ParentItem = toolbarItem;
        prepared->RightAligned = rightAligned;
        prepared->FrameWidth = 0;
        prepared->HeightFollowsParent = 1;
        SetDefaultsByItemType(prepared.get(), kind);
        return prepared.release();
    });
}

TNViewItem* TNView::AddToolbarComponent(TNViewItem* prepared)
{
    return Guarded("[TNView::AddToolbarComponent]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        // The registry takes the description over and frees it.
        TNViewItem* item = CreateComponentFromTemplate(prepared);
        if (item == nullptr) {
            LogWrite("[TNView::AddToolbarComponent][ERROR] ", "No component created!", false);
            return nullptr;
        }
        ResizeComponent(item, -1, -1, -1, -1, false);
        return item;
    });
}

bool TNView::ResizeToolbar(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return Guarded("[TNView::ResizeToolbar]", false, [&] {
        // 1. A bar without a name is not laid out.
        if (!HasName(item)) {
            LogText("[TNView::ResizeToolbar][RETURN]");
            return false;
        }
        plat::TPanel* panel = item->Panel.Get();
        if (panel == nullptr)
            return false;
        plat::TWinControl* parent = panel->Parent();
        const int32_t parentWidth = parent != nullptr ? parent->ClientWidth() : 0;
        const int32_t parentHeight = parent != nullptr ? parent->ClientHeight() : 0;

        // 2. The record cards it holds.
        int32_t records = 0;
        for (int32_t i = 0; i < item->ChildrenCount; ++i) {
            const TNViewItem* child = item->Children[i];
            if (child != nullptr && IsRecord(*child) && child->Panel.Get() != nullptr)
                ++records;
        }

        // 3, 4. The size; the height fits the cards.
        const int32_t W = width >= 0 ? width : parentWidth - (-width) * left;
        int32_t H;
        if (records > 0)
            H = records * DayboxMetrics().RowHeight + 1;
        else if (item->ChildrenCount == 0)
            H = 0;
        else if (height >= 0)
            H = height;
        else if (height == -2)
            H = panel->Height();
        else
            H = parentHeight - (-height) * top;

        // 5. Nothing changed: nothing to do.
        if (!force && left == item->LastLeft && top == item->LastTop && W == item->LastWidth && H == item->LastHeight &&
            parentWidth == item->LastParentWidth && parentHeight == item->LastParentHeight &&
            item->ChildrenCount == item->LastChildrenCount)
            return false;
        item->LastLeft = left;
        item->LastTop = top;
        item->LastWidth = W;
        item->LastHeight = H;
        item->LastParentWidth = parentWidth;
        item->LastParentHeight = parentHeight;
        item->LastChildrenCount = item->ChildrenCount;
        panel->SetBounds(left, top, W, H);

        // 6. Day-title and record bars lay out their own children.
        if (item->LayoutCode == kDayTitleBarCode || item->LayoutCode == kRecordBarCode)
            return true;

        // 7. Children from the left.
        int32_t x = 0;
        for (int32_t i = 0; i < item->ChildrenCount; ++i) {
            TNViewItem* child = item->Children[i];
            if (child == nullptr || IsRecord(*child) || child->Shown != 1 || child->RightAligned != 0)
                continue;
            const bool fillsRest = i == item->ChildrenCount - 1 && child->LayoutCode == kFillsRestCode;
            ResizeComponent(child, x, 0, fillsRest ? item->DeskWidth() - x : -1, -1, true);
            x += child->DeskWidth();
        }

        // 8. Children from the right.
        x = panel->Width();
        for (int32_t i = 0; i < item->ChildrenCount; ++i) {
            TNViewItem* child = item->Children[i];
            if (child == nullptr || IsRecord(*child) || child->Shown != 1 || child->RightAligned == 0)
                continue;
            x -= child->DeskWidth();
            ResizeComponent(child, x, 0, -1, -1, true);
        }

        // 9. The cards in their lines.
        LayOutToolbarRecords(item);
        return true;
    });
}

bool TNView::SetToolbarBackground(TNViewItem* item, plat::TColor color)
{
    return Guarded("[TNView::SetToolbarBackground]", false, [&] {
        if (!HasName(item)) {
            LogWrite("[TNView::SetToolbarBackground][ERROR] item == NULL || item->Name.IsEmpty(); item->Name = ",
                     item != nullptr && item->Name.Text != nullptr ? item->Name.Text : "", false);
            return false;
        }
        if (plat::TPanel* panel = item->Panel.Get())
            panel->SetColor(color);
        for (int32_t i = 0; i < item->ChildrenCount; ++i) {
            TNViewItem* child = item->Children[i];
            if (child == nullptr || IsRecord(*child))
                continue;
            if (plat::TPanel* childPanel = child->Panel.Get())
                childPanel->SetColor(color);
            if (child->Type == cmpButton)
                child->SetFlatButtonColors(color);
        }
        return true;
    });
}
