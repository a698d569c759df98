#include "platform/core/bus_client.h"
#include "platform/gui/form.h"
#include "platform/gui/form_bus.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/internal/layer.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat {
namespace {

constexpr const char* kMainClass = "TfrmMainTestBus";
constexpr const char* kDialogClass = "TfrmDlgTestBus";

// A form whose message hook answers 1125 with a number of its own and counts
// what reached it.
class HookedForm : public TForm {
public:
    using TForm::TForm;
    LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam) override
    {
        received.push_back(message);
        if (message == FormBus::kBusRestoreMessage)
            return 4242;
        return TForm::Dispatch(message, wParam, lParam);
    }
    std::vector<TMessageId> received;
};

// The GUI loop serving the bus in a private runtime folder; messages are sent
// from a worker thread through the same socket path another process uses.
class FormBusTest : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        char pattern[] = "/tmp/formbus-XXXXXX";
        runtime_ = mkdtemp(pattern);
        chmod(runtime_.c_str(), 0700);
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        oldRuntime_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        SetLayerLog([this](const std::string& line) { log_.push_back(line); });
        loop_.emplace();
        ASSERT_TRUE(FormBus::Start(*loop_));
    }
    void TearDown() override
    {
        FormBus::Stop();
        loop_.reset();
        SetLayerLog(nullptr);
        if (oldRuntime_)
            setenv("XDG_RUNTIME_DIR", oldRuntime_->c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        std::filesystem::remove_all(runtime_);
        OffscreenGuiTest::TearDown();
    }

    // Runs `work` on a worker thread while the GUI loop serves the bus.
    template <typename Result> Result FromOutside(std::function<Result()> work)
    {
        auto future = std::async(std::launch::async, std::move(work));
        EXPECT_TRUE(testing::RunUntil(
            [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
        return future.get();
    }

    static std::vector<std::string> WindowIds(const std::vector<BusWindow>& windows)
    {
        std::vector<std::string> ids;
        for (const BusWindow& window : windows)
            ids.push_back(std::to_string(window.window));
        return ids;
    }

    // Made once the application exists.
    std::optional<GuiMainLoop> loop_;
    std::string runtime_;
    std::optional<std::string> oldRuntime_;
    std::vector<std::string> log_;
};

TEST_F(FormBusTest, FindsHiddenFormsAndOrdersDialogsByActivation)
{
    auto* main = new HookedForm();
    main->ExportOnBus(kMainClass);
    auto* older = new HookedForm();
    older->ExportOnBus(kDialogClass);
    older->Show();
    auto* newer = new HookedForm();
    newer->ExportOnBus(kDialogClass);
    newer->Show();

    auto mains = FromOutside<std::vector<BusWindow>>([] { return ListBusWindows(kMainClass); });
    ASSERT_EQ(mains.size(), 1u) << "the hidden main form is registered";
    int64_t result = 0;
    EXPECT_EQ(FromOutside<BusSendResult>(
                  [&] { return SendBusMessage(mains[0], FormBus::kBusRestoreMessage, 0, 0, 5000, result); }),
              BusSendResult::Answered);
    EXPECT_EQ(result, 4242);

    auto dialogs = ListBusWindows(kDialogClass);
    ASSERT_EQ(dialogs.size(), 2u);
    const uint32_t newerId = dialogs[0].window;
    const uint32_t olderId = dialogs[1].window;
    older->Activate();
    dialogs = ListBusWindows(kDialogClass);
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].window, olderId);
    EXPECT_EQ(dialogs[1].window, newerId);

    newer->Free();
    older->Free();
    main->Free();
    testing::Flush();
    EXPECT_TRUE(ListBusWindows(kDialogClass).empty());
    EXPECT_TRUE(ListBusWindows(kMainClass).empty());
}

TEST_F(FormBusTest, OnlyClosingAndRestoreMessagesPassFromOutside)
{
    auto* main = new HookedForm();
    main->ExportOnBus(kMainClass);
    const BusWindow window = ListBusWindows(kMainClass).at(0);
    int64_t result = -1;
    EXPECT_EQ(FromOutside<BusSendResult>([&] { return SendBusMessage(window, 0x312, 101, 0, 5000, result); }),
              BusSendResult::Answered);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(main->received.empty()) << "a refused message never reaches the hook";
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("786"), std::string::npos) << log_[0];

    for (uint32_t msg : {WM_QUERYENDSESSION, WM_ENDSESSION})
        EXPECT_EQ(FromOutside<BusSendResult>([&] { return SendBusMessage(window, msg, 0, 0, 5000, result); }),
                  BusSendResult::Answered);
    EXPECT_EQ(main->received, (std::vector<TMessageId>{WM_QUERYENDSESSION, WM_ENDSESSION}));
    main->Free();
    testing::Flush();
}

TEST_F(FormBusTest, CloseReachesTheInnerOfNestedModalDialogs)
{
    auto* main = new HookedForm();
    main->ExportOnBus(kMainClass);
    auto* outer = new HookedForm();
    outer->ExportOnBus(kDialogClass);
    auto* inner = new HookedForm();
    inner->ExportOnBus(kDialogClass);
    int innerQueries = 0;
    inner->OnCloseQuery = [&](TComponent*, bool&) { ++innerQueries; };

    std::vector<std::string> order;
    std::future<BusSendResult> sent;
    int64_t result = 0;
    Seams().modalScript = [&](TForm& form) {
        if (&form == outer) {
            order.push_back("outer shown");
            inner->ShowModal();
            order.push_back(outer->Modal() ? "inner returned, outer open" : "outer closed too");
            outer->SetModalResult(mrCancel);
            return;
        }
        // The inner one is on top: the closing utility's order reaches it first.
        const BusWindow top = ListBusWindows(kDialogClass).at(0);
        sent = std::async(std::launch::async,
                          [top, &result] { return SendBusMessage(top, WM_CLOSE, 0, 0, 5000, result); });
    };
    loop_->Post([&] {
        outer->ShowModal();
        order.push_back("outer returned");
    });
    ASSERT_TRUE(testing::RunUntil([&] { return order.size() == 3; }, 10000));
    Seams().modalScript = nullptr;
    EXPECT_EQ(order, (std::vector<std::string>{"outer shown", "inner returned, outer open", "outer returned"}));
    EXPECT_EQ(sent.get(), BusSendResult::Answered);
    EXPECT_EQ(innerQueries, 1);
    EXPECT_EQ(std::count(inner->received.begin(), inner->received.end(), WM_CLOSE), 1);
    inner->Free();
    outer->Free();
    main->Free();
    testing::Flush();
}

} // namespace
} // namespace plat
