#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/field_parts.h"
#include "view/hooks.h"
#include "view/sharing_item.h"
#include "view/view.h"

#include <string>

using field_parts::Notify;

namespace {

constexpr int kAddButtonWidth = 54;
constexpr int kRowHeight = 22;
constexpr int kEmptyShareWithHeight = 26;

// Loads a picture of the program's images folder when it is there; a file
// that cannot be read is logged under `checkpoint` and the picture stays
// empty.
void LoadProgramPicture(plat::TPicture& picture, const char* name, const char* checkpoint)
{
    Guarded(checkpoint, [&] {
        const std::string path = field_parts::ProgramImage(name);
        if (!path.empty())
            picture.LoadFromFile(path);
    });
}

plat::TImage* MakeFieldImage(TNViewItem* item, plat::TWinControl* parent, bool transparent)
{
    auto* image = new plat::TImage(item->OwnerForm.Get());
    image->SetTransparent(transparent);
    image->SetCenter(true);
    image->SetStretch(false);
    image->SetParent(parent);
    return image;
}

void AddSelectedRows(TNViewItem* item, const TNShareSelection& selection, int32_t kind, plat::TWinControl* inner)
{
    for (int32_t i = 0; i < selection.Count; ++i) {
        if (selection.Selected[i] == 0)
            continue;
        const int32_t pos = item->AddSharingItem(selection.Ids[i], kind);
        if (pos >= 0)
            item->SharingItems[pos]->CreateComponents(item->OwnerForm.Get(), inner);
    }
}

} // namespace

void TNView::CreateImage(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 300, 50, false);
    panel->SetColor(field_parts::kFrameGrey);
    plat::TImage* grid = MakeFieldImage(item, panel, false);
    item->Images[0] = grid;
    LoadProgramPicture(grid->Picture(), "grid.jpg", "CreateImage_A");
    plat::TImage* picture = MakeFieldImage(item, panel, true);
    item->Images[1] = picture;
    LoadProgramPicture(picture->Picture(), "empty-image.png", "CreateImage_B");
}

void TNView::ResizeImage(TNView&, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    if (panel == nullptr)
        return;
    panel->SetBounds(left, top, width, height);
    const int32_t margin = item->FrameInset;
    for (int i = 0; i < 2; ++i) {
        if (plat::TImage* image = item->Images[i].Get())
            image->SetBounds(margin, margin, panel->Width() - 2 * margin, panel->Height() - 2 * margin);
    }
}

void TNView::CreateIconButton(TNView& view, TNViewItem* item)
{
    plat::TPanel* panel = field_parts::MakeFramePanel(view, item, 25, 25, false);
    auto* button = new plat::TSpeedButton(item->OwnerForm.Get());
    button->SetFlat(true);
    button->SetShowHint(true);
    button->SetHint(item->Caption.Text != nullptr ? item->Caption.Text : "");
    button->OnClick = [item](plat::TComponent* sender) { item->Click(sender); };
    button->SetParent(panel);
    item->SpeedButton = button;
    LoadProgramPicture(button->Glyph(), "add-blue-circle.bmp", "CreateIconButton");
}

void TNView::ResizeIconButton(TNView&, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    if (panel == nullptr)
        return;
    const auto place = [&](plat::TControl* control, int32_t x, int32_t y) {
        control->SetBounds(x, y, width > -1 ? width : control->Width(), height > -1 ? height : control->Height());
    };
    place(panel, left, top);
    if (plat::TSpeedButton* button = item->SpeedButton.Get())
        place(button, 0, 0);
}

void TNView::CreateShareWith(TNView& view, TNViewItem* item)
{
    field_parts::MakeFramePanel(view, item, 300, kEmptyShareWithHeight, false);
    field_parts::MakeCaptionLabel(view, item, false);
    plat::TJvPanel* inner = field_parts::MakeGreyFrame(item);
    auto* add = new plat::TSpeedButton(item->OwnerForm.Get());
    add->SetFlat(true);
    add->SetCaption("Přidat");
    add->SetShowHint(true);
    add->SetHint("Přidat z kontaktů uživatele, se kterými bude záznam sdílen");
    add->Font().SetName(view.FontName);
    add->Font().SetSize(8);
    add->SetSpacing(3);
    add->SetMargin(1);
    add->OnClick = Notify(view, &TNView::ShareWithAddClick);
    add->SetParent(inner);
    item->SpeedButton = add;
    LoadProgramPicture(add->Glyph(), "add-green-circle.bmp", "[TNView::CreateShareWith]");
}

// The rows flow in lines after the add button.
void TNView::ResizeShareWith(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height)
{
    plat::TPanel* panel = item->Panel.Get();
    plat::TJvPanel* frame = item->FramePanel1.Get();
    plat::TJvPanel* inner = item->FramePanel2.Get();
    plat::TSpeedButton* add = item->SpeedButton.Get();
    if (panel == nullptr || frame == nullptr || inner == nullptr || add == nullptr)
        return;
    if (left > -1)
        panel->SetBounds(left, top, width, height != 0 ? height : kEmptyShareWithHeight);
    const int32_t x0 = view.PlaceCaption(item);
    frame->SetBounds(x0, 0, panel->Width() - x0, panel->Height());
    inner->SetBounds(1, 1, frame->Width() - 2, frame->Height() - 2);
    add->SetBounds(1, 1, kAddButtonWidth, kRowHeight);
    int32_t x = 1 + add->Width() + 2;
    int32_t y = 1;
    int32_t lineHeight = kRowHeight;
    for (int32_t i = 0; i < item->SharingItemsCount; ++i) {
        plat::TPanel* row = item->SharingItems[i]->Panel.Get();
        if (row == nullptr)
            continue;
        row->SetLeft(x);
        row->SetTop(y);
        if (row->Left() + row->Width() > inner->Width() - 2) {
            y += row->Height() + 1;
            row->SetLeft(1);
            row->SetTop(y);
            x = 1;
        }
        if (i < item->SharingItemsCount - 1)
            x += row->Width() + 2;
        lineHeight = row->Height();
    }
    panel->SetHeight(y + lineHeight + 3);
    frame->SetHeight(panel->Height());
    inner->SetHeight(frame->Height() - 2);
}

void TNView::ResetSharingItems(TNView& view, TNViewItem* item)
{
    Guarded("[TNView::ResetSharingItems]", [&] {
        plat::TJvPanel* inner = item != nullptr ? item->FramePanel2.Get() : nullptr;
        if (inner == nullptr)
            return;
        // The old rows go with their controls; a row whose button is being
        // clicked is freed once that click has run.
        item->ResizeSharingItems(0);
        AddSelectedRows(item, ViewDialog::ShareWithGroups(item->FormTag), TNViewSharingItem::kGroup, inner);
        AddSelectedRows(item, ViewDialog::ShareWithContacts(item->FormTag), TNViewSharingItem::kContact, inner);
        ResizeShareWith(view, item, -1, -1, -1, -1);
    });
}

void TNView::ShareWithAddClick(plat::TComponent* sender)
{
    Guarded("[TNView::ShareWithAddClick]", [&] {
        TNViewItem* item = GetComponentByHandle(sender);
        if (item == nullptr)
            return;
        const uint32_t id = item->ComponentId;
        const int32_t formTag = item->FormTag;
        const int32_t params[8] = {static_cast<int32_t>(ViewDialog::EditedRecordId(formTag)), 0, 0, 0, 0, 0, 0, 0};
        ViewDialog::UniDialog("ShareWith", ViewDialog::Form(formTag), params);
        // The nested dialog's loop may have deleted the field.
        item = GetComponentById(id);
        if (item == nullptr)
            return;
        ResetSharingItems(*this, item);
        ViewDialog::FormResize();
    });
}
