// The record editor's tag combo after a new tag, and its share-with rows
// after a remove click.

#include "tests/mainwindow/pages_fixture.h"

#include "foundation/pim_array.h"
#include "mainwindow/dialog_bridge.h"
#include "model/pim.h"
#include "model/tags.h"
#include "platform/gui/combo_box.h"
#include "view/hooks.h"
#include "view/sharing_item.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shell_test {
namespace {

class EditorRows : public PagesTest {
protected:
    void AddTag(uint32_t id, const char* title)
    {
        TNPIMTags& tags = Account(0).Tags;
        ASSERT_TRUE(tags.Resize(tags.Count + 1));
        tags.Items[tags.Count - 1]->ID = id;
        tags.Items[tags.Count - 1]->Title.Set(title);
    }
    // The editor's tag combo with "Bez štítku" and the tags, the row
    // selected.
    TNViewItem* MakeTagCombo(int selectedRow)
    {
        TNViewItem* combo =
            View.CreateComponent(cmpComboBox, "select3Tag", &Main(), &Main(), 0, "", 1, -1, nullptr, nullptr, 3);
        combo->ClearComboItems();
        combo->AddComboItem("Bez štítku");
        for (int32_t i = 0; i < Account(0).Tags.Count; ++i)
            combo->AddComboItem(Account(0).Tags.Items[i]->Title.Text);
        combo->SetSafeItemIndex(selectedRow);
        return combo;
    }
};

TEST_F(EditorRows, NewTagIsSelectedAndACancelKeepsTheSelection)
{
    AddTag(7201, "Práce");
    AddTag(7202, "Doma");
    struct Case {
        const char* name;
        bool addsTag;
        std::vector<std::string> items;
        int selected;
    };
    const Case cases[] = {
        {"cancelled", false, {"Bez štítku", "Práce", "Doma"}, 1},
        {"a tag added", true, {"Bez štítku", "Práce", "Doma", "Nový"}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TNViewItem* combo = MakeTagCombo(1);
        bridge_.scripts.clear();
        if (c.addsTag)
            bridge_.scripts["EditTag"] = [this](TNUniDialogForm&) { AddTag(7203, "Nový"); };

        Main().AddTagFromEditRecordDialog();

        ASSERT_EQ(bridge_.Count("EditTag"), c.addsTag ? 2 : 1);
        const plat::TComboBox* box = combo->Combos[0].Get();
        EXPECT_EQ(box->Items(), c.items);
        EXPECT_EQ(box->ItemIndex(), c.selected);
    }
}

// The editor's dialog as the bridge sees it: its share-with selection.
class SharingDialog final : public TNUniDialogForm {
public:
    SharingDialog() : TNUniDialogForm(nullptr) {}
    const char* ClassName() const override { return "SharingDialog"; }
    bool AktivujDialog() override { return false; }
    bool RemoveFromShareWith(int32_t kind, uint32_t id) override
    {
        std::vector<uint32_t>& ids = kind == TNViewSharingItem::kGroup ? groupIds : contactIds;
        std::vector<uint8_t>& selected = kind == TNViewSharingItem::kGroup ? groupSelected : contactSelected;
        for (size_t i = 0; i < ids.size(); ++i) {
            if (ids[i] == id)
                selected[i] = 0;
        }
        return true;
    }
    static inline std::vector<uint32_t> groupIds{11, 12};
    static inline std::vector<uint8_t> groupSelected{1, 1};
    static inline std::vector<uint32_t> contactIds{21};
    static inline std::vector<uint8_t> contactSelected{1};
};

TEST_F(EditorRows, RemovedSharingRowLeavesTheSelectionAndTheRows)
{
    plat::TOwned<SharingDialog> dialog(new SharingDialog());
    frmUnidlgDLMR1[0] = dialog.get();
    ViewDialogHooks.ShareWithGroups = [](int32_t) {
        return TNShareSelection{2, SharingDialog::groupIds.data(), SharingDialog::groupSelected.data()};
    };
    ViewDialogHooks.ShareWithContacts = [](int32_t) {
        return TNShareSelection{1, SharingDialog::contactIds.data(), SharingDialog::contactSelected.data()};
    };
    ViewDialogHooks.FormResize = [] {};
    TNViewItem* list =
        View.CreateComponent(cmpShareWith, "btn3Sharing", dialog.get(), dialog.get(), 0, "", 1, 0, nullptr, nullptr, 3);
    ASSERT_NE(list, nullptr);
    TNView::ResetSharingItems(View, list);
    ASSERT_EQ(list->SharingItemsCount, 3);

    Main().RemoveSharingItem(1);

    std::vector<uint32_t> rows;
    for (int32_t i = 0; i < list->SharingItemsCount; ++i)
        rows.push_back(list->SharingItems[i]->ObjectId);
    EXPECT_EQ(rows, (std::vector<uint32_t>{11, 21}));
    EXPECT_EQ(SharingDialog::groupSelected, (std::vector<uint8_t>{1, 0}));

    View.DeleteComponentsByFormHandle(dialog.get());
    frmUnidlgDLMR1[0] = nullptr;
    ViewDialogHooks.ShareWithGroups = nullptr;
    ViewDialogHooks.ShareWithContacts = nullptr;
    ViewDialogHooks.FormResize = nullptr;
}

} // namespace
} // namespace shell_test
