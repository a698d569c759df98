// The repeat rule of a record: its text, its expansion into occurrences with
// their request strings, and the sentence that describes it.

#include "foundation/civil_date.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/numbers.h"
#include "model/record.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
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

// Weekday flags of a weekly rule: [1] Monday .. [7] Sunday.
using WeekdayFlags = std::array<bool, 8>;

WeekdayFlags WeekdaysOf(const TNPIMRecord& rule)
{
    const uint8_t flags[] = {rule.RepeatWeeklyDay1, rule.RepeatWeeklyDay2, rule.RepeatWeeklyDay3, rule.RepeatWeeklyDay4,
                             rule.RepeatWeeklyDay5, rule.RepeatWeeklyDay6, rule.RepeatWeeklyDay7};
    WeekdayFlags days{};
    for (size_t d = 1; d <= 7; ++d) {
        days[d] = flags[d - 1] != 0;
    }
    return days;
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

namespace {

// An occurrence in the request strings: "YYYY%2DMM%2DDD;" and
// "HH%3AMM%3A00;", the URL-encoded "%04d-%02d-%02d" and "%02d:%02d:00" each
// followed by ";". Digits encode as themselves, so the encoded form is
// written directly.
constexpr int32_t kEncodedDateLength = 15;
constexpr int32_t kEncodedTimeLength = 13;
// A year above 9999 writes more digits.
constexpr int32_t kEncodedRoom = 32;

char* PutTwoDigits(char* out, uint32_t value)
{
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

// Writes value in decimal with at least `width` (2 or 4) digits, as "%0*u"
// would.
char* PutDigits(char* out, uint32_t value, int32_t width)
{
    if (width == 2 && value < 100) {
        return PutTwoDigits(out, value);
    }
    if (width == 4 && value < 10000) {
        return PutTwoDigits(PutTwoDigits(out, value / 100), value % 100);
    }
    int32_t n = 1;
    for (uint32_t rest = value / 10; rest > 0; rest /= 10) {
        ++n;
    }
    n = std::max(n, width);
    for (int32_t i = n - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + n;
}

char* PutText(char* out, std::string_view text)
{
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

std::string_view EncodedDate(const TNRecurrenceEntry& entry, char (&buffer)[kEncodedRoom])
{
    char* out = PutDigits(buffer, entry.Year, 4);
    out = PutText(out, "%2D");
    out = PutDigits(out, entry.Month, 2);
    out = PutText(out, "%2D");
    out = PutDigits(out, entry.Day, 2);
    *out++ = ';';
    return {buffer, static_cast<size_t>(out - buffer)};
}

std::string_view EncodedTime(const TNRecurrenceEntry& entry, char (&buffer)[kEncodedRoom])
{
    char* out = PutDigits(buffer, entry.Hour, 2);
    out = PutText(out, "%3A");
    out = PutDigits(out, entry.Minute, 2);
    out = PutText(out, "%3A00;");
    return {buffer, static_cast<size_t>(out - buffer)};
}

// Starts the date and time strings of one request, each with room for all
// its occurrences.
void BeginRequest(TNRequestStrings& dates, TNRequestStrings& times, int32_t index)
{
    dates.Begin(index, "&d=", TNPIMRecord::kOccurrencesPerRequest * kEncodedDateLength);
    times.Begin(index, "&t=", TNPIMRecord::kOccurrencesPerRequest * kEncodedTimeLength);
}

} // namespace

bool TNPIMRecord::AddOneRecurrenceRequest(int32_t pos, int32_t& stringIndex, int32_t& countInString)
{
    return Guarded("[TNPIMRecord::AddOneRecurrenceRequest]", false, [&] {
        LogText("[TNPIMRecord::AddOneRecurrenceRequest][BEGIN]");
        if (pos < 0 || static_cast<size_t>(pos) >= RecurrenceArray.size() || stringIndex < 0 ||
            stringIndex >= kRequestStrings) {
            return false;
        }
        const TNRecurrenceEntry& entry = RecurrenceArray[static_cast<size_t>(pos)];
        char date[kEncodedRoom];
        char time[kEncodedRoom];
        if (!RecurrenceDates.Append(stringIndex, EncodedDate(entry, date)) ||
            !RecurrenceTimes.Append(stringIndex, EncodedTime(entry, time))) {
            return false;
        }
        if (++countInString >= kOccurrencesPerRequest) {
            countInString = 0;
            if (++stringIndex >= kRequestStrings) {
                LogTextInt("[TNPIMRecord::AddOneRecurrenceRequest][END] false; "
                           "requests_count = ",
                           stringIndex * kOccurrencesPerRequest);
                return false;
            }
            BeginRequest(RecurrenceDates, RecurrenceTimes, stringIndex);
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

namespace {

// The one gate every candidate of an expansion passes, in this order: the
// end date, the limit, the skip of Begin itself, the array's growth and the
// request strings. A generator stops at the first false.
class OccurrenceGate {
public:
    OccurrenceGate(TNPIMRecord& record, const TNTime& start, bool makeRequests, int32_t maximum)
        : record_(record), makeRequests_(makeRequests), startHour_(static_cast<uint8_t>(start.Hodina)),
          startMinute_(static_cast<uint8_t>(start.Minuta))
    {
        if (record.Range == 1) {
            limit_ = record.Count;
        } else if (record.Range == 2) {
            TNTime end;
            end.Copy(&record.EndDate);
            end.NastavCas(0, 0);
            hasEnd_ = true;
            endInstant_ = end.Timestamp;
            endDay_ = civil::DaysFromCivil(end.Rok, end.Mesic, end.Den);
        }
        if (maximum > 0 && maximum < limit_) {
            limit_ = maximum;
        }
        // Every candidate keeps the start's time of day to the second, so one
        // on Begin's date is Begin itself, unless Begin has no time of day
        // (the start is then 07:00, which Begin is not).
        if (record.Begin.Hodina != TNTime::NoTime) {
            beginDay_ = civil::DaysFromCivil(record.Begin.Rok, record.Begin.Mesic, record.Begin.Den);
            beginInstant_ = start.Timestamp;
        }
        if (makeRequests_) {
            record.RecurrenceDates.Clear();
            record.RecurrenceTimes.Clear();
            BeginRequest(record.RecurrenceDates, record.RecurrenceTimes, 0);
        }
    }

    // The candidate on a day, at the start's time of day.
    bool OfferDay(int64_t dayNumber)
    {
        civil::Date date = civil::CivilFromDays(dayNumber);
        if (date.Year > kLastYear) {
            return false;
        }
        TNRecurrenceEntry candidate;
        candidate.Year = static_cast<uint16_t>(date.Year);
        candidate.Month = static_cast<uint8_t>(date.Month);
        candidate.Day = static_cast<uint8_t>(date.Day);
        candidate.Hour = startHour_;
        candidate.Minute = startMinute_;
        candidate.Weekday = static_cast<uint8_t>(civil::WeekdayFromDays(dayNumber));
        return Offer(candidate, hasEnd_ && dayNumber >= endDay_, beginDay_ >= 0 && dayNumber == beginDay_);
    }

    // The candidate at a moment of an hourly rule.
    bool OfferMoment(const TNTime& moment)
    {
        if (moment.Rok > kLastYear) {
            return false;
        }
        return Offer(EntryOf(moment), hasEnd_ && moment.Timestamp >= endInstant_,
                     beginDay_ >= 0 && moment.Timestamp == beginInstant_);
    }

    int32_t Counted() const { return counted_; }

private:
    bool Offer(const TNRecurrenceEntry& candidate, bool pastEnd, bool isBegin)
    {
        if (done_) {
            return false;
        }
        if (pastEnd || counted_ >= limit_) {
            done_ = true;
            return false;
        }
        if (isBegin && counted_ == 0) {
            return true;
        }
        const auto pos = static_cast<int32_t>(record_.RecurrenceArray.size());
        if (!record_.ResizeRecurrenceArray(pos + 1)) {
            done_ = true;
            return false;
        }
        record_.RecurrenceArray.back() = candidate;
        if (makeRequests_ && !record_.AddOneRecurrenceRequest(pos, stringIndex_, countInString_)) {
            done_ = true;
            return false;
        }
        ++counted_;
        return true;
    }

    TNPIMRecord& record_;
    const bool makeRequests_;
    const uint8_t startHour_;
    const uint8_t startMinute_;
    int32_t limit_ = kMaxOccurrences;
    bool hasEnd_ = false;
    int64_t endDay_ = 0;
    int64_t endInstant_ = 0;
    int64_t beginDay_ = -1;
    int64_t beginInstant_ = 0;
    int32_t counted_ = 0;
    int32_t stringIndex_ = 0;
    int32_t countInString_ = 0;
    bool done_ = false;
};

int64_t DayOf(const TNTime& time)
{
    return civil::DaysFromCivil(time.Rok, time.Mesic, time.Den);
}

// Every step of (hours, minutes) from the start, the time of day moving on.
void ExpandHourly(OccurrenceGate& gate, const TNTime& start, int32_t hours, int32_t minutes)
{
    const int64_t step = (static_cast<int64_t>(hours) * 60 + minutes) * 60;
    for (int32_t k = 1; k <= kMaxOccurrences; ++k) {
        TNTime moment;
        moment.SetTimestamp(start.Timestamp + k * step);
        if (!gate.OfferMoment(moment)) {
            return;
        }
    }
}

void ExpandDaily(OccurrenceGate& gate, const TNTime& start, int32_t step)
{
    const int64_t startDay = DayOf(start);
    for (int32_t k = 1; k <= kMaxOccurrences; ++k) {
        if (!gate.OfferDay(startDay + static_cast<int64_t>(k) * step)) {
            return;
        }
    }
}

// The flagged days of the start's week from the start on, then those of
// every step-th week after it.
void ExpandWeekly(OccurrenceGate& gate, const TNTime& start, int32_t step, const WeekdayFlags& days)
{
    if (std::find(days.begin() + 1, days.end(), true) == days.end()) {
        return;
    }
    int64_t day = DayOf(start);
    for (int32_t week = 0; week < kMaxWeeks;) {
        int32_t weekday = civil::WeekdayFromDays(day);
        if (days[static_cast<size_t>(weekday)] && !gate.OfferDay(day)) {
            return;
        }
        if (weekday == 7) {
            day += static_cast<int64_t>(step - 1) * 7;
            ++week;
        }
        ++day;
    }
}

// The start's own date, then the coded day of every step-th month.
void ExpandMonthlyOnDay(OccurrenceGate& gate, const TNTime& start, int32_t step, int32_t dayCode)
{
    if (!gate.OfferDay(DayOf(start))) {
        return;
    }
    const int64_t firstMonth = static_cast<int64_t>(start.Rok) * 12 + (start.Mesic - 1);
    for (int32_t k = 1; k < kMaxSteps; ++k) {
        int64_t index = firstMonth + static_cast<int64_t>(k) * step;
        int64_t year = index / 12;
        int32_t month = static_cast<int32_t>(index % 12) + 1;
        if (year > kLastYear || !gate.OfferDay(civil::DaysFromCivil(year, month, CodedDay(year, month, dayCode)))) {
            return;
        }
    }
}

// The n-th weekday of every step-th month; in the start's month only from
// the start's day on.
void ExpandMonthlyOnWeekday(OccurrenceGate& gate, const TNTime& start, int32_t step, int32_t ordinal, int32_t weekday)
{
    int64_t index = static_cast<int64_t>(start.Rok) * 12 + (start.Mesic - 1);
    int32_t fromDay = start.Den;
    for (int32_t k = 0; k < kMaxMonthSteps; ++k) {
        auto year = static_cast<int32_t>(index / 12);
        int32_t month = static_cast<int32_t>(index % 12) + 1;
        if (year > kLastYear) {
            return;
        }
        int32_t day = NthWeekdayOnOrAfter(year, month, fromDay, ordinal, weekday);
        if (day > 0 && !gate.OfferDay(civil::DaysFromCivil(year, month, day))) {
            return;
        }
        index += step;
        fromDay = 1;
    }
}

// The start's own date, then the coded day of the month in every step-th
// year.
void ExpandAnnuallyOnDay(OccurrenceGate& gate, const TNTime& start, int32_t step, int32_t dayCode, int32_t month)
{
    if (!gate.OfferDay(DayOf(start))) {
        return;
    }
    for (int32_t k = 1; k < kMaxSteps; ++k) {
        int64_t year = start.Rok + static_cast<int64_t>(k) * step;
        if (year > kLastYear || !gate.OfferDay(civil::DaysFromCivil(year, month, CodedDay(year, month, dayCode)))) {
            return;
        }
    }
}

// The n-th weekday of the month in every step-th year, from the start's date
// on.
void ExpandAnnuallyOnWeekday(OccurrenceGate& gate, const TNTime& start, int32_t step, int32_t ordinal, int32_t weekday,
                             int32_t month)
{
    const int64_t startDay = DayOf(start);
    for (int32_t k = 0; k < kMaxSteps; ++k) {
        int64_t year = start.Rok + static_cast<int64_t>(k) * step;
        if (year > kLastYear) {
            return;
        }
        int32_t day = NthWeekdayOnOrAfter(static_cast<int32_t>(year), month, 1, ordinal, weekday);
        if (day == 0) {
            continue;
        }
        int64_t dayNumber = civil::DaysFromCivil(year, month, day);
        if (dayNumber >= startDay && !gate.OfferDay(dayNumber)) {
            return;
        }
    }
}

// The generator of the rule's frequency and form; a monthly or annual rule
// with neither form set and a weekly rule without days list nothing.
void ExpandRule(OccurrenceGate& gate, const TNTime& start, const TNPIMRecord& rule)
{
    switch (rule.RecurrenceFrequency) {
    case rfHourly:
        ExpandHourly(gate, start, rule.RepeatHourly.Hodina, rule.RepeatHourly.Minuta);
        break;
    case rfDaily:
        ExpandDaily(gate, start, rule.RepeatDaily);
        break;
    case rfWeekly:
        ExpandWeekly(gate, start, rule.RepeatWeekly, WeekdaysOf(rule));
        break;
    case rfMonthly:
        if (rule.RepeatMonthlyDayOfMonth > 0) {
            ExpandMonthlyOnDay(gate, start, rule.RepeatMonthly, rule.RepeatMonthlyDayOfMonth);
        } else if (rule.RepeatMonthlyDayOfWeekInMonth1 > 0 && rule.RepeatMonthlyDayOfWeekInMonth2 > 0) {
            ExpandMonthlyOnWeekday(gate, start, rule.RepeatMonthly, rule.RepeatMonthlyDayOfWeekInMonth1,
                                   rule.RepeatMonthlyDayOfWeekInMonth2);
        }
        break;
    case rfAnnually:
        if (rule.RepeatAnnuallyDayInMonth1 > 0) {
            ExpandAnnuallyOnDay(gate, start, rule.RepeatAnnually, rule.RepeatAnnuallyDayInMonth1,
                                rule.RepeatAnnuallyDayInMonth2);
        } else if (rule.RepeatAnnuallyDayOfWeekInMonth1 > 0 && rule.RepeatAnnuallyDayOfWeekInMonth2 > 0) {
            ExpandAnnuallyOnWeekday(gate, start, rule.RepeatAnnually, rule.RepeatAnnuallyDayOfWeekInMonth1,
                                    rule.RepeatAnnuallyDayOfWeekInMonth2, rule.RepeatAnnuallyDayOfWeekInMonth3);
        }
        break;
    default:
        break;
    }
}

} // namespace

int32_t TNPIMRecord::CreateRecurrenceArray(bool makeRequests, int32_t maximum)
{
    return Guarded("[TNPIMRecord::CreateRecurrenceArray]", 0, [&]() -> int32_t {
        LogTextUInt("[TNPIMRecord::CreateRecurrenceArray][BEGIN] ID = ", ID);

        // The start: Begin, at 07:00 when it has no time of day.
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
        if (RuleIsInRange()) {
            OccurrenceGate gate(*this, start, makeRequests, maximum);
            ExpandRule(gate, start, *this);
            counted = gate.Counted();
        }
        LogTextInt("[TNPIMRecord::CreateRecurrenceArray][END] real_recurrence_count = ", counted);
        return counted;
    });
}

namespace {

void AppendHourlyTitle(TNString* out, int32_t hours, int32_t minutes)
{
    AppendCounted(out, hours, "Každou ", "Každé ", "Každých ", " hodinu", " hodiny", " hodin");
    if (minutes != 0) {
        out->Append(" a ");
        out->AppendInt(minutes);
        out->Append(ByNumber(minutes, " minutu", " minuty", " minut"));
    }
}

void AppendDailyTitle(TNString* out, int32_t step)
{
    AppendCounted(out, step, "Každý ", "Každé ", "Každých ", " den", " dny", " dní");
}

void AppendWeeklyTitle(TNString* out, int32_t step, const WeekdayFlags& days)
{
    if (step == 1) {
        out->Append("Každý týden");
    } else {
        AppendCounted(out, step, "", "Každé ", "Každých ", "", " týdny", " týdnů");
    }
    int32_t set[7];
    int32_t setCount = 0;
    for (int32_t d = 1; d <= 7; ++d) {
        if (days[static_cast<size_t>(d)]) {
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
}

// ", vždy druhé úterý" and the like.
void AppendNthWeekday(TNString* out, int32_t ordinal, int32_t weekday)
{
    out->Append(", vždy ");
    out->Append(Ordinal(ordinal, weekday));
    out->Append(" ");
    out->Append(WeekdayAccusative(weekday));
}

void AppendMonthlyTitle(TNString* out, const TNPIMRecord& rule)
{
    if (rule.RepeatMonthly == 1) {
        out->Append("Každý měsíc");
    } else {
        AppendCounted(out, rule.RepeatMonthly, "", "Každé ", "Každých ", "", " měsíce", " měsíců");
    }
    switch (rule.RepeatMonthlyDayOfMonth) {
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
        if (rule.RepeatMonthlyDayOfMonth > 0) {
            out->Append(", vždy ");
            out->AppendInt(rule.RepeatMonthlyDayOfMonth);
            out->Append(". den v daném měsíci");
        } else if (rule.RepeatMonthlyDayOfWeekInMonth1 > 0 && rule.RepeatMonthlyDayOfWeekInMonth2 > 0) {
            AppendNthWeekday(out, rule.RepeatMonthlyDayOfWeekInMonth1, rule.RepeatMonthlyDayOfWeekInMonth2);
            out->Append(" v daném měsíci");
        }
        break;
    }
}

void AppendAnnualTitle(TNString* out, const TNPIMRecord& rule)
{
    if (rule.RepeatAnnually == 1) {
        out->Append("Každý rok");
    } else {
        AppendCounted(out, rule.RepeatAnnually, "", "Každé ", "Každých ", "", " roky", " let");
    }
    int32_t month = rule.RepeatAnnuallyDayInMonth2;
    switch (rule.RepeatAnnuallyDayInMonth1) {
    case 96:
        out->Append(", vždy .3 den ");
        break;
    case 97:
        out->Append(", vždy .2 den ");
        break;
    case 98:
        out->Append(", vždy předposlední den ");
        break;
    case 99:
        out->Append(", vždy poslední den ");
        break;
    default:
        if (rule.RepeatAnnuallyDayInMonth1 > 0) {
            out->Append(", vždy ");
            out->AppendInt(rule.RepeatAnnuallyDayInMonth1);
            out->Append(". den ");
        } else if (rule.RepeatAnnuallyDayOfWeekInMonth1 > 0 && rule.RepeatAnnuallyDayOfWeekInMonth2 > 0) {
            AppendNthWeekday(out, rule.RepeatAnnuallyDayOfWeekInMonth1, rule.RepeatAnnuallyDayOfWeekInMonth2);
            out->Append(" ");
            month = rule.RepeatAnnuallyDayOfWeekInMonth3;
        } else {
            return;
        }
        break;
    }
    out->AppendMonthLocative(month, false);
    out->Append(" daného roku");
}

} // namespace

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
            AppendHourlyTitle(out, RepeatHourly.Hodina, RepeatHourly.Minuta);
            break;
        case rfDaily:
            AppendDailyTitle(out, RepeatDaily);
            break;
        case rfWeekly:
            AppendWeeklyTitle(out, RepeatWeekly, WeekdaysOf(*this));
            break;
        case rfMonthly:
            AppendMonthlyTitle(out, *this);
            break;
        case rfAnnually:
            AppendAnnualTitle(out, *this);
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
