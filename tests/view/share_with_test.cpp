#include "foundation/pim_array.h"
#include "foundation/program_start.h"
#include "model/contacts.h"
#include "model/groups.h"
#include "model/pim.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/view/field_fixture.h"
#include "view/image_table.h"
#include "view/sharing_item.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

using view_test::FieldTest;
namespace testing_gui = plat::testing;

namespace {

view_test::DialogSlotFake* dialogFake = nullptr;
TNViewItem* shareField = nullptr;

class ShareWith : public FieldTest {
protected:
    void SetUp() override
    {
        FieldTest::SetUp();
        dialogFake = &dialog_;
        DialogForm()->Show();
        AddGroup(7, "Rodina");
        AddContact(8, "Babička", "Marie", "Nová");
        AddContact(9, "", "Jan", "Novák");
        AddContact(7, "", "Eva", "Malá");
    }
    void TearDown() override
    {
        dialogFake = nullptr;
        shareField = nullptr;
        FieldTest::TearDown();
    }

    static void AddGroup(uint32_t id, const char* title)
    {
        TNPIMGroups& groups = PIM[0]->Groups;
        groups.ResizeSlots(groups.Count + 1);
        groups.Items[groups.Count - 1]->ID = id;
        groups.Items[groups.Count - 1]->Title.Set(title);
    }
    static void AddContact(uint32_t id, const char* displayAs, const char* first, const char* last)
    {
        TNPIMContacts& contacts = PIM[0]->Contacts;
        contacts.ResizeSlots(contacts.Count + 1);
        TNPIMContact& contact = *contacts.Items[contacts.Count - 1];
        contact.ID = id;
        contact.DisplayAs.Set(displayAs);
        contact.FirstName.Set(first);
        contact.LastName.Set(last);
    }

    // The share-with field in the dialog, laid out 400 wide.
    TNViewItem* ShareField(const char* caption = "Sdílet")
    {
        TNViewItem* item = DialogField(cmpShareWith, "shareWith", caption);
        View.ResizeComponent(item, 0, 0, 400, 0, true);
        return item;
    }
    void Select(std::vector<uint32_t> groups, std::vector<uint32_t> contacts)
    {
        dialog_.GroupIds = groups;
        dialog_.GroupSelected.assign(groups.size(), 1);
        dialog_.ContactIds = contacts;
        dialog_.ContactSelected.assign(contacts.size(), 1);
    }
    model_test::DataSet data_;

    static std::vector<std::string> RowNames(const TNViewItem* item)
    {
        std::vector<std::string> names;
        for (int32_t i = 0; i < item->SharingItemsCount; ++i)
            names.push_back(item->SharingItems[i]->Label->Caption());
        return names;
    }
};

TEST_F(ShareWith, RowsShowTheNamesOfGroupsAndContacts)
{
    TNViewItem* item = ShareField();
    Select({7}, {8, 9, 99, 8, 7});
    dialog_.ContactSelected[3] = 1;
    dialog_.GroupIds.push_back(55);
    dialog_.GroupSelected.push_back(0);
    ImageTable.CreateBlankImage("imgKontakt", 16, 16, 0x0000FF);
    TNView::ResetSharingItems(View, item);
    ImageTable.Clear();

    EXPECT_EQ(RowNames(item), (std::vector<std::string>{"Rodina", "Babička", "Jan Novák", "", "Eva Malá"}));
    for (int32_t i = 0; i < item->SharingItemsCount; ++i) {
        const TNViewSharingItem& row = *item->SharingItems[i];
        const int labelWidth = row.Label->Width();
        EXPECT_EQ(row.Position, i);
        EXPECT_EQ(row.Picture->BoundsRect(), plat::Bounds(3, 3, 16, 16));
        EXPECT_EQ(row.Label->Left(), 24);
        EXPECT_EQ(row.RemoveButton->Left(), 27 + labelWidth);
        EXPECT_EQ(row.RemoveButton->Tag(), i);
        EXPECT_EQ(row.RemoveButton->Caption(), "x");
        EXPECT_EQ(row.RemoveButton->Hint(), "Odstranit");
        EXPECT_EQ(row.Panel->Width(), 47 + labelWidth);
        EXPECT_EQ(row.Panel->Color(), 0x996600u);
        EXPECT_EQ(row.Panel->Parent(), item->FramePanel2.Get());
        testing_gui::Render(*row.Panel.Get());
        EXPECT_EQ(testing_gui::Probe(*row.Panel.Get(), 10, 10), 0x0000FFu) << "the contact picture";
    }
    EXPECT_EQ(item->SharingItems[0]->ObjectKind, TNViewSharingItem::kGroup);
    EXPECT_EQ(item->SharingItems[4]->ObjectKind, TNViewSharingItem::kContact);
    EXPECT_EQ(item->SharingItems[4]->ObjectId, 7u);
}

TEST_F(ShareWith, RowsFlowInLinesAfterTheAddButton)
{
    TNViewItem* item = ShareField("");
    TNView::ResetSharingItems(View, item);
    EXPECT_EQ(item->Panel->Height(), 26);
    EXPECT_EQ(item->SpeedButton->BoundsRect(), plat::Bounds(1, 1, 54, 22));
    EXPECT_EQ(item->SpeedButton->Caption(), "Přidat");

    // "Babička" rows are 47 + 49 = 96 wide: three fit beside the button in
    // 398 - 2 px, the fourth starts the next line.
    for (uint32_t id : {21u, 22u, 23u})
        AddContact(id, "Babička", "", "");
    Select({}, {8, 21, 22, 23});
    TNView::ResetSharingItems(View, item);
    ASSERT_EQ(item->SharingItemsCount, 4);
    EXPECT_EQ(item->SharingItems[0]->Panel->Left(), 57);
    EXPECT_EQ(item->SharingItems[0]->Panel->Top(), 1);
    EXPECT_EQ(item->SharingItems[1]->Panel->Left(), 57 + 96 + 2);
    EXPECT_EQ(item->SharingItems[2]->Panel->Left(), 57 + 2 * 98);
    EXPECT_EQ(item->SharingItems[3]->Panel->Left(), 1);
    EXPECT_EQ(item->SharingItems[3]->Panel->Top(), 24);
    EXPECT_EQ(item->Panel->Height(), 49);
    EXPECT_EQ(item->FramePanel1->Height(), 49);
    EXPECT_EQ(item->FramePanel2->Height(), 47);
}

TEST_F(ShareWith, NestedDialogWithoutChangesRebuildsTheSameRows)
{
    TNViewItem* item = ShareField();
    dialog_.RecordId = 4242;
    Select({7}, {9, 8});
    TNView::ResetSharingItems(View, item);
    const std::vector<std::string> before = RowNames(item);
    int timerTicks = 0;
    dialog_.NestedScript = [&] { ++timerTicks; };

    testing_gui::MouseClick(*item->SpeedButton.Get(), 5, 5);
    EXPECT_EQ(timerTicks, 1);
    EXPECT_EQ(dialog_.UniDialogKeys, std::vector<std::string>{"ShareWith"});
    EXPECT_EQ(dialog_.UniDialogFirstParams, std::vector<int32_t>{4242});
    EXPECT_EQ(RowNames(item), before);
    EXPECT_EQ(before, (std::vector<std::string>{"Rodina", "Jan Novák", "Babička"}));
    EXPECT_EQ(dialog_.FormResizeCalls, 1);
}

TEST_F(ShareWith, FieldDeletedInTheNestedDialogIsLeftAlone)
{
    TNViewItem* item = ShareField();
    Select({7}, {});
    dialog_.NestedScript = [this] { View.DeleteComponentsByFormHandle(DialogForm()); };
    testing_gui::MouseClick(*item->SpeedButton.Get(), 5, 5);
    testing_gui::Flush();
    EXPECT_EQ(View.GetComponent("shareWith"), nullptr);
    EXPECT_EQ(dialog_.FormResizeCalls, 0);
}

TEST_F(ShareWith, RemoveButtonRebuildsTheRowsUnderItsOwnClick)
{
    shareField = ShareField();
    Select({7}, {8, 9});
    TNView::ResetSharingItems(View, shareField);
    std::vector<int32_t> removed;
    static std::vector<int32_t>* removedPositions = nullptr;
    removedPositions = &removed;
    // What the main window does: drop the entry and rebuild the rows.
    ViewMainHooks.RemoveSharingItem = [](int32_t position) {
        removedPositions->push_back(position);
        dialogFake->ContactSelected[static_cast<size_t>(position - 1)] = 0;
        TNView::ResetSharingItems(View, shareField);
    };
    plat::TWeakRef<plat::TPanel> oldRow = shareField->SharingItems[1]->Panel;
    plat::TWeakRef<plat::TSpeedButton> oldButton = shareField->SharingItems[1]->RemoveButton;

    testing_gui::MouseClick(*oldButton.Get(), 5, 5);
    testing_gui::Flush();
    EXPECT_EQ(removed, std::vector<int32_t>{1});
    EXPECT_EQ(dialog_.FormResizeCalls, 1);
    EXPECT_EQ(oldRow.Get(), nullptr);
    EXPECT_EQ(oldButton.Get(), nullptr);
    EXPECT_EQ(RowNames(shareField), (std::vector<std::string>{"Rodina", "Jan Novák"}));
    // Only the new rows' panels are left on the field.
    EXPECT_EQ(shareField->FramePanel2->ControlCount(), 3);
    removedPositions = nullptr;
}

class PictureKinds : public FieldTest {
protected:
    void SetUp() override
    {
        FieldTest::SetUp();
        SetProgramFolderForTest(DALMORA_TEST_DATA_DIR);
    }
    void TearDown() override
    {
        SetProgramFolderForTest("");
        FieldTest::TearDown();
    }
};

std::string WorkingFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

TEST_F(PictureKinds, ImageWithoutItsGridPictureIsMadeQuietly)
{
    const std::string folder = WorkingFolder();
    TNViewItem* item = Field(cmpImage, "imgPicture", "");
    ASSERT_NE(item->Panel.Get(), nullptr);
    EXPECT_EQ(log_.CountContaining("CreateImage"), 0);
    EXPECT_EQ(item->Images[0]->Picture().Graphic(), nullptr);
    EXPECT_EQ(item->Panel->Color(), 0xA9A9A9u);
    item->FrameInset = 3;
    View.ResizeComponent(item, 10, 20, 120, 90, true);
    EXPECT_EQ(item->Images[0]->BoundsRect(), plat::Bounds(3, 3, 114, 84));
    EXPECT_EQ(item->Images[1]->BoundsRect(), plat::Bounds(3, 3, 114, 84));
    EXPECT_TRUE(item->Images[1]->Transparent());
    EXPECT_FALSE(item->Images[0]->Transparent());

    Field(cmpIconButton, "btnAddTag", "Přidat štítek");
    EXPECT_EQ(WorkingFolder(), folder);
}

TEST_F(PictureKinds, UnreadableGridPictureIsLoggedAndTheImageStillMade)
{
    SetProgramFolderForTest(DALMORA_TEST_DATA_DIR "broken/");
    TNViewItem* item = Field(cmpImage, "imgBroken", "");
    ASSERT_NE(item->Images[1].Get(), nullptr);
    EXPECT_EQ(item->Images[0]->Picture().Graphic(), nullptr);
    EXPECT_EQ(log_.CountContaining("CreateImage_A"), 1);
    EXPECT_EQ(log_.CountContaining("CreateImage_B"), 0);
}

TEST_F(PictureKinds, IconButtonShowsItsGlyphAndAddsATag)
{
    TNViewItem* item = Field(cmpIconButton, "btnAddTag", "Přidat štítek");
    View.ResizeComponent(item, 30, 30, 25, 25, true);
    View.ResizeComponent(item, 40, 50, -1, -1, true);
    plat::TSpeedButton* button = item->SpeedButton.Get();
    EXPECT_EQ(item->Panel->BoundsRect(), plat::Bounds(40, 50, 25, 25));
    EXPECT_EQ(button->BoundsRect(), plat::Bounds(0, 0, 25, 25));
    EXPECT_EQ(button->Hint(), "Přidat štítek");
    ASSERT_NE(button->Glyph().Graphic(), nullptr);

    testing_gui::Render(*item->Panel.Get());
    int glyphPixels = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            const plat::TColor colour = testing_gui::Probe(*item->Panel.Get(), x, y);
            EXPECT_NE(colour, 0xFF00FFu) << x << "," << y;
            glyphPixels += colour == 0xC85000 ? 1 : 0;
        }
    }
    EXPECT_EQ(glyphPixels, 15 * 16);

    testing_gui::MouseClick(*button, 5, 5);
    EXPECT_EQ(recorder_.Count("AddTagFromEditRecordDialog"), 0);
    item->ClickAddsTag = 1;
    testing_gui::MouseClick(*button, 5, 5);
    EXPECT_EQ(recorder_.Count("AddTagFromEditRecordDialog"), 1);
}

} // namespace
