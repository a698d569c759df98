#pragma once

#include "platform/core/bus_client.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Runs copies of the test peers under names of the test's choosing, with
// HOME, the XDG folders and TMPDIR private to the test. The program's name is
// unique to this test process, so neither the utility nor a test running
// beside it can reach anything else.
class KillerFixture : public testenv::PrivateEnvironment {
protected:
    void SetUp() override
    {
        PrivateEnvironment::SetUp();
        programName_ = "dlmrkill" + std::to_string(getpid());
        bin_ = root_ + "bin/";
        ASSERT_TRUE(plat::CreateFolders(bin_));
    }

    // A copy of `source` as <folder><name>; returns its path.
    std::string Install(const std::string& source, const std::string& name, std::string folder = {})
    {
        if (folder.empty())
            folder = bin_;
        std::string program;
        EXPECT_TRUE(plat::CreateFolders(folder));
        EXPECT_TRUE(plat::ReadWholeFile(source, program)) << source;
        EXPECT_TRUE(plat::WriteFileAtomically(folder + name, program, 0755));
        return folder + name;
    }

    // Starts a peer named `name` with the windows given (CLASS:BEHAVIOUR, the
    // last one on top); its messages go to the shared log, tagged `tag`.
    std::unique_ptr<testenv::Child> StartPeer(const std::string& name, const std::string& tag,
                                              const std::vector<std::string>& windows = {},
                                              const std::vector<std::string>& prefix = {})
    {
        std::string path = plat::FileExists(bin_ + name) ? bin_ + name : Install(DALMORA_CLOSING_PEER, name);
        std::vector<std::string> arguments = prefix;
        arguments.insert(arguments.end(), {path, tag, prefix.empty() ? MessagesPath() : "/dev/null"});
        arguments.insert(arguments.end(), windows.begin(), windows.end());
        auto peer = std::make_unique<testenv::Child>();
        EXPECT_TRUE(peer->Spawn(arguments));
        EXPECT_TRUE(peer->ReadUntil("ready")) << name;
        return peer;
    }

    // Runs the utility, installed as `path`, to its end; its wait status.
    int RunUtility(const std::string& path, int ms = 10000)
    {
        testenv::Child utility;
        EXPECT_TRUE(utility.Spawn({path, programName_}));
        int status = -1;
        EXPECT_TRUE(utility.Wait(status, ms)) << "the utility did not end";
        return status;
    }

    std::string InstallUtility() { return Install(DALMORA_KILLER_PROBE, "KillDalmora1", root_ + "killer/"); }

    // A copy of the program under the test's program name in root_/prog/,
    // with the development file given (logging on by default).
    std::string InstallProgram(const std::string& development = "01")
    {
        std::string folder = root_ + "prog/";
        Install(DALMORA_PROGRAM, programName_, folder);
        EXPECT_TRUE(plat::WriteFileAtomically(folder + "development-version.txt", development));
        return folder + programName_;
    }

    bool WaitForMainWindow(const testenv::Child& copy)
    {
        return testenv::WaitUntil([&] {
            for (const plat::BusWindow& window : plat::ListBusWindows("TfrmMainDLMR1")) {
                if (window.pid == copy.Pid())
                    return true;
            }
            return false;
        });
    }

    // The users folder, which also holds the program's logs.
    std::string UsersFolder() const { return root_ + "home/.local/share/Dalmora/"; }

    // The program's log files, in name order.
    std::string ProgramLog() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(UsersFolder().c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (std::string(entry->d_name).rfind("log-", 0) == 0)
                    names.push_back(entry->d_name);
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        std::string all;
        for (const std::string& name : names) {
            std::string text;
            if (plat::ReadWholeFile(UsersFolder() + name, text))
                all += text;
        }
        return all;
    }

    std::string MessagesPath() const { return root_ + "messages"; }

    // Every line the peers logged, in the order they received the messages.
    std::vector<std::string> Messages() const
    {
        std::string text;
        plat::ReadWholeFile(MessagesPath(), text);
        std::vector<std::string> lines;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

    // True when the child was ended by SIGKILL within a second.
    static bool WasKilled(testenv::Child& child)
    {
        int status = 0;
        return child.Wait(status, 1000) && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    // True when the child is still running.
    static bool IsRunning(const testenv::Child& child)
    {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(child.Pid()), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }

    std::string programName_;
    std::string bin_;
};
