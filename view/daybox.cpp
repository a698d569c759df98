// The day box (kind 16): the calendar grid of one or more days, with its
// background, the red line of the current time and its mouse handlers.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/panel.h"
#include "view/daybox_metrics.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr plat::TColor kRed = 255;
constexpr plat::TColor kSeparatorColor = 0xEBEBEB;
constexpr int32_t kTimeLabelWidth = 38;
constexpr int32_t kTimeLabelHeight = 11;

// The time label and the red line: hidden, out of sight, red.
plat::TJvPanel* MakeMarker(plat::TForm* owner, plat::TPanel* panel)
{
    auto* marker = new plat::TJvPanel(owner);
    marker->SetVisible(false);
    marker->SetBounds(-16, -16, 0, 0);
    marker->SetParent(panel);
    marker->SetBevelInner(plat::TBevelCut::bvNone);
    marker->SetBevelOuter(plat::TBevelCut::bvNone);
    marker->SetColor(kRed);
    return marker;
}

int32_t ColumnWidth(int32_t panelWidth, int32_t timeColumnWidth, int32_t count)
{
    return count > 0 ? (panelWidth - timeColumnWidth + 1) / count : 0;
}

void DrawDaySeparators(plat::TCanvas& canvas, int32_t panelWidth, int32_t height, int32_t count)
{
    const int32_t timeColumn = DayboxMetrics().TimeColumnWidth;
    const int32_t width = ColumnWidth(panelWidth, timeColumn, count);
    canvas.Pen.Color = kSeparatorColor;
    canvas.Pen.Width = 1;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = timeColumn - 1 + i * width;
        canvas.MoveTo(x, 0);
        canvas.LineTo(x, height);
    }
}

// The week views' background: the cached row image with the day columns
// drawn on it. A missing image leaves the picture as it was.
void RebuildWeekBackground(TNViewItem& item, int32_t columns)
{
    plat::TImage* picture = item.Images[1].Get();
    plat::TPanel* panel = item.Panel.Get();
    const std::string name = "bgCalendarOneDay" + std::to_string(4 * DayboxMetrics().RowHeight);
    plat::TImage* cached = ImageTable.GetImage(name.c_str(), true);
    if (picture == nullptr || panel == nullptr || cached == nullptr || cached->Picture().Graphic() == nullptr)
        return;
    plat::TPicture background;
    background.Assign(*cached->Picture().Graphic());
    DrawDaySeparators(background.Bitmap().Canvas(), panel->Width(), background.Height(), columns);
    picture->Picture().Assign(background);
}

} // namespace

void TNView::CreateDaybox(TNViewItem* item)
{
    Guarded("[TNView::CreateDaybox]", [&] {
        if (item == nullptr)
            return;
        plat::TForm* owner = item->OwnerForm.Get();
        plat::TWinControl* parent = item->ParentControl.Get();

        plat::TPanel* panel = CreateItemPanel(item);
        panel->SetBounds(0, 0, 16, 16);

        auto* picture = new plat::TImage(owner);
        picture->SetParent(panel);
        picture->SetTransparent(false);
        picture->SetCenter(false);
        picture->SetStretch(false);
        picture->SetAutoSize(true);
        // Through the global: the controls may outlive this view object.
        picture->OnMouseDown = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState, int x,
                                  int y) {
            if (ViewGlobalsConstructed())
                View.DayboxMouseDown(sender, static_cast<int32_t>(button), x, y);
        };
        picture->OnMouseUp = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState, int x, int y) {
            if (ViewGlobalsConstructed())
                View.DayboxMouseUp(sender, static_cast<int32_t>(button), x, y);
        };
        picture->OnDblClick = [](plat::TComponent* sender) {
            if (ViewGlobalsConstructed())
                View.DayboxDblClick(sender);
        };
        item->Images[1] = picture;

        plat::TJvPanel* timeLabel = MakeMarker(owner, panel);
        timeLabel->Font().SetColor(0xFFFFFF);
        timeLabel->Font().SetName(FontName);
        timeLabel->Font().SetSize(FontSize);
        timeLabel->SetCaption("00:00");
        item->FramePanel1 = timeLabel;
        item->FramePanel2 = MakeMarker(owner, panel);

        panel->SetParent(parent);
    });
}

bool TNView::ResizeDaybox(TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force,
                          bool resizeImage, bool resizeChildren)
{
    return Guarded("[TNView::ResizeDaybox]", false, [&] {
        plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
        if (panel == nullptr)
            return false;
        plat::TWinControl* parent = panel->Parent();
        const int32_t parentWidth = parent != nullptr ? parent->ClientWidth() : 0;
        const int32_t parentHeight = parent != nullptr ? parent->ClientHeight() : 0;

        // 1. Left and top are not compared.
        if (!force && width == item->LastWidth && height == item->LastHeight && parentWidth == item->LastParentWidth &&
            parentHeight == item->LastParentHeight && item->ChildrenCount == item->LastChildrenCount)
            return false;

        // 2. What this layout was made for.
        item->LastLeft = left;
        item->LastTop = top;
        item->LastWidth = width;
        item->LastHeight = height;
        item->LastParentWidth = parentWidth;
        item->LastParentHeight = parentHeight;
        item->LastChildrenCount = item->ChildrenCount;

        // 3, 4. The size; the height follows the scroll box or the picture.
        const int32_t W = width >= 0 ? width : parentWidth - (-width) * left;
        plat::TImage* picture = item->Images[1].Get();
        int32_t H = height;
        plat::TJvPanel* scrollFrame = item->ParentItem != nullptr ? item->ParentItem->Scrollbox.Get() : nullptr;
        if (item->HeightFollowsParent != 0 && scrollFrame != nullptr)
            H = scrollFrame->Height();
        else if (height < 0)
            H = picture != nullptr ? picture->Height() : panel->Height();

        // 5. The panel and its picture.
        panel->SetBounds(left, top, W, H);
        if (resizeImage && picture != nullptr)
            picture->SetBounds(0, 0, W, H);

        // 6. The cards laid out again.
        if (resizeChildren) {
            for (int32_t i = 0; i < item->ChildrenCount; ++i)
                ResizeComponent(item->Children[i], -1, -1, -1, -1, true);
        }

        // 7. A week view draws its background for the new size.
        const int32_t group = item->DayboxModeGroup(-1);
        if (group == 2 || group == 3)
            RebuildWeekBackground(*item, group == 2 ? 5 : 7);

        // 8. The red line follows.
        UpdateRedline(item);
        return true;
    });
}

bool TNView::UpdateRedline(TNViewItem* item)
{
    return Guarded("[TNView::UpdateRedline]", false, [&] {
        // 1. Only a shown day box with days has a red line.
        plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
        plat::TJvPanel* line = item != nullptr ? item->FramePanel2.Get() : nullptr;
        if (item == nullptr || item->Type != cmpDaybox || item->Shown != 1 || item->shownDaysCount < 1 ||
            line == nullptr || panel == nullptr)
            return false;

        // 2. The minute of the day now.
        TNTime now;
        now.SetNow();
        const int32_t hour = now.Hodina;
        const int32_t minute = now.Minuta;
        const int32_t m = hour * 60 + minute;
        const TNDayboxMetrics metrics = DayboxMetrics();

        const int32_t group = item->DayboxModeGroup(-1);
        switch (group) {
        case 0: {
            // 3. A home day: the minute table gives the place.
            if (item->MinuteTops == nullptr)
                return true;
            if (m > 1440) {
                LogTextInt("[UpdateRedline][ERROR] redline_minutes = ", m);
                return true;
            }
            const float position = item->MinuteTops[m];
            line->SetBounds(metrics.TimeColumnWidth - 1, static_cast<int32_t>(position),
                            panel->Width() - metrics.TimeColumnWidth, 1);
            char hint[160];
            std::snprintf(hint, sizeof hint,
                          "%02d:%02d\nČíslo minuty ve dni: %d\nPozice x vůči dayboxu: %f (%d) pixelů", hour, minute, m,
                          static_cast<double>(position), static_cast<int32_t>(position));
            line->SetHint(hint);
            if (panel->Parent() != nullptr)
                line->BringToFront();
            break;
        }
        case 1:
        case 2:
        case 3: {
            // 4. Day and week views: rows of 15 minutes, in today's column.
            const int32_t lineTop = ((m * 100 / 15) * metrics.RowHeight) / 100;
            if (group == 1) {
                line->SetBounds(metrics.TimeColumnWidth - 1, lineTop, panel->Width() - metrics.TimeColumnWidth, 1);
            } else {
                const int32_t width = ColumnWidth(panel->Width(), metrics.TimeColumnWidth, item->shownDaysCount);
                line->SetBounds(metrics.TimeColumnWidth + (now.DayNo - 1) * width, lineTop, width, 1);
            }
            line->BringToFront();
            if (TNViewItem* box = item->ParentItem) {
                line->SetTag(0);
                TNViewInner* inner = GetActiveInner(box);
                plat::TJvPanel* content = inner != nullptr ? inner->ContentPanel.Get() : nullptr;
                plat::TJvPanel* frame = box->Scrollbox.Get();
                if (content != nullptr && frame != nullptr) {
                    const int32_t from = -content->Top();
                    const int32_t to = frame->Height() - content->Top();
                    if (lineTop < from || lineTop >= to) {
                        line->SetTag(4 * metrics.RowHeight - lineTop);
                        return true;
                    }
                }
            } else {
                LogWrite("[TNView::UpdateRedline] ParentItem = ", "NULL", false);
            }
            break;
        }
        case 4:
            // 5. A month view has no red line.
            return true;
        default:
            // 6. Other views are not drawn.
            LogTextInt("[UpdateRedline][ERROR] Unhandled DayboxModeGroup = ", group);
            return true;
        }

        // 7. The time label beside the line.
        if (plat::TJvPanel* label = item->FramePanel1.Get()) {
            const int32_t labelTop = std::clamp(line->Top() - 5, 0, std::max(panel->Height() - kTimeLabelHeight, 0));
            label->SetBounds(line->Left() - kTimeLabelWidth, labelTop, kTimeLabelWidth, kTimeLabelHeight);
            char caption[16];
            std::snprintf(caption, sizeof caption, "%02d:%02d", hour, minute);
            label->SetCaption(caption);
            label->BringToFront();
        }
        return true;
    });
}

void TNView::DayboxMouseDown(plat::TComponent* sender, int32_t, int32_t x, int32_t y)
{
    Guarded("[TNView::DayboxMouseDown]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        ViewMain::btnESCClick();
        item->ClickX = x;
        item->ClickY = y;
    });
}

void TNView::DayboxMouseUp(plat::TComponent* sender, int32_t button, int32_t x, int32_t y)
{
    Guarded("[TNView::DayboxMouseUp]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        item->ClickX = x;
        item->ClickY = y;
        if (button != static_cast<int32_t>(plat::TMouseButton::mbRight))
            return;
        if (auto* menu = dynamic_cast<plat::TPopupMenu*>(ViewMain::popupDaybox())) {
            const plat::TPoint at = plat::Mouse::CursorPos();
            menu->Popup(at.x, at.y);
        }
    });
}

void TNView::DayboxDblClick(plat::TComponent* sender)
{
    Guarded("[TNView::DayboxDblClick]", [&] {
        if (TNViewItem* item = GetComponentByHandle(sender))
            ViewMain::EditRecord(nullptr, 0, item);
    });
}
