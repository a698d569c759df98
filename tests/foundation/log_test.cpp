#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "platform/core/file.h"
#include "platform/core/named_lock.h"
#include "platform/core/platform_log.h"
#include "platform/testing/fake_clock.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::ReadFile;
using testing_support::ScratchFolder;

int64_t PragueSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&fields));
}

// Logging on into a fresh folder, with the run's lock name set.
class LogWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = App;
        savedStart_ = ProgramStartTime;
        App.WriteLog = 1;
        App.IsDev = 0;
        ProgramStartTime = 1700000000;
        ASSERT_TRUE(SetLogDir(folder_.Path().c_str()));
        ASSERT_TRUE(SetLogMutexName("logMutexTest"));
    }
    void TearDown() override
    {
        SetLogDir("");
        App = saved_;
        ProgramStartTime = savedStart_;
        FoundationHooks = TNFoundationHooks{};
    }
    std::string DayFile(int year, int month, int day) const
    {
        return ReadFile(LogFileName(folder_.Path(), year, month, day));
    }

    ScratchFolder folder_;
    TNAppInfo saved_;
    int64_t savedStart_ = 0;
};

TEST(MaskPasswords, MasksWholeValueOfEveryPasswordKey)
{
    struct Case {
        const char* name;
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"only the password", "ApiReq=login&UserName=jana&Pass=tajne123&InstID=77",
         "ApiReq=login&UserName=jana&Pass=*****&InstID=77"},
        {"two Pass keys", "&Pass=abc&x=1&Pass=defghijklmnop", "&Pass=*****&x=1&Pass=*****"},
        {"Pass", "&Pass=a1", "&Pass=*****"},
        {"Password", "&Password=a1&b=2", "&Password=*****&b=2"},
        {"password", "&password=a1", "&password=*****"},
        {"currentPassword", "&currentPassword=a1", "&currentPassword=*****"},
        {"newPassword1", "&newPassword1=a1", "&newPassword1=*****"},
        {"newPassword2", "&newPassword2=a1", "&newPassword2=*****"},
        {"a value of the mask's length", "&Pass=12345", "&Pass=*****"},
        {"key at the end without value", "ApiReq=x&Pass=", "ApiReq=x&Pass="},
        {"empty value before next key", "&Pass=&InstID=5", "&Pass=&InstID=5"},
        {"other keys untouched", "&Passport=123&UserPass=9", "&Passport=123&UserPass=9"},
    };
    for (const Case& row : cases)
        EXPECT_EQ(MaskPasswords(row.line), row.expected) << row.name;
}

TEST_F(LogWriter, LinesGoToTheDaysFileAsUtf8WithCrLf)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 3, 14, 9, 5, 7));
    ASSERT_TRUE(LogText("Čtvrtek"));
    ASSERT_TRUE(LogTextInt("[T][A] n = ", -42));
    ASSERT_TRUE(LogTextUInt("[T][B] u = ", 4294967295u));
    std::string expected = "09:05:07 \xC4\x8C"
                           "tvrtek\r\n"
                           "09:05:07 [T][A] n = -42\r\n"
                           "09:05:07 [T][B] u = 4294967295\r\n";
    EXPECT_EQ(DayFile(2024, 3, 14), expected);
    EXPECT_EQ(LogFileName("/x/", 2024, 3, 14), "/x/log-2024-03-14_1700000000.txt");
    struct stat info {};
    ASSERT_EQ(stat(LogFileName(folder_.Path(), 2024, 3, 14).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(LogWriter, PasswordInTheValueIsMaskedInTheFile)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 3, 14, 10, 0, 0));
    ASSERT_TRUE(LogWrite("[g.Login] body &Pass=", "heslo123456&InstID=3", false));
    ASSERT_TRUE(LogWrite("[g.Login] end &Pass=", "", false));
    EXPECT_EQ(DayFile(2024, 3, 14), "10:00:00 [g.Login] body &Pass=*****&InstID=3\r\n"
                                    "10:00:00 [g.Login] end &Pass=\r\n");
}

// An answer is logged up to its first 4 KiB, with its length when longer.
TEST_F(LogWriter, AnAnswerKeepsItsFirstFourKilobytesAndItsLength)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 3, 14, 10, 0, 0));
    const std::string shortAnswer = "<handshake>1</handshake>";
    const std::string longAnswer = std::string(kLoggedAnswerBytes, 'a') + std::string(1000000, 'b');
    ASSERT_TRUE(LogAnswer("[A] ", shortAnswer));
    ASSERT_TRUE(LogAnswer("[B] ", longAnswer));
    EXPECT_EQ(DayFile(2024, 3, 14), "10:00:00 [A] <handshake>1</handshake>\r\n"
                                    "10:00:00 [B] " +
                                        std::string(kLoggedAnswerBytes, 'a') + " [... 1004096 bytes]\r\n");
}

TEST_F(LogWriter, MidnightStartsTheNextDaysFileWithTheSameSuffix)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 12, 31, 23, 59, 59));
    ASSERT_TRUE(LogText("before"));
    clock->Advance(2000);
    ASSERT_TRUE(LogText("after"));
    EXPECT_EQ(DayFile(2024, 12, 31), "23:59:59 before\r\n");
    EXPECT_EQ(DayFile(2025, 1, 1), "00:00:01 after\r\n");
    EXPECT_EQ(folder_.Entries().size(), 2u);
}

TEST_F(LogWriter, NothingIsWrittenWhenOffOrNotSetUp)
{
    App.WriteLog = 0;
    EXPECT_FALSE(LogWrite("a", "b", false));
    EXPECT_FALSE(LogText("a"));
    App.WriteLog = 1;
    SetLogDir("");
    EXPECT_FALSE(LogText("a"));
    SetLogDir(folder_.Path().c_str());
    SetLogMutexName("");
    EXPECT_FALSE(LogText("a"));
    EXPECT_FALSE(SetLogDir(nullptr));
    EXPECT_FALSE(SetLogMutexName(nullptr));
    EXPECT_TRUE(folder_.Entries().empty());
}

TEST_F(LogWriter, LineIsDroppedWhileAnotherHoldsTheLockTooLong)
{
    std::thread holder([] { ASSERT_TRUE(plat::TryCreateNamedLock("logMutexTest")); });
    holder.join();
    EXPECT_FALSE(LogText("dropped"));
    plat::ReleaseNamedLock("logMutexTest");
    EXPECT_TRUE(LogText("kept"));
    EXPECT_EQ(folder_.Entries().size(), 1u);
}

TEST_F(LogWriter, PlatformLinesReachTheDaysFileOrElseStandardError)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 3, 14, 9, 5, 7));
    plat::SetPlatformLogSink(LogPlatformLine);
    // UTF-8, as the platform layer writes; the file keeps it intact.
    plat::PlatformLog("[SoundPlayer] \xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD");
    EXPECT_EQ(DayFile(2024, 3, 14), "09:05:07 [SoundPlayer] \xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD\r\n");

    SetLogDir("");
    ::testing::internal::CaptureStderr();
    plat::PlatformLog("[ShellOpen][ERROR] early");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[ShellOpen][ERROR] early\n");
    plat::SetPlatformLogSink(nullptr);
}

TEST_F(LogWriter, HoldingTheLogForExitLetsNoLineStart)
{
    HoldLogForExit();
    EXPECT_FALSE(LogText("after the hold"));
    EXPECT_TRUE(folder_.Entries().empty());
    plat::ReleaseNamedLock("logMutexTest");
}

TEST_F(LogWriter, FourThreadsLeaveEveryLineWhole)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 6, 1, 12, 0, 0));
    constexpr int kThreads = 4;
    constexpr int kLines = 10000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                LogTextInt(("[Thread" + std::to_string(t) + "] line ").c_str(), i);
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    std::string contents = DayFile(2024, 6, 1);
    std::set<std::string> lines;
    size_t start = 0;
    size_t count = 0;
    while (start < contents.size()) {
        size_t end = contents.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        lines.insert(contents.substr(start, end - start));
        start = end + 2;
        ++count;
    }
    EXPECT_EQ(count, static_cast<size_t>(kThreads * kLines));
    EXPECT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    EXPECT_EQ(lines.count("12:00:00 [Thread3] line 9999"), 1u);
}

// What happens between two lines must neither lose a line written before it
// nor tear one, and the password stays masked in whatever file takes a line.
TEST_F(LogWriter, LinesStayWholeAcrossADayChangeAMovedFileAndAFullDisk)
{
    struct Row {
        const char* name;
        std::function<void(plat::testing::FakeClock&, const std::string& path)> between;
        const char* firstFile;  // the file that holds the first line at the end
        const char* secondFile; // the day's file name, which holds the second line
        bool secondKept;
    };
    const Row rows[] = {
        {"day change", [](plat::testing::FakeClock& clock, const std::string&) { clock.Advance(3600 * 1000); },
         "log-2024-12-31_1700000000.txt", "log-2025-01-01_1700000000.txt", true},
        {"file moved away",
         [](plat::testing::FakeClock&, const std::string& path) {
             ASSERT_EQ(std::rename(path.c_str(), (path + ".old").c_str()), 0);
         },
         "log-2024-12-31_1700000000.txt.old", "log-2024-12-31_1700000000.txt", true},
        {"full disk", [](plat::testing::FakeClock&, const std::string&) { plat::FailNthWrite(1); },
         "log-2024-12-31_1700000000.txt", "log-2024-12-31_1700000000.txt", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        ASSERT_TRUE(SetLogDir(folder.Path().c_str()));
        plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 12, 31, 23, 30, 0));
        const std::string path = LogFileName(folder.Path(), 2024, 12, 31);
        LogWrite("[T] first &Pass=", "secret1&InstID=1", false);
        row.between(*clock, path);
        LogWrite("[T] second &Pass=", "secret2&InstID=2", false);
        plat::FailNthWrite(0);
        LogText("[T] third");

        const std::string first = ReadFile(folder.Path() + row.firstFile);
        const std::string second = ReadFile(folder.Path() + row.secondFile);
        EXPECT_EQ(first.find("[T] first &Pass="), 9u);
        EXPECT_NE(second.find("[T] third\r\n"), std::string::npos);
        EXPECT_EQ(second.find("[T] second") != std::string::npos, row.secondKept);
        for (const std::string& contents : {first, second}) {
            EXPECT_EQ(contents.find("secret"), std::string::npos);
            EXPECT_EQ(contents.size() >= 2 ? contents.substr(contents.size() - 2) : "", "\r\n");
        }
    }
}

// A process killed between two lines leaves every line it wrote, each whole.
TEST_F(LogWriter, AKilledWriterLeavesEveryLineItWroteWhole)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        for (int i = 0;; ++i) {
            LogTextInt("[Child] line with some length to it, number ", i);
            char done = 1;
            if (write(pipeFds[1], &done, 1) != 1)
                _exit(1);
        }
    }
    close(pipeFds[1]);
    int confirmed = 0;
    char done = 0;
    while (confirmed < 500 && read(pipeFds[0], &done, 1) == 1)
        ++confirmed;
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(pipeFds[0]);

    std::vector<std::string> names = folder_.Entries();
    ASSERT_EQ(names.size(), 1u);
    const std::string contents = ReadFile(folder_.Path() + names[0]);
    int lines = 0;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "torn last line";
        EXPECT_EQ(contents.substr(start + 9, end - start - 9),
                  "[Child] line with some length to it, number " + std::to_string(lines));
        start = end + 2;
        ++lines;
    }
    EXPECT_GE(lines, confirmed);
}

struct WindowRecorder {
    std::atomic<bool> visible{true};
    std::atomic<uint8_t> busy{0};
    std::vector<std::string> lines;
    bool nestedLogResult = true;
};
WindowRecorder* window = nullptr;

void AppendToWindow(const char* line)
{
    window->lines.push_back(line);
    window->nestedLogResult = LogText("from inside the writer");
}

TEST_F(LogWriter, WindowGetsTheCp1250LineAndWaitsForItsBusyByte)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 3, 14, 8, 0, 0));
    WindowRecorder recorder;
    window = &recorder;
    FoundationHooks.LogWindow = {&recorder.visible, &recorder.busy, &AppendToWindow};

    ASSERT_TRUE(LogWrite("Středa &Pass=", "x", true));
    ASSERT_TRUE(LogWrite("not for the window", "", false));
    ASSERT_EQ(recorder.lines.size(), 1u);
    EXPECT_EQ(recorder.lines[0], "08:00:00 Středa &Pass=*****");
    EXPECT_FALSE(recorder.nestedLogResult);
    EXPECT_EQ(recorder.busy.load(), 0);
    EXPECT_TRUE(clock->Sleeps().empty());

    // A window that stays busy is waited for 200 times 5 ms, then written anyway.
    recorder.busy = 1;
    ASSERT_TRUE(LogWrite("busy", "", true));
    EXPECT_EQ(recorder.lines.size(), 2u);
    EXPECT_EQ(clock->Sleeps(), std::vector<int64_t>(200, 5));

    recorder.visible = false;
    ASSERT_TRUE(LogWrite("hidden", "", true));
    EXPECT_EQ(recorder.lines.size(), 2u);
    window = nullptr;
}

struct BoxRecorder {
    std::vector<std::string> texts;
    std::vector<std::string> captions;
    std::vector<uint32_t> flags;
    int cursorResets = 0;
};
BoxRecorder* boxes = nullptr;

int32_t RecordBox(const char* text, const char* caption, uint32_t flags)
{
    boxes->texts.push_back(text);
    boxes->captions.push_back(caption);
    boxes->flags.push_back(flags);
    return mrOk;
}

void RecordCursor()
{
    ++boxes->cursorResets;
}

int32_t ThrowingMethod()
{
    return Guarded("[TNTest::Method]", -1, []() -> int32_t { throw std::runtime_error("boom"); });
}

TEST_F(LogWriter, GuardedMethodReturnsItsDefaultAndLogsTheCaller)
{
    plat::testing::ScopedFakeClock clock(PragueSeconds(2024, 3, 14, 11, 0, 0));
    BoxRecorder recorder;
    boxes = &recorder;
    FoundationHooks.MessageBox = &RecordBox;
    FoundationHooks.ResetCursor = &RecordCursor;

    EXPECT_EQ(ThrowingMethod(), -1);
    EXPECT_EQ(Guarded("[TNTest::Fine]", -1, [] { return 5; }), 5);
    int* none = Guarded("[TNTest::Pointer]", nullptr, []() -> int* { throw std::bad_alloc(); });
    EXPECT_EQ(none, nullptr);
    bool ran = false;
    Guarded("[TNTest::Void]", [&] {
        ran = true;
        throw 7;
    });
    EXPECT_TRUE(ran);

    EXPECT_EQ(DayFile(2024, 3, 14), "11:00:00 [ExceptionHandler][ERROR][EXCEPTION] Caller: [TNTest::Method]\r\n"
                                    "11:00:00 [ExceptionHandler][ERROR][EXCEPTION] Caller: [TNTest::Pointer]\r\n"
                                    "11:00:00 [ExceptionHandler][ERROR][EXCEPTION] Caller: [TNTest::Void]\r\n");
    EXPECT_EQ(recorder.cursorResets, 3);
    EXPECT_TRUE(recorder.texts.empty());
    boxes = nullptr;
}

TEST_F(LogWriter, ExceptionBoxOnlyInDevelopmentWhenTheLineWasLost)
{
    BoxRecorder recorder;
    boxes = &recorder;
    FoundationHooks.MessageBox = &RecordBox;

    struct Case {
        const char* name;
        int32_t isDev;
        uint8_t writeLog;
        uint32_t code;
        bool shown;
    };
    const Case cases[] = {
        {"development, logging off", 1, 0, 0, true},
        {"development, logging on", 1, 1, 0, false},
        {"release, logging off", 0, 0, 0, false},
        {"invalid handle never shows", 1, 0, 0xC0000008, false},
        {"out of memory shows its code", 1, 0, 0xC0000017, true},
    };
    for (const Case& row : cases) {
        recorder.texts.clear();
        recorder.captions.clear();
        recorder.flags.clear();
        App.IsDev = row.isDev;
        App.WriteLog = row.writeLog;
        EXPECT_TRUE(ExceptionHandler("[TNTest::Box]", row.code, 0)) << row.name;
        ASSERT_EQ(recorder.texts.size(), row.shown ? 1u : 0u) << row.name;
        if (row.shown) {
            EXPECT_EQ(recorder.texts[0], "Exception Code = " + std::to_string(row.code) + ", caller = [TNTest::Box]");
            EXPECT_EQ(recorder.captions[0], "[ExceptionHandler][ERROR][EXCEPTION]");
            EXPECT_EQ(recorder.flags[0], static_cast<uint32_t>(mbOk | mbIconExclamation));
        }
    }
    boxes = nullptr;
}

} // namespace
