#include "foundation/app_info.h"
#include "foundation/program_start.h"
#include "foundation/server_config.h"
#include "tests/support/files.h"
#include "tests/support/named_pipe.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>

namespace {

using testing_support::ScratchFolder;
using testing_support::WriteFile;

// A complete server block; the hosts carry the tag.
std::string Server(const std::string& tag, const char* end = "\n")
{
    return std::string("WebProtocol:https") + end + "WebDomain:web" + tag + ".example" + end + "ApiProtocol:https" +
           end + "ApiDomain:api" + tag + ".example/index.php" + end + "UpdateWebProtocol:http" + end +
           "UpdateWebDomain:upd" + tag + ".example" + end;
}

// A complete application block, CP1250 text.
std::string Application(const std::string& producer = "Vyrobce", const std::string& product = "Produkt")
{
    return "ApplicationName:Kalendář\nDirProducer:" + producer + "\nDirName:" + product + "\nPrefixForFilenames:kal1\n";
}

// App with its built-in names and no built-in server.
TNAppInfo Blank()
{
    TNAppInfo app;
    InitAppInfo(app, 3, 0);
    return app;
}

struct Case {
    const char* name;
    std::map<std::string, std::string> files;
    int32_t servers;
    std::function<void(const TNAppInfo&)> check;
};

TEST(ServerConfig, ReadsTheFilesAsTheKeyTableSays)
{
    const std::string overlongPrefix = "Junk:" + std::string(1023 - 5, 'a');
    const Case cases[] = {
        {"keys of another letter case are ignored",
         {{"pimsrv00.cfg",
           "WebProtocol:https\nwebdomain:web0.example\n" + Server("0").substr(Server("0").find("ApiProtocol"))}},
         0,
         nullptr},
        {"a line without a colon is ignored",
         {{"pimsrv00.cfg", "WebDomain web9.example\n" + Server("0")}},
         1,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.WebDomain[0], "web0.example"); }},
        {"a blank after the colon stays, CR LF ends the value",
         {{"pimsrv00.cfg", Server("0", "\r\n") + "WebDomain: web1.example\r\n"}},
         1,
         [](const TNAppInfo& app) {
             EXPECT_STREQ(app.WebDomain[0], " web1.example");
             EXPECT_STREQ(app.ApiDomain[0], "api0.example/index.php");
         }},
        {"a later duplicate key wins",
         {{"pimsrv00.cfg", Server("0") + "ApiDomain:late.example/index.php"}},
         1,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.ApiDomain[0], "late.example/index.php"); }},
        {"an overlong line is skipped whole, its tail never read as a line",
         {{"pimsrv00.cfg", Server("0") + overlongPrefix + "WebDomain:evil.example\n"}},
         1,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.WebDomain[0], "web0.example"); }},
        {"an overlong line is skipped, not cut: its cut value would end at the CR and fit",
         {{"pimsrv00.cfg", Server("0") + "WebDomain:evil.example\r" + std::string(1100, ' ') + "\n"}},
         1,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.WebDomain[0], "web0.example"); }},
        {"a line of 1023 characters is read",
         {{"pimsrv00.cfg", Server("0") + "ApplicationMotto:" + std::string(1023 - 17, 'm') + "\n"}},
         1,
         nullptr},
        {"a value of the key's width is taken",
         {{"pimsrv00.cfg", Server("0") + "WebDomain:" + std::string(63, 'w') + "\n"}},
         1,
         [](const TNAppInfo& app) { EXPECT_EQ(std::string(app.WebDomain[0]), std::string(63, 'w')); }},
        {"an over-width value drops its key, so the server is incomplete",
         {{"pimsrv00.cfg", Server("0") + "WebDomain:" + std::string(64, 'w') + "\n"}},
         0,
         nullptr},
        {"an over-width protocol drops its key too",
         {{"pimsrv00.cfg", Server("0") + "ApiProtocol:httpsxyz1\n"}},
         0,
         nullptr},
        {"only file 01 valid gives server 0 and ignores its application names",
         {{"pimsrv01.cfg", Server("1") + Application()}},
         1,
         [](const TNAppInfo& app) {
             EXPECT_STREQ(app.WebDomain[0], "web1.example");
             EXPECT_STREQ(app.ApplicationName, "Dalmora");
             EXPECT_STREQ(app.DirProducer, "Dalmora");
         }},
        {"files 00 and 02 valid make 02 server 1",
         {{"pimsrv00.cfg", Server("0")}, {"pimsrv01.cfg", "WebProtocol:https\n"}, {"pimsrv02.cfg", Server("2")}},
         2,
         [](const TNAppInfo& app) {
             EXPECT_STREQ(app.WebDomain[0], "web0.example");
             EXPECT_STREQ(app.WebDomain[1], "web2.example");
             EXPECT_STREQ(app.UpdateWebDomain[1], "upd2.example");
         }},
        {"file 00's application block replaces the names, bytes as they are",
         {{"pimsrv00.cfg", Application() + "ApplicationMotto:první\\ndruhá\\\\x\n"}},
         0,
         [](const TNAppInfo& app) {
             EXPECT_STREQ(app.ApplicationName, "Kalendář");
             EXPECT_STREQ(app.ApplicationNameV2, "Kalendář");
             EXPECT_STREQ(app.ApplicationMotto, "první\ndruhá\\\\x");
             EXPECT_STREQ(app.DirProducer, "Vyrobce");
             EXPECT_STREQ(app.DirName, "Produkt");
             EXPECT_STREQ(app.PrefixForFilenames, "kal1");
             EXPECT_STREQ(app.AppPrefix, "dlmr1");
         }},
        {"an incomplete application block changes nothing",
         {{"pimsrv00.cfg", "ApplicationName:Jiny\nDirProducer:V\nDirName:P\n"}},
         0,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.ApplicationName, "Dalmora"); }},
        {"a maker folder of \"..\" keeps the block out, not the server",
         {{"pimsrv00.cfg", Application("..") + Server("0")}},
         1,
         [](const TNAppInfo& app) {
             EXPECT_STREQ(app.ApplicationName, "Dalmora");
             EXPECT_STREQ(app.DirProducer, "Dalmora");
         }},
        {"a product folder holding \"/\" keeps the block out",
         {{"pimsrv00.cfg", Application("Vyrobce", "a/b")}},
         0,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.DirName, "DLMR1"); }},
        {"a web domain leading out of the data folder keeps its server out",
         {{"pimsrv00.cfg", Server("0") + "WebDomain:x/../../escaped/here\n"}, {"pimsrv01.cfg", Server("1")}},
         1,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.WebDomain[0], "web1.example"); }},
        {"a web domain of \"..\" keeps its server out", {{"pimsrv00.cfg", Server("0") + "WebDomain:..\n"}}, 0, nullptr},
        {"a product folder of \".\" keeps the block out",
         {{"pimsrv00.cfg", Application("Vyrobce", ".")}},
         0,
         [](const TNAppInfo& app) { EXPECT_STREQ(app.DirName, "DLMR1"); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        ScratchFolder folder;
        for (const auto& [name, contents] : row.files)
            WriteFile(folder.File(name), contents);
        TNAppInfo app = Blank();
        EXPECT_EQ(ReadServerConfigFilesFrom(app, folder.Path()), row.servers > 0);
        EXPECT_EQ(app.PimServersCount, row.servers);
        if (row.check)
            row.check(app);
    }
}

TEST(ServerConfig, VirtualAccountsOnlyForTheTrueWords)
{
    const struct {
        const char* value;
        uint8_t allowed;
    } cases[] = {{"true", 1}, {"True", 1}, {"TRUE", 1}, {"1", 1}, {"yes", 0}, {"false", 0}, {"tRUE", 0}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.value);
        ScratchFolder folder;
        WriteFile(folder.File("pimsrv00.cfg"), Server("0") + "EnableVirtualAccounts:" + row.value + "\n");
        WriteFile(folder.File("pimsrv01.cfg"), Server("1"));
        TNAppInfo app = Blank();
        ASSERT_TRUE(ReadServerConfigFilesFrom(app, folder.Path()));
        EXPECT_EQ(app.EnableVirtualAccounts[0], row.allowed);
        EXPECT_EQ(app.EnableVirtualAccounts[1], 0) << "missing leaves them forbidden";
    }
}

TEST(ServerConfig, ThreeServersGiveThreeApiUrlsAndTheThirdsSingleAddresses)
{
    ScratchFolder folder;
    for (const char* tag : {"0", "1", "2"})
        WriteFile(folder.File(std::string("pimsrv0") + tag + ".cfg"), Server(tag));
    SetProgramFolderForTest(folder.Path());
    TNAppInfo app;
    InitAppInfo(app, 0, 0);
    SetProgramFolderForTest("");

    ASSERT_EQ(app.PimServersCount, 3);
    for (int i = 0; i < 3; ++i) {
        std::string tag = std::to_string(i);
        EXPECT_EQ(std::string(app.ApiUrl[i]),
                  "https://api" + tag + ".example/index.php?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167");
    }
    EXPECT_STREQ(app.UpdateCheckUrl, "http://upd2.example/api/get-update.php");
    EXPECT_STREQ(app.WebUrl, "https://web2.example/");
}

TEST(ServerConfig, TheUsersOwnFilesComeBeforeTheProgramFolders)
{
    ScratchFolder program;
    ScratchFolder config;
    WriteFile(program.File("pimsrv00.cfg"), Server("0"));
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string oldConfig = old != nullptr ? old : "";
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    SetProgramFolderForTest(program.Path());
    const struct {
        const char* name;
        std::string userFile;
        const char* webDomain;
    } cases[] = {
        {"no user file", "", "web0.example"},
        {"a user file", Server("7"), "web7.example"},
        {"a user file without a whole server", "WebProtocol:http\n", "web0.example"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        if (!row.userFile.empty())
            WriteFile(config.File("Dalmora/pimsrv00.cfg"), row.userFile);
        TNAppInfo app;
        InitAppInfo(app, 0, 0);
        EXPECT_EQ(app.PimServersCount, 1);
        EXPECT_STREQ(app.WebDomain[0], row.webDomain);
    }
    SetProgramFolderForTest("");
    if (old != nullptr)
        setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(ServerConfig, ANamedPipeIsNoFileAndDoesNotHoldTheStart)
{
    ScratchFolder folder;
    WriteFile(folder.File("pimsrv01.cfg"), Server("1"));
    TNAppInfo app = Blank();
    EXPECT_TRUE(testing_support::ReturnsBesideAPipe(folder.File("pimsrv00.cfg"),
                                                    [&] { ReadServerConfigFilesFrom(app, folder.Path()); }));
    EXPECT_EQ(app.PimServersCount, 1);
    EXPECT_STREQ(app.WebDomain[0], "web1.example");
}

TEST(ServerConfig, WithoutFilesTheBuiltInServerStays)
{
    ScratchFolder folder;
    SetProgramFolderForTest(folder.Path());
    TNAppInfo app;
    InitAppInfo(app, 0, 0);
    SetProgramFolderForTest("");
    EXPECT_EQ(app.PimServersCount, 1);
    EXPECT_NE(std::string(app.ApiUrl[0]).find("?ApiCall=1&AppID=16"), std::string::npos);
}

} // namespace
