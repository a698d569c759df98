// Clicks on record cards: selecting a task or a note, opening the side
// panel or the editor, and the card's popup menu.

#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/page_services.h"
#include "model/record.h"
#include "model/users_rights.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/panel.h"
#include "view/view.h"

#include <string>

namespace {

constexpr int32_t kTaskCard = 1;
constexpr int32_t kNoteCard = 2;
constexpr int32_t kOrganizerCard = 222;

int32_t CardAccount(const TNViewItem& card)
{
    if (card.pimSrvPos >= 0 && card.pimSrvPos < App.PimServersCount)
        return card.pimSrvPos;
    LogTextInt("[TfrmMainDLMR1::recordClick][ERROR] pim_srv_pos = ", card.pimSrvPos);
    return 0;
}

// Marks or unmarks a card and gives it the colours of that state.
void MarkCard(TNViewItem& card, bool selected)
{
    card.Selected = selected ? 1 : 0;
    card.SetRecordColorCombination(static_cast<int8_t>(card.ColorCombination), false, false);
}

// Whether the card lies in the list of that name.
bool CardLiesIn(const TNViewItem& card, const char* listName)
{
    for (const TNViewItem* parent = card.ParentItem; parent != nullptr; parent = parent->ParentItem) {
        if (parent->Name.Text != nullptr && std::string(parent->Name.Text) == listName)
            return true;
    }
    return false;
}

} // namespace

void TfrmMainDLMR1::recordClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::recordClick]", [&] {
        // 1. The card clicked.
        LogText("[TfrmMainDLMR1::recordClick][BEGIN] ===================================");
        TNViewItem* card = View.GetComponentByHandle(sender);
        if (card == nullptr)
            return;
        const int32_t account = CardAccount(*card);
        // 2. An organizer card opens its calendar or page.
        if (card->DisplayType == kOrganizerCard) {
            pages_->Pages_ShowCalendarOrPage(account, card->UIntValue);
            return;
        }
        // 3. The card's record.
        const uint32_t cardId = card->ComponentId;
        const uint32_t recordId = card->record_id;
        int32_t recordPos = -1;
        TNPIMRecord* record = GetRecordWithPos(account, recordId, recordPos);
        if (record == nullptr)
            return;
        // 4. The card's own elements (its check box, links) come first; what
        // they run may rebuild the list, so the card is looked up again.
        if (View.RecordMouseClick(card, record, sender))
            return;
        card = View.GetComponentById(cardId);
        record = GetRecordWithPos(account, recordId, recordPos);
        if (card == nullptr || record == nullptr)
            return;
        // 5. to 7. A task or a note is selected; anything else opens in the sideboard.
        if (card->DisplayType == kTaskCard)
            SelectTaskCard(*card, account);
        else if (card->DisplayType == kNoteCard)
            SelectNoteCard(*card, account);
        else
            pages_->OpenSideboard(recordId, account, true);
        // 8. Done.
        LogText("[TfrmMainDLMR1::recordClick][END] =====================================");
    });
}

void TfrmMainDLMR1::SelectTaskCard(TNViewItem& card, int32_t account)
{
    const uint32_t recordId = card.record_id;
    if (selectedTaskComponentId == card.ComponentId && selectedTaskRecordId == recordId &&
        selectedTaskPimSrvPos == account) {
        pages_->OpenSideboard(recordId, account, true);
        return;
    }
    btnESCClick();
    if (TNViewItem* previous = View.GetComponentById(selectedTaskComponentId))
        MarkCard(*previous, false);
    MarkCard(card, true);
    selectedTaskComponentId = card.ComponentId;
    selectedTaskRecordId = recordId;
    selectedTaskPimSrvPos = account;
    if (CardLiesIn(card, "scrollHpTasks"))
        pages_->ResizeHpTasks();
    else
        pages_->ResizeTasksComponents(1);
}

void TfrmMainDLMR1::SelectNoteCard(TNViewItem& card, int32_t account)
{
    const uint32_t cardId = card.ComponentId;
    const uint32_t recordId = card.record_id;
    for (int32_t i = 0; card.ParentItem != nullptr && i < card.ParentItem->ChildrenCount; ++i) {
        TNViewItem* sibling = card.ParentItem->Children[i];
        if (sibling != nullptr && sibling != &card && sibling->Type == cmpRecord && sibling->Selected == 1) {
            MarkCard(*sibling, false);
            if (plat::TPanel* panel = sibling->Panel.Get())
                View.ResizeRecord(sibling, panel->Left(), panel->Top(), panel->Width(), 0, true);
        }
    }
    if (recordId != shownNoteRecordId || account != shownNotePimSrvPos)
        pages_->ShowSelectedNote(recordId, account, 0, true);
    shownNoteRecordId = recordId;
    shownNotePimSrvPos = account;
    // Showing the note may have rebuilt the list.
    if (TNViewItem* still = View.GetComponentById(cardId))
        MarkCard(*still, true);
}

void TfrmMainDLMR1::recordDblClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::recordDblClick]", [&] {
        LogText("[TfrmMainDLMR1::recordDblClick][BEGIN]");
        TNViewItem* card = View.GetComponentByHandle(sender);
        if (card == nullptr)
            return;
        LogTextUInt("[recordDblClick] component->UIntValue = ", card->record_id);
        int32_t recordPos = -1;
        TNPIMRecord* record = GetRecordWithPos(CardAccount(*card), card->record_id, recordPos);
        if (record == nullptr) {
            if (App.IsDev != 0)
                plat::MessageBox(std::to_string(card->record_id) + " (This shows only if App.IsDev == true)",
                                 "recordDblClick", plat::MB_OK);
        } else if (const auto rights = record->GetUsersRights("recordDblClick");
                   rights != nullptr && rights->Role == 0) {
            pages_->OpenSideboard(record->ID, record->GetParentPIMPos(), true);
        } else {
            EditRecord(record, record->ParentID, 0, card, 0, 0);
        }
        LogText("[TfrmMainDLMR1::recordDblClick][END]");
    });
}

void TfrmMainDLMR1::recordMouseUp(plat::TComponent* sender, plat::TMouseButton button)
{
    Guarded("[TfrmMainDLMR1::recordMouseUp]", [&] {
        if (button != plat::TMouseButton::mbRight)
            return;
        btnESCClick();
        TNViewItem* card = View.GetComponentByHandle(sender);
        if (card == nullptr)
            return;
        const int32_t account = CardAccount(*card);
        int32_t recordPos = -1;
        TNPIMRecord* record = GetRecordWithPos(account, card->record_id, recordPos);
        if (record == nullptr)
            return;
        const uint32_t recordId = record->ID;
        popupRecord->SetTag(recordId);
        popupPimSrvPos = account;
        if (record->Type == rtNote) {
            pages_->ShowSelectedNote(recordId, account, 0, true);
            shownNoteRecordId = recordId;
            shownNotePimSrvPos = account;
        }
        const plat::TPoint at = plat::Mouse::CursorPos();
        popupRecord->Popup(at.x, at.y);
    });
}
