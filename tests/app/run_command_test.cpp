// tools/run-dalmora's demo path with the programs as built: the demo
// service it starts, the server file it writes, the login it prints, and
// that its own processes end with dalmora1.
#include "platform/core/bus_client.h"
#include "platform/core/file.h"
#include "tests/killer/killer_fixture.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

namespace {

using SteadyClock = std::chrono::steady_clock;

size_t AppendToString(char* data, size_t size, size_t count, void* text)
{
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// A POST to the address; the answer's body, empty when nothing answered.
std::string Post(const std::string& url, const std::string& body)
{
    std::string answer;
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return answer;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK ? answer : std::string();
}

// The value of `key` in a "Key:value" file; empty when missing.
std::string ConfigValue(const std::string& text, const std::string& key)
{
    const size_t at = text.find(key + ":");
    if (at == std::string::npos)
        return {};
    const size_t from = at + key.size() + 1;
    return text.substr(from, text.find('\n', from) - from);
}

class RunCommand : public KillerFixture {
protected:
    void SetUp() override
    {
        KillerFixture::SetUp();
        setenv("DALMORA_RUN_NO_BUILD", "1", 1);
        setenv("DALMORA_RUN_BUILD", DALMORA_BUILD_DIR, 1);
        setenv("DALMORA_RUN_FOLDER", (root_ + "run").c_str(), 1);
    }
    void TearDown() override
    {
        for (const char* name : {"DALMORA_RUN_NO_BUILD", "DALMORA_RUN_BUILD", "DALMORA_RUN_FOLDER"})
            unsetenv(name);
        KillerFixture::TearDown();
    }
};

TEST_F(RunCommand, TheDemoPathServesThePrintedLoginAndEndsWithTheProgram)
{
    testenv::Child script;
    const auto start = SteadyClock::now();
    ASSERT_TRUE(script.Spawn({"/bin/bash", DALMORA_RUN_COMMAND}));
    std::string serviceLine;
    std::string accountLine;
    ASSERT_TRUE(script.ReadUntilPrefix("Demo service: http://", serviceLine));
    ASSERT_TRUE(script.ReadUntilPrefix("Demo account: login ", accountLine));
    const auto printed = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start);
    EXPECT_LT(printed.count(), 2000) << "the service started and the file written";

    // "Demo account: login alice, password demo-heslo"
    const std::string account = accountLine.substr(std::string("Demo account: login ").size());
    const std::string login = account.substr(0, account.find(','));
    const std::string password = account.substr(account.find("password ") + 9);
    std::string config;
    ASSERT_TRUE(plat::ReadWholeFile(root_ + "run/config/Dalmora/pimsrv00.cfg", config));
    const std::string api = ConfigValue(config, "ApiDomain");
    ASSERT_EQ(ConfigValue(config, "ApiProtocol"), "http");
    ASSERT_NE(serviceLine.find(api.substr(0, api.find('/'))), std::string::npos) << serviceLine << " / " << api;

    // The service of the server file takes the printed login.
    const std::string answer = Post("http://" + api + "?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167",
                                    "ApiReq=login&InstID=0&NetBIOSName=TEST&Username=" + login + "&Pass=" + password);
    EXPECT_NE(answer.find("<UserLoginOK>1</UserLoginOK>"), std::string::npos) << answer;

    // The program runs with the run's own configuration folder: its
    // start-with-the-session entry is there, never in the user's.
    int programPid = 0;
    ASSERT_TRUE(testenv::WaitUntil(
        [&] {
            const auto windows = plat::ListBusWindows("TfrmMainDLMR1");
            programPid = windows.empty() ? 0 : windows[0].pid;
            return programPid != 0;
        },
        10000));
    EXPECT_TRUE(testenv::WaitUntil([&] { return plat::FileExists(root_ + "run/config/autostart/Dalmora.desktop"); }));
    EXPECT_FALSE(plat::FileExists(root_ + "home/.config/autostart/Dalmora.desktop"));

    // The program ends: the script ends with it, and so does its service.
    ASSERT_EQ(kill(programPid, SIGTERM), 0);
    int status = -1;
    ASSERT_TRUE(script.Wait(status, 10000));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Post("http://" + api, "ApiReq=login"), "") << "the service still answers";
}

} // namespace
