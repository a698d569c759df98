#include "foundation/task_files.h"
#include "platform/core/bus_server.h"
#include "platform/core/file.h"
#include "platform/core/headless_loop.h"
#include "platform/core/instance_lock.h"
#include "tests/platform/process_fixture.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

using testing_support::ReadBytes;
using testing_support::ReadFixture;
using testing_support::ScratchFolder;

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

TEST(TaskFiles, EqualTheGoldenFilesByteForByte)
{
    ASSERT_EQ(ScheduledTasks().size(), 2u);
    EXPECT_EQ(TaskFileContents("/opt/dalmora/", ScheduledTasks()[0]), ReadFixture("DalmoraAktualizace.xml"));
    EXPECT_EQ(TaskFileContents("/opt/dalmora/", ScheduledTasks()[1]), ReadFixture("DalmoraRestore.xml"));
}

TEST(TaskFiles, FolderIsDecodedFromUtf8AndEscaped)
{
    // "č" in UTF-8 is C4 8D; it must become the one unit 0x010D.
    std::string folder = "/x/a&b<c>\xC4\x8D/";
    std::string bytes = TaskFileContents(folder, *FindScheduledTask("DalmoraRestore"));
    std::string command =
        Units("<Command>\"/x/a&amp;b&lt;c&gt;") + std::string("\x0D\x01", 2) + Units("/dalmora1\"</Command>\r\n");
    EXPECT_NE(bytes.find(command), std::string::npos);
}

TEST(TaskFiles, AFileThatCannotBeWrittenIsSkipped)
{
    ScratchFolder folder;
    ASSERT_EQ(mkdir(folder.File("DalmoraAktualizace.xml").c_str(), 0700), 0);
    EXPECT_EQ(WriteTaskFiles(folder.Path()), 1);
    EXPECT_EQ(ReadBytes(folder.File("DalmoraRestore.xml")), TaskFileContents(folder.Path(), ScheduledTasks()[1]));
    EXPECT_EQ(WriteTaskFiles(folder.Path() + "missing/"), 0);
    EXPECT_EQ(WriteTaskFiles(""), 0);
}

class RunScheduledTask : public testenv::PrivateEnvironment {};

TEST_F(RunScheduledTask, StartsTheProgramDetachedWithTheTasksArgumentsAndNothingOfOurs)
{
    // The program folder holds a "dalmora1" that records its arguments and
    // what it was left open.
    std::string folder = root_ + "prog/";
    ASSERT_TRUE(plat::CreateFolders(folder));
    std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + root_ + "args'\nexec '" + testenv::BusPeer() +
                         "' --list-fds '" + root_ + "report'\n";
    ASSERT_TRUE(plat::WriteFileAtomically(folder + "dalmora1", script, 0755));

    // What a running copy holds: the lock and a listening bus socket.
    plat::InstanceLock lock;
    ASSERT_EQ(lock.Acquire("DLMR1_tester"), plat::InstanceLock::Result::Acquired);
    plat::HeadlessMainLoop loop;
    plat::BusServer bus(loop);
    ASSERT_NE(
        bus.RegisterWindow("TfrmMainDLMR1", [](uint32_t, uint64_t, int64_t) { return std::optional<int64_t>(1); }), 0u);

    for (const auto& [task, arguments] :
         {std::pair{"DalmoraAktualizace", "-autorun\n-update\n"}, std::pair{"DalmoraRestore", "-restore\n"}}) {
        SCOPED_TRACE(task);
        plat::RemoveFile(root_ + "report");
        plat::RemoveFile(root_ + "args");
        ASSERT_TRUE(RunScheduledTaskIn(folder, task));
        std::string report;
        ASSERT_TRUE(testenv::WaitUntil([&] { return plat::ReadWholeFile(root_ + "report", report); }));
        EXPECT_EQ(report.substr(0, report.find('\n')), "fds=0 1 2");
        std::string args;
        ASSERT_TRUE(plat::ReadWholeFile(root_ + "args", args));
        EXPECT_EQ(args, arguments);
    }
}

TEST_F(RunScheduledTask, AnUnknownNameOrNoFolderStartsNothing)
{
    std::string folder = root_ + "prog/";
    ASSERT_TRUE(plat::CreateFolders(folder));
    std::string script = "#!/bin/sh\ntouch '" + root_ + "started'\n";
    ASSERT_TRUE(plat::WriteFileAtomically(folder + "dalmora1", script, 0755));
    EXPECT_FALSE(RunScheduledTaskIn(folder, "DalmoraJinak"));
    EXPECT_FALSE(RunScheduledTaskIn(folder, "dalmorarestore"));
    EXPECT_FALSE(RunScheduledTaskIn("", "DalmoraRestore"));
    // A task that does start shows the check above would have seen one.
    ASSERT_TRUE(RunScheduledTaskIn(folder, "DalmoraRestore"));
    EXPECT_TRUE(testenv::WaitUntil([&] { return plat::FileExists(root_ + "started"); }));
}

} // namespace
