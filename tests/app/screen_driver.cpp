#include "tests/app/screen_driver.h"

#include "platform/gui/gui_application.h"
#include "platform/gui/screen.h"
#include "platform/testing/gui_harness.h"

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace real_program {
namespace {

// xdotool's "--shell" geometry: X=, Y=, WIDTH=, HEIGHT= lines.
std::optional<plat::TRect> ParseGeometry(const std::string& shell)
{
    int x = 0, y = 0, width = -1, height = -1;
    std::istringstream lines(shell);
    for (std::string line; std::getline(lines, line);) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        if (key == "X")
            x = value;
        else if (key == "Y")
            y = value;
        else if (key == "WIDTH")
            width = value;
        else if (key == "HEIGHT")
            height = value;
    }
    if (width <= 0 || height <= 0)
        return std::nullopt;
    return plat::Rect(x, y, x + width, y + height);
}

} // namespace

std::optional<std::string> Xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{DALMORA_XDOTOOL};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    testenv::Child tool;
    if (!tool.Spawn(argv))
        return std::nullopt;
    std::string output = tool.ReadToEnd();
    int status = -1;
    if (!tool.Wait(status) || !ExitedWithZero(status))
        return std::nullopt;
    return output;
}

std::optional<plat::TRect> WindowArea(uint64_t id)
{
    const std::optional<std::string> shell = Xdotool({"getwindowgeometry", "--shell", std::to_string(id)});
    return shell ? ParseGeometry(*shell) : std::nullopt;
}

std::vector<ScreenWindow> VisibleWindowsOf(pid_t pid, const std::string& title)
{
    std::vector<std::string> search{"search", "--onlyvisible", "--pid", std::to_string(pid)};
    // Without --all, xdotool takes a window of the process or of the title.
    if (!title.empty())
        search.insert(search.end(), {"--all", "--name", title});
    // No match ends xdotool with status 1: no windows.
    const std::optional<std::string> ids = Xdotool(search);
    std::vector<ScreenWindow> windows;
    if (!ids)
        return windows;
    std::istringstream lines(*ids);
    for (std::string id; std::getline(lines, id);) {
        if (id.empty())
            continue;
        const std::optional<plat::TRect> area = WindowArea(std::stoull(id));
        if (area)
            windows.push_back({std::stoull(id), *area});
    }
    return windows;
}

bool WaitForNewWindow(pid_t pid, const std::set<uint64_t>& known, ScreenWindow& found, const std::string& title, int ms)
{
    return testenv::WaitUntil(
        [&] {
            for (const ScreenWindow& window : VisibleWindowsOf(pid, title)) {
                if (known.count(window.id) == 0) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        ms);
}

bool WaitUntilUnmapped(pid_t pid, uint64_t id, int ms)
{
    return testenv::WaitUntil([&] { return IdsOf(VisibleWindowsOf(pid)).count(id) == 0; }, ms);
}

std::set<uint64_t> IdsOf(const std::vector<ScreenWindow>& windows)
{
    std::set<uint64_t> ids;
    for (const ScreenWindow& window : windows)
        ids.insert(window.id);
    return ids;
}

bool FocusWindow(uint64_t id)
{
    return Xdotool({"windowfocus", "--sync", std::to_string(id)}).has_value();
}

bool PressKeys(const std::string& keys)
{
    return Xdotool({"key", "--clearmodifiers", keys}).has_value();
}

bool TypeText(const std::string& utf8)
{
    return Xdotool({"type", "--clearmodifiers", "--delay", "20", utf8}).has_value();
}

bool MovePointer(int x, int y)
{
    // Not "--sync": it waits for the pointer to move, forever when it is
    // already there (left by an earlier test on the same display).
    if (!Xdotool({"mousemove", std::to_string(x), std::to_string(y)}))
        return false;
    return testenv::WaitUntil(
        [&] {
            const std::optional<std::string> shell = Xdotool({"getmouselocation", "--shell"});
            const std::optional<plat::TRect> at = shell ? ParseGeometry(*shell + "WIDTH=1\nHEIGHT=1\n") : std::nullopt;
            return at && at->Left == x && at->Top == y;
        },
        5000);
}

bool ClickAt(int x, int y, int button)
{
    return MovePointer(x, y) && Xdotool({"click", std::to_string(button)}).has_value();
}

std::string SettledScreenPng(const plat::TRect& area, int ms)
{
    std::string last = plat::testing::GrabScreenPng(area);
    testenv::WaitUntil(
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::string grab = plat::testing::GrabScreenPng(area);
            const bool settled = !grab.empty() && grab == last;
            last = std::move(grab);
            return settled;
        },
        ms);
    return last;
}

void RealProgramOnScreen::SetUp()
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    // This process grabs the screen through the GUI layer on the same display.
    plat::GuiApplication::Start();
    ASSERT_EQ(plat::GuiApplication::PlatformName(), "xcb");
    RealProgram::SetUp();
}

ScreenWindow RealProgramOnScreen::FocusedMainWindow(pid_t pid)
{
    // The largest of its windows: the others that may show by then (tool
    // tips, the hint, a toast) are small.
    ScreenWindow main;
    EXPECT_TRUE(testenv::WaitUntil([&] {
        for (const ScreenWindow& window : VisibleWindowsOf(pid)) {
            if (window.area.Width() * window.area.Height() > main.area.Width() * main.area.Height())
                main = window;
        }
        return main.id != 0;
    })) << "no window on the screen";
    EXPECT_TRUE(FocusWindow(main.id));
    EXPECT_TRUE(MovePointer(plat::Screen::Width() - 1, plat::Screen::Height() - 1));
    return main;
}

} // namespace real_program
