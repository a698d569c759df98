#include "online/http_send.h"
#include "online/web_send.h"
#include "tests/online/online_test_support.h"
#include "tests/service/bracket_writer.h"

#include <gtest/gtest.h>

using online_test::ScopedProxySettings;
using online_test::ServiceTest;
using test_service::Request;
using test_service::Response;

namespace {

class WebSendTest : public ServiceTest {};

} // namespace

TEST_F(WebSendTest, EmptyAnswerReadsOkAndAFailureReadsEmpty)
{
    service_.Route("/empty", [](const Request&) { return Response::Text(""); });
    TNWebSend send;
    EXPECT_EQ(send.Send(Url("/empty").c_str(), "GET", false, false, false, nullptr, true), 1);
    EXPECT_EQ(send.DocumentText.View(), "OK");
    ASSERT_NE(send.Answer, nullptr);
    EXPECT_EQ(send.Answer->Count(), 0);

    std::string dead = "http://127.0.0.1:" + std::to_string(online_test::DeadPort()) + "/empty";
    EXPECT_EQ(send.Send(dead.c_str(), "GET", false, false, false, nullptr, false), -1);
    EXPECT_TRUE(send.DocumentText.IsEmpty());
}

TEST_F(WebSendTest, KeepsZeroBytesOfTheAnswer)
{
    const std::string data("ab\0cd", 5);
    std::string body = test_service::BracketItem("Data", data) + test_service::BracketItem("ErrorCode", "0");
    service_.Route("/api/download.php", [&](const Request&) { return Response::Text(body); });
    TNWebSend send;
    ASSERT_EQ(send.Send(Url("/api/download.php?File=1").c_str(), "GET", false, false, false, nullptr, true), 1);
    EXPECT_EQ(send.DocumentText.View(), body);
    ASSERT_EQ(send.Answer->Count(), 2);
    EXPECT_EQ(send.Answer->Items[0]->Value.View(), data);
}

TEST_F(WebSendTest, ServerCheckAnswersTheBracketedItem)
{
    TNWebSend send;
    ASSERT_EQ(send.Send(Url("/test.php").c_str(), "GET", false, false, false, nullptr, true), 1);
    EXPECT_EQ(send.DocumentText.View(), "[ServerCheck:1:]");
    EXPECT_EQ(send.Answer->FindByName("ServerCheck"), 0);
}

TEST_F(WebSendTest, HttpSendCopiesTheParsedItemsAndUsesTheProxySetting)
{
    test_service::TestService proxy([] {
        test_service::Options options;
        options.Proxy = true;
        return options;
    }());
    ASSERT_TRUE(proxy.Start());
    service_.Route("/api/get-update.php",
                   [](const Request&) { return Response::Text("[ErrorCode:0:][NewVersion:168:]"); });
    std::string url = Url("/api/get-update.php?Version=167");

    TNWebAnswer list;
    {
        ScopedProxySettings settings(true, "127.0.0.1", std::to_string(proxy.Port()));
        EXPECT_EQ(HttpSend(url.c_str(), &list, true).View(), "[ErrorCode:0:][NewVersion:168:]");
    }
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items[1]->Number, 168u);
    ASSERT_EQ(proxy.ProxyLog().size(), 1u);
    EXPECT_EQ(proxy.ProxyLog()[0].Target, url);

    // With the setting off the request goes out directly, and no list was asked.
    TNWebAnswer untouched;
    EXPECT_EQ(HttpSend(url.c_str(), &untouched, false).View(), "[ErrorCode:0:][NewVersion:168:]");
    EXPECT_EQ(untouched.Count(), 0);
    EXPECT_EQ(proxy.ProxyLog().size(), 1u);
    EXPECT_EQ(service_.Requests().size(), 2u);
}

TEST(IntToAnsiString, WritesDecimalText)
{
    EXPECT_EQ(IntToAnsiString(0).View(), "0");
    EXPECT_EQ(IntToAnsiString(-2147483647 - 1).View(), "-2147483648");
    EXPECT_EQ(IntToAnsiString(167).View(), "167");
}
