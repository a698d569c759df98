#include "foundation/app_info.h"
#include "mainwindow/header_layout.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/gui/canvas.h"
#include "platform/gui/edit.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/header_fixture.h"
#include "view/image_table.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace shell_test {
namespace {

// Widths of the buttons for each caption the layout gives them.
TNHeaderWidths WidthsAt(int32_t width)
{
    TNHeaderWidths widths;
    widths.menu = 30;
    const std::string logo = HeaderLogoCaption(width);
    widths.logo = logo.empty() ? 30 : logo == "DL" ? 50 : 100;
    widths.search = 30;
    widths.find = 40;
    widths.bell = 30;
    widths.user = HeaderShowsUserCaption(width) ? 120 : 40;
    widths.add = 30;
    return widths;
}

TEST(HeaderLayout, PlacesEveryControlByWidth)
{
    struct Row {
        int32_t width;
        int32_t gap;
        const char* logo;
        bool userCaption;
        bool find;
        int32_t editWidth;
        int32_t logoLeft, addLeft, userLeft, bellLeft, findLeft, editLeft, searchLeft;
    };
    const Row rows[] = {
        {250, 4, "", false, false, 0, 38, 216, 172, 138, 0, 134, 104},
        {299, 4, "", false, false, 0, 38, 265, 221, 187, 0, 183, 153},
        {300, 7, "", false, false, 0, 44, 263, 216, 179, 0, 172, 142},
        {359, 7, "", false, true, 80, 44, 322, 275, 238, 191, 111, 81},
        {360, 7, "DL", false, false, 0, 44, 323, 276, 239, 0, 232, 202},
        {399, 7, "DL", false, true, 100, 44, 362, 315, 278, 231, 131, 101},
        {400, 14, "DL", true, false, 0, 58, 356, 222, 178, 0, 164, 134},
        {511, 14, "DL", true, true, 83, 58, 467, 333, 289, 235, 152, 122},
        {512, 14, "Dalmora", true, false, 0, 58, 468, 334, 290, 0, 276, 246},
        {800, 14, "Dalmora", true, true, 224, 58, 756, 622, 578, 524, 300, 270},
        {1200, 14, "Dalmora", true, true, 224, 58, 1156, 1022, 978, 924, 700, 670},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.width);
        const TNHeaderWidths widths = WidthsAt(row.width);
        const TNHeaderPlacement place = PlaceHeaderComponents(row.width, widths);
        EXPECT_EQ(place.gap, row.gap);
        EXPECT_STREQ(HeaderLogoCaption(row.width), row.logo);
        EXPECT_EQ(HeaderShowsUserCaption(row.width), row.userCaption);
        EXPECT_EQ(place.findShown, row.find);
        EXPECT_EQ(place.editWidth, row.editWidth);
        EXPECT_EQ(place.menuLeft, row.gap);
        EXPECT_EQ(place.logoLeft, row.logoLeft);
        EXPECT_EQ(place.addLeft, row.addLeft);
        EXPECT_EQ(place.userLeft, row.userLeft);
        EXPECT_EQ(place.bellLeft, row.bellLeft);
        if (row.find) {
            EXPECT_EQ(place.findLeft, row.findLeft);
        }
        EXPECT_EQ(place.editLeft, row.editLeft);
        EXPECT_EQ(place.searchLeft, row.searchLeft);
        if (!place.findShown)
            continue;
        // Shown controls left to right never overlap.
        const std::vector<std::pair<int32_t, int32_t>> spans = {
            {place.menuLeft, widths.menu},     {place.logoLeft, widths.logo}, {place.searchLeft, widths.search},
            {place.editLeft, place.editWidth}, {place.findLeft, widths.find}, {place.bellLeft, widths.bell},
            {place.userLeft, widths.user},     {place.addLeft, widths.add}};
        for (size_t i = 1; i < spans.size(); ++i)
            EXPECT_LE(spans[i - 1].first + spans[i - 1].second, spans[i].first) << "control " << i;
        EXPECT_LE(place.addLeft + widths.add, row.width);
    }
}

TEST(HeaderLayout, AnExistingChatsButtonStandsBetweenUserAndBell)
{
    TNHeaderWidths widths = WidthsAt(800);
    widths.chats = 30;
    const TNHeaderPlacement place = PlaceHeaderComponents(800, widths);
    EXPECT_EQ(place.userLeft, 622);
    EXPECT_EQ(place.chatsLeft, 578);
    EXPECT_EQ(place.bellLeft, 534);
}

using HeaderBarTest = HeaderTest;

TEST_F(HeaderBarTest, CreatesItsComponentsInOrderAndNoChatsButton)
{
    const std::string log = LogText();
    const char* lines[] = {"[CreateHeaderComponents][BEGIN]",
                           "[CreateHeaderComponents][btnHeaderMenu]",
                           "[CreateHeaderComponents][btnHeaderLogo]",
                           "[CreateHeaderComponents][btnHeaderSearch]",
                           "[CreateHeaderComponents][editHeaderSearch]",
                           "[CreateHeaderComponents][btnHeaderFind]",
                           "[CreateHeaderComponents][btnHeaderBell]",
                           "[CreateHeaderComponents][btnHeaderUser]",
                           "[TfrmMainDLMR1::UpdateHeaderUser][BEGIN]",
                           "[CreateHeaderComponents][btnHeaderAdd]",
                           "[CreateHeaderComponents][btnHeaderChats]",
                           "[CreateHeaderComponents][ResizeHeaderComponents]",
                           "[CreateHeaderComponents][END]"};
    size_t at = 0;
    for (const char* line : lines) {
        const size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in order";
        at = found + 1;
    }
    EXPECT_EQ(Item("btnHeaderChats"), nullptr);
    for (const char* name : {"btnHeaderMenu", "btnHeaderLogo", "btnHeaderSearch", "editHeaderSearch", "btnHeaderFind",
                             "btnHeaderBell", "btnHeaderUser", "btnHeaderAdd"}) {
        ASSERT_NE(Item(name), nullptr) << name;
        EXPECT_EQ(Item(name)->Panel.Get()->Parent(), Main().pHeader) << name;
    }
    EXPECT_EQ(Edit("editHeaderSearch")->Text(), "Hledat...");
    EXPECT_EQ(Edit("editHeaderSearch")->Font().Color(), 0x808080u);

    // A second run reuses the components.
    const uint32_t id = Item("btnHeaderBell")->ComponentId;
    Main().CreateHeaderComponents();
    EXPECT_EQ(Item("btnHeaderBell")->ComponentId, id);
}

TEST_F(HeaderBarTest, LaysTheRealControlsOutByWidth)
{
    g.UpdateAccount([](TNAccount& account) {
        account.FirstName.Set("Alice");
        account.LastName.Set("Nováková");
    });
    Main().UpdateHeaderUser();
    struct Row {
        int32_t width;
        const char* logo;
        const char* user;
        bool find;
    };
    // The narrowest bar has no room for the search group, the widest has.
    const Row rows[] = {
        {120, "", "", false}, {250, "", "", false}, {380, "DL", "", false}, {1000, "Dalmora", "Alice\nNováková", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.width);
        SetHeaderWidth(row.width);
        EXPECT_EQ(Item("btnHeaderLogo")->Label(2)->Caption(), row.logo);
        EXPECT_EQ(Item("btnHeaderUser")->Label(2)->Caption(), row.user);
        // Each control's place is the placement of its measured width.
        TNHeaderWidths widths;
        auto width = [](const char* name) { return Item(name)->Panel.Get()->Width(); };
        widths.menu = width("btnHeaderMenu");
        widths.logo = width("btnHeaderLogo");
        widths.search = width("btnHeaderSearch");
        widths.find = width("btnHeaderFind");
        widths.bell = width("btnHeaderBell");
        widths.user = width("btnHeaderUser");
        widths.add = width("btnHeaderAdd");
        const TNHeaderPlacement place = PlaceHeaderComponents(row.width, widths);
        EXPECT_EQ(Item("btnHeaderFind")->Panel.Get()->Visible(), place.findShown);
        if (row.width == 120 || row.width == 1000) {
            EXPECT_EQ(place.findShown, row.find);
        }
        EXPECT_EQ(Item("btnHeaderAdd")->Panel.Get()->Left(), place.addLeft);
        EXPECT_EQ(Item("btnHeaderUser")->Panel.Get()->Left(), place.userLeft);
        EXPECT_EQ(Item("btnHeaderBell")->Panel.Get()->Left(), place.bellLeft);
        EXPECT_EQ(Item("btnHeaderSearch")->Panel.Get()->Left(), place.searchLeft);
        EXPECT_EQ(Item("editHeaderSearch")->Panel.Get()->Width(), place.editWidth);
        // Centred in the 63 px bar.
        const plat::TPanel* bell = Item("btnHeaderBell")->Panel.Get();
        EXPECT_EQ(bell->Top(), 63 / 2 - bell->Height() / 2);
    }
}

TEST_F(HeaderBarTest, TheUserButtonShowsTheNamesTheAccountHasOrTheProductsName)
{
    struct Row {
        const char* name;
        const char* first;
        const char* last;
        const char* newFirst;
        const char* newLast;
        bool pending;
        const char* line1;
        const char* line2;
    };
    const Row rows[] = {
        {"current pair", "Jan", "Novák", "", "", false, "Jan", "Novák"},
        {"new pair pending", "Jan", "Novák", "Petr", "Malý", true, "Petr", "Malý"},
        {"new pair taken", "Jan", "Novák", "Petr", "Malý", false, "Jan", "Novák"},
        {"new part pending", "Jan", "Novák", "Petr", "", true, "Petr", ""},
        {"incomplete, nothing new", "Jan", "", "", "", false, "Dalmora", "Online"},
        {"incomplete, new pair", "Jan", "", "Petr", "Malý", false, "Petr", "Malý"},
        {"no complete pair", "", "", "Petr", "", true, "Dalmora", "Online"},
    };
    SetHeaderWidth(1000);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        g.UpdateAccount([&](TNAccount& account) {
            account.FirstName.Set(row.first);
            account.LastName.Set(row.last);
            account.NewFirstName.Set(row.newFirst);
            account.NewLastName.Set(row.newLast);
        });
        g.pleaseSaveBasicProfileSettings = row.pending ? 1 : 0;
        Main().UpdateHeaderUser();
        const TNHeaderUser shown = ::WindowState.HeaderUser();
        EXPECT_EQ(shown.Line1.View(), row.line1);
        EXPECT_EQ(shown.Line2.View(), row.line2);
        const std::string text = std::string(row.line1) + "\n" + row.line2;
        EXPECT_EQ(shown.Text.View(), text);
        EXPECT_EQ(Item("btnHeaderUser")->Label(2)->Caption(), text);
        // No profile picture was fetched: the blank picture, no id kept.
        EXPECT_EQ(shown.ProfilePicture, 0u);
    }
    SetHeaderWidth(399);
    Main().UpdateHeaderUser();
    EXPECT_EQ(Item("btnHeaderUser")->Label(2)->Caption(), "");
}

TEST_F(HeaderBarTest, AFetchedProfilePictureIsDrawnOverTheLogoAndItsIdKept)
{
    model_test::ActiveUser user(501);
    g.UpdateAccount([](TNAccount& account) { account.ProfilePicture = 9; });
    // The logo underneath: 4 x 4, red on top.
    ImageTable.LoadImageFromFile("imgDalmora32", DALMORA_TEST_DATA_DIR "../../gui/data/half_red.png");
    const std::string folder = data_->UserFolder() + data_->Domain() + "/Profiles/501/";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(DALMORA_TEST_DATA_DIR "../../gui/data/photo.jpg", folder + "501-w32.jpg");

    Main().UpdateHeaderUser();
    EXPECT_EQ(::WindowState.HeaderUser().ProfilePicture, 9u);
    plat::TImage* icon = Item("btnHeaderUser")->Images[1].Get();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Picture().Width(), 4) << "the logo's size";
    // The picture covers the logo's red corner.
    EXPECT_NE(icon->Canvas().Pixel(0, 0), 0x0000FFu);
}

// The captions of a menu's visible items at the top level and below an item.
std::vector<std::string> Names(const plat::TMenuItem& parent)
{
    std::vector<std::string> names;
    for (int i = 0; i < parent.Count(); ++i) {
        if (parent.Items(i)->Visible())
            names.push_back(parent.Items(i)->Name());
    }
    return names;
}

TEST_F(HeaderBarTest, TheUserMenuOffersTheEmailItemsTheAccountHas)
{
    struct Row {
        const char* name;
        const char* email;
        const char* second;
        const char* third;
        std::vector<std::string> top;
        std::vector<std::string> sub;
    };
    const std::vector<std::string> plain = {"pmnuHeaderUser_OpenDalmoraWeb", "pmnuHeaderUser_BasicProfileSettings",
                                            "pmnuHeaderUser_ChangeEmail", "pmnuHeaderUser_ChangePassword",
                                            "pmnuHeaderUser_Logout"};
    const Row rows[] = {
        {"one address", "a@b.cz", "", "", plain, {}},
        {"two addresses",
         "a@b.cz",
         "c@d.cz",
         "",
         plain,
         {"pmnuHeaderUser_ChangePrimaryEmail", "pmnuHeaderUser_ChangeSecondaryEmail"}},
        {"three addresses",
         "a@b.cz",
         "c@d.cz",
         "e@f.cz",
         plain,
         {"pmnuHeaderUser_ChangePrimaryEmail", "pmnuHeaderUser_ChangeSecondaryEmail",
          "pmnuHeaderUser_ChangeTertiaryEmail"}},
        {"no address",
         "",
         "",
         "",
         {"pmnuHeaderUser_OpenDalmoraWeb", "pmnuHeaderUser_BasicProfileSettings", "pmnuHeaderUser_ChangePassword",
          "pmnuHeaderUser_Logout"},
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        g.UpdateAccount([&](TNAccount& account) {
            account.Email.Set(row.email);
            account.SecondaryEmail.Set(row.second);
            account.TertiaryEmail.Set(row.third);
        });
        menus_->popups.clear();
        Main().btnHeaderUserMouseDown(Overlay("btnHeaderUser"), plat::TMouseButton::mbLeft, 3, 4);
        ASSERT_EQ(menus_->popups.size(), 1u);
        EXPECT_TRUE(menus_->popups[0].rightAligned);
        plat::TPopupMenu* menu = menus_->popups[0].menu;
        EXPECT_EQ(Names(*menu->Items()), row.top);
        plat::TMenuItem* change = menu->FindByName("pmnuHeaderUser_ChangeEmail");
        EXPECT_EQ(change != nullptr ? Names(*change) : std::vector<std::string>{}, row.sub);
        EXPECT_EQ(menu->Items()->Items(0)->Caption(), std::string("Otevřít ") + App.WebDomain[0]);
    }
}

TEST_F(HeaderBarTest, TheAddMenuListsItsSevenEntriesAndRunsThePageCommands)
{
    menus_->choose = "pmnuHeaderNew_Note";
    Main().btnHeaderAddMouseDown(Overlay("btnHeaderAdd"), plat::TMouseButton::mbLeft, 3, 4);
    ASSERT_EQ(menus_->popups.size(), 1u);
    const std::vector<std::string> expected = {
        "pmnuHeaderNew_Record",      "pmnuHeaderNew_Task",   "pmnuHeaderNew_Note",     "pmnuHeaderNew_Birthday",
        "pmnuHeaderNew_Anniversary", "pmnuHeaderNew_Space1", "pmnuHeaderNew_Organizer"};
    EXPECT_EQ(menus_->popups[0].items, expected);
    EXPECT_EQ(menus_->popups[0].captions[0], "Nová událost...");
    plat::testing::Flush();
    EXPECT_EQ(Pages().Count("btnNotesListAddClick"), 1);
}

TEST_F(HeaderBarTest, ThePageMenuChecksTheShownPageAndSwitches)
{
    Click(TfrmMainDLMR1::kCalendar);
    menus_->choose = "pmnuHeaderMenu_Tasks";
    Main().btnHeaderMenuMouseDown(Overlay("btnHeaderMenu"), plat::TMouseButton::mbLeft, 3, 4);
    ASSERT_EQ(menus_->popups.size(), 1u);
    EXPECT_FALSE(menus_->popups[0].rightAligned);
    plat::TMenuItem* items = menus_->popups[0].menu->Items();
    ASSERT_EQ(items->Count(), 6);
    int checked = 0;
    for (int i = 0; i < items->Count(); ++i) {
        EXPECT_TRUE(items->Items(i)->RadioItem());
        checked += items->Items(i)->Checked() ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(items->FindByName("pmnuHeaderMenu_Calendar")->Checked());
    EXPECT_EQ(items->FindByName("pmnuHeaderMenu_Search")->Tag(), TfrmMainDLMR1::kSearch);
    plat::testing::Flush();
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kTasks);
    EXPECT_EQ(Main().gDesk->ActivePage(), "Tasks");
}

TEST_F(HeaderBarTest, EachClickFreesTheButtonsPreviousMenu)
{
    for (int i = 0; i < 100; ++i)
        Main().btnHeaderUserMouseDown(Overlay("btnHeaderUser"), plat::TMouseButton::mbLeft, 3, 4);
    plat::testing::Flush();
    int menus = 0;
    for (int i = 0; i < Main().ComponentCount(); ++i)
        menus += Main().Components(i)->Name() == "popupHeaderUser" ? 1 : 0;
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(menus_->popups.size(), 100u);

    // Only the left button opens a menu.
    Main().btnHeaderUserMouseDown(Overlay("btnHeaderUser"), plat::TMouseButton::mbRight, 3, 4);
    EXPECT_EQ(menus_->popups.size(), 100u);
}

TEST_F(HeaderBarTest, TheLogoOpensTheHomePage)
{
    Click(TfrmMainDLMR1::kNotes);
    Main().btnHeaderLogoClick();
    EXPECT_EQ(Main().controlActive, TfrmMainDLMR1::kHomepage);
    EXPECT_GE(Pages().Count("HideSideboard"), 1);
}

} // namespace
} // namespace shell_test
