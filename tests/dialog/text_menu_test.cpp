#include "foundation/hooks.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/edit.h"
#include "platform/gui/edit_operations.h"
#include "platform/gui/memo.h"
#include "platform/gui/menu.h"
#include "platform/gui/screen.h"
#include "platform/testing/gui_harness.h"
#include "tests/dialog/dialog_fixture.h"
#include "view/view.h"
#include "view/view_item.h"

namespace dialog_test {
namespace {

class TextMenuTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        FoundationHooks.ActiveControlClass = &plat::ActiveControlClassName;
        FoundationHooks.EditActiveControl = &plat::EditActiveControl;
    }
    void TearDown() override
    {
        FoundationHooks.ActiveControlClass = nullptr;
        FoundationHooks.EditActiveControl = nullptr;
        DialogTest::TearDown();
    }
};

const char* const kEditItems[] = {"pmnuZpet",      "pmnuKopirovat", "pmnuVyjmout",     "pmnuVlozit",
                                  "pmnuOdstranit", "pmnuVybratVse", "pmnuKopirovatVse"};

// The edit items as the menu would show them over `control`.
std::vector<bool> ItemsOver(TfrmUnidlgDLMR1& dialog, plat::TWinControl* control)
{
    dialog.popupText->SetPopupComponent(control);
    dialog.popupTextPopup();
    std::vector<bool> enabled;
    for (const char* name : kEditItems)
        enabled.push_back(dialog.popupText->FindByName(name)->Enabled());
    return enabled;
}

TEST_F(TextMenuTest, TheItemsFollowTheControlUnderTheMenu)
{
    AddPage("Test", [](TfrmUnidlgDLMR1& dialog) {
        dialog.SetClientWidth(400);
        dialog.SetClientHeight(300);
        View.CreateComponent(cmpNumberEdit, "numberTest", &dialog, &dialog, 0, "Počet", 1, dialog.SlotIndex, nullptr,
                             nullptr, 3);
        return true;
    });
    OnShown("Test", [](TfrmUnidlgDLMR1& dialog) {
        auto* edit = new plat::TFlatEdit(&dialog);
        auto* memo = new plat::TFlatMemo(&dialog);
        auto* combo = new plat::TFlatComboBox(&dialog);
        auto* picker = new plat::TDateTimePicker(&dialog);
        int top = 100;
        for (plat::TWinControl* control : std::initializer_list<plat::TWinControl*>{edit, memo, combo, picker}) {
            control->SetParent(&dialog);
            control->SetBounds(10, top, 150, 22);
            top += 30;
        }
        dialog.NastavTextovePopupMenu();
        plat::TWinControl* number = View.GetComponent("numberTest")->Edits[1].Get();
        if (number == nullptr) {
            ADD_FAILURE() << "no number edit";
            dialog.Close();
            return;
        }
        const std::vector<bool> all(7, true);
        for (plat::TWinControl* control : std::vector<plat::TWinControl*>{edit, memo, combo, number, picker}) {
            SCOPED_TRACE(control->ClassName());
            EXPECT_EQ(control->PopupMenu(), dialog.popupText);
            EXPECT_EQ(ItemsOver(dialog, control), all);
            EXPECT_TRUE(control->Focused()) << "the commands act on the control under the menu";
        }
        EXPECT_EQ(ItemsOver(dialog, dialog.btnZavrit), std::vector<bool>(7, false));
        EXPECT_FALSE(dialog.popupText->FindByName("pmnuOpakovat")->Visible());
        dialog.Close();
    });
    Open("Test");
}

TEST_F(TextMenuTest, CtrlBCopiesTheWholeText)
{
    AddPage("Test");
    std::string copied;
    OnShown("Test", [&](TfrmUnidlgDLMR1& dialog) {
        auto* edit = new plat::TFlatEdit(&dialog);
        edit->SetParent(&dialog);
        edit->SetBounds(10, 10, 200, 22);
        edit->SetText("Celý text záznamu");
        edit->SetFocus();
        plat::Clipboard::SetText("");
        plat::testing::TapKey(*edit, 'B', plat::ssCtrl);
        copied = plat::Clipboard::Text();
        dialog.Close();
    });
    Open("Test");
    EXPECT_EQ(copied, "Celý text záznamu");
}

} // namespace
} // namespace dialog_test
