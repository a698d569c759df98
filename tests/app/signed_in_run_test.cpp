// The delivered program, signed in automatically for a remembered account
// against the test service on loopback, ended and shown from outside: by the
// closing utility, by SIGTERM, by its window's close and by a second copy.
#include "tests/app/real_program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace real_program;
using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kChangedRecord = 9001;
constexpr const char* kChangedText = "Zmeneno jinde";
constexpr const char* kChangedTextInQuery = "Zmeneno%20jinde";
constexpr const char* kHeldRequest = "[TOnline::onlineSynchronise] Calling Sync2UsersOrganizers";

int64_t MillisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

// A file's identity and last change: an atomic rewrite changes the one or
// the other (a freed inode number may come back). Zeros when missing.
struct FileVersion {
    ino_t inode = 0;
    timespec changed{};
    bool operator==(const FileVersion& other) const
    {
        return inode == other.inode && changed.tv_sec == other.changed.tv_sec &&
               changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileVersion VersionOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    return {info.st_ino, info.st_mtim};
}

class SignedInRun : public RealProgram {
protected:
    // Another party changes a record on the service; waits until a pass of
    // the program has downloaded it and ended.
    void ChangeOnTheServiceAndWaitForTheDownload()
    {
        const int changesBefore = Count(ProgramLog(), kRecordsChanged);
        ASSERT_EQ(Get(baseUrl_ + "/__test/sync/change?type=1&id=" + std::to_string(kChangedRecord) +
                      "&Text=" + kChangedTextInQuery),
                  "changed\n");
        ASSERT_TRUE(WaitForLog(kRecordsChanged, changesBefore + 1)) << ProgramLog();
        const std::string log = ProgramLog();
        const size_t downloaded = log.rfind(kRecordsChanged);
        ASSERT_TRUE(testenv::WaitUntil([&] { return ProgramLog().find(kPassEnd, downloaded) != std::string::npos; }));
    }

    // The files the end of the run must rewrite, as they are now.
    struct Written {
        FileVersion users;
        FileVersion settings;
    };
    Written WrittenNow() const { return {VersionOf(UsersListPath()), VersionOf(SettingsPath())}; }

    // The end of a signed-in run: exit status 0 with the close's END line,
    // after it only the end of the process, the change in the data file and
    // the settings and the user list written anew.
    void ExpectAnOrderlyEnd(int status, const Written& before)
    {
        EXPECT_TRUE(ExitedWithZero(status)) << status;
        const std::string log = ProgramLog();
        EXPECT_EQ(Count(log, kEndLine), 1) << log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
        EXPECT_NE(log.find("[g.OdhlasUzivatele][BEGIN] closing_application = 1"), std::string::npos);
        // After it only the window and the program's objects go.
        const std::vector<std::string> after = LinesAfterTheEnd();
        ASSERT_FALSE(after.empty());
        EXPECT_NE(after.back().find(kLastLine), std::string::npos) << after.back();
        for (const std::string& line : after) {
            const bool teardown =
                line.find("Destroy]") != std::string::npos || line.find("[TNPIMRecords::Resize]") != std::string::npos;
            EXPECT_TRUE(teardown) << "logged after the END line: " << line;
        }
        const Written written = WrittenNow();
        EXPECT_FALSE(written.users == before.users) << "the user list was written";
        EXPECT_FALSE(written.settings == before.settings) << "the settings were written";
        EXPECT_NE(written.settings.inode, 0u);
        EXPECT_EQ(StoredRecordText(kChangedRecord), kChangedText);
    }
};

TEST_F(SignedInRun, TheDemoAlertDueAMinuteAfterTheStartOpensItsWindowInTime)
{
    // The service started in SetUp; its first alert falls due a minute later.
    const auto start = SteadyClock::now();
    auto copy = StartSignedIn();
    ASSERT_TRUE(WaitForLog("]][BringToFront]", 1, 90000 - static_cast<int>(MillisecondsSince(start)))) << ProgramLog();
    EXPECT_LT(MillisecondsSince(start), 90000);
    EXPECT_NE(ProgramLog().find("ApiReq=get%2Dalert%2Don%2Ddisplay%2Dstatus"), std::string::npos);
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status));
}

TEST_F(SignedInRun, TheClosingUtilityEndsItWithEverythingSaved)
{
    auto copy = StartSignedIn();
    ChangeOnTheServiceAndWaitForTheDownload();
    const Written before = WrittenNow();

    const auto start = SteadyClock::now();
    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 1000));
    EXPECT_LT(MillisecondsSince(start), 6000);
    ExpectAnOrderlyEnd(status, before);
}

TEST_F(SignedInRun, APassThatOutlastsTheClosingUtilityLosesNothingSaved)
{
    auto copy = StartSignedIn();
    ChangeOnTheServiceAndWaitForTheDownload();
    const Written before = WrittenNow();
    // The service now holds every pass longer than the utility waits. The
    // window's close hides it and starts a pass, which the exit then waits
    // for (the utility's own close may start it as well).
    const int passesBefore = Count(ProgramLog(), kHeldRequest);
    ASSERT_EQ(Get(baseUrl_ + "/__test/api-fault?name=get-users-organizers&kind=delay&ms=20000&times=always"), "done\n");
    SendClose();
    ASSERT_TRUE(WaitForLog(kHeldRequest, passesBefore + 1));

    EXPECT_TRUE(ExitedWithZero(RunClosingUtility()));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 1000));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the utility ended it: " << status;
    EXPECT_EQ(Count(ProgramLog(), kEndLine), 0);
    EXPECT_NE(ProgramLog().find("[FormCloseQuery][RETURN] Closing; waiting for the online thread."), std::string::npos);

    const Written written = WrittenNow();
    EXPECT_FALSE(written.users == before.users) << "the user list was written";
    EXPECT_FALSE(written.settings == before.settings) << "the settings were written";
    EXPECT_EQ(StoredRecordText(kChangedRecord), kChangedText);
}

TEST_F(SignedInRun, SigtermEndsItWithEverythingSaved)
{
    auto copy = StartSignedIn();
    ChangeOnTheServiceAndWaitForTheDownload();
    const Written before = WrittenNow();

    const auto start = SteadyClock::now();
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_LT(MillisecondsSince(start), 6000);
    ExpectAnOrderlyEnd(status, before);
}

TEST_F(SignedInRun, TheCloseButtonHidesItAndASecondCopyShowsItAgain)
{
    auto copy = StartSignedIn();
    SendClose();
    EXPECT_TRUE(WaitForLog("[FormCloseQuery][END] CanClose = 0", 1));
    // Offscreen there is no tray to hide in: the window goes to the task bar.
    EXPECT_NE(LogFrom("[FormCloseQuery][BEGIN]").find("[TrayIcon::HideApplication]"), std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int status = 0;
    EXPECT_FALSE(copy->Wait(status, 0)) << "it runs on";
    EXPECT_EQ(Count(ProgramLog(), "[FormClose][BEGIN]"), 0);

    // A second copy shows it and ends.
    testenv::Child second;
    ASSERT_TRUE(second.Spawn({program_}));
    ASSERT_TRUE(second.Wait(status, 3000));
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_TRUE(WaitForLog("[RestoreMainWindow] wmRestoreMainWindow received.", 1));
    // Brought to the front, which only a visible window is.
    EXPECT_TRUE(testenv::WaitUntil([&] {
        return LogFrom("[RestoreMainWindow]").find("[TfrmMainDLMR1::SetMainWindowAsForeground][BringToFront]") !=
               std::string::npos;
    }));
    EXPECT_FALSE(copy->Wait(status, 0)) << "the first copy runs on";

    ASSERT_TRUE(copy->Signal(SIGTERM));
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status));
}

} // namespace
