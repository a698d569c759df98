#include "foundation/time.h"

#include "foundation/civil_date.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/string.h"
#include "platform/core/bytes.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* englishAbbrevs[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr const char* dayNames[7] = {"Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota", "Neděle"};
constexpr const char* dayNamesGenitive[7] = {"pondělí", "úterý", "středy", "čtvrtka", "pátku", "soboty", "neděle"};
constexpr const char* dayAbbrevs[7] = {"Po", "Út", "St", "Čt", "Pá", "So", "Ne"};
constexpr const char* monthNames[12] = {"Leden",    "Únor",  "Březen", "Duben", "Květen",   "Červen",
                                        "Červenec", "Srpen", "Září",   "Říjen", "Listopad", "Prosinec"};
constexpr const char* monthGenitives[12] = {"ledna",    "února", "března", "dubna", "května",    "června",
                                            "července", "srpna", "září",   "října", "listopadu", "prosince"};
constexpr const char* monthShortNames[12] = {"Led", "Úno", "Bře", "Dub", "Kvě", "Čer",
                                             "Čec", "Srp", "Zář", "Říj", "Lis", "Pro"};

constexpr int32_t firstYear = 1;
constexpr int32_t lastYear = 9999;
constexpr int64_t firstDayNumber = civil::DaysFromCivil(firstYear, 1, 1);
constexpr int64_t lastDayNumber = civil::DaysFromCivil(lastYear, 12, 31);

std::string Format(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0)
        return {};
    return std::string(buffer, std::min<size_t>(static_cast<size_t>(length), sizeof buffer - 1));
}

void SetText(TNString* out, const std::string& text)
{
    if (out != nullptr)
        out->Set(std::string_view(text));
}

std::unique_ptr<TNString> NewText(const std::string& text)
{
    return std::make_unique<TNString>(std::string_view(text));
}

// A name from a table, or the number itself when it has none.
std::string NameOrNumber(const char* name, int32_t number)
{
    return name != nullptr ? std::string(name) : Format("%d", number);
}

// Decimal number at the start of a text: an optional sign, then digits up to
// the first other character. 0 when there are none.
int32_t ParseDecimal(std::string_view text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    return static_cast<int32_t>(negative ? -value : value);
}

// A number given for a 16-bit field; out-of-range numbers become a value
// that validation rejects.
uint16_t FieldValue(int32_t value)
{
    return value < 0 || value > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(value);
}

// Years 1 to 9999 only: the fields hold no other.
int64_t ClampToYears(int64_t timestamp, int32_t offset)
{
    return std::clamp<int64_t>(timestamp, firstDayNumber * civil::SecondsPerDay - offset,
                               (lastDayNumber + 1) * civil::SecondsPerDay - 1 - offset);
}

int32_t WeekdayOf(const TNTime& value)
{
    return civil::Weekday(value.Rok, value.Mesic, value.Den);
}

} // namespace

bool createTimeInfo(std::tm* out, int64_t timestamp)
{
    if (out == nullptr)
        return false;
    const int64_t moment = timestamp == 0 ? TNLocalClock::Now() : timestamp;
    *out = TNLocalClock::Fields(ClampToYears(moment, TNLocalClock::ZoneOffset()));
    return true;
}

TNTime::TNTime()
{
    Den = 1;
    Mesic = 1;
    Rok = 1980;
    Hodina = 12;
    // Every value starts at the same local time, so its conversion is
    // worked out once, at offset 0, and moved by the zone's offset, which
    // may be changed later.
    static constexpr int64_t dayNumber = civil::DaysFromCivil(1980, 1, 1);
    static const civil::WallDay atZero = civil::WallDayToUnix(dayNumber, 12 * civil::SecondsPerHour, 0);
    const int32_t offset = TNLocalClock::ZoneOffset();
    Timestamp = atZero.Unix - offset;
    IsDST = atZero.Summer ? 1 : 0;
    SetDerivedFields(dayNumber, {Timestamp, atZero.Summer, atZero.DayStart - offset, atZero.DayEnd - offset});
}

// ---------------------------------------------------------------------------
// Validation

void TNTime::ValidateDate()
{
    if (Rok < firstYear || Rok > lastYear) {
        Rok = 1980;
        SetYear = Rok;
    }
    if (Mesic < 1 || Mesic > 12) {
        Mesic = 1;
        SetMonth = Mesic;
    }
    if (!civil::IsValidDate(Rok, Mesic, Den)) {
        Den = 1;
        SetDay = Den;
    }
}

void TNTime::ValidateTime()
{
    if (Hodina == NoTime && Minuta == 0 && Sekunda == 0)
        return;
    if (Hodina > 24)
        Hodina = 0;
    if (Minuta > 59)
        Minuta = 0;
    if (Sekunda > 59)
        Sekunda = 0;
    // 24:00 is the end of the date; nothing of the date lies beyond it.
    if (Hodina == 24) {
        Minuta = 0;
        Sekunda = 0;
    }
}

// ---------------------------------------------------------------------------
// Conversions

bool TNTime::isInDSTZone(uint16_t year, uint16_t monthDay, int32_t& correction, bool log, uint16_t hourMinute)
{
    const int64_t dayStart = civil::DaysFromCivil(year, monthDay / 100, monthDay % 100) * civil::SecondsPerDay;
    const bool summerAtStart = civil::IsSummerWall(dayStart);
    const bool summerAtEnd = civil::IsSummerWall(dayStart + civil::SecondsPerDay);
    correction = (summerAtStart ? 60 : 0) - (summerAtEnd ? 60 : 0);
    const bool summer =
        civil::IsSummerWall(dayStart + (hourMinute / 100) * civil::SecondsPerHour + (hourMinute % 100) * 60);
    if (log) {
        const civil::SummerSpan span = civil::SummerTimeOf(year);
        auto monthDayOf = [](int64_t wallSeconds) {
            const civil::Date date = civil::CivilFromDays(civil::FloorDiv(wallSeconds, civil::SecondsPerDay));
            return date.Month * 100 + date.Day;
        };
        const bool any = span.Start < span.End;
        LogTextInt("[TNTime::isInDSTZone][A] ", any ? monthDayOf(span.Start + civil::SecondsPerHour) : 0);
        LogTextInt("[TNTime::isInDSTZone][B] ", any ? monthDayOf(span.End) : 0);
        LogTextInt("[TNTime::isInDSTZone][C] ", correction);
    }
    return summer;
}

int64_t TNTime::GetTimestamp(bool)
{
    const int64_t dayNumber = civil::DaysFromCivil(Rok, Mesic, Den);
    const int64_t secondsOfDay =
        Hodina == NoTime ? 0 : int64_t{Hodina} * civil::SecondsPerHour + int64_t{Minuta} * 60 + Sekunda;
    const civil::WallDay converted = civil::WallDayToUnix(dayNumber, secondsOfDay, TNLocalClock::ZoneOffset());
    Timestamp = converted.Unix;
    IsDST = converted.Summer ? 1 : 0;
    SetDerivedFields(dayNumber, converted);
    return Timestamp;
}

int64_t TNTime::SetTimestamp(int64_t timestamp, bool)
{
    const int32_t offset = TNLocalClock::ZoneOffset();
    timestamp = ClampToYears(timestamp, offset);
    bool summer = false;
    const int64_t wall = civil::UnixToWall(timestamp, offset, &summer);
    const int64_t dayNumber = civil::FloorDiv(wall, civil::SecondsPerDay);
    const int64_t secondsOfDay = wall - dayNumber * civil::SecondsPerDay;
    const civil::Date date = civil::CivilFromDays(dayNumber);
    Rok = static_cast<uint16_t>(date.Year);
    Mesic = static_cast<uint16_t>(date.Month);
    Den = static_cast<uint16_t>(date.Day);
    Hodina = static_cast<uint16_t>(secondsOfDay / civil::SecondsPerHour);
    Minuta = static_cast<uint16_t>(secondsOfDay / 60 % 60);
    Sekunda = static_cast<uint16_t>(secondsOfDay % 60);
    Timestamp = timestamp;
    IsDST = summer ? 1 : 0;
    SetDerivedFields(dayNumber, civil::WallDayToUnix(dayNumber, 0, offset));
    return Timestamp;
}

void TNTime::SetDerivedFields(int64_t dayNumber, const civil::WallDay& day)
{
    Days = static_cast<uint16_t>(Mesic * 100 + Den);
    HourMinute = static_cast<uint16_t>(Hodina * 100 + Minuta);
    DayNo = civil::WeekdayFromDays(dayNumber);
    std::memcpy(DayAbbrev, englishAbbrevs[DayNo - 1], 4);
    DayStart = day.DayStart;
    DayEnd = day.DayEnd;
}

void TNTime::SetNow(bool log)
{
    SetTimestamp(TNLocalClock::Now(), log);
}

void TNTime::NastavCas(uint16_t hour, uint16_t minute, bool log, uint16_t spare, uint16_t second)
{
    const int32_t rememberedDayNo = DayNo;
    Hodina = hour;
    Minuta = minute;
    Spare = spare;
    Sekunda = second;
    ValidateTime();
    GetTimestamp(log);
    // The weekday follows the date alone, so it moves only when the fields
    // were changed without recomputing them.
    if (log && DayNo < rememberedDayNo)
        LogTextInt("[NastavCas][ERR_1] DayNo < ", rememberedDayNo);
    else if (log && DayNo > rememberedDayNo)
        LogTextInt("[NastavCas][ERR_2] DayNo > ", rememberedDayNo);
}

// ---------------------------------------------------------------------------
// Setting and parsing

void TNTime::SetDate(int32_t day, int32_t month, int32_t year)
{
    Den = FieldValue(day);
    Mesic = FieldValue(month);
    Rok = FieldValue(year);
    ValidateDate();
    SetYear = Rok;
    SetMonth = Mesic;
    SetDay = Den;
    GetTimestamp();
}

void TNTime::SetDateTime(int32_t day, int32_t month, int32_t second, int32_t minute, int32_t hour, int32_t year)
{
    Den = FieldValue(day);
    Mesic = FieldValue(month);
    Rok = FieldValue(year);
    ValidateDate();
    SetYear = Rok;
    SetMonth = Mesic;
    SetDay = Den;
    Hodina = FieldValue(hour);
    Minuta = FieldValue(minute);
    Sekunda = FieldValue(second);
    Spare = 0;
    ValidateTime();
    GetTimestamp();
}

bool TNTime::SetDateFromString(std::string_view text)
{
    if (text.size() != 10)
        return false;
    SetDate(ParseDecimal(text.substr(8, 2)), ParseDecimal(text.substr(5, 2)), ParseDecimal(text.substr(0, 4)));
    return true;
}

bool TNTime::SetDateFromString(const TNString* text)
{
    return text != nullptr && SetDateFromString(text->View());
}

bool TNTime::SetTimeFromString(std::string_view text)
{
    if (text.size() != 8)
        return false;
    NastavCas(FieldValue(ParseDecimal(text.substr(0, 2))), FieldValue(ParseDecimal(text.substr(3, 2))), false, Spare,
              FieldValue(ParseDecimal(text.substr(6, 2))));
    return true;
}

bool TNTime::SetTimeFromString(const TNString* text)
{
    return text != nullptr && SetTimeFromString(text->View());
}

bool TNTime::Copy(const TNTime* other)
{
    if (other == nullptr)
        return false;
    *this = *other;
    return true;
}

void TNTime::SetToday()
{
    SetNow();
    NastavCas(0, 0);
}

void TNTime::SetTomorrow()
{
    SetToday();
    AddDays(1);
}

// ---------------------------------------------------------------------------
// Comparisons and tests

int32_t TNTime::Compare(const TNTime& other) const
{
    const int32_t date = CompareDate(other);
    if (date != 0)
        return date;
    if (Hodina != other.Hodina)
        return Hodina > other.Hodina ? 4 : -4;
    if (Minuta != other.Minuta)
        return Minuta > other.Minuta ? 5 : -5;
    if (Sekunda != other.Sekunda)
        return Sekunda > other.Sekunda ? 6 : -6;
    return 0;
}

int32_t TNTime::CompareDate(const TNTime& other) const
{
    if (Rok != other.Rok)
        return Rok > other.Rok ? 1 : -1;
    if (Mesic != other.Mesic)
        return Mesic > other.Mesic ? 2 : -2;
    if (Den != other.Den)
        return Den > other.Den ? 3 : -3;
    return 0;
}

bool TNTime::IsToday() const
{
    const TNLocalClock::DayBounds bounds = TNLocalClock::TodayBounds();
    if (Hodina == 24)
        return Timestamp == bounds.TodayEnd;
    return Timestamp >= bounds.TodayStart && Timestamp < bounds.TodayEnd;
}

bool TNTime::IsTomorrow() const
{
    const TNLocalClock::DayBounds bounds = TNLocalClock::TodayBounds();
    if (Hodina == 24)
        return Timestamp == bounds.TomorrowEnd;
    return Timestamp >= bounds.TomorrowStart && Timestamp < bounds.TomorrowEnd;
}

bool TNTime::IsBeforeToday() const
{
    return Timestamp < TNLocalClock::TodayBounds().TodayStart;
}

bool TNTime::IsOlderThanWeek() const
{
    return Timestamp < TNLocalClock::TodayBounds().WeekAgoStart;
}

int32_t TNTime::DaysBetween(const TNTime& a, const TNTime& b)
{
    const int64_t days = civil::DaysFromCivil(b.Rok, b.Mesic, b.Den) - civil::DaysFromCivil(a.Rok, a.Mesic, a.Den);
    return static_cast<int32_t>(days + 1);
}

int32_t TNTime::DaysInMonth() const
{
    return civil::DaysInMonth(Rok, Mesic);
}

int32_t TNTime::GetWeekOfYear() const
{
    return civil::IsoWeek(Rok, Mesic, Den);
}

int32_t TNTime::GetNthWeekdayOfMonth(int32_t n, int32_t weekday) const
{
    const int32_t last = DaysInMonth();
    if (weekday < 1 || weekday > 7 || last == 0)
        return 0;
    // First day of the month with that weekday; each later one is 7 days on.
    const int32_t first = 1 + (weekday - civil::Weekday(Rok, Mesic, 1) + 7) % 7;
    int32_t day = 0;
    if (n >= 1 && n <= 98)
        day = first + 7 * (n - 1);
    else if (n == 99)
        day = first + 7 * ((last - first) / 7);
    return day <= last && day >= Den ? day : 0;
}

plat::Date TNTime::ToDateTime() const
{
    TNTime date = *this;
    date.ValidateDate();
    return {date.Rok, date.Mesic, date.Den};
}

// ---------------------------------------------------------------------------
// Moves

void TNTime::AddDays(int64_t days)
{
    const int64_t target =
        std::clamp<int64_t>(civil::DaysFromCivil(Rok, Mesic, Den) + days, firstDayNumber, lastDayNumber);
    const civil::Date date = civil::CivilFromDays(target);
    SetDate(date.Day, date.Month, static_cast<int32_t>(date.Year));
}

void TNTime::NextDay()
{
    AddDays(1);
}

void TNTime::PreviousDay()
{
    AddDays(-1);
}

void TNTime::NextMonth()
{
    SetDate(1, Mesic, Rok);
    AddMonths(1);
}

void TNTime::PreviousMonth()
{
    SetDate(1, Mesic, Rok);
    AddMonths(-1);
}

void TNTime::AddMonths(int32_t months)
{
    const int64_t index = std::clamp<int64_t>(int64_t{Rok} * 12 + (Mesic - 1) + months, int64_t{firstYear} * 12,
                                              int64_t{lastYear} * 12 + 11);
    const int32_t year = static_cast<int32_t>(index / 12);
    const int32_t month = static_cast<int32_t>(index % 12) + 1;
    SetDate(std::min<int32_t>(Den, civil::DaysInMonth(year, month)), month, year);
}

void TNTime::SetFirstDayOfMonth()
{
    NastavCas(0, 0);
    SetDate(1, Mesic, Rok);
}

void TNTime::SetLastDayOfMonth()
{
    SetDate(DaysInMonth(), Mesic, Rok);
}

void TNTime::SetFirstDayOfCurrentMonth()
{
    SetNow();
    SetFirstDayOfMonth();
}

void TNTime::SetCurrentMonday()
{
    SetNow();
    NastavCas(0, 0);
    AddDays(1 - WeekdayOf(*this));
}

void TNTime::SetPreviousMonday()
{
    const int32_t weekday = WeekdayOf(*this);
    AddDays(weekday == 1 ? -7 : 1 - weekday);
    if (DayNo != 1)
        LogTextInt("[SetPreviousMonday][ERROR] DayNo != 1; DayNo = ", DayNo);
}

void TNTime::SetNextMonday()
{
    AddDays(8 - WeekdayOf(*this));
}

void TNTime::SetWeekFriday()
{
    AddDays(5 - WeekdayOf(*this));
}

void TNTime::SetWeekSunday()
{
    AddDays(7 - WeekdayOf(*this));
}

void TNTime::SetMonthViewStart()
{
    SetDate(1, Mesic, Rok);
    if (DayNo != 1)
        SetPreviousMonday();
}

void TNTime::SetMonthViewEnd()
{
    SetLastDayOfMonth();
    SetWeekSunday();
}

// ---------------------------------------------------------------------------
// Texts

const char* TNTime::DayName(int32_t weekday)
{
    return weekday >= 1 && weekday <= 7 ? dayNames[weekday - 1] : nullptr;
}

const char* TNTime::DayNameGenitive(int32_t weekday)
{
    return weekday >= 1 && weekday <= 7 ? dayNamesGenitive[weekday - 1] : nullptr;
}

const char* TNTime::MonthGenitive(int32_t month)
{
    return month >= 1 && month <= 12 ? monthGenitives[month - 1] : nullptr;
}

void TNTime::ToString(TNString* out) const
{
    SetText(out, ToAnsiString());
}

std::string TNTime::ToAnsiString() const
{
    return Format("%02u.%02u.%04u %02u:%02u:%02u", Den, Mesic, Rok, Hodina, Minuta, Sekunda);
}

void TNTime::ToStringAt(TNString* out) const
{
    SetText(out, Format("%02u.%02u.%04u v %02u:%02u", Den, Mesic, Rok, Hodina, Minuta));
}

void TNTime::GetDateIso(TNString* out) const
{
    SetText(out, Format("%04u-%02u-%02u", Rok, Mesic, Den));
}

void TNTime::GetTimeText(TNString* out) const
{
    SetText(out, Format("%02u:%02u:%02u", Hodina, Minuta, Sekunda));
}

std::string TNTime::ToYmdAnsiString() const
{
    return Format("%04d%02d%02d", Rok, Mesic, Den);
}

void TNTime::GetDayText(TNString* out, bool plain) const
{
    SetText(out, Format(plain ? "%d" : "%02d", Den));
}

std::unique_ptr<TNString> TNTime::NewDayName(int32_t weekday) const
{
    const char* name = DayName(weekday == -1 ? DayNo : weekday);
    return NewText(name != nullptr ? name : "ERROR");
}

std::unique_ptr<TNString> TNTime::NewDayNameGenitive(int32_t weekday) const
{
    const char* name = DayNameGenitive(weekday == -1 ? DayNo : weekday);
    return NewText(name != nullptr ? name : "ERROR");
}

std::unique_ptr<TNString> TNTime::NewDayAbbrev(int32_t weekday) const
{
    if (weekday == -1)
        weekday = DayNo;
    return NewText(weekday >= 1 && weekday <= 7 ? std::string(dayAbbrevs[weekday - 1]) : Format("%d", weekday));
}

void TNTime::GetDayName(TNString* out) const
{
    SetText(out, GetDayNameAnsi());
}

std::string TNTime::GetDayNameAnsi() const
{
    const int32_t weekday = WeekdayOf(*this);
    return Format("%s %d. %s %04d", NameOrNumber(DayName(weekday), weekday).c_str(), Den,
                  NameOrNumber(MonthGenitive(Mesic), Mesic).c_str(), Rok);
}

void TNTime::GetMonthGenitive(int32_t month, TNString* out)
{
    SetText(out, NameOrNumber(MonthGenitive(month), month));
}

void TNTime::MonthNameToStr(int32_t month, TNString* out)
{
    SetText(out, NameOrNumber(month >= 1 && month <= 12 ? monthNames[month - 1] : nullptr, month));
}

void TNTime::MonthNameToStrEx(int32_t month, TNString* out, const char* suffix)
{
    SetText(out, NameOrNumber(month >= 1 && month <= 12 ? monthShortNames[month - 1] : nullptr, month) +
                     (suffix != nullptr ? suffix : ""));
}

void TNTime::GetRangeText(const TNTime& start, const TNTime& end, bool withEnd, TNString* out)
{
    const bool severalDays = withEnd && start.CompareDate(end) != 0;
    const int32_t startWeekday = WeekdayOf(start);
    const std::string dayName =
        NameOrNumber(severalDays ? DayNameGenitive(startWeekday) : DayName(startWeekday), startWeekday);
    const std::string month = NameOrNumber(MonthGenitive(start.Mesic), start.Mesic);
    const char* prefix = severalDays ? "od " : "";
    std::string text;
    if (start.Hodina == NoTime)
        text = Format("%s%s %u. %s", prefix, dayName.c_str(), start.Den, month.c_str());
    else
        text = Format("%s%s %u. %s%s%02u:%02u", prefix, dayName.c_str(), start.Den, month.c_str(),
                      severalDays ? " " : "\n", start.Hodina, start.Minuta);
    if (withEnd) {
        if (severalDays) {
            const int32_t endWeekday = WeekdayOf(end);
            text += "\ndo " + Format("%s %u. %s", NameOrNumber(DayNameGenitive(endWeekday), endWeekday).c_str(),
                                     end.Den, NameOrNumber(MonthGenitive(end.Mesic), end.Mesic).c_str());
        }
        if (end.Hodina != NoTime) {
            if (!severalDays)
                text += " -";
            text += Format(" %02u:%02u", end.Hodina, end.Minuta);
        }
    }
    SetText(out, text);
}

// ---------------------------------------------------------------------------
// On-disk form

void TNTime::Save(bool withSecond, bool withSpare, plat::ByteWriter& out) const
{
    out.WriteUnsigned(Den, 1);
    out.WriteUnsigned(Mesic, 1);
    out.WriteUnsigned(Rok, 2);
    out.WriteUnsigned(Hodina, 1);
    out.WriteUnsigned(Minuta, 1);
    if (withSecond)
        out.WriteUnsigned(Sekunda, 1);
    if (withSpare)
        out.WriteUnsigned(Spare, 2);
}

bool TNTime::Load(bool withSecond, bool withSpare, plat::ByteReader& in)
{
    const size_t size = 6 + (withSecond ? 1 : 0) + (withSpare ? 2 : 0);
    if (!in.Has(size))
        return false;
    uint32_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = Sekunda, spare = Spare;
    in.ReadUnsigned(1, day);
    in.ReadUnsigned(1, month);
    in.ReadUnsigned(2, year);
    in.ReadUnsigned(1, hour);
    in.ReadUnsigned(1, minute);
    if (withSecond)
        in.ReadUnsigned(1, second);
    if (withSpare)
        in.ReadUnsigned(2, spare);
    Den = static_cast<uint16_t>(day);
    Mesic = static_cast<uint16_t>(month);
    Rok = static_cast<uint16_t>(year);
    ValidateDate();
    SetYear = Rok;
    SetMonth = Mesic;
    SetDay = Den;
    Hodina = static_cast<uint16_t>(hour);
    Minuta = static_cast<uint16_t>(minute);
    Sekunda = static_cast<uint16_t>(second);
    Spare = static_cast<uint16_t>(spare);
    ValidateTime();
    GetTimestamp();
    return true;
}
