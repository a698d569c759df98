#include "view/daybox_metrics.h"

#include "foundation/pim_array.h"
#include "model/pim.h"

TNDayboxMetrics DayboxMetrics()
{
    TNDayboxMetrics metrics;
    if (const TNPIM* pim = PIM[0]) {
        metrics.TimeColumnWidth = pim->ViewMetrics[0];
        metrics.RowHeight = pim->ViewMetrics[1];
        metrics.RecordFontSize = pim->ViewMetrics[2];
        metrics.RecordMargin = pim->ViewMetrics[3];
        metrics.MonthHeaderHeight = pim->ViewMetrics[4];
        metrics.MonthRowHeight = pim->ViewMetrics[5];
        metrics.MonthRecordMargin = pim->ViewMetrics[6];
    }
    return metrics;
}
