// The closing utility run inside the test against peer processes on the
// window bus. Its pauses go through a fake clock, so 21 passes cost no time.
#include "killer/closing_utility.h"
#include "platform/core/bus_wire.h"
#include "platform/core/own_processes.h"
#include "platform/core/runtime_folder.h"
#include "platform/testing/fake_clock.h"
#include "tests/killer/killer_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

int64_t MillisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

class ClosingUtility : public KillerFixture {
protected:
    TNKillerSettings Settings(int sendTimeoutMs = 2000) const
    {
        TNKillerSettings settings;
        settings.ExeName = programName_;
        settings.SendTimeoutMs = sendTimeoutMs;
        settings.EndingGraceMs = 100;
        return settings;
    }

    std::vector<int64_t> Pauses(size_t count) const { return std::vector<int64_t>(count, 250); }

    plat::testing::ScopedFakeClock clock_{0};
};

TEST_F(ClosingUtility, ClosesNestedDialogsTopmostFirstThenTheMainWindow)
{
    // Copy A has its main window and two nested dialogs; copy B's dialog came
    // last and is on top of them all. B's dialog closes on WM_CLOSE, so its
    // WM_QUERYENDSESSION finds it gone.
    auto a = StartPeer("copy-a", "A", {"TfrmMainDLMR1:query", "TfrmUnidlgDLMR1:query", "TfrmUnidlgDLMR1:query"});
    auto b = StartPeer("copy-b", "B", {"TfrmUnidlgDLMR1:close"});

    TNClosingUtility(Settings()).Run();

    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "B TfrmUnidlgDLMR1#1 16",
                              "A TfrmUnidlgDLMR1#3 16",
                              "A TfrmUnidlgDLMR1#3 17",
                              "A TfrmUnidlgDLMR1#2 16",
                              "A TfrmUnidlgDLMR1#2 17",
                              "A TfrmMainDLMR1#1 16",
                              "A TfrmMainDLMR1#1 17",
                          }));
    EXPECT_EQ(clock_->Sleeps(), Pauses(4)) << "one pause after each pass";
    EXPECT_TRUE(IsRunning(*a)) << "its name is not the program's";
    EXPECT_TRUE(IsRunning(*b));
}

TEST_F(ClosingUtility, AWindowThatDoesNotCloseIsSentToUntilItHangsOr21PassesAndItsProcessIsEnded)
{
    struct Case {
        const char* name;
        const char* behaviour;
        int sendTimeoutMs;
        // Passes per window and whether each pass carries both messages.
        int passes;
        bool pairs;
    };
    // A window that answers but stays gets the pair 21 times. One whose
    // process never answers lets its first send time out and is not sent to
    // again: its process is ended at once instead of after 21 waits.
    const Case cases[] = {{"answers", "stay", 2000, 21, true}, {"never answers", "silent", 200, 1, false}};
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        plat::RemoveFile(MessagesPath());
        std::string behaviour = row.behaviour;
        auto copy = StartPeer(programName_, "C", {"TfrmMainDLMR1:" + behaviour, "TfrmUnidlgDLMR1:" + behaviour});
        size_t pausesBefore = clock_->Sleeps().size();

        auto start = SteadyClock::now();
        TNClosingUtility(Settings(row.sendTimeoutMs)).Run();
        int64_t elapsed = MillisecondsSince(start);

        std::vector<std::string> expected;
        for (const char* window : {"C TfrmUnidlgDLMR1#2", "C TfrmMainDLMR1#1"}) {
            for (int pass = 0; pass < row.passes; ++pass) {
                expected.push_back(std::string(window) + " 16");
                if (row.pairs)
                    expected.push_back(std::string(window) + " 17");
            }
        }
        EXPECT_EQ(Messages(), expected);
        EXPECT_EQ(clock_->Sleeps().size() - pausesBefore, 2u * row.passes);
        EXPECT_TRUE(WasKilled(*copy));
        // Every send that waits, plus a grace wide enough for a loaded
        // machine yet far below one more send.
        int sends = 2 * row.passes * (row.pairs ? 2 : 1);
        EXPECT_LT(elapsed, sends * row.sendTimeoutMs + 1500);
    }
    EXPECT_EQ(clock_->Sleeps(), Pauses(44)) << "every pause is 250 ms";
}

TEST_F(ClosingUtility, AKilledCopysRegistrationCostsNoPassAndNoWait)
{
    auto live = StartPeer("copy-a", "A", {"TfrmMainDLMR1:query"});
    auto killed = StartPeer("copy-b", "B", {"TfrmUnidlgDLMR1:stay", "TfrmMainDLMR1:stay"});
    pid_t killedPid = killed->Pid();
    ASSERT_TRUE(killed->Signal(SIGKILL));
    ASSERT_TRUE(WasKilled(*killed));

    auto start = SteadyClock::now();
    TNClosingUtility(Settings()).Run();

    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"A TfrmMainDLMR1#1 16", "A TfrmMainDLMR1#1 17"}));
    EXPECT_EQ(clock_->Sleeps(), Pauses(1)) << "only the live window's pass";
    for (const std::string& name : plat::bus::FolderEntries(plat::BusFolder(false))) {
        plat::bus::EntryName entry;
        EXPECT_FALSE(plat::bus::ParseEntryName(name, entry) && entry.pid == killedPid) << name << " was left";
    }
}

TEST_F(ClosingUtility, WithoutAProcessListNothingIsEnded)
{
    auto copy = StartPeer(programName_, "C");
    plat::SetProcFolderForTest(root_ + "no-proc/");
    int walked = TNClosingUtility(Settings()).KillProcessesByExeName();
    plat::SetProcFolderForTest("");
    EXPECT_EQ(walked, 0);
    EXPECT_TRUE(IsRunning(*copy));

    EXPECT_EQ(TNClosingUtility(Settings()).KillProcessesByExeName(), 1);
    EXPECT_TRUE(WasKilled(*copy));
}

} // namespace
