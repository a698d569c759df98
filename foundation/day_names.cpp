#include "foundation/day_names.h"

#include "foundation/civil_date.h"
#include "foundation/day_names_data.h"
#include "foundation/log.h"
#include "foundation/time.h"

#include <algorithm>
#include <new>

namespace {

constexpr const char* kGoodFriday = "Velký pátek";
constexpr const char* kEasterMonday = "Velikonoční pondělí";

struct MonthDay {
    int32_t Month;
    int32_t Day;
    bool operator==(const MonthDay&) const = default;
    auto operator<=>(const MonthDay&) const = default;
};

struct MovableHoliday {
    MonthDay Date;
    const char* Text;
};

// Good Friday and Easter Monday of the year, in date order.
std::vector<MovableHoliday> MovableHolidays(int32_t year)
{
    const civil::Date easter = civil::EasterSunday(year);
    const int64_t sunday = civil::DaysFromCivil(year, easter.Month, easter.Day);
    auto dayAt = [](int64_t days) {
        const civil::Date date = civil::CivilFromDays(days);
        return MonthDay{date.Month, date.Day};
    };
    return {{dayAt(sunday - 2), kGoodFriday}, {dayAt(sunday + 1), kEasterMonday}};
}

int32_t CategoryOf(int32_t kind)
{
    switch (kind) {
    case TNDayName::kMaleName:
    case TNDayName::kFemaleName:
        return TNDayNames::kCategoryName;
    case TNDayName::kPublicHoliday:
        return TNDayNames::kCategoryPublicHoliday;
    case TNDayName::kNotableDay:
        return TNDayNames::kCategoryNotableDay;
    default:
        return 0;
    }
}

bool AppendJoined(TNString* out, const char* text)
{
    if (!out->IsEmpty() && !out->Append(", "))
        return false;
    return out->Append(text);
}

TNDayNameMatch MakeMatch(MonthDay date, int32_t year, int32_t kind, const char* text)
{
    TNDayNameMatch match;
    match.Day = date.Day;
    match.Month = date.Month;
    match.Year = year;
    match.Kind = kind;
    match.Category = CategoryOf(kind);
    match.Text.Set(text);
    return match;
}

} // namespace

const TNDayName* TNDayNames::Item(int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

bool TNDayNames::Resize(int32_t n)
{
    try {
        if (n <= 0) {
            items_.clear();
            items_.shrink_to_fit();
            return true;
        }
        size_t wanted = static_cast<size_t>(n);
        if (wanted < items_.size()) {
            items_.resize(wanted);
            return true;
        }
        items_.reserve(wanted);
        while (items_.size() < wanted)
            items_.push_back(std::make_unique<TNDayName>());
        return true;
    } catch (const std::bad_alloc&) {
        LogText("[TNDayNames::Resize][ERROR]");
        return false;
    }
}

bool TNDayNames::Add(int32_t month, int32_t day, int32_t kind, const char* text)
{
    int32_t index = Count();
    if (!Resize(index + 1))
        return false;
    TNDayName& entry = *items_[static_cast<size_t>(index)];
    entry.Day = day;
    entry.Month = month;
    entry.Kind = kind;
    if (!entry.Text.Set(text)) {
        Resize(index);
        return false;
    }
    return true;
}

bool TNDayNames::FillDayNames()
{
    Resize(0);
    for (const TNDayNameSeed& seed : DayNameSeeds()) {
        if (!Add(seed.Month, seed.Day, seed.Kind, seed.Text))
            return false;
    }
    return true;
}

bool TNDayNames::GetDayNamesText(int32_t month, int32_t day, int32_t year, TNString* out) const
{
    if (out == nullptr)
        return false;
    out->Set("");
    for (const auto& entry : items_) {
        if (entry->Month == month && entry->Day == day && !AppendJoined(out, entry->Text.Text))
            return false;
    }
    for (const MovableHoliday& holiday : MovableHolidays(year)) {
        if (holiday.Date == MonthDay{month, day} && !AppendJoined(out, holiday.Text))
            return false;
    }
    return true;
}

bool TNDayNames::SearchInDayName(const TNDayName* entry, const char* text)
{
    if (entry == nullptr)
        return false;
    // Find records its result in the string, so search a copy: the table
    // is shared by the threads that read it.
    TNString haystack(entry->Text);
    haystack.Find(text, 0, 0, false, false, true);
    return haystack.Found == 1;
}

bool TNDayNames::SearchDayNames(const char* text, int32_t year, std::vector<TNDayNameMatch>& out) const
{
    out.clear();
    for (const auto& entry : items_) {
        if (!civil::IsValidDate(year, entry->Month, entry->Day) || !SearchInDayName(entry.get(), text))
            continue;
        out.push_back(MakeMatch({entry->Month, entry->Day}, year, entry->Kind, entry->Text.Text));
    }
    // The movable holidays follow the fixed entries of their own day.
    for (const MovableHoliday& holiday : MovableHolidays(year)) {
        TNDayName probe;
        probe.Text.Set(holiday.Text);
        if (!SearchInDayName(&probe, text))
            continue;
        auto after = std::find_if(out.begin(), out.end(), [&](const TNDayNameMatch& match) {
            return MonthDay{match.Month, match.Day} > holiday.Date;
        });
        out.insert(after, MakeMatch(holiday.Date, year, TNDayName::kPublicHoliday, holiday.Text));
    }
    return true;
}

bool TNDayNames::SearchDayNames(const char* text, std::vector<TNDayNameMatch>& out) const
{
    TNTime today;
    today.SetToday();
    return SearchDayNames(text, today.Rok, out);
}

const TNDayNames& ProgramDayNames()
{
    // Never freed: jobs may still read it while the program ends.
    static const TNDayNames* table = [] {
        auto* names = new TNDayNames();
        names->FillDayNames();
        return names;
    }();
    return *table;
}
