#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/hot_keys.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/memo.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace plat {
namespace {

constexpr uint16_t kLeft = 0x25;
constexpr uint16_t kHome = 0x24;

// A form whose message hook hands WM_HOTKEY to the test.
class HotKeyForm : public TForm {
public:
    using TForm::TForm;
    LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_HOTKEY)
            return TForm::Dispatch(message, wParam, lParam);
        received.emplace_back(wParam, lParam);
        return onHotKey ? onHotKey(wParam) : 1;
    }
    std::vector<std::pair<WPARAM, LPARAM>> received;
    std::function<LRESULT(WPARAM id)> onHotKey;
};

class HotKeysTest : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form_.reset(new HotKeyForm(nullptr));
        memo_ = new TMemo(form_.get());
        memo_->SetParent(form_.get());
        memo_->SetBounds(0, 0, 200, 100);
        search_ = new TEdit(form_.get());
        search_->SetParent(form_.get());
        search_->SetBounds(0, 120, 200, 24);
        memo_->SetText("abcdef");
        search_->SetText("abcdef");
        form_->Show();
        memo_->SetFocus();
        memo_->SetSelStart(3);
        search_->SetSelStart(3);
        SetLayerLog([this](const std::string& line) { log_.push_back(line); });
    }
    void TearDown() override
    {
        SetLayerLog(nullptr);
        HotKeys::Unregister(*form_, 107);
        HotKeys::Unregister(*form_, 109);
        form_.reset();
        OffscreenGuiTest::TearDown();
    }

    TOwned<HotKeyForm> form_;
    TMemo* memo_ = nullptr;
    TEdit* search_ = nullptr;
    std::vector<std::string> log_;
};

TEST_F(HotKeysTest, WithoutX11GlobalKeysFailWithOneLineAndSimulateStillDelivers)
{
    EXPECT_FALSE(HotKeys::Register(*form_, 101, MOD_ALT | MOD_SHIFT, 'S'));
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("hot key 101 (Alt+Shift+S)"), std::string::npos);

    EXPECT_TRUE(HotKeys::Simulate(101));
    ASSERT_EQ(form_->received.size(), 1u);
    EXPECT_EQ(form_->received[0].first, 101u);
    EXPECT_EQ(form_->received[0].second, (MOD_ALT | MOD_SHIFT) | (0x53 << 16));

    HotKeys::Unregister(*form_, 101);
    EXPECT_FALSE(HotKeys::Simulate(101));
    EXPECT_EQ(form_->received.size(), 1u);

    TOwned<HotKeyForm> gone(new HotKeyForm(nullptr));
    HotKeys::Register(*gone, 105, MOD_ALT | MOD_SHIFT, 'A');
    gone.reset();
    EXPECT_FALSE(HotKeys::Simulate(105));
}

TEST_F(HotKeysTest, AFocusKeyIsConsumedOnlyWhenTheHandlerUsesIt)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 107, 0, kLeft));
    EXPECT_TRUE(log_.empty());

    const struct {
        const char* name;
        LRESULT answer;
        int caretAfter;
    } cases[] = {
        {"not used: the memo gets the key", 0, 2},
        {"used: the memo does not", 1, 3},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        memo_->SetSelStart(3);
        form_->received.clear();
        form_->onHotKey = [&](WPARAM) { return row.answer; };
        testing::TapKey(*memo_, kLeft);
        ASSERT_EQ(form_->received.size(), 1u);
        EXPECT_EQ(form_->received[0].first, 107u);
        EXPECT_EQ(form_->received[0].second, LPARAM{kLeft} << 16);
        EXPECT_EQ(memo_->SelStart(), row.caretAfter);
    }
}

TEST_F(HotKeysTest, AKeySentToTheSearchFieldIsTheOnlyDelivery)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 109, 0, kHome));
    ASSERT_TRUE(HotKeys::Register(*form_, 107, 0, kLeft));
    form_->onHotKey = [&](WPARAM id) {
        SendKeyDown(*search_, id == 109 ? kHome : kLeft);
        return LRESULT{0};
    };
    testing::TapKey(*memo_, kLeft);
    EXPECT_EQ(search_->SelStart(), 2);
    EXPECT_EQ(memo_->SelStart(), 3);
    EXPECT_EQ(form_->received.size(), 1u);

    // With the focus in the search field itself the key still moves once.
    search_->SetFocus();
    testing::TapKey(*search_, kHome);
    EXPECT_EQ(search_->SelStart(), 0);
    EXPECT_EQ(form_->received.size(), 2u);
}

TEST_F(HotKeysTest, ModifiedKeysAndOtherActiveFormsAreNotCaught)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 107, 0, kLeft));
    testing::TapKey(*memo_, kLeft, ssShift);
    EXPECT_TRUE(form_->received.empty());
    EXPECT_EQ(memo_->SelStart(), 2);
    EXPECT_EQ(memo_->SelLength(), 1);

    TOwned<TForm> other(new TForm(nullptr));
    other->Show();
    ASSERT_EQ(Application::ActiveForm(), other.get());
    memo_->SetSelStart(3);
    testing::TapKey(*memo_, kLeft);
    EXPECT_TRUE(form_->received.empty());
    EXPECT_EQ(memo_->SelStart(), 2);

    // Given back: the key reaches the memo without the handler.
    form_->Activate();
    HotKeys::Unregister(*form_, 107);
    testing::TapKey(*memo_, kLeft);
    EXPECT_TRUE(form_->received.empty());
    EXPECT_EQ(memo_->SelStart(), 1);
}

} // namespace
} // namespace plat
