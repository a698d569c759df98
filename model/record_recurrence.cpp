// The repeat rule of a record: its text, its expansion into occurrences with
// their request strings, and the sentence that describes it.

#include "foundation/civil_date.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/numbers.h"
#include "model/record.h"

#include <cstdio>
#include <new>
#include <string_view>

namespace {

// Bounds that keep a rule's loop finite; each lets 1000 occurrences and one
// skipped start through.
constexpr int32_t kMaxOccurrences = 1000;
constexpr int32_t kMaxSteps = 1001;
constexpr int32_t kMaxWeeks = 1002;
constexpr int32_t kMaxMonthSteps = 7000;
// A date beyond it cannot be held.
constexpr int32_t kLastYear = 9999;

// Reads a number key into a field that the caller has reset; false when absent.
bool ReadJsonNumber(TNString* text, const char* key, int32_t& field)
{
    // Most records hold no rule: a key not in the text is not looked for,
    // and an empty text (the most common) is not even measured against it.
    if (text->IsEmpty() || text->View().find(key) == std::string_view::npos) {
        return false;
    }
    TNString value;
    if (!TNString::GetJsonValue(text, key, &value)) {
        return false;
    }
    field = static_cast<int32_t>(TextToNumber(value));
    return true;
}

// "H:MM:SS" with 1 to 3 hour digits: hourly steps can be longer than a day.
bool ParseHourlyStep(const TNString& value, uint16_t& hours, uint16_t& minutes, uint16_t& seconds)
{
    int32_t parts[3] = {0, 0, 0};
    int32_t digits[3] = {0, 0, 0};
    int32_t part = 0;
    for (int32_t i = 0; i < value.Length; ++i) {
        char ch = value.Text[i];
        if (ch == ':') {
            if (++part > 2) {
                return false;
            }
            continue;
        }
        if (ch < '0' || ch > '9') {
            return false;
        }
        parts[part] = parts[part] * 10 + (ch - '0');
        ++digits[part];
    }
    if (part < 1 || digits[0] < 1 || digits[0] > 3 || digits[1] < 1 || digits[1] > 2 || digits[2] > 2 ||
        (part == 2 && digits[2] < 1)) {
        return false;
    }
    hours = static_cast<uint16_t>(parts[0]);
    minutes = static_cast<uint16_t>(parts[1]);
    seconds = static_cast<uint16_t>(parts[2]);
    return true;
}

bool StepInRange(int32_t step)
{
    return step >= 1 && step <= 999;
}

bool DayCodeInRange(int32_t code)
{
    return (code >= 1 && code <= 28) || (code >= 96 && code <= 99);
}

bool OrdinalInRange(int32_t ordinal)
{
    return (ordinal >= 1 && ordinal <= 4) || ordinal == 99;
}

bool WeekdayInRange(int32_t weekday)
{
    return weekday >= 1 && weekday <= 7;
}

bool MonthInRange(int32_t month)
{
    return month >= 1 && month <= 12;
}

void LogRuleError(const char* name, int32_t value)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s = %d", name, value);
    LogWrite("[TNPIMRecord::CreateRecurrenceArray][ERROR] ", text, false);
}

// Day codes 1-28 stand for themselves; 96-99 count back from the last day.
int32_t CodedDay(int64_t year, int32_t month, int32_t code)
{
    return code <= 28 ? code : civil::DaysInMonth(year, month) - (99 - code);
}

// The n-th (1-4) or last (99) weekday of a month, on or after a day; 0 when
// none.
int32_t NthWeekdayOnOrAfter(int32_t year, int32_t month, int32_t fromDay, int32_t n, int32_t weekday)
{
    TNTime work;
    work.SetDate(fromDay, month, year);
    return work.GetNthWeekdayOfMonth(n, weekday);
}

TNRecurrenceEntry EntryOf(const TNTime& time)
{
    TNRecurrenceEntry entry;
    entry.Hour = static_cast<uint8_t>(time.Hodina);
    entry.Minute = static_cast<uint8_t>(time.Minuta);
    entry.Year = time.Rok;
    entry.Month = static_cast<uint8_t>(time.Mesic);
    entry.Day = static_cast<uint8_t>(time.Den);
    entry.Weekday = static_cast<uint8_t>(time.DayNo);
    return entry;
}

// Texts of a number in the three Czech forms: 1, 2 to 4, the rest.
const char* ByNumber(int32_t n, const char* one, const char* few, const char* many)
{
    if (n == 1) {
        return one;
    }
    if (n >= 2 && n <= 4) {
        return few;
    }
    return many;
}

void AppendCounted(TNString* out, int32_t n, const char* one, const char* few, const char* many, const char* oneAfter,
                   const char* fewAfter, const char* manyAfter)
{
    out->Append(ByNumber(n, one, few, many));
    out->AppendInt(n);
    out->Append(ByNumber(n, oneAfter, fewAfter, manyAfter));
}

const char* WeekdayAccusative(int32_t weekday)
{
    static const char* const names[] = {"pondělí", "úterý", "středu", "čtvrtek", "pátek", "sobotu", "neděli"};
    return WeekdayInRange(weekday) ? names[weekday - 1] : "";
}

// Ordinal of a weekday in its month; the form of 2 and 4 follows the weekday.
const char* Ordinal(int32_t ordinal, int32_t weekday)
{
    int32_t form = 0; // Thursday, Friday
    if (weekday == 1 || weekday == 2) {
        form = 1;
    } else if (weekday == 3 || weekday == 6 || weekday == 7) {
        form = 2;
    }
    switch (ordinal) {
    case 1:
        return "první";
    case 2: {
        static const char* const forms[] = {"druhá", "druhé", "druhou"};
        return forms[form];
    }
    case 3:
        return "třetí";
    case 4: {
        static const char* const forms[] = {"čtvrtý", "čtvrté", "čtvrtou"};
        return forms[form];
    }
    case 99:
        return "poslední";
    default:
        return "";
    }
}

} // namespace

uint8_t* TNPIMRecord::WeeklyDay(int32_t weekday)
{
    switch (weekday) {
    case 1:
        return &RepeatWeeklyDay1;
    case 2:
        return &RepeatWeeklyDay2;
    case 3:
        return &RepeatWeeklyDay3;
    case 4:
        return &RepeatWeeklyDay4;
    case 5:
        return &RepeatWeeklyDay5;
    case 6:
        return &RepeatWeeklyDay6;
    case 7:
        return &RepeatWeeklyDay7;
    default:
        return nullptr;
    }
}

const uint8_t* TNPIMRecord::WeeklyDay(int32_t weekday) const
{
    return const_cast<TNPIMRecord*>(this)->WeeklyDay(weekday);
}

void TNPIMRecord::ParseRecurrenceSettingsFromJSON()
{
    Guarded("[TNPIMRecord::ParseRecurrenceSettingsFromJSON]", [&] {
        TNString* text = &RecurrenceSettings;

        // Every number is reset, whether its key is there or not.
        Range = 0;
        Count = 0;
        RepeatDaily = 0;
        RepeatWeekly = 0;
        for (int32_t d = 1; d <= 7; ++d) {
            *WeeklyDay(d) = 0;
        }
        RepeatMonthly = 0;
        RepeatMonthlyDayOfMonth = 0;
        RepeatMonthlyDayOfWeekInMonth1 = 0;
        RepeatMonthlyDayOfWeekInMonth2 = 0;
        RepeatAnnually = 0;
        RepeatAnnuallyDayInMonth1 = 0;
        RepeatAnnuallyDayInMonth2 = 0;
        RepeatAnnuallyDayOfWeekInMonth1 = 0;
        RepeatAnnuallyDayOfWeekInMonth2 = 0;
        RepeatAnnuallyDayOfWeekInMonth3 = 0;
        // Most records hold no rule at all.
        if (text->IsEmpty()) {
            return;
        }

        TNString value;
        ReadJsonNumber(text, "Range", Range);
        ReadJsonNumber(text, "Count", Count);

        // The service's key first; this program writes "EndDate", which must
        // read back the same.
        if (text->View().find("EndDate") != std::string_view::npos &&
            (TNString::GetJsonValue(text, "EndDate_Date", &value) || TNString::GetJsonValue(text, "EndDate", &value))) {
            EndDate.SetDateFromString(&value);
        }

        if (text->View().find("RepeatHourly") != std::string_view::npos &&
            TNString::GetJsonValue(text, "RepeatHourly", &value)) {
            uint16_t hours = 0;
            uint16_t minutes = 0;
            uint16_t seconds = 0;
            if (ParseHourlyStep(value, hours, minutes, seconds)) {
                RepeatHourly.Hodina = hours;
                RepeatHourly.Minuta = minutes;
                RepeatHourly.Sekunda = seconds;
            }
        }

        ReadJsonNumber(text, "RepeatDaily", RepeatDaily);

        ReadJsonNumber(text, "RepeatWeekly", RepeatWeekly);
        static const char* const weeklyKeys[] = {"RepeatWeeklyDay1", "RepeatWeeklyDay2", "RepeatWeeklyDay3",
                                                 "RepeatWeeklyDay4", "RepeatWeeklyDay5", "RepeatWeeklyDay6",
                                                 "RepeatWeeklyDay7"};
        for (int32_t d = 1; d <= 7; ++d) {
            int32_t flag = 0;
            ReadJsonNumber(text, weeklyKeys[d - 1], flag);
            *WeeklyDay(d) = flag != 0 ? 1 : 0;
        }

        ReadJsonNumber(text, "RepeatMonthly", RepeatMonthly);
        ReadJsonNumber(text, "RepeatMonthlyDayOfMonth", RepeatMonthlyDayOfMonth);
        ReadJsonNumber(text, "RepeatMonthlyDayOfWeekInMonth1", RepeatMonthlyDayOfWeekInMonth1);
        ReadJsonNumber(text, "RepeatMonthlyDayOfWeekInMonth2", RepeatMonthlyDayOfWeekInMonth2);

        ReadJsonNumber(text, "RepeatAnnually", RepeatAnnually);
        ReadJsonNumber(text, "RepeatAnnuallyDayInMonth1", RepeatAnnuallyDayInMonth1);
        ReadJsonNumber(text, "RepeatAnnuallyDayInMonth2", RepeatAnnuallyDayInMonth2);
        ReadJsonNumber(text, "RepeatAnnuallyDayOfWeekInMonth1", RepeatAnnuallyDayOfWeekInMonth1);
        ReadJsonNumber(text, "RepeatAnnuallyDayOfWeekInMonth2", RepeatAnnuallyDayOfWeekInMonth2);
        ReadJsonNumber(text, "RepeatAnnuallyDayOfWeekInMonth3", RepeatAnnuallyDayOfWeekInMonth3);
    });
}

void TNPIMRecord::StringifyRecurrenceSettingsToJSON()
{
    Guarded("[TNPIMRecord::StringifyRecurrenceSettingsToJSON]", [&] {
        LogTextInt("[StringifyRecurrenceSettingsToJSON][BEGIN] RecurrenceFrequency = ", RecurrenceFrequency);
        char buffer[96];
        TNString text("{");
        std::snprintf(buffer, sizeof buffer, "\"Range\":%d", Range);
        text.Append(buffer);
        if (Range == 1) {
            std::snprintf(buffer, sizeof buffer, ",\"Count\":%d", Count);
            text.Append(buffer);
        } else if (Range == 2) {
            std::snprintf(buffer, sizeof buffer, ",\"EndDate\":\"%04d-%02d-%02d\"", EndDate.Rok, EndDate.Mesic,
                          EndDate.Den);
            text.Append(buffer);
        }
        switch (RecurrenceFrequency) {
        case rfHourly:
            std::snprintf(buffer, sizeof buffer, ",\"RepeatHourly\":\"%02d:%02d:%02d\"", RepeatHourly.Hodina,
                          RepeatHourly.Minuta, RepeatHourly.Sekunda);
            text.Append(buffer);
            break;
        case rfDaily:
            std::snprintf(buffer, sizeof buffer, ",\"RepeatDaily\":%d", RepeatDaily);
            text.Append(buffer);
            break;
        case rfWeekly:
            std::snprintf(buffer, sizeof buffer, ",\"RepeatWeekly\":%d", RepeatWeekly);
            text.Append(buffer);
            for (int32_t d = 1; d <= 7; ++d) {
                std::snprintf(buffer, sizeof buffer, ",\"RepeatWeeklyDay%d\":%d", d, *WeeklyDay(d) != 0 ? 1 : 0);
                text.Append(buffer);
            }
            break;
        case rfMonthly:
            std::snprintf(buffer, sizeof buffer,
                          ",\"RepeatMonthly\":%d,\"RepeatMonthlyDayOfMonth\":%d,"
                          "\"RepeatMonthlyDayOfWeekInMonth1\":%d",
                          RepeatMonthly, RepeatMonthlyDayOfMonth, RepeatMonthlyDayOfWeekInMonth1);
            text.Append(buffer);
            std::snprintf(buffer, sizeof buffer, ",\"RepeatMonthlyDayOfWeekInMonth2\":%d",
                          RepeatMonthlyDayOfWeekInMonth2);
            text.Append(buffer);
            break;
        case rfAnnually:
            std::snprintf(buffer, sizeof buffer,
                          ",\"RepeatAnnually\":%d,\"RepeatAnnuallyDayInMonth1\":%d,"
                          "\"RepeatAnnuallyDayInMonth2\":%d",
                          RepeatAnnually, RepeatAnnuallyDayInMonth1, RepeatAnnuallyDayInMonth2);
            text.Append(buffer);
            std::snprintf(buffer, sizeof buffer,
                          ",\"RepeatAnnuallyDayOfWeekInMonth1\":%d,"
                          "\"RepeatAnnuallyDayOfWeekInMonth2\":%d",
                          RepeatAnnuallyDayOfWeekInMonth1, RepeatAnnuallyDayOfWeekInMonth2);
            text.Append(buffer);
            std::snprintf(buffer, sizeof buffer, ",\"RepeatAnnuallyDayOfWeekInMonth3\":%d",
                          RepeatAnnuallyDayOfWeekInMonth3);
            text.Append(buffer);
            break;
        default:
            break;
        }
        text.Append("}");
        RecurrenceSettings = text;
        LogWrite("[StringifyRecurrenceSettingsToJSON] ", RecurrenceSettings.Text, false);
    });
}

bool TNPIMRecord::ResizeRecurrenceArray(int32_t n)
{
    return Guarded("[TNPIMRecord::ResizeRecurrenceArray]", false, [&] {
        try {
            RecurrenceArray.resize(n > 0 ? static_cast<size_t>(n) : 0);
        } catch (const std::bad_alloc&) {
            LogText("[TNPIMRecord::ResizeRecurrenceArray][ERROR]");
            return false;
        }
        return true;
    });
}

bool TNPIMRecord::SetRecurrenceArrayValues(int32_t pos, const TNTime& time)
{
    if (pos < 0 || static_cast<size_t>(pos) >= RecurrenceArray.size()) {
        return false;
    }
    RecurrenceArray[static_cast<size_t>(pos)] = EntryOf(time);
    return true;
}

bool TNPIMRecord::AddOneRecurrenceRequest(int32_t pos, int32_t& stringIndex, int32_t& countInString)
{
    return Guarded("[TNPIMRecord::AddOneRecurrenceRequest]", false, [&] {
        LogText("[TNPIMRecord::AddOneRecurrenceRequest][BEGIN]");
        if (pos < 0 || static_cast<size_t>(pos) >= RecurrenceArray.size() || stringIndex < 0 ||
            stringIndex >= kRequestStrings) {
            return false;
        }
        const TNRecurrenceEntry& entry = RecurrenceArray[static_cast<size_t>(pos)];
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", entry.Year, entry.Month, entry.Day);
        RecurrenceDates[stringIndex].Append(buffer, true);
        RecurrenceDates[stringIndex].AppendChar(';');
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:00", entry.Hour, entry.Minute);
        RecurrenceTimes[stringIndex].Append(buffer, true);
        RecurrenceTimes[stringIndex].AppendChar(';');
        if (++countInString >= kOccurrencesPerRequest) {
            countInString = 0;
            if (++stringIndex >= kRequestStrings) {
                LogTextInt("[TNPIMRecord::AddOneRecurrenceRequest][END] false; "
                           "requests_count = ",
                           stringIndex * kOccurrencesPerRequest);
                return false;
            }
            RecurrenceDates[stringIndex].Set("&d=");
            RecurrenceTimes[stringIndex].Set("&t=");
        }
        LogText("[TNPIMRecord::AddOneRecurrenceRequest][END] true");
        return true;
    });
}

// Values outside what the editor offers would repeat one moment a thousand
// times or reach no date at all; such a rule lists nothing.
bool TNPIMRecord::RuleIsInRange() const
{
    switch (RecurrenceFrequency) {
    case rfHourly:
        if (RepeatHourly.Hodina > 168) {
            LogRuleError("RepeatHourly hours", RepeatHourly.Hodina);
            return false;
        }
        if (RepeatHourly.Minuta > 59) {
            LogRuleError("RepeatHourly minutes", RepeatHourly.Minuta);
            return false;
        }
        if (RepeatHourly.Hodina == 0 && RepeatHourly.Minuta == 0) {
            LogRuleError("RepeatHourly minutes in all", 0);
            return false;
        }
        return true;
    case rfDaily:
        if (!StepInRange(RepeatDaily)) {
            LogRuleError("RepeatDaily", RepeatDaily);
            return false;
        }
        return true;
    case rfWeekly:
        if (!StepInRange(RepeatWeekly)) {
            LogRuleError("RepeatWeekly", RepeatWeekly);
            return false;
        }
        return true;
    case rfMonthly:
        if (!StepInRange(RepeatMonthly)) {
            LogRuleError("RepeatMonthly", RepeatMonthly);
            return false;
        }
        if (RepeatMonthlyDayOfMonth != 0) {
            if (!DayCodeInRange(RepeatMonthlyDayOfMonth)) {
                LogRuleError("RepeatMonthlyDayOfMonth", RepeatMonthlyDayOfMonth);
                return false;
            }
        } else if (RepeatMonthlyDayOfWeekInMonth1 != 0 || RepeatMonthlyDayOfWeekInMonth2 != 0) {
            if (!OrdinalInRange(RepeatMonthlyDayOfWeekInMonth1)) {
                LogRuleError("RepeatMonthlyDayOfWeekInMonth1", RepeatMonthlyDayOfWeekInMonth1);
                return false;
            }
            if (!WeekdayInRange(RepeatMonthlyDayOfWeekInMonth2)) {
                LogRuleError("RepeatMonthlyDayOfWeekInMonth2", RepeatMonthlyDayOfWeekInMonth2);
                return false;
            }
        }
        return true;
    case rfAnnually:
        if (!StepInRange(RepeatAnnually)) {
            LogRuleError("RepeatAnnually", RepeatAnnually);
            return false;
        }
        if (RepeatAnnuallyDayInMonth1 != 0) {
            if (!DayCodeInRange(RepeatAnnuallyDayInMonth1)) {
                LogRuleError("RepeatAnnuallyDayInMonth1", RepeatAnnuallyDayInMonth1);
                return false;
            }
            if (!MonthInRange(RepeatAnnuallyDayInMonth2)) {
                LogRuleError("RepeatAnnuallyDayInMonth2", RepeatAnnuallyDayInMonth2);
                return false;
            }
        } else if (RepeatAnnuallyDayOfWeekInMonth1 != 0 || RepeatAnnuallyDayOfWeekInMonth2 != 0) {
            if (!OrdinalInRange(RepeatAnnuallyDayOfWeekInMonth1)) {
                LogRuleError("RepeatAnnuallyDayOfWeekInMonth1", RepeatAnnuallyDayOfWeekInMonth1);
                return false;
            }
            if (!WeekdayInRange(RepeatAnnuallyDayOfWeekInMonth2)) {
                LogRuleError("RepeatAnnuallyDayOfWeekInMonth2", RepeatAnnuallyDayOfWeekInMonth2);
                return false;
            }
            if (!MonthInRange(RepeatAnnuallyDayOfWeekInMonth3)) {
                LogRuleError("RepeatAnnuallyDayOfWeekInMonth3", RepeatAnnuallyDayOfWeekInMonth3);
                return false;
            }
        }
        return true;
    default:
        return true;
    }
}

int32_t TNPIMRecord::CreateRecurrenceArray(bool makeRequests, int32_t maximum)
{
    return Guarded("[TNPIMRecord::CreateRecurrenceArray]", 0, [&]() -> int32_t {
        LogTextUInt("[TNPIMRecord::CreateRecurrenceArray][BEGIN] ID = ", ID);

        // 1. The start: Begin, at 07:00 when it has no time of day.
        TNTime start;
        start.Copy(&Begin);
        if (start.Hodina == TNTime::NoTime) {
            start.NastavCas(7, 0);
        } else {
            start.GetTimestamp();
        }
        RecurrenceArray.clear();
        ParseRecurrenceSettingsFromJSON();
        LogTextInt("[TNPIMRecord::CreateRecurrenceArray] RecurrenceFrequency = ", RecurrenceFrequency);

        int32_t counted = 0;
        auto finish = [&] {
            LogTextInt("[TNPIMRecord::CreateRecurrenceArray][END] real_recurrence_count = ", counted);
            return counted;
        };
        if (!RuleIsInRange()) {
            return finish();
        }

        // 2. The bounds.
        int32_t limit = kMaxOccurrences;
        int64_t endDay = 0;
        int64_t endInstant = 0;
        if (Range == 1) {
            limit = Count;
        } else if (Range == 2) {
            TNTime end;
            end.Copy(&EndDate);
            end.NastavCas(0, 0);
            endInstant = end.Timestamp;
            endDay = civil::DaysFromCivil(end.Rok, end.Mesic, end.Den);
        }
        if (maximum > 0 && maximum < limit) {
            limit = maximum;
        }

        // 3. The request strings.
        int32_t stringIndex = 0;
        int32_t countInString = 0;
        if (makeRequests) {
            for (int32_t i = 0; i < kRequestStrings; ++i) {
                RecurrenceDates[i].Set("");
                RecurrenceTimes[i].Set("");
            }
            RecurrenceDates[0].Set("&d=");
            RecurrenceTimes[0].Set("&t=");
        }

        // 4. Each candidate in turn; false ends the expansion. Dates step by
        // the calendar, so every candidate keeps the start's wall-clock time.
        const bool skipsBegin =
            RecurrenceFrequency == rfWeekly || RecurrenceFrequency == rfMonthly || RecurrenceFrequency == rfAnnually;
        bool done = false;
        auto offer = [&](const TNRecurrenceEntry& candidate, int32_t second, int64_t instant) {
            if (done) {
                return false;
            }
            if (Range == 2) {
                bool past = RecurrenceFrequency == rfHourly
                                ? instant >= endInstant
                                : civil::DaysFromCivil(candidate.Year, candidate.Month, candidate.Day) >= endDay;
                if (past) {
                    done = true;
                    return false;
                }
            }
            if (counted >= limit) {
                done = true;
                return false;
            }
            if (skipsBegin && counted == 0 && candidate.Year == Begin.Rok && candidate.Month == Begin.Mesic &&
                candidate.Day == Begin.Den && candidate.Hour == Begin.Hodina && candidate.Minute == Begin.Minuta &&
                second == Begin.Sekunda) {
                return true;
            }
            size_t pos = RecurrenceArray.size();
            if (!ResizeRecurrenceArray(static_cast<int32_t>(pos) + 1)) {
                done = true;
                return false;
            }
            RecurrenceArray[pos] = candidate;
            if (makeRequests && !AddOneRecurrenceRequest(static_cast<int32_t>(pos), stringIndex, countInString)) {
                done = true;
                return false;
            }
            ++counted;
            return true;
        };
        auto onDay = [&](int64_t dayNumber, TNRecurrenceEntry& out) {
            civil::Date date = civil::CivilFromDays(dayNumber);
            if (date.Year > kLastYear) {
                return false;
            }
            out.Year = static_cast<uint16_t>(date.Year);
            out.Month = static_cast<uint8_t>(date.Month);
            out.Day = static_cast<uint8_t>(date.Day);
            out.Hour = static_cast<uint8_t>(start.Hodina);
            out.Minute = static_cast<uint8_t>(start.Minuta);
            out.Weekday = static_cast<uint8_t>(civil::WeekdayFromDays(dayNumber));
            return true;
        };
        auto offerDay = [&](int64_t dayNumber, int32_t second) {
            TNRecurrenceEntry candidate;
            return onDay(dayNumber, candidate) && offer(candidate, second, 0);
        };
        const int64_t startDay = civil::DaysFromCivil(start.Rok, start.Mesic, start.Den);

        switch (RecurrenceFrequency) {
        case rfHourly: {
            const int64_t step = (static_cast<int64_t>(RepeatHourly.Hodina) * 60 + RepeatHourly.Minuta) * 60;
            const int64_t first = start.Timestamp;
            for (int32_t k = 1; k <= kMaxOccurrences; ++k) {
                TNTime work;
                work.SetTimestamp(first + k * step);
                if (work.Rok > kLastYear) {
                    break;
                }
                if (!offer(EntryOf(work), 0, work.Timestamp)) {
                    break;
                }
            }
            break;
        }
        case rfDaily:
            for (int32_t k = 1; k <= kMaxOccurrences; ++k) {
                if (!offerDay(startDay + static_cast<int64_t>(k) * RepeatDaily, 0)) {
                    break;
                }
            }
            break;
        case rfWeekly: {
            bool anyDay = false;
            for (int32_t d = 1; d <= 7; ++d) {
                anyDay = anyDay || *WeeklyDay(d) != 0;
            }
            if (!anyDay) {
                break;
            }
            int64_t day = startDay;
            for (int32_t week = 0; week < kMaxWeeks;) {
                int32_t weekday = civil::WeekdayFromDays(day);
                if (*WeeklyDay(weekday) != 0 && !offerDay(day, 0)) {
                    break;
                }
                if (weekday == 7) {
                    day += static_cast<int64_t>(RepeatWeekly - 1) * 7;
                    ++week;
                }
                ++day;
            }
            break;
        }
        case rfMonthly:
            if (RepeatMonthlyDayOfMonth > 0) {
                if (!offerDay(startDay, start.Sekunda)) {
                    break;
                }
                const int64_t firstMonth = static_cast<int64_t>(start.Rok) * 12 + (start.Mesic - 1);
                for (int32_t k = 1; k < kMaxSteps; ++k) {
                    int64_t index = firstMonth + static_cast<int64_t>(k) * RepeatMonthly;
                    int64_t year = index / 12;
                    int32_t month = static_cast<int32_t>(index % 12) + 1;
                    if (year > kLastYear) {
                        break;
                    }
                    int32_t day = CodedDay(year, month, RepeatMonthlyDayOfMonth);
                    if (!offerDay(civil::DaysFromCivil(year, month, day), 0)) {
                        break;
                    }
                }
            } else if (RepeatMonthlyDayOfWeekInMonth1 > 0 && RepeatMonthlyDayOfWeekInMonth2 > 0) {
                int64_t index = static_cast<int64_t>(start.Rok) * 12 + (start.Mesic - 1);
                int32_t fromDay = start.Den;
                for (int32_t k = 0; k < kMaxMonthSteps; ++k) {
                    int32_t year = static_cast<int32_t>(index / 12);
                    int32_t month = static_cast<int32_t>(index % 12) + 1;
                    if (year > kLastYear) {
                        break;
                    }
                    int32_t day = NthWeekdayOnOrAfter(year, month, fromDay, RepeatMonthlyDayOfWeekInMonth1,
                                                      RepeatMonthlyDayOfWeekInMonth2);
                    if (day > 0 && !offerDay(civil::DaysFromCivil(year, month, day), 0)) {
                        break;
                    }
                    index += RepeatMonthly;
                    fromDay = 1;
                }
            }
            break;
        case rfAnnually:
            if (RepeatAnnuallyDayInMonth1 > 0) {
                if (!offerDay(startDay, start.Sekunda)) {
                    break;
                }
                for (int32_t k = 1; k < kMaxSteps; ++k) {
                    int64_t year = start.Rok + static_cast<int64_t>(k) * RepeatAnnually;
                    if (year > kLastYear) {
                        break;
                    }
                    int32_t month = RepeatAnnuallyDayInMonth2;
                    int32_t day = CodedDay(year, month, RepeatAnnuallyDayInMonth1);
                    if (!offerDay(civil::DaysFromCivil(year, month, day), 0)) {
                        break;
                    }
                }
            } else if (RepeatAnnuallyDayOfWeekInMonth1 > 0 && RepeatAnnuallyDayOfWeekInMonth2 > 0) {
                // The weekday is looked up in the rule's month of each year;
                // the first year counts only from Begin on.
                for (int32_t k = 0; k < kMaxSteps; ++k) {
                    int64_t year = start.Rok + static_cast<int64_t>(k) * RepeatAnnually;
                    if (year > kLastYear) {
                        break;
                    }
                    int32_t month = RepeatAnnuallyDayOfWeekInMonth3;
                    int32_t day = NthWeekdayOnOrAfter(static_cast<int32_t>(year), month, 1,
                                                      RepeatAnnuallyDayOfWeekInMonth1, RepeatAnnuallyDayOfWeekInMonth2);
                    if (day == 0) {
                        continue;
                    }
                    int64_t dayNumber = civil::DaysFromCivil(year, month, day);
                    if (dayNumber < startDay) {
                        continue;
                    }
                    if (!offerDay(dayNumber, 0)) {
                        break;
                    }
                }
            }
            break;
        default:
            break;
        }
        return finish();
    });
}

void TNPIMRecord::GetRecurrenceTitleString(TNString* out) const
{
    Guarded("[TNPIMRecord::GetRecurrenceTitleString]", [&] {
        if (out == nullptr) {
            return;
        }
        out->Set("");
        if (RecurrenceMasterID > 0) {
            out->Append("Toto je opakovaný výskyt záznamu s ID ");
            out->AppendUInt(RecurrenceMasterID);
            return;
        }
        switch (RecurrenceFrequency) {
        case rfHourly:
            AppendCounted(out, RepeatHourly.Hodina, "Každou ", "Každé ", "Každých ", " hodinu", " hodiny", " hodin");
            if (RepeatHourly.Minuta != 0) {
                out->Append(" a ");
                out->AppendInt(RepeatHourly.Minuta);
                out->Append(ByNumber(RepeatHourly.Minuta, " minutu", " minuty", " minut"));
            }
            break;
        case rfDaily:
            AppendCounted(out, RepeatDaily, "Každý ", "Každé ", "Každých ", " den", " dny", " dní");
            break;
        case rfWeekly: {
            if (RepeatWeekly == 1) {
                out->Append("Každý týden");
            } else {
                AppendCounted(out, RepeatWeekly, "", "Každé ", "Každých ", "", " týdny", " týdnů");
            }
            int32_t set[7];
            int32_t setCount = 0;
            for (int32_t d = 1; d <= 7; ++d) {
                if (*WeeklyDay(d) != 0) {
                    set[setCount++] = d;
                }
            }
            if (setCount == 7) {
                out->Append(", každý den v daném týdnu");
            } else if (setCount > 0) {
                out->Append(" v ");
                for (int32_t i = 0; i < setCount; ++i) {
                    if (i > 0) {
                        out->Append(i == setCount - 1 ? " a " : ", ");
                    }
                    out->Append(WeekdayAccusative(set[i]));
                }
            }
            break;
        }
        case rfMonthly:
            if (RepeatMonthly == 1) {
                out->Append("Každý měsíc");
            } else {
                AppendCounted(out, RepeatMonthly, "", "Každé ", "Každých ", "", " měsíce", " měsíců");
            }
            switch (RepeatMonthlyDayOfMonth) {
            case 96:
                out->Append(", vždy 3 dny před koncem daného měsíce");
                break;
            case 97:
                out->Append(", vždy 2 dny před koncem daného měsíce");
                break;
            case 98:
                out->Append(", vždy předposlední den v daném měsíci");
                break;
            case 99:
                out->Append(", vždy poslední den v daném měsíci");
                break;
            default:
                if (RepeatMonthlyDayOfMonth > 0) {
                    out->Append(", vždy ");
                    out->AppendInt(RepeatMonthlyDayOfMonth);
                    out->Append(". den v daném měsíci");
                } else if (RepeatMonthlyDayOfWeekInMonth1 > 0 && RepeatMonthlyDayOfWeekInMonth2 > 0) {
                    out->Append(", vždy ");
                    out->Append(Ordinal(RepeatMonthlyDayOfWeekInMonth1, RepeatMonthlyDayOfWeekInMonth2));
                    out->Append(" ");
                    out->Append(WeekdayAccusative(RepeatMonthlyDayOfWeekInMonth2));
                    out->Append(" v daném měsíci");
                }
                break;
            }
            break;
        case rfAnnually:
            if (RepeatAnnually == 1) {
                out->Append("Každý rok");
            } else {
                AppendCounted(out, RepeatAnnually, "", "Každé ", "Každých ", "", " roky", " let");
            }
            switch (RepeatAnnuallyDayInMonth1) {
            case 96:
            case 97:
                out->Append(RepeatAnnuallyDayInMonth1 == 96 ? ", vždy .3 den " : ", vždy .2 den ");
                out->AppendMonthLocative(RepeatAnnuallyDayInMonth2, false);
                out->Append(" daného roku");
                break;
            case 98:
            case 99:
                out->Append(RepeatAnnuallyDayInMonth1 == 98 ? ", vždy předposlední den " : ", vždy poslední den ");
                out->AppendMonthLocative(RepeatAnnuallyDayInMonth2, false);
                out->Append(" daného roku");
                break;
            default:
                if (RepeatAnnuallyDayInMonth1 > 0) {
                    out->Append(", vždy ");
                    out->AppendInt(RepeatAnnuallyDayInMonth1);
                    out->Append(". den ");
                    out->AppendMonthLocative(RepeatAnnuallyDayInMonth2, false);
                    out->Append(" daného roku");
                } else if (RepeatAnnuallyDayOfWeekInMonth1 > 0 && RepeatAnnuallyDayOfWeekInMonth2 > 0) {
                    out->Append(", vždy ");
                    out->Append(Ordinal(RepeatAnnuallyDayOfWeekInMonth1, RepeatAnnuallyDayOfWeekInMonth2));
                    out->Append(" ");
                    out->Append(WeekdayAccusative(RepeatAnnuallyDayOfWeekInMonth2));
                    out->Append(" ");
                    out->AppendMonthLocative(RepeatAnnuallyDayOfWeekInMonth3, false);
                    out->Append(" daného roku");
                }
                break;
            }
            break;
        default:
            out->Append("Neopakuje se");
            break;
        }
        out->Append(" [Změnit]");
    });
}

void TNPIMRecord::SetYearlyCopyDate(TNTime& copy, const TNTime& master, int32_t year)
{
    int32_t day = master.Den;
    if (master.Mesic == 2 && day == 29 && !civil::IsLeapYear(year)) {
        day = 28;
    }
    copy.SetDate(day, master.Mesic, year);
}
