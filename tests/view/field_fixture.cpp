#include "tests/view/field_fixture.h"

#include "platform/gui/form.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_seams.h"

namespace view_test {

namespace {

FieldTest* current = nullptr;
DialogSlotFake* fake = nullptr;

TNShareSelection Selection(const std::vector<uint32_t>& ids, const std::vector<uint8_t>& selected)
{
    return TNShareSelection{static_cast<int32_t>(ids.size()), ids.data(), selected.data()};
}

// A nested dialog: a real modal form whose loop runs the script, then
// closes it.
int32_t RunNestedDialog(const char* key, plat::TForm*, const int32_t params[8])
{
    fake->UniDialogKeys.push_back(key);
    fake->UniDialogFirstParams.push_back(params[0]);
    plat::TOwned<plat::TForm> nested(new plat::TForm);
    plat::testing::ScopedModalScript script([](plat::TForm& shown) {
        if (fake->NestedScript)
            fake->NestedScript();
        shown.SetModalResult(plat::mrOk);
    });
    nested->ShowModal();
    return 1;
}

} // namespace

void RecordChange(TNViewItem* item)
{
    if (current != nullptr)
        current->changed_.push_back(item);
}

void FieldTest::SetUp()
{
    ViewTest::SetUp();
    current = this;
    fake = &dialog_;
    host_ = FixedPanel(mpSpare1);
    host_->SetBounds(0, 0, 800, 600);
    host_->BringToFront();
    MainForm()->Show();
    DialogForm()->SetBounds(0, 0, 700, 500);
    dialogHost_ = new plat::TPanel(DialogForm());
    dialogHost_->SetBounds(0, 0, 700, 500);
    dialogHost_->SetParent(DialogForm());
    dialog_.PopupText = new plat::TPopupMenu(DialogForm());

    ViewDialogHooks.popupText = [](int32_t formTag) -> plat::TComponent* {
        return formTag == 0 ? fake->PopupText : nullptr;
    };
    ViewDialogHooks.EditedRecordId = [](int32_t formTag) { return formTag == 0 ? fake->RecordId : 0u; };
    ViewDialogHooks.ShareWithGroups = [](int32_t) { return Selection(fake->GroupIds, fake->GroupSelected); };
    ViewDialogHooks.ShareWithContacts = [](int32_t) { return Selection(fake->ContactIds, fake->ContactSelected); };
    ViewDialogHooks.UniDialog = &RunNestedDialog;
    ViewDialogHooks.FormResize = [] { ++fake->FormResizeCalls; };
    ViewDialogHooks.ShowTimePicker = [](int32_t type, plat::TForm* owner, TNViewItem* item, uint32_t id,
                                        plat::TComponent* button, int32_t value) {
        fake->TimePickerCalls.push_back({type, owner, item, id, button, value});
    };
}

void FieldTest::TearDown()
{
    current = nullptr;
    fake = nullptr;
    ViewTest::TearDown();
}

TNViewItem* FieldTest::Field(int8_t kind, const char* name, const char* caption, int32_t captionPosition,
                             uint8_t alignment, int32_t column)
{
    return View.CreateComponent(kind, name, MainForm(), host_, column, caption, alignment, -1, nullptr, nullptr,
                                captionPosition);
}

TNViewItem* FieldTest::DialogField(int8_t kind, const char* name, const char* caption)
{
    return View.CreateComponent(kind, name, DialogForm(), dialogHost_, 0, caption, 1, 0, nullptr, nullptr, 3);
}

} // namespace view_test
