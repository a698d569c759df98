#pragma once

// The calendar page's date logic, free of controls: the date steps of the
// toolbar's three buttons, the month grid, the relative-day caption, the
// view titles, the view a mode is shown as, the page layout and the author
// filter test.

#include "foundation/time.h"
#include "platform/gui/types.h"

#include <cstdint>
#include <string>

class TNPIMOrganizers;

// Calendar view-by modes ("calendarViewBy").
enum TCalendarViewBy : int32_t {
    View_ByDay = 1,
    View_ByWorkWeek = 2,
    View_ByWeek = 3,
    View_ByMonth = 4,
    View_ByQuartal = 5,
    View_ByYear = 6,
    View_ByDayOfWeek = 7,
};

// The view a mode is shown as: 1 to 4, any other mode the one-day view.
int32_t CalendarViewOfMode(int32_t mode);
// The toolbar button's item name of a mode ("View_ByDay" ...); "" outside 1 to 7.
const char* CalendarViewByName(int32_t mode);

enum class TNCalendarStep { Today, Previous, Next };

// A shown date range: From at 00:00, To at 24:00 of its last day.
struct TNDateRange {
    TNTime From;
    TNTime To;
};

// The one-day view's shown day after a step: today, or the day before or
// after `shown`, at 00:00. `now` is today's timestamp.
TNTime CalendarDayStep(const TNTime& shown, TNCalendarStep step, int64_t now);
// The work week (Monday to Friday) or week (to Sunday) after a step from the
// range starting at `from`.
TNDateRange CalendarWeekStep(const TNTime& from, bool workWeek, TNCalendarStep step, int64_t now);
// The week of `day`: Monday 00:00 to Friday or Sunday 24:00.
TNDateRange CalendarWeekOf(const TNTime& day, bool workWeek);

// The month view's grid of `date`'s month: 4 to 6 rows of Monday-to-Sunday
// weeks covering it, From the first cell at 00:00, To the last at 24:00.
struct TNMonthGrid {
    TNTime ShownMonth;
    TNDateRange Range;
    int32_t Days[7][7] = {};
    int32_t Weeks = 0;
};
TNMonthGrid MonthViewGrid(const TNTime& date);
// The month shown after a step from `shownMonth` (day 1 for Previous and
// Next, now for Today).
TNTime CalendarMonthStep(const TNTime& shownMonth, TNCalendarStep step, int64_t now);

// The caption under a day's number: the weekday's abbreviation and how far
// the day is from today, with its colour.
struct TNRelativeDay {
    std::string Caption;
    plat::TColor Color = 0;
};
TNRelativeDay RelativeDayCaption(const TNTime& today, const TNTime& shown);

// "března 2025", "února/března 2025" or "prosince 2025/ledna 2026".
std::string WeekRangeTitle(const TNTime& from, const TNTime& to);
// A day's column title in the week views: " DNES 12." for today, "%d." in
// today's month, "%d.%d." in another.
std::string WeekDayTitle(const TNTime& day, const TNTime& today);
// "Březen 2025".
std::string MonthTitle(const TNTime& month);

// The page's bounds from the desk's size and the filter settings.
struct TNBounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TNBounds&) const = default;
};
struct TNCalendarLayout {
    TNBounds Content;
    TNBounds Filter;
    // The column's visibility; unchanged for a mode above 2.
    bool FilterShown = false;
    bool FilterBoundsSet = false;
};
TNCalendarLayout CalendarPageLayout(int32_t deskWidth, int32_t deskHeight, int32_t toolbarHeight, int32_t showFilter,
                                    int32_t filterWidth);
// The column's scroll box inside the column: 7 px off the views' side.
TNBounds FilterScrollboxBounds(const TNBounds& column, int32_t showFilter);

// Whether some author entry of that id is selected.
bool AuthorSelectedInFilter(const TNPIMOrganizers& organizers, uint32_t authorID, uint8_t kind);
