#include "dialog/record_editor_logic.h"

#include "foundation/local_ids.h"
#include "foundation/time.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace {

constexpr int32_t kNoTime = TNTime::NoTime;
constexpr int32_t kDefaultLength = 15;
constexpr int32_t kMaxTextCharacters = 1024;
constexpr int64_t kSecondsPerDay = 86400;

TNTime ToTime(const TNEditorDate& value)
{
    TNTime time;
    time.Rok = static_cast<uint16_t>(value.Year);
    time.Mesic = static_cast<uint16_t>(value.Month);
    time.Den = static_cast<uint16_t>(value.Day);
    time.Hodina = static_cast<uint16_t>(value.HasTime ? value.Hour : kNoTime);
    time.Minuta = static_cast<uint16_t>(value.HasTime ? value.Minute : 0);
    time.Sekunda = 0;
    return time;
}

bool Complete(const TNEditorDate& value)
{
    return value.HasDate && value.HasTime;
}

// Days between two dates, by their local midnights (summer time shifts
// an hour at most).
int64_t WholeDaysBetween(const TNEditorDate& from, const TNEditorDate& to)
{
    const int64_t a = EditorTimestamp(TNEditorDate::DateOnly(from.Year, from.Month, from.Day));
    const int64_t b = EditorTimestamp(TNEditorDate::DateOnly(to.Year, to.Month, to.Day));
    const int64_t difference = b - a;
    return (difference + (difference >= 0 ? kSecondsPerDay / 2 : -kSecondsPerDay / 2)) / kSecondsPerDay;
}

TNEditorDate AddDays(const TNEditorDate& value, int64_t days)
{
    TNEditorDate moved = EditorDateAt(EditorTimestamp(value) + days * kSecondsPerDay + kSecondsPerDay / 2);
    moved.HasTime = value.HasTime;
    moved.Hour = value.HasTime ? value.Hour : 0;
    moved.Minute = value.HasTime ? value.Minute : 0;
    return moved;
}

size_t Utf8Length(const std::string& text)
{
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

TNEditorCheck Refusal(const char* caption, const char* text, TNEditorFocus focus)
{
    return TNEditorCheck{caption, text, focus};
}

void AppendTicked(std::string& out, const char* name, const std::vector<TNShareEntry>& entries)
{
    bool first = true;
    for (const TNShareEntry& entry : entries) {
        if (entry.Checked == 0)
            continue;
        if (first)
            out += name;
        first = false;
        out += std::to_string(entry.Id) + ";";
    }
}

} // namespace

TNEditorDate TNEditorDate::DateOnly(int32_t year, int32_t month, int32_t day)
{
    return TNEditorDate{true, false, year, month, day, 0, 0};
}

TNEditorDate TNEditorDate::At(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute)
{
    return TNEditorDate{true, true, year, month, day, hour, minute};
}

void EditorDateToRecordTime(const TNEditorDate& value, bool& has, TNTime& time)
{
    has = value.HasDate;
    if (!value.HasDate) {
        time.Rok = time.Mesic = time.Den = 0;
        time.Hodina = TNTime::NoTime;
        time.Minuta = 0;
        return;
    }
    time.SetDate(value.Day, value.Month, value.Year);
    time.NastavCas(static_cast<uint16_t>(value.HasTime ? value.Hour : TNTime::NoTime),
                   static_cast<uint16_t>(value.HasTime ? value.Minute : 0));
    time.GetTimestamp();
}

TNEditorDate EditorDateFromRecordTime(bool has, const TNTime& time)
{
    if (!has)
        return {};
    if (time.Hodina == TNTime::NoTime)
        return TNEditorDate::DateOnly(time.Rok, time.Mesic, time.Den);
    return TNEditorDate::At(time.Rok, time.Mesic, time.Den, time.Hodina, time.Minuta);
}

TNClickedTimes EditorTimesFromDayClick(const TNEditorDate& day, int32_t hour, int32_t minute, int32_t nowHour,
                                       int32_t nowMinute)
{
    constexpr int32_t kNoClickedMinute = -999;
    if (minute == kNoClickedMinute) {
        hour = nowHour;
        minute = nowMinute;
    }
    minute -= minute % 15;
    TNClickedTimes times;
    times.Begin = TNEditorDate::At(day.Year, day.Month, day.Day, hour, minute);
    times.End = EditorAddMinutes(times.Begin, 60);
    return times;
}

TNEditorPageWidth EditorPageWidth(int32_t available, bool hasPicture)
{
    constexpr int32_t kSideColumns = 795;
    constexpr int32_t kMinPictureColumn = 16;
    TNEditorPageWidth page{available, available - kSideColumns};
    if (hasPicture) {
        if (available >= 1160)
            page = {1160, 300};
    } else {
        for (int32_t width : {1050, 990, 950, 925}) {
            if (available >= width) {
                page = {width, 170};
                break;
            }
        }
    }
    page.PictureColumn = std::max(page.PictureColumn, kMinPictureColumn);
    return page;
}

int64_t EditorTimestamp(const TNEditorDate& value)
{
    if (!value.HasDate)
        return 0;
    TNTime time = ToTime(value);
    return time.GetTimestamp();
}

TNEditorDate EditorDateAt(int64_t timestamp)
{
    TNTime time;
    time.SetTimestamp(timestamp);
    return TNEditorDate::At(time.Rok, time.Mesic, time.Den, time.Hodina, time.Minuta);
}

int32_t EditorEventLength(const TNEditorDate& begin, const TNEditorDate& end)
{
    if (!begin.HasDate || !end.HasDate)
        return kDefaultLength;
    const int64_t minutes = (EditorTimestamp(end) - EditorTimestamp(begin)) / 60;
    if (begin.HasTime && end.HasTime)
        return static_cast<int32_t>(minutes);
    if (!begin.HasTime && !end.HasTime)
        return static_cast<int32_t>(minutes + 720);
    return kDefaultLength;
}

TNEditorDate EditorAddMinutes(const TNEditorDate& begin, int32_t minutes)
{
    return EditorDateAt(EditorTimestamp(begin) + int64_t{minutes} * 60);
}

TNEditorDate EditorEndAfterBeginMoved(const TNEditorDate& oldBegin, const TNEditorDate& newBegin,
                                      const TNEditorDate& end, int32_t lastLength)
{
    if (!end.HasDate || !newBegin.HasDate)
        return end;
    if (!end.HasTime) {
        if (!oldBegin.HasDate)
            return end;
        return AddDays(end, WholeDaysBetween(oldBegin, newBegin));
    }
    if (lastLength < 0)
        return end;
    return EditorAddMinutes(newBegin, lastLength);
}

TNLengthFieldState EditorLengthFieldState(const TNEditorDate& end, int32_t length)
{
    if (!end.HasDate || !end.HasTime)
        return {};
    return TNLengthFieldState{true, length <= 0};
}

std::string EditorNormalizedLength(const std::string& text, int32_t& value, bool& hasValue)
{
    value = 0;
    hasValue = !text.empty();
    if (!hasValue)
        return text;
    const char* first = text.data();
    const char* last = first + text.size();
    if (std::from_chars(first, last, value).ec != std::errc())
        value = 0;
    if (value < 0) {
        value = kDefaultLength;
        return "15";
    }
    return text;
}

std::string EditorHeading(const TNHeadingInput& input)
{
    struct Noun {
        const char* NewPrefix;
        const char* NewNoun;
        const char* EditNoun;
    };
    Noun noun{"Nový ", "záznam", "záznam"};
    const TNEditorDate& b = input.Begin;
    const TNEditorDate& e = input.End;
    if (input.Task)
        noun = {"Nový ", "úkol", "úkol"};
    else if (input.Type == 7)
        noun = {"Nové ", "výročí", "výročí"};
    else if (input.Type == 8)
        noun = {"Nové ", "narozeniny", "narozeniny"};
    else if (b.HasDate && b.HasTime && e.HasDate)
        noun = {"Nová ", "událost", "událost"};
    else if (b.HasDate && b.HasTime && !e.HasDate)
        noun = {"Nová ", "upomínka", "upomínku"};
    else if (b.HasDate && !b.HasTime && !e.HasTime)
        noun = {"Nová ", "poznámka ke dni", "poznámku ke dni"};
    const std::string sub = input.IsSubRecord ? "pod" : "";
    if (input.IsNew)
        return noun.NewPrefix + sub + noun.NewNoun;
    return "Upravit " + sub + noun.EditNoun;
}

TNTimeLogicResult EditorTimeChange(TNTimeChange change, const TNTimeLogicState& state)
{
    TNTimeLogicResult result;
    result.End = state.End;
    result.LastLength = state.LastLength;
    if (change == TNTimeChange::Begin) {
        result.End = EditorEndAfterBeginMoved(state.OldBegin, state.Begin, state.End, state.LastLength);
        result.EndChanged = !(result.End == state.End);
        return result;
    }
    int32_t typed = 0;
    bool hasTyped = false;
    std::string lengthText = EditorNormalizedLength(state.LengthText, typed, hasTyped);
    if (change == TNTimeChange::Length && hasTyped && state.LastLength > -1 && typed != state.LastLength) {
        result.End = EditorAddMinutes(state.Begin, typed);
        result.EndChanged = true;
        return result;
    }
    if ((!hasTyped || typed <= 0) && !state.End.HasDate && !state.End.HasTime)
        return result;
    if (state.LastLength < 0 && state.Begin.HasDate) {
        result.End = EditorAddMinutes(state.Begin, kDefaultLength);
        result.EndChanged = true;
    }
    const int32_t length = EditorEventLength(state.Begin, result.End);
    result.LengthRefreshed = true;
    result.LengthField = EditorLengthFieldState(result.End, length);
    result.LengthText = result.LengthField.Enabled ? std::to_string(length) : "";
    result.LastLength = length;
    return result;
}

TNTimeLogicResult EditorLengthTyped(const TNTimeLogicState& state)
{
    TNTimeLogicResult result;
    result.End = state.End;
    result.LastLength = state.LastLength;
    int32_t typed = 0;
    bool hasTyped = false;
    result.LengthText = EditorNormalizedLength(state.LengthText, typed, hasTyped);
    result.LengthRefreshed = true;
    result.LengthField = EditorLengthFieldState(state.End, typed);
    if (!result.LengthField.Enabled) {
        result.LengthText.clear();
        return result;
    }
    result.End = EditorAddMinutes(state.Begin, typed);
    result.EndChanged = !(result.End == state.End);
    return result;
}

std::string EditorTrimmedText(const std::string& text)
{
    const char* kBlank = " \t\r\n";
    const size_t first = text.find_first_not_of(kBlank);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

TNEditorCheck CheckEditorText(const std::string& text)
{
    const std::string trimmed = EditorTrimmedText(text);
    if (trimmed.empty())
        return Refusal("Vyplňte položku", "Položka \"Text\" není vyplněna!", TNEditorFocus::Text);
    if (Utf8Length(trimmed) > kMaxTextCharacters)
        return Refusal("Zkraťte položku", "Položka \"Text\" je příliš dlouhá.\nMaximální délka je 1024 znaků.",
                       TNEditorFocus::Text);
    return {};
}

TNEditorCheck CheckEditorTimes(const TNEditorDate& begin, const TNEditorDate& end)
{
    if (!begin.HasDate || !end.HasDate)
        return {};
    const bool sameDate = begin.Year == end.Year && begin.Month == end.Month && begin.Day == end.Day;
    if (EditorTimestamp(begin) > EditorTimestamp(end) && !(!end.HasTime && sameDate))
        return Refusal("Chyba", "Konec je nastaven na dřív, než Začátek!", TNEditorFocus::Text);
    if (Complete(begin) && Complete(end) && EditorEventLength(begin, end) <= 0)
        return Refusal("Chyba", "Událost musí mít nastavenu délku trvání na nejméně jednu minutu!",
                       TNEditorFocus::Text);
    return {};
}

TNEditorCheck CheckEditorSaveMode(bool recurring, int32_t index)
{
    if (recurring && index <= 0)
        return Refusal("Chyba", "Položka \"Uložení změn v opakovaném záznamu\" musí být vyplněna!",
                       TNEditorFocus::SaveMode);
    return {};
}

TNEditorCheck CheckEditorOrganizer(int32_t index, int32_t count)
{
    if (index < 0 || index >= count)
        return Refusal("Chyba", "Položka \"Kalendář\" musí být vyplněna!", TNEditorFocus::Organizer);
    return {};
}

int32_t EditorRecordType(int32_t type, const TNEditorDate& begin, const TNEditorDate& end, bool task)
{
    if (type != 2 && type != 7 && type != 8) {
        if (!begin.HasDate && !end.HasDate)
            type = 2;
        else if (begin.HasDate && !end.HasDate)
            type = begin.HasTime ? 6 : 9;
        else if (begin.HasDate)
            type = begin.HasTime ? 3 : 9;
    }
    return task ? 1 : type;
}

std::string EditorSharingParameters(const std::vector<TNShareEntry>& groups, const std::vector<TNShareEntry>& contacts)
{
    std::string out;
    AppendTicked(out, "&Sharing_Groups=", groups);
    AppendTicked(out, "&Sharing_Contacts=", contacts);
    return out;
}

std::string EditorRecordWebAddress(const std::string& protocol, const std::string& domain, uint32_t organizerId,
                                   uint32_t recordId)
{
    if (recordId == 0 || recordId >= kFirstLocalID)
        return "";
    return protocol + "://" + domain + "/kalendare/" + std::to_string(organizerId) + "/" + std::to_string(recordId) +
           "/";
}
