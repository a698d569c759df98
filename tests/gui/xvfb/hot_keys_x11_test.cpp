// Runs under Xvfb (CTest label "xvfb"): global hot keys as root-window grabs,
// pressed with xdotool, and a second X client as the other program.
#include "platform/gui/form.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/hot_keys.h"
#include "platform/gui/internal/layer.h"
#include "platform/testing/gui_harness.h"
#include "platform/testing/other_x11_client.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace plat {
namespace {

constexpr uint16_t kAltShift = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_1;
constexpr uint16_t kNumLock = XCB_MOD_MASK_2;

class HotKeyForm : public TForm {
public:
    using TForm::TForm;
    LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_HOTKEY)
            received.emplace_back(wParam, lParam);
        return TForm::Dispatch(message, wParam, lParam);
    }
    std::vector<std::pair<WPARAM, LPARAM>> received;
};

// Another program on the same display.
using OtherClient = testing::OtherX11Client;

class HotKeysX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X11 display";
        GuiApplication::Start();
        ASSERT_EQ(GuiApplication::PlatformName(), "xcb");
        form_.reset(new HotKeyForm(nullptr));
        SetLayerLog([this](const std::string& line) { log_.push_back(line); });
    }
    void TearDown() override
    {
        SetLayerLog(nullptr);
        if (form_)
            HotKeys::Unregister(*form_, 101);
        form_.reset();
    }

    bool WaitForHotKeys(size_t count)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (form_->received.size() < count && std::chrono::steady_clock::now() < end) {
            testing::Flush();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return form_->received.size() >= count;
    }

    static void Xdotool(const std::string& keys) { EXPECT_EQ(std::system(("xdotool key " + keys).c_str()), 0) << keys; }

    // Toggles a lock key on for its lifetime; null: none.
    struct LockPressed {
        explicit LockPressed(const char* key) : key(key)
        {
            if (key != nullptr)
                Xdotool(key);
        }
        ~LockPressed()
        {
            if (key != nullptr)
                Xdotool(key);
        }
        const char* key;
    };

    TOwned<HotKeyForm> form_;
    std::vector<std::string> log_;
};

TEST_F(HotKeysX11, TheCombinationArrivesWithAndWithoutTheLocks)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 101, MOD_ALT | MOD_SHIFT, 'S'));
    EXPECT_TRUE(log_.empty());

    const struct {
        const char* name;
        const char* lock;
    } cases[] = {{"no lock", nullptr}, {"NumLock on", "Num_Lock"}, {"CapsLock on", "Caps_Lock"}};
    size_t expected = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        // The X server outlives this test: the lock goes off again on every
        // way out.
        const LockPressed lock(row.lock);
        Xdotool("alt+shift+s");
        ASSERT_TRUE(WaitForHotKeys(++expected));
        EXPECT_EQ(form_->received.back().first, 101u);
        EXPECT_EQ(form_->received.back().second, (MOD_ALT | MOD_SHIFT) | ('S' << 16));
    }

    // Without the modifiers the key is not ours.
    Xdotool("s");
    testing::Flush();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    testing::Flush();
    EXPECT_EQ(form_->received.size(), expected);
}

TEST_F(HotKeysX11, ACombinationAnotherProgramHoldsFailsAndLeavesNoGrab)
{
    constexpr uint16_t kLock = XCB_MOD_MASK_LOCK;
    const uint16_t variants[] = {kAltShift, kAltShift | kLock, kAltShift | kNumLock, kAltShift | kLock | kNumLock};
    const struct {
        const char* name;
        uint16_t held;
    } cases[] = {
        {"the combination itself", kAltShift},
        // The plain and CapsLock variants are grabbed before the refusal.
        {"only its NumLock variant", kAltShift | kNumLock},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        log_.clear();
        OtherClient other('s');
        ASSERT_TRUE(other.Grab(row.held));
        EXPECT_FALSE(HotKeys::Register(*form_, 101, MOD_ALT | MOD_SHIFT, 'S'));
        ASSERT_EQ(log_.size(), 1u);
        EXPECT_NE(log_[0].find("hot key 101 (Alt+Shift+S) is taken by another program"), std::string::npos);

        OtherClient third('s');
        for (const uint16_t variant : variants)
            if (variant != row.held) {
                EXPECT_TRUE(third.Grab(variant)) << "variant " << variant;
                third.Ungrab(variant);
            }
        other.Ungrab(row.held);
    }
}

TEST_F(HotKeysX11, UnregisterGivesEveryVariantBack)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 101, MOD_ALT | MOD_SHIFT, 'S'));
    OtherClient other('s');
    for (const uint16_t locks :
         {uint16_t{0}, uint16_t{XCB_MOD_MASK_LOCK}, kNumLock, static_cast<uint16_t>(XCB_MOD_MASK_LOCK | kNumLock)})
        EXPECT_FALSE(other.Grab(kAltShift | locks)) << "locks " << locks;

    HotKeys::Unregister(*form_, 101);
    for (const uint16_t locks :
         {uint16_t{0}, uint16_t{XCB_MOD_MASK_LOCK}, kNumLock, static_cast<uint16_t>(XCB_MOD_MASK_LOCK | kNumLock)})
        EXPECT_TRUE(other.Grab(kAltShift | locks)) << "locks " << locks;
}

TEST_F(HotKeysX11, AHotKeyFollowsItsKeyToANewKeyboardLayout)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 105, MOD_ALT | MOD_SHIFT, 'A'));
    // On a French keyboard "a" lies where "q" lay. The X server outlives
    // this test: the layout goes back on every way out.
    struct Layout {
        Layout() { EXPECT_EQ(std::system("setxkbmap fr"), 0); }
        ~Layout() { EXPECT_EQ(std::system("setxkbmap us"), 0); }
    } french;
    const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < settled) {
        testing::Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Xdotool("alt+shift+a");
    ASSERT_TRUE(WaitForHotKeys(1));
    EXPECT_EQ(form_->received[0].first, 105u);
    EXPECT_EQ(form_->received[0].second, (MOD_ALT | MOD_SHIFT) | ('A' << 16));
    HotKeys::Unregister(*form_, 105);
}

TEST_F(HotKeysX11, AFreedFormGivesItsKeysBack)
{
    ASSERT_TRUE(HotKeys::Register(*form_, 101, MOD_ALT | MOD_SHIFT, 'S'));
    OtherClient other('s');
    EXPECT_FALSE(other.Grab(kAltShift));
    form_.reset();
    testing::Flush();
    EXPECT_TRUE(other.Grab(kAltShift));
}

} // namespace
} // namespace plat
