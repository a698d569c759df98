#include "foundation/app_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string HostOf(const std::string& address)
{
    size_t start = address.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = address.find_first_of("/?", start);
    return address.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(TNAppInfo, ReleaseWithoutConfigurationHasOneBuiltInServer)
{
    TNAppInfo app;
    InitAppInfo(app, 0, 0);
    EXPECT_EQ(app.PimServersCount, 1);
    EXPECT_EQ(app.IsDev, 0);
    EXPECT_EQ(app.WriteLog, 0);
    EXPECT_EQ(app.VersionNumber, 167);
    EXPECT_STREQ(app.VersionText, "1.67");
    EXPECT_TRUE(EndsWith(app.ApiUrl[0], "?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167")) << app.ApiUrl[0];
    EXPECT_TRUE(EndsWith(app.ApiUrl[0], "/index.php?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167"));
    EXPECT_EQ(std::string(app.ApiUrl[0]).rfind("https://", 0), 0u);
    EXPECT_EQ(std::string(app.UpdateCheckUrl).rfind("https://", 0), 0u);
    EXPECT_TRUE(EndsWith(app.UpdateCheckUrl, "/api/get-update.php"));
    EXPECT_STREQ(app.SetupFileName, "setup-dlmr1.dat");
    EXPECT_STREQ(app.ApplicationTitle, "Dalmora");
    EXPECT_STREQ(app.AboutLine, "Dalmora 1.67");
    EXPECT_EQ(app.TrayIconNormal, 3);
    EXPECT_EQ(app.TrayIconUnread, 6);
    EXPECT_EQ(app.raFileAllPIM, -1);
    EXPECT_LT(app.Random, 1u << 24);
    // The motto is CP1250: "é" is one byte E9.
    EXPECT_EQ(static_cast<unsigned char>(app.ApplicationMotto[7]), 0xE9);
}

TEST(TNAppInfo, DevelopmentValuesChooseTheServerSet)
{
    struct Case {
        int32_t value;
        int32_t servers;
        const char* apiStart;
        int32_t trayNormal;
    };
    const Case cases[] = {
        {1, 1, "https://dev1.", 2},
        {2, 1, "http://dev2.", 2},
        {3, 0, "", 2},
        {-1, 0, "", 2},
    };
    for (const Case& row : cases) {
        TNAppInfo app;
        InitAppInfo(app, row.value, 1);
        SCOPED_TRACE(row.value);
        EXPECT_EQ(app.PimServersCount, row.servers);
        EXPECT_EQ(app.IsDev, 1);
        EXPECT_EQ(app.WriteLog, 1);
        EXPECT_EQ(app.TrayIconNormal, row.trayNormal);
        EXPECT_EQ(std::string(app.ApiUrl[0]).rfind(row.apiStart, 0), 0u) << app.ApiUrl[0];
        if (row.servers == 1) {
            EXPECT_TRUE(EndsWith(app.ApiUrl[0], "/zoro2/index.php?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167"));
        }
    }
}

TEST(TNAppInfo, MinorVersionBelowTenHasLeadingZero)
{
    TNAppInfo app;
    InitAppInfo(app, 0, 0);
    app.VersionMinor = 5;
    ASSERT_TRUE(BuildServerAddresses(app));
    EXPECT_TRUE(EndsWith(app.ApiUrl[0], "&Version=105")) << app.ApiUrl[0];
}

TEST(TNAppInfo, EveryBuiltInAddressIsAnExampleHost)
{
    for (int32_t value = 0; value <= 2; ++value) {
        TNAppInfo app;
        InitAppInfo(app, value, 0);
        std::vector<std::string> addresses = {
            app.WebUrl,       app.SupportUrl,     app.HomepageUrl,       app.TermsUrl,      app.WindowsPageUrl,
            app.ApiUrl[0],    app.UpdateCheckUrl, app.UpdateDownloadUrl, app.ServerTestUrl, app.ForgottenPasswordUrl,
            app.InstagramUrl, app.FacebookUrl,    app.WebDomainText};
        for (const std::string& address : addresses) {
            ASSERT_FALSE(address.empty());
            EXPECT_TRUE(EndsWith(HostOf(address), ".example")) << address;
        }
        for (const char* caption : {app.InstagramCaption, app.TwitterCaption, app.FacebookCaption}) {
            std::string text = caption;
            std::string last = text.substr(text.rfind('\n') + 1);
            EXPECT_TRUE(EndsWith(HostOf(last), ".example")) << last;
        }
    }
}

// The configuration allows hosts of 63 characters and the record holds hosts
// of 127: every derived address holds them whole.
TEST(TNAppInfo, LongestHostsGiveWholeAddresses)
{
    for (size_t length : {size_t{63}, sizeof(TNAppInfo::WebDomain[0]) - 1}) {
        TNAppInfo app;
        InitAppInfo(app, 0, 0);
        std::string host(length, 'h');
        std::string protocol(7, 'p');
        app.PimServersCount = 3;
        for (int i = 0; i < 3; ++i) {
            std::strcpy(app.WebProtocol[i], protocol.c_str());
            std::strcpy(app.WebDomain[i], host.c_str());
            std::strcpy(app.ApiProtocol[i], protocol.c_str());
            std::strcpy(app.ApiDomain[i], host.c_str());
            std::strcpy(app.UpdateWebProtocol[i], protocol.c_str());
            std::strcpy(app.UpdateWebDomain[i], host.c_str());
        }
        ASSERT_TRUE(BuildServerAddresses(app));
        std::string base = protocol + "://" + host;
        EXPECT_EQ(std::string(app.WebUrl), base + "/");
        EXPECT_EQ(std::string(app.WebDomainText), host);
        EXPECT_EQ(std::string(app.TermsUrl), base + "/uzivatel/podminky-pouzivani");
        EXPECT_EQ(std::string(app.ForgottenPasswordUrl), base + "/uzivatel/zapomenute-heslo/");
        EXPECT_EQ(std::string(app.UpdateCheckUrl), base + "/api/get-update.php");
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(std::string(app.ApiUrl[i]), base + "?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167");
    }
}

TEST(TNAppInfo, ThreeServersKeepTheLastServersSingleAddresses)
{
    TNAppInfo app;
    InitAppInfo(app, 0, 0);
    app.PimServersCount = 3;
    const char* hosts[] = {"a.example", "b.example", "c.example"};
    for (int i = 0; i < 3; ++i) {
        std::strcpy(app.WebProtocol[i], "https");
        std::strcpy(app.WebDomain[i], hosts[i]);
        std::strcpy(app.ApiProtocol[i], "https");
        std::strcpy(app.ApiDomain[i], hosts[i]);
        std::strcpy(app.UpdateWebProtocol[i], "http");
        std::strcpy(app.UpdateWebDomain[i], hosts[i]);
    }
    ASSERT_TRUE(BuildServerAddresses(app));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(HostOf(app.ApiUrl[i]), hosts[i]);
    EXPECT_STREQ(app.UpdateCheckUrl, "http://c.example/api/get-update.php");
    EXPECT_STREQ(app.WebUrl, "https://c.example/");
}

} // namespace
