#include "dialog/recurrence_logic.h"

#include "foundation/common.h"
#include "foundation/time.h"

#include <cstdio>

namespace {

constexpr int32_t kFirstEndDayIndex = 29;
constexpr int32_t kEndDayShift = 67;
constexpr int32_t kLastWeekIndex = 5;
constexpr int32_t kLastWeekValue = 99;
constexpr int32_t kMaxInterval = 999;
constexpr int32_t kMaxCount = 1000;

constexpr const char* kWeekdayAbbrevs[7] = {"Po", "Út", "St", "Čt", "Pá", "So", "Ne"};

std::string Number(int32_t value)
{
    return std::to_string(value);
}

int32_t ToInt(const std::string& text)
{
    return TNCommon::StrToInt(text.c_str());
}

bool InRange(int32_t value, int32_t low, int32_t high)
{
    return value >= low && value <= high;
}

// The weekday of a civil date, 1 Monday .. 7 Sunday.
int32_t WeekdayOf(int32_t year, int32_t month, int32_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra - 719468;
    // 1 January 1970 was a Thursday.
    const int64_t weekday = ((days % 7) + 7 + 3) % 7;
    return static_cast<int32_t>(weekday) + 1;
}

struct PreviewEntry {
    int32_t Weekday;
    int32_t Day;
    int32_t Month;
    int32_t Year;
    int32_t Hour;
    int32_t Minute;
};

std::string PreviewEntryText(const PreviewEntry& entry, bool withTime)
{
    const char* weekday = InRange(entry.Weekday, 1, 7) ? kWeekdayAbbrevs[entry.Weekday - 1] : "";
    char text[64];
    if (withTime)
        std::snprintf(text, sizeof text, " - %s %d. %d. %04d %02d:%02d ", weekday, entry.Day, entry.Month, entry.Year,
                      entry.Hour, entry.Minute);
    else
        std::snprintf(text, sizeof text, " - %s %d. %d. %04d ", weekday, entry.Day, entry.Month, entry.Year);
    return text;
}

TNRecurrenceCheck IntervalCheck(const std::string& text, const char* caption, const char* focus)
{
    if (InRange(ToInt(text), 1, kMaxInterval))
        return {};
    return {std::string("Položka '") + caption + "' musí být číslo od 1 do 999.", focus};
}

} // namespace

int32_t RecurrenceDayValue(int32_t index)
{
    return index >= kFirstEndDayIndex ? index + kEndDayShift : index;
}

int32_t RecurrenceDayIndex(int32_t value)
{
    if (InRange(value, 1, 28))
        return value;
    if (InRange(value, kFirstEndDayIndex + kEndDayShift, 99))
        return value - kEndDayShift;
    return 0;
}

int32_t RecurrenceWeekValue(int32_t index)
{
    return index == kLastWeekIndex ? kLastWeekValue : index;
}

int32_t RecurrenceWeekIndex(int32_t value)
{
    if (value == kLastWeekValue)
        return kLastWeekIndex;
    return InRange(value, 0, 4) ? value : 0;
}

std::vector<std::string> RecurrenceFrequencyEntries(bool hasTime)
{
    return {"Neopakuje se", hasTime ? "Po hodinách" : "-----------", "Denně", "Týdně", "Měsíčně", "Ročně"};
}

std::vector<std::string> RecurrenceRangeEntries()
{
    return {"Bez konce (max. 1000 opakování)", "Ukončit po X opakováních", "Ukončit po datu"};
}

std::vector<std::string> RecurrenceMonthlyDayEntries()
{
    std::vector<std::string> entries{"Nenastaveno. Opakovat podle pravidla níže"};
    for (int32_t day = 1; day <= 28; ++day)
        entries.push_back("Každý " + Number(day) + ". den v měsíci");
    for (const char* end : {"Vždy tři dny před koncem měsíce", "Vždy dva dny před koncem měsíce",
                            "Každý předposlední den v měsíci", "Každý poslední den v měsíci"})
        entries.emplace_back(end);
    return entries;
}

std::vector<std::string> RecurrenceAnnualDayEntries()
{
    std::vector<std::string> entries{"Nenastaveno"};
    for (int32_t day = 1; day <= 28; ++day)
        entries.push_back("Každý " + Number(day) + ". den");
    for (const char* end :
         {"Tři dny před koncem měsíce", "Dva dny před koncem měsíce", "Každý předposlední den", "Každý poslední den"})
        entries.emplace_back(end);
    return entries;
}

std::vector<std::string> RecurrenceWeekEntries()
{
    return {"----", "První", "Druhý", "Třetí", "Čtvrtý", "Poslední"};
}

std::vector<std::string> RecurrenceWeekdayEntries()
{
    return {"----", "pondělí", "úterý", "středa", "čtvrtek", "pátek", "sobota", "neděle"};
}

std::vector<std::string> RecurrenceMonthEntries()
{
    return {"v lednu",    "v únoru", "v březnu", "v dubnu", "v květnu",    "v červnu",
            "v červenci", "v srpnu", "v září",   "v říjnu", "v listopadu", "v prosinci"};
}

TNRecurrenceComponents RecurrencePresets(const TNPIMRecord* record, const TNRecurrenceToday& today)
{
    TNRecurrenceComponents c;
    // Defaults. A day after the 28th is no day every month has.
    const int32_t todaysDay = InRange(today.Day, 1, 28) ? today.Day : 0;
    const int32_t todaysMonth = InRange(today.Month, 1, 12) ? today.Month - 1 : 0;
    const int32_t todaysWeekday = InRange(today.Weekday, 1, 7) ? today.Weekday : 0;
    c.Count = "5";
    c.EndDate = TNEditorDate::DateOnly(today.Year, today.Month, today.Day);
    c.HourlyHours = "3";
    c.HourlyMinutes = "0";
    c.Daily = c.Weekly = c.Monthly = c.Annually = "1";
    if (todaysWeekday > 0)
        c.WeeklyDays[todaysWeekday - 1] = true;
    c.MonthlyDay = todaysDay;
    c.MonthlyWeekday = todaysWeekday;
    c.AnnualDay = todaysDay;
    c.AnnualDayMonth = todaysMonth;
    c.AnnualWeekday = todaysWeekday;
    c.AnnualWeekMonth = todaysMonth;
    if (record == nullptr)
        return c;

    const TNPIMRecord& r = *record;
    c.Frequency = InRange(r.RecurrenceFrequency, 0, 5) ? r.RecurrenceFrequency : 0;
    c.Range = InRange(r.Range, 0, 2) ? r.Range : 0;
    if (r.Count > 0)
        c.Count = Number(r.Count);
    // Up to 1 January 1980 the date was never set.
    const TNEditorDate stored = TNEditorDate::DateOnly(r.EndDate.Rok, r.EndDate.Mesic, r.EndDate.Den);
    if (r.EndDate.Rok > 1980 || (r.EndDate.Rok == 1980 && (r.EndDate.Mesic > 1 || r.EndDate.Den > 1))) {
        c.EndDate = stored;
    } else {
        TNTime week;
        week.SetDate(today.Day, today.Month, today.Year);
        week.AddDays(7);
        c.EndDate = TNEditorDate::DateOnly(week.Rok, week.Mesic, week.Den);
    }
    if (r.RecurrenceFrequency == rfHourly && (r.RepeatHourly.Hodina != 0 || r.RepeatHourly.Minuta != 0)) {
        c.HourlyHours = Number(r.RepeatHourly.Hodina);
        c.HourlyMinutes = Number(r.RepeatHourly.Minuta);
    }
    const auto interval = [](int32_t value, std::string& text) {
        if (value > 0)
            text = Number(value);
    };
    interval(r.RepeatDaily, c.Daily);
    interval(r.RepeatWeekly, c.Weekly);
    interval(r.RepeatMonthly, c.Monthly);
    interval(r.RepeatAnnually, c.Annually);
    if (r.RecurrenceFrequency == rfWeekly) {
        const uint8_t days[7] = {r.RepeatWeeklyDay1, r.RepeatWeeklyDay2, r.RepeatWeeklyDay3, r.RepeatWeeklyDay4,
                                 r.RepeatWeeklyDay5, r.RepeatWeeklyDay6, r.RepeatWeeklyDay7};
        for (int32_t d = 0; d < 7; ++d)
            c.WeeklyDays[d] = days[d] != 0;
    }

    c.MonthlyWeek = RecurrenceWeekIndex(r.RepeatMonthlyDayOfWeekInMonth1);
    c.MonthlyDay = RecurrenceDayIndex(r.RepeatMonthlyDayOfMonth);
    if (c.MonthlyDay == 0 && c.MonthlyWeek == 0)
        c.MonthlyDay = todaysDay;
    if (InRange(r.RepeatMonthlyDayOfWeekInMonth2, 1, 7))
        c.MonthlyWeekday = r.RepeatMonthlyDayOfWeekInMonth2;

    c.AnnualWeek = RecurrenceWeekIndex(r.RepeatAnnuallyDayOfWeekInMonth1);
    c.AnnualDay = RecurrenceDayIndex(r.RepeatAnnuallyDayInMonth1);
    if (c.AnnualDay == 0 && c.AnnualWeek == 0)
        c.AnnualDay = todaysDay;
    if (InRange(r.RepeatAnnuallyDayInMonth2, 1, 12))
        c.AnnualDayMonth = r.RepeatAnnuallyDayInMonth2 - 1;
    if (InRange(r.RepeatAnnuallyDayOfWeekInMonth2, 1, 7))
        c.AnnualWeekday = r.RepeatAnnuallyDayOfWeekInMonth2;
    if (InRange(r.RepeatAnnuallyDayOfWeekInMonth3, 1, 12))
        c.AnnualWeekMonth = r.RepeatAnnuallyDayOfWeekInMonth3 - 1;
    return c;
}

const std::vector<std::string>& RecurrenceSwitchedComponents()
{
    static const std::vector<std::string> names = {
        "label8Range",
        "list8Range",
        "edit8Count",
        "date8EndDate",
        "label8Settings",
        "edit8RepeatHourly",
        "edit8RepeatDaily",
        "edit8RepeatWeekly",
        "check8WeeklyDay1",
        "check8WeeklyDay2",
        "check8WeeklyDay3",
        "check8WeeklyDay4",
        "check8WeeklyDay5",
        "check8WeeklyDay6",
        "check8WeeklyDay7",
        "edit8RepeatMonthly",
        "select8MonthlyDayOfMonth",
        "select8MonthlyDayOfWeekInMonth",
        "edit8RepeatAnnually",
        "select8AnnuallyDayInMonth",
        "select8AnnuallyDayOfWeekInMonth",
    };
    return names;
}

const char* RecurrenceNoFrequencyHint()
{
    return "Zvolte možnost opakování ve sloupci Frekvence\n"
           "\n"
           "Tip:\n"
           "Možná nepotřebujete použít opakování...\n"
           "V okně editace záznamu se podívejte na položku \"Při nesplnění\",\n"
           "která dokáže záznam posouvat např. na každý další den,\n"
           "takže jej můžete mít na očích, aniž byste měli v kalendáři mnohokrát opakovaný záznam.";
}

TNRecurrenceShown RecurrenceShownComponents(int32_t frequency, int32_t range)
{
    TNRecurrenceShown shown;
    auto& v = shown.Visible;
    v.push_back("label8Settings");
    if (frequency == rfNone) {
        shown.SettingsText = RecurrenceNoFrequencyHint();
        return shown;
    }
    v.push_back("list8Range");
    if (range == 1)
        v.push_back("edit8Count");
    else if (range == 2)
        v.push_back("date8EndDate");
    switch (frequency) {
    case rfHourly:
        v.push_back("edit8RepeatHourly");
        break;
    case rfDaily:
        v.push_back("edit8RepeatDaily");
        break;
    case rfWeekly:
        v.push_back("edit8RepeatWeekly");
        for (int32_t d = 1; d <= 7; ++d)
            v.push_back("check8WeeklyDay" + Number(d));
        break;
    case rfMonthly:
        v.insert(v.end(), {"edit8RepeatMonthly", "select8MonthlyDayOfMonth", "select8MonthlyDayOfWeekInMonth"});
        break;
    case rfAnnually:
        v.insert(v.end(), {"edit8RepeatAnnually", "select8AnnuallyDayInMonth", "select8AnnuallyDayOfWeekInMonth"});
        break;
    default:
        break;
    }
    return shown;
}

void WriteRecurrenceRule(TNPIMRecord& r, const TNRecurrenceComponents& c)
{
    // The rule cleared.
    r.RecurrenceMasterID = 0;
    r.RecurrenceFrequency = 0;
    r.Range = 0;
    r.Count = 0;
    r.RecurrenceSettings.Set("");
    r.EndDate.SetDate(1, 1, 2000);
    r.EndDate.NastavCas(0, 0);
    r.RepeatHourly.Hodina = 0;
    r.RepeatHourly.Minuta = 0;
    r.RepeatHourly.Sekunda = 0;
    r.RepeatDaily = 0;
    r.RepeatWeekly = 0;
    for (uint8_t* day : {&r.RepeatWeeklyDay1, &r.RepeatWeeklyDay2, &r.RepeatWeeklyDay3, &r.RepeatWeeklyDay4,
                         &r.RepeatWeeklyDay5, &r.RepeatWeeklyDay6, &r.RepeatWeeklyDay7})
        *day = 0;
    r.RepeatMonthly = 0;
    r.RepeatMonthlyDayOfMonth = 0;
    r.RepeatMonthlyDayOfWeekInMonth1 = 0;
    r.RepeatMonthlyDayOfWeekInMonth2 = 0;
    r.RepeatAnnually = 0;
    r.RepeatAnnuallyDayInMonth1 = 0;
    r.RepeatAnnuallyDayInMonth2 = 0;
    r.RepeatAnnuallyDayOfWeekInMonth1 = 0;
    r.RepeatAnnuallyDayOfWeekInMonth2 = 0;
    r.RepeatAnnuallyDayOfWeekInMonth3 = 0;

    r.RecurrenceFrequency = c.Frequency;
    if (c.Frequency != rfNone) {
        r.Range = c.Range;
        if (c.Range == 1)
            r.Count = ToInt(c.Count);
        if (c.Range == 2 && c.EndDate.HasDate) {
            r.EndDate.SetDate(c.EndDate.Day, c.EndDate.Month, c.EndDate.Year);
            r.EndDate.NastavCas(0, 0);
        }
        switch (c.Frequency) {
        case rfHourly:
            r.RepeatHourly.Hodina = static_cast<uint16_t>(ToInt(c.HourlyHours));
            r.RepeatHourly.Minuta = static_cast<uint16_t>(ToInt(c.HourlyMinutes));
            break;
        case rfDaily:
            r.RepeatDaily = ToInt(c.Daily);
            break;
        case rfWeekly: {
            r.RepeatWeekly = ToInt(c.Weekly);
            uint8_t* days[7] = {&r.RepeatWeeklyDay1, &r.RepeatWeeklyDay2, &r.RepeatWeeklyDay3, &r.RepeatWeeklyDay4,
                                &r.RepeatWeeklyDay5, &r.RepeatWeeklyDay6, &r.RepeatWeeklyDay7};
            for (int32_t d = 0; d < 7; ++d)
                *days[d] = c.WeeklyDays[d] ? 1 : 0;
            break;
        }
        case rfMonthly:
            r.RepeatMonthly = ToInt(c.Monthly);
            r.RepeatMonthlyDayOfMonth = RecurrenceDayValue(c.MonthlyDay);
            r.RepeatMonthlyDayOfWeekInMonth1 = RecurrenceWeekValue(c.MonthlyWeek);
            r.RepeatMonthlyDayOfWeekInMonth2 = c.MonthlyWeekday;
            break;
        case rfAnnually:
            r.RepeatAnnually = ToInt(c.Annually);
            r.RepeatAnnuallyDayInMonth1 = RecurrenceDayValue(c.AnnualDay);
            r.RepeatAnnuallyDayInMonth2 = c.AnnualDayMonth + 1;
            r.RepeatAnnuallyDayOfWeekInMonth1 = RecurrenceWeekValue(c.AnnualWeek);
            r.RepeatAnnuallyDayOfWeekInMonth2 = c.AnnualWeekday;
            r.RepeatAnnuallyDayOfWeekInMonth3 = c.AnnualWeekMonth + 1;
            break;
        default:
            break;
        }
    }
    r.StringifyRecurrenceSettingsToJSON();
}

// A rule the expansion cannot list (a step of 0, 0:00 or no count) would be
// saved as a series that never happens.
TNRecurrenceCheck CheckRecurrenceRule(const TNRecurrenceComponents& c)
{
    if (c.Frequency == rfNone)
        return {};
    if (c.Range == 1 && !InRange(ToInt(c.Count), 1, kMaxCount))
        return {"Položka 'Počet opakování' musí být číslo od 1 do 1000.", "edit8Count"};
    switch (c.Frequency) {
    case rfHourly:
        if (ToInt(c.HourlyHours) * 60 + ToInt(c.HourlyMinutes) <= 0)
            return {"Položka 'Opakovat po hodinách a minutách' musí být delší než 0 minut.", "edit8RepeatHourly"};
        return {};
    case rfDaily:
        return IntervalCheck(c.Daily, "Opakovat každých X dní", "edit8RepeatDaily");
    case rfWeekly: {
        if (TNRecurrenceCheck interval = IntervalCheck(c.Weekly, "Opakovat každých X týdnů", "edit8RepeatWeekly");
            !interval.Passed())
            return interval;
        for (bool day : c.WeeklyDays) {
            if (day)
                return {};
        }
        return {"Zaškrtněte nejméně jeden den v týdnu.", "check8WeeklyDay1"};
    }
    case rfMonthly:
        if (TNRecurrenceCheck interval = IntervalCheck(c.Monthly, "Opakovat každých X měsíců", "edit8RepeatMonthly");
            !interval.Passed())
            return interval;
        if (c.MonthlyDay == 0 && c.MonthlyWeek == 0)
            return {"Vyberte den opakování.", "select8MonthlyDayOfMonth"};
        return {};
    case rfAnnually:
        if (TNRecurrenceCheck interval = IntervalCheck(c.Annually, "Opakovat každých X roků", "edit8RepeatAnnually");
            !interval.Passed())
            return interval;
        if (c.AnnualDay == 0 && c.AnnualWeek == 0 && c.AnnualWeekday == 0)
            return {"Vyberte den opakování.", "select8AnnuallyDayInMonth"};
        return {};
    default:
        return {};
    }
}

std::string RecurrencePreviewText(const TNTime& begin, const std::vector<TNRecurrenceEntry>& occurrences)
{
    if (occurrences.empty())
        return {};
    const bool withTime = begin.Hodina != TNTime::NoTime;
    std::vector<PreviewEntry> entries;
    entries.push_back(
        {WeekdayOf(begin.Rok, begin.Mesic, begin.Den), begin.Den, begin.Mesic, begin.Rok, begin.Hodina, begin.Minuta});
    for (const TNRecurrenceEntry& o : occurrences)
        entries.push_back({o.Weekday, o.Day, o.Month, o.Year, o.Hour, o.Minute});
    std::string text;
    for (size_t i = 0; i < entries.size(); ++i) {
        text += PreviewEntryText(entries[i], withTime);
        if (i + 1 < entries.size())
            text += (i + 1) % 3 == 0 ? "\n" : " ";
    }
    return text;
}
