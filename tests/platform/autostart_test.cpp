#include "platform/core/autostart.h"

#include "platform/core/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Reads a desktop entry the way a desktop environment does: key=value lines,
// then the string unescaping of the value, then "%%", then the Exec quoting.
std::map<std::string, std::string> ReadEntry(const std::string& path)
{
    std::ifstream in(path);
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(in, line);) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

std::string UnescapeString(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            text += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            text += value[i];
        }
    }
    return text;
}

std::vector<std::string> SplitExec(const std::string& value)
{
    std::string text = UnescapeString(value);
    std::string unpercent;
    for (size_t i = 0; i < text.size(); ++i) {
        unpercent += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%')
            ++i;
    }
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false;
    bool any = false;
    for (size_t i = 0; i < unpercent.size(); ++i) {
        char ch = unpercent[i];
        if (quoted) {
            if (ch == '\\' && i + 1 < unpercent.size())
                current += unpercent[++i];
            else if (ch == '"')
                quoted = false;
            else
                current += ch;
        } else if (ch == '"') {
            quoted = true;
            any = true;
        } else if (ch == ' ') {
            if (any || !current.empty())
                arguments.push_back(current);
            current.clear();
            any = false;
        } else {
            current += ch;
        }
    }
    if (any || !current.empty())
        arguments.push_back(current);
    return arguments;
}

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/autostart-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldConfig_ = old != nullptr ? old : "";
        hadConfig_ = old != nullptr;
        setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    }
    void TearDown() override
    {
        if (hadConfig_)
            setenv("XDG_CONFIG_HOME", oldConfig_.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(root_);
    }
    std::string root_;
    std::string oldConfig_;
    bool hadConfig_ = false;
};

TEST_F(AutostartTest, FileNameKeepsOnlySafeBytes)
{
    EXPECT_EQ(plat::AutostartFileName("Dalmora"), "Dalmora.desktop");
    EXPECT_EQ(plat::AutostartFileName("Firma Dalmora/1.x_y-z"), "Firma-Dalmora-1.x_y-z.desktop");
    EXPECT_EQ(plat::AutostartFileName("a\xC5\xBE"), "a--.desktop");
}

TEST_F(AutostartTest, EntryReadsBackTheExactProgramPath)
{
    std::string program = "/opt/my apps/\"quoted\" $HOME 100% `x` back\\slash/dalmora1";
    ASSERT_TRUE(plat::WriteAutostartEntry("Firma Dalmora", program, " -autorun"));
    std::string path = root_ + "/config/autostart/Firma-Dalmora.desktop";
    ASSERT_TRUE(std::filesystem::exists(path));
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "[Desktop Entry]");
    auto values = ReadEntry(path);
    EXPECT_EQ(values["Type"], "Application");
    EXPECT_EQ(values["Name"], "Firma Dalmora");
    EXPECT_EQ(values["Terminal"], "false");
    std::vector<std::string> arguments = SplitExec(values["Exec"]);
    ASSERT_EQ(arguments.size(), 2u);
    EXPECT_EQ(arguments[0], program);
    EXPECT_EQ(arguments[1], "-autorun");

    EXPECT_TRUE(plat::RemoveAutostartEntry("Firma Dalmora"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(plat::RemoveAutostartEntry("Firma Dalmora"));
}

} // namespace
