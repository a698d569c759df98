// Filling a day box: the records of its days, chosen, sorted, grouped where
// they overlap, turned into pixels and shown as record cards; the all-day
// bar, the day title, the red line and the home page's background.

#include "view/daybox_fill.h"
#include "foundation/common.h"
#include "foundation/day_names.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/time.h"
#include "model/all_day.h"
#include "model/event_types.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/ui_tags.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "view/daybox_metrics.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int32_t kMaxDayRecords = 1440;
constexpr int32_t kDayMinutes = 1440;
constexpr int32_t kHomeGroup = 0;
constexpr int32_t kOneDayGroup = 1;
constexpr int32_t kMonthGroup = 4;
constexpr int32_t kQuarterGroup = 5;
constexpr int32_t kYearGroup = 6;
constexpr int32_t kDayOfWeekGroup = 7;
constexpr int32_t kDayNameBarCode = 777;
// Organizers of this origin show their records without being selected.
constexpr uint32_t kAlwaysShownOrigin = 20;
constexpr uint16_t kNoTime = TNTime::NoTime;
constexpr plat::TColor kGridColor = 0xEBEBEB;
constexpr plat::TColor kGridLabelColor = 0x7F7F7F;
const char* const kEmptyHomeBackground = "bgCalendarOneDay_ModeDynamic_Empty";
const char* const kHomeBackground = "bgCalendarOneDay_ModeDynamic";

// Clears the day box's busy byte on every way out of a fill.
class BusyByte {
public:
    explicit BusyByte(uint8_t& busy) : busy_(busy) { busy_ = 1; }
    ~BusyByte() { busy_ = 0; }
    BusyByte(const BusyByte&) = delete;
    BusyByte& operator=(const BusyByte&) = delete;

private:
    uint8_t& busy_;
};

// The first organizer of the id decides whether its records are shown.
bool OrganizerShowsRecords(const TNPIMOrganizers& organizers, uint32_t organizerId)
{
    for (int32_t i = 0; i < organizers.Count; ++i) {
        const TNPIMOrganizer* organizer = organizers.Items[i];
        if (organizer == nullptr || organizer->Deleted != 0 || organizer->ID != organizerId)
            continue;
        return organizer->Subscribe > 0 && (organizer->Selected || organizer->Origin == kAlwaysShownOrigin);
    }
    return false;
}

// The record's length in minutes, as the record computes it when it has
// none yet, without writing to the shared record.
int32_t StoredEventLength(const TNPIMRecord& record)
{
    if (record.EventLength >= 1)
        return record.EventLength;
    if (!record.HasBegin || !record.HasEnd)
        return 15;
    const bool beginTimeless = record.Begin.Hodina == kNoTime;
    const bool endTimeless = record.End.Hodina == kNoTime;
    const int64_t minutes = (record.End.Timestamp - record.Begin.Timestamp) / 60;
    if (!beginTimeless && !endTimeless)
        return static_cast<int32_t>(minutes);
    if (beginTimeless && endTimeless)
        return static_cast<int32_t>(minutes + 720);
    return 15;
}

bool SameDate(const TNTime& a, const TNTime& b)
{
    return a.Rok == b.Rok && a.Mesic == b.Mesic && a.Den == b.Den;
}

// Minutes of each record relative to the day, then the stable sort by begin
// and the all-day flags.
void MeasureDay(TNDayboxDay& day, const TNTime& workingDay)
{
    const int64_t dayStart = workingDay.DayStart;
    const int64_t nextMidnight = workingDay.DayEnd;
    day.Prepare();
    for (int32_t i = 0; i < day.Count(); ++i) {
        const TNPIMRecord& record = *day.Records[static_cast<size_t>(i)];
        int64_t begin = 0;
        if (record.HasBegin && record.Begin.Timestamp >= dayStart && record.Begin.Hodina != kNoTime)
            begin = (record.Begin.Timestamp - dayStart) / 60;
        day.Begin[static_cast<size_t>(i)] = static_cast<int32_t>(std::clamp<int64_t>(begin, 0, kDayMinutes));
        int32_t length = StoredEventLength(record);
        if (record.HasBegin && record.HasEnd) {
            const bool beganBefore = record.Begin.Timestamp < dayStart;
            if (beganBefore && record.End.Timestamp > nextMidnight)
                length = kDayMinutes;
            else if (beganBefore && SameDate(record.End, workingDay))
                length = kDayMinutes;
            else if (SameDate(record.Begin, workingDay) && record.End.Timestamp > nextMidnight)
                length = kDayMinutes - (record.Begin.Hodina * 60 + record.Begin.Minuta);
        }
        day.Length[static_cast<size_t>(i)] = length;
    }

    // Repeated passes of neighbour swaps: equal begins keep their order.
    const int32_t n = day.Count();
    for (int32_t pass = 0; pass < n; ++pass) {
        bool swapped = false;
        for (int32_t i = 0; i + 1 < n; ++i) {
            const size_t a = static_cast<size_t>(i);
            if (day.Begin[a] > day.Begin[a + 1]) {
                std::swap(day.Records[a], day.Records[a + 1]);
                std::swap(day.Begin[a], day.Begin[a + 1]);
                std::swap(day.Length[a], day.Length[a + 1]);
                swapped = true;
            }
        }
        if (!swapped)
            break;
    }

    for (int32_t i = 0; i < n; ++i) {
        const TNPIMRecord& record = *day.Records[static_cast<size_t>(i)];
        day.AllDay[static_cast<size_t>(i)] = record.Begin.Hodina == kNoTime ||
                                             day.Length[static_cast<size_t>(i)] > kDayMinutes - 1 || record.Type == 2 ||
                                             record.Type == 7 || record.Type == 8 || record.Type == 9;
    }
}

bool BeginsInside(const TNDayboxDay& day, int32_t outer, int32_t inner)
{
    const size_t o = static_cast<size_t>(outer);
    const int32_t begin = day.Begin[static_cast<size_t>(inner)];
    return day.Begin[o] <= begin && begin < day.Begin[o] + day.Length[o];
}

// Overlap groups: a record that begins inside another shares its group.
// Groups never merge; a group is numbered in order of creation.
void GroupOverlaps(TNDayboxDay& day)
{
    const int32_t n = day.Count();
    std::vector<int32_t>& group = day.Group;
    for (int32_t i = 0; i < n; ++i) {
        for (int32_t j = 0; j < n; ++j) {
            if (i == j || day.AllDay[static_cast<size_t>(i)] != 0 || day.AllDay[static_cast<size_t>(j)] != 0 ||
                !BeginsInside(day, i, j))
                continue;
            int32_t& gi = group[static_cast<size_t>(i)];
            int32_t& gj = group[static_cast<size_t>(j)];
            if (gi >= 0 && gj < 0) {
                gj = gi;
                AddToOverlapGroup(day.Groups, gi, j);
            } else if (gi < 0) {
                gi = gj;
                if (gi >= 0) {
                    AddToOverlapGroup(day.Groups, gi, i);
                    AddToOverlapGroup(day.Groups, gi, j);
                }
            }
            for (int32_t k = i - 1; gi < 0 && k >= 0; --k) {
                if (day.AllDay[static_cast<size_t>(k)] == 0 && BeginsInside(day, k, i) &&
                    group[static_cast<size_t>(k)] >= 0) {
                    gi = group[static_cast<size_t>(k)];
                    AddToOverlapGroup(day.Groups, gi, i);
                }
            }
            if (gi < 0 && static_cast<int32_t>(day.Groups.size()) < n) {
                gi = static_cast<int32_t>(day.Groups.size());
                day.Groups.push_back({i});
                if (gj < 0)
                    gj = gi;
                AddToOverlapGroup(day.Groups, gi, j);
            }
        }
    }
}

// Column widths and offsets: a group of n shares the day's column with 3 px
// between its members.
void PlaceColumns(TNDayboxDay& day, int32_t columnWidth)
{
    int32_t previousGroup = -1;
    int32_t k = 0;
    for (int32_t i = 0; i < day.Count(); ++i) {
        const size_t at = static_cast<size_t>(i);
        const int32_t group = day.Group[at];
        if (group != previousGroup)
            k = 0;
        previousGroup = group;
        day.Column[at] = 0;
        if (group < 0) {
            day.Offset[at] = 0;
            day.Width[at] = columnWidth;
            continue;
        }
        const int32_t members = static_cast<int32_t>(day.Groups[static_cast<size_t>(group)].size());
        day.Width[at] = (columnWidth - (3 * members - 3)) / members;
        day.Offset[at] = k * 3 + k * day.Width[at];
        day.Column[at] = k;
        ++k;
    }
}

// Whether a timed record of the day ends on its last row: at 23:59, 24:00
// or on another day than the first shown one.
bool EndsOnLastRow(const TNDayboxDay& day, const TNTime& firstDay)
{
    for (int32_t i = 0; i < day.Count(); ++i) {
        const TNPIMRecord& record = *day.Records[static_cast<size_t>(i)];
        if (day.AllDay[static_cast<size_t>(i)] != 0 || !record.HasEnd)
            continue;
        if (record.End.Den != firstDay.Den || record.End.Hodina == 24 ||
            (record.End.Hodina == 23 && record.End.Minuta == 59))
            return true;
    }
    return false;
}

std::string Printf(const char* format, auto... args)
{
    const int size = std::snprintf(nullptr, 0, format, args...);
    std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
    std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

std::string TextOf(const TNString& text)
{
    return text.Text != nullptr ? std::string(text.Text, static_cast<size_t>(text.Length)) : std::string();
}

// The overlay's hint: time, text, the begin and, with an end, the end.
std::string RecordHint(const TNPIMRecord& record)
{
    const TNTime& b = record.Begin;
    const std::string text = TextOf(record.Text);
    std::string hint = b.Hodina == kNoTime ? Printf("%s\nOd: %02d.%02d.%04d", text.c_str(), b.Den, b.Mesic, b.Rok)
                                           : Printf("%02d:%02d\n%s\nOd: %02d.%02d.%04d %02d:%02d", b.Hodina, b.Minuta,
                                                    text.c_str(), b.Den, b.Mesic, b.Rok, b.Hodina, b.Minuta);
    if (!record.HasEnd)
        return hint;
    const TNTime& e = record.End;
    if (e.Hodina == kNoTime || b.Hodina == kNoTime)
        return Printf("%s\nDo: %02d.%02d.%04d", hint.c_str(), e.Den, e.Mesic, e.Rok);
    return Printf("%s\nDo: %02d.%02d.%04d %02d:%02d\nDélka v minutách: %d", hint.c_str(), e.Den, e.Mesic, e.Rok,
                  e.Hodina, e.Minuta, StoredEventLength(record));
}

// A home page background: white, a grid line and a time label at each row.
plat::TImage* DrawHomeBackground(const char* name, int32_t height,
                                 const std::vector<std::pair<int32_t, std::string>>& rows)
{
    plat::TImage* image = ImageTable.CreateBlankImage(name, plat::Screen::Width(), height, plat::clWhite);
    if (image == nullptr)
        return nullptr;
    image->SetTransparent(true);
    plat::TCanvas& canvas = image->Picture().Bitmap().Canvas();
    canvas.Font.SetName(View.FontName);
    canvas.Font.SetSize(View.FontSize);
    canvas.Font.SetColor(kGridLabelColor);
    canvas.Pen.Color = kGridColor;
    canvas.Brush.Style = plat::TBrushStyle::bsClear;
    for (const auto& [top, label] : rows) {
        canvas.MoveTo(0, top);
        canvas.LineTo(image->Width(), top);
        canvas.TextOut(2, top + 1, label);
    }
    return image;
}

} // namespace

plat::TImage* Daybox_CreateDynamicImage_ModeDynamic_Empty(const char* name, int32_t height)
{
    std::vector<std::pair<int32_t, std::string>> rows;
    for (int32_t hour = 0; hour < 24; ++hour)
        rows.emplace_back(hour * height / 24, Printf("%02d:00", hour));
    return DrawHomeBackground(name, height, rows);
}

plat::TImage* Daybox_CreateDynamicImage_ModeDynamic(const char* name, int32_t height,
                                                    const TNDayboxDynamicLayout& layout)
{
    std::vector<std::pair<int32_t, std::string>> rows;
    for (const TNDayboxSegment& segment : layout.Segments) {
        if (segment.Anchor < 0)
            rows.emplace_back(segment.Top, Printf("%02d:%02d", segment.BeginHour, segment.BeginMinute));
    }
    return DrawHomeBackground(name, height, rows);
}

void TNView::Daybox_UpdateScrollbox_ModeDynamic(const TNDayboxDynamicLayout* layout, TNViewItem* daybox,
                                                TNViewItem* scrollbox)
{
    Guarded("[Daybox_UpdateScrollbox_ModeDynamic]", [&] {
        plat::TJvPanel* frame = scrollbox->Scrollbox.Get();
        plat::TPanel* panel = daybox->Panel.Get();
        plat::TImage* picture = daybox->Images[1].Get();
        if (frame == nullptr || panel == nullptr || picture == nullptr)
            return;
        const int32_t available = frame->Height();
        plat::TImage* background = nullptr;
        if (layout == nullptr || layout->Segments.empty()) {
            background = ImageTable.GetImage(kEmptyHomeBackground, true);
            if (background == nullptr || background->Height() != available)
                background = Daybox_CreateDynamicImage_ModeDynamic_Empty(kEmptyHomeBackground, available);
        } else {
            background = Daybox_CreateDynamicImage_ModeDynamic(kHomeBackground,
                                                               std::max(layout->TotalHeight, available), *layout);
        }
        if (background == nullptr)
            return;
        panel->SetHeight(background->Height());
        picture->Picture().Assign(background->Picture());
        ResizeDaybox(daybox, panel->Left(), panel->Top(), panel->Width(), background->Height(), true, true, false);
    });
}

void TNView::UpdateDaybox(TNViewItem* daybox, TNViewItem* scrollbox, int32_t recordFontSize)
{
    Guarded("[TNView::UpdateDaybox]", [&] {
        // 1.1. The data set and the setting for hidden records.
        const bool showHidden = Setup.GetBool("Settings_ShowHiddenRecords");
        TNPIM* pim = PIM[0];
        if (pim == nullptr) {
            // Everything below reads the first data set.
            LogWrite("[UpdateDaybox][ERROR] ", "PIM[0] = NULL", false);
            return;
        }
        if (scrollbox == nullptr || scrollbox->Scrollbox.Get() == nullptr || daybox == nullptr ||
            daybox->Panel.Get() == nullptr) {
            LogText("scroll_calendar == NULL || scroll_calendar->Scrollbox == NULL || daybox_item == NULL");
            return;
        }
        if (daybox->FillBusy != 0)
            return;
        BusyByte busy(daybox->FillBusy);

        // 1.2. The days shown, from midnight to midnight.
        TNTime& firstDay = daybox->Times[0];
        TNTime& lastDay = daybox->Times[1];
        firstDay.NastavCas(0, 0);
        lastDay.NastavCas(0, 0);
        firstDay.GetTimestamp();
        lastDay.GetTimestamp();
        const int32_t days = std::max(1, TNTime::DaysBetween(firstDay, lastDay));
        if (!daybox->ResizeAllDays(days)) {
            LogText("[UpdateDaybox][ERROR] ResizeAllDays = NULL");
            return;
        }
        std::vector<TNPIMAllDay*> entries(static_cast<size_t>(days), nullptr);
        TNTime working;
        working.Copy(&firstDay);
        for (int32_t p = 0; p < days; ++p) {
            entries[static_cast<size_t>(p)] = pim->GetAllDaysItem(working.Rok, working.Mesic, working.Den);
            working.NextDay();
        }

        // 1.3. How many records they hold and the newest change.
        int32_t total = 0;
        uint32_t newest = 0;
        {
            TNModelReadGuard read;
            for (const TNPIMAllDay* entry : entries) {
                if (entry == nullptr)
                    continue;
                total += entry->Count;
                newest = std::max(newest, entry->lastChanged);
            }
        }
        plat::TJvPanel* frame = scrollbox->Scrollbox.Get();
        plat::TPanel* panel = daybox->Panel.Get();
        if (frame->Height() > panel->Height()) {
            panel->SetHeight(frame->Height());
            if (plat::TImage* picture = daybox->Images[1].Get())
                picture->SetHeight(frame->Height());
        }

        // 1.4. The heights the fill was made for.
        const int32_t group = daybox->DayboxModeGroup(-1);
        TNViewInner* inner = GetActiveInner(scrollbox);
        const int32_t contentHeight =
            inner != nullptr && inner->ContentPanel.Get() != nullptr ? inner->ContentPanel.Get()->Height() : -1;
        const bool home = group == kHomeGroup;
        bool fill = !(daybox->SnapshotFirstDay == firstDay.Timestamp && daybox->SnapshotMode == daybox->daybox_mode &&
                      daybox->SnapshotStamp == newest && daybox->SnapshotCount == total &&
                      daybox->SnapshotShowHidden == static_cast<int32_t>(showHidden) &&
                      (!home || (daybox->SnapshotScrollboxHeight == frame->Height() &&
                                 daybox->SnapshotContentHeight == contentHeight)));
        daybox->SnapshotFirstDay = firstDay.Timestamp;
        daybox->SnapshotMode = daybox->daybox_mode;
        daybox->SnapshotStamp = newest;
        daybox->SnapshotCount = total;
        daybox->SnapshotShowHidden = showHidden ? 1 : 0;
        daybox->SnapshotScrollboxHeight = frame->Height();
        daybox->SnapshotContentHeight = contentHeight;

        // 1.5. A changed record refills the views, one at a time.
        if (g.someRecordChangedSoUpdateViews > 0) {
            fill = true;
            --g.someRecordChangedSoUpdateViews;
        }

        // 2. The days are filled when something changed.
        if (fill)
            FillDays(daybox, scrollbox, entries, recordFontSize, showHidden);

        // 13. The fill finished and the red line shown.
        if (fill)
            FinishFill(daybox, scrollbox, group);
        ShowRedline(daybox, scrollbox, group);
        if (g.someRecordChangedSoUpdateViews > 0) {
            g.SetUpdateUiTag(__uiFastSync, 0);
            g.SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
        }
    });
}

void TNView::FillDays(TNViewItem* daybox, TNViewItem* scrollbox, const std::vector<TNPIMAllDay*>& entries,
                      int32_t recordFontSize, bool showHidden)
{
    const TNDayboxMetrics metrics = DayboxMetrics();
    daybox->QuarterRowHeight = metrics.RowHeight;
    if (daybox->MinuteTops == nullptr)
        daybox->MinuteTops = static_cast<float*>(std::calloc(kDayMinutes + 1, sizeof(float)));

    const int32_t group = daybox->DayboxModeGroup(-1);
    TNDayboxDynamicLayout lastLayout;
    int32_t allDayCount = 0;
    daybox->Times[2].Copy(&daybox->Times[0]);
    for (int32_t p = 0; p < static_cast<int32_t>(entries.size()); ++p) {
        daybox->Times[2].GetTimestamp();
        lastLayout = TNDayboxDynamicLayout();
        UpdateDayboxCalendar(p, daybox, scrollbox, entries[static_cast<size_t>(p)], recordFontSize, &allDayCount,
                             &lastLayout, showHidden);
        daybox->Times[2].NextDay();
    }
    if (TNViewItem* bar = scrollbox->ThirdBarItem; bar != nullptr && allDayCount > 0) {
        ResizeToolbar(bar, 0, 0, -1, -1, true);
        scrollbox->ThirdBarHeight = bar->Panel.Get() != nullptr ? bar->Panel.Get()->Height() : 0;
        scrollbox->ThirdBarShown = 1;
    }

    switch (group) {
    case kHomeGroup:
        Daybox_UpdateScrollbox_ModeDynamic(&lastLayout, daybox, scrollbox);
        LayOutScrollboxAgain(scrollbox, "TNView::UpdateDaybox_E");
        break;
    case kOneDayGroup:
    case 2:
    case 3:
    case kMonthGroup:
        LayOutScrollboxAgain(scrollbox, "TNView::UpdateDaybox");
        break;
    case kQuarterGroup:
        LogText("[UpdateDaybox][ERROR] daybox_item->DayboxModeGroup() == dayboxModeGroupQuartal, ");
        break;
    case kYearGroup:
        LogText("[UpdateDaybox][ERROR] daybox_item->DayboxModeGroup() == dayboxModeGroupYear, ");
        break;
    case kDayOfWeekGroup:
        LogText("[UpdateDaybox][ERROR] daybox_item->DayboxModeGroup() == dayboxModeGroupDayOfWeek, ");
        break;
    default:
        LogTextInt("[UpdateDaybox][ERROR] Unhandled daybox_item->DayboxModeGroup() == ", group);
        break;
    }
}

void TNView::LayOutScrollboxAgain(TNViewItem* scrollbox, const char* caller)
{
    const auto remembered = [](int32_t value) { return value == -999 ? -1 : value; };
    ResizeScrollbox(scrollbox, remembered(scrollbox->LastLeft), remembered(scrollbox->LastTop),
                    remembered(scrollbox->LastWidth), remembered(scrollbox->LastHeight), true, 1, 0, caller);
}

bool TNView::UpdateDayboxCalendar(int32_t dayPos, TNViewItem* daybox, TNViewItem* scrollbox, TNPIMAllDay* entry,
                                  int32_t recordFontSize, int32_t* allDayCount, TNDayboxDynamicLayout* layout,
                                  bool showHidden)
{
    return Guarded("[TNView::UpdateDayboxCalendar]", false, [&] {
        daybox->RecordFontSize = recordFontSize;
        if (scrollbox->ThirdBarItem != nullptr)
            scrollbox->ThirdBarItem->RecordFontSize = recordFontSize;
        TNPIM* pim = PIM[0];
        if (pim == nullptr || daybox == nullptr || scrollbox == nullptr)
            return false;
        const TNDayboxMetrics metrics = DayboxMetrics();
        const int32_t group = daybox->DayboxModeGroup(-1);
        const bool month = group == kMonthGroup;
        TNViewItem* bar = scrollbox->ThirdBarItem;
        const TNTime& workingDay = daybox->Times[2];

        // 8. The first day clears the cards of the last fill.
        if (dayPos == 0)
            DeleteDayboxCards(daybox, bar, scrollbox);

        // 3. The day's records that pass the organizer, author and hidden filters.
        TNDayboxDay day;
        if (entry != nullptr) {
            TNModelReadGuard read;
            for (int32_t k = 0; k < entry->Count && day.Count() < kMaxDayRecords; ++k) {
                TNPIMRecord* record = entry->Items[k];
                if (record == nullptr || !OrganizerShowsRecords(pim->Organizers, record->OrganizerID))
                    continue;
                if (record->Deleted != 0 || !ViewMain::RecordPassesAuthorFilter(record) ||
                    (record->Hidden && !showHidden))
                    continue;
                day.Records.push_back(record);
            }
            // 4-6. Their times within the day.
            MeasureDay(day, workingDay);
        }

        // 7. Columns: the day's width shared by overlapping records.
        const int32_t days = std::max(1, daybox->shownDaysCount);
        int32_t columnWidth = daybox->Panel.Get()->Width() - metrics.TimeColumnWidth;
        if (days > 1)
            columnWidth = (columnWidth - (days - 1)) / days;
        columnWidth -= metrics.RecordMargin;
        if (!month)
            GroupOverlaps(day);
        PlaceColumns(day, columnWidth);

        // 8. All-day records go to the bar.
        if (!month && bar != nullptr) {
            for (int32_t i = 0; i < day.Count(); ++i) {
                if (day.AllDay[static_cast<size_t>(i)] == 0)
                    continue;
                if (CreateDayboxRecordComponent(dayPos, daybox, bar, day, i, -1, 1, false, true) != nullptr)
                    ++*allDayCount;
            }
        }

        // 9. Tops and heights by the view's row height.
        switch (group) {
        case 1:
        case 2:
        case 3:
            Daybox_RecalcBeginsAndHeights_ModeStandard(day, metrics.RowHeight);
            break;
        case kMonthGroup:
            Daybox_RecalcBeginsAndHeights_ModeMonth(day, metrics.RowHeight);
            break;
        case kHomeGroup:
            *layout =
                Daybox_RecalcBeginsAndHeights_ModeDynamic(day, metrics.RowHeight, scrollbox->Scrollbox.Get()->Height(),
                                                          EndsOnLastRow(day, daybox->Times[0]), daybox->MinuteTops);
            break;
        case kQuarterGroup:
            LogText("[UpdateDayboxCalendar][ERROR] Unhandled case dayboxModeGroupQuartal in 'Recalc begins and "
                    "heights acording to shown calendar's line height'");
            break;
        case kYearGroup:
            LogText("[UpdateDayboxCalendar][ERROR] Unhandled case dayboxModeGroupYear in 'Recalc begins and heights "
                    "acording to shown calendar's line height'");
            break;
        case kDayOfWeekGroup:
            LogText("[UpdateDayboxCalendar][ERROR] Unhandled case dayboxModeGroupDayOfWeek in 'Recalc begins and "
                    "heights acording to shown calendar's line height'");
            break;
        default:
            LogText("[UpdateDayboxCalendar][ERROR][DEFAULT] Unhandled 'Recalc begins and heights acording to shown "
                    "calendar's line height'");
            break;
        }

        // 10. The timed records become cards.
        const bool monthGrid =
            month && CalcWidthsAnsHeightsOfMonthViewCalendar(daybox, daybox->Panel.Get()->Width(),
                                                             daybox->Panel.Get()->Height(), 7, daybox->MonthRows);
        int32_t monthPos = 0;
        for (int32_t i = 0; i < day.Count(); ++i) {
            const size_t at = static_cast<size_t>(i);
            if (!month && day.AllDay[at] != 0)
                continue;
            const int32_t overlapGroup = day.Group[at];
            const int32_t columns =
                overlapGroup >= 0 ? static_cast<int32_t>(day.Groups[static_cast<size_t>(overlapGroup)].size()) : 1;
            TNViewItem* card =
                CreateDayboxRecordComponent(dayPos, daybox, daybox, day, i, overlapGroup, columns, month, false);
            if (card == nullptr)
                continue;
            int32_t left = day.Offset[at] + metrics.TimeColumnWidth;
            if (days > 1)
                left = (metrics.RecordMargin + columnWidth) * dayPos + metrics.TimeColumnWidth + day.Offset[at];
            int32_t top = day.Top[at];
            int32_t width = day.Width[at];
            int32_t height = day.Height[at];
            if (monthGrid) {
                card->MonthPos = monthPos++;
                GetMonthViewRecordBounds(card->MonthPos, dayPos, daybox, &left, &top, &width, &height);
            }
            ResizeRecord(card, left, top, width, height, true);
        }
        return true;
    });
}

void TNView::DeleteDayboxCards(TNViewItem* daybox, TNViewItem* bar, TNViewItem* scrollbox)
{
    for (TNViewItem* parent : {daybox, bar}) {
        if (parent == nullptr)
            continue;
        std::vector<std::string> names;
        for (int32_t i = parent->ChildrenCount - 1; i >= 0; --i) {
            const TNViewItem* child = parent->Children[i];
            if (child != nullptr && !child->Name.IsEmpty())
                names.emplace_back(child->Name.Text);
        }
        for (const std::string& name : names)
            DeleteComponent(name.c_str(), false);
    }
    if (bar != nullptr) {
        ResizeToolbar(bar, 0, 0, -1, -1, true);
        scrollbox->ThirdBarHeight = bar->Panel.Get() != nullptr ? bar->Panel.Get()->Height() : 0;
        scrollbox->ThirdBarShown = 0;
    }
}

TNViewItem* TNView::CreateDayboxRecordComponent(int32_t dayPos, TNViewItem* daybox, TNViewItem* parent,
                                                const TNDayboxDay& day, int32_t recordPos, int32_t group,
                                                int32_t columns, bool month, bool allDay)
{
    return Guarded("[TNView::CreateDayboxRecordComponent]", static_cast<TNViewItem*>(nullptr), [&]() -> TNViewItem* {
        TNPIMRecord* record = day.Records[static_cast<size_t>(recordPos)];
        TNPIM* pim = PIM[0];
        if (record == nullptr || pim == nullptr || parent == nullptr || parent->Panel.Get() == nullptr)
            return nullptr;

        // 1. The card's name, caption, colours and hint, read under the model lock.
        std::string name;
        std::string caption;
        TNPIMRecord* shown = record;
        int32_t referenceYear = 0;
        uint8_t combination = 0;
        std::string hint;
        {
            TNModelReadGuard read;
            name = Printf("%s_recordCmp_%dof%d_%u", daybox->Name.Text, dayPos, daybox->shownDaysCount, record->ID);
            // 2. An occurrence counts its years from its series' master.
            referenceYear = record->Begin.Rok;
            if (record->Virtual && pim->Records != nullptr && record->MasterPos >= 0 &&
                record->MasterPos < pim->Records->Count && pim->Records->Items[record->MasterPos] != nullptr) {
                shown = pim->Records->Items[record->MasterPos];
                referenceYear = shown->Begin.Rok;
            }
            // 3. The event type before the text, where the type asks for it.
            std::string prefix;
            TNString typeName;
            if (record->EventType != 0 &&
                pim->EventTypes.ShowEventTypeBeforeText(static_cast<uint32_t>(record->EventType), typeName))
                prefix = TextOf(typeName) + ": ";
            // 4. Anniversaries and birthdays carry their year and their count.
            const std::string text = TextOf(record->Text);
            const int32_t age = record->Begin.Rok - referenceYear;
            if (record->Type == 7 || record->Type == 8) {
                caption = Printf("[%04d] %s%s", referenceYear, prefix.c_str(), text.c_str());
                if (age >= 1)
                    caption += Printf(record->Type == 7 ? " (%d. výročí)" : " (%d. narozeniny)", age);
            } else {
                caption = prefix + text;
            }
            // 5. The colours and the hint.
            combination = TNPIM::GetRecordColorCombination(record, 0);
            hint = RecordHint(*record);
        }
        TNViewItem* card = CreateComponent(cmpRecord, name.c_str(), ViewMain::MainForm(), parent->Panel.Get(), 0,
                                           caption.c_str(), 1, -1, nullptr, parent, 3);
        if (card == nullptr || card->Panel.Get() == nullptr)
            return nullptr;
        card->ParentItem = parent;
        AddShownRecord(shown);
        card->SetRecordColorCombination(static_cast<int8_t>(combination), false, true);

        // 6. A month card shows the time of a timed record.
        plat::TLabel* timeLabel = card->Labels[1].Get();
        plat::TLabel* title = card->TitleLabel.Get();
        if (timeLabel != nullptr) {
            timeLabel->SetCaption("");
            if (month && !allDay && day.AllDay[static_cast<size_t>(recordPos)] == 0) {
                timeLabel->SetCaption(Printf("%02d:%02d", record->Begin.Hodina, record->Begin.Minuta));
                timeLabel->Font().SetSize(8);
                if (title != nullptr)
                    timeLabel->Font().SetColor(title->Font().Color());
                timeLabel->SetTransparent(true);
            }
        }
        // 7. The title, struck out when finished.
        if (title != nullptr) {
            title->Font().SetStyle(record->Finished != 0 ? plat::fsStrikeOut : 0);
            title->SetCaption(caption);
        }
        // 8. What the card stands for and where.
        card->daybox_mode = daybox->daybox_mode;
        SetCardRecord(card, record);
        card->pimSrvPos = record->GetParentPIMPos();
        card->dayPos = dayPos;
        card->shownDaysCount = daybox->shownDaysCount;
        card->ColumnPos = group >= 0 ? day.Column[static_cast<size_t>(recordPos)] : 0;
        card->ColumnsCount = columns;
        NumberCardsOfRecord(parent, record->ID);
        // 9. The mouse reaches the pages through the overlay.
        if (plat::TLabel* overlay = card->CaptionLabel.Get()) {
            overlay->OnClick = [](plat::TComponent* sender) { ViewMain::recordClick(sender); };
            overlay->OnDblClick = [](plat::TComponent* sender) { ViewMain::recordDblClick(sender); };
            overlay->OnMouseUp = [](plat::TComponent* sender, plat::TMouseButton button, plat::TShiftState shift, int x,
                                    int y) {
                ViewMain::recordMouseUp(sender, static_cast<int32_t>(button), shift, x, y);
            };
            // 10. The hint over the whole card.
            overlay->SetHint(hint);
            overlay->SetShowHint(true);
        }
        if (plat::TPanel* panel = card->Panel.Get())
            panel->SetVisible(true);
        return card;
    });
}

void TNView::NumberCardsOfRecord(TNViewItem* parent, uint32_t recordId)
{
    std::vector<TNViewItem*> cards;
    for (int32_t i = 0; i < parent->ChildrenCount; ++i) {
        TNViewItem* child = parent->Children[i];
        if (child != nullptr && child->Type == cmpRecord && child->record_id == recordId)
            cards.push_back(child);
    }
    for (size_t i = 0; i < cards.size(); ++i) {
        cards[i]->RecordSerial = static_cast<int32_t>(i);
        cards[i]->RecordSerialCount = static_cast<int32_t>(cards.size());
    }
}

void TNView::FinishFill(TNViewItem* daybox, TNViewItem* scrollbox, int32_t group)
{
    const TNTime& firstDay = daybox->Times[0];
    // 13.1. A single day scrolls to the time of day.
    if (group == kHomeGroup || group == kOneDayGroup) {
        TNTime today;
        today.SetToday();
        // Whole days; a summer-time change makes one day an hour shorter or
        // longer.
        const int32_t ahead = static_cast<int32_t>(std::lround((firstDay.DayStart - today.DayStart) / 86400.0));
        plat::TColor color = plat::clWhite;
        if (ahead == 0)
            color = 0xF2F9F4;
        else if (ahead == 1 || ahead == 2)
            color = 0xFBF9F1;
        else if (ahead < 0)
            color = 0xE6E6F2;
        if (scrollbox->LeftColumnButtonItem != nullptr)
            scrollbox->LeftColumnButtonItem->SetFlatButtonColors(color);
        for (TNViewItem* bar : {scrollbox->TopBarItem, scrollbox->SecondBarItem, scrollbox->ThirdBarItem}) {
            if (bar != nullptr)
                SetToolbarBackground(bar, color);
        }
    }
    // 13.2. The pictures of what is shown come in the background.
    ViewMain::StartPicturesJob();
    // 13.3. The day-name bars show the days anew.
    for (TNViewItem* bar : {scrollbox->TopBarItem, scrollbox->SecondBarItem}) {
        if (bar == nullptr || bar->LayoutCode != kDayNameBarCode || bar->Name.Text == nullptr)
            continue;
        TNString names;
        ProgramDayNames().GetDayNamesText(firstDay.Mesic, firstDay.Den, firstDay.Rok, &names);
        const std::string buttonName = std::string(bar->Name.Text) + "_DayName";
        if (TNViewItem* button = GetComponent(buttonName.c_str()))
            SetButtonTitle(button, TextOf(names).c_str(), "", 0, 0, true, true);
    }
}

void TNView::ShowRedline(TNViewItem* daybox, TNViewItem* scrollbox, int32_t group)
{
    // 13.4. The red line when today is shown.
    TNTime now;
    now.SetNow();
    const bool inside = now.Timestamp >= daybox->Times[0].DayStart && now.Timestamp <= daybox->Times[1].DayEnd;
    plat::TJvPanel* line = daybox->FramePanel2.Get();
    plat::TJvPanel* label = daybox->FramePanel1.Get();
    if (line != nullptr)
        line->SetVisible(inside);
    if (label != nullptr)
        label->SetVisible(inside);
    // 13.5. The time label's Tag says the box scrolled to the line once.
    if (UpdateRedline(daybox) && group != kHomeGroup && line != nullptr && label != nullptr && label->Tag() == 0) {
        ViewMain::ScrollWheelableTo(static_cast<int32_t>(line->Tag()), scrollbox->Name.Text);
        label->SetTag(1);
    }
}
