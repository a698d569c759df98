#include "foundation/common.h"
#include "foundation/hooks.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/foreground.h"
#include "platform/gui/form.h"
#include "platform/gui/monitor.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/user_idle.h"
#include "platform/gui/window_operations.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace plat {
namespace {

// A form that keeps the display changes it hears of.
class DisplayForm : public TForm {
public:
    LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_DISPLAYCHANGE) {
            changes.push_back({wParam, lParam});
            if (onChange)
                onChange();
        }
        return TForm::Dispatch(message, wParam, lParam);
    }
    std::vector<std::pair<WPARAM, LPARAM>> changes;
    std::function<void()> onChange;
};

class DesktopTest : public testing::OffscreenGuiTest {
protected:
    void TearDown() override
    {
        RemoveForegroundHook();
        Screen::ClearOverride();
        UserIdle::SetOverride(std::nullopt);
        for (TForm* form : Application::FormsTopmostFirst())
            form->Free();
        testing::Flush();
        OffscreenGuiTest::TearDown();
    }

    static bool Mapped(const TForm& form) { return testing::WindowMapped(form); }
};

TEST_F(DesktopTest, OpacityAndSizeDecideWhetherTheWindowIsMapped)
{
    struct Row {
        const char* name;
        bool blend;
        int alpha;
        int width;
        int height;
        bool mapped;
    };
    const Row rows[] = {
        {"alpha 0", true, 0, 200, 100, false},
        {"alpha 9", true, 9, 200, 100, true},
        {"blending off at alpha 0", false, 0, 200, 100, true},
        {"0 x 0", false, 255, 0, 0, false},
        {"1 px wide", false, 255, 1, 100, true},
    };
    for (const Row& row : rows) {
        auto* form = new TForm();
        form->SetBounds(-32000, -32000, row.width, row.height);
        form->SetAlphaBlend(row.blend);
        form->SetAlphaBlendValue(row.alpha);
        form->Show();
        testing::Flush();
        EXPECT_TRUE(form->Visible()) << row.name;
        EXPECT_EQ(form->AlphaBlendValue(), row.alpha) << row.name;
        EXPECT_EQ(Mapped(*form), row.mapped) << row.name;
        form->Free();
    }
    // Values change the mapping of a shown form both ways.
    auto* form = new TForm();
    form->SetAlphaBlend(true);
    form->SetAlphaBlendValue(0);
    form->Show();
    EXPECT_FALSE(Mapped(*form));
    form->SetAlphaBlendValue(300);
    EXPECT_EQ(form->AlphaBlendValue(), 255);
    EXPECT_TRUE(Mapped(*form));
    form->SetBounds(0, 0, 0, 0);
    EXPECT_FALSE(Mapped(*form));
    form->SetBounds(0, 0, 50, 50);
    EXPECT_TRUE(Mapped(*form));
    form->Hide();
    EXPECT_FALSE(Mapped(*form));
}

TEST_F(DesktopTest, ChangingWindowFlagsKeepsAShownFormInPlaceWithoutEvents)
{
    auto* form = new TForm();
    form->SetBounds(120, 80, 300, 200);
    form->Show();
    testing::Flush();
    int shows = 0;
    int activations = 0;
    form->OnShow = [&](TComponent*) { ++shows; };
    form->OnActivate = [&](TComponent*) { ++activations; };
    form->SetStayOnTop(true);
    form->SetSkipTaskbar(true);
    testing::Flush();
    form->SetStayOnTop(false);
    testing::Flush();
    EXPECT_TRUE(Mapped(*form));
    EXPECT_TRUE(form->Active());
    EXPECT_EQ(testing::WindowPosition(*form), (TPoint{120, 80}));
    EXPECT_EQ((std::vector<int>{form->Left(), form->Top(), form->Width(), form->Height()}),
              (std::vector<int>{120, 80, 300, 200}));
    EXPECT_EQ(shows, 0);
    EXPECT_EQ(activations, 0);
    EXPECT_TRUE(form->SkipTaskbar());
    EXPECT_FALSE(form->StayOnTop());
}

TEST_F(DesktopTest, ANoActivateFormNeverBecomesTheActiveForm)
{
    auto* main = new TForm();
    main->Show();
    auto* log = new TForm();
    log->SetNoActivate(true);
    auto* panel = new TPanel(log);
    panel->SetParent(log);
    panel->SetBounds(0, 0, 100, 100);
    log->Show();
    testing::Flush();
    EXPECT_TRUE(main->Active());
    testing::MouseClick(*panel, 10, 10);
    log->BringToForeground();
    testing::Flush();
    EXPECT_TRUE(main->Active());
    EXPECT_FALSE(log->Active());
}

TEST_F(DesktopTest, TheForegroundHookFollowsTheFocusedForm)
{
    auto* a = new TForm();
    auto* b = new TForm();
    std::vector<TForm*> heard;
    SetForegroundHook([&](TForm* form) { heard.push_back(form); });
    a->Show();
    ASSERT_TRUE(testing::RunUntil([&] { return GetForegroundForm() == a; }));
    b->Show();
    ASSERT_TRUE(testing::RunUntil([&] { return GetForegroundForm() == b; }));
    a->BringToForeground();
    ASSERT_TRUE(testing::RunUntil([&] { return GetForegroundForm() == a; }));
    EXPECT_EQ(heard, (std::vector<TForm*>{a, b, a}));
    RemoveForegroundHook();
    b->BringToForeground();
    ASSERT_TRUE(testing::RunUntil([&] { return GetForegroundForm() == b; }));
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(DesktopTest, AScreenOverrideReadsBackAndAChangeReachesEveryFormOnce)
{
    ScreenGeometry small;
    small.width = small.desktopWidth = 1024;
    small.height = small.desktopHeight = 768;
    small.workArea = TRect{0, 0, 1024, 728};
    Screen::SetOverride(small);
    auto* victim = new DisplayForm();
    auto* a = new DisplayForm();
    auto* b = new DisplayForm();
    // The newest hears first and frees the oldest, which then hears nothing.
    b->onChange = [&] {
        if (victim != nullptr)
            victim->Free();
        victim = nullptr;
    };

    ScreenGeometry large = small;
    large.width = large.desktopWidth = 1920;
    large.height = large.desktopHeight = 1080;
    large.workArea = TRect{0, 30, 1920, 1080};
    Screen::SetOverride(large);
    EXPECT_EQ(Screen::Width(), 1920);
    EXPECT_EQ(Screen::Height(), 1080);
    EXPECT_EQ(Screen::DesktopWidth(), 1920);
    EXPECT_EQ(Screen::WorkArea(), (TRect{0, 30, 1920, 1080}));
    const std::vector<std::pair<WPARAM, LPARAM>> once = {{24, 1920 | (1080 << 16)}};
    EXPECT_EQ(a->changes, once);
    EXPECT_EQ(b->changes, once);

    // The same screen again is no change; a work area alone is one.
    Screen::SetOverride(large);
    EXPECT_EQ(a->changes.size(), 1u);
    large.workArea = TRect{0, 0, 1920, 1040};
    Screen::SetOverride(large);
    EXPECT_EQ(b->changes.size(), 2u);
    EXPECT_EQ(victim, nullptr);
    b->onChange = nullptr;
}

// The common helpers' window operations through the hooks the program fills.
class WindowHelpersTest : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        FoundationHooks.WorkArea = &ScreenWorkArea;
        FoundationHooks.ControlBounds = &ControlBoundsOf;
        FoundationHooks.SetControlBounds = &SetControlBoundsOf;
        FoundationHooks.FillAndOutline = &FillAndOutline;
        ScreenGeometry screen;
        screen.width = screen.desktopWidth = 1000;
        screen.height = screen.desktopHeight = 800;
        screen.workArea = TRect{0, 40, 1000, 800};
        Screen::SetOverride(screen);
    }
    void TearDown() override
    {
        FoundationHooks.WorkArea = nullptr;
        FoundationHooks.ControlBounds = nullptr;
        FoundationHooks.SetControlBounds = nullptr;
        FoundationHooks.FillAndOutline = nullptr;
        DesktopTest::TearDown();
    }
    static std::vector<int> Bounds(const TControl& control)
    {
        return {control.Left(), control.Top(), control.Width(), control.Height()};
    }
};

TEST_F(WindowHelpersTest, KeepFormInWorkAreaMovesAndLimits)
{
    struct Row {
        std::vector<int> before;
        std::vector<int> after;
    };
    const Row rows[] = {
        {{100, 100, 300, 200}, {100, 100, 300, 200}},
        {{900, 700, 300, 200}, {700, 600, 300, 200}},
        {{-50, 0, 300, 200}, {0, 40, 300, 200}},
        {{10, 10, 1200, 900}, {0, 40, 1000, 760}},
    };
    auto* form = new TForm();
    for (const Row& row : rows) {
        form->SetBounds(row.before[0], row.before[1], row.before[2], row.before[3]);
        TNCommon::KeepFormInWorkArea(form);
        EXPECT_EQ(Bounds(*form), row.after);
    }
}

TEST_F(WindowHelpersTest, FitHeightCenterAndFilledRect)
{
    auto* form = new TForm();
    form->SetBounds(0, 0, 300, 900);
    TNCommon::FitHeightToWorkArea(form);
    EXPECT_EQ(form->Height(), 740);
    form->SetBounds(0, 0, 300, 500);
    TNCommon::FitHeightToWorkArea(form);
    EXPECT_EQ(form->Height(), 500);

    auto* over = new TForm();
    over->SetBounds(100, 50, 600, 400);
    form->SetBounds(0, 0, 200, 101);
    TNCommon::CenterControl(form, over);
    EXPECT_EQ(Bounds(*form), (std::vector<int>{300, 199, 200, 101}));

    TBitmap bitmap;
    bitmap.SetSize(8, 6);
    TNCommon::DrawFilledRect(&bitmap.Canvas(), 8, 6, 0x0000FF, 0xFF0000);
    EXPECT_EQ(bitmap.Canvas().Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(bitmap.Canvas().Pixel(7, 5), 0xFF0000u);
    EXPECT_EQ(bitmap.Canvas().Pixel(7, 2), 0xFF0000u);
    EXPECT_EQ(bitmap.Canvas().Pixel(3, 3), 0x0000FFu);
}

TEST_F(DesktopTest, IdleSecondsAreZeroOffscreenAndReachTheFoundation)
{
    EXPECT_EQ(UserIdle::Seconds(), 0u);
    Monitor::Wake();
    FoundationHooks.IdleSeconds = &UserIdle::Seconds;
    UserIdle::SetOverride(42);
    EXPECT_EQ(TNCommon::GetIdleSeconds(), 42u);
    UserIdle::SetOverride(std::nullopt);
    EXPECT_EQ(TNCommon::GetIdleSeconds(), 0u);
    FoundationHooks.IdleSeconds = nullptr;
}

} // namespace
} // namespace plat
