// The month grid's arithmetic: the widths and heights of its cells and the
// place of a record inside a cell.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/panel.h"
#include "view/daybox_metrics.h"
#include "view/view.h"

#include <cstdlib>

namespace {

constexpr int32_t kMaxMonthColumns = 7;

// Splits `size` into `count` parts, the remainder one pixel each to the
// first parts.
void SplitEvenly(int32_t size, int32_t count, int32_t* parts)
{
    const int32_t base = size / count;
    const int32_t rest = size % count;
    for (int32_t i = 0; i < kMaxMonthColumns; ++i)
        parts[i] = i < count ? base + (i < rest ? 1 : 0) : 0;
}

int32_t* MonthArray(int32_t*& array)
{
    if (array == nullptr)
        array = static_cast<int32_t*>(std::calloc(kMaxMonthColumns, sizeof(int32_t)));
    return array;
}

} // namespace

bool TNView::CalcWidthsAnsHeightsOfMonthViewCalendar(TNViewItem* daybox, int32_t width, int32_t height, int32_t columns,
                                                     int32_t rows)
{
    return Guarded("[TNView::CalcWidthsAnsHeightsOfMonthViewCalendar]", false, [&] {
        if (daybox == nullptr)
            return false;
        // 0 would divide by zero; more than 7 would write past the arrays.
        if (columns < 1 || rows < 1 || columns > kMaxMonthColumns || rows > kMaxMonthColumns) {
            LogTextInt("[TNView::CalcWidthsAnsHeightsOfMonthViewCalendar][ERROR] cols >= 8 || rows >= 8; cols = ",
                       columns);
            LogTextInt("[TNView::CalcWidthsAnsHeightsOfMonthViewCalendar][ERROR] rows = ", rows);
            return false;
        }
        int32_t* widths = MonthArray(daybox->MonthColumnWidths);
        int32_t* heights = MonthArray(daybox->MonthRowHeights);
        if (widths == nullptr || heights == nullptr)
            return false;
        SplitEvenly(width, columns, widths);
        SplitEvenly(height, rows, heights);
        return true;
    });
}

void TNView::GetMonthViewRecordBounds(int32_t n, int32_t dayPos, TNViewItem* daybox, int32_t* left, int32_t* top,
                                      int32_t* width, int32_t* height)
{
    Guarded("[TNView::GetMonthViewRecordBounds]", [&] {
        if (daybox == nullptr || daybox->MonthColumnWidths == nullptr || daybox->MonthRowHeights == nullptr ||
            daybox->Panel.Get() == nullptr || dayPos < 0 || dayPos >= kMaxMonthColumns * kMaxMonthColumns)
            return;
        const TNDayboxMetrics metrics = DayboxMetrics();
        int32_t rowTop = 0;
        for (int32_t row = 0; row < dayPos / 7; ++row)
            rowTop += daybox->MonthRowHeights[row];
        int32_t cellLeft = 0;
        for (int32_t column = 0; column < dayPos % 7; ++column)
            cellLeft += daybox->MonthColumnWidths[column];
        *left = cellLeft;
        *top = metrics.MonthHeaderHeight + rowTop + (metrics.MonthRowHeight + 1) * n + 1;
        if (daybox->MonthRowHeights[0] - metrics.MonthHeaderHeight < *top - rowTop) {
            *width = 0;
            *height = 0;
            return;
        }
        *width = daybox->Panel.Get()->Width() / 7 - metrics.MonthRecordMargin;
        *height = metrics.MonthRowHeight;
    });
}
