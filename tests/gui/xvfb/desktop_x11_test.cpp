// Runs under Xvfb (CTest label "xvfb", screen 1280 x 1024): screen size,
// focus, window states and idle time on a real X server without a window
// manager. Another program is played by an X client of the test's own.
#include "platform/gui/dialogs.h"
#include "platform/gui/foreground.h"
#include "platform/gui/form.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/monitor.h"
#include "platform/gui/screen.h"
#include "platform/gui/system_events.h"
#include "platform/gui/user_idle.h"
#include "platform/testing/gui_harness.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace plat {
namespace {

bool HaveDisplay()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

bool RunUntil(const std::function<bool()>& done, int ms = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        testing::Flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Another program: its own connection and one mapped window.
class OtherClient {
public:
    OtherClient()
    {
        connection_ = xcb_connect(nullptr, nullptr);
        screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
        window_ = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen_->root, 600, 600, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual, 0, nullptr);
        xcb_map_window(connection_, window_);
        xcb_flush(connection_);
    }
    ~OtherClient() { xcb_disconnect(connection_); }

    uint32_t Window() const { return window_; }
    uint32_t Focus() const
    {
        std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr), &std::free);
        return reply ? reply->focus : 0;
    }
    std::vector<std::string> NetWmState(uint32_t window) const
    {
        std::vector<std::string> names;
        const uint32_t state = Atom("_NET_WM_STATE");
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, state, XCB_ATOM_ATOM, 0, 64),
                                   nullptr),
            &std::free);
        if (!reply)
            return names;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i) {
            std::unique_ptr<xcb_get_atom_name_reply_t, decltype(&std::free)> name(
                xcb_get_atom_name_reply(connection_, xcb_get_atom_name(connection_, atoms[i]), nullptr), &std::free);
            if (name)
                names.emplace_back(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get()));
        }
        return names;
    }
    bool Viewable(uint32_t window) const
    {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> reply(
            xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr),
            &std::free);
        return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    }

private:
    uint32_t Atom(const char* name) const
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(
                connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
            &std::free);
        return reply ? reply->atom : 0;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_screen_t* screen_ = nullptr;
    uint32_t window_ = 0;
};

bool Shell(const std::string& command)
{
    return std::system(command.c_str()) == 0;
}

class DesktopX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "no X11 display";
        GuiApplication::Start();
        ASSERT_EQ(GuiApplication::PlatformName(), "xcb");
        SetLayerLog([this](const std::string& line) { layerLog_.push_back(line); });
    }
    void TearDown() override
    {
        if (!HaveDisplay())
            return;
        RemoveForegroundHook();
        SetLayerLog(nullptr);
        for (TForm* form : Application::FormsTopmostFirst())
            form->Free();
        testing::Flush();
    }
    static uint32_t Id(const TForm& form) { return static_cast<uint32_t>(testing::NativeWindowId(form)); }

    std::vector<std::string> layerLog_;
};

TEST(ScreenBeforeGui, AsksTheXServerDirectly)
{
    if (!HaveDisplay())
        GTEST_SKIP() << "no X11 display";
    if (GuiApplication::Started())
        GTEST_SKIP() << "the GUI of an earlier test runs in this process";
    EXPECT_EQ(Screen::Width(), 1280);
    EXPECT_EQ(Screen::Height(), 1024);
    EXPECT_EQ(Screen::WorkArea(), (TRect{0, 0, 1280, 1024}));
    GuiApplication::Start();
    EXPECT_EQ(Screen::Width(), 1280);
    EXPECT_EQ(Screen::DesktopHeight(), 1024);
}

TEST_F(DesktopX11Test, ForegroundFollowsFormsAndAnotherProgramAndBringToForegroundTakesItBack)
{
    auto* a = new TForm();
    a->SetBounds(10, 10, 200, 150);
    auto* b = new TForm();
    b->SetBounds(300, 10, 200, 150);
    std::vector<TForm*> heard;
    SetForegroundHook([&](TForm* form) { heard.push_back(form); });
    a->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*a));
    ASSERT_TRUE(RunUntil([&] { return GetForegroundForm() == a; }));
    b->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*b));
    ASSERT_TRUE(RunUntil([&] { return GetForegroundForm() == b; }));

    OtherClient other;
    ASSERT_TRUE(RunUntil([&] { return other.Viewable(other.Window()); }));
    ASSERT_TRUE(Shell("xdotool windowfocus --sync " + std::to_string(other.Window())));
    ASSERT_TRUE(RunUntil([&] { return GetForegroundForm() == nullptr && !heard.empty() && heard.back() == nullptr; }));
    EXPECT_EQ(heard, (std::vector<TForm*>{a, b, nullptr}));

    int activations = 0;
    a->OnActivate = [&](TComponent*) { ++activations; };
    a->BringToForeground();
    ASSERT_TRUE(RunUntil([&] { return other.Focus() == Id(*a) && GetForegroundForm() == a; }));
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(a->Active());
}

TEST_F(DesktopX11Test, WindowStatesAndMappingFollowTheFormsFlags)
{
    OtherClient observer;
    auto* top = new TForm();
    top->SetBounds(10, 10, 200, 150);
    top->SetStayOnTop(true);
    top->SetSkipTaskbar(true);
    top->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*top));
    std::vector<std::string> states = observer.NetWmState(Id(*top));
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE"), states.end());
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());

    // Off again on the shown form: in place, no events.
    int events = 0;
    top->OnShow = [&](TComponent*) { ++events; };
    top->OnActivate = [&](TComponent*) { ++events; };
    top->SetStayOnTop(false);
    ASSERT_TRUE(RunUntil([&] { return observer.Viewable(Id(*top)); }));
    testing::Flush();
    states = observer.NetWmState(Id(*top));
    EXPECT_EQ(std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE"), states.end());
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());
    EXPECT_EQ(testing::WindowPosition(*top), (TPoint{10, 10}));
    EXPECT_EQ(events, 0);

    struct Row {
        const char* name;
        bool blend;
        int alpha;
        int width;
        bool viewable;
    };
    const Row rows[] = {
        {"alpha 0", true, 0, 120, false},
        {"alpha 9", true, 9, 120, true},
        {"blending off", false, 0, 120, true},
        {"0 wide", false, 255, 0, false},
    };
    for (const Row& row : rows) {
        auto* form = new TForm();
        form->SetBounds(400, 400, row.width, row.width);
        form->SetAlphaBlend(row.blend);
        form->SetAlphaBlendValue(row.alpha);
        form->Show();
        const uint32_t id = Id(*form);
        if (row.viewable)
            EXPECT_TRUE(RunUntil([&] { return observer.Viewable(id); })) << row.name;
        else {
            RunUntil([] { return false; }, 200);
            EXPECT_FALSE(observer.Viewable(id)) << row.name;
        }
        EXPECT_TRUE(form->Visible()) << row.name;
        form->Free();
        testing::Flush();
    }
}

TEST_F(DesktopX11Test, ANoActivateFormKeepsTheFocusWhereItWasWhenClicked)
{
    OtherClient observer;
    auto* main = new TForm();
    main->SetBounds(10, 10, 200, 150);
    main->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*main));
    main->BringToForeground();
    ASSERT_TRUE(RunUntil([&] { return observer.Focus() == Id(*main); }));
    auto* log = new TForm();
    log->SetNoActivate(true);
    log->SetBounds(400, 300, 200, 150);
    log->Show();
    ASSERT_TRUE(testing::WaitUntilExposed(*log));
    ASSERT_TRUE(Shell("xdotool mousemove --sync 500 375 click 1"));
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(observer.Focus(), Id(*main));
    EXPECT_TRUE(main->Active());
    EXPECT_FALSE(log->Active());
}

TEST_F(DesktopX11Test, IdleSecondsGrowWithoutInputAndWakeRaisesNoError)
{
    ASSERT_TRUE(Shell("xdotool mousemove --sync 5 5"));
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_GE(UserIdle::Seconds(), 1u);
    ASSERT_TRUE(Shell("xdotool mousemove --sync 50 50"));
    EXPECT_EQ(UserIdle::Seconds(), 0u);
    Monitor::Wake();
    EXPECT_TRUE(layerLog_.empty()) << layerLog_.front();
}

// A real message box runs its own nested loop over the modal dialog: the
// session end closes it first, or the dialog's loop could never return.
TEST_F(DesktopX11Test, ASessionEndClosesAMessageBoxOverAModalDialog)
{
    GuiMainLoop loop;
    SystemEvents::Install(loop);
    auto* main = new TForm();
    Application::SetMainForm(main);
    auto* dialog = new TForm();
    std::vector<std::string> order;
    int answer = 0;
    Seams().modalScript = [&](TForm&) {
        loop.Post([] { pthread_kill(pthread_self(), SIGTERM); });
        answer = MessageBox("Ulo\x9eit zm\xecny?", "Test", MB_YESNO);
        order.push_back("box closed");
    };
    loop.Post([&] {
        dialog->ShowModal();
        order.push_back("dialog closed");
    });
    EXPECT_EQ(loop.Run(), 0);
    Seams().modalScript = nullptr;
    SystemEvents::Uninstall();
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(order, (std::vector<std::string>{"box closed", "dialog closed"}));
}

} // namespace
} // namespace plat
