// Runs under Xvfb (CTest label "xvfb"): the signed-in program's Notes and
// Tasks pages used with the mouse and the keyboard as a user would, and what
// the run stored read back after it ended.
#include "model/pim.h"
#include "model/records.h"
#include "model/tags.h"
#include "platform/testing/gui_harness.h"
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using namespace real_program;

// Places in the main window's client area (1240 x 984 on the test's screen):
// the control bar's column, the Notes list's add button, the note editor
// and the Tasks page's tag buttons.
constexpr plat::TPoint kNotesControl{52, 366};
constexpr plat::TPoint kTasksControl{52, 289};
constexpr plat::TPoint kNotesAdd{600, 122};
constexpr plat::TPoint kEditor{900, 400};
constexpr plat::TPoint kShoppingTag{490, 264};
constexpr plat::TPoint kHomeTag{490, 292};
// A point of a tag button away from its caption.
constexpr int kButtonEdge = 372;

class PagesOnScreen : public RealProgramOnScreen {
protected:
    void Click(const ScreenWindow& main, plat::TPoint at)
    {
        ASSERT_TRUE(ClickAt(main.area.Left + at.x, main.area.Top + at.y));
    }
    int Logged(const std::string& line) { return Count(ProgramLog(), line); }
    std::string TitleLines() const
    {
        std::string lines;
        const std::string log = ProgramLog();
        for (size_t at = log.find("Title: "); at != std::string::npos; at = log.find("Title: ", at + 1))
            lines += log.substr(at, log.find('\n', at) - at) + "\n";
        return lines;
    }
};

TEST_F(PagesOnScreen, ANoteTypedOnTheNotesPageAndATagChosenOnTheTasksPageAreStored)
{
    auto copy = StartSignedIn();
    const ScreenWindow main = FocusedMainWindow(copy->Pid());
    ASSERT_NE(main.id, 0u);

    Click(main, kNotesControl);
    ASSERT_TRUE(WaitForLog("[timerNotesAfterTagSelectTimer][END]", 1)) << "the Notes page did not fill";
    const int adds = Logged("[btnNotesListAddClick]");
    Click(main, kNotesAdd);
    ASSERT_TRUE(WaitForLog("[btnNotesListAddClick]", adds + 1)) << "the add button was not hit";
    Click(main, kEditor);
    ASSERT_TRUE(TypeText("Nakoupit do chaty"));
    ASSERT_TRUE(PressKeys("Return"));
    ASSERT_TRUE(TypeText("a zalit kytky"));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    ASSERT_TRUE(WaitForLog("[SaveEditedNote][END]", 1)) << "the note was not saved";

    Click(main, kTasksControl);
    ASSERT_TRUE(WaitForLog("[timerTasksAfterTagSelectTimer][BEGIN]", 1));
    Click(main, kShoppingTag);
    ASSERT_TRUE(WaitForLog("[btnTasksTagsClick][END]", 1)) << "the tag button was not hit";
    // The title counts the tag's one task (the log's letters aside).
    ASSERT_TRUE(testenv::WaitUntil([&] { return TitleLines().find("kup (1)") != std::string::npos; })) << TitleLines();
    // The selected button wears the active colours, its neighbour not.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const plat::TColor selected =
        plat::testing::ProbeScreen(main.area.Left + kButtonEdge, main.area.Top + kShoppingTag.y);
    const plat::TColor plain = plat::testing::ProbeScreen(main.area.Left + kButtonEdge, main.area.Top + kHomeTag.y);
    EXPECT_NE(selected, plain);

    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status)) << status;
    int notes = 0;
    std::string note;
    bool shoppingMarked = false;
    ReadStoredData([&](TNPIM& pim) {
        for (int32_t i = 0; i < pim.Records->Count; ++i) {
            const TNPIMRecord* record = pim.Records->Items[i];
            if (record == nullptr || record->PlainNote.Text == nullptr ||
                std::string(record->PlainNote.Text) != "Nakoupit do chaty\na zalit kytky")
                continue;
            ++notes;
            note = record->Note.Text != nullptr ? record->Note.Text : "";
        }
        for (int32_t i = 0; i < pim.Tags.Count; ++i) {
            const TNPIMTag* tag = pim.Tags.Items[i];
            if (tag != nullptr && tag->Title.Text != nullptr && std::string(tag->Title.Text) == "Nákup")
                shoppingMarked = tag->SelectedOnTasksPage;
        }
    });
    EXPECT_EQ(notes, 1);
    EXPECT_EQ(note, "Nakoupit do chaty<br />a zalit kytky");
    EXPECT_TRUE(shoppingMarked);
}

} // namespace
