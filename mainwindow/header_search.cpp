// The search entry of the header and of the search page: the placeholder,
// the focus colours, starting a search and the switch to the search page.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "online/global.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kPlaceholder = "Hledat...";
constexpr plat::TColor kPlaceholderGrey = 0x808080;
constexpr plat::TColor kFocusedFrame = 0xD77800;
constexpr plat::TColor kFrame = 0xA9A9A9;
constexpr uint16_t kVkReturn = 13;
constexpr size_t kShortestSearch = 2;

plat::TFlatEdit* EditOf(const char* name)
{
    TNViewItem* item = View.GetComponent(name);
    return item != nullptr ? item->Edits[0].Get() : nullptr;
}

plat::TFlatEdit* AsEdit(plat::TComponent* sender)
{
    TNViewItem* item = View.GetComponentByHandle(sender);
    return item != nullptr && item->Edits[0].Get() == sender ? item->Edits[0].Get() : nullptr;
}

// The text the user asked for: the placeholder and an edit never typed in
// count as nothing.
std::string TypedText(const plat::TFlatEdit& edit)
{
    const std::string text = edit.Text();
    return edit.Tag() == 1 && text != kPlaceholder ? text : "";
}

bool NameIs(const TNViewItem* item, const char* name)
{
    return item != nullptr && item->Name.Text != nullptr && std::strcmp(item->Name.Text, name) == 0;
}

} // namespace

void TfrmMainDLMR1::BindSearchEdit(TNViewItem* item)
{
    plat::TFlatEdit* edit = item != nullptr ? item->Edits[0].Get() : nullptr;
    if (edit == nullptr)
        return;
    if (NameIs(item, "editHeaderSearch")) {
        edit->OnEnter = [this](plat::TComponent* sender) { editHeaderSearchEnter(sender); };
        edit->OnExit = [this](plat::TComponent* sender) { editHeaderSearchExit(sender); };
    } else {
        edit->OnEnter = [this](plat::TComponent* sender) { editSearchSearchEnter(sender); };
        edit->OnExit = [this](plat::TComponent* sender) { editSearchSearchExit(sender); };
    }
    edit->SetBorderColor(kFrame);
}

void TfrmMainDLMR1::editHeaderSearchEnter(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::editHeaderSearchEnter]", [&] {
        plat::TFlatEdit* edit = AsEdit(sender);
        if (edit == nullptr)
            return;
        pages_->HideSideboard();
        SetFocusedSearchField(edit);
        if (edit->Text() == kPlaceholder || edit->Tag() == 0)
            edit->SetText("");
        edit->Font().SetColor(plat::clBlack);
        edit->SetBorderColor(kFocusedFrame);
        edit->OnKeyDown = [this](plat::TComponent* key, uint16_t& code, plat::TShiftState) {
            editHeaderSearchKeyDown(key, code);
        };
        ShowAndResizeSuggestorPanel();
    });
}

void TfrmMainDLMR1::editHeaderSearchExit(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::editHeaderSearchExit]", [&] {
        plat::TFlatEdit* edit = AsEdit(sender);
        if (edit == nullptr)
            return;
        SetFocusedSearchField(nullptr);
        edit->OnKeyDown = nullptr;
        edit->SetBorderColor(kFrame);
        edit->Font().SetColor(kPlaceholderGrey);
        if (edit->Text().empty()) {
            edit->SetTag(0);
            edit->SetText(kPlaceholder);
        }
        HideSuggestorPanel();
    });
}

void TfrmMainDLMR1::editHeaderSearchKeyDown(plat::TComponent* sender, uint16_t& key)
{
    Guarded("[TfrmMainDLMR1::editHeaderSearchKeyDown]", [&] {
        if (sender != nullptr)
            sender->SetTag(1);
        if (key == kVkReturn)
            mnuFindClick(sender);
    });
}

// The search page's edit behaves as the header's.
void TfrmMainDLMR1::editSearchSearchEnter(plat::TComponent* sender)
{
    editHeaderSearchEnter(sender);
    if (plat::TFlatEdit* edit = AsEdit(sender))
        edit->OnKeyDown = [this](plat::TComponent* key, uint16_t& code, plat::TShiftState) {
            editSearchSearchKeyDown(key, code);
        };
}

void TfrmMainDLMR1::editSearchSearchExit(plat::TComponent* sender)
{
    editHeaderSearchExit(sender);
}

void TfrmMainDLMR1::editSearchSearchKeyDown(plat::TComponent* sender, uint16_t& key)
{
    // Enter on the page searches again, even for the same text.
    if (key == kVkReturn)
        ForgetLastSearchText();
    editHeaderSearchKeyDown(sender, key);
}

void TfrmMainDLMR1::mnuFindClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::mnuFindClick]", [&] {
        if (controlActive != kSearch)
            searchReturnPage = controlActive;
        const TNViewItem* from = View.GetComponentByHandle(sender);
        const bool fromHeader = NameIs(from, "btnHeaderFind") || NameIs(from, "editHeaderSearch");
        const bool fromPage = NameIs(from, "btnSearchFind") || NameIs(from, "editSearchSearch");
        const bool pageChanging = controlClickBusy != 0;
        plat::TFlatEdit* pageEdit = EditOf("editSearchSearch");
        if (fromHeader || fromPage) {
            plat::TFlatEdit* edit = fromHeader ? EditOf("editHeaderSearch") : pageEdit;
            if (edit == nullptr)
                return;
            const std::string text = TypedText(*edit);
            if (pageEdit != nullptr && pageEdit != edit) {
                pageEdit->SetText(text.empty() ? kPlaceholder : text);
                pageEdit->SetTag(text.empty() ? 0 : 1);
                pageEdit->Font().SetColor(text.empty() ? kPlaceholderGrey : plat::clBlack);
            }
            g.SetSearchText(TNString(text.c_str()));
            if (text.size() < kShortestSearch) {
                plat::MessageBox("Pro vyhledávání zadejte nejméně dva znaky.", "Hledání", plat::MB_ICONINFORMATION);
                if (!pageChanging)
                    edit->SetFocus();
                return;
            }
        } else if (pageEdit != nullptr && !pageChanging) {
            pageEdit->SetFocus();
        } else {
            timerFocus->SetTag(2);
            timerFocus->SetInterval(250);
            timerFocus->SetEnabled(true);
        }
        btnHeaderSearchClick();
        timerFocus->SetTag(2);
        timerFocus->SetInterval(50);
        timerFocus->SetEnabled(true);
    });
}

void TfrmMainDLMR1::btnHeaderSearchClick()
{
    Guarded("[TfrmMainDLMR1::btnHeaderSearchClick]", [&] {
        pages_->HideSideboard();
        gDesk->SetActivePage("Search");
        ControlButtonClick(nullptr);
    });
}

void TfrmMainDLMR1::btnSearchSearchClick()
{
    Guarded("[TfrmMainDLMR1::btnSearchSearchClick]", [&] {
        pages_->HideSideboard();
        plat::TFlatEdit* edit = EditOf("editSearchSearch");
        if (edit != nullptr && controlClickBusy == 0)
            edit->SetFocus();
    });
}

// The panel has no content yet, so it stays 0 x 0 where it is placed.
void TfrmMainDLMR1::ShowAndResizeSuggestorPanel()
{
    Guarded("[TfrmMainDLMR1::ShowAndResizeSuggestorPanel]", [&] {
        TNViewItem* item = View.GetComponent("editHeaderSearch");
        plat::TPanel* editPanel = item != nullptr ? item->Panel.Get() : nullptr;
        if (pSuggestor == nullptr || editPanel == nullptr || pHeader == nullptr)
            return;
        pSuggestor->SetBounds(0, pHeader->Top() + editPanel->Top() + editPanel->Height(), 0, 0);
        pSuggestor->BringToFront();
        LogText("[ShowAndResizeSuggestorPanel][BringToFront]");
    });
}

void TfrmMainDLMR1::HideSuggestorPanel()
{
    Guarded("[TfrmMainDLMR1::HideSuggestorPanel]", [&] {
        if (pSuggestor == nullptr)
            return;
        pSuggestor->SendToBack();
        pSuggestor->SetBounds(pSuggestor->Left(), pSuggestor->Top(), 0, 0);
    });
}

void TfrmMainDLMR1::timerSearchTimer()
{
    Guarded("[TfrmMainDLMR1::timerSearchTimer]", [&] {
        timerSearch->SetEnabled(false);
        if (timerSearch->Tag() == 1)
            pages_->UpdateSearch(1);
        timerSearch->SetTag(0);
    });
}
