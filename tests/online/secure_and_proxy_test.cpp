#include "online/download.h"
#include "tests/online/online_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

using online_test::ScopedProxySettings;
using online_test::ScopedTransportConfig;
using online_test::ShortTimeouts;
using test_service::Options;
using test_service::Request;
using test_service::Response;
using test_service::TestService;

namespace {

TestService& Started(TestService& service)
{
    EXPECT_TRUE(service.Start());
    service.Route("/api", [](const Request& request) { return Response::Text("echo:" + request.Body); });
    return service;
}

Options TlsOptions(const std::string& certificateName = "127.0.0.1")
{
    Options options;
    options.Tls = true;
    options.CertificateName = certificateName;
    return options;
}

Options ProxyOptions(const std::string& user = "", const std::string& pass = "")
{
    Options options;
    options.Proxy = true;
    options.ProxyUser = user;
    options.ProxyPass = pass;
    return options;
}

// Sets an environment variable for the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) { setenv(name, value.c_str(), 1); }
    ~ScopedVariable() { unsetenv(name_); }

private:
    const char* name_;
};

} // namespace

TEST(TNDownloadTls, VerifiesTheServerAgainstTheGivenCa)
{
    TestService secure(TlsOptions());
    Started(secure);
    std::string url = secure.BaseUrl() + "/api";
    {
        ScopedTransportConfig config(ShortTimeouts());
        TNDownload download;
        EXPECT_FALSE(download.Post(url.c_str(), "x=1", false));
    }
    {
        ScopedTransportConfig config(ShortTimeouts(secure.CaFile()));
        TNDownload download;
        EXPECT_TRUE(download.Post(url.c_str(), "x=1", false));
        EXPECT_EQ(download.DocumentText.View(), "echo:x=1");
    }
    TestService misnamed(TlsOptions("other.test"));
    Started(misnamed);
    ScopedTransportConfig config(ShortTimeouts(misnamed.CaFile()));
    TNDownload download;
    EXPECT_FALSE(download.Post((misnamed.BaseUrl() + "/api").c_str(), "x=1", false));
}

TEST(TNDownloadTls, NeverFollowsARedirectFromHttpsToHttp)
{
    TestService secure(TlsOptions());
    TestService plain;
    Started(secure);
    Started(plain);
    ScopedTransportConfig config(ShortTimeouts(secure.CaFile()));
    secure.ArmFault("/api", test_service::Fault::Redirect(302, plain.BaseUrl() + "/api"), 2);
    TNDownload post;
    EXPECT_FALSE(post.Post((secure.BaseUrl() + "/api").c_str(), "Pass=secret", false));
    EXPECT_EQ(post.ResultCode, 302);
    TNDownload get;
    EXPECT_FALSE(get.Get((secure.BaseUrl() + "/api").c_str(), false));
    EXPECT_TRUE(plain.Requests().empty());
}

TEST(TNDownloadTls, RelativeRedirectStaysOnHttps)
{
    TestService secure(TlsOptions());
    Started(secure);
    ScopedTransportConfig config(ShortTimeouts(secure.CaFile()));
    secure.ArmFault("/old", test_service::Fault::Redirect(302, "/api"));
    TNDownload download;
    EXPECT_TRUE(download.Post((secure.BaseUrl() + "/old").c_str(), "x=1", false));
    EXPECT_EQ(download.DocumentText.View(), "echo:x=1");
    EXPECT_EQ(secure.Requests().size(), 2u);
}

TEST(TNDownloadProxy, GoesThroughTheConfiguredProxyWithItsCredentials)
{
    TestService plain;
    TestService secure(TlsOptions());
    TestService proxy(ProxyOptions("proxyuser", "proxy pass"));
    Started(plain);
    Started(secure);
    ASSERT_TRUE(proxy.Start());
    ScopedTransportConfig config(ShortTimeouts(secure.CaFile()));
    ScopedProxySettings settings(true, "127.0.0.1", std::to_string(proxy.Port()), true, "proxyuser", "proxy pass");

    TNDownload http;
    ASSERT_TRUE(http.Post((plain.BaseUrl() + "/api").c_str(), "x=1", false));
    EXPECT_EQ(http.DocumentText.View(), "echo:x=1");
    TNDownload https;
    ASSERT_TRUE(https.Post((secure.BaseUrl() + "/api").c_str(), "x=2", false));
    EXPECT_EQ(https.DocumentText.View(), "echo:x=2");

    auto log = proxy.ProxyLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Method, "POST");
    EXPECT_EQ(log[0].Target, plain.BaseUrl() + "/api");
    EXPECT_TRUE(log[0].Allowed);
    EXPECT_EQ(log[1].Method, "CONNECT");
    EXPECT_EQ(log[1].Target, "127.0.0.1:" + std::to_string(secure.Port()));
    EXPECT_TRUE(log[1].Allowed);
}

TEST(TNDownloadProxy, SendsNoCredentialsUnlessAuthenticationIsOn)
{
    TestService plain;
    TestService proxy(ProxyOptions());
    Started(plain);
    ASSERT_TRUE(proxy.Start());
    ScopedTransportConfig config(ShortTimeouts());
    ScopedProxySettings settings(true, "127.0.0.1", std::to_string(proxy.Port()), false, "proxyuser", "pass");
    TNDownload download;
    ASSERT_TRUE(download.Post((plain.BaseUrl() + "/api").c_str(), "x=1", false));
    ASSERT_EQ(proxy.ProxyLog().size(), 1u);
    EXPECT_EQ(proxy.ProxyLog()[0].Authorization, "");
}

TEST(TNDownloadProxy, IgnoresTheEnvironmentsProxyWhenTheSettingIsOff)
{
    TestService plain;
    Started(plain);
    ScopedTransportConfig config(ShortTimeouts());
    std::string dead = "http://127.0.0.1:" + std::to_string(online_test::DeadPort());
    ScopedVariable http("http_proxy", dead);
    ScopedVariable https("https_proxy", dead);
    ScopedVariable all("all_proxy", dead);
    ScopedProxySettings settings(false, "127.0.0.1", "1");
    TNDownload download;
    EXPECT_TRUE(download.Post((plain.BaseUrl() + "/api").c_str(), "x=1", false));
    EXPECT_EQ(plain.Requests().size(), 1u);
}
