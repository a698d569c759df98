#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <memory>
#include <vector>

// One entry of the name-day table: a name, a public holiday or a notable day.
struct TNDayName {
    static constexpr int32_t kMaleName = 1;
    static constexpr int32_t kFemaleName = 2;
    static constexpr int32_t kPublicHoliday = 5;
    static constexpr int32_t kNotableDay = 7;

    int32_t Day = 0;
    int32_t Month = 0;
    int32_t Kind = 0;
    TNString Text;
};

// A search hit dated in the searched year. The search page turns it into a
// record with no time; Category is the record's category value.
struct TNDayNameMatch {
    int32_t Day = 0;
    int32_t Month = 0;
    int32_t Year = 0;
    int32_t Kind = 0;
    int32_t Category = 0;
    TNString Text;
};

// The Czech name days, public holidays and notable days of every date. The
// table holds the fixed dates; Good Friday and Easter Monday are computed
// for the year asked about. Filled once before any reader runs; afterwards
// reads from several threads are safe.
class TNDayNames {
public:
    static constexpr int32_t kCategoryName = 20;
    static constexpr int32_t kCategoryPublicHoliday = 30;
    static constexpr int32_t kCategoryNotableDay = 31;

    TNDayNames() = default;
    TNDayNames(const TNDayNames&) = delete;
    TNDayNames& operator=(const TNDayNames&) = delete;

    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // Null for an index outside the table.
    const TNDayName* Item(int32_t index) const;

    // Grows or shrinks to n entries (new ones empty); n <= 0 frees the table.
    bool Resize(int32_t n);
    bool Add(int32_t month, int32_t day, int32_t kind, const char* text);
    // Replaces the table with the built-in calendar.
    bool FillDayNames();

    // Every text of the date in table order, the movable holidays of `year`
    // after the fixed entries, joined with ", "; empty when there is none.
    bool GetDayNamesText(int32_t month, int32_t day, int32_t year, TNString* out) const;

    // The entry's text contains `text`, ignoring A-Z case and diacritics.
    static bool SearchInDayName(const TNDayName* entry, const char* text);
    // Every matching entry dated in `year`, in calendar order. Entries whose
    // date does not exist in that year (29 February) are skipped.
    bool SearchDayNames(const char* text, int32_t year, std::vector<TNDayNameMatch>& out) const;
    // The same in the current year.
    bool SearchDayNames(const char* text, std::vector<TNDayNameMatch>& out) const;

private:
    std::vector<std::unique_ptr<TNDayName>> items_;
};

// The program's one name-day table, filled on first use (the main window's
// construction asks for it before any page or job reads it).
const TNDayNames& ProgramDayNames();
