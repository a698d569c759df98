// Runs under Xvfb (CTest label "xvfb"): a new user of the signed-in program
// adds a task that repeats weekly, with the keyboard and the mouse, and the
// rule reaches the data file and the service.
//
// The places clicked are offsets in the dialogs' own pixels, as Xvfb lays
// them out with the program's fonts; each dialog opens at the same size.
#include "model/pim.h"
#include "model/records.h"
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>
#include <sstream>
#include <string>

namespace {

using namespace real_program;

// The record editor of a new task.
constexpr int kBeginSetX = 180, kBeginSetY = 339;
constexpr int kBeginYearX = 230;
constexpr int kRecurrenceX = 392, kRecurrenceY = 431;
constexpr int kEditorOkX = 989, kEditorOkY = 634;
// The recurrence page.
constexpr int kWeeklyX = 36, kWeeklyY = 189;
constexpr int kAfterCountX = 280, kAfterCountY = 133;
constexpr int kWeekdayBoxX = 496, kMondayBoxY = 175, kWeekdayRow = 22;
constexpr int kPageOkX = 779, kPageOkY = 494;

constexpr const char* kTaskText = "Beh v parku";

class RecurrenceOnScreen : public RealProgramOnScreen {
protected:
    static bool ClickIn(const ScreenWindow& window, int x, int y)
    {
        return ClickAt(window.area.Left + x, window.area.Top + y);
    }

    // The service's value of a record's field; empty when it has no such
    // record.
    std::string ServiceField(uint32_t id, const std::string& field)
    {
        std::istringstream listing(Get(baseUrl_ + "/__test/sync/items?type=1&field=" + field));
        for (std::string line; std::getline(listing, line);) {
            std::istringstream fields(line);
            uint32_t itemId = 0;
            long long changed = 0;
            int deleted = 0;
            fields >> itemId >> changed >> deleted;
            std::string value;
            std::getline(fields >> std::ws, value);
            if (itemId == id)
                return value;
        }
        return {};
    }

    // The service's id of the record with this text; 0 while it has none.
    uint32_t ServiceRecordWithText(const std::string& text)
    {
        std::istringstream listing(Get(baseUrl_ + "/__test/sync/items?type=1"));
        for (std::string line; std::getline(listing, line);) {
            if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0)
                return static_cast<uint32_t>(std::stoul(line));
        }
        return 0;
    }
};

TEST_F(RecurrenceOnScreen, ANewTaskRepeatsWeeklyOnMondayFiveTimes)
{
    auto copy = StartSignedIn();
    const pid_t pid = copy->Pid();
    ASSERT_NE(FocusedMainWindow(pid).id, 0u);

    // "Soubor", "Přidat úkol..." by the keyboard.
    std::set<uint64_t> before = IdsOf(VisibleWindowsOf(pid));
    ASSERT_TRUE(PressKeys("alt+s"));
    ScreenWindow menu;
    ASSERT_TRUE(WaitForNewWindow(pid, before, menu)) << "no menu opened";
    before = IdsOf(VisibleWindowsOf(pid));
    ASSERT_TRUE(PressKeys("Down"));
    ASSERT_TRUE(PressKeys("Return"));
    ScreenWindow editor;
    ASSERT_TRUE(WaitForNewWindow(pid, before, editor, "Nov")) << "no record editor opened";
    ASSERT_EQ(editor.area.Width(), 1050);

    // The text, then a begin: the setter's date, its year typed up to this
    // year's with the arrow key.
    ASSERT_TRUE(TypeText(kTaskText));
    ASSERT_TRUE(ClickIn(editor, kBeginSetX, kBeginSetY));
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    ASSERT_TRUE(ClickIn(editor, kBeginYearX, kBeginSetY));
    ASSERT_TRUE(Xdotool({"key", "--clearmodifiers", "--repeat", std::to_string(today.tm_year + 1900 - 1980), "Up"}));

    // The recurrence button opens the page over the editor.
    before = IdsOf(VisibleWindowsOf(pid));
    ASSERT_TRUE(ClickIn(editor, kRecurrenceX, kRecurrenceY));
    ScreenWindow page;
    ASSERT_TRUE(WaitForNewWindow(pid, before, page, "Opak")) << "the recurrence page did not open";
    ASSERT_EQ(page.area.Width(), 840);

    // "Týdně", "Ukončit po X opakováních" (5 offered), Monday only.
    ASSERT_TRUE(ClickIn(page, kWeeklyX, kWeeklyY));
    ASSERT_TRUE(ClickIn(page, kAfterCountX, kAfterCountY));
    const int todaysWeekday = (today.tm_wday + 6) % 7 + 1;
    if (todaysWeekday != 1) {
        ASSERT_TRUE(ClickIn(page, kWeekdayBoxX, kMondayBoxY + (todaysWeekday - 1) * kWeekdayRow));
    }
    ASSERT_TRUE(ClickIn(page, kWeekdayBoxX, kMondayBoxY));

    // OK in both dialogs.
    ASSERT_TRUE(ClickIn(page, kPageOkX, kPageOkY));
    ASSERT_TRUE(WaitUntilUnmapped(pid, page.id)) << "the recurrence page stayed open";
    before = IdsOf(VisibleWindowsOf(pid));
    ASSERT_TRUE(ClickIn(editor, kEditorOkX, kEditorOkY));
    // The demo's calendar is not ticked in the list: the save warns so.
    ScreenWindow warning;
    ASSERT_TRUE(WaitForNewWindow(pid, before, warning)) << "no warning shown";
    ASSERT_TRUE(FocusWindow(warning.id));
    ASSERT_TRUE(PressKeys("Return"));
    ASSERT_TRUE(WaitUntilUnmapped(pid, editor.id)) << "the editor stayed open";

    // The next pass takes the task and its rule to the service.
    uint32_t id = 0;
    ASSERT_TRUE(testenv::WaitUntil([&] { return (id = ServiceRecordWithText(kTaskText)) != 0; }, 60000))
        << "the task never reached the service";
    ASSERT_TRUE(testenv::WaitUntil([&] { return ServiceField(id, "RecurrenceFrequency") == "3"; }, 30000))
        << ServiceField(id, "RecurrenceFrequency");
    const std::string rule = ServiceField(id, "RecurrenceSettings");
    EXPECT_NE(rule.find("\"Count\":5"), std::string::npos) << rule;
    EXPECT_NE(rule.find("\"RepeatWeeklyDay1\":1"), std::string::npos) << rule;
    EXPECT_NE(rule.find("\"RepeatWeeklyDay2\":0"), std::string::npos) << rule;

    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    bool found = false;
    ReadStoredData([&](TNPIM& pim) {
        for (int32_t i = 0; i < pim.Records->Count; ++i) {
            // The series' occurrences, made by the service, carry the text too.
            TNPIMRecord& record = *pim.Records->Items[i];
            if (record.ID != id)
                continue;
            EXPECT_EQ(record.Text.View(), kTaskText);
            found = true;
            EXPECT_EQ(record.Type, 1);
            EXPECT_EQ(record.RecurrenceFrequency, 3);
            EXPECT_EQ(record.RepeatWeeklyDay1, 1);
            EXPECT_EQ(record.RepeatWeeklyDay5 + record.RepeatWeeklyDay7, 0);
            EXPECT_EQ(record.Range, 1);
            EXPECT_EQ(record.Count, 5);
            EXPECT_EQ(record.Begin.Rok, today.tm_year + 1900);
        }
    });
    EXPECT_TRUE(found) << "the task is not in the data file";
}

} // namespace
