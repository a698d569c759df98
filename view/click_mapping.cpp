// The date and time under the last click of a day box, for the record
// editor's new record.

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "platform/gui/panel.h"
#include "view/daybox_metrics.h"
#include "view/view_item.h"

namespace {

// Rounded down to a quarter hour; false (outputs untouched) without a row
// height.
bool QuarterRowTime(int32_t clickY, int32_t rowHeight, int32_t* hour, int32_t* minute, const char* caller)
{
    if (rowHeight <= 0) {
        LogWrite(caller, "[ERROR] QuarterRowHeight <= 0", false);
        return false;
    }
    const int32_t hourHeight = 4 * rowHeight;
    *hour = clickY / hourHeight;
    *minute = ((clickY - *hour * hourHeight) / rowHeight) * 15;
    return true;
}

void SetDate(const TNTime& date, int32_t* day, int32_t* month, int32_t* year)
{
    *day = date.Den;
    *month = date.Mesic;
    *year = date.Rok;
}

} // namespace

int32_t TNViewItem::GetTimeFromClickPos(int32_t* hour, int32_t* minute)
{
    return Guarded("[TNViewItem::GetTimeFromClickPos]", 0, [&] {
        switch (DayboxModeGroup(-1)) {
        case 0: {
            int32_t found = 0;
            if (MinuteTops != nullptr) {
                const float y = static_cast<float>(ClickY);
                for (int32_t m = 0; m <= 1440; ++m) {
                    if (MinuteTops[m] == y) {
                        found = m;
                        break;
                    }
                    if (m > 0 && MinuteTops[m] > y) {
                        found = m - 1;
                        break;
                    }
                }
            }
            *hour = found / 60;
            *minute = found % 60;
            return found;
        }
        case 1:
        case 4:
            QuarterRowTime(ClickY, QuarterRowHeight, hour, minute, "[TNViewItem::GetTimeFromClickPos]");
            return 0;
        default:
            LogText("[TNViewItem::GetTimeFromClickPos][ERROR][DEFAULT]");
            return 0;
        }
    });
}

namespace {

// The week views' mappings: the date of the day column under ClickX,
// c.Today's date when none is.
void WeekViewDate(TNViewItem& item, const char* warning, int32_t* day, int32_t* month, int32_t* year)
{
    const int32_t left = DayboxMetrics().TimeColumnWidth;
    const plat::TPanel* panel = item.Panel.Get();
    const int32_t span = (panel != nullptr ? panel->Width() : 0) - left + 1;
    int32_t dayWidth = span;
    if (item.shownDaysCount > 0)
        dayWidth = span / item.shownDaysCount;
    else
        ShowMessageBox(warning, "Chyba", mbOk | mbIconExclamation);

    SetDate(c.CopyOfToday(), day, month, year);
    TNTime working;
    working.Copy(&item.Times[0]);
    for (int32_t i = 0; i < item.shownDaysCount; ++i) {
        const int32_t from = left + i * dayWidth;
        if (item.ClickX >= from && item.ClickX < from + dayWidth) {
            SetDate(working, day, month, year);
            return;
        }
        working.NextDay();
    }
}

} // namespace

bool TNViewItem::GetTimeFromClickPos_WeekView(int32_t* hour, int32_t* minute, int32_t* day, int32_t* month,
                                              int32_t* year)
{
    return Guarded("[TNViewItem::GetTimeFromClickPos_WeekView]", false, [&] {
        WeekViewDate(*this, "shownDaysCount <= 0 ve funkci GetTimeFromClickPos_WeekView!", day, month, year);
        QuarterRowTime(ClickY, QuarterRowHeight, hour, minute, "[TNViewItem::GetTimeFromClickPos_WeekView]");
        return true;
    });
}

bool TNViewItem::GetDateFromClickPos_WeekView(int32_t* day, int32_t* month, int32_t* year)
{
    return Guarded("[TNViewItem::GetDateFromClickPos_WeekView]", false, [&] {
        WeekViewDate(*this, "shownDaysCount <= ve 0 funkci GetDateFromClickPos_WeekView!", day, month, year);
        return true;
    });
}

bool TNViewItem::GetTimeFromClickPos_MonthView(int32_t* hour, int32_t* minute, int32_t* day, int32_t* month,
                                               int32_t* year)
{
    return Guarded("[TNViewItem::GetTimeFromClickPos_MonthView]", false, [&] {
        *month = Times[0].Mesic;
        *year = Times[0].Rok;
        // A grid not filled yet has no rows to walk.
        if (MonthDayTable == nullptr || MonthColumnWidths == nullptr || MonthRowHeights == nullptr)
            return false;
        int32_t y = 0;
        for (int32_t row = 0; row < MonthRows; ++row) {
            int32_t x = 0;
            for (int32_t column = 0; column < 7; ++column) {
                const int32_t value = MonthDayTable[row * 7 + column];
                if (value == 1 && (row > 0 || column > 0)) {
                    *day = 1;
                    if (++*month > 12) {
                        *month = 1;
                        ++*year;
                    }
                } else if (value == 0) {
                    *day = -1;
                } else {
                    *day = value;
                }
                if (ClickY >= y && ClickY < y + MonthRowHeights[row] && ClickX >= x &&
                    ClickX < x + MonthColumnWidths[column]) {
                    *hour = 8;
                    *minute = 0;
                    return true;
                }
                x += MonthColumnWidths[column];
            }
            y += MonthRowHeights[row];
        }
        return false;
    });
}
