#include "foundation/setup.h"
#include "mainwindow/dialog_bridge.h"
#include "online/web_answer.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/screen.h"
#include "tests/mainwindow/online_seams.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/service/bracket_writer.h"
#include "tests/service/test_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace shell_test {
namespace {

using test_service::BracketItem;
using test_service::Request;
using test_service::Response;

class HttpRequestTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(service_.Start());
        service_.Route("/answer", [this](const Request&) {
            cursorDuringRequest = plat::Screen::Cursor();
            return Response::Text(body_);
        });
    }
    std::string Url() const { return service_.BaseUrl() + "/answer"; }

    ScopedShortTimeouts config_;
    test_service::TestService service_;
    std::string body_;
    std::atomic<plat::TCursor> cursorDuringRequest{plat::crDefault};
};

TEST_F(HttpRequestTest, TheReturnCodeChoosesTheBox)
{
    struct Case {
        const char* name;
        std::string body;
        int32_t code;
        const char* text;
        const char* caption;
        uint32_t flags;
    };
    const std::string connection =
        "Spojení se serverem se nepodařilo navázat!\nZkontrolujte, zda jste připojeni k internetu a opakujte akci.";
    const Case cases[] = {
        {"done", BracketItem("ReturnCode", "1") + BracketItem("ReturnText", "Uloženo."), 1, "Uloženo.", "Dokončeno",
         plat::MB_OK},
        {"refused", BracketItem("ReturnCode", "0") + BracketItem("ReturnText", "Nelze."), 0, "Nelze.", "Chyba",
         plat::MB_ICONERROR},
        {"no text", BracketItem("ReturnCode", "3"), 3, "", "Chyba", plat::MB_ICONERROR},
        {"no code", BracketItem("ReturnText", "Bez kódu."), -1, connection.c_str(), "Chyba", plat::MB_ICONERROR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes_->boxes.clear();
        body_ = c.body;
        EXPECT_EQ(Main().HttpReturn(Url().c_str(), true), c.code);
        ASSERT_EQ(boxes_->boxes.size(), 1u);
        EXPECT_EQ(boxes_->boxes[0].text, c.text);
        EXPECT_EQ(boxes_->boxes[0].caption, c.caption);
        EXPECT_EQ(boxes_->boxes[0].flags, c.flags);
        EXPECT_EQ(MessageBoxShown.load(), 0);
    }
    boxes_->boxes.clear();
    EXPECT_EQ(Main().HttpReturn(Url().c_str(), false), -1);
    EXPECT_TRUE(boxes_->boxes.empty());
}

TEST_F(HttpRequestTest, AStoppedServerGivesMinusOneAndTheConnectionMessage)
{
    const std::string url = Url();
    service_.Stop();
    EXPECT_EQ(Main().HttpSend(url.c_str(), true, nullptr, false), "");
    EXPECT_EQ(Main().HttpReturn(url.c_str(), true), -1);
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "Chyba");
    EXPECT_EQ(plat::Screen::Cursor(), plat::crDefault);
}

TEST_F(HttpRequestTest, TheListIsFilledOnlyWhenAskedAndTheHourglassOnlyOnTheMainThread)
{
    body_ = BracketItem("Version", "512") + BracketItem("Name", "x");
    TNWebAnswer answer;
    EXPECT_EQ(Main().HttpSend(Url().c_str(), true, &answer, false), body_);
    EXPECT_EQ(answer.Count(), 0);
    EXPECT_EQ(cursorDuringRequest.load(), plat::crHourGlass);
    EXPECT_EQ(plat::Screen::Cursor(), plat::crDefault);
    EXPECT_EQ(Main().HttpSend(Url().c_str(), false, &answer, true), body_);
    EXPECT_EQ(answer.Count(), 2);
    EXPECT_EQ(cursorDuringRequest.load(), plat::crDefault);

    // From a worker the cursor is left alone and the box is posted.
    body_ = BracketItem("ReturnCode", "1") + BracketItem("ReturnText", "Hotovo.");
    int32_t code = 0;
    std::thread worker([&] { code = Main().HttpReturn(Url().c_str(), true); });
    worker.join();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(cursorDuringRequest.load(), plat::crDefault);
    EXPECT_TRUE(boxes_->boxes.empty());
    plat::testing::Flush();
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].caption, "Dokončeno");
}

TEST_F(HttpRequestTest, TheProxySettingsAreReadOnEveryRequest)
{
    test_service::Options options;
    options.Proxy = true;
    options.ProxyUser = "pavel";
    options.ProxyPass = "tajne";
    test_service::TestService proxy(options);
    ASSERT_TRUE(proxy.Start());
    body_ = BracketItem("ReturnCode", "1");
    const std::string port = std::to_string(proxy.Port());
    struct Case {
        const char* name;
        bool use;
        bool auth;
        bool throughProxy;
        bool credentials;
    };
    const Case cases[] = {{"off, with a host stored", false, true, false, false},
                          {"on, with authentication", true, true, true, true},
                          {"on, without authentication", true, false, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetProxySettings(c.use, "127.0.0.1", port, c.auth, "pavel", "tajne");
        const size_t before = proxy.ProxyLog().size();
        const int32_t code = Main().HttpReturn(Url().c_str(), false);
        const auto log = proxy.ProxyLog();
        ASSERT_EQ(log.size(), before + (c.throughProxy ? 1 : 0));
        if (c.throughProxy) {
            EXPECT_EQ(log.back().Method, "GET");
            EXPECT_EQ(log.back().Target, Url());
            EXPECT_EQ(!log.back().Authorization.empty(), c.credentials);
            // Without the credentials the proxy refuses the request.
            EXPECT_EQ(code, c.credentials ? 1 : -1);
        } else {
            EXPECT_EQ(code, 1);
        }
    }
    SetProxySettings(false, "", "", false, "", "");
}

} // namespace
} // namespace shell_test
