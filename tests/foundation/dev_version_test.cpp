#include "foundation/app_info.h"
#include "foundation/dev_version.h"
#include "tests/support/files.h"
#include "tests/support/named_pipe.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using testing_support::ScratchFolder;

TEST(DevelopmentFile, FirstByteChoosesServersSecondSwitchesLogging)
{
    struct Case {
        const char* name;
        std::optional<std::string> contents;
        bool found;
        int32_t isDev;
        int32_t servers;
        uint8_t logging;
    };
    const Case cases[] = {
        {"missing: release, logging off", std::nullopt, false, 0, 1, 0},
        {"empty: development without servers, logging on", std::string(), true, 1, 0, 1},
        {"\"10\": server set 1, logging off", std::string("10"), true, 1, 1, 0},
        {"\"11\": server set 1, logging on", std::string("11"), true, 1, 1, 1},
        {"\"0x\": release, logging on", std::string("0x"), true, 0, 1, 1},
        {"\"00\" and more: release, logging off", std::string("00ignored"), true, 0, 1, 0},
        {"\"3\": no server, logging on", std::string("3"), true, 1, 0, 1},
        {"\"20\": server set 2", std::string("20"), true, 1, 1, 0},
        {"a byte above 127 counts negative: no server",
         std::string("\xF0"
                     "0"),
         true, 1, 0, 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        if (row.contents)
            testing_support::WriteFile(folder.File("development-version.txt"), *row.contents);
        TNDevelopmentFile file = ReadDevelopmentFile(folder.Path());
        EXPECT_EQ(file.Found, row.found);
        // As the entry function does: App is filled again only from a file.
        TNAppInfo app;
        InitAppInfo(app, 0, 0);
        if (file.Found)
            InitAppInfo(app, file.Value, file.Logging);
        EXPECT_EQ(app.IsDev, row.isDev);
        EXPECT_EQ(app.PimServersCount, row.servers);
        EXPECT_EQ(app.WriteLog, row.logging);
    }
}

TEST(DevelopmentFile, ValuesOfTheFirstByte)
{
    ScratchFolder folder;
    const struct {
        const char* contents;
        int32_t value;
    } cases[] = {{"1", 1}, {"2", 2}, {"9", 9}, {"", -1 - '0'}, {"A", 'A' - '0'}};
    for (const auto& row : cases) {
        testing_support::WriteFile(folder.File("development-version.txt"), row.contents);
        EXPECT_EQ(ReadDevelopmentFile(folder.Path()).Value, row.value) << row.contents;
    }
}

TEST(DevelopmentFile, AFolderOfThatNameOrNoProgramFolderIsNoFile)
{
    ScratchFolder folder;
    ASSERT_EQ(mkdir(folder.File("development-version.txt").c_str(), 0700), 0);
    EXPECT_FALSE(ReadDevelopmentFile(folder.Path()).Found);
    EXPECT_FALSE(ReadDevelopmentFile("").Found);
}

TEST(DevelopmentFile, ANamedPipeOfThatNameIsNoFileAndDoesNotHoldTheStart)
{
    ScratchFolder folder;
    TNDevelopmentFile file;
    file.Found = true;
    EXPECT_TRUE(testing_support::ReturnsBesideAPipe(folder.File("development-version.txt"),
                                                    [&] { file = ReadDevelopmentFile(folder.Path()); }));
    EXPECT_FALSE(file.Found);
}

} // namespace
