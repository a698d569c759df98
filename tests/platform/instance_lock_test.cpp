#include "platform/core/instance_lock.h"

#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Result = plat::InstanceLock::Result;

class InstanceLock : public testenv::PrivateEnvironment {};

std::string PeerLockLine(testenv::Child& peer, const std::string& name)
{
    if (!peer.Spawn({testenv::BusPeer(), "--lock", name}) || !peer.ReadUntil("ready") || peer.Lines().empty())
        return "no answer";
    return peer.Lines().front();
}

TEST_F(InstanceLock, AcquiresOncePerNameAndReleases)
{
    plat::InstanceLock first;
    plat::InstanceLock second;
    plat::InstanceLock other;
    EXPECT_EQ(first.Acquire("DLMR1_user"), Result::Acquired);
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(plat::InstanceLock::PathFor("DLMR1_user"), runtime_ + "DLMR1_user.lock");
    struct stat info {};
    ASSERT_EQ(stat((runtime_ + "DLMR1_user.lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_EQ(second.Acquire("DLMR1_user"), Result::AlreadyHeld);
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(other.Acquire("DLMR1DEBUG_user"), Result::Acquired);

    first.Release();
    EXPECT_FALSE(first.Held());
    EXPECT_EQ(second.Acquire("DLMR1_user"), Result::Acquired);
}

TEST_F(InstanceLock, HeldAcrossProcessesUntilTheHolderDies)
{
    testenv::Child holder;
    ASSERT_EQ(PeerLockLine(holder, "DLMR1_user"), "lock=acquired");

    plat::InstanceLock lock;
    EXPECT_EQ(lock.Acquire("DLMR1_user"), Result::AlreadyHeld);
    testenv::Child second;
    EXPECT_EQ(PeerLockLine(second, "DLMR1_user"), "lock=held");

    ASSERT_TRUE(holder.Signal(SIGKILL));
    int status = 0;
    ASSERT_TRUE(holder.Wait(status));
    EXPECT_EQ(lock.Acquire("DLMR1_user"), Result::Acquired);
    testenv::Child third;
    EXPECT_EQ(PeerLockLine(third, "DLMR1_user"), "lock=held");
}

TEST_F(InstanceLock, IsNotInheritedByStartedPrograms)
{
    // A holder that starts a program and dies without releasing: were the
    // descriptor inherited, the started program would keep the lock.
    int pidPipe[2];
    ASSERT_EQ(pipe(pidPipe), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        plat::InstanceLock lock;
        if (lock.Acquire("DLMR1_user") != Result::Acquired)
            _exit(1);
        // posix_spawn hands over every descriptor that is not close-on-exec.
        std::string program = testenv::BusPeer();
        char* args[] = {program.data(), nullptr};
        pid_t started = 0;
        if (posix_spawn(&started, args[0], nullptr, nullptr, args, environ) != 0)
            _exit(2);
        if (write(pidPipe[1], &started, sizeof(started)) != static_cast<ssize_t>(sizeof(started)))
            _exit(3);
        _exit(0);
    }
    close(pidPipe[1]);
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    pid_t started = 0;
    ASSERT_EQ(read(pidPipe[0], &started, sizeof(started)), static_cast<ssize_t>(sizeof(started)));
    close(pidPipe[0]);

    testenv::Child next;
    EXPECT_EQ(PeerLockLine(next, "DLMR1_user"), "lock=acquired");
    kill(started, SIGKILL);
}

TEST_F(InstanceLock, FailsWhenTheRuntimeFolderIsSetButUnusable)
{
    struct Case {
        const char* name;
        void (*prepare)(const std::string& root);
        const char* runtime; // relative to the test's root
    };
    const Case cases[] = {
        {"missing folder", [](const std::string&) {}, "missing"},
        {"a file", [](const std::string& root) { close(creat((root + "file").c_str(), 0600)); }, "file"},
        {"writable by others",
         [](const std::string& root) { mkdir((root + "open").c_str(), 0777), chmod((root + "open").c_str(), 0777); },
         "open"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare(root_);
        setenv("XDG_RUNTIME_DIR", (root_ + c.runtime).c_str(), 1);
        plat::InstanceLock lock;
        EXPECT_EQ(lock.Acquire("DLMR1_user"), Result::Failed);
        EXPECT_FALSE(lock.Held());
        // No silent fallback into the temporary folder.
        EXPECT_FALSE(access((temp_ + "dalmora1-" + std::to_string(geteuid())).c_str(), F_OK) == 0);
    }
}

TEST_F(InstanceLock, RejectsNamesThatAreNotPlainFileNames)
{
    for (const char* name : {"", ".", "..", "a/b", "/etc/x"}) {
        SCOPED_TRACE(name);
        plat::InstanceLock lock;
        EXPECT_EQ(lock.Acquire(name), Result::Failed);
    }
    plat::InstanceLock lock;
    EXPECT_EQ(lock.Acquire(std::string(201, 'a')), Result::Failed);
    EXPECT_EQ(lock.Acquire(std::string(200, 'a')), Result::Acquired);
}

TEST_F(InstanceLock, FallsBackToAPrivateFolderInTheTemporaryFolder)
{
    const std::string fallback = temp_ + "dalmora1-" + std::to_string(geteuid());
    for (const char* runtime : {static_cast<const char*>(nullptr), "", "relative/run"}) {
        SCOPED_TRACE(runtime == nullptr ? "unset" : runtime);
        if (runtime == nullptr)
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", runtime, 1);
        plat::InstanceLock lock;
        ASSERT_EQ(lock.Acquire("DLMR1_user"), Result::Acquired);
        EXPECT_EQ(plat::InstanceLock::PathFor("DLMR1_user"), fallback + "/DLMR1_user.lock");
        struct stat info {};
        ASSERT_EQ(lstat(fallback.c_str(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(access((fallback + "/DLMR1_user.lock").c_str(), F_OK), 0);
    }
}

TEST_F(InstanceLock, RefusesAFallbackFolderThatIsNotPrivate)
{
    unsetenv("XDG_RUNTIME_DIR");
    const std::string fallback = temp_ + "dalmora1-" + std::to_string(geteuid());
    const std::string elsewhere = root_ + "elsewhere";
    struct Case {
        const char* name;
        std::function<bool()> prepare; // makes the folder
        bool rootOnly;
    };
    const Case cases[] = {
        {"readable by others", [&] { return testenv::MakeFolder(fallback, 0755); }, false},
        {"a link to a private folder",
         [&] { return testenv::MakeFolder(elsewhere, 0700) && symlink(elsewhere.c_str(), fallback.c_str()) == 0; },
         false},
        {"a file", [&] { return testenv::MakeFile(fallback); }, false},
        {"owned by another user",
         [&] { return testenv::MakeFolder(fallback, 0700) && chown(fallback.c_str(), 65534, -1) == 0; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootOnly && geteuid() != 0)
            continue;
        testing_support::RemoveTree(fallback);
        testing_support::RemoveTree(elsewhere);
        ASSERT_TRUE(c.prepare());
        plat::InstanceLock lock;
        EXPECT_EQ(lock.Acquire("DLMR1_user"), Result::Failed);
    }
}

} // namespace
