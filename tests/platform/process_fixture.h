#pragma once

#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace testenv {

// A private home for one test: HOME, the XDG folders and TMPDIR all point
// into a fresh temporary folder, removed afterwards.
class PrivateEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kVariables) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        }
        ASSERT_FALSE(scratch_.Path().empty());
        root_ = scratch_.Path();
        runtime_ = root_ + "run/";
        temp_ = root_ + "tmp/";
        ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
        ASSERT_EQ(mkdir(temp_.c_str(), 0700), 0);
        setenv("HOME", (root_ + "home").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ + "home/.local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root_ + "home/.config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (root_ + "home/.cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        setenv("TMPDIR", temp_.c_str(), 1);
        // Programs with windows draw them offscreen, display or not.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
    }

    static constexpr const char* kVariables[] = {
        "HOME",   "XDG_DATA_HOME",   "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR",
        "TMPDIR", "QT_QPA_PLATFORM", "DISPLAY",         "WAYLAND_DISPLAY"};
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
    testing_support::ScratchFolder scratch_;
    std::string root_;
    std::string runtime_;
    std::string temp_;
};

// A folder of exactly this mode (the process's umask left aside), whose
// parent exists; true when it was made.
inline bool MakeFolder(const std::string& path, mode_t mode)
{
    return (mkdir(path.c_str(), mode) == 0 || errno == EEXIST) && chmod(path.c_str(), mode) == 0;
}

// A new empty file; true when it was made.
inline bool MakeFile(const std::string& path)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    return fd >= 0 && close(fd) == 0;
}

// Waits until `done` holds or `ms` have passed; true when it holds.
template <typename Condition> bool WaitUntil(Condition done, int ms = 5000)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A child process started with posix_spawn: it inherits every descriptor
// not marked close-on-exec, and gets an empty signal mask. Its standard
// output (with its standard error, when asked) is read line by line.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }

    bool Spawn(const std::vector<std::string>& argv, bool withStandardError = false)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        if (withStandardError)
            posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t empty;
        sigemptyset(&empty);
        posix_spawnattr_setsigmask(&attributes, &empty);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        int rc = posix_spawn(&pid_, args[0], &actions, &attributes, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        close(fds[1]);
        out_ = fds[0];
        if (rc != 0)
            pid_ = -1;
        return rc == 0;
    }

    // Reads lines until one equals `line`, the output ends or 5 s pass.
    bool ReadUntil(const std::string& line)
    {
        return ReadUntilLine([&](const std::string& read) { return read == line; });
    }

    // Reads lines until one begins with `prefix`, which is then in `line`.
    bool ReadUntilPrefix(const std::string& prefix, std::string& line)
    {
        return ReadUntilLine([&](const std::string& read) {
            if (read.rfind(prefix, 0) != 0)
                return false;
            line = read;
            return true;
        });
    }

    // Reads lines until `wanted` holds for one, the output ends or 5 s pass.
    template <typename Wanted> bool ReadUntilLine(Wanted wanted)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            size_t end;
            while ((end = buffer_.find('\n')) != std::string::npos) {
                lines_.push_back(buffer_.substr(0, end));
                buffer_.erase(0, end + 1);
                if (wanted(lines_.back()))
                    return true;
            }
            int left = static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
                    .count());
            pollfd entry{out_, POLLIN, 0};
            if (left <= 0 || poll(&entry, 1, left) <= 0)
                return false;
            char chunk[512];
            ssize_t got = read(out_, chunk, sizeof(chunk));
            if (got <= 0)
                return false;
            buffer_.append(chunk, static_cast<size_t>(got));
        }
    }

    // Everything still to come until the output ends or 5 s pass.
    std::string ReadToEnd()
    {
        ReadUntil(std::string(1, '\0'));
        std::string all;
        for (const std::string& line : lines_)
            all += line + "\n";
        return all + buffer_;
    }

    bool Signal(int signal) { return pid_ > 0 && kill(pid_, signal) == 0; }

    // Waits up to `ms` for the child to end; true with its wait status.
    bool Wait(int& status, int ms = 5000)
    {
        bool ended = WaitUntil(
            [&] {
                pid_t done = waitpid(pid_, &status, WNOHANG);
                return done == pid_;
            },
            ms);
        if (ended)
            pid_ = -1;
        return ended;
    }

    pid_t Pid() const { return pid_; }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::vector<std::string> lines_;
};

inline std::string BusPeer()
{
    return DALMORA_BUS_PEER;
}

} // namespace testenv
