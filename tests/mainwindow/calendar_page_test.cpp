// The calendar page on the signed-in window: switching views, the date
// steps, the month range, the layout with the filter column, the filter
// itself, the day-box modes and the drawn backgrounds.

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/common.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "online/hooks.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/gui_harness.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace shell_test {
namespace {

const char* const kScrollboxes[] = {"scrollCalendar_Day", "scrollCalendar_WorkWeek", "scrollCalendar_Week",
                                    "scrollCalendar_Month"};

class CalendarPage : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        ::Setup.SetValue("calendarShowFilter", 0, TNSetupItem::kInt32);
        TNPIMOrganizer& organizer = *Account(0).Organizers.GetOrganizerByID(kOrganizerID);
        organizer.Subscribe = 1;
        organizer.Selected = true;
    }

    void Open(int32_t mode)
    {
        Main().calendarViewBy = mode;
        Click(TfrmMainDLMR1::kCalendar);
    }

    // The scroll boxes shown, as a 4-letter mask: "---M" for only the month.
    std::string Visible()
    {
        std::string mask;
        const char letters[] = "DWEM";
        for (int i = 0; i < 4; ++i) {
            TNViewItem* box = View.GetComponent(kScrollboxes[i]);
            mask += box != nullptr && box->Panel.Get()->Visible() ? letters[i] : '-';
        }
        return mask;
    }

    void PressViewBy(const char* item, plat::TMouseButton button = plat::TMouseButton::mbLeft)
    {
        TNViewItem* pressed = View.GetComponent((std::string("toolbarCalendar_") + item).c_str());
        ASSERT_NE(pressed, nullptr) << item;
        Main().calendarViewByMouseDown(pressed->TitleLabel.Get(), button);
    }

    // Whether the day box holds a card of that record.
    static bool HasCard(const char* daybox, uint32_t id)
    {
        const std::string prefix = std::string(daybox) + "_recordCmp_";
        const std::string suffix = "_" + std::to_string(id);
        for (int32_t i = 0; i < View.ItemsCount; ++i) {
            const TNViewItem* item = View.Items[i];
            if (item == nullptr || item->Name.Text == nullptr)
                continue;
            const std::string name = item->Name.Text;
            if (name.rfind(prefix, 0) == 0 && name.size() > suffix.size() &&
                name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                return true;
        }
        return false;
    }

    void AddAuthor(uint32_t id, const char* name, uint8_t shown)
    {
        TNPIMOrganizers& list = Account(0).Organizers;
        const auto at = static_cast<size_t>(list.ResizeFilterListStruct_AddOneItem());
        list.FilterListKind[at] = TNPIMOrganizers::kFilterAuthor;
        list.FilterListAuthorID[at] = id;
        list.FilterListName[at] = TNString(name);
        list.FilterListShown[at] = shown;
    }
};

TEST_F(CalendarPage, SwitchingShowsOneViewAndStoresTheMode)
{
    Open(4);
    EXPECT_EQ(Visible(), "---M");
    EXPECT_EQ(View.GetComponent("toolbarCalendar_View_ByMonth")->Active, 1);

    const int monthUpdates = LogCount("[UpdateActuallyShownData_MonthView][BEGIN]");
    PressViewBy("View_ByMonth");
    EXPECT_EQ(LogCount("[UpdateActuallyShownData_MonthView][BEGIN]"), monthUpdates) << "(4, 4) refreshes nothing";

    PressViewBy("View_ByWeek", plat::TMouseButton::mbRight);
    EXPECT_EQ(Visible(), "---M") << "only the left button";

    struct Step {
        const char* button;
        const char* visible;
        int32_t stored;
    };
    const Step steps[] = {{"View_ByWeek", "--E-", 3},
                          {"View_ByDay", "D---", 1},
                          {"View_ByWorkWeek", "-W--", 2},
                          {"View_ByMonth", "---M", 4}};
    for (const Step& step : steps) {
        PressViewBy(step.button);
        EXPECT_EQ(Visible(), step.visible) << step.button;
        EXPECT_EQ(::Setup.GetInt("calendarViewBy"), step.stored) << step.button;
        EXPECT_EQ(Main().calendarViewBy, step.stored);
        EXPECT_EQ(View.GetComponent((std::string("toolbarCalendar_") + step.button).c_str())->Active, 1);
    }
}

TEST_F(CalendarPage, ModesWithoutAViewShowTheOneDayView)
{
    Open(6);
    EXPECT_EQ(Visible(), "D---");
    for (const char* name : {"View_ByDay", "View_ByWorkWeek", "View_ByWeek", "View_ByMonth"})
        EXPECT_NE(View.GetComponent((std::string("toolbarCalendar_") + name).c_str())->Active, 1) << name;

    PressViewBy("View_ByWorkWeek");
    EXPECT_EQ(Visible(), "-W--") << "the one-day view shown for mode 6 is hidden";

    Main().ShowCalendarView(2, 1);
    Main().ShowCalendarView(1, 6);
    EXPECT_EQ(Visible(), "D---") << "1 and 6 share the one-day view";
}

TEST_F(CalendarPage, DateStepsMoveTheShownRangeAndStopTheReturnToToday)
{
    Open(2);
    TNViewItem* daybox = View.GetComponent("scrollCalendar_WorkWeekDaybox");
    ASSERT_NE(daybox, nullptr);
    EXPECT_EQ(daybox->Times[0].Den, 10);
    EXPECT_EQ(daybox->Times[1].Den, 14);

    Main().timerSetCalendarToToday->SetEnabled(true);
    Main().calendarNextClick();
    EXPECT_FALSE(Main().timerSetCalendarToToday->Enabled());
    EXPECT_EQ(daybox->Times[0].Den, 17);
    EXPECT_EQ(daybox->Times[1].Den, 21);
    EXPECT_EQ(View.GetComponent("toolbarCalendar_ShownDate")->Labels[0].Get()->Caption(), "března 2025");

    Main().timerSetCalendarToToday->SetEnabled(true);
    Main().calendarPreviousClick();
    Main().calendarPreviousClick();
    EXPECT_FALSE(Main().timerSetCalendarToToday->Enabled());
    EXPECT_EQ(daybox->Times[0].Den, 3);

    Main().timerSetCalendarToToday->SetEnabled(true);
    Main().calendarTodayClick();
    EXPECT_FALSE(Main().timerSetCalendarToToday->Enabled());
    EXPECT_EQ(daybox->Times[0].Den, 10);

    PressViewBy("View_ByDay");
    Main().calendarNextClick();
    EXPECT_EQ(Main().calendarShownDay.Den, 12);
    EXPECT_EQ(Main().calendarShownDay.Hodina, 0);
    EXPECT_EQ(View.GetComponent("scrollCalendar_DayDaybox")->Times[0].Den, 12);
}

TEST_F(CalendarPage, MonthBoxKeepsTheRecordsOfItsLastSunday)
{
    AddRecord(Account(0), {.ID = 9001, .Type = 3, .Year = 2024, .Month = 3, .Day = 31, .Hour = 20});
    Open(4);
    TNViewItem* daybox = View.GetComponent("scrollCalendar_MonthDaybox");
    ASSERT_NE(daybox, nullptr);
    TNTime march;
    march.SetDate(1, 3, 2024);
    Main().SetMonthViewDayboxDate(daybox, &march);
    EXPECT_EQ(daybox->MonthRows, 5);
    EXPECT_EQ(daybox->Times[1].Den, 31);
    Main().RefreshAllDayboxes("test");
    EXPECT_TRUE(HasCard("scrollCalendar_MonthDaybox", 9001));
}

TEST_F(CalendarPage, LayoutPlacesTheFilterColumnBesideTheViews)
{
    ::Setup.SetValue("calendarFilterWidth", 200, TNSetupItem::kInt32);
    Open(3);
    const int32_t width = Main().gDesk->Width();
    struct Case {
        int32_t show;
        int32_t columnLeft;
        int32_t viewsLeft;
        int32_t boxLeft;
    };
    for (const Case& c : {Case{2, width - 200, 0, 7}, Case{1, 0, 200, 0}}) {
        ::Setup.SetValue("calendarShowFilter", c.show, TNSetupItem::kInt32);
        Main().CreateCalendarComponents_Filter();
        Main().ResizeCalendarComponents();
        TNViewItem* box = View.GetComponent("scrollCalendar_Filter");
        ASSERT_NE(box, nullptr);
        plat::TWinControl* column = box->Panel.Get()->Parent();
        EXPECT_EQ(column->Left(), c.columnLeft) << c.show;
        EXPECT_EQ(column->Width(), 200) << c.show;
        EXPECT_EQ(box->Panel.Get()->Left(), c.boxLeft) << c.show;
        EXPECT_EQ(box->Panel.Get()->Width(), 193) << c.show;
        plat::TPanel* week = View.GetComponent("scrollCalendar_Week")->Panel.Get();
        EXPECT_EQ(week->Left(), c.viewsLeft) << c.show;
        EXPECT_EQ(week->Width(), width - 200) << c.show;
    }
    Main().btnCalendarFilterCloseClick();
    EXPECT_EQ(::Setup.GetInt("calendarShowFilter"), 0);
    EXPECT_EQ(View.GetComponent("scrollCalendar_Filter"), nullptr);
    EXPECT_EQ(View.GetComponent("scrollCalendar_Week")->Panel.Get()->Width(), width);
}

TEST_F(CalendarPage, FilterShowsOnlyTheTickedAuthorsOnTheCalendar)
{
    constexpr uint32_t kOther = 78;
    AddAuthor(kUserID, "Alice", 1);
    AddAuthor(kOther, "Bob", 1);
    AddRecord(Account(0), {.ID = 9101, .Type = 3, .Day = 11, .Hour = 9});
    const int32_t bobsPos = AddRecord(Account(0), {.ID = 9102, .Type = 3, .Day = 11, .Hour = 14});
    RecordAt(Account(0), bobsPos).CreatedByUserID = kOther;
    ::Setup.SetValue("calendarShowFilter", 1, TNSetupItem::kInt32);
    Open(3);
    ASSERT_NE(View.GetComponent("scrollCalendar_Filter"), nullptr);
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9102));

    // A click on Bob's name: only Bob.
    TNViewItem* bob = View.GetComponent("btnCalendarFilterAuthors78");
    TNViewItem* alice = View.GetComponent("btnCalendarFilterAuthors77");
    TNViewItem* all = View.GetComponent("btnCalendarFilterAuthors_SelectAll");
    ASSERT_NE(bob, nullptr);
    ASSERT_NE(alice, nullptr);
    Main().btnCalendarFilterAuthorClick(bob);
    EXPECT_EQ(Main().calendarFilterAllSelected, 0);
    EXPECT_EQ(alice->Marked, 0);
    EXPECT_EQ(all->Marked, 0);
    EXPECT_EQ(Account(0).Organizers.FilterListShown[0], 0);
    EXPECT_FALSE(HasCard("scrollCalendar_WeekDaybox", 9101));
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9102));
    EXPECT_TRUE(ViewMainHooks.AuthorFilterOn());

    // Off the calendar every record passes.
    RecordAt(Account(0), bobsPos).CreatedByUserID = kUserID;
    EXPECT_FALSE(Main().RecordIsVisibleByFilter(&RecordAt(Account(0), bobsPos)));
    Main().controlActive = TfrmMainDLMR1::kHomepage;
    EXPECT_TRUE(Main().RecordIsVisibleByFilter(&RecordAt(Account(0), bobsPos)));
    EXPECT_FALSE(Main().RecordIsVisibleByFilter(nullptr));
    Main().controlActive = TfrmMainDLMR1::kCalendar;
    RecordAt(Account(0), bobsPos).CreatedByUserID = kOther;

    // Ticking the last unticked author selects all again.
    alice->Marked = 1;
    Main().btnCalendarFilterAuthorCheckboxChange(alice);
    EXPECT_EQ(Main().calendarFilterAllSelected, 1);
    EXPECT_EQ(all->Marked, 1);
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9101));

    // Select all toggles every author.
    Main().btnCalendarFilterAuthors_SelectAllClick();
    EXPECT_EQ(alice->Marked, 0);
    EXPECT_EQ(bob->Marked, 0);
    EXPECT_FALSE(HasCard("scrollCalendar_WeekDaybox", 9101));
    EXPECT_FALSE(HasCard("scrollCalendar_WeekDaybox", 9102));

    // Closing keeps the selections but shows every author again.
    Main().btnCalendarFilterCloseClick();
    EXPECT_EQ(::Setup.GetInt("calendarShowFilter"), 0);
    EXPECT_EQ(Main().calendarFilterAllSelected, 1);
    EXPECT_EQ(Account(0).Organizers.FilterListShown[1], 0);
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9101));
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9102));
}

TEST_F(CalendarPage, FilterMenuPopsUpUnderTheButtonWithTheStoredItemChecked)
{
    Open(3);
    ::Setup.SetValue("calendarShowFilter", 2, TNSetupItem::kInt32);
    TNViewItem* button = View.GetComponent("toolbarCalendar_calendarShowFilterMenuButton");
    ASSERT_NE(button, nullptr);
    plat::TPanel* panel = button->Panel.Get();
    Main().showCalendarFilterMenuButtonMouseDown(button->TitleLabel.Get(), plat::TMouseButton::mbLeft, 3, 4);
    ASSERT_EQ(menus_->popups.size(), 1u);
    const plat::TPoint corner = panel->ClientToScreen(plat::TPoint{0, panel->Height()});
    EXPECT_EQ(menus_->popups[0].x, corner.x);
    EXPECT_EQ(menus_->popups[0].y, corner.y);
    EXPECT_TRUE(Main().popupCalendarFilterMenu->FindByName("pmnuCalendarFilter_ShowAsRightColumn")->Checked());
    EXPECT_FALSE(Main().popupCalendarFilterMenu->FindByName("pmnuCalendarFilter_NoShow")->Checked());
}

TEST_F(CalendarPage, SecondSignInBuildsTheToolbarAndViewsAgain)
{
    AddRecord(Account(0), {.ID = 9201, .Type = 3, .Day = 12, .Hour = 9});
    Open(4);
    EXPECT_TRUE(HasCard("scrollCalendar_MonthDaybox", 9201));
    // What the log-out leaves: every component gone, then the hook.
    for (const char* name : {"toolbarCalendar", "scrollCalendar_MonthDaybox", "scrollCalendar_Month"})
        View.DeleteComponent(name, false);
    ASSERT_NE(PagesHooks.DestroyCalendarComponents, nullptr);
    PagesHooks.DestroyCalendarComponents();
    Main().Pages().ClearSignedInPageState();

    Main().CreateCalendarComponents();
    EXPECT_NE(View.GetComponent("toolbarCalendar"), nullptr);
    EXPECT_EQ(Visible(), "---M");
    EXPECT_TRUE(HasCard("scrollCalendar_MonthDaybox", 9201));
}

TEST_F(CalendarPage, DayboxModesSetTheSizesAndTheirMenuItem)
{
    struct Case {
        int32_t mode;
        int32_t rowHeight;
        int32_t second;
        const char* checked;
        bool logged;
    };
    const Case cases[] = {
        {2, 15, 8, "pmnuHPDayboxModeDynamic_small", false},
        {4, 20, 10, "pmnuHPDayboxModeDynamic_normal", false},
        {6, 23, 10, "pmnuHPDayboxModeDynamic_big", false},
        {12, 15, 8, "pmnuHPDayboxModeStandard_small", false},
        {14, 20, 10, "pmnuHPDayboxModeStandard_normal", false},
        {16, 23, 10, "pmnuHPDayboxModeStandard_big", false},
        {0, 1, 2, nullptr, false},
        {8, 1, 2, nullptr, false},
        {10, 1, 2, nullptr, false},
        {18, 1, 2, nullptr, false},
        {3, 20, 10, "pmnuHPDayboxModeDynamic_normal", true},
        {19, 20, 10, "pmnuHPDayboxModeDynamic_normal", true},
        {-1, 20, 10, "pmnuHPDayboxModeDynamic_normal", true},
    };
    plat::TMenuItem* menu = Main().pmnuHPDayboxMode;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Caption(), "Zobrazení kalendáře");
    for (const Case& c : cases) {
        Account(0).ViewMetrics[1] = 1;
        Account(0).ViewMetrics[2] = 2;
        const int logged = LogCount("[TfrmMainDLMR1::SetUpDayboxModeValues][ERROR] Unknown mode = ");
        Main().SetUpDayboxModeValues(c.mode, false);
        EXPECT_EQ(Account(0).ViewMetrics[1], c.rowHeight) << c.mode;
        EXPECT_EQ(Account(0).ViewMetrics[2], c.second) << c.mode;
        EXPECT_EQ(LogCount("[TfrmMainDLMR1::SetUpDayboxModeValues][ERROR] Unknown mode = ") - logged, c.logged ? 1 : 0)
            << c.mode;
        int checkedCount = 0;
        for (int i = 0; i < menu->Count(); ++i) {
            plat::TMenuItem* item = menu->Items(i);
            if (item->Checked()) {
                ++checkedCount;
                EXPECT_EQ(item->Name(), c.checked) << c.mode;
            }
        }
        EXPECT_EQ(checkedCount, c.checked != nullptr ? 1 : 0) << c.mode;
    }
    Main().SetUpDayboxModeValues(12, true);
    EXPECT_EQ(::Setup.GetInt("homepageCalendarDayboxMode"), 12);
}

TEST_F(CalendarPage, HourBackgroundHasItsLabelsAndLines)
{
    Main().CreateDynamicImage_CalendarOneDay("bgCalendarOneDayTest", 20);
    plat::TImage* image = ImageTable.GetImage("bgCalendarOneDayTest", true);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), plat::Screen::Width());
    EXPECT_EQ(image->Height(), 1921);
    plat::TCanvas& canvas = image->Picture().Bitmap().Canvas();
    EXPECT_EQ(canvas.Pixel(54, 10), 0xEBEBEBu);
    EXPECT_EQ(canvas.Pixel(10, 80), 0xEBEBEBu) << "an hour line";
    EXPECT_EQ(canvas.Pixel(10, 20), plat::clWhite) << "a quarter line starts at the time column";
    EXPECT_EQ(canvas.Pixel(60, 20), 0xEBEBEBu);
    int dark = 0;
    for (int x = 22; x < 54; ++x)
        for (int y = 4; y < 18; ++y)
            dark += canvas.Pixel(x, y) != plat::clWhite ? 1 : 0;
    EXPECT_GT(dark, 10) << "the label 00:00";
}

TEST_F(CalendarPage, MonthBackgroundShadesOtherMonthsAndToday)
{
    Open(4);
    TNViewItem* daybox = View.GetComponent("scrollCalendar_MonthDaybox");
    ASSERT_NE(daybox, nullptr);
    Main().CreateDynamicImage_CalendarMonth("bgCalendarOneMonthTest", 700, daybox, 500);
    plat::TImage* image = ImageTable.GetImage("bgCalendarOneMonthTest", true);
    ASSERT_NE(image, nullptr);
    plat::TCanvas& canvas = image->Picture().Bitmap().Canvas();
    // March 2025 from Monday 24 February; today is Tuesday 11 March.
    EXPECT_EQ(daybox->MonthRows, 6);
    EXPECT_EQ(canvas.Pixel(50, 60), 0xF7F5F3u) << "24 February";
    EXPECT_EQ(canvas.Pixel(5 * 100 + 50, 60), plat::clWhite) << "1 March";
    const int32_t todayTop = 2 * daybox->MonthRowHeights[0];
    EXPECT_EQ(canvas.Pixel(150, todayTop + 8), 0x77CA90u) << "today's band";
    EXPECT_EQ(canvas.Pixel(150, todayTop + 40), plat::clWhite);
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

// The program's pages, noting the page layouts they are asked for.
class LayoutPages : public WatchingPages {
public:
    void ResizeHomepageComponents() override { Note("home"); }
    void ResizeCalendarComponents() override { Note("calendar"); }
    void ResizeTasksComponents(int32_t) override { Note("tasks"); }
    void ResizeNotesComponents() override { Note("notes"); }
    void ResizePagesComponents() override { Note("pages"); }
    void ResizeSearchComponents() override { Note("search"); }

private:
    void Note(const char* call) { Calls.push_back(call); }
};

class CalendarRefresh : public CalendarPage {
protected:
    std::unique_ptr<TNWindowPages> NewPages() override { return std::make_unique<LayoutPages>(); }
};

TEST_F(CalendarRefresh, ResizeDayboxesLaysOutTheShownPage)
{
    struct Case {
        int8_t view;
        const char* layout;
    };
    for (const Case& c : {Case{1, "home"}, Case{2, "calendar"}, Case{3, "tasks"}, Case{4, "notes"}, Case{7, "pages"},
                          Case{88, "search"}, Case{5, nullptr}}) {
        Watched().Calls.clear();
        Main().controlActive = c.view;
        Main().ResizeDayboxes();
        const std::vector<std::string> expected =
            c.layout != nullptr ? std::vector<std::string>{c.layout} : std::vector<std::string>{};
        EXPECT_EQ(Watched().Calls, expected) << int(c.view);
    }
}

TEST_F(CalendarPage, RefreshRebuildsEveryDayboxUnlessInhibited)
{
    Open(3);
    TNViewItem* week = View.GetComponent("scrollCalendar_WeekDaybox");
    ASSERT_NE(week, nullptr);
    const int updates = LogCount("[ShowCalendarView][BEGIN]");
    Account(0).ViewCache[1].valid = 1;
    View.RefreshInhibited = 1;
    Main().RefreshAllDayboxes("test");
    EXPECT_EQ(Account(0).ViewCache[1].valid, 1u) << "inhibited";
    View.RefreshInhibited = 0;
    // A record added behind the day box's back shows only after a rebuild.
    AddRecord(Account(0), {.ID = 9301, .Type = 3, .Day = 12, .Hour = 9});
    Main().RefreshAllDayboxes("test");
    EXPECT_EQ(Account(0).ViewCache[1].valid, 0u);
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9301));
    EXPECT_EQ(LogCount("[ShowCalendarView][BEGIN]"), updates);
}

TEST_F(CalendarPage, HiddenViewsAreRefilledAndLaidOutOnlyWhenForced)
{
    Open(4);
    PressViewBy("View_ByWeek");
    // The week of Tuesday 11 March 2025.
    TNViewItem* week = View.GetComponent("scrollCalendar_WeekDaybox");
    ASSERT_NE(week, nullptr);
    EXPECT_EQ(week->Times[0].Den, 10);
    EXPECT_EQ(week->Times[0].Hodina, 0);
    EXPECT_EQ(week->Times[0].Minuta, 0);
    EXPECT_EQ(week->Times[1].Den, 16);
    // The fill counts days from midnight; the range the view was created
    // with ends at Sunday 24:00.
    EXPECT_EQ(LogCount("[CreateCalendarComponents_WeekView] ThisWeekMonday = 10.03.2025 00:00:00"), 1);
    EXPECT_EQ(LogCount("[CreateCalendarComponents_WeekView] ThisWeekSunday = 16.03.2025 24:00:00"), 1);

    // The month view is hidden now.
    plat::TPanel* month = View.GetComponent("scrollCalendar_Month")->Panel.Get();
    const plat::TRect laidOut{month->Left(), month->Top(), month->Left() + month->Width(),
                              month->Top() + month->Height()};
    month->SetBounds(1, 1, 10, 10);
    Main().ResizeCalendarView(4, false);
    EXPECT_EQ(month->Width(), 10) << "an unchanged desk lays out no hidden view";
    Main().ResizeCalendarView(4, true);
    EXPECT_EQ(month->Left(), laidOut.Left);
    EXPECT_EQ(month->Width(), laidOut.Width());

    const int fills = LogCount("[UpdateActuallyShownData_MonthView][BEGIN]");
    Main().UpdateCalendarView(4, false);
    EXPECT_EQ(LogCount("[UpdateActuallyShownData_MonthView][BEGIN]"), fills);
    Main().UpdateCalendarView(4, true);
    EXPECT_EQ(LogCount("[UpdateActuallyShownData_MonthView][BEGIN]"), fills + 1);
}

TEST_F(CalendarPage, RedlinesAnswerTheLastBuiltViewsDaybox)
{
    Main().DestroyCalendarComponents();
    EXPECT_EQ(Main().UpdateAllRedlines(), nullptr);
    Open(3);
    Main().CreateCalendarView(1);
    EXPECT_EQ(Main().UpdateAllRedlines(), View.GetComponent("scrollCalendar_WeekDaybox"));
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

// The calendar page as drawn, on Wednesday 12 March 2025 at 10:00, with a
// few events of the week and of the month.
class CalendarGolden : public CalendarPage {
protected:
    static std::string Golden(const char* name) { return DALMORA_TEST_DATA_DIR "calendar/" + std::string(name); }
    static std::string Output() { return DALMORA_BINARY_DIR "gui-test-output"; }

    // The goldens show Prague's wall clock, whatever the machine's zone.
    void SetUp() override
    {
        const char* zone = getenv("TZ");
        savedZone_ = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
        UseZone("Europe/Prague");
        CalendarPage::SetUp();
        (**clock_).SetUnixSeconds(kNow + 86400);
        AddRecord(Account(0), {.ID = 9401, .Type = 3, .Day = 10, .Hour = 9, .Text = "Porada týmu"});
        AddRecord(Account(0), {.ID = 9402, .Type = 3, .Day = 12, .Hour = 14, .Text = "Zubař"});
        AddRecord(Account(0), {.ID = 9403, .Type = 3, .Day = 14, .Hour = 8, .Text = "Cesta do Brna"});
        AddRecord(Account(0), {.ID = 9404, .Type = 3, .Day = 27, .Hour = 16, .Text = "Koncert"});
    }
    void TearDown() override
    {
        CalendarPage::TearDown();
        UseZone(savedZone_ ? savedZone_->c_str() : nullptr);
    }

private:
    static void UseZone(const char* zone)
    {
        if (zone != nullptr)
            setenv("TZ", zone, 1);
        else
            unsetenv("TZ");
        tzset();
        TNCommon::SetTimeZoneOffset(TNCommon::SystemTimeZoneOffset());
    }
    std::optional<std::string> savedZone_;
};

TEST_F(CalendarGolden, MonthViewOfMarch)
{
    Open(4);
    EXPECT_TRUE(HasCard("scrollCalendar_MonthDaybox", 9404));
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pCalendarDesk, Golden("month_march_2025.png"), Output()));
}

TEST_F(CalendarGolden, WeekViewWithTheRedLine)
{
    Open(3);
    EXPECT_EQ(View.GetComponent("scrollCalendar_WeekDaybox")->Times[0].Den, 10);
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pCalendarDesk, Golden("week_10_march_2025.png"), Output()));
}

TEST_F(CalendarGolden, WeekViewWithoutAnUntickedAuthor)
{
    constexpr uint32_t kOther = 78;
    AddAuthor(kUserID, "Alice", 1);
    AddAuthor(kOther, "Bob", 1);
    const int32_t bobsPos =
        AddRecord(Account(0), {.ID = 9405, .Type = 3, .Day = 11, .Hour = 11, .Text = "Oběd s Bobem"});
    RecordAt(Account(0), bobsPos).CreatedByUserID = kOther;
    ::Setup.SetValue("calendarShowFilter", 1, TNSetupItem::kInt32);
    ::Setup.SetValue("calendarFilterWidth", 200, TNSetupItem::kInt32);
    Open(3);
    // The column built by the first opening has its place at once.
    TNViewItem* column = View.GetComponent("scrollCalendar_Filter");
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->Panel.Get()->Parent()->Width(), 200);
    EXPECT_EQ(column->Panel.Get()->Parent()->Left(), 0);
    TNViewItem* bob = View.GetComponent("btnCalendarFilterAuthors78");
    ASSERT_NE(bob, nullptr);
    bob->Marked = 0;
    Main().btnCalendarFilterAuthorCheckboxChange(bob);
    EXPECT_FALSE(HasCard("scrollCalendar_WeekDaybox", 9405));
    EXPECT_TRUE(HasCard("scrollCalendar_WeekDaybox", 9401));
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pCalendarDesk, Golden("week_filter_left.png"), Output()));
}

} // namespace
} // namespace shell_test
