// How the side panel and the search page look, with the program's own
// pictures, against golden images.

#include "foundation/program_start.h"
#include "foundation/setup.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/pages_fixture.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace shell_test {
namespace {

class PagesLook : public PagesTest {
protected:
    void SetUp() override
    {
        SetProgramFolderForTest(DALMORA_BINARY_DIR "app/");
        PagesTest::SetUp();
        SignIn();
        Main().settingsApplied = 1;
        ::Setup.SetValue("Settings_ShowHiddenRecords", 0, TNSetupItem::kBool);
        ::Setup.SetValue("calendarShowFilter", 0, TNSetupItem::kInt32);
        g.SetSearchText(TNString(""));
        TNPIMOrganizer& organizer = *Account(0).Organizers.GetOrganizerByID(kOrganizerID);
        organizer.Subscribe = 1;
        organizer.Selected = true;
    }
    void TearDown() override
    {
        g.SetSearchText(TNString(""));
        PagesTest::TearDown();
        SetProgramFolderForTest("");
    }
    static std::string Golden(const char* name) { return DALMORA_TEST_DATA_DIR "pages/" + std::string(name); }
    static std::string Output() { return DALMORA_BINARY_DIR "gui-test-output"; }
};

TEST_F(PagesLook, TheSidePanelOverTheWeekViewListsTheVisibleSubtask)
{
    AddRecord(Account(0), {.ID = 1, .Day = 11, .Hour = 9, .Text = "Připravit schůzku s dodavatelem"});
    RecordAt(Account(0), AddRecord(Account(0), {.ID = 2, .Year = 0, .Text = "Zarezervovat zasedačku"})).ParentID = 1;
    TNPIMRecord& hidden = RecordAt(Account(0), AddRecord(Account(0), {.ID = 3, .Year = 0, .Text = "Skrytý podúkol"}));
    hidden.ParentID = 1;
    hidden.Hidden = true;
    Main().calendarViewBy = 3;
    Click(TfrmMainDLMR1::kCalendar);
    Main().CreateSideboardComponents();
    // The page switch's own deferred steps run first.
    for (int step = 0; step < 10; ++step)
        timers_->Advance(100);
    Main().Pages().OpenSideboard(1, 0, true);
    for (int tick = 0; tick < 12; ++tick)
        timers_->Advance(25 * (tick == 0 ? 10 : 1));
    ASSERT_EQ(Main().pSideboard->Left(), Main().SideboardFinalLeft());
    plat::testing::Flush();
    EXPECT_TRUE(plat::testing::MatchesGolden(Main(), Golden("sideboard_week.png"), Output()));
}

TEST_F(PagesLook, TheSearchPageShowsResultsInAllFourLists)
{
    AddRecord(Account(0), {.ID = 1, .Day = 3, .Text = "Schůzka s účetní"});
    AddRecord(Account(0), {.ID = 2, .Day = 14, .Hour = 15, .Text = "Schůzka rodičů ve škole"});
    AddRecord(Account(0), {.ID = 3, .Year = 0, .Text = "Připravit podklady na schůzku"});
    AddRecord(Account(0), {.ID = 4, .Type = 20, .Year = 0, .Text = "Klub Schůzka"});
    Main().CreateHeaderComponents();
    Click(TfrmMainDLMR1::kSearch);
    auto results = std::make_shared<TNPIMRecordList>();
    int32_t count = 0;
    for (int32_t pos = 0; pos < Account(0).Records->Count; ++pos)
        results->Append(Account(0).Records->Items[pos], &count);
    g.SetSearchText(TNString("schůzka"));
    Main().UpdateSearch(0);
    ASSERT_EQ(jobs_.size(), 1u);
    PagesHooks.HandOverSearchResults(results, count);
    timers_->Advance(1);
    plat::testing::Flush();
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pSearchDesk, Golden("search_page.png"), Output()));
}

} // namespace
} // namespace shell_test
