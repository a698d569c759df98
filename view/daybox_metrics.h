#pragma once

#include <cstdint>

// The day-box sizes every day box shares, kept in the first data set; the
// start values when no data set exists.
struct TNDayboxMetrics {
    int32_t TimeColumnWidth = 55;
    int32_t RowHeight = 20;
    int32_t RecordFontSize = 10;
    int32_t RecordMargin = 7;
    // Month cells: the date header, one record row (rows 1 px apart) and
    // the free margin at the right.
    int32_t MonthHeaderHeight = 16;
    int32_t MonthRowHeight = 15;
    int32_t MonthRecordMargin = 7;
};

TNDayboxMetrics DayboxMetrics();
