// The record card's popup menu, the importance menu and the day-box menu:
// status, importance, editing, deleting and opening a record on the web;
// the record editor's tag and sharing rows; and the pages' hooks.

#include "mainwindow/main_window.h"
#include "mainwindow/menu_items.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/record_file.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/page_services.h"
#include "mainwindow/record_rules.h"
#include "model/item_helpers.h"
#include "model/pim.h"
#include "model/records.h"
#include "model/users_rights.h"
#include "online/global.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menu.h"
#include "view/hooks.h"
#include "view/sharing_item.h"
#include "view/view.h"

#include <string>
#include <vector>

namespace {

constexpr int32_t kImportanceGroup = 4;
constexpr int32_t kStatusGroup = 5;

struct ImportanceChoice {
    const char* name;
    const char* caption;
    int32_t value;
};
constexpr ImportanceChoice kImportanceChoices[] = {
    {"pmnuImportance99", "Urgentní", 99},
    {"pmnuImportance10", "Důležité", 10},
    {"pmnuImportance0", "Normální důležitost", 0},
    {"pmnuImportanceMinus10", "Nedůležité", -10},
};

TfrmMainDLMR1* Main()
{
    return frmMainDLMR1;
}

plat::TMenuItem* AddSeparatorItem(plat::TComponent* owner, plat::TMenuItem* parent, const char* name)
{
    return AddMenuItem(owner, parent, name, "-");
}

plat::TMenuItem* AddRadioItem(plat::TComponent* owner, plat::TMenuItem* parent, const char* name, const char* caption,
                              int32_t group, std::function<void()> click)
{
    plat::TMenuItem* item = AddMenuItem(owner, parent, name, caption, std::move(click));
    item->SetRadioItem(true);
    item->SetGroupIndex(group);
    return item;
}

bool IsRecurring(const TNPIMRecord& record)
{
    return record.RecurrenceMasterID > 0 || record.RecurrenceFrequency != 0;
}

void ShowRecordNotFound()
{
    plat::MessageBox("Záznam, který chcete vymazat, se nepodařilo najít!\nJe možné, že byl vymazán jiným "
                     "uživatelem, který k tomu měl oprávnění.\n",
                     "Záznam nenalezen", plat::MB_ICONERROR);
}

// The first account (0, 1, ...) whose records hold the id; -1 when none.
int32_t AccountHolding(uint32_t recordId)
{
    for (int32_t pos = 0; pos < App.PimServersCount; ++pos) {
        if (PIM[pos] != nullptr && PIM[pos]->Records != nullptr && PIM[pos]->Records->GetRecordPosByID(recordId) >= 0)
            return pos;
    }
    return -1;
}

} // namespace

void TfrmMainDLMR1::CreateRecordMenus()
{
    popupRecord = new plat::TPopupMenu(this);
    popupRecord->SetName("popupRecord");
    popupRecord->OnPopup = [this](plat::TComponent*) { popupRecordPopup(); };
    plat::TMenuItem* items = popupRecord->Items();
    AddMenuItem(this, items, "pmnuRecordEdit", "Upravit...", [this] { pmnuRecordEditClick(); });
    AddMenuItem(this, items, "pmnuRecordAddSubrecord", "Nový podúkol...", [this] { pmnuRecordAddSubrecordClick(); });
    AddSeparatorItem(this, items, "pmnuRecordStatusSeparator");
    plat::TMenuItem* status = AddMenuItem(this, items, "pmnuRecordStatus", "Stav");
    AddRadioItem(this, status, "pmnuRecordStatusNone", "(žádný)", kStatusGroup,
                 [this] { pmnuRecordStatusNoneClick(); });
    AddRadioItem(this, status, "pmnuRecordStatusFinished", "Dokončeno", kStatusGroup,
                 [this] { pmnuRecordStatusFinishedClick(); });
    AddSeparatorItem(this, items, "pmnuRecordWebSeparator");
    AddMenuItem(this, items, "pmnuRecordOpenOnWeb", "Otevřít na webu...", [this] { pmnuRecordOpenOnWebClick(); });
    AddMenuItem(this, items, "pmnuRecordDelete", "Smazat...", [this] { pmnuRecordDeleteClick(); });

    popupRecordImportance = new plat::TPopupMenu(this);
    popupRecordImportance->SetName("popupRecordImportance");
    popupRecordImportance->OnPopup = [this](plat::TComponent*) { popupRecordImportancePopup(); };
    for (const ImportanceChoice& choice : kImportanceChoices) {
        const int32_t value = choice.value;
        AddRadioItem(
            this, popupRecordImportance->Items(), choice.name, choice.caption, kImportanceGroup, [this, value] {
                SetRecordImportance(popupPimSrvPos, static_cast<uint32_t>(popupRecordImportance->Tag()), value);
            });
    }

    popupDaybox = new plat::TPopupMenu(this);
    popupDaybox->SetName("popupDaybox");
    AddMenuItem(this, popupDaybox->Items(), "pmnuDayboxNewRecord", "Přidat něco do kalendáře...",
                [this] { pmnuDayboxNewRecordClick(); });
}

// ---------------------------------------------------------------------------
// Popups

void TfrmMainDLMR1::popupRecordPopup()
{
    Guarded("[TfrmMainDLMR1::popupRecordPopup]", [&] {
        int32_t recordPos = -1;
        TNPIMRecord* record = GetRecordWithPos(0, static_cast<uint32_t>(popupRecord->Tag()), recordPos);
        if (record == nullptr)
            return;
        const std::unique_ptr<TNUsersRights> rights = record->GetUsersRights("popupRecordPopup");
        const TNRecordMenuState state =
            RecordMenuState(record->Type, record->Finished, record->ParentID, rights != nullptr ? rights->Role : 0);
        if (state.UnknownStatus)
            LogTextInt("[TfrmMainDLMR1::popupRecordPopup][ERROR] Unhandled value for status! record->Finished = ",
                       record->Finished);
        plat::TMenuItem* none = popupRecord->FindByName("pmnuRecordStatusNone");
        plat::TMenuItem* finished = popupRecord->FindByName("pmnuRecordStatusFinished");
        none->SetEnabled(state.StatusEnabled);
        finished->SetEnabled(state.StatusEnabled);
        none->SetChecked(state.NoneChecked);
        finished->SetChecked(state.FinishedChecked);
        popupRecord->FindByName("pmnuRecordDelete")->SetEnabled(state.DeleteEnabled);
        popupRecord->FindByName("pmnuRecordStatus")->SetVisible(state.StatusShown);
        popupRecord->FindByName("pmnuRecordStatusSeparator")->SetVisible(state.StatusShown);
        plat::TMenuItem* addSubrecord = popupRecord->FindByName("pmnuRecordAddSubrecord");
        addSubrecord->SetVisible(state.AddSubrecordShown);
        addSubrecord->SetEnabled(state.AddSubrecordEnabled);
    });
}

void TfrmMainDLMR1::popupRecordImportancePopup()
{
    Guarded("[TfrmMainDLMR1::popupRecordImportancePopup]", [&] {
        int32_t recordPos = -1;
        const TNPIMRecord* record =
            GetRecordWithPos(popupPimSrvPos, static_cast<uint32_t>(popupRecordImportance->Tag()), recordPos);
        if (record != nullptr)
            popupRecordImportance->FindByName(ImportanceMenuItemName(record->Importance))->SetChecked(true);
    });
}

// ---------------------------------------------------------------------------
// Status and importance: the calling order of every commit

bool TfrmMainDLMR1::CommitRecordChange(int32_t pim_srv_pos, uint32_t recordId, const char* lockCaller,
                                       const char* syncCaller, const std::function<void(TNPIMRecord&)>& change)
{
    {
        // 1. to 4. The record is looked up under the lock, so no pass
        // replaces it between the look-up and the change.
        const TNUiJobLock lock = g.WaitUntilSyncJobIsDone(lockCaller, 1);
        int32_t recordPos = -1;
        TNPIMRecord* record = GetRecordWithPos(pim_srv_pos, recordId, recordPos);
        if (record == nullptr)
            return false;
        change(*record);
        ChangedRecordSaveSequence(pim_srv_pos, record, recordPos);
    }
    // 5. and 6. The change goes up, and the views show it.
    g.FastSync(syncCaller);
    g.SetUpdateUiTag(__uiUpdateShownData, 0);
    return true;
}

void TfrmMainDLMR1::CommitRecordStatus(int32_t finished, const char* itemName, const char* lockCaller,
                                       const char* syncCaller)
{
    // The popup account's own record: two accounts following one organizer
    // hold the same id.
    CommitRecordChange(popupPimSrvPos, static_cast<uint32_t>(popupRecord->Tag()), lockCaller, syncCaller,
                       [&](TNPIMRecord& record) {
                           popupRecord->FindByName(itemName)->SetChecked(true);
                           record.Finished = finished;
                           record.FinishedTime = finished != 0 ? TNLocalClock::Now32() : 0;
                       });
}

void TfrmMainDLMR1::pmnuRecordStatusNoneClick()
{
    Guarded("[TfrmMainDLMR1::pmnuRecordStatusNoneClick]", [&] {
        CommitRecordStatus(0, "pmnuRecordStatusNone", "[TfrmUnidlgDLMR1::pmnuRecordStatusNoneClick]",
                           "pmnuRecordStatusNoneClick");
    });
}

void TfrmMainDLMR1::pmnuRecordStatusFinishedClick()
{
    Guarded("[TfrmMainDLMR1::pmnuRecordStatusFinishedClick]", [&] {
        CommitRecordStatus(1, "pmnuRecordStatusFinished", "[TfrmUnidlgDLMR1::pmnuRecordStatusFinishedClick]",
                           "pmnuRecordStatusFinishedClick");
    });
}

void TfrmMainDLMR1::SetRecordImportance(int32_t pim_srv_pos, uint32_t recordId, int32_t importance)
{
    Guarded("[TfrmMainDLMR1::SetRecordImportance]", [&] {
        CommitRecordChange(pim_srv_pos, recordId, "[TNView::RecordLinkClick]", "SetRecordImportance",
                           [&](TNPIMRecord& record) { record.Importance = importance; });
    });
}

// ---------------------------------------------------------------------------
// Editing, deleting and the web

void TfrmMainDLMR1::pmnuRecordEditClick()
{
    Guarded("[TfrmMainDLMR1::pmnuRecordEditClick]", [&] {
        int32_t recordPos = -1;
        if (TNPIMRecord* record = GetRecordWithPos(static_cast<uint32_t>(popupRecord->Tag()), recordPos))
            EditRecord(record, 0, 0, nullptr, 0, 0);
    });
}

void TfrmMainDLMR1::pmnuRecordAddSubrecordClick()
{
    Guarded("[TfrmMainDLMR1::pmnuRecordAddSubrecordClick]", [&] {
        int32_t recordPos = -1;
        if (const TNPIMRecord* record = GetRecordWithPos(static_cast<uint32_t>(popupRecord->Tag()), recordPos))
            EditRecord(nullptr, record->ID, 0, nullptr, 0, 0);
    });
}

bool TfrmMainDLMR1::DeleteRecordById(uint32_t recordID, bool askFirst, plat::TForm* ownerForm, int32_t pim_srv_pos)
{
    return Guarded("[TfrmMainDLMR1::DeleteRecordById]", false, [&] {
        // 1. The record and the account holding it.
        const int32_t account =
            pim_srv_pos >= 0 && pim_srv_pos < App.PimServersCount ? pim_srv_pos : AccountHolding(recordID);
        int32_t recordPos = -1;
        const TNPIMRecord* found = GetRecordWithPos(account, recordID, recordPos);
        if (found == nullptr) {
            ShowRecordNotFound();
            return false;
        }
        // 2. A recurring record asks what to delete.
        if (IsRecurring(*found)) {
            UniDialog("DeleteRecurringRecord", ownerForm, static_cast<int32_t>(recordID), 0, 0, 0, 0, 0, 0, 0);
            return true;
        }
        // 3. Asked first when the caller wants it.
        if (askFirst && plat::MessageBox("Opravdu si přejete smazat tento záznam?", "Smazat záznam",
                                         plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES)
            return false;
        // 4. Looked up again under the lock: the question's loop may have
        // let a pass change the list.
        const TNUiJobLock lock = g.WaitUntilSyncJobIsDone("[TfrmMainDLMR1::DeleteRecordById]", 1);
        TNPIMRecord* record = GetRecordWithPos(account, recordID, recordPos);
        if (record == nullptr)
            return false;
        TNPIM& set = *PIM[account];
        record->DeleteRecordFromAllDays();
        const uint32_t now = TNLocalClock::Now32();
        record->Changed = now;
        record->Deleted = now;
        record->PleaseSync = true;
        // The yearly copies would still be found by a search.
        set.Records->DeleteVirtuals(recordPos);
        pimDataReceived = true;
        g.pleaseSavePIM = 1;
        QueueForSave(set.RecordFileSlot(), raftRecord, record->ID, recordPos, record->Deleted, true);
        return true;
    });
}

void TfrmMainDLMR1::pmnuRecordDeleteClick()
{
    Guarded("[TfrmMainDLMR1::pmnuRecordDeleteClick]", [&] {
        if (!DeleteRecordById(static_cast<uint32_t>(popupRecord->Tag()), true, this, -1))
            return;
        g.FastSync("pmnuRecordDeleteClick");
        g.SetUpdateUiTag(__uiUpdateShownData, 0);
        if (controlActive == kNotes)
            pages_->RunCommand(TNPageCommand::btnNotesListAddClick);
        g.SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
    });
}

bool TfrmMainDLMR1::DeleteRecurringRecordById(uint32_t recordID, int32_t what)
{
    return Guarded("[TfrmMainDLMR1::DeleteRecurringRecordById]", false, [&] {
        const int32_t account = AccountHolding(recordID);
        int32_t recordPos = -1;
        const TNPIMRecord* record = GetRecordWithPos(account, recordID, recordPos);
        if (record == nullptr) {
            ShowRecordNotFound();
            return false;
        }
        if (!IsRecurring(*record)) {
            LogText("[TfrmMainDLMR1::DeleteRecurringRecordById][NO_RECURRING_RECORD] "
                    "if(PIM[pim_srv_pos]->Records->Items[record_pos]->RecurrenceMasterID > 0 || "
                    "PIM[pim_srv_pos]->Records->Items[record_pos]->RecurrenceFrequency != 0)");
            return true;
        }
        TNPageJob job;
        job.Tag = 5;
        job.RecordID = recordID;
        job.Value = what;
        job.pim_srv_pos = account;
        RunPageJob(job);
        return true;
    });
}

void TfrmMainDLMR1::pmnuRecordOpenOnWebClick()
{
    Guarded("[TfrmMainDLMR1::pmnuRecordOpenOnWebClick]", [&] {
        int32_t recordPos = -1;
        const TNPIMRecord* record = GetRecordWithPos(static_cast<uint32_t>(popupRecord->Tag()), recordPos);
        if (record == nullptr)
            return;
        const int32_t account = record->GetParentPIMPos();
        const TNPIMOrganizer* organizer =
            PIM[account] != nullptr ? PIM[account]->Organizers.GetOrganizerByID(record->OrganizerID) : nullptr;
        const std::string_view webName = organizer != nullptr ? organizer->Name.View() : std::string_view();
        const std::string address = RecordWebAddress(App.WebProtocol[account], App.WebDomain[account], webName,
                                                     record->OrganizerID, record->ID);
        c.OpenUrl(address.c_str());
    });
}

// ---------------------------------------------------------------------------
// The record editor's tag and sharing rows

namespace {

// The account's live tags in list order, after the "no tag" row (id 0).
struct TagRow {
    uint32_t ID = 0;
    std::string Title;
};
std::vector<TagRow> TagRows(const TNPIM* set)
{
    std::vector<TagRow> rows{{0, "Bez štítku"}};
    for (int32_t i = 0; set != nullptr && i < set->Tags.Count; ++i) {
        const TNPIMTag* tag = set->Tags.Items[i];
        if (tag != nullptr && tag->Deleted == 0)
            rows.push_back({tag->ID, std::string(tag->Title.View())});
    }
    return rows;
}

int32_t RowOf(const std::vector<TagRow>& rows, uint32_t id)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].ID == id)
            return static_cast<int32_t>(i);
    }
    return -1;
}

} // namespace

void TfrmMainDLMR1::AddTagFromEditRecordDialog()
{
    Guarded("[TfrmMainDLMR1::AddTagFromEditRecordDialog]", [&] {
        TNViewItem* combo = View.GetComponent("select3Tag");
        if (combo == nullptr)
            return;
        const uint32_t comboId = combo->ComponentId;
        const int32_t account = combo->pimSrvPos >= 0 && combo->pimSrvPos < App.PimServersCount ? combo->pimSrvPos : 0;
        const std::vector<TagRow> before = TagRows(PIM[account]);
        const plat::TComboBox* box = combo->Combos[0].Get();
        const int32_t selectedRow = box != nullptr ? box->ItemIndex() : -1;
        const uint32_t selectedTag = selectedRow >= 0 && selectedRow < static_cast<int32_t>(before.size())
                                         ? before[static_cast<size_t>(selectedRow)].ID
                                         : 0;

        UniDialog("EditTag", this, 0, 0, 0, 0, 0, 0, 0, 0);

        // The dialog's loop may have closed the editor.
        combo = View.GetComponentById(comboId);
        if (combo == nullptr)
            return;
        const std::vector<TagRow> after = TagRows(PIM[account]);
        combo->ClearComboItems();
        for (const TagRow& row : after)
            combo->AddComboItem(row.Title.c_str());
        // The tag the dialog added, else the one selected before.
        int32_t row = -1;
        for (size_t i = 1; i < after.size() && row < 0; ++i) {
            if (RowOf(before, after[i].ID) < 0)
                row = static_cast<int32_t>(i);
        }
        if (row < 0)
            row = selectedRow >= 0 ? RowOf(after, selectedTag) : -1;
        if (row >= 0)
            combo->SetSafeItemIndex(row);
    });
}

void TfrmMainDLMR1::RemoveSharingItem(int32_t position)
{
    Guarded("[TfrmMainDLMR1::RemoveSharingItem]", [&] {
        TNViewItem* list = View.GetComponent("btn3Sharing");
        if (list == nullptr || position < 0 || position >= list->SharingItemsCount ||
            list->SharingItems[position] == nullptr)
            return;
        const TNViewSharingItem& row = *list->SharingItems[position];
        const int32_t slot = list->FormTag;
        TNUniDialogForm* dialog = slot >= 0 && slot < kUniDialogSlots ? frmUnidlgDLMR1[slot] : nullptr;
        if (dialog == nullptr || !dialog->RemoveFromShareWith(row.ObjectKind, row.ObjectId))
            return;
        TNView::ResetSharingItems(View, list);
        ViewDialog::FormResize();
    });
}

// ---------------------------------------------------------------------------
// Hooks of the view into the pages

void TfrmMainDLMR1::InstallPagesHooks()
{
    ViewMainHooks.EditRecord = [](TNPIMRecord* record, uint32_t parentId, TNViewItem* origin) {
        if (TfrmMainDLMR1* form = Main())
            form->EditRecord(record, parentId, 0, origin, 0, 0);
    };
    // A card's detail link and the bell: the panel for the first account
    // holding the id; both callers mean "open".
    ViewMainHooks.OpenSideboard = [](uint32_t id, int32_t) {
        TfrmMainDLMR1* form = Main();
        const int32_t account = AccountHolding(id);
        if (form != nullptr && account >= 0)
            form->Pages().OpenSideboard(id, account, true);
    };
    ViewMainHooks.DeleteRecordById = [](uint32_t id, int32_t pimPos) {
        TfrmMainDLMR1* form = Main();
        return form != nullptr && form->DeleteRecordById(id, true, form, pimPos);
    };
    ViewMainHooks.ChangedRecordSaveSequence = [](int32_t pimPos, TNPIMRecord* record, const char*) {
        TfrmMainDLMR1* form = Main();
        int32_t recordPos = -1;
        if (form == nullptr || record == nullptr || form->GetRecordWithPos(pimPos, record->ID, recordPos) == nullptr)
            return false;
        form->ChangedRecordSaveSequence(pimPos, record, recordPos);
        return true;
    };
    ViewMainHooks.AddTagFromEditRecordDialog = [] {
        if (TfrmMainDLMR1* form = Main())
            form->AddTagFromEditRecordDialog();
    };
    ViewMainHooks.RemoveSharingItem = [](int32_t position) {
        if (TfrmMainDLMR1* form = Main())
            form->RemoveSharingItem(position);
    };
    ViewMainHooks.recordClick = [](plat::TComponent* sender) {
        if (TfrmMainDLMR1* form = Main())
            form->recordClick(sender);
    };
    ViewMainHooks.recordDblClick = [](plat::TComponent* sender) {
        if (TfrmMainDLMR1* form = Main())
            form->recordDblClick(sender);
    };
    ViewMainHooks.recordMouseUp = [](plat::TComponent* sender, int32_t button, uint32_t, int32_t, int32_t) {
        if (TfrmMainDLMR1* form = Main())
            form->recordMouseUp(sender, static_cast<plat::TMouseButton>(button));
    };
    ViewMainHooks.popupDaybox = []() -> plat::TComponent* { return Main() != nullptr ? Main()->popupDaybox : nullptr; };
    ViewMainHooks.popupRecordImportance = []() -> plat::TComponent* {
        return Main() != nullptr ? Main()->popupRecordImportance : nullptr;
    };
    ViewMainHooks.SetRecordImportancePimPos = [](int32_t pimPos) {
        if (TfrmMainDLMR1* form = Main())
            form->popupPimSrvPos = pimPos;
    };
}

void TfrmMainDLMR1::RemovePagesHooks()
{
    ViewMainHooks.EditRecord = nullptr;
    ViewMainHooks.OpenSideboard = nullptr;
    ViewMainHooks.DeleteRecordById = nullptr;
    ViewMainHooks.ChangedRecordSaveSequence = nullptr;
    ViewMainHooks.AddTagFromEditRecordDialog = nullptr;
    ViewMainHooks.RemoveSharingItem = nullptr;
    ViewMainHooks.recordClick = nullptr;
    ViewMainHooks.recordDblClick = nullptr;
    ViewMainHooks.recordMouseUp = nullptr;
    ViewMainHooks.popupDaybox = nullptr;
    ViewMainHooks.popupRecordImportance = nullptr;
    ViewMainHooks.SetRecordImportancePimPos = nullptr;
}
