// Runs copies of the built program in temporary folders, with HOME, the XDG
// folders and TMPDIR private to the test. Every wait is bounded.
#include "foundation/program_start.h"
#include "platform/core/bus_client.h"
#include "platform/core/codepage.h"
#include "platform/core/file.h"
#include "platform/core/identity.h"
#include "platform/core/instance_lock.h"
#include "platform/core/paths.h"
#include "tests/foundation/unusable_users_folder.h"
#include "tests/platform/process_fixture.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace {

using testing_support::ReadBytes;
using testing_support::ReadFixture;

using Clock = std::chrono::steady_clock;

constexpr const char* kRestoreLine = "[RestoreMainWindow] wmRestoreMainWindow received.";
constexpr const char* kLastLine = "[TNCommon::Destroy][LAST_LOG] Setting App.WriteLog to false.";

// ASCII text as little-endian 16-bit units.
std::string Units(const std::string& ascii)
{
    std::string bytes;
    for (char ch : ascii) {
        bytes.push_back(ch);
        bytes.push_back('\0');
    }
    return bytes;
}

int Count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

std::vector<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ExitedWithZero(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int64_t MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class ProgramRun : public testenv::PrivateEnvironment {
protected:
    // A copy of the program in root_/<name>/, with a development file when
    // one is given. Returns the folder, ending with '/'.
    std::string Install(const std::string& name, const char* development = nullptr)
    {
        std::string folder = root_ + name + "/";
        std::string program;
        EXPECT_TRUE(plat::CreateFolders(folder));
        EXPECT_TRUE(plat::ReadWholeFile(DALMORA_PROGRAM, program));
        EXPECT_TRUE(plat::WriteFileAtomically(folder + "dalmora1", program, 0755));
        if (development != nullptr) {
            EXPECT_TRUE(plat::WriteFileAtomically(folder + "development-version.txt", development));
        }
        return folder;
    }

    std::unique_ptr<testenv::Child> Start(const std::string& folder, std::vector<std::string> arguments = {},
                                          bool withStandardError = false)
    {
        arguments.insert(arguments.begin(), folder + "dalmora1");
        auto child = std::make_unique<testenv::Child>();
        EXPECT_TRUE(child->Spawn(arguments, withStandardError));
        return child;
    }

    // Runs a copy to its end; false when it did not end within `ms`.
    bool Run(const std::string& folder, const std::vector<std::string>& arguments, int& status, int ms = 3000)
    {
        auto child = Start(folder, arguments);
        return child->Wait(status, ms);
    }

    // Waits until a copy has registered its main window on the bus.
    bool WaitForMainWindow(const testenv::Child& child)
    {
        return testenv::WaitUntil([&] {
            for (const plat::BusWindow& window : plat::ListBusWindows("TfrmMainDLMR1")) {
                if (window.pid == child.Pid())
                    return true;
            }
            return false;
        });
    }

    std::string DataFolder(const std::string& producer) const { return root_ + "home/.local/share/" + producer + "/"; }

    // Every log file of the data folder, in name order.
    std::string Log(const std::string& producer = "Dalmora") const
    {
        std::string all;
        for (const std::string& name : Entries(DataFolder(producer))) {
            std::string text;
            if (name.rfind("log-", 0) == 0 && plat::ReadWholeFile(DataFolder(producer) + name, text))
                all += text;
        }
        return all;
    }

    bool WaitForLog(const std::string& needle, int times, const std::string& producer = "Dalmora")
    {
        return testenv::WaitUntil([&] { return Count(Log(producer), needle) >= times; });
    }

    std::string LockName(bool development = false) const
    {
        return std::string(development ? "DLMR1DEBUG_" : "DLMR1_") + plat::LoginName();
    }

    static bool LockIsFree(const std::string& name)
    {
        plat::InstanceLock probe;
        return probe.Acquire(name) == plat::InstanceLock::Result::Acquired;
    }
};

TEST_F(ProgramRun, SchtasksWritesTheTwoTaskFilesAndNothingElse)
{
    std::string folder = Install("prog");
    int status = 0;
    auto start = Clock::now();
    ASSERT_TRUE(Run(folder, {"-schtasks", "-autorun"}, status));
    EXPECT_LT(MillisecondsSince(start), 2000);
    EXPECT_TRUE(ExitedWithZero(status));

    for (const char* name : {"DalmoraAktualizace.xml", "DalmoraRestore.xml"}) {
        SCOPED_TRACE(name);
        std::string expected = ReadFixture(name);
        size_t at = expected.find(Units("/opt/dalmora/"));
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, Units("/opt/dalmora/").size(), Units(folder));
        EXPECT_EQ(ReadBytes(folder + name), expected);
    }
    EXPECT_TRUE(Entries(runtime_).empty()) << "no lock file, no bus";
    EXPECT_FALSE(plat::FileExists(root_ + "home/.local/share")) << "no data, no log";
}

TEST_F(ProgramRun, TaskFilesEscapeAndDecodeTheFolder)
{
    // "č" as the file system holds it, UTF-8 C4 8D.
    std::string folder = Install("a&b \xC4\x8D");
    int status = 0;
    ASSERT_TRUE(Run(folder, {"-schtasks"}, status));
    EXPECT_TRUE(ExitedWithZero(status));
    std::string bytes = ReadBytes(folder + "DalmoraRestore.xml");
    std::string command = Units("/a&amp;b ") + std::string("\x0D\x01", 2) + Units("/dalmora1\"</Command>");
    EXPECT_NE(bytes.find(command), std::string::npos);
}

TEST_F(ProgramRun, RestartWaitsThreeSecondsUnlessSchtasksComesFirst)
{
    std::string folder = Install("prog");
    int status = 0;
    auto start = Clock::now();
    ASSERT_TRUE(Run(folder, {"-schtasks", "restart"}, status));
    EXPECT_LT(MillisecondsSince(start), 2000);

    start = Clock::now();
    ASSERT_TRUE(Run(folder, {"restart", "-schtasks"}, status, 8000));
    EXPECT_GE(MillisecondsSince(start), 3000);
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_TRUE(plat::FileExists(folder + "DalmoraRestore.xml"));
}

TEST_F(ProgramRun, TheRestartPauseEndsSoonOnATerminationSignal)
{
    std::string folder = Install("prog");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        auto copy = Start(folder, {"restart"});
        // Well inside the 3 s pause, and past a sanitizer build's slower load.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ASSERT_TRUE(copy->Signal(signal));
        auto signalled = Clock::now();
        int status = 0;
        ASSERT_TRUE(copy->Wait(status, 10000));
        EXPECT_LT(MillisecondsSince(signalled), 1000);
        EXPECT_TRUE(ExitedWithZero(status)) << status;
        EXPECT_TRUE(Log().empty()) << "the run never began";
        EXPECT_TRUE(LockIsFree(LockName()));
    }
}

TEST_F(ProgramRun, WithoutADisplayTheWindowsRunOffscreen)
{
    unsetenv("QT_QPA_PLATFORM");
    auto copy = Start(Install("prog", "01"), {}, true);
    // Said before the log folder is known, so on standard error.
    ASSERT_TRUE(copy->ReadUntil("[GuiApplication] No display: windows are drawn offscreen"));
    ASSERT_TRUE(WaitForMainWindow(*copy));
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = 0;
    ASSERT_TRUE(copy->Wait(status, 10000));
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_NE(Log().find(kLastLine), std::string::npos);
}

TEST_F(ProgramRun, TheMainWindowStartsOnTheLoginPageWithItsFirstLines)
{
    auto copy = Start(Install("prog", "02"));
    ASSERT_TRUE(WaitForMainWindow(*copy));
    ASSERT_TRUE(WaitForLog("[gDeskPageChanged][END] gDesk->ActivePage = Login", 1)) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("[TfrmMainDLMR1] <APP-BEGIN> App.Random = "), std::string::npos);
    EXPECT_NE(log.find("[TfrmMainDLMR1::TfrmMainDLMR1] InstID = "), std::string::npos);
    const size_t name = log.find("[TfrmMainDLMR1] c.NetBIOSName = ");
    ASSERT_NE(name, std::string::npos);
    const size_t start = name + std::string("[TfrmMainDLMR1] c.NetBIOSName = ").size();
    const std::string host = log.substr(start, log.find_first_of("\r\n", start) - start);
    EXPECT_FALSE(host.empty());
    EXPECT_EQ(host.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << host;
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = 0;
    ASSERT_TRUE(copy->Wait(status, 10000));
    EXPECT_TRUE(ExitedWithZero(status));
}

TEST_F(ProgramRun, ASecondCopyRestoresTheFirstWhichTheRestoreTaskDoesAgain)
{
    std::string folder = Install("prog", "0x");
    auto first = Start(folder);
    ASSERT_TRUE(WaitForMainWindow(*first));

    int status = 0;
    auto start = Clock::now();
    ASSERT_TRUE(Run(folder, {}, status));
    EXPECT_LT(MillisecondsSince(start), 3000);
    EXPECT_TRUE(ExitedWithZero(status));
    // Once from the second copy, once from the "-restore" copy its task
    // started.
    EXPECT_TRUE(WaitForLog(kRestoreLine, 2)) << Log();

    // A second copy started with "-restore" restores once and starts
    // nothing that would restore again.
    ASSERT_TRUE(Run(folder, {"-restore"}, status));
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_TRUE(WaitForLog(kRestoreLine, 3));
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_EQ(Count(Log(), kRestoreLine), 3);

    ASSERT_TRUE(first->Signal(SIGTERM));
    ASSERT_TRUE(first->Wait(status));
    EXPECT_TRUE(ExitedWithZero(status));
}

class BusPeerRun : public ProgramRun {
protected:
    // The test program holds the lock and registers two windows of each
    // class; the messages it receives go to root_/messages.
    std::unique_ptr<testenv::Child> StartPeer(std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments = {testenv::BusPeer(), "--lock", LockName(), "--main",          "2",
                                              "--unidlg",         "2",      "--log",    root_ + "messages"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto peer = std::make_unique<testenv::Child>();
        EXPECT_TRUE(peer->Spawn(arguments));
        EXPECT_TRUE(peer->ReadUntil("ready"));
        EXPECT_EQ(peer->Lines().front(), "lock=acquired");
        return peer;
    }

    std::vector<std::string> Messages(size_t atLeast)
    {
        std::string text;
        testenv::WaitUntil([&] {
            return plat::ReadWholeFile(root_ + "messages", text) && Count(text, "\n") >= static_cast<int>(atLeast);
        });
        std::vector<std::string> lines;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
};

TEST_F(BusPeerRun, ASecondCopySends1125ToEveryMainWindowThenEveryDialog)
{
    std::string folder = Install("prog");
    auto peer = StartPeer();
    int status = 0;
    ASSERT_TRUE(Run(folder, {}, status));
    EXPECT_TRUE(ExitedWithZero(status));

    // Topmost (newest) first; then the same again from the restore task's
    // copy.
    const std::vector<std::string> round = {"2 TfrmMainDLMR1 1125 0 0", "1 TfrmMainDLMR1 1125 0 0",
                                            "4 TfrmUnidlgDLMR1 1125 0 0", "3 TfrmUnidlgDLMR1 1125 0 0"};
    std::vector<std::string> expected = round;
    expected.insert(expected.end(), round.begin(), round.end());
    EXPECT_EQ(Messages(8), expected);
}

TEST_F(BusPeerRun, AnUnansweredWindowDelaysTheSecondCopyOnlyByItsTimeOut)
{
    std::string folder = Install("prog");
    auto peer = StartPeer({"--silent", "1"});
    int status = 0;
    auto start = Clock::now();
    ASSERT_TRUE(Run(folder, {"-restore"}, status, 10000));
    int64_t elapsed = MillisecondsSince(start);
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_GE(elapsed, 5000);
    EXPECT_LT(elapsed, 8000);
    // The window after the silent one was still reached.
    std::vector<std::string> messages = Messages(4);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[1], "1 TfrmMainDLMR1 1125 0 0");
    EXPECT_EQ(messages[3], "3 TfrmUnidlgDLMR1 1125 0 0");
}

TEST_F(BusPeerRun, ASecondCopyWaitingForAWindowEndsSoonOnATerminationSignal)
{
    std::string folder = Install("prog");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        std::remove((root_ + "messages").c_str());
        // The topmost main window never answers: the copy waits 5 s for it.
        auto peer = StartPeer({"--silent", "2"});
        auto copy = Start(folder);
        ASSERT_EQ(Messages(1), std::vector<std::string>{"2 TfrmMainDLMR1 1125 0 0"});
        ASSERT_TRUE(copy->Signal(signal));
        auto signalled = Clock::now();
        int status = 0;
        ASSERT_TRUE(copy->Wait(status, 10000));
        EXPECT_LT(MillisecondsSince(signalled), 1000);
        EXPECT_TRUE(ExitedWithZero(status)) << status;
        // It went no further: no other window, no restore task's copy.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(Messages(1).size(), 1u);
        ASSERT_TRUE(peer->Signal(SIGTERM));
        ASSERT_TRUE(peer->Wait(status));
    }
}

TEST_F(ProgramRun, DevelopmentAndReleaseCopiesRunSideBySide)
{
    auto development = Start(Install("dev", "11"));
    auto release = Start(Install("rel", "01"));
    ASSERT_TRUE(WaitForLog("<APP-BEGIN>", 1, "DalmoraDEBUG"));
    ASSERT_TRUE(WaitForLog("<APP-BEGIN>", 1, "Dalmora"));
    EXPECT_FALSE(LockIsFree(LockName(true)));
    EXPECT_FALSE(LockIsFree(LockName(false)));
    EXPECT_TRUE(plat::FileExists(runtime_ + LockName(true) + ".lock"));
    EXPECT_TRUE(plat::FileExists(runtime_ + LockName(false) + ".lock"));

    for (auto* copy : {development.get(), release.get()}) {
        int status = 0;
        ASSERT_TRUE(copy->Signal(SIGTERM));
        ASSERT_TRUE(copy->Wait(status));
        EXPECT_TRUE(ExitedWithZero(status));
    }
}

TEST_F(ProgramRun, TerminationSignalsEndTheRunCleanly)
{
    std::string folder = Install("prog", "01");
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        auto copy = Start(folder);
        ASSERT_TRUE(WaitForMainWindow(*copy));
        ASSERT_TRUE(copy->Signal(signal));
        int status = 0;
        ASSERT_TRUE(copy->Wait(status, 10000));
        EXPECT_TRUE(ExitedWithZero(status));

        std::string log = Log();
        ASSERT_GE(log.size(), 2u);
        std::string last = log.substr(0, log.size() - 2);
        last = last.substr(last.rfind("\r\n") + 2);
        EXPECT_NE(last.find(kLastLine), std::string::npos) << last;
        // The signal closed the window as the end of the session does.
        const size_t asked = log.rfind("[EndSession] WM_QUERYENDSESSION received.");
        ASSERT_NE(asked, std::string::npos) << log;
        EXPECT_NE(log.find("[FormClose][END] <APP-END>", asked), std::string::npos) << log;
        EXPECT_TRUE(Entries(runtime_ + "dalmora1/").empty()) << "no registration or socket left";
        EXPECT_TRUE(LockIsFree(LockName()));
    }
    // A new copy starts as the first copy.
    auto next = Start(folder);
    EXPECT_TRUE(WaitForMainWindow(*next));
}

TEST_F(ProgramRun, AfterAKillANewCopyStartsAsTheFirstCopy)
{
    std::string folder = Install("prog", "01");
    auto killed = Start(folder);
    ASSERT_TRUE(WaitForMainWindow(*killed));
    ASSERT_TRUE(killed->Signal(SIGKILL));
    int status = 0;
    ASSERT_TRUE(killed->Wait(status));

    auto next = Start(folder);
    EXPECT_TRUE(WaitForMainWindow(*next));
    EXPECT_FALSE(next->Wait(status, 200)) << "it keeps running as the first copy";
}

TEST_F(ProgramRun, WithoutARuntimeFolderEveryCopyRunsAsTheFirst)
{
    setenv("XDG_RUNTIME_DIR", (root_ + "missing/").c_str(), 1);
    std::string folder = Install("prog", "01");
    auto one = Start(folder);
    auto two = Start(folder);
    ASSERT_TRUE(WaitForLog("<APP-BEGIN>", 2));
    int status = 0;
    EXPECT_FALSE(two->Wait(status, 200));
    for (auto* copy : {one.get(), two.get()}) {
        ASSERT_TRUE(copy->Signal(SIGTERM));
        ASSERT_TRUE(copy->Wait(status));
        EXPECT_TRUE(ExitedWithZero(status));
    }
    EXPECT_FALSE(plat::FileExists(root_ + "missing"));
}

TEST_F(ProgramRun, WithoutServersTheProgramRunsAndSaysSo)
{
    auto copy = Start(Install("prog", "3"));
    ASSERT_TRUE(WaitForMainWindow(*copy));
    EXPECT_TRUE(WaitForLog("[c.ResizePIM][ERROR] App.PimServersCount = 0;", 1, "DalmoraDEBUG"));
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = 0;
    ASSERT_TRUE(copy->Wait(status));
    EXPECT_TRUE(ExitedWithZero(status));
}

TEST_F(ProgramRun, AnUnwritableUsersFolderIsReportedAndEndsTheRun)
{
    const std::string folder = Install("prog");
    for (const auto& row : testing_support::UnusableUsersFolders()) {
        SCOPED_TRACE(row.name);
        const std::string home = root_ + row.name;
        ASSERT_TRUE(row.block(home, "Dalmora"));
        setenv("XDG_DATA_HOME", home.c_str(), 1);

        auto copy = Start(folder, {}, true);
        const std::string output = copy->ReadToEnd();
        int status = 0;
        ASSERT_TRUE(copy->Wait(status));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitUsersFolderUnusable) << status;
        // Standard error carries UTF-8; this file's literals are CP1250.
        const std::string expected =
            plat::Cp1250ToUtf8("dalmora1: Do složky s daty nelze zapisovat: ") + home + "/Dalmora/";
        EXPECT_NE(output.find(expected), std::string::npos) << output;
        EXPECT_TRUE(LockIsFree(LockName()));
        EXPECT_TRUE(Entries(runtime_ + "dalmora1/").empty()) << "no window was registered";
    }
}

} // namespace
