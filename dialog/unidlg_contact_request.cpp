// The contact request page: another user's request to become a contact,
// with that user's profile, accepted with OK or ignored with the delete
// button. The answer is kept in the data set; the online pass sends it.

#include "dialog/unidlg.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "platform/gui/button.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "view/image_table.h"
#include "view/view.h"
#include "view/view_item.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kPageWidth = 616;
constexpr int32_t kPageHeight = 320;
constexpr int32_t kMargin = 14;
constexpr int32_t kPicture = 126;
constexpr uint32_t kErrorIcon = 0x10;
constexpr int32_t kPictureLoaded = 2;

const char* const kProfileLabels[] = {"label12FullName", "label12Bio", "label12Web", "label12Company", "label12City"};

std::string Str(const TNString& text)
{
    return std::string(text.View());
}

TNPIMContactsRequests* RequestsOf(int32_t account)
{
    TNPIM* pim = PIM[account];
    return pim != nullptr ? &pim->ContactsRequests : nullptr;
}

// A label of the page; texts of other users show as they are, "&" too.
TNViewItem* MakeLabel(TfrmUnidlgDLMR1& dialog, const char* name, const std::string& text, bool wrap)
{
    TNViewItem* item = View.CreateComponent(cmpLabel, name, &dialog, dialog.PagePanel("ContactRequest"), 0, "", 1,
                                            dialog.SlotIndex, nullptr, nullptr, 0);
    if (item == nullptr)
        return nullptr;
    item->WordWrap = wrap ? 1 : 0;
    if (plat::TLabel* label = item->Label(4)) {
        label->SetShowAccelChar(false);
        label->SetWordWrap(wrap);
    }
    View.SetText(name, text.c_str(), false, 0);
    return item;
}

} // namespace

// The request named by the opener: its id rides in i8 and its account in
// the dialog's account index.
bool TfrmUnidlgDLMR1::AktivujDialog_ContactRequest()
{
    // 1. The request, read under the model lock: the online pass may add
    // or replace requests meanwhile.
    std::string fullName;
    std::string texts[4];
    plat::TImage* picture = nullptr;
    bool found = false;
    {
        TNModelReadGuard lock;
        TNPIMContactsRequests* requests = RequestsOf(AccountIndex());
        const TNPIMContactsRequest* request =
            requests != nullptr ? requests->GetItemByID(static_cast<uint32_t>(i8())) : nullptr;
        if (request != nullptr && request->Deleted == 0) {
            found = true;
            fullName = Str(request->FullName);
            texts[0] = Str(request->Bio);
            texts[1] = Str(request->Web);
            texts[2] = Str(request->Company);
            texts[3] = Str(request->City);
            if (request->ProfilePictureState == kPictureLoaded && request->ProfilePictureImage != nullptr)
                picture = request->ProfilePictureImage;
        }
    }
    if (!found) {
        MB("Požadavek kontaktu nebyl nalezen.", "Chyba", kErrorIcon);
        return false;
    }

    // 2.-3. Caption, no title panel, the page's size.
    SetCaption("Požadavek kontaktu");
    NastavNadpis(Caption(), "...", false);
    plat::TPanel* panel = PagePanel("ContactRequest");
    panel->SetBounds(0, 0, kPageWidth, kPageHeight);
    FitClientToPage(*panel);

    // 4.-6. The information text, the picture and the profile's labels.
    MakeLabel(*this, "label12Info",
              "Uživatel " + fullName +
                  " Vás žádá o přidání do adresáře kontaktů.\nPřidání do adresáře kontaktů je oboustranné a podléhá "
                  "Vašemu schválení.\nPo přidání do Vašich kontaktů uživatel nezíská přístup k Vašim neveřejným datům.",
              true);
    if (TNViewItem* image = View.CreateComponent(cmpImage, "img12ProfilePicture", this, panel, 0, "", 1, SlotIndex,
                                                 nullptr, nullptr, 0)) {
        image->SetIcon(picture != nullptr ? picture : ImageTable.GetImage("imgUserPhotoBlankHeader32"), true);
        View.SetHint("img12ProfilePicture", true, "Profilový obrázek");
    }
    MakeLabel(*this, "label12FullName", fullName, false);
    for (int i = 0; i < 4; ++i) {
        if (!texts[i].empty())
            MakeLabel(*this, kProfileLabels[i + 1], texts[i], true);
    }
    btnVymazat->OnClick = [this](plat::TComponent*) {
        AnswerContactRequest(2);
        saved = 1;
        Close();
    };

    // 7.
    pageReady = 1;
    FormResize_ContactRequest();
    return true;
}

void TfrmUnidlgDLMR1::FormResize_ContactRequest()
{
    const int32_t width = ClientWidth();
    int32_t top = kMargin;
    if (TNViewItem* info = View.GetComponent("label12Info")) {
        View.ResizeComponent(info, kMargin, top, width - 2 * kMargin, -1, true);
        if (plat::TPanel* panel = info->Panel.Get())
            top += panel->Height() + kMargin;
    }
    if (TNViewItem* image = View.GetComponent("img12ProfilePicture"))
        View.ResizeComponent(image, kMargin, top, kPicture, kPicture, true);
    const int32_t left = kMargin + kPicture + kMargin;
    for (const char* name : kProfileLabels) {
        TNViewItem* label = View.GetComponent(name);
        if (label == nullptr)
            continue;
        View.ResizeComponent(label, left, top, std::max(0, width - left - kMargin), -1, true);
        if (plat::TPanel* panel = label->Panel.Get())
            top += panel->Height() + kMargin / 2;
    }
}

// Both answers are kept in the data set and queued for its file; the next
// pass sends the ones whose AcceptanceTimestamp is still 0. A request the
// pass removed meanwhile changes nothing. The caller closes the dialog.
void TfrmUnidlgDLMR1::AnswerContactRequest(int32_t acceptance)
{
    Guarded("[TfrmUnidlgDLMR1::AnswerContactRequest]", [&] {
        {
            TNModelWriteGuard lock;
            TNPIMContactsRequests* requests = RequestsOf(AccountIndex());
            const int32_t pos = requests != nullptr ? requests->GetItemPosByID(static_cast<uint32_t>(i8())) : -1;
            if (pos >= 0 && requests->Items[pos] != nullptr && requests->Items[pos]->Deleted == 0) {
                TNPIMContactsRequest& request = *requests->Items[pos];
                request.AcceptanceType = acceptance;
                request.AcceptanceTimestamp = 0;
                request.Unsaved = true;
                requests->QueueItem(pos);
            } else {
                LogTextInt("[AnswerContactRequest] request not found; ID = ", i8());
            }
        }
    });
}
