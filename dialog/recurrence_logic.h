#pragma once

// The recurrence page's rules without controls: the choosers' entries and
// the rule fields they stand for, the page's presets from a record and
// today, which components a frequency and range show, the rule the
// components give, the checks of OK and the preview's text.

#include "dialog/record_editor_logic.h"
#include "model/record.h"

#include <cstdint>
#include <string>
#include <vector>

class TNTime;

// The page's values, one per component (indexes of the lists and
// choosers, texts of the number edits). Default-constructed it is what a
// page without components gives: every value cleared.
struct TNRecurrenceComponents {
    int32_t Frequency = 0;
    int32_t Range = 0;
    std::string Count;
    // Only the date is used.
    TNEditorDate EndDate;
    std::string HourlyHours;
    std::string HourlyMinutes;
    std::string Daily;
    std::string Weekly;
    // Monday .. Sunday.
    bool WeeklyDays[7] = {};
    std::string Monthly;
    int32_t MonthlyDay = 0;
    int32_t MonthlyWeek = 0;
    int32_t MonthlyWeekday = 0;
    std::string Annually;
    int32_t AnnualDay = 0;
    // Month choosers hold the month's index, 0 for January.
    int32_t AnnualDayMonth = 0;
    int32_t AnnualWeek = 0;
    int32_t AnnualWeekday = 0;
    int32_t AnnualWeekMonth = 0;

    bool operator==(const TNRecurrenceComponents&) const = default;
};

// Day-of-month chooser: entries 0-28 are the days themselves, 29-32 the
// days counted from the month's end (96-99).
int32_t RecurrenceDayValue(int32_t index);
int32_t RecurrenceDayIndex(int32_t value);
// Week chooser: entries 0-4 as they stand, 5 ("Poslední") the last (99).
int32_t RecurrenceWeekValue(int32_t index);
int32_t RecurrenceWeekIndex(int32_t value);

// The choosers' entries.
std::vector<std::string> RecurrenceFrequencyEntries(bool hasTime);
std::vector<std::string> RecurrenceRangeEntries();
std::vector<std::string> RecurrenceMonthlyDayEntries();
std::vector<std::string> RecurrenceAnnualDayEntries();
std::vector<std::string> RecurrenceWeekEntries();
std::vector<std::string> RecurrenceWeekdayEntries();
std::vector<std::string> RecurrenceMonthEntries();

// Today as the presets use it.
struct TNRecurrenceToday {
    int32_t Year = 0;
    int32_t Month = 0;
    int32_t Day = 0;
    // 1 Monday .. 7 Sunday.
    int32_t Weekday = 0;
};

// What the page shows when it opens: the defaults from today, then the
// rule of the record when there is one. A step, count or interval of 0
// keeps the default, and the hourly step is the record's only on an hourly
// rule (a record that never had one holds noon there).
TNRecurrenceComponents RecurrencePresets(const TNPIMRecord* record, const TNRecurrenceToday& today);

// The components a frequency and range show and the settings label's text.
struct TNRecurrenceShown {
    std::vector<std::string> Visible;
    std::string SettingsText;
};
TNRecurrenceShown RecurrenceShownComponents(int32_t frequency, int32_t range);
// Every component whose visibility the frequency and range decide.
const std::vector<std::string>& RecurrenceSwitchedComponents();
// The settings label's hint when the record does not repeat.
const char* RecurrenceNoFrequencyHint();

// Clears the rule of the record and writes the one of the components, then
// its settings text. A frequency of 0 leaves the rule cleared.
void WriteRecurrenceRule(TNPIMRecord& record, const TNRecurrenceComponents& components);

// The checks of OK on the rule the components give; an empty Text passes.
// Focus names the component to focus.
struct TNRecurrenceCheck {
    std::string Text;
    std::string Focus;
    bool Passed() const { return Text.empty(); }
};
TNRecurrenceCheck CheckRecurrenceRule(const TNRecurrenceComponents& components);

// The preview: the record's own begin, then each occurrence, as weekday,
// date and (for a record with a time) the time; three entries to a line.
// Empty without occurrences.
std::string RecurrencePreviewText(const TNTime& begin, const std::vector<TNRecurrenceEntry>& occurrences);
