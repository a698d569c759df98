#include "view/sharing_item.h"

#include "foundation/guard.h"
#include "foundation/pim_array.h"
#include "model/contacts.h"
#include "model/groups.h"
#include "model/pim.h"
#include "platform/gui/canvas.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/hooks.h"
#include "view/image_table.h"

#include <string>

namespace {

constexpr plat::TColor kRowColor = 0x996600;
constexpr int kPictureSide = 16;

// A group's title, or a contact's name as the contact list shows it; empty
// for an id the data no longer holds.
std::string NameOf(uint32_t id, int32_t kind)
{
    TNPIM* data = PIM[0];
    if (data == nullptr)
        return "";
    if (kind == TNViewSharingItem::kGroup) {
        const TNPIMGroup* group = data->Groups.GetItemByID(id);
        return group != nullptr && group->Title.Text != nullptr ? group->Title.Text : "";
    }
    if (kind == TNViewSharingItem::kContact) {
        TNPIMContact* contact = data->Contacts.GetItemByID(id);
        if (contact == nullptr)
            return "";
        const TNString name = contact->GetFullName();
        return name.Text != nullptr ? name.Text : "";
    }
    return "";
}

void SetWhiteArial(plat::TFont& font, int size)
{
    font.SetName("Arial");
    font.SetColor(plat::clWhite);
    font.SetSize(size);
}

template <class T> void FreeControl(plat::TWeakRef<T>& field)
{
    if (T* control = field.Get())
        control->Free();
    field = plat::TWeakRef<T>();
}

} // namespace

TNViewSharingItem::~TNViewSharingItem()
{
    FreeComponents();
}

void TNViewSharingItem::FreeComponents()
{
    FreeControl(RemoveButton);
    FreeControl(Label);
    FreeControl(Picture);
    FreeControl(Panel);
}

bool TNViewSharingItem::CreateComponents(plat::TForm* owner, plat::TWinControl* parent)
{
    return Guarded("[TNViewSharingItem::CreateComponents]", false, [&] {
        FreeComponents();
        const std::string name = NameOf(ObjectId, ObjectKind);

        auto* panel = new plat::TPanel(owner);
        panel->SetBevelInner(plat::TBevelCut::bvNone);
        panel->SetBevelOuter(plat::TBevelCut::bvNone);
        panel->SetBounds(100, 1, 100, 22);
        panel->SetColor(kRowColor);
        panel->SetCaption("");
        SetWhiteArial(panel->Font(), 8);
        panel->SetParent(parent);
        Panel = panel;

        auto* picture = new plat::TImage(owner);
        picture->SetTransparent(false);
        picture->SetAutoSize(false);
        picture->SetStretch(false);
        picture->SetBounds(3, 3, kPictureSide, kPictureSide);
        picture->SetParent(panel);
        Picture = picture;
        plat::TImage* contact = ImageTable.GetImage("imgKontakt");
        if (contact != nullptr && contact->Picture().Graphic() != nullptr)
            picture->Canvas().Draw(0, 0, *contact->Picture().Graphic());

        auto* label = new plat::TLabel(owner);
        label->SetAutoSize(true);
        label->SetTransparent(true);
        SetWhiteArial(label->Font(), 8);
        label->SetCaption(name);
        label->SetLeft(picture->Left() + picture->Width() + 5);
        label->SetTop(4);
        label->SetParent(panel);
        Label = label;

        auto* remove = new plat::TSpeedButton(owner);
        remove->SetFlat(true);
        remove->SetShowHint(true);
        remove->SetHint("Odstranit");
        remove->SetCaption("x");
        SetWhiteArial(remove->Font(), 7);
        remove->SetTag(Position);
        remove->OnClick = &TNViewSharingItem::RemoveClick;
        remove->SetBounds(label->Left() + label->Width() + 3, 1, 19, 19);
        remove->SetParent(panel);
        RemoveButton = remove;

        panel->SetWidth(remove->Left() + remove->Width() + 1);
        return true;
    });
}

void TNViewSharingItem::RemoveClick(plat::TComponent* sender)
{
    Guarded("[TNViewSharingItem::RemoveClick]", [&] {
        const int64_t position = sender != nullptr ? sender->Tag() : -1;
        if (position < 0)
            return;
        ViewMain::RemoveSharingItem(static_cast<int32_t>(position));
        ViewDialog::FormResize();
    });
}
