#include "mainwindow/calendar_dates.h"

#include "foundation/civil_date.h"
#include "foundation/string.h"
#include "model/organizers.h"

#include <cstdio>
#include <cstdlib>

namespace {

TNTime AtMidnight(int64_t timestamp)
{
    TNTime day;
    day.SetTimestamp(timestamp);
    day.NastavCas(0, 0);
    return day;
}

TNTime EndOfDay(const TNTime& day)
{
    TNTime end;
    end.Copy(&day);
    end.NastavCas(24, 0);
    return end;
}

int64_t DayNumber(const TNTime& day)
{
    return civil::DaysFromCivil(day.Rok, day.Mesic, day.Den);
}

std::string Genitive(int32_t month)
{
    TNString text;
    TNTime::GetMonthGenitive(month, &text);
    return std::string(text.View());
}

std::string Format(const char* format, const std::string& text, int32_t number)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, text.c_str(), number);
    return buffer;
}

} // namespace

int32_t CalendarViewOfMode(int32_t mode)
{
    return mode >= View_ByDay && mode <= View_ByMonth ? mode : View_ByDay;
}

const char* CalendarViewByName(int32_t mode)
{
    static constexpr const char* kNames[] = {"View_ByDay",     "View_ByWorkWeek", "View_ByWeek",     "View_ByMonth",
                                             "View_ByQuartal", "View_ByYear",     "View_ByDayOfWeek"};
    return mode >= 1 && mode <= 7 ? kNames[mode - 1] : "";
}

TNTime CalendarDayStep(const TNTime& shown, TNCalendarStep step, int64_t now)
{
    TNTime from;
    from.Copy(&shown);
    from.NastavCas(0, 0);
    // Two hours past the day's bounds lands on the neighbouring day also
    // across a 23- or 25-hour day.
    switch (step) {
    case TNCalendarStep::Today:
        return AtMidnight(now);
    case TNCalendarStep::Previous:
        return AtMidnight(from.Timestamp - 7200);
    case TNCalendarStep::Next:
        break;
    }
    return AtMidnight(from.Timestamp + 93600);
}

TNDateRange CalendarWeekOf(const TNTime& day, bool workWeek)
{
    TNDateRange range;
    range.From.Copy(&day);
    range.From.NastavCas(0, 0);
    range.From.AddDays(1 - range.From.DayNo);
    range.To.Copy(&range.From);
    if (workWeek)
        range.To.SetWeekFriday();
    else
        range.To.SetWeekSunday();
    range.To.NastavCas(24, 0);
    return range;
}

TNDateRange CalendarWeekStep(const TNTime& from, bool workWeek, TNCalendarStep step, int64_t now)
{
    TNTime start;
    start.Copy(&from);
    start.NastavCas(0, 0);
    switch (step) {
    case TNCalendarStep::Today:
        start = AtMidnight(now);
        break;
    case TNCalendarStep::Previous:
        start.SetPreviousMonday();
        break;
    case TNCalendarStep::Next:
        start.SetNextMonday();
        break;
    }
    return CalendarWeekOf(start, workWeek);
}

TNMonthGrid MonthViewGrid(const TNTime& date)
{
    TNMonthGrid grid;
    grid.ShownMonth.Copy(&date);
    grid.Range.From.Copy(&date);
    grid.Range.From.SetMonthViewStart();
    grid.Range.From.NastavCas(0, 0);
    TNTime last;
    last.Copy(&date);
    last.SetMonthViewEnd();
    // The last Sunday keeps its 24:00, so its records stay inside the range.
    grid.Range.To = EndOfDay(last);
    const int64_t first = DayNumber(grid.Range.From);
    const int64_t days = DayNumber(last) - first + 1;
    for (int64_t i = 0; i < days && i < 49; ++i) {
        const civil::Date cell = civil::CivilFromDays(first + i);
        grid.Days[i / 7][i % 7] = cell.Day;
    }
    grid.Weeks = static_cast<int32_t>(days / 7);
    return grid;
}

TNTime CalendarMonthStep(const TNTime& shownMonth, TNCalendarStep step, int64_t now)
{
    TNTime month;
    month.Copy(&shownMonth);
    switch (step) {
    case TNCalendarStep::Today:
        month.SetTimestamp(now);
        break;
    case TNCalendarStep::Previous:
        month.PreviousMonth();
        break;
    case TNCalendarStep::Next:
        month.NextMonth();
        break;
    }
    return month;
}

TNRelativeDay RelativeDayCaption(const TNTime& today, const TNTime& shown)
{
    // Civil day numbers, not seconds: midnight to midnight over a change of
    // summer time is 23 or 25 hours.
    const int64_t n = DayNumber(shown) - DayNumber(today);
    const std::string abbrev(shown.NewDayAbbrev(-1)->View());
    const auto days = static_cast<int32_t>(n);
    if (n == 0)
        return {abbrev + "\n DNES ", 0x77CA90};
    if (n == 1)
        return {abbrev + "\n ZÍTRA ", 0xDDC681};
    if (n == 2)
        return {abbrev + "\n POZÍTŘÍ ", 0xDDC681};
    if (n == 3 || n == 4)
        return {Format("%s\n Za %d dny ", abbrev, days), 0xB3B3B3};
    if (n >= 5)
        return {Format("%s\n Za %d dní ", abbrev, days), 0xB3B3B3};
    if (n == -1)
        return {abbrev + "\n VČERA ", 0x000080};
    return {Format("%s\n Před %d dny ", abbrev, std::abs(days)), 0x000080};
}

std::string WeekRangeTitle(const TNTime& from, const TNTime& to)
{
    char buffer[128];
    if (from.Rok != to.Rok)
        std::snprintf(buffer, sizeof buffer, "%s %04d/%s %04d", Genitive(from.Mesic).c_str(), from.Rok,
                      Genitive(to.Mesic).c_str(), to.Rok);
    else if (from.Mesic != to.Mesic)
        std::snprintf(buffer, sizeof buffer, "%s/%s %04d", Genitive(from.Mesic).c_str(), Genitive(to.Mesic).c_str(),
                      to.Rok);
    else
        std::snprintf(buffer, sizeof buffer, "%s %04d", Genitive(from.Mesic).c_str(), from.Rok);
    return buffer;
}

std::string WeekDayTitle(const TNTime& day, const TNTime& today)
{
    const bool isToday = DayNumber(day) == DayNumber(today);
    const std::string prefix = isToday ? " DNES" : "";
    char buffer[64];
    if (day.Mesic == today.Mesic && day.Rok == today.Rok)
        std::snprintf(buffer, sizeof buffer, "%s %d.", prefix.c_str(), day.Den);
    else
        std::snprintf(buffer, sizeof buffer, "%s %d.%d.", prefix.c_str(), day.Den, day.Mesic);
    return buffer;
}

std::string MonthTitle(const TNTime& month)
{
    TNString name;
    TNTime::MonthNameToStr(month.Mesic, &name);
    return Format("%s %04d", std::string(name.View()), month.Rok);
}

TNCalendarLayout CalendarPageLayout(int32_t deskWidth, int32_t deskHeight, int32_t toolbarHeight, int32_t showFilter,
                                    int32_t filterWidth)
{
    TNCalendarLayout layout;
    TNBounds& content = layout.Content;
    content.Height = deskHeight - toolbarHeight - 7;
    content.Top = deskHeight - content.Height;
    content.Width = deskWidth;
    layout.FilterShown = showFilter >= 1;
    layout.FilterBoundsSet = showFilter <= 2;
    if (showFilter < 1)
        return layout;
    if (showFilter == 1) {
        layout.Filter = {0, content.Top, filterWidth, content.Height};
        content.Left = filterWidth;
        content.Width -= filterWidth;
    } else if (showFilter == 2) {
        layout.Filter = {content.Width - filterWidth, content.Top, filterWidth, content.Height};
        content.Width -= filterWidth;
    }
    return layout;
}

TNBounds FilterScrollboxBounds(const TNBounds& column, int32_t showFilter)
{
    const bool inset = showFilter == 1 || showFilter == 2;
    return {showFilter == 2 ? 7 : 0, 0, column.Width - (inset ? 7 : 0), column.Height};
}

bool AuthorSelectedInFilter(const TNPIMOrganizers& organizers, uint32_t authorID, uint8_t kind)
{
    for (int32_t i = 0; i < organizers.FilterListCount; ++i) {
        const auto at = static_cast<size_t>(i);
        if (organizers.FilterListKind[at] == kind && organizers.FilterListAuthorID[at] == authorID &&
            organizers.FilterListShown[at] != 0)
            return true;
    }
    return false;
}
