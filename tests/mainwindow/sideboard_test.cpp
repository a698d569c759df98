// The record side panel: its rows for a record, the new-subtask rule, the
// subtask buttons, the row stacking, the slide in, and the picture with
// job 9.

#include "mainwindow/sideboard.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/pim.h"
#include "model/records.h"
#include "online/ui_tags.h"
#include "platform/core/file.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "tests/mainwindow/pages_fixture.h"
#include "tests/support/files.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(SideboardRows, AuthorCaption)
{
    struct Case {
        const char* name;
        uint32_t creator;
        const char* contact;
        const char* calendar;
        const char* caption;
    };
    const Case cases[] = {
        {"own record", 77, "Jana Nováková", "Můj kalendář", ""},
        {"a contact", 12, "Jana Nováková", "Firemní", "Autor: Jana Nováková"},
        {"unknown author, known calendar", 12, nullptr, "Firemní", "Kalendář: Firemní"},
        {"neither", 12, nullptr, nullptr, "Autor: 12"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SideboardAuthorCaption(c.creator, 77, c.contact, c.calendar), c.caption) << c.name;
}

TEST(SideboardRows, TitleCaption)
{
    EXPECT_EQ(SideboardTitleCaption(rtNote, "Nákup", "Nákup\nmléko"), "Nákup") << "a note's title";
    EXPECT_EQ(SideboardTitleCaption(rtTask, "ignored", "Zavolat"), "Zavolat");
    EXPECT_EQ(SideboardTitleCaption(rtTask, nullptr, ""), "[Bez nadpisu]");
    EXPECT_EQ(SideboardTitleCaption(rtNote, "", "text"), "[Bez nadpisu]") << "a note without a title";
    EXPECT_EQ(SideboardTitleCaption(rtEvent, nullptr, nullptr), "[Bez nadpisu]");
}

TEST(SideboardRows, NewSubtaskOnlyOnARealEditableTopRecordOfATakingType)
{
    const int32_t types[] = {1, 2, 3, 7, 8, 9};
    for (int32_t type : types) {
        const bool typeTakes = type == 1 || type == 3;
        for (bool isVirtual : {false, true}) {
            for (uint32_t parent : {0u, 5u}) {
                for (bool mayEdit : {false, true}) {
                    EXPECT_EQ(SideboardNewSubtaskAllowed(isVirtual, parent, type, mayEdit),
                              typeTakes && !isVirtual && parent == 0 && mayEdit)
                        << "type " << type << " virtual " << isVirtual << " parent " << parent << " edit " << mayEdit;
                }
            }
        }
    }
}

TEST(SideboardRows, PictureStandsUnderTheRowsInProportion)
{
    const TNSideboardPictureBounds bounds = SideboardPictureBounds(300, 120, 800, 600);
    EXPECT_EQ(bounds.Left, 32);
    EXPECT_EQ(bounds.Top, 127);
    EXPECT_EQ(bounds.Width, 258);
    EXPECT_EQ(bounds.Height, 193);
    EXPECT_EQ(SideboardPictureBounds(300, 0, 0, 600).Height, 0) << "no width, no height";
}

TEST(SideboardRows, PictureState)
{
    using S = TNSideboardPictureState;
    EXPECT_EQ(SideboardPictureState(false, false, false), S::NoPicture);
    EXPECT_EQ(SideboardPictureState(true, true, false), S::Shown);
    EXPECT_EQ(SideboardPictureState(true, false, false), S::Loading);
    EXPECT_EQ(SideboardPictureState(true, false, true), S::NoPicture) << "the job brought nothing";
    EXPECT_EQ(SideboardPictureState(true, true, true), S::Shown);
}

} // namespace

namespace shell_test {
namespace {

class Sideboard : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        SignIn();
        Main().settingsApplied = 1;
        Main().CreateSideboardComponents();
        ::Setup.SetValue("Settings_ShowHiddenRecords", 0, TNSetupItem::kBool);
    }

    void Open(uint32_t id, bool slideIn = false) { Main().Pages().OpenSideboard(id, 0, slideIn); }

    static TNViewItem* Row(const char* name) { return View.GetComponent(name); }
    static std::string Caption(const char* name)
    {
        TNViewItem* row = Row(name);
        plat::TLabel* text = row != nullptr ? row->Label(2) : nullptr;
        return text != nullptr ? text->Caption() : "<none>";
    }
    static std::string Second(const char* name)
    {
        TNViewItem* row = Row(name);
        plat::TLabel* text = row != nullptr ? row->Label(3) : nullptr;
        return text != nullptr && text->Visible() ? text->Caption() : "";
    }
    // A row the stacking showed has a size; a collapsed one has none.
    static bool Shown(const char* name)
    {
        TNViewItem* row = Row(name);
        return row != nullptr && row->Panel.Get()->Width() > 0 && row->Panel.Get()->Height() > 0;
    }
    static int32_t Top(const char* name) { return Row(name)->Panel.Get()->Top(); }
    void Layout() { View.ResizeScrollbox(Row("scrollSideboard"), 0, 0, 300, 500, true, 1, 0, "test"); }
};

TEST_F(Sideboard, RowsFollowTheRecord)
{
    AddRecord(Account(0), {.ID = 1, .Type = rtTask, .Year = 0, .Text = "Zavolat"});
    AddRecord(Account(0), {.ID = 2, .Type = rtEvent, .Text = ""});
    TNPIMRecord& other = RecordAt(Account(0), AddRecord(Account(0), {.ID = 3, .Year = 0, .Text = "Cizí"}));
    other.CreatedByUserID = 12;
    other.Note.Set("<p>Poznámka</p>");
    other.PlainNote.Set("Poznámka");

    Open(1);
    EXPECT_TRUE(Main().pSideboard->Visible());
    EXPECT_EQ(Caption("btnSideboardRecordText"), "Zavolat");
    EXPECT_FALSE(Shown("btnSideboardRecordTime")) << "no begin";
    EXPECT_FALSE(Shown("btnSideboardAuthor")) << "own record";
    EXPECT_FALSE(Shown("btnSideboardRecordNote")) << "no note";
    EXPECT_TRUE(Shown("btnSideboardRecordHyperlink"));
    EXPECT_EQ(Caption("btnSideboardRecordHyperlink"), "Otevřít na webu");

    Open(2);
    EXPECT_EQ(Caption("btnSideboardRecordText"), "[Bez nadpisu]");
    EXPECT_TRUE(Shown("btnSideboardRecordTime"));
    EXPECT_EQ(Caption("btnSideboardRecordTime"), "10.03.2025 v 10:00");

    Open(3);
    EXPECT_TRUE(Shown("btnSideboardAuthor"));
    EXPECT_EQ(Caption("btnSideboardAuthor"),
              "Kalendář: " + std::string(Account(0).Organizers.GetReadableTitleByID(kOrganizerID).Text));
    EXPECT_TRUE(Shown("btnSideboardRecordNote"));
    EXPECT_EQ(Caption("btnSideboardRecordNote"), "Poznámka") << "the plain note, never the markup";
    EXPECT_GT(Top("btnSideboardRecordNote"), Top("btnSideboardAuthor"));
    EXPECT_GT(Top("btnSideboardRecordHyperlink"), Top("btnSideboardRecordNote"));
}

TEST_F(Sideboard, TitleStaysWhenTheRecordMayNotBeEdited)
{
    AddOrganizer(Account(0), 600, 50, 1);
    AddRecord(Account(0), {.ID = 4, .OrganizerID = 600, .Year = 0, .Text = "Sdílený úkol"});
    Open(4);
    EXPECT_EQ(Caption("btnSideboardRecordText"), "Sdílený úkol");
    EXPECT_EQ(Second("btnSideboardRecordText"), "Nelze editovat ");
    TNViewItem* add = Row("scrollSideboardToolbar_NewSubrecord");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->Enabled, 0);
    EXPECT_EQ(add->CarriedRecordId, 0u);

    AddRecord(Account(0), {.ID = 5, .Year = 0, .Text = "Můj úkol"});
    Open(5);
    EXPECT_EQ(Second("btnSideboardRecordText"), "");
    EXPECT_EQ(add->Enabled, 1);
    EXPECT_EQ(add->CarriedRecordId, 5u);
}

TEST_F(Sideboard, SubtasksByTheHiddenSettingAndNoLeftOverButton)
{
    AddRecord(Account(0), {.ID = 10, .Year = 0, .Text = "Rodič"});
    RecordAt(Account(0), AddRecord(Account(0), {.ID = 11, .Year = 0, .Text = "První"})).ParentID = 10;
    TNPIMRecord& deleted = RecordAt(Account(0), AddRecord(Account(0), {.ID = 12, .Year = 0, .Text = "Smazaný"}));
    deleted.ParentID = 10;
    deleted.Deleted = static_cast<uint32_t>(kNow);
    TNPIMRecord& hidden = RecordAt(Account(0), AddRecord(Account(0), {.ID = 13, .Year = 0, .Text = "Skrytý"}));
    hidden.ParentID = 10;
    hidden.Hidden = true;

    ::Setup.SetValue("Settings_ShowHiddenRecords", 1, TNSetupItem::kBool);
    Open(10);
    ASSERT_EQ(Main().sideboardSubrecordsCount, 2);
    EXPECT_EQ(Caption("btnSideboardSubrecord0"), "První");
    EXPECT_EQ(Caption("btnSideboardSubrecord1"), "Skrytý");
    EXPECT_EQ(Row("btnSideboardSubrecord1")->UIntValue, 13u);
    EXPECT_GT(Top("btnSideboardSubrecord1"), Top("btnSideboardSubrecord0"));

    ::Setup.SetValue("Settings_ShowHiddenRecords", 0, TNSetupItem::kBool);
    Open(10);
    EXPECT_EQ(Main().sideboardSubrecordsCount, 1);
    EXPECT_EQ(Caption("btnSideboardSubrecord0"), "První");
    EXPECT_EQ(Row("btnSideboardSubrecord1"), nullptr) << "the old button is gone";

    Open(11);
    EXPECT_EQ(Main().sideboardSubrecordsCount, 0);
    EXPECT_EQ(Row("btnSideboardSubrecord0"), nullptr);
    EXPECT_TRUE(Shown("btnSideboardParentRecord"));
    EXPECT_EQ(Caption("btnSideboardParentRecord"), "Rodič");
}

TEST_F(Sideboard, OnlyTheFirstTwoLayoutsStackTheRows)
{
    AddRecord(Account(0), {.ID = 20, .Year = 0, .Text = "Úkol"});
    Open(20);
    Layout();
    EXPECT_EQ(Main().sideboardLayoutCounter, 2);
    const int32_t linkTop = Top("btnSideboardRecordHyperlink");
    Row("btnSideboardRecordTime")->UIntValue = 20;
    Layout();
    EXPECT_EQ(Top("btnSideboardRecordHyperlink"), linkTop) << "a third layout moves no row";

    Main().ReopenSideboard();
    EXPECT_EQ(Top("btnSideboardRecordHyperlink"), linkTop) << "the refill reads the record again";
}

TEST_F(Sideboard, SlidesInToTwoPixelsFromTheRightEdge)
{
    AddRecord(Account(0), {.ID = 30, .Year = 0, .Text = "Úkol"});
    for (int width : {800, 1001}) {
        SCOPED_TRACE(width);
        Main().HideSideboard();
        Main().SetBounds(0, 0, width, 600);
        // The resize's own deferred steps run first.
        for (int step = 0; step < 10; ++step)
            timers_->Advance(100);
        const int32_t client = Main().ClientWidth();
        Open(30, true);
        plat::TPanel& panel = *Main().pSideboard;
        EXPECT_TRUE(panel.Visible());
        EXPECT_EQ(panel.Left(), client) << "just outside the client area";
        EXPECT_EQ(panel.Top(), Main().pDesk->Top());
        EXPECT_EQ(panel.Height(), Main().pDesk->Height());
        timers_->Advance(249);
        EXPECT_EQ(panel.Left(), client);
        timers_->Advance(1);
        EXPECT_TRUE(panel.Visible());
        EXPECT_EQ(panel.Left(), client - 50);
        timers_->Advance(25);
        EXPECT_EQ(panel.Left(), client - 100);
        // Each due timer fires once per step.
        for (int tick = 0; tick < 20; ++tick)
            timers_->Advance(25);
        EXPECT_EQ(panel.Left(), client - 300 - 2);
        EXPECT_FALSE(Main().timerSideboard->Enabled());
    }
}

TEST_F(Sideboard, AnOpenPanelFollowsThePageAreaAndStacksItsRowsAnew)
{
    AddRecord(Account(0), {.ID = 33, .Year = 0, .Text = "Úkol"});
    Open(33);
    Layout();
    ASSERT_EQ(Main().sideboardLayoutCounter, 2);
    Row("btnSideboardRecordTime")->UIntValue = 33;
    View.SetButtonTitle(Row("btnSideboardRecordTime"), "11.03.2025 v 10:00", "", 0, 0, true, false);
    // The page area shrinks (an information strip opens above it).
    plat::TPanel& desk = *Main().pDesk;
    desk.SetBounds(desk.Left(), desk.Top() + 40, desk.Width(), desk.Height() - 40);
    ASSERT_TRUE(Main().pSideboard->Visible());
    EXPECT_EQ(Main().pSideboard->Top(), desk.Top());
    EXPECT_EQ(Main().pSideboard->Height(), desk.Height());
    EXPECT_EQ(Main().pSideboard->Left(), Main().ClientWidth() - 300 - 2);
    EXPECT_TRUE(Shown("btnSideboardRecordTime")) << "the rows were stacked again";

    // A resize of the window closes the panel, as Esc does.
    Main().SetBounds(0, 0, 900, 650);
    for (int step = 0; step < 10; ++step)
        timers_->Advance(100);
    EXPECT_FALSE(Main().pSideboard->Visible());
    EXPECT_EQ(Main().sideboardLayoutCounter, 0);
}

TEST_F(Sideboard, EscapeAndTheCloseButtonHideThePanel)
{
    AddRecord(Account(0), {.ID = 31, .Year = 0, .Text = "Úkol"});
    Open(31);
    Main().FormMouseDown();
    EXPECT_FALSE(Main().pSideboard->Visible());
    EXPECT_EQ(Main().sideboardRecordId, 0u);
    Open(31);
    Main().btnSideboardCloseClick();
    EXPECT_FALSE(Main().pSideboard->Visible());
}

TEST_F(Sideboard, ASecondClickOnTheSameSearchResultCloses)
{
    AddRecord(Account(0), {.ID = 32, .Year = 0, .Text = "Úkol"});
    Main().controlActive = TfrmMainDLMR1::kSearch;
    Open(32, true);
    EXPECT_TRUE(Main().pSideboard->Visible());
    Open(32, true);
    EXPECT_FALSE(Main().pSideboard->Visible());
    Open(32, true);
    EXPECT_TRUE(Main().pSideboard->Visible()) << "a third click opens it again";
    Main().ReopenSideboard();
    EXPECT_TRUE(Main().pSideboard->Visible()) << "the refill in place is no click";
}

TEST_F(Sideboard, SubtaskClickOpensThePanelOnItByItsTimer)
{
    AddRecord(Account(0), {.ID = 40, .Year = 0, .Text = "Rodič"});
    RecordAt(Account(0), AddRecord(Account(0), {.ID = 41, .Year = 0, .Text = "Dítě"})).ParentID = 40;
    Open(40);
    Main().btnSideboardSubRecordClick(Row("btnSideboardSubrecord0"));
    EXPECT_FALSE(Main().pSideboard->Visible());
    timers_->Advance(1);
    EXPECT_TRUE(Main().pSideboard->Visible());
    EXPECT_EQ(Main().sideboardRecordId, 41u);
}

TEST_F(Sideboard, ATaskClickedTwiceOnTheTasksPageListsItsVisibleSubtask)
{
    for (const char* name : {"btnTasksTags_Scheduled", "btnTasksTags_Important", "btnTasksTags_WithoutTag"})
        ::Setup.SetValue(name, 0, TNSetupItem::kBool);
    ::Setup.SetValue("btnTasksTags_AllTasks", 1, TNSetupItem::kBool);
    AddRecord(Account(0), {.ID = 60, .Year = 0, .Text = "Naplánovat výlet"});
    RecordAt(Account(0), AddRecord(Account(0), {.ID = 61, .Year = 0, .Text = "Koupit jízdenky"})).ParentID = 60;
    TNPIMRecord& hidden = RecordAt(Account(0), AddRecord(Account(0), {.ID = 62, .Year = 0, .Text = "Zabalit stan"}));
    hidden.ParentID = 60;
    hidden.Hidden = true;
    Click(TfrmMainDLMR1::kTasks);
    timers_->Advance(1);
    TNViewItem* list = View.GetComponent("scrollTasksList");
    ASSERT_NE(list, nullptr);
    TNViewItem* card = nullptr;
    for (int32_t i = 0; i < View.ItemsCount && card == nullptr; ++i) {
        TNViewItem* item = View.Items[i];
        if (item != nullptr && item->Type == cmpRecord && item->ParentItem == list && item->record_id == 60 &&
            item->Panel.Get()->Visible())
            card = item;
    }
    ASSERT_NE(card, nullptr) << "the task's card";
    Main().recordClick(card->Panel.Get());
    EXPECT_FALSE(Main().pSideboard->Visible()) << "the first click selects";
    Main().recordClick(card->Panel.Get());
    ASSERT_TRUE(Main().pSideboard->Visible());
    EXPECT_EQ(Main().sideboardRecordId, 60u);
    ASSERT_EQ(Main().sideboardSubrecordsCount, 1);
    EXPECT_EQ(Caption("btnSideboardSubrecord0"), "Koupit jízdenky");
}

class SideboardPicture : public Sideboard {
protected:
    void SetUp() override
    {
        Sideboard::SetUp();
        RecordAt(Account(0), AddRecord(Account(0), {.ID = 50, .Year = 0, .Text = "S obrázkem"})).MainPicture = 900;
        AddRecord(Account(0), {.ID = 51, .Year = 0, .Text = "Bez obrázku"});
        RecordAt(Account(0), AddRecord(Account(0), {.ID = 52, .Year = 0, .Text = "Jiný obrázek"})).MainPicture = 901;
        Account(0).Records->PictureWidthsCount = 1;
        Account(0).Records->PictureWidths[0] = 258;
        savedUserDir_ = Dirs.UserDir;
        Dirs.UserDir = TNString(home_.Path().c_str());
    }
    void TearDown() override
    {
        Dirs.UserDir = savedUserDir_;
        Sideboard::TearDown();
    }
    TNString savedUserDir_;
    // The record's picture file as job 9 leaves it.
    void CachePicture(uint32_t recordId, uint32_t pictureId)
    {
        const std::string folder = std::string(Dirs.UserDir.Text) + App.WebDomain[0] + "/Pictures/" +
                                   std::to_string(kOrganizerID) + "/" + std::to_string(recordId) + "/";
        std::filesystem::create_directories(folder);
        const std::string jpeg = testing_support::ReadFixture("picture.jpg");
        ASSERT_FALSE(jpeg.empty());
        ASSERT_TRUE(plat::WriteFileAtomically(folder + std::to_string(pictureId) + "-w258.jpg", jpeg));
    }
    int Jobs9() const
    {
        int count = 0;
        for (const TNPageJob& job : jobs_)
            count += job.Tag == 9 ? 1 : 0;
        return count;
    }
    void Tag202() { Main().Pages().ReopenSideboard(); }
};

TEST_F(SideboardPicture, NoPictureNoJob)
{
    Open(51, true);
    EXPECT_EQ(Caption("btnSideboardPictureInfo"), "Záznam nemá obrázek");
    EXPECT_TRUE(Shown("btnSideboardPictureInfo"));
    EXPECT_EQ(Jobs9(), 0);
}

TEST_F(SideboardPicture, ACachedPictureShowsAtOnce)
{
    CachePicture(50, 900);
    Open(50, true);
    ASSERT_NE(Main().SideboardImage(), nullptr);
    EXPECT_EQ(Main().SideboardImage()->Width(), 258);
    EXPECT_EQ(Main().SideboardImage()->Height(), 258) << "a square picture";
    EXPECT_FALSE(Shown("btnSideboardPictureInfo"));
    EXPECT_EQ(Jobs9(), 0);
}

TEST_F(SideboardPicture, OneJobPerOpeningThenThePictureOrItsAbsence)
{
    Open(50, true);
    EXPECT_EQ(Caption("btnSideboardPictureInfo"), "Nahrávám obrázek...");
    ASSERT_EQ(Jobs9(), 1);
    EXPECT_EQ(jobs_.back().RecordID, 50u);

    // The job brought the picture.
    CachePicture(50, 900);
    Tag202();
    EXPECT_NE(Main().SideboardImage(), nullptr);
    Tag202();
    EXPECT_EQ(Jobs9(), 1) << "the refill starts no second job";
    timers_->Advance(10000);
    EXPECT_EQ(Jobs9(), 1) << "an open panel loads nothing more";

    // A job that brought nothing.
    Open(52, true);
    EXPECT_EQ(Jobs9(), 2);
    Tag202();
    EXPECT_EQ(Caption("btnSideboardPictureInfo"), "Záznam nemá obrázek");
    EXPECT_EQ(Main().SideboardImage(), nullptr);
    EXPECT_EQ(Jobs9(), 2);
}

TEST_F(SideboardPicture, APanelMovedOnShowsItsOwnRecordWhenTheJobEnds)
{
    Open(50, true);
    ASSERT_EQ(Jobs9(), 1);
    Open(51, true);
    CachePicture(50, 900);
    Tag202();
    EXPECT_EQ(Main().sideboardRecordId, 51u);
    EXPECT_EQ(Caption("btnSideboardPictureInfo"), "Záznam nemá obrázek");
    EXPECT_EQ(Main().SideboardImage(), nullptr);
    EXPECT_EQ(Jobs9(), 1);
}

} // namespace
} // namespace shell_test
