#include "foundation/app_info.h"
#include "foundation/setup.h"
#include "model/organizers.h"
#include "online/global.h"
#include "online/screen.h"
#include "online/window_state.h"
#include "tests/online/online_world.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace online_test {
namespace {

// A screen of one size with a work area, and a main window on it.
struct FakeScreen {
    int32_t Width = 1920;
    int32_t Height = 1080;
    TNScreenRect Area{0, 0, 1920, 1040};
    TNScreenRect Window{};
    bool Maximized = false;
    bool Visible = true;
    int32_t TopValue = 0;
    std::vector<std::string> Calls;
};
FakeScreen* screen = nullptr;

class WindowGeometryTest : public OnlineWorld {
protected:
    void SetUp() override
    {
        OnlineWorld::SetUp();
        screen = &screen_;
        ScreenHooks.ScreenSize = [](int32_t* w, int32_t* h) {
            *w = screen->Width;
            *h = screen->Height;
        };
        ScreenHooks.WorkArea = [] { return screen->Area; };
        ScreenHooks.MainWindowBounds = [] { return screen->Window; };
        ScreenHooks.MainWindowMaximized = [] { return screen->Maximized; };
        ScreenHooks.ApplicationVisible = [] { return screen->Visible; };
        ScreenHooks.SetMainWindowNormal = [] { screen->Calls.push_back("normal"); };
        ScreenHooks.SetMainWindowBounds = [](const TNScreenRect& r) { screen->Window = r; };
        ScreenHooks.SetMainWindowTopValue = [](int32_t top) { screen->TopValue = top; };
        ScreenHooks.ArmMaximizeMainWindow = [] { screen->Calls.push_back("maximize"); };
        ScreenHooks.ArmResize = [] { screen->Calls.push_back("resize"); };
        WindowState.SetActivePage("Dnes");
    }
    void TearDown() override
    {
        ScreenHooks = TNScreenHooks{};
        OnlineWorld::TearDown();
        screen = nullptr;
    }
    // A fresh restore, as at start.
    void Restore()
    {
        g.GeometryRestoredOnce = false;
        g.UpdateTodayWindowSize();
    }
    int32_t Stored(const char* kind) { return ::Setup.GetInt((std::string(kind) + "ForRes1920x1080").c_str()); }

    FakeScreen screen_;
};

TEST_F(WindowGeometryTest, FirstStartFillsTheWorkAreaWhereverItLies)
{
    struct Case {
        const char* Name;
        TNScreenRect Area;
        TNScreenRect Expected;
    } cases[] = {
        {"work area at 0,0", {0, 0, 1920, 1040}, {20, 20, 1880, 1000}},
        {"second screen", {1920, 0, 1920, 1040}, {1940, 20, 1880, 1000}},
        {"panel on the left", {64, 0, 1856, 1040}, {84, 20, 1816, 1000}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.Name);
        ::Setup.Clear();
        screen_.Area = row.Area;
        Restore();
        EXPECT_EQ(screen_.Window.Left, row.Expected.Left);
        EXPECT_EQ(screen_.Window.Top, row.Expected.Top);
        EXPECT_EQ(screen_.Window.Width, row.Expected.Width);
        EXPECT_EQ(screen_.Window.Height, row.Expected.Height);
        EXPECT_EQ(screen_.TopValue, row.Area.Top + 20);
    }
}

TEST_F(WindowGeometryTest, SavedGeometryComesBackPerResolution)
{
    Restore();
    screen_.Window = {100, 50, 1200, 800};
    g.SaveWindowGeometry();
    EXPECT_EQ(Stored("L"), 100);
    EXPECT_EQ(Stored("W"), 1200);
    EXPECT_EQ(Stored("S"), 0);

    // A minimised window keeps the stored position.
    screen_.Window = {-32000, -32000, 1200, 800};
    g.SaveWindowGeometry();
    EXPECT_EQ(Stored("L"), 100);
    EXPECT_EQ(Stored("T"), 50);

    // Maximised: only the state.
    screen_.Maximized = true;
    screen_.Window = {0, 0, 1920, 1040};
    g.SaveWindowGeometry();
    EXPECT_EQ(Stored("S"), 1);
    EXPECT_EQ(Stored("W"), 1200);

    // Nothing on the login and helper pages.
    screen_.Maximized = false;
    for (const char* page : {"Login", "Pomocne"}) {
        WindowState.SetActivePage(page);
        g.SaveWindowState(0);
        g.SaveWindowGeometry();
        EXPECT_EQ(Stored("S"), 1) << page;
    }
    WindowState.SetActivePage("Dnes");

    screen_.Window = {};
    screen_.Calls.clear();
    Restore();
    EXPECT_EQ(screen_.Window.Left, 100);
    EXPECT_EQ(screen_.Window.Width, 1200);
    EXPECT_EQ(screen_.Calls, (std::vector<std::string>{"maximize"}));
    EXPECT_EQ(screen_.TopValue, -1);

    // The same screen again changes nothing; another one lays out anew.
    g.UpdateTodayWindowSize();
    EXPECT_EQ(screen_.Calls.size(), 1u);
    screen_.Width = 1280;
    screen_.Height = 1024;
    screen_.Area = {0, 0, 1280, 984};
    g.UpdateTodayWindowSize();
    EXPECT_EQ(screen_.Window.Width, 1240);
    EXPECT_EQ(screen_.Calls.back(), "resize");
}

TEST_F(WindowGeometryTest, UnknownStoredPositionIsPlacedBottomRight)
{
    ::Setup.SetValue("WForRes1920x1080", 1000, TNSetupItem::kInt32);
    ::Setup.SetValue("HForRes1920x1080", 600, TNSetupItem::kInt32);
    Restore();
    EXPECT_EQ(screen_.Window.Left, 1920 - 1000 - 20);
    EXPECT_EQ(screen_.Window.Top, 1040 - 600 - 20);
    EXPECT_EQ(Stored("L"), 900);
}

TEST_F(WindowGeometryTest, RelationCaptions)
{
    TNString owner("Petr Novák");
    struct Case {
        const char* Name;
        uint32_t Origin;
        uint32_t Subscribe;
        const char* SecondTitle;
        const char* Note;
        const TNString* Owner;
        const char* Expected;
    } cases[] = {
        {"main calendar", 1, 1, "", "", nullptr, "Můj hlavní kalendář"},
        {"main calendar invited", 1, 5, "", "", nullptr, "Můj hlavní kalendář\nPozvánka k odběru"},
        {"own page", 10, 1, "", "Poznámka", nullptr, "Poznámka\nMnou vytvořená stránka/kalendář"},
        {"user page with title", 20, 1, "Jana", "", &owner, "Stránka uživatele Jana"},
        {"user page by owner", 20, 1, "", "", &owner, "Stránka uživatele Petr Novák\n77"},
        {"user page without owner", 20, 1, "", "", nullptr, "Stránka uživatele "},
        {"not subscribed", 50, 0, "", "", nullptr, "Neodebíráno"},
        {"subscribed", 50, 1, "", "", nullptr, "Přihlášeno k odběru"},
        {"invited", 50, 5, "", "", nullptr, "Pozvánka k odběru"},
        {"contributor", 50, 10, "", "", nullptr, "Přispěvatel"},
        {"manager", 50, 20, "", "", nullptr, "Manažer"},
        {"unknown", 30, 0, "", "", nullptr, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.Name);
        TNPIMOrganizer organizer;
        organizer.ID = 610;
        organizer.UserID = 77;
        organizer.Origin = row.Origin;
        organizer.Subscribe = row.Subscribe;
        organizer.SecondTitle.Set(row.SecondTitle);
        organizer.Note.Set(row.Note);
        TNString text("old");
        g.GetOrganizerRelationText(true, &organizer, &text, row.Owner);
        EXPECT_EQ(std::string(text.View()), row.Expected);
    }
    TNPIMOrganizer unknown;
    unknown.ID = 610;
    unknown.Origin = 30;
    App.IsDev = 1;
    TNString text;
    g.GetOrganizerRelationText(true, &unknown, &text, nullptr);
    App.IsDev = 0;
    EXPECT_EQ(std::string(text.View()), "[DEV] ID: 610, Origin = 30, Subscribe = 0");
    TNString untouched("x");
    g.GetOrganizerRelationText(false, &unknown, &untouched, nullptr);
    EXPECT_EQ(std::string(untouched.View()), "x");
}

} // namespace
} // namespace online_test
