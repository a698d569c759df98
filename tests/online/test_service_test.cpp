// The test service's own behaviour that the transport tests rely on: its
// strictness about form encoding, and the program run by hand.

#include "online/download.h"
#include "online/http_send.h"
#include "tests/online/online_test_support.h"
#include "tests/service/form_decoder.h"
#include "tests/service/service_set.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <thread>

using online_test::ServiceTest;
using test_service::Violation;

namespace {

std::vector<std::string> Kinds(const std::vector<Violation>& violations)
{
    std::vector<std::string> kinds;
    for (const Violation& violation : violations)
        kinds.push_back(violation.Kind + ":" + violation.Key);
    return kinds;
}

} // namespace

TEST(TestServiceForm, DecodesAndFindsWhatTheClientShouldHaveEncoded)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> kinds;
        std::string firstValue;
    } cases[] = {
        {"Encoded", "Username=alice%40example%2Etest&Pass=p%26ss+%2B1%9E", {}, "alice@example.test"},
        {"RawAt", "Username=alice@example", {"raw:Username"}, "alice@example"},
        {"RawCp1250", "Text=\x9E", {"raw:Text"}, "\x9E"},
        {"RawSemicolonAllowed", "d=2026%2D05%2D02;2026%2D05%2D09;", {}, "2026-05-02;2026-05-09;"},
        {"BadEscape", "Text=100%", {"escape:Text"}, "100%"},
        {"LowerHex", "Text=%e9", {"hex-case:Text"}, "\xE9"},
        {"OverEncoded", "Text=%41", {"over-encoded:Text"}, "A"},
        {"BadKey", "Bad-Key=1", {"key:Bad-Key"}, "1"},
        {"RepeatedKey", "UserID=1&UserID=2", {"repeat:UserID"}, "1"},
        {"EmptyPair", "a=1&&b=2", {"pair:"}, "1"},
    };
    for (const Case& c : cases) {
        std::vector<Violation> violations;
        test_service::FormFields fields = test_service::DecodeForm(c.text, "/index.php", violations);
        EXPECT_EQ(Kinds(violations), c.kinds) << c.name;
        ASSERT_FALSE(fields.empty()) << c.name;
        EXPECT_EQ(fields[0].second, c.firstValue) << c.name;
    }
}

class TestServiceViolations : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.Start()); }
    online_test::ScopedTransportConfig config_{online_test::ShortTimeouts()};
    test_service::TestService service_;
};

TEST_F(TestServiceViolations, RecordsUnencodedValuesInBodiesAndQueries)
{
    TNDownload download;
    ASSERT_TRUE(download.Post((service_.BaseUrl() + "/index.php?ApiCall=1&Mail=a@b").c_str(),
                              "Username=alice@example&Text=\x9E&UserID=1&UserID=2", false));
    EXPECT_EQ(Kinds(service_.Violations()),
              (std::vector<std::string>{"raw:Mail", "raw:Username", "raw:Text", "repeat:UserID"}));
}

// --- The program run by hand --------------------------------------------------

namespace {

// dalmora-test-service as a child process with its first output lines.
class ServiceProcess {
public:
    explicit ServiceProcess(std::vector<std::string> arguments)
    {
        int output[2];
        if (pipe2(output, O_CLOEXEC) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(output[1], STDOUT_FILENO);
            std::vector<char*> argv{const_cast<char*>(DALMORA_TEST_SERVICE)};
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(DALMORA_TEST_SERVICE, argv.data());
            _exit(127);
        }
        close(output[1]);
        output_ = output[0];
    }
    ~ServiceProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0)
            close(output_);
    }

    // The next line of its output, waiting at most 5 s.
    std::string ReadLine()
    {
        std::string line;
        char ch;
        pollfd wait{output_, POLLIN, 0};
        while (poll(&wait, 1, 5000) > 0 && read(output_, &ch, 1) == 1 && ch != '\n')
            line += ch;
        return line;
    }

    // Sends SIGTERM; the exit status, or -1 when it did not end within 5 s.
    int Terminate()
    {
        kill(pid_, SIGTERM);
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

std::string AfterPrefix(const std::string& line, const std::string& prefix)
{
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : std::string();
}

} // namespace

TEST(TestServiceProgram, ServesUntilSigterm)
{
    online_test::ScopedTransportConfig config(online_test::ShortTimeouts());
    ServiceProcess process({});
    std::string base = AfterPrefix(process.ReadLine(), "listening on ");
    ASSERT_EQ(base.rfind("http://127.0.0.1:", 0), 0u) << base;

    EXPECT_EQ(HttpSend((base + "/test.php").c_str(), nullptr, false).View(), "[ServerCheck:1:]");
    TNDownload download;
    EXPECT_TRUE(download.Post((base + "/__test/connections").c_str(), "", false));
    // One thread keeps one connection.
    EXPECT_EQ(download.DocumentText.View(), "1\n");
    EXPECT_TRUE(download.Get((base + "/__test/fault?path=/x&kind=status&status=503&body=down").c_str(), false));
    EXPECT_TRUE(download.Get((base + "/x").c_str(), false));
    EXPECT_EQ(download.ResultCode, 503);
    EXPECT_EQ(download.DocumentText.View(), "down");

    EXPECT_EQ(process.Terminate(), 0);
}

TEST(TestServiceProgram, PrintsTheCaFileInTlsMode)
{
    ServiceProcess process({"--tls"});
    std::string base = AfterPrefix(process.ReadLine(), "listening on ");
    std::string caFile = AfterPrefix(process.ReadLine(), "CA file: ");
    ASSERT_EQ(base.rfind("https://127.0.0.1:", 0), 0u) << base;
    ASSERT_FALSE(caFile.empty());
    online_test::ScopedTransportConfig config(online_test::ShortTimeouts(caFile));
    EXPECT_EQ(HttpSend((base + "/test.php").c_str(), nullptr, false).View(), "[ServerCheck:1:]");
    EXPECT_EQ(process.Terminate(), 0);
    EXPECT_FALSE(access(caFile.c_str(), F_OK) == 0) << "the CA file outlived the service";
}

namespace {

// An answer with its values left out: the element names in order, and the
// values of those that say how the request went.
std::string AnswerShape(const std::string& answer)
{
    static const std::regex element("<([A-Za-z0-9_-]+)>([^<]*)");
    std::string shape;
    for (std::sregex_iterator it(answer.begin(), answer.end(), element), end; it != end; ++it) {
        const std::string name = (*it)[1];
        shape += name;
        if (name == "handshake" || name == "resno" || name == "result" || name == "success")
            shape += "=" + std::string((*it)[2]);
        shape += " ";
    }
    return shape;
}

// Every byte but letters and digits as %XX, as the client encodes.
std::string Encoded(const std::string& text)
{
    std::string out;
    for (unsigned char ch : text) {
        char hex[4];
        std::snprintf(hex, sizeof(hex), "%%%02X", ch);
        out += std::isalnum(ch) ? std::string(1, static_cast<char>(ch)) : std::string(hex);
    }
    return out;
}

std::string PostApi(const std::string& base, const std::string& body)
{
    TNDownload download;
    if (!download.Post((base + "/index.php?ApiCall=1&AppID=16&AppPrefix=dlmr1&Version=167").c_str(), body.c_str(),
                       false))
        return "(no answer)";
    return std::string(download.DocumentText.View());
}

} // namespace

TEST(TestServiceProgram, TheDemoServesEveryRequestOfTheClientAsTheTestsServiceDoes)
{
    online_test::ScopedTransportConfig config(online_test::ShortTimeouts());
    ServiceProcess process({"--demo", "--password", "heslo-123"});
    const std::string handRun = AfterPrefix(process.ReadLine(), "listening on ");
    ASSERT_FALSE(handRun.empty());
    test_service::TestService inProcess;
    test_service::ServiceSet set(inProcess);
    test_service::SeedDemoAccount(set, static_cast<int64_t>(std::time(nullptr)), "heslo-123");
    ASSERT_TRUE(inProcess.Start());

    // Every request name the client sends, in an order in which each finds
    // what it needs: the sign-in first, the new account's tests before it
    // is created.
    const char* const names[] = {"login",
                                 "check-inst-id",
                                 "get-newest-version",
                                 "get-users-organizers",
                                 "get-users-data",
                                 "get-records",
                                 "check-organizers-existence",
                                 "get-updated-records",
                                 "get-one-record",
                                 "get-record-picture",
                                 "get-organizer-picture",
                                 "get-user-profile-picture",
                                 "get-object-data",
                                 "get-popular-and-newest-organizers",
                                 "get-list-of-organizers-all-records-ids",
                                 "get-available-records-of-public-organizer",
                                 "upsync",
                                 "SaveRecordRecurrence",
                                 "DeleteRecurringRecordsByRecurrenceMasterID",
                                 "delete-recurring-record",
                                 "save-basic-profile-settings",
                                 "accept-contact-request",
                                 "ignore-contact-request",
                                 "mark-all-notifications-as-read",
                                 "subscribe-organizer",
                                 "postpone-alert",
                                 "send-stats",
                                 "username-exists",
                                 "username-path-not-exists",
                                 "email-not-exists",
                                 "create-new-account",
                                 "get-alert-on-display-status",
                                 "delete-accepted-alert",
                                 "get-one-time-login-link",
                                 "flag-message-for-users"};
    const std::string head = "&UserID=1001&Username=alice&Pass=heslo%2D123&InstID=77&NetBIOSName=HOST"
                             "&OrganizerID=501&RecordID=9001&AlertID=1&ItemID=1&UsernamePath=carol"
                             "&UpSyncID=4200000001&TypeID=3&Text=Demo";
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string body = "ApiReq=" + Encoded(name) + head;
        // Addresses in answers name the service that gave them.
        std::string expected =
            std::regex_replace(PostApi(inProcess.BaseUrl(), body), std::regex(inProcess.BaseUrl()), "BASE");
        std::string answered = std::regex_replace(PostApi(handRun, body), std::regex(handRun), "BASE");
        EXPECT_EQ(answered.find("Nezn\xE1m\xFD po\x9E"), std::string::npos) << answered;
        EXPECT_EQ(AnswerShape(answered), AnswerShape(expected)) << answered << "\n" << expected;
    }
    EXPECT_EQ(process.Terminate(), 0);
}

TEST_F(TestServiceViolations, AnswersExpectContinueBeforeTheBody)
{
    service_.Route("/api", [](const test_service::Request& request) {
        return test_service::Response::Text("got " + request.Body);
    });
    int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(service_.Port());
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    std::string head = "POST /api HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nExpect: 100-continue\r\n\r\n";
    ASSERT_EQ(write(client, head.data(), head.size()), static_cast<ssize_t>(head.size()));
    auto readSome = [&] {
        char buffer[512];
        pollfd wait{client, POLLIN, 0};
        ssize_t got = poll(&wait, 1, 2000) > 0 ? read(client, buffer, sizeof(buffer)) : 0;
        return std::string(buffer, got > 0 ? static_cast<size_t>(got) : 0);
    };
    EXPECT_EQ(readSome(), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_EQ(write(client, "a=1", 3), 3);
    std::string answer = readSome();
    EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer;
    EXPECT_NE(answer.find("Content-Length: 7\r\n"), std::string::npos);
    EXPECT_NE(answer.find("\r\n\r\ngot a=1"), std::string::npos);
    close(client);
}
