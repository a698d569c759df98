// The header bar: its components, their layout at every width and the user
// button's name lines and picture.

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/header_layout.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/gui/canvas.h"
#include "platform/gui/edit.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "view/hooks.h"
#include "view/image_table.h"
#include "view/view.h"

#include <cstring>
#include <string>

namespace {

constexpr plat::TColor kHeaderLook = 0x646464;
constexpr plat::TColor kPlaceholderGrey = 0x808080;
constexpr int32_t kHeaderButtonHeight = 36;
constexpr int32_t kHeaderPictureWidth = 32;

// Each button's controls once made: the overlay that takes the mouse.
plat::TLabel* Overlay(TNViewItem* item)
{
    return item != nullptr ? item->TitleLabel.Get() : nullptr;
}

void SetTextFont(TNViewItem* item, int32_t size, plat::TColor colour)
{
    if (plat::TLabel* text = item->Label(2)) {
        text->Font().SetSize(size);
        text->Font().SetColor(colour);
        text->Font().SetStyle(text->Font().Style() & ~plat::fsBold);
    }
}

int32_t PanelWidth(TNViewItem* item)
{
    plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
    return panel != nullptr ? panel->Width() : 0;
}

// Lays a button out at its own width for the caption it has, keeping its
// place; then its width. Forced: a new caption alone does not count as a
// change of bounds.
int32_t MeasureButton(TNViewItem* item)
{
    if (item == nullptr || item->Panel.Get() == nullptr)
        return 0;
    View.ResizeButton(item, item->Panel.Get()->Left(), item->Panel.Get()->Top(), -1, kHeaderButtonHeight, true);
    return PanelWidth(item);
}

void PlaceButton(TNViewItem* item, int32_t left, int32_t headerHeight)
{
    plat::TPanel* panel = item != nullptr ? item->Panel.Get() : nullptr;
    if (panel == nullptr)
        return;
    const int32_t top = headerHeight / 2 - panel->Height() / 2;
    View.ResizeButton(item, left, top, -1, kHeaderButtonHeight, false);
}

void SetButtonCaption(TNViewItem* item, const std::string& caption)
{
    if (item == nullptr)
        return;
    item->ButtonTitle = TNString(caption.c_str());
    View.SetButtonTitle(item, caption.c_str(), "", 0, 0, true, false);
}

// The name lines: the product's name over two lines when no pair of names
// is complete, else the typed pair while it waits for the service (or when
// it is all there is), else the account's own pair.
void HeaderNameLines(const TNAccount& account, bool changePending, TNString* line1, TNString* line2)
{
    const bool currentComplete = !account.FirstName.IsEmpty() && !account.LastName.IsEmpty();
    const bool newComplete = !account.NewFirstName.IsEmpty() && !account.NewLastName.IsEmpty();
    const bool newPartPresent = !account.NewFirstName.IsEmpty() || !account.NewLastName.IsEmpty();
    if (!currentComplete && !newComplete) {
        const std::string name = App.ApplicationNameV2;
        const size_t blank = name.find(' ');
        *line1 = TNString(name.substr(0, blank).c_str());
        *line2 = TNString(blank == std::string::npos ? "" : name.substr(blank + 1).c_str());
    } else if (changePending || (!currentComplete && newPartPresent)) {
        *line1 = account.NewFirstName;
        *line2 = account.NewLastName;
    } else {
        *line1 = account.FirstName;
        *line2 = account.LastName;
    }
}

} // namespace

TNViewItem* TfrmMainDLMR1::priHeader()
{
    auto* item = new TNViewItem();
    item->Init();
    item->NormalText = kHeaderLook;
    item->HoverText = kHeaderLook;
    item->PanelColor = pHeader != nullptr ? pHeader->Color() : View.FormColor;
    item->AutoWidth = 1;
    item->TextInsetX = 4;
    item->IconPosition = 3;
    item->TextHAlign = 0;
    return item;
}

void TfrmMainDLMR1::CreateHeaderComponents()
{
    Guarded("[TfrmMainDLMR1::CreateHeaderComponents]", [&] {
        if (pHeader == nullptr)
            return;
        LogText("[CreateHeaderComponents][BEGIN]");
        auto makeButton = [&](const char* name, const char* icon, const char* caption) {
            LogWrite("[CreateHeaderComponents][", (std::string(name) + "]").c_str(), false);
            TNViewItem* button =
                View.CreateComponent(cmpButton, name, this, pHeader, 0, "", 1, -1, priHeader(), nullptr, 3);
            if (button == nullptr)
                return button;
            button->SetFlatButtonColors(pHeader->Color());
            if (icon != nullptr)
                button->SetIcon(icon, true);
            if (caption != nullptr)
                SetButtonCaption(button, caption);
            return button;
        };
        auto onMouseDown = [this](TNViewItem* button, void (TfrmMainDLMR1::*handler)(
                                                          plat::TComponent*, plat::TMouseButton, int32_t, int32_t)) {
            if (plat::TLabel* overlay = Overlay(button))
                overlay->OnMouseDown = [this, handler](plat::TComponent* sender, plat::TMouseButton mouse,
                                                       plat::TShiftState, int x,
                                                       int y) { (this->*handler)(sender, mouse, x, y); };
        };
        auto onClick = [](TNViewItem* button, std::function<void(plat::TComponent*)> handler) {
            if (plat::TLabel* overlay = Overlay(button))
                overlay->OnClick = std::move(handler);
        };

        onMouseDown(makeButton("btnHeaderMenu", "imgHamburgerMenu24", nullptr), &TfrmMainDLMR1::btnHeaderMenuMouseDown);

        TNViewItem* logo = makeButton("btnHeaderLogo", "imgDalmora32", "Dalmora");
        if (logo != nullptr) {
            SetTextFont(logo, 20, 0);
            if (plat::TLabel* second = logo->Label(3)) {
                second->Font().SetSize(7);
                second->Font().SetStyle(second->Font().Style() & ~plat::fsBold);
            }
        }
        onClick(logo, [this](plat::TComponent*) { btnHeaderLogoClick(); });

        onClick(makeButton("btnHeaderSearch", "imgSearch24", nullptr),
                [this](plat::TComponent*) { btnHeaderSearchClick(); });

        LogText("[CreateHeaderComponents][editHeaderSearch]");
        TNViewItem* edit =
            View.CreateComponent(cmpEdit, "editHeaderSearch", this, pHeader, 0, "", 1, -1, nullptr, nullptr, 3);
        if (edit != nullptr) {
            if (plat::TFlatEdit* control = edit->Edits[0].Get()) {
                control->Font().SetSize(11);
                control->Font().SetColor(kPlaceholderGrey);
                control->SetText("Hledat...");
                control->SetTag(0);
            }
            BindSearchEdit(edit);
        }

        TNViewItem* find = makeButton("btnHeaderFind", nullptr, "Najít");
        if (find != nullptr)
            SetTextFont(find, 9, 0);
        onClick(find, [this](plat::TComponent* sender) { mnuFindClick(sender); });

        onMouseDown(makeButton("btnHeaderBell", "imgBell24", nullptr), &TfrmMainDLMR1::btnHeaderBellMouseDown);

        TNViewItem* user = makeButton("btnHeaderUser", nullptr, nullptr);
        if (user != nullptr)
            SetTextFont(user, 10, 0);
        onMouseDown(user, &TfrmMainDLMR1::btnHeaderUserMouseDown);
        UpdateHeaderUser();

        onMouseDown(makeButton("btnHeaderAdd", "imgAdd24", nullptr), &TfrmMainDLMR1::btnHeaderAddMouseDown);

        // The chats button has its place in the layout but is not made.
        LogText("[CreateHeaderComponents][btnHeaderChats]");
        LogText("[CreateHeaderComponents][ResizeHeaderComponents]");
        ResizeHeaderComponents();
        LogText("[CreateHeaderComponents][END]");
    });
}

void TfrmMainDLMR1::ResizeHeaderComponents()
{
    Guarded("[TfrmMainDLMR1::ResizeHeaderComponents]", [&] {
        if (pHeader == nullptr)
            return;
        const int32_t W = pHeader->Width();
        const int32_t H = pHeader->Height();
        TNViewItem* menu = View.GetComponent("btnHeaderMenu");
        TNViewItem* logo = View.GetComponent("btnHeaderLogo");
        TNViewItem* search = View.GetComponent("btnHeaderSearch");
        TNViewItem* edit = View.GetComponent("editHeaderSearch");
        TNViewItem* find = View.GetComponent("btnHeaderFind");
        TNViewItem* bell = View.GetComponent("btnHeaderBell");
        TNViewItem* user = View.GetComponent("btnHeaderUser");
        TNViewItem* add = View.GetComponent("btnHeaderAdd");
        TNViewItem* chats = View.GetComponent("btnHeaderChats");

        // Captions first: they decide the widths the placement works with.
        const char* logoCaption = HeaderLogoCaption(W);
        if (logo != nullptr &&
            std::strcmp(logo->ButtonTitle.Text != nullptr ? logo->ButtonTitle.Text : "", logoCaption) != 0)
            SetButtonCaption(logo, logoCaption);
        if (user != nullptr) {
            const TNString text = ::WindowState.HeaderUser().Text;
            const std::string caption = HeaderShowsUserCaption(W) && text.Text != nullptr ? text.Text : "";
            if (caption != (user->ButtonTitle.Text != nullptr ? user->ButtonTitle.Text : ""))
                SetButtonCaption(user, caption);
        }

        TNHeaderWidths widths;
        widths.menu = MeasureButton(menu);
        widths.logo = MeasureButton(logo);
        widths.search = MeasureButton(search);
        widths.find = MeasureButton(find);
        widths.bell = MeasureButton(bell);
        widths.user = MeasureButton(user);
        widths.add = MeasureButton(add);
        widths.chats = chats != nullptr ? MeasureButton(chats) : -1;
        const TNHeaderPlacement place = PlaceHeaderComponents(W, widths);

        PlaceButton(menu, place.menuLeft, H);
        PlaceButton(logo, place.logoLeft, H);
        PlaceButton(add, place.addLeft, H);
        PlaceButton(user, place.userLeft, H);
        PlaceButton(chats, place.chatsLeft, H);
        PlaceButton(bell, place.bellLeft, H);
        if (find != nullptr) {
            View.ShowOrHideShowComponent(find, place.findShown);
            PlaceButton(find, place.findLeft, H);
        }
        if (edit != nullptr && edit->Panel.Get() != nullptr) {
            plat::TFlatEdit* control = edit->Edits[0].Get();
            const int32_t editHeight = control != nullptr ? control->Height() : 0;
            TNView::ResizeEdit(View, edit, place.editLeft, H / 2 - editHeight / 2, place.editWidth, -1);
            edit->Panel.Get()->SetVisible(place.editWidth > 0);
        }
        PlaceButton(search, place.searchLeft, H);
    });
}

void TfrmMainDLMR1::UpdateHeaderUser()
{
    Guarded("[TfrmMainDLMR1::UpdateHeaderUser]", [&] {
        LogText("[TfrmMainDLMR1::UpdateHeaderUser][BEGIN]");
        // 1. The two lines and their caption.
        const TNAccount account = g.Account();
        const bool changePending = g.pleaseSaveBasicProfileSettings != 0 || g.basicProfileSettingsChanged != 0;
        TNHeaderUser shown;
        shown.FirstName = account.FirstName;
        shown.LastName = account.LastName;
        HeaderNameLines(account, changePending, &shown.Line1, &shown.Line2);
        const std::string text = std::string(shown.Line1.View()) + "\n" + std::string(shown.Line2.View());
        shown.Text = TNString(text.c_str());

        // 2. and 3. The caption by width, the picture.
        TNViewItem* user = View.GetComponent("btnHeaderUser");
        if (user != nullptr) {
            const bool wide = pHeader != nullptr && HeaderShowsUserCaption(pHeader->Width());
            SetButtonCaption(user, wide ? text : "");
            plat::TImage* picture = ImageTable.getUserProfilePictureByWidth(kHeaderPictureWidth);
            if (picture == nullptr || picture->Picture().Graphic() == nullptr) {
                user->SetIcon("imgUserPhotoBlankHeader32", true);
            } else {
                user->SetIcon("imgDalmora32", true);
                if (plat::TImage* icon = user->Images[1].Get()) {
                    const plat::TRect all{0, 0, icon->Picture().Width(), icon->Picture().Height()};
                    icon->Canvas().StretchDraw(all, *picture->Picture().Graphic());
                }
                shown.ProfilePicture = account.ProfilePicture;
            }
        }
        ::WindowState.SetHeaderUser(shown);

        // 4. The button and the bar laid out again.
        if (user != nullptr)
            View.ResizeButton(user, -1, -1, -1, kHeaderButtonHeight, true);
        ResizeHeaderComponents();
        LogText("[TfrmMainDLMR1::UpdateHeaderUser][END]");
    });
}

void TfrmMainDLMR1::btnHeaderLogoClick()
{
    Guarded("[TfrmMainDLMR1::btnHeaderLogoClick]", [&] {
        pages_->HideSideboard();
        gDesk->SetActivePage("Homepage");
        ControlButtonClick(nullptr);
    });
}

void TfrmMainDLMR1::btnHeaderChatsMouseDown()
{
    LogText("[btnHeaderChatsMouseDown]");
}
