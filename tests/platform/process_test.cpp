#include "platform/core/process.h"

#include "platform/core/file.h"
#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class StartDetached : public testenv::PrivateEnvironment {
protected:
    std::string WaitForReport(const std::string& path)
    {
        std::string report;
        testenv::WaitUntil([&] { return plat::ReadWholeFile(path, report); });
        return report;
    }
};

// What a started program should find, whatever the starter had open.
const char* const kCleanStart = "fds=0 1 2\nnull=0 1 2\nsession_leader=yes\nSigBlk=0000000000000000\n"
                                "SigIgn=0000000000000000\n\n";

TEST_F(StartDetached, LeavesTheProgramOnlyItsStandardStreams)
{
    // Descriptors a careless starter would hand over, a blocked and an
    // ignored signal.
    int file = open((root_ + "open-file").c_str(), O_WRONLY | O_CREAT, 0600);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_GE(file, 0);
    sigset_t block, previous;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    ASSERT_EQ(sigprocmask(SIG_BLOCK, &block, &previous), 0);
    auto oldUsr1 = signal(SIGUSR1, SIG_IGN);

    std::string report = root_ + "report";
    int error = 0;
    bool started = plat::StartDetached({testenv::BusPeer(), "--list-fds", report}, &error);
    signal(SIGUSR1, oldUsr1);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    close(file);
    close(fds[0]);
    close(fds[1]);

    ASSERT_TRUE(started) << error;
    EXPECT_EQ(WaitForReport(report), kCleanStart);
    // The middle process is reaped and the program is not our child.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(StartDetached, WorksFromAProcessWithoutStandardStreams)
{
    std::string report = root_ + "report";
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(0);
        close(1);
        close(2);
        _exit(plat::StartDetached({testenv::BusPeer(), "--list-fds", report}) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(WaitForReport(report), kCleanStart);
}

TEST_F(StartDetached, PassesArgumentsWithoutAShellAndSearchesPath)
{
    std::string bin = root_ + "bin/";
    ASSERT_EQ(mkdir(bin.c_str(), 0700), 0);
    ASSERT_EQ(symlink(testenv::BusPeer().c_str(), (bin + "peer-copy").c_str()), 0);
    const char* oldPath = std::getenv("PATH");
    std::string savedPath = oldPath != nullptr ? oldPath : "";
    setenv("PATH", ("/nonexistent:" + bin).c_str(), 1);

    // A shell would expand, unquote or split this name.
    std::string report = root_ + "report $(echo x) 'q' * ;";
    bool started = plat::StartDetached({"peer-copy", "--list-fds", report});
    setenv("PATH", savedPath.c_str(), 1);

    ASSERT_TRUE(started);
    EXPECT_EQ(WaitForReport(report), kCleanStart);
}

TEST_F(StartDetached, ReportsAProgramThatCannotBeExecuted)
{
    ASSERT_TRUE(plat::WriteFileAtomically(root_ + "not-executable", "#!/bin/sh\n", 0644));
    // Executable, but no format the kernel knows: only exec itself fails.
    ASSERT_TRUE(plat::WriteFileAtomically(root_ + "no-format", "plain text\n", 0755));
    struct Case {
        const char* name;
        std::string program;
        int error;
    };
    const Case cases[] = {
        {"missing path", root_ + "missing", ENOENT},
        {"name not in PATH", "dalmora-no-such-program", ENOENT},
        {"not executable", root_ + "not-executable", EACCES},
        {"unknown format", root_ + "no-format", ENOEXEC},
        {"empty name", "", EINVAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int error = 0;
        EXPECT_FALSE(plat::StartDetached({c.program, "--list-fds", root_ + "report"}, &error));
        EXPECT_EQ(error, c.error);
    }
    EXPECT_FALSE(plat::StartDetached({}));
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

} // namespace
