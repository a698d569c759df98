#pragma once

#include "platform/core/date.h"

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

class TNString;
namespace civil {
struct WallDay;
} // namespace civil
namespace plat {
class ByteReader;
class ByteWriter;
} // namespace plat

// Fills the nine broken-down fields of the local time of a Unix timestamp
// (0 means now) by the program's own conversion. False for a null out.
bool createTimeInfo(std::tm* out, int64_t timestamp);

// A local calendar date and time of day with its weekday, its Unix timestamp
// and the bounds of its day. Converts by the Czech summer-time rule of the
// date itself, whatever today is. A value is not locked: one thread owns it.
class TNTime {
public:
    uint16_t Den = 0;
    uint16_t Mesic = 0;
    uint16_t Rok = 0;
    // Hodina 99 with Minuta and Sekunda 0 means no time (a date-only value);
    // Hodina 24 is the end of the date.
    uint16_t Hodina = 0;
    uint16_t Minuta = 0;
    uint16_t Sekunda = 0;
    uint16_t Spare = 0;
    // Mesic × 100 + Den.
    uint16_t Days = 0;
    // Hodina × 100 + Minuta.
    uint16_t HourMinute = 0;
    // 1 when the value lies in summer time.
    uint8_t IsDST = 0;
    // "Mon" ... "Sun".
    char DayAbbrev[5] = {};
    // 1 Monday ... 7 Sunday.
    int32_t DayNo = 0;
    // Seconds since 1970-01-01 00:00 UTC; negative before 1970.
    int64_t Timestamp = 0;
    // Timestamps of the date's own 00:00 and of the next date's 00:00.
    int64_t DayStart = 0;
    int64_t DayEnd = 0;
    // The date as last given to SetDate, SetDateTime or Load, validated.
    int32_t SetYear = 0;
    int32_t SetMonth = 0;
    int32_t SetDay = 0;

    static constexpr uint16_t NoTime = 99;

    // 1.1.1980 12:00:00.
    TNTime();
    void Destroy() {}

    // --- Validation ---
    void ValidateDate();
    void ValidateTime();

    // --- Conversions ---
    // Whether a date and wall-clock time lie in summer time; correction is
    // the date's length change in minutes (-60 when summer time starts, +60
    // when it ends, else 0).
    static bool isInDSTZone(uint16_t year, uint16_t monthDay, int32_t& correction, bool log, uint16_t hourMinute);
    // Timestamp of the fields; also recomputes every derived field.
    int64_t GetTimestamp(bool log = false);
    // Fields from a timestamp; hours are always 0 to 23.
    int64_t SetTimestamp(int64_t timestamp, bool log = false);
    void SetNow(bool log = false);
    // Sets the time of day and keeps the date.
    void NastavCas(uint16_t hour, uint16_t minute, bool log = false, uint16_t spare = 0, uint16_t second = 0);

    // --- Setting and parsing ---
    void SetDate(int32_t day, int32_t month, int32_t year);
    void SetDateTime(int32_t day, int32_t month, int32_t second, int32_t minute, int32_t hour, int32_t year);
    // "YYYY-MM-DD"; any other length fails and changes nothing.
    bool SetDateFromString(std::string_view text);
    bool SetDateFromString(const TNString* text);
    // "HH:MM:SS"; any other length fails and changes nothing.
    bool SetTimeFromString(std::string_view text);
    bool SetTimeFromString(const TNString* text);
    bool Copy(const TNTime* other);
    // Today at 00:00; tomorrow at 00:00.
    void SetToday();
    void SetTomorrow();

    // --- Comparisons and tests ---
    // ±1 year, ±2 month, ±3 day, ±4 hour, ±5 minute, ±6 second; 0 when equal.
    int32_t Compare(const TNTime& other) const;
    int32_t CompareDate(const TNTime& other) const;
    bool IsToday() const;
    bool IsTomorrow() const;
    bool IsBeforeToday() const;
    // Earlier than 00:00 of the date seven days before today.
    bool IsOlderThanWeek() const;
    // Calendar days from a's date to b's date plus 1: the same date gives 1.
    static int32_t DaysBetween(const TNTime& a, const TNTime& b);
    int32_t DaysInMonth() const;
    // ISO 8601 week number.
    int32_t GetWeekOfYear() const;
    // The n-th (1 to 98; 99 the last) given weekday of the value's month, not
    // before the value's own day; 0 when there is none.
    int32_t GetNthWeekdayOfMonth(int32_t n, int32_t weekday) const;
    plat::Date ToDateTime() const;

    // --- Moves (calendar days; the time of day is kept unless said) ---
    void NextDay();
    void PreviousDay();
    // Calendar days forward (or back when negative).
    void AddDays(int64_t days);
    // Day 1 of the next / previous month.
    void NextMonth();
    void PreviousMonth();
    // Months forward (or back when negative), keeping the day where the
    // target month has it, else its last day.
    void AddMonths(int32_t months);
    // 00:00 of day 1.
    void SetFirstDayOfMonth();
    void SetLastDayOfMonth();
    // 00:00 of day 1 of the current month.
    void SetFirstDayOfCurrentMonth();
    // 00:00 of this week's Monday.
    void SetCurrentMonday();
    // The Monday before the value's date (a week back from a Monday).
    void SetPreviousMonday();
    void SetNextMonday();
    void SetWeekFriday();
    void SetWeekSunday();
    // First and last day of the month's grid: Monday on or before day 1,
    // Sunday on or after the last day.
    void SetMonthViewStart();
    void SetMonthViewEnd();

    // --- Texts (CP1250) ---
    void ToString(TNString* out) const;
    std::string ToAnsiString() const;
    void ToStringAt(TNString* out) const;
    void GetDateIso(TNString* out) const;
    void GetTimeText(TNString* out) const;
    std::string ToYmdAnsiString() const;
    // "%d" when plain, else "%02d".
    void GetDayText(TNString* out, bool plain) const;
    // Weekday 1 to 7; -1 means the value's own weekday.
    std::unique_ptr<TNString> NewDayName(int32_t weekday) const;
    std::unique_ptr<TNString> NewDayNameGenitive(int32_t weekday) const;
    std::unique_ptr<TNString> NewDayAbbrev(int32_t weekday) const;
    void GetDayName(TNString* out) const;
    std::string GetDayNameAnsi() const;
    static void GetMonthGenitive(int32_t month, TNString* out);
    static void MonthNameToStr(int32_t month, TNString* out);
    static void MonthNameToStrEx(int32_t month, TNString* out, const char* suffix);
    static void GetRangeText(const TNTime& start, const TNTime& end, bool withEnd, TNString* out);

    // Czech names; null outside 1 to 7 or 1 to 12.
    static const char* DayName(int32_t weekday);
    static const char* DayNameGenitive(int32_t weekday);
    static const char* MonthGenitive(int32_t month);

    // --- On-disk form ---
    // Day 1 byte, month 1, year 2, hour 1, minute 1, then second 1 byte and
    // Spare 2 bytes when asked for: 6, 7, 8 or 9 bytes, little-endian.
    void Save(bool withSecond, bool withSpare, plat::ByteWriter& out) const;
    // Reads the same form; a short read fails and leaves the value unchanged.
    bool Load(bool withSecond, bool withSpare, plat::ByteReader& in);

private:
    // The date's own fields and its day bounds, already converted.
    void SetDerivedFields(int64_t dayNumber, const civil::WallDay& day);
};
