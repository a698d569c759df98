#pragma once

// The record editor's rules that need no window: page size, the coupling
// of begin, end and length, the heading, the checks before a save, the
// record type from its dates, the sharing parameters and the web address.
// The page (unidlg_editrecord*.cpp) feeds them the values of its fields.

#include <cstdint>
#include <string>
#include <vector>

// One date field's value: a date or none, a time or none (hour 99 in the
// record).
struct TNEditorDate {
    bool HasDate = false;
    bool HasTime = false;
    int32_t Year = 0;
    int32_t Month = 0;
    int32_t Day = 0;
    int32_t Hour = 0;
    int32_t Minute = 0;

    static TNEditorDate DateOnly(int32_t year, int32_t month, int32_t day);
    static TNEditorDate At(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute);
    bool operator==(const TNEditorDate&) const = default;
};

struct TNEditorPageWidth {
    int32_t Width = 0;
    int32_t PictureColumn = 0;
};

// The page width and picture column for the screen's usable width.
TNEditorPageWidth EditorPageWidth(int32_t available, bool hasPicture);

// The record's time of a field's value: a date or zeros, hour 99 without a
// time; the timestamp recomputed.
class TNTime;
void EditorDateToRecordTime(const TNEditorDate& value, bool& has, TNTime& time);
TNEditorDate EditorDateFromRecordTime(bool has, const TNTime& time);

// Begin and end of a new record from a click in a day view: the minute
// rounded down to a quarter (minute -999: the current time), one hour long.
struct TNClickedTimes {
    TNEditorDate Begin;
    TNEditorDate End;
};
TNClickedTimes EditorTimesFromDayClick(const TNEditorDate& day, int32_t hour, int32_t minute, int32_t nowHour,
                                       int32_t nowMinute);

// Seconds since 1970 of a field's value in local time (00:00 without a
// time); 0 without a date.
int64_t EditorTimestamp(const TNEditorDate& value);
// The value at a timestamp, with a time.
TNEditorDate EditorDateAt(int64_t timestamp);
// Minutes from begin to end as the record keeps them: the plain difference
// with both times, that plus 720 with neither, 15 otherwise or without
// both dates.
int32_t EditorEventLength(const TNEditorDate& begin, const TNEditorDate& end);
// begin + minutes, always with a time.
TNEditorDate EditorAddMinutes(const TNEditorDate& begin, int32_t minutes);

// The end after the begin moved from `oldBegin` to `newBegin`. An empty end
// stays empty (a reminder keeps no end); a date-only end moves by the
// begin's whole days and keeps no time; a timed end follows the begin by
// `lastLength` minutes (none yet: unchanged).
TNEditorDate EditorEndAfterBeginMoved(const TNEditorDate& oldBegin, const TNEditorDate& newBegin,
                                      const TNEditorDate& end, int32_t lastLength);

// What the length field shows.
struct TNLengthFieldState {
    bool Enabled = false;
    // Red background: a length of 0 minutes or less.
    bool Alert = false;
};
TNLengthFieldState EditorLengthFieldState(const TNEditorDate& end, int32_t length);
// A typed length: empty stays empty ("" → no value), a negative one becomes
// "15"; `value` gets the number (0 for empty or unreadable text).
std::string EditorNormalizedLength(const std::string& text, int32_t& value, bool& hasValue);

// The heading of the page for what the record is becoming.
struct TNHeadingInput {
    bool IsNew = false;
    bool IsSubRecord = false;
    bool Task = false;
    int32_t Type = 0;
    TNEditorDate Begin;
    TNEditorDate End;
};
std::string EditorHeading(const TNHeadingInput& input);

// One pass of the begin/end/length coupling after a field changed.
enum class TNTimeChange { Begin, End, Length, Task };
struct TNTimeLogicState {
    TNEditorDate Begin;
    TNEditorDate End;
    // The begin before this change (for a begin change).
    TNEditorDate OldBegin;
    std::string LengthText;
    int32_t LastLength = -1;
};
struct TNTimeLogicResult {
    bool EndChanged = false;
    TNEditorDate End;
    // Set when the length field is refreshed.
    bool LengthRefreshed = false;
    std::string LengthText;
    TNLengthFieldState LengthField;
    int32_t LastLength = -1;
};
TNTimeLogicResult EditorTimeChange(TNTimeChange change, const TNTimeLogicState& state);
// The length field typed into: its text (a negative value becomes "15"),
// its state, and with an end, end = begin + the value.
TNTimeLogicResult EditorLengthTyped(const TNTimeLogicState& state);

// The checks before a save; an empty Text passes.
enum class TNEditorFocus { None, Text, SaveMode, Organizer };
struct TNEditorCheck {
    std::string Caption;
    std::string Text;
    TNEditorFocus Focus = TNEditorFocus::None;
    bool Passed() const { return Text.empty(); }
};
TNEditorCheck CheckEditorText(const std::string& text);
TNEditorCheck CheckEditorTimes(const TNEditorDate& begin, const TNEditorDate& end);
// `recurring`: the save-mode combo is on the page; index 0 is unchosen.
TNEditorCheck CheckEditorSaveMode(bool recurring, int32_t index);
TNEditorCheck CheckEditorOrganizer(int32_t index, int32_t count);
// The trimmed text the save keeps.
std::string EditorTrimmedText(const std::string& text);

// The record type the dates give, unless the type is 2, 7 or 8; a ticked
// task box makes it 1.
int32_t EditorRecordType(int32_t type, const TNEditorDate& begin, const TNEditorDate& end, bool task);

// One share-with entry: a group or contact id and whether it is ticked.
struct TNShareEntry {
    uint32_t Id = 0;
    uint8_t Checked = 0;
    bool operator==(const TNShareEntry&) const = default;
};
// "&Sharing_Groups=3;5;&Sharing_Contacts=1001;" for the ticked entries.
std::string EditorSharingParameters(const std::vector<TNShareEntry>& groups, const std::vector<TNShareEntry>& contacts);

// The record's page on the web; empty for a record the service does not
// know yet (a local id).
std::string EditorRecordWebAddress(const std::string& protocol, const std::string& domain, uint32_t organizerId,
                                   uint32_t recordId);
