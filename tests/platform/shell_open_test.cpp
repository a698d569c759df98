#include "platform/core/platform_log.h"
#include "platform/core/shell_open.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace {

std::vector<std::string> logLines;
std::vector<std::vector<std::string>> started;

void RecordLogLine(const std::string& line)
{
    logLines.push_back(line);
}

bool RecordStart(const std::vector<std::string>& argv, int*)
{
    started.push_back(argv);
    return true;
}

// A scratch folder with a file to open, a PATH of the test's choosing and the
// platform's log lines collected.
class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logLines.clear();
        started.clear();
        plat::SetPlatformLogSink(&RecordLogLine);
        ASSERT_FALSE(folder_.empty());
        std::ofstream(folder_ + "changelog-cs.txt") << "novinky\n";
        std::ofstream(folder_ + "-help") << "a file named like an option\n";
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        savedFolder_ = std::filesystem::current_path();
    }
    void TearDown() override
    {
        plat::SetShellStarter(nullptr);
        plat::SetPlatformLogSink(nullptr);
        setenv("PATH", savedPath_.c_str(), 1);
        std::filesystem::current_path(savedFolder_);
    }
    testing_support::ScratchFolder scratch_;
    std::string folder_ = scratch_.Path();
    std::string savedPath_;
    std::filesystem::path savedFolder_;
};

TEST_F(ShellOpenTest, StartsXdgOpenWithOneArgumentOrRefuses)
{
    std::filesystem::current_path(folder_);
    plat::SetShellStarter(&RecordStart);
    std::string file = folder_ + "changelog-cs.txt";
    struct Case {
        std::string target;
        std::string verb;
        std::string opened; // empty: refused
    };
    const Case cases[] = {
        {"https://www.example.com/?a=1&b=2; rm -rf ~ `id`", "open", "https://www.example.com/?a=1&b=2; rm -rf ~ `id`"},
        {"http://example.com/", "", "http://example.com/"},
        {"MAILTO:uzivatel@example.com", "Open", "MAILTO:uzivatel@example.com"},
        {file, "open", file},
        {file, "edit", file},
        // Relative paths become absolute, so "-help" never reaches xdg-open as an option.
        {"-help", "open", folder_ + "-help"},
        {"javascript:alert(1)", "open", ""},
        {"file:///etc/passwd", "open", ""},
        {"ftp://example.com/", "open", ""},
        {"https://example.com/", "edit", ""},
        {"https://example.com/\nforged line", "open", ""},
        {"http://", "open", ""},
        {"", "open", ""},
        {folder_ + "missing.txt", "open", ""},
        {folder_, "open", ""},
        {file, "print", ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.target + " / " + row.verb);
        logLines.clear();
        started.clear();
        bool opened = plat::ShellOpen(row.target, row.verb);
        if (row.opened.empty()) {
            EXPECT_FALSE(opened);
            EXPECT_TRUE(started.empty());
            ASSERT_EQ(logLines.size(), 1u);
            EXPECT_EQ(logLines[0].rfind("[ShellOpen][ERROR] Refused", 0), 0u) << logLines[0];
            EXPECT_EQ(logLines[0].find('\n'), std::string::npos);
        } else {
            EXPECT_TRUE(opened);
            ASSERT_EQ(started.size(), 1u);
            EXPECT_EQ(started[0], (std::vector<std::string>{"xdg-open", row.opened}));
            EXPECT_TRUE(logLines.empty());
        }
    }
}

TEST_F(ShellOpenTest, WithoutXdgOpenFailsWithOneLogLine)
{
    setenv("PATH", folder_.c_str(), 1);
    EXPECT_FALSE(plat::ShellOpen("https://www.example.com/", "open"));
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_NE(logLines[0].find("xdg-open is not installed"), std::string::npos) << logLines[0];
}

std::string WaitForFile(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(path);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

TEST_F(ShellOpenTest, StartedXdgOpenInheritsOnlyTheStandardDescriptors)
{
    std::filesystem::create_symlink(DALMORA_DESCRIPTOR_PROBE, folder_ + "xdg-open");
    setenv("PATH", folder_.c_str(), 1);
    std::string record = folder_ + "probe.txt";
    setenv("DALMORA_PROBE_RECORD", record.c_str(), 1);
    // One descriptor with close-on-exec and one without: neither may leak.
    int plain = open("/dev/null", O_RDONLY);
    int closing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(plain, 0);
    ASSERT_GE(closing, 0);

    bool opened = plat::ShellOpen("https://www.example.com/a b", "open");
    std::string text = WaitForFile(record);
    close(plain);
    close(closing);
    unsetenv("DALMORA_PROBE_RECORD");

    EXPECT_TRUE(opened);
    EXPECT_EQ(text, "arguments=1\nargument=https://www.example.com/a b\ndescriptors=0;1;2;\n");
    EXPECT_TRUE(logLines.empty());
}

} // namespace
