#include "platform/core/desktop.h"
#include "platform/core/paths.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// Puts a stand-in "xdg-open" first in PATH that records its arguments, its
// session and whether a descriptor of the test leaked into it.
class DesktopOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.empty());
        record_ = folder_ + "record.txt";
        std::ofstream script(folder_ + "xdg-open");
        script << "#!/bin/sh\n"
                  "{\n"
                  "  echo \"count=$#\"\n"
                  "  for a in \"$@\"; do echo \"arg=$a\"; done\n"
                  "  if [ -e /proc/$$/fd/$DALMORA_LEAK_FD ]; then echo leaked; else echo clean; fi\n"
                  "  echo \"sid=$(cut -d' ' -f6 /proc/$$/stat)\"\n"
                  "} > \"$DALMORA_RECORD.part\"\n"
                  "mv \"$DALMORA_RECORD.part\" \"$DALMORA_RECORD\"\n";
        script.close();
        ASSERT_EQ(chmod((folder_ + "xdg-open").c_str(), 0700), 0);
        const char* path = std::getenv("PATH");
        oldPath_ = path != nullptr ? path : "";
        setenv("PATH", (folder_.substr(0, folder_.size() - 1) + ":" + oldPath_).c_str(), 1);
        setenv("DALMORA_RECORD", record_.c_str(), 1);
    }
    void TearDown() override
    {
        setenv("PATH", oldPath_.c_str(), 1);
        unsetenv("DALMORA_RECORD");
        unsetenv("DALMORA_LEAK_FD");
    }
    std::string WaitForRecord()
    {
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(record_);
            if (in) {
                std::stringstream text;
                text << in.rdbuf();
                return text.str();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }
    testing_support::ScratchFolder scratch_;
    std::string folder_ = scratch_.Path();
    std::string record_;
    std::string oldPath_;
};

TEST_F(DesktopOpen, PassesOneArgumentWithoutShellAndDetached)
{
    // A descriptor without close-on-exec must still not reach the child.
    int leak = open("/dev/null", O_RDONLY);
    ASSERT_GE(leak, 0);
    setenv("DALMORA_LEAK_FD", std::to_string(leak).c_str(), 1);

    std::string target = "https://www.dalmora.example/?a=1&b=2; touch $HOME/pwned `id` \"q\"";
    ASSERT_TRUE(plat::OpenInDesktop(target));
    std::string record = WaitForRecord();
    close(leak);

    EXPECT_NE(record.find("count=1\n"), std::string::npos) << record;
    EXPECT_NE(record.find("arg=" + target + "\n"), std::string::npos) << record;
    EXPECT_NE(record.find("clean\n"), std::string::npos) << record;
    EXPECT_EQ(record.find("sid=" + std::to_string(getsid(0)) + "\n"), std::string::npos) << record;
}

TEST_F(DesktopOpen, FailsWithoutHandler)
{
    setenv("PATH", "/nonexistent-dalmora", 1);
    EXPECT_FALSE(plat::OpenInDesktop("https://www.dalmora.example/"));
}

bool lastOpenedSeen = false;
bool RecordingOpener(const std::string& target)
{
    lastOpenedSeen = target == "mailto:uzivatel@example.com";
    return true;
}

TEST_F(DesktopOpen, SeamReceivesCallsInsteadOfDesktop)
{
    plat::SetDesktopOpener(&RecordingOpener);
    EXPECT_TRUE(plat::OpenInDesktop("mailto:uzivatel@example.com"));
    plat::SetDesktopOpener(nullptr);
    EXPECT_TRUE(lastOpenedSeen);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::ifstream(record_).good());
}

} // namespace
