// Record cards in a tool bar: packed into lines over the days of the week
// views, stacked one under the other elsewhere.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/panel.h"
#include "view/daybox_metrics.h"
#include "view/view.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kMaxPackedRecords = 1440;
constexpr int32_t kWorkWeekGroup = 2;
constexpr int32_t kWeekGroup = 3;
constexpr int32_t kMonthGroup = 4;

bool IsShownRecord(const TNViewItem* child)
{
    return child != nullptr && child->Type == cmpRecord && child->Panel.Get() != nullptr && child->Shown == 1;
}

// One record of the bar: its first card and how many cards (days) it has.
struct PackedRecord {
    uint32_t recordId;
    int32_t parentPos;
    int32_t childIndex;
    int32_t dayPos;
    int32_t count;
};

// The records of the bar in child order, at most kMaxPackedRecords; cards
// whose day lies outside the bar are left out with a log line.
std::vector<PackedRecord> GroupRecords(TNViewItem& bar, int32_t days)
{
    std::vector<PackedRecord> records;
    for (int32_t i = 0; i < bar.ChildrenCount && static_cast<int32_t>(records.size()) < kMaxPackedRecords; ++i) {
        const TNViewItem* child = bar.Children[i];
        if (child == nullptr || child->Type != cmpRecord || child->Panel.Get() == nullptr)
            continue;
        if (child->dayPos < 0 || child->dayPos >= days) {
            LogTextInt("[ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week][ERROR] dayPos out of the bar's days; "
                       "dayPos = ",
                       child->dayPos);
            continue;
        }
        auto found = std::find_if(records.begin(), records.end(), [&](const PackedRecord& record) {
            return record.recordId == child->record_id && record.parentPos == child->pimSrvPos;
        });
        if (found == records.end())
            records.push_back({child->record_id, child->pimSrvPos, i, child->dayPos, 1});
        else
            ++found->count;
    }
    return records;
}

// Earlier days first, then the longer records of a day; an exchange sort,
// whose order of equal entries the placing depends on.
void SortRecords(std::vector<PackedRecord>& records)
{
    const size_t n = records.size();
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            if (records[j].dayPos < records[i].dayPos)
                std::swap(records[i], records[j]);
        }
    }
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            if (records[j].dayPos == records[i].dayPos && records[j].count > records[i].count)
                std::swap(records[i], records[j]);
        }
    }
}

// Only a record's first card is placed, spanning its days; its cards of
// the further days are kept out of sight.
void HideFurtherCards(TNViewItem& bar, const PackedRecord& record)
{
    if (plat::TPanel* first = bar.Children[record.childIndex]->Panel.Get())
        first->SetVisible(true);
    if (record.count < 2)
        return;
    for (int32_t i = record.childIndex + 1; i < bar.ChildrenCount; ++i) {
        TNViewItem* child = bar.Children[i];
        if (child == nullptr || child->Type != cmpRecord || child->record_id != record.recordId ||
            child->pimSrvPos != record.parentPos)
            continue;
        if (plat::TPanel* further = child->Panel.Get())
            further->SetVisible(false);
    }
}

} // namespace

void TNView::LayOutToolbarRecords(TNViewItem* bar)
{
    const TNDayboxMetrics metrics = DayboxMetrics();
    int32_t firstIndex = 0;
    while (firstIndex < bar->ChildrenCount && !IsShownRecord(bar->Children[firstIndex]))
        ++firstIndex;
    if (firstIndex == bar->ChildrenCount)
        return;
    TNViewItem* first = bar->Children[firstIndex];
    plat::TPanel* panel = bar->Panel.Get();
    int32_t dayWidth = panel->Width() - metrics.TimeColumnWidth;
    if (first->shownDaysCount > 1)
        dayWidth = (dayWidth - (first->shownDaysCount - 1)) / first->shownDaysCount;
    dayWidth -= metrics.RecordMargin;
    const int32_t group = first->DayboxModeGroup(first->daybox_mode);
    if (group == kWorkWeekGroup || group == kWeekGroup)
        ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week(bar, dayWidth, metrics.RowHeight, firstIndex);
    else if (group == kMonthGroup)
        LogText("[TNView::ResizeToolbar][ERROR] case dayboxModeGroupMonth; no cmpRecord components should be here");
    else
        StackToolbarRecords(bar, dayWidth, metrics.RowHeight);
}

void TNView::StackToolbarRecords(TNViewItem* bar, int32_t dayWidth, int32_t lineHeight)
{
    Guarded("[TNView::StackToolbarRecords]", [&] {
        if (bar == nullptr || bar->Panel.Get() == nullptr)
            return;
        const TNDayboxMetrics metrics = DayboxMetrics();
        plat::TPanel* panel = bar->Panel.Get();
        const plat::TRect bounds = panel->BoundsRect();
        int32_t y = 1;
        for (int32_t i = 0; i < bar->ChildrenCount; ++i) {
            TNViewItem* child = bar->Children[i];
            if (child == nullptr || child->Type != cmpRecord || child->Panel.Get() == nullptr)
                continue;
            int32_t x = metrics.TimeColumnWidth;
            if (child->shownDaysCount > 1)
                x += (metrics.RecordMargin + dayWidth) * child->dayPos;
            ResizeRecord(child, x, y, dayWidth, lineHeight, true);
            y += child->Panel.Get()->Height();
        }
        panel->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    });
}

void TNView::ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week(TNViewItem* bar, int32_t, int32_t lineHeight,
                                                                 int32_t firstRecordIndex)
{
    Guarded("[ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week]", [&] {
        if (bar == nullptr || bar->Panel.Get() == nullptr || firstRecordIndex < 0 ||
            firstRecordIndex >= bar->ChildrenCount || bar->Children[firstRecordIndex] == nullptr)
            return;
        plat::TPanel* panel = bar->Panel.Get();
        const TNDayboxMetrics metrics = DayboxMetrics();
        // 1. The days the strip spans.
        const int32_t days = bar->Children[firstRecordIndex]->shownDaysCount;
        int32_t neededHeight = 0;
        if (days <= 0) {
            LogTextInt("[ResizeToolbar_cmpRecordComponents_WorkWeek_and_Week][ERROR] days = ", days);
            panel->SetHeight(neededHeight);
            return;
        }
        // 2. The width of the days, the day box's when there is one.
        int32_t widthOfDays = panel->Width() - metrics.TimeColumnWidth + 1;
        if (TNViewItem* scrollbox = bar->ParentItem;
            scrollbox != nullptr && scrollbox->DayboxItem != nullptr && scrollbox->DayboxItem->Panel.Get() != nullptr)
            widthOfDays = scrollbox->DayboxItem->Panel.Get()->Width() - metrics.TimeColumnWidth + 1;
        const int32_t dayWidth = widthOfDays / days;

        // 3, 4. The records grouped by day and sorted.
        std::vector<PackedRecord> records = GroupRecords(*bar, days);
        SortRecords(records);

        // 5. occupied[day][line]: the child index using the line, -1 free.
        const int32_t lines = std::max(1, bar->ChildrenCount);
        std::vector<std::vector<int32_t>> occupied(static_cast<size_t>(days),
                                                   std::vector<int32_t>(static_cast<size_t>(lines), -1));
        int32_t currentDay = -1;
        int32_t line = 0;
        for (const PackedRecord& record : records) {
            if (record.dayPos != currentDay) {
                currentDay = record.dayPos;
                line = 0;
            }
            const std::vector<int32_t>& today = occupied[static_cast<size_t>(currentDay)];
            for (int32_t steps = 0; steps < lines - 1 && line < lines && today[static_cast<size_t>(line)] != -1;
                 ++steps)
                ++line;
            if (line >= lines)
                line = lines - 1;
            const int32_t lastDay = std::min(days, record.dayPos + record.count);
            for (int32_t day = record.dayPos; day < lastDay; ++day)
                occupied[static_cast<size_t>(day)][static_cast<size_t>(line)] = record.childIndex;

            TNViewItem* card = bar->Children[record.childIndex];
            const int32_t y = line * lineHeight + 1;
            ResizeRecord(card, metrics.TimeColumnWidth + record.dayPos * dayWidth, y,
                         dayWidth * record.count - metrics.RecordMargin, lineHeight, true);
            neededHeight = std::max(neededHeight, y + lineHeight);
            HideFurtherCards(*bar, record);
            ++line;
        }
        // 6. The bar as high as its lines.
        panel->SetHeight(neededHeight);
    });
}
