#pragma once

// An independent expansion of repeat rules, written from the rules' plain
// meaning: civil-date arithmetic on day numbers, and for hourly rules the C
// library's local time. It shares no code with the model or the foundation,
// so a fault in their date arithmetic cannot hide in both.

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace reference {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct Occurrence {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int weekday = 0; // 1 Monday .. 7 Sunday

    bool operator==(const Occurrence&) const = default;
};

inline std::string ToText(const Occurrence& o)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d (%d)", o.year, o.month, o.day, o.hour, o.minute,
                  o.weekday);
    return buffer;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
inline int64_t DayNumber(int year, int month, int day)
{
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (month + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline Date FromDayNumber(int64_t n)
{
    n += 719468;
    int64_t era = (n >= 0 ? n : n - 146096) / 146097;
    int64_t doe = n - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(y + (m <= 2 ? 1 : 0)), m, d};
}

// 1 Monday .. 7 Sunday; day 0 was a Thursday.
inline int Weekday(int64_t n)
{
    int64_t w = ((n % 7) + 7 + 3) % 7; // 0 Monday
    return static_cast<int>(w) + 1;
}

inline int DaysInMonth(int year, int month)
{
    return static_cast<int>(DayNumber(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1) -
                            DayNumber(year, month, 1));
}

// Day codes 1-28 as they are; 96-99 count back from the month's last day.
inline int CodedDay(int year, int month, int code)
{
    return code >= 96 ? DaysInMonth(year, month) - (99 - code) : code;
}

// The n-th (1-4) or last (99) given weekday of a month, as a day of month.
inline int NthWeekday(int year, int month, int n, int weekday)
{
    int found = 0;
    for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        if (Weekday(DayNumber(year, month, day)) != weekday) {
            continue;
        }
        if (n == 99 || (day - 1) / 7 + 1 == n) {
            found = day;
            if (n != 99) {
                break;
            }
        }
    }
    return found;
}

struct Rule {
    int frequency = 0; // 1 hourly, 2 daily, 3 weekly, 4 monthly, 5 annually
    int range = 0;     // 1 count, 2 end date
    int count = 0;
    Date endDate;
    int step = 1;
    int hourlyHours = 0;
    int hourlyMinutes = 0;
    bool weekdays[8] = {}; // 1 Monday .. 7 Sunday
    int dayCode = 0;       // monthly or annual day-of-month form
    int month = 0;         // annual: the month of either form
    int ordinal = 0;       // n-th weekday form
    int weekday = 0;
    int previewMaximum = 0;
};

struct Begin {
    Date date;
    int hour = 99; // 99: date only
    int minute = 0;
    int second = 0;
};

inline time_t LocalInstant(int year, int month, int day, int hour, int minute)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

inline Occurrence At(const Date& date, int hour, int minute)
{
    return {date.year, date.month, date.day, hour, minute, Weekday(DayNumber(date.year, date.month, date.day))};
}

// The occurrences a rule lists, in order. Only the list's own bounds stop it
// (count, end date, 1000, preview maximum, year 9999); the loops' limits lie
// beyond what those allow.
inline std::vector<Occurrence> Expand(const Begin& begin, const Rule& rule)
{
    setenv("TZ", "Europe/Prague", 1);
    tzset();

    const bool dateOnly = begin.hour == 99;
    const int hour = dateOnly ? 7 : begin.hour;
    const int minute = dateOnly ? 0 : begin.minute;
    const int64_t start = DayNumber(begin.date.year, begin.date.month, begin.date.day);

    int limit = 1000;
    if (rule.range == 1) {
        limit = rule.count;
    }
    if (rule.previewMaximum > 0 && rule.previewMaximum < limit) {
        limit = rule.previewMaximum;
    }
    const int64_t endDay = DayNumber(rule.endDate.year, rule.endDate.month, rule.endDate.day);
    const time_t endInstant = LocalInstant(rule.endDate.year, rule.endDate.month, rule.endDate.day, 0, 0);

    std::vector<Occurrence> result;
    bool stopped = false;
    // Returns false once the list is complete.
    auto offer = [&](const Occurrence& candidate, bool isInstant, time_t instant) {
        if (stopped) {
            return false;
        }
        if (rule.range == 2) {
            bool atOrAfterEnd =
                isInstant ? instant >= endInstant : DayNumber(candidate.year, candidate.month, candidate.day) >= endDay;
            if (atOrAfterEnd) {
                stopped = true;
                return false;
            }
        }
        if (static_cast<int>(result.size()) >= limit) {
            stopped = true;
            return false;
        }
        // A candidate keeps the start's time of day to the second, so one at
        // Begin's date, hour and minute is Begin itself, seconds or not.
        bool equalsBegin = !dateOnly && candidate.year == begin.date.year && candidate.month == begin.date.month &&
                           candidate.day == begin.date.day && candidate.hour == begin.hour &&
                           candidate.minute == begin.minute;
        if (rule.frequency >= 3 && equalsBegin && result.empty()) {
            return true;
        }
        result.push_back(candidate);
        return true;
    };
    auto onDay = [&](int64_t n) { return At(FromDayNumber(n), hour, minute); };
    auto inYears = [](const Occurrence& o) { return o.year <= 9999; };

    switch (rule.frequency) {
    case 1: {
        const time_t first = LocalInstant(begin.date.year, begin.date.month, begin.date.day, hour, minute);
        const int64_t stepSeconds = (60LL * rule.hourlyHours + rule.hourlyMinutes) * 60;
        for (int k = 1; k <= 2000; ++k) {
            time_t instant = static_cast<time_t>(first + k * stepSeconds);
            std::tm wall{};
            localtime_r(&instant, &wall);
            Occurrence o = At({wall.tm_year + 1900, wall.tm_mon + 1, wall.tm_mday}, wall.tm_hour, wall.tm_min);
            if (!inYears(o) || !offer(o, true, instant)) {
                break;
            }
        }
        break;
    }
    case 2:
        for (int k = 1; k <= 2000; ++k) {
            Occurrence o = onDay(start + static_cast<int64_t>(k) * rule.step);
            if (!inYears(o) || !offer(o, false, 0)) {
                break;
            }
        }
        break;
    case 3: {
        const int64_t monday = start - (Weekday(start) - 1);
        for (int64_t week = 0; !stopped && week < 2000; ++week) {
            for (int d = 0; d < 7; ++d) {
                int64_t n = monday + week * 7 * rule.step + d;
                if (n < start || !rule.weekdays[d + 1]) {
                    continue;
                }
                Occurrence o = onDay(n);
                if (!inYears(o) || !offer(o, false, 0)) {
                    stopped = true;
                    break;
                }
            }
        }
        break;
    }
    case 4:
    case 5: {
        const bool monthly = rule.frequency == 4;
        const int firstMonthIndex = begin.date.year * 12 + (begin.date.month - 1);
        if (rule.dayCode > 0 && !offer(onDay(start), false, 0)) {
            break;
        }
        for (int k = rule.dayCode > 0 ? 1 : 0; k <= 2000; ++k) {
            int year;
            int month;
            if (monthly) {
                int index = firstMonthIndex + k * rule.step;
                year = index / 12;
                month = index % 12 + 1;
            } else {
                year = begin.date.year + k * rule.step;
                month = rule.month;
            }
            if (year > 9999) {
                break;
            }
            int day = rule.dayCode > 0 ? CodedDay(year, month, rule.dayCode)
                                       : NthWeekday(year, month, rule.ordinal, rule.weekday);
            if (day == 0 || DayNumber(year, month, day) < start) {
                continue;
            }
            if (!offer(At({year, month, day}, hour, minute), false, 0)) {
                break;
            }
        }
        break;
    }
    default:
        break;
    }
    return result;
}

} // namespace reference
