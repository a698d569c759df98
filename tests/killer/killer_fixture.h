#pragma once

#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "tests/platform/process_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
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
