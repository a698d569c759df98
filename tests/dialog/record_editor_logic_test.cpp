// The record editor's window-free rules: page size, time coupling, heading,
// save checks, record type, sharing parameters and the web address.

#include "dialog/record_editor_logic.h"

#include "foundation/common.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

class EditorLogicTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        tzset();
        TNCommon::SetTimeZoneOffset(TNCommon::SystemTimeZoneOffset());
    }
};

TNEditorDate At(int32_t day, int32_t hour, int32_t minute)
{
    return TNEditorDate::At(2026, 5, day, hour, minute);
}
TNEditorDate Day(int32_t day)
{
    return TNEditorDate::DateOnly(2026, 5, day);
}

TEST_F(EditorLogicTest, PageWidthFollowsTheScreenAndThePicture)
{
    struct Row {
        int32_t available;
        bool picture;
        int32_t width;
        int32_t column;
    };
    const Row rows[] = {
        {1280, false, 1050, 170}, {1000, false, 990, 170}, {960, false, 950, 170},  {930, false, 925, 170},
        {900, false, 900, 105},   {800, false, 800, 16},   {1280, true, 1160, 300}, {1100, true, 1100, 305},
    };
    for (const Row& row : rows) {
        const TNEditorPageWidth page = EditorPageWidth(row.available, row.picture);
        EXPECT_EQ(page.Width, row.width) << row.available << " " << row.picture;
        EXPECT_EQ(page.PictureColumn, row.column) << row.available << " " << row.picture;
    }
}

TEST_F(EditorLogicTest, TimeCouplingTable)
{
    struct Row {
        const char* name;
        TNTimeChange change;
        TNTimeLogicState state;
        TNEditorDate end;
        bool lengthRefreshed;
        const char* lengthText;
        int32_t lastLength;
    };
    const Row rows[] = {
        {"begin 10:00 -> 14:00 keeps one hour",
         TNTimeChange::Begin,
         {At(20, 14, 0), At(20, 11, 0), At(20, 10, 0), "60", 60},
         At(20, 15, 0),
         false,
         "",
         60},
        {"a reminder's begin moved keeps no end",
         TNTimeChange::Begin,
         {At(21, 9, 0), {}, At(20, 9, 0), "", 15},
         TNEditorDate{},
         false,
         "",
         15},
        {"date-only end moves by whole days",
         TNTimeChange::Begin,
         {Day(21), Day(22), Day(20), "", 2880},
         Day(23),
         false,
         "",
         2880},
        {"length 90 from 10:00",
         TNTimeChange::Length,
         {At(20, 10, 0), At(20, 11, 0), {}, "90", 60},
         At(20, 11, 30),
         false,
         "",
         60},
        {"first length shown is 15",
         TNTimeChange::End,
         {At(20, 10, 0), At(20, 10, 0), {}, "", -1},
         At(20, 10, 15),
         true,
         "15",
         15},
        {"end moved refreshes the length",
         TNTimeChange::End,
         {At(20, 10, 0), At(20, 12, 30), {}, "60", 60},
         At(20, 12, 30),
         true,
         "150",
         150},
        {"no end: length empty", TNTimeChange::Task, {At(20, 10, 0), {}, {}, "", 60}, TNEditorDate{}, false, "", 60},
    };
    for (const Row& row : rows) {
        const TNTimeLogicResult result = EditorTimeChange(row.change, row.state);
        EXPECT_EQ(result.End, row.end) << row.name;
        EXPECT_EQ(result.LengthRefreshed, row.lengthRefreshed) << row.name;
        EXPECT_EQ(result.LengthText, row.lengthText) << row.name;
        EXPECT_EQ(result.LastLength, row.lastLength) << row.name;
    }
}

TEST_F(EditorLogicTest, TypedLengthTable)
{
    struct Row {
        const char* typed;
        TNEditorDate end;
        const char* text;
        TNEditorDate newEnd;
        bool enabled;
        bool alert;
    };
    const Row rows[] = {
        {"90", At(20, 11, 0), "90", At(20, 11, 30), true, false},
        {"-5", At(20, 11, 0), "15", At(20, 10, 15), true, false},
        {"0", At(20, 11, 0), "0", At(20, 10, 0), true, true},
        {"30", Day(20), "", Day(20), false, false},
        {"30", {}, "", {}, false, false},
    };
    for (const Row& row : rows) {
        const TNTimeLogicResult result = EditorLengthTyped({At(20, 10, 0), row.end, {}, row.typed, 60});
        EXPECT_EQ(result.LengthText, row.text) << row.typed;
        EXPECT_EQ(result.End, row.newEnd) << row.typed;
        EXPECT_EQ(result.LengthField.Enabled, row.enabled) << row.typed;
        EXPECT_EQ(result.LengthField.Alert, row.alert) << row.typed;
    }
}

TEST_F(EditorLogicTest, EventLengthAcrossSummerTimeCountsRealMinutes)
{
    // 29.3.2026 loses an hour in Prague.
    EXPECT_EQ(EditorEventLength(TNEditorDate::At(2026, 3, 29, 1, 0), TNEditorDate::At(2026, 3, 29, 4, 0)), 120);
    EXPECT_EQ(EditorEventLength(Day(20), Day(22)), 2 * 1440 + 720);
    EXPECT_EQ(EditorEventLength(At(20, 10, 0), Day(22)), 15);
}

TEST_F(EditorLogicTest, DayClickTakesAQuarterHourForOneHour)
{
    struct Row {
        int32_t hour;
        int32_t minute;
        TNEditorDate begin;
        TNEditorDate end;
    };
    const Row rows[] = {
        {10, 37, At(20, 10, 30), At(20, 11, 30)},
        {10, 0, At(20, 10, 0), At(20, 11, 0)},
        {0, -999, At(20, 14, 45), At(20, 15, 45)},
        {23, 50, At(20, 23, 45), At(21, 0, 45)},
    };
    for (const Row& row : rows) {
        const TNClickedTimes times = EditorTimesFromDayClick(Day(20), row.hour, row.minute, 14, 52);
        EXPECT_EQ(times.Begin, row.begin) << row.hour << ":" << row.minute;
        EXPECT_EQ(times.End, row.end) << row.hour << ":" << row.minute;
        EXPECT_EQ(EditorEventLength(times.Begin, times.End), 60);
    }
}

TEST_F(EditorLogicTest, HeadingTable)
{
    struct Row {
        TNHeadingInput input;
        const char* heading;
    };
    const Row rows[] = {
        {{true, false, false, 3, {}, {}}, "Nový záznam"},
        {{true, false, true, 3, At(20, 10, 0), At(20, 11, 0)}, "Nový úkol"},
        {{true, true, true, 3, {}, {}}, "Nový podúkol"},
        {{false, false, true, 1, {}, {}}, "Upravit úkol"},
        {{true, false, false, 7, Day(20), {}}, "Nové výročí"},
        {{false, false, false, 8, Day(20), {}}, "Upravit narozeniny"},
        {{true, false, false, 3, At(20, 10, 0), At(20, 11, 0)}, "Nová událost"},
        {{true, false, false, 6, At(20, 10, 0), {}}, "Nová upomínka"},
        {{false, false, false, 6, At(20, 10, 0), {}}, "Upravit upomínku"},
        {{true, false, false, 9, Day(20), {}}, "Nová poznámka ke dni"},
        {{false, true, false, 9, Day(20), {}}, "Upravit podpoznámku ke dni"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(EditorHeading(row.input), row.heading);
}

TEST_F(EditorLogicTest, SaveChecksTable)
{
    const std::string exact(1024, 'a');
    struct Row {
        const char* name;
        TNEditorCheck check;
        const char* text;
        TNEditorFocus focus;
    };
    const Row rows[] = {
        {"blank text", CheckEditorText("   "), "Položka \"Text\" není vyplněna!", TNEditorFocus::Text},
        {"1024 characters", CheckEditorText(exact), "", TNEditorFocus::None},
        {"1024 characters with accents",
         CheckEditorText(std::string(512, 'a') +
                         [] {
                             std::string s;
                             for (int i = 0; i < 512; ++i)
                                 s += "č";
                             return s;
                         }()),
         "", TNEditorFocus::None},
        {"1025 characters", CheckEditorText(exact + "b"),
         "Položka \"Text\" je příliš dlouhá.\nMaximální délka je 1024 znaků.", TNEditorFocus::Text},
        {"date-only end on the begin's day", CheckEditorTimes(At(20, 14, 0), Day(20)), "", TNEditorFocus::None},
        {"end before begin", CheckEditorTimes(At(20, 14, 0), At(20, 13, 0)), "Konec je nastaven na dřív, než Začátek!",
         TNEditorFocus::Text},
        {"begin equals end", CheckEditorTimes(At(20, 14, 0), At(20, 14, 0)),
         "Událost musí mít nastavenu délku trvání na nejméně jednu minutu!", TNEditorFocus::Text},
        {"no end", CheckEditorTimes(At(20, 14, 0), {}), "", TNEditorFocus::None},
        {"series unchosen", CheckEditorSaveMode(true, 0),
         "Položka \"Uložení změn v opakovaném záznamu\" musí být vyplněna!", TNEditorFocus::SaveMode},
        {"series chosen", CheckEditorSaveMode(true, 1), "", TNEditorFocus::None},
        {"not a series", CheckEditorSaveMode(false, -1), "", TNEditorFocus::None},
        {"no organizer", CheckEditorOrganizer(-1, 3), "Položka \"Kalendář\" musí být vyplněna!",
         TNEditorFocus::Organizer},
        {"organizer past the list", CheckEditorOrganizer(3, 3), "Položka \"Kalendář\" musí být vyplněna!",
         TNEditorFocus::Organizer},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.check.Text, row.text) << row.name;
        EXPECT_EQ(row.check.Focus, row.focus) << row.name;
    }
    EXPECT_EQ(EditorTrimmedText("  Porada \n"), "Porada");
}

TEST_F(EditorLogicTest, RecordTypeFromDatesTable)
{
    struct Row {
        int32_t type;
        TNEditorDate begin;
        TNEditorDate end;
        bool task;
        int32_t expected;
    };
    const Row rows[] = {
        {3, {}, {}, false, 2},
        {3, Day(20), {}, false, 9},
        {3, At(20, 10, 0), {}, false, 6},
        {3, Day(20), At(21, 10, 0), false, 9},
        {6, At(20, 10, 0), At(20, 11, 0), false, 3},
        {3, At(20, 10, 0), {}, true, 1},
        {3, Day(20), {}, true, 1},
        {2, At(20, 10, 0), At(20, 11, 0), false, 2},
        {7, Day(20), {}, false, 7},
        {8, Day(20), {}, false, 8},
    };
    for (const Row& row : rows)
        EXPECT_EQ(EditorRecordType(row.type, row.begin, row.end, row.task), row.expected) << row.type;
}

TEST_F(EditorLogicTest, SharingParametersListOnlyTickedEntries)
{
    EXPECT_EQ(EditorSharingParameters({{3, 1}, {4, 0}, {5, 1}}, {{1000, 0}, {1001, 1}}),
              "&Sharing_Groups=3;5;&Sharing_Contacts=1001;");
    EXPECT_EQ(EditorSharingParameters({}, {{1001, 1}}), "&Sharing_Contacts=1001;");
    EXPECT_EQ(EditorSharingParameters({{3, 0}}, {{1001, 0}}), "");
}

TEST_F(EditorLogicTest, WebAddressOnlyForServiceIds)
{
    EXPECT_EQ(EditorRecordWebAddress("https", "demo.example", 501, 77), "https://demo.example/kalendare/501/77/");
    EXPECT_EQ(EditorRecordWebAddress("https", "demo.example", 501, 4200000001u), "");
}

} // namespace
