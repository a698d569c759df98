#include "online/download.h"
#include "tests/foundation/log_capture.h"
#include "tests/online/online_test_support.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using online_test::ServiceTest;
using test_service::Fault;
using test_service::FindHeader;
using test_service::HasHeader;
using test_service::Request;
using test_service::Response;

namespace {

constexpr const char* kBody = "ApiReq=login&Username=alice%40example%2Etest&Pass=p%26ss+%2B1%9E";

Response Echo(const Request& request)
{
    return Response::Text("echo:" + request.Body);
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using testing_support::ReadFile;

class DownloadTest : public ServiceTest {
protected:
    void SetUp() override
    {
        ServiceTest::SetUp();
        service_.Route("/api", Echo);
    }
};

} // namespace

TEST_F(DownloadTest, PostSendsTheBodyAndTheHeadersAndReadsTheAnswer)
{
    TNDownload download;
    ASSERT_TRUE(download.Post(Url("/api").c_str(), kBody, false));
    EXPECT_EQ(download.ResultCode, 200);
    EXPECT_EQ(download.ResultString.View(), "OK");
    EXPECT_EQ(download.DocumentText.View(), std::string("echo:") + kBody);

    ASSERT_TRUE(download.Post(Url("/api").c_str(), kBody, false));
    auto requests = service_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto& first = requests[0];
    EXPECT_EQ(first.Method, "POST");
    EXPECT_EQ(first.Body, kBody);
    EXPECT_EQ(FindHeader(first.Headers, "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(FindHeader(first.Headers, "Accept"), "text/html, application/xhtml+xml, */*");
    EXPECT_EQ(FindHeader(first.Headers, "Accept-Language"), "cs-CZ,cs;q=0.9,en;q=0.8");
    EXPECT_EQ(FindHeader(first.Headers, "User-Agent"),
              "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)");
    EXPECT_TRUE(HasHeader(first.Headers, "Referer"));
    EXPECT_EQ(FindHeader(first.Headers, "Referer"), "");
    EXPECT_FALSE(HasHeader(first.Headers, "Expect"));
    EXPECT_EQ(FindHeader(requests[1].Headers, "Referer"), "127.0.0.1:" + std::to_string(service_.Port()));
}

TEST_F(DownloadTest, RefererIsSentUpTo2048Characters)
{
    for (size_t length : {2048u, 2049u}) {
        TNDownload download;
        download.Referer.Set(std::string(length, 'r'));
        ASSERT_TRUE(download.Post(Url("/api").c_str(), "a=1", false));
        EXPECT_EQ(HasHeader(service_.Requests().back().Headers, "Referer"), length == 2048) << length;
    }
}

TEST_F(DownloadTest, LargeBodyGoesOutWithoutExpect)
{
    std::string body = "Data=" + std::string(2000000, 'x');
    TNDownload download;
    ASSERT_TRUE(download.Post(Url("/api").c_str(), body.c_str(), false));
    EXPECT_EQ(test_service::FindHeader(service_.Requests().back().Headers, "Expect"), "");
    EXPECT_EQ(service_.Requests().back().Body, body);
}

// --- Redirects -------------------------------------------------------------

struct RedirectCase {
    const char* name;
    // Armed on /dir/a; empty for none.
    const char* location;
    bool lowerCaseHeader;
    bool expectedResult;
    int expectedCode;
    const char* expectedPath;
    friend void PrintTo(const RedirectCase& c, std::ostream* out) { *out << c.name; }
};

class RedirectTest : public DownloadTest, public ::testing::WithParamInterface<RedirectCase> {};

TEST_P(RedirectTest, FollowsOrAnswers)
{
    const RedirectCase& c = GetParam();
    service_.Route("/dir/b", [](const Request& request) { return Response::Text("b:" + request.Body); });
    service_.Route("/b", [](const Request& request) { return Response::Text("root-b:" + request.Body); });
    service_.Route("/dir/a", [&c](const Request&) {
        Response moved = Response::Text("moved", 302);
        if (c.location != nullptr)
            moved.Headers.emplace_back(c.lowerCaseHeader ? "location" : "Location", c.location);
        return moved;
    });

    TNDownload download;
    EXPECT_EQ(download.Post(Url("/dir/a").c_str(), "x=1", false), c.expectedResult);
    EXPECT_EQ(download.ResultCode, c.expectedCode);
    auto requests = service_.Requests();
    EXPECT_EQ(requests.back().Target, c.expectedPath);
    EXPECT_EQ(requests.back().Body, "x=1");
    EXPECT_EQ(requests.back().Method, "POST");
}

INSTANTIATE_TEST_SUITE_P(Cases, RedirectTest,
                         ::testing::Values(RedirectCase{"AbsolutePath", "/b", false, true, 200, "/b"},
                                           RedirectCase{"RelativePath", "b", false, true, 200, "/dir/b"},
                                           RedirectCase{"NoLocation", nullptr, false, true, 302, "/dir/a"},
                                           RedirectCase{"LowerCaseLocation", "/b", true, true, 302, "/dir/a"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, RedirectAnswerKeepsItsBodyWhenNotFollowed)
{
    service_.ArmFault("/api", Fault::WithStatus(302, "moved body"));
    TNDownload download;
    ASSERT_TRUE(download.Post(Url("/api").c_str(), "x=1", false));
    EXPECT_EQ(download.DocumentText.View(), "moved body");
}

TEST_F(DownloadTest, LogsEachLegOfARedirectWithoutThePassword)
{
    service_.ArmFault("/old", Fault::Redirect(302, "/api"));
    testing_support::LogCapture log;
    TNDownload download;
    ASSERT_TRUE(download.Post(Url("/old").c_str(), "ApiReq=x&Pass=secret", false));
    std::string text = log.Text();
    EXPECT_EQ(text.find("secret"), std::string::npos);
    std::vector<std::string> expected = {
        "[TNDownload::Post][BEGIN] " + Url("/old"),    "[TNDownload::Post] ResultCode = 302",
        "[TNDownload::Post][REDIRECT] " + Url("/api"), "[TNDownload::Post][BEGIN] " + Url("/api"),
        "[TNDownload::Post] ResultCode = 200",         "[TNDownload::Post][END]"};
    size_t at = 0;
    for (const std::string& line : expected) {
        at = text.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << "\n" << text;
    }
}

TEST_F(DownloadTest, RedirectLoopEndsAfterFiveRedirects)
{
    service_.ArmFault("/loop", Fault::Redirect(302, "/loop"), test_service::kAlways);
    TNDownload download;
    EXPECT_FALSE(download.Post(Url("/loop").c_str(), "x=1", false));
    EXPECT_EQ(download.ResultCode, 302);
    EXPECT_EQ(service_.Requests().size(), 6u);
}

TEST_F(DownloadTest, PostFollowsOnlyToTheSameOriginButGetFollowsAnywhere)
{
    test_service::TestService other;
    ASSERT_TRUE(other.Start());
    other.Route("/elsewhere", Echo);
    std::string elsewhere = other.BaseUrl() + "/elsewhere";
    service_.ArmFault("/api", Fault::Redirect(307, elsewhere), 2);

    TNDownload post;
    EXPECT_FALSE(post.Post(Url("/api").c_str(), "Pass=secret", false));
    EXPECT_EQ(post.ResultCode, 307);
    EXPECT_TRUE(other.Requests().empty());

    TNDownload get;
    EXPECT_TRUE(get.Get(Url("/api").c_str(), false));
    EXPECT_EQ(get.ResultCode, 200);
    ASSERT_EQ(other.Requests().size(), 1u);
    EXPECT_EQ(other.Requests()[0].Method, "GET");
}

TEST_F(DownloadTest, CookieOfARedirectGoesToTheFollowUpOnly)
{
    service_.Route("/login", [](const Request&) {
        Response moved = Response::Text("", 302);
        moved.Headers.emplace_back("Set-Cookie", "session=abc; Path=/");
        moved.Headers.emplace_back("Location", "/api");
        return moved;
    });
    TNDownload download;
    ASSERT_TRUE(download.Post(Url("/login").c_str(), "x=1", false));
    EXPECT_EQ(FindHeader(service_.Requests().back().Headers, "Cookie"), "session=abc");

    TNDownload fresh;
    ASSERT_TRUE(fresh.Post(Url("/api").c_str(), "x=1", false));
    EXPECT_FALSE(HasHeader(service_.Requests().back().Headers, "Cookie"));
}

// --- Failures ----------------------------------------------------------------

TEST_F(DownloadTest, RefusedConnectionFailsWithCodeZero)
{
    TNDownload download;
    download.DocumentText.Set("before");
    std::string url = "http://127.0.0.1:" + std::to_string(online_test::DeadPort()) + "/api";
    EXPECT_FALSE(download.Post(url.c_str(), "x=1", false));
    EXPECT_EQ(download.ResultCode, 0);
    EXPECT_FALSE(download.ResultString.IsEmpty());
    EXPECT_EQ(download.DocumentText.View(), "before");
}

struct FaultCase {
    const char* name;
    Fault fault;
    bool expectedResult;
    int expectedCode;
    friend void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }
};

class FaultTest : public DownloadTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, EndsWithinTheTimeOut)
{
    const FaultCase& c = GetParam();
    service_.ArmFault("/api", c.fault);
    TNDownload download;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(download.Post(Url("/api").c_str(), "x=1", false), c.expectedResult);
    EXPECT_LT(SecondsSince(start), 3.0);
    if (c.expectedCode >= 0) {
        EXPECT_EQ(download.ResultCode, c.expectedCode);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultTest,
                         ::testing::Values(FaultCase{"Stall", Fault::Stall(0), false, 0},
                                           FaultCase{"Reset", Fault::Reset(), false, 0},
                                           FaultCase{"ServerError", Fault::WithStatus(500, "oops"), true, 500},
                                           FaultCase{"CutBody", Fault::CutBody(3), false, -1},
                                           FaultCase{"TooSlowBody", Fault::SlowBody(1), false, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, CancelEndsAStalledCallLongBeforeItsTimeOut)
{
    // The time-outs alone would take far longer.
    TNTransportConfig patient = online_test::ShortTimeouts();
    patient.TotalTimeoutMs = 30000;
    patient.LowSpeedSeconds = 30;
    online_test::ScopedTransportConfig config(patient);
    service_.ArmFault("/api", Fault::Stall(0));
    std::atomic<bool> cancel{false};
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    TNDownload download;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(download.Post(Url("/api").c_str(), "x=1", false, [&] { return cancel.load(); }));
    canceller.join();
    EXPECT_LT(SecondsSince(start), 10.0);
}

// --- Saving ------------------------------------------------------------------

class SaveTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        ASSERT_FALSE(scratch_.Path().empty());
        // Not made yet: the download makes it.
        folder_ = scratch_.File("save");
    }
    size_t FilesInFolder() const
    {
        if (!std::filesystem::exists(folder_))
            return 0;
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(folder_), {}));
    }

    testing_support::ScratchFolder scratch_;
    std::filesystem::path folder_;
};

TEST_F(SaveTest, SavesTheWholeBodyOfA2xxAnswer)
{
    const std::string picture("GIF89a\0\x01\x02rest", 12);
    service_.Route("/p.gif", [&](const Request&) { return Response::Text(picture); });
    TNDownload download;
    ASSERT_TRUE(download.Get(Url("/p.gif").c_str(), true, folder_.c_str(), "p.gif"));
    EXPECT_EQ(download.DocumentText.View(), "GIF89a");
    EXPECT_EQ(download.DocumentBytes(), picture);
    EXPECT_EQ(ReadFile((folder_ / "p.gif").string()), picture);
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(SaveTest, WritesNoFileForAnErrorPageOrACutDownload)
{
    service_.Route("/p.gif", [](const Request&) { return Response::Text("picture bytes"); });
    service_.ArmFault("/p.gif", Fault::WithStatus(404, "not here"));
    TNDownload download;
    EXPECT_TRUE(download.Get(Url("/p.gif").c_str(), true, folder_.c_str(), "p.gif"));
    EXPECT_EQ(download.ResultCode, 404);

    service_.ArmFault("/p.gif", Fault::CutBody(4));
    EXPECT_FALSE(download.Get(Url("/p.gif").c_str(), true, folder_.c_str(), "p.gif"));
    EXPECT_EQ(FilesInFolder(), 0u);
}

// --- Connection reuse --------------------------------------------------------

TEST_F(DownloadTest, SequentialPostsOfOneThreadShareOneConnection)
{
    auto postTwenty = [&] {
        for (int i = 0; i < 20; ++i) {
            TNDownload download;
            EXPECT_TRUE(download.Post(Url("/api").c_str(), "x=1", false));
        }
    };
    std::thread first(postTwenty);
    first.join();
    EXPECT_EQ(service_.ConnectionCount(), 1);

    std::thread second(postTwenty);
    std::thread third(postTwenty);
    second.join();
    third.join();
    EXPECT_EQ(service_.ConnectionCount(), 3);
}

// --- SplitUrl ------------------------------------------------------------------

TEST(TNDownloadSplitUrl, TakesHostAndExtensionOfPlainHttpUrls)
{
    struct Case {
        const char* url;
        const char* host;
        const char* ext;
    } cases[] = {
        {"http://example.test/api/index.php?ApiCall=1&x=a.b", "example.test", "php"},
        {"http://example.test/pictures/file.htm", "example.test", ""},
        {"https://secure.test/index.php?x=1", "before", "htm"},
        {"http://127.0.0.1:8080/index.php", "127.0.0.1:8080", ""},
        {"http://host.test?q=a.b", "host.test", "htm"},
        {"http://host.test", "host.test", "htm"},
        {"http://host.test/a", "host.test", "htm"},
        {"http://host.test/a.b.jpg?", "host.test", "jpg"},
    };
    for (const Case& c : cases) {
        TNDownload download;
        download.Host.Set("before");
        download.SplitUrl(c.url);
        EXPECT_EQ(download.Host.View(), c.host) << c.url;
        EXPECT_EQ(download.DocumentExt.View(), c.ext) << c.url;
    }
}
