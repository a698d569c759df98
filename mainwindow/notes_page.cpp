// The Notes page: the note list of one selection, the editor that saves a
// second after the last keystroke, and the save both note editors share.

#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "mainwindow/main_window.h"
#include "mainwindow/menu_items.h"
#include "mainwindow/page_lists.h"
#include "mainwindow/page_services.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "model/tags.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/menu.h"
#include "platform/gui/mouse.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kNotesList = "scrollNotesList";
constexpr const char* kNoteBox = "scrollNotesNote";
constexpr const char* kNotesMemo = "memoNotesNote";
constexpr const char* kHomeMemo = "memoHpNote";
constexpr const char* kListTitle = "scrollNotesListToolbar_SelectedTagTitle";
constexpr const char* kNoteTitle = "scrollNotesNoteToolbar_SelectedNoteTitle";
constexpr const char* kNewNoteTitle = "Nová poznámka";
constexpr plat::TColor kTitleText = 0xFFFFFF;
constexpr plat::TColor kTitleBack = 0x808080;
// The save timer's Tag: which editor waits.
constexpr int64_t kNotesMemoWaits = 1;
constexpr int64_t kHomeMemoWaits = 2;
constexpr int64_t kMemoBlocked = 99;

struct SpecialNotes {
    const char* menuName;
    const char* settingName;
    uint32_t id;
    const char* caption;
};

constexpr SpecialNotes kSpecials[] = {
    {"pmnuNotesTags_Scheduled", "btnNotesTags_Scheduled", TNPIM::kTagScheduled, "Naplánované poznámky"},
    {"pmnuNotesTags_Important", "btnNotesTags_Important", TNPIM::kTagImportant, "Důležité poznámky"},
    {"pmnuNotesTags_AllNotes", "btnNotesTags_AllNotes", TNPIM::kTagAll, "Všechny poznámky"},
    {"pmnuNotesTags_WithoutTag", "btnNotesTags_WithoutTag", TNPIM::kTagWithout, "Poznámky bez štítku"},
};

const SpecialNotes* SpecialOf(uint32_t id)
{
    for (const SpecialNotes& special : kSpecials) {
        if (special.id == id)
            return &special;
    }
    return nullptr;
}

bool IsRealTag(uint32_t id)
{
    return id != 0 && id < TNPIM::kTagWithout - 1;
}

bool AccountExists(int32_t pimSrvPos)
{
    return pimSrvPos >= 0 && pimSrvPos < PIM.Count() && PIM[pimSrvPos] != nullptr;
}

// The notes mark of a tag, queued for saving; never a sync.
void SetNotesMark(int32_t pimSrvPos, uint32_t id, bool selected)
{
    if (!AccountExists(pimSrvPos))
        return;
    TNModelWriteGuard writeGuard;
    TNPIMTags& tags = PIM[pimSrvPos]->Tags;
    const int32_t pos = tags.GetTagPosByID(id);
    if (pos >= 0 && tags.Items[pos] != nullptr) {
        tags.Items[pos]->SelectedOnNotesPage = selected;
        tags.QueueForSave(pos);
    }
}

void MarkSelection(uint32_t id, int32_t pimSrvPos, bool selected)
{
    if (const SpecialNotes* special = SpecialOf(id))
        Setup.SetValue(special->settingName, selected ? 1 : 0, TNSetupItem::kBool);
    else if (IsRealTag(id))
        SetNotesMark(pimSrvPos, id, selected);
}

// The selection the settings and the tags' notes marks hold.
TNSelectionCandidate StoredNotesSelection()
{
    std::vector<TNSelectionCandidate> candidates;
    for (const SpecialNotes& special : kSpecials)
        candidates.push_back({special.id, 0, Setup.GetBool(special.settingName)});
    AppendTagCandidates(candidates, &TNPIMTag::SelectedOnNotesPage);
    return RestoredSelection(candidates);
}

// The title of the list: a real tag's of the selected store, else the
// special's caption.
std::string NotesListTitle(uint32_t id, int32_t pimSrvPos)
{
    if (IsRealTag(id) && AccountExists(pimSrvPos)) {
        TNModelReadGuard readGuard;
        const TNPIMTag* tag = PIM[pimSrvPos]->Tags.GetTagByID(id);
        if (tag != nullptr && tag->Deleted == 0)
            return tag->Title.Text != nullptr ? tag->Title.Text : "";
    }
    const SpecialNotes* special = SpecialOf(id);
    return special != nullptr ? special->caption : "";
}

TNViewItem* MemoItemOf(int32_t origin)
{
    return View.GetComponent(origin == 1 ? kHomeMemo : kNotesMemo);
}

void ResizeNoteBody(TNViewItem* box, int32_t* width, int32_t* height)
{
    if (box == nullptr || width == nullptr || height == nullptr)
        return;
    if (TNViewItem* memo = View.GetComponent(kNotesMemo))
        View.ResizeComponent(memo, 0, 0, *width, *height, true);
}

} // namespace

// ---------------------------------------------------------------------------
// Building and layout

void TfrmMainDLMR1::CreateNotesComponents()
{
    Guarded("[TfrmMainDLMR1::CreateNotesComponents]", [&] {
        if (pNotesDesk == nullptr || gDesk == nullptr || View.GetComponent(kNotesList) != nullptr)
            return;
        pNotesDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        if (notesToolbar_.Get() == nullptr)
            notesToolbar_ = MakePageStrip(*this, pNotesDesk, "pNotesToolbar");

        TNViewItem* list =
            View.CreateComponent(cmpScrollbox, kNotesList, this, pNotesDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        if (list != nullptr) {
            list->ListKind = 2;
            BindRecordsListCallbacks(list);
            if (TNViewItem* bar = AddPageListHead(*this, list)) {
                if (TNViewItem* title =
                        AddPageHeadButton(bar, "SelectedTagTitle", "Všechny poznámky", nullptr, false)) {
                    if (plat::TLabel* control = title->TitleLabel.Get())
                        control->OnMouseDown = [this](plat::TComponent* sender, plat::TMouseButton button,
                                                      plat::TShiftState, int,
                                                      int) { btnNotesListTagsMouseDown(sender, button); };
                }
                if (TNViewItem* add = AddPageHeadButton(bar, "Add", "", "imgAdd", true)) {
                    if (plat::TLabel* control = add->TitleLabel.Get())
                        control->OnClick = [this](plat::TComponent*) { btnNotesListAddClick(); };
                }
            }
            CreateRecordsPool(list);
        }

        TNViewItem* box =
            View.CreateComponent(cmpScrollbox, kNoteBox, this, pNotesDesk, 0, "", 1, -1, nullptr, nullptr, 3);
        if (box != nullptr) {
            box->OnContentResize = ResizeNoteBody;
            if (TNViewItem* bar = AddPageListHead(*this, box)) {
                AddPageHeadButton(bar, "SelectedNoteTitle", kNewNoteTitle, nullptr, false);
                if (TNViewItem* menu = AddPageHeadButton(bar, "Menu", "", "imgMenu", true)) {
                    if (plat::TLabel* control = menu->TitleLabel.Get())
                        control->OnMouseDown = [this](plat::TComponent* sender, plat::TMouseButton button,
                                                      plat::TShiftState, int,
                                                      int) { btnNotesNoteMenuMouseDown(sender, button); };
                }
            }
            TNViewInner* inner = View.GetActiveInner(box);
            TNViewItem* memo =
                View.CreateComponent(cmpMemo, kNotesMemo, this, inner != nullptr ? inner->ContentPanel.Get() : nullptr,
                                     0, "", 1, -1, nullptr, box, 3);
            if (memo != nullptr && memo->Memo.Get() != nullptr)
                memo->Memo.Get()->OnChange = [this](plat::TComponent*) { NoteMemoChange(2); };
        }
        LogText("TfrmMainDLMR1::CreateNotesComponents_A");
        ResizeNotesComponents();
    });
}

void TfrmMainDLMR1::ResizeNotesComponents()
{
    Guarded("[TfrmMainDLMR1::ResizeNotesComponents]", [&] {
        LogText("[ResizeNotesComponents][BEGIN]");
        if (pNotesDesk == nullptr || gDesk == nullptr)
            return;
        pNotesDesk->SetBounds(0, 0, gDesk->Width(), gDesk->Height());
        int32_t height = pNotesDesk->ClientHeight();
        int32_t top = 0;
        if (plat::TPanel* strip = notesToolbar_.Get()) {
            strip->SetWidth(pNotesDesk->ClientWidth());
            top = strip->Height();
            height -= top;
        }
        if (TNViewItem* list = View.GetComponent(kNotesList))
            View.ResizeScrollbox(list, 0, top, kTagColumnWidth, height, false, 1, 0,
                                 "TfrmMainDLMR1::ResizeNotesComponents_A");
        if (TNViewItem* box = View.GetComponent(kNoteBox)) {
            const int32_t left = kTagColumnWidth + kPageColumnGap;
            View.ResizeScrollbox(box, left, top, gDesk->Width() - left, height, false, 1, 0,
                                 "TfrmMainDLMR1::ResizeNotesComponents_B");
        }
        LogText("[ResizeNotesComponents][END]");
    });
}

// ---------------------------------------------------------------------------
// The selection menu

void TfrmMainDLMR1::UpdateNotes()
{
    Guarded("[TfrmMainDLMR1::UpdateNotes]", [&] {
        if (timerNotesAfterTagSelect == nullptr || timerNotesAfterTagSelect->Enabled())
            return;
        TNViewItem* list = View.GetComponent(kNotesList);
        const uint32_t id = list != nullptr ? list->UIntValue : 0;
        LogTextUInt("[TfrmMainDLMR1::UpdateNotes][BEGIN] scrollNotesList->UIntValue = ", id);
        timerNotesAfterTagSelect->SetTag(id);
        timerNotesAfterTagSelect->SetEnabled(true);
    });
}

void TfrmMainDLMR1::btnNotesListTagsMouseDown(plat::TComponent*, plat::TMouseButton button)
{
    Guarded("[TfrmMainDLMR1::btnNotesListTagsMouseDown]", [&] {
        btnESCClick();
        if (button != plat::TMouseButton::mbLeft)
            return;
        TNViewItem* list = View.GetComponent(kNotesList);
        const uint32_t current = list != nullptr ? list->UIntValue : 0;
        const int32_t currentPos = list != nullptr ? list->pimSrvPos : 0;
        plat::TMenuItem* items = popupNotesTagsMenuButton->Items();
        items->Clear();
        const auto add = [&](const std::string& name, const std::string& caption, uint32_t id, bool checked) {
            plat::TMenuItem* item = AddMenuItem(this, items, name.c_str(), caption);
            item->SetTag(id);
            item->SetChecked(checked);
            item->OnClick = [this](plat::TComponent* sender) {
                if (auto* clicked = dynamic_cast<plat::TMenuItem*>(sender))
                    btnNotesTagsClick(*clicked);
            };
        };
        for (const SpecialNotes& special : kSpecials)
            add(special.menuName, special.caption, special.id, special.id == current);
        struct TagShape {
            int32_t pos;
            uint32_t id;
            std::string title;
        };
        std::vector<TagShape> tags;
        {
            TNModelReadGuard readGuard;
            for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
                if (PIM[pos] == nullptr)
                    continue;
                const TNPIMTags& list = PIM[pos]->Tags;
                for (int32_t i = 0; i < list.Count; ++i) {
                    const TNPIMTag* tag = list.Items[i];
                    if (tag != nullptr && tag->Deleted == 0)
                        tags.push_back({pos, tag->ID, tag->Title.Text != nullptr ? tag->Title.Text : ""});
                }
            }
        }
        for (const TagShape& tag : tags) {
            char name[64];
            std::snprintf(name, sizeof name, "pmnuNotesTags%u_%d", tag.id, tag.pos);
            add(name, tag.title, tag.id, tag.id == current && tag.pos == currentPos);
        }
        const plat::TPoint at = plat::Mouse::CursorPos();
        popupNotesTagsMenuButton->Popup(at.x, at.y);
    });
}

void TfrmMainDLMR1::btnNotesTagsClick(plat::TMenuItem& item)
{
    Guarded("[TfrmMainDLMR1::btnNotesTagsClick]", [&] {
        if (item.Checked())
            return;
        TNViewItem* list = View.GetComponent(kNotesList);
        if (list == nullptr)
            return;
        const auto id = static_cast<uint32_t>(item.Tag());
        int32_t pimSrvPos = 0;
        if (IsRealTag(id)) {
            const std::string name = item.Name();
            const size_t underscore = name.rfind('_');
            if (underscore == std::string::npos || underscore + 1 >= name.size()) {
                LogText("[TfrmMainDLMR1::btnNotesTagsClick][ERROR] MenuItem name too short!");
                return;
            }
            pimSrvPos = std::atoi(name.c_str() + underscore + 1);
        }
        MarkSelection(list->UIntValue, list->pimSrvPos, false);
        MarkSelection(id, pimSrvPos, true);
        item.SetChecked(true);
        list->UIntValue = id;
        list->pimSrvPos = pimSrvPos;
        UpdateNotes();
    });
}

// ---------------------------------------------------------------------------
// The list fill

void TfrmMainDLMR1::timerNotesAfterTagSelectTimer()
{
    if (notesFillRunning_)
        return;
    if (!g.ActiveUserExists()) {
        timerNotesAfterTagSelect->SetEnabled(false);
        LogText("[timerNotesAfterTagSelectTimer][ERROR] ActiveUserExists() = false");
        return;
    }
    notesFillRunning_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{notesFillRunning_};
    Guarded("[TfrmMainDLMR1::timerNotesAfterTagSelectTimer]", [&] {
        timerNotesAfterTagSelect->SetEnabled(false);
        LogText("[timerNotesAfterTagSelectTimer][BEGIN]");
        TNViewItem* list = View.GetComponent(kNotesList);
        TNViewInner* inner = list != nullptr ? View.GetActiveInner(list) : nullptr;
        if (inner == nullptr)
            return;
        // What was typed is stored before the editor is shown anew.
        FlushPendingNoteSave();
        TNViewItem* memo = View.GetComponent(kNotesMemo);
        plat::TRichEdit* memoControl = memo != nullptr ? memo->Memo.Get() : nullptr;
        if (memoControl != nullptr)
            memoControl->SetTag(kMemoBlocked);

        auto id = static_cast<uint32_t>(timerNotesAfterTagSelect->Tag());
        int32_t pimSrvPos = list->pimSrvPos;
        if (id == 0) {
            const TNSelectionCandidate restored = StoredNotesSelection();
            id = restored.Id;
            pimSrvPos = restored.PimSrvPos;
            list->UIntValue = id;
            list->pimSrvPos = pimSrvPos;
        }
        TNPIMRecordList result;
        int32_t count = 0;
        {
            TNModelReadGuard readGuard;
            const bool showHidden = Setup.GetBool("Settings_ShowHiddenRecords");
            for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
                if (PIM[pos] != nullptr)
                    PIM[pos]->GetRecordsWithTag(id, rtNote, showHidden, &count, &result, 0);
            }
        }
        TNPIM::SortRecords_Default(&result, &count, 0);

        // The first fill leaves no selection behind: a note shown before it
        // (a note opened from elsewhere) stays.
        const bool idChanged = notesListShown_ && id != notesShownId_;
        const bool pointersCurrent = inner->DataGeneration == TNView::ShownDataGeneration();
        const bool reload = !pointersCurrent || RecordListNeedsReload(notesListShown_ ? &notesShownRows_ : nullptr,
                                                                      notesShownId_, result, count, id);
        if (idChanged) {
            shownNoteRecordId = 0;
            shownNotePimSrvPos = 0;
        }
        if (reload) {
            lastSavedNoteId = 0;
            if (idChanged && !noteSaveInProgress) {
                View.ScrollScrollboxTo(list, 0);
                if (memo != nullptr)
                    memo->UIntValue = 0;
            }
            SetListRecords(list, result, count);
            if (TNViewItem* title = View.GetComponent(kListTitle))
                View.SetButtonTitle(title, NotesListTitle(id, pimSrvPos).c_str(), "", kTitleText, kTitleBack, false,
                                    true);
            notesShownRows_ = ShownRowsOf(result, count);
            notesShownId_ = id;
            notesListShown_ = true;
            if (memo != nullptr && memo->UIntValue == 0 && controlActive == kNotes) {
                LogText("[timerNotesAfterTagSelectTimer] Calling btnNotesListAddClick...");
                btnNotesListAddClick();
                if (memoControl != nullptr)
                    memoControl->SetTag(kMemoBlocked);
            }
            noteSaveInProgress = false;
            PaintRecordsComponentsList(list, false, "TfrmMainDLMR1::timerTasksAfterTagSelectTimer_B", false);
        }
        noteSaveInProgress = false;
        if (memoControl != nullptr)
            memoControl->SetTag(0);

        int32_t recordPos = -1;
        TNPIMRecord* pending = nullptr;
        if (pendingNoteToOpenId != 0 && AccountExists(pendingNoteToOpenPimSrvPos))
            pending = GetRecordWithPos(pendingNoteToOpenPimSrvPos, pendingNoteToOpenId, recordPos);
        if (pending != nullptr) {
            pages_->HideSideboard();
            ShowSelectedNote(pending, 0, false);
            pendingNoteToOpenId = 0;
            pendingNoteToOpenPimSrvPos = -1;
        } else if (memo != nullptr && memo->UIntValue != 0) {
            if (TNPIMRecord* shown = GetRecordWithPos(memo->pimSrvPos, memo->UIntValue, recordPos))
                ShowSelectedNote(shown, 0, false);
        }
        LogText("[timerNotesAfterTagSelectTimer][END]");
    });
}

// ---------------------------------------------------------------------------
// The editor and its save

void TfrmMainDLMR1::NoteMemoChange(int32_t origin)
{
    Guarded("[TfrmMainDLMR1::memoNotesNoteChange]", [&] {
        TNViewItem* memo = MemoItemOf(origin);
        plat::TRichEdit* control = memo != nullptr ? memo->Memo.Get() : nullptr;
        if (control == nullptr || timerNotesSaveEditedNote == nullptr)
            return;
        const int64_t waits = origin == 1 ? kHomeMemoWaits : kNotesMemoWaits;
        // One timer serves both editors: the other one's edit is stored
        // before this one takes the timer.
        if (control->Tag() == 0 && timerNotesSaveEditedNote->Enabled() && timerNotesSaveEditedNote->Tag() != waits)
            FlushPendingNoteSave();
        timerNotesSaveEditedNote->SetEnabled(false);
        if (control->Tag() == 0) {
            timerNotesSaveEditedNote->SetTag(waits);
            timerNotesSaveEditedNote->SetEnabled(true);
        }
        if (control->Tag() != kMemoBlocked)
            control->SetTag(0);
    });
}

void TfrmMainDLMR1::timerNotesSaveEditedNoteTimer()
{
    timerNotesSaveEditedNote->SetEnabled(false);
    const int64_t waits = timerNotesSaveEditedNote->Tag();
    if (waits == kNotesMemoWaits)
        SaveEditedNote(2);
    else if (waits == kHomeMemoWaits)
        SaveEditedNote(1);
}

void TfrmMainDLMR1::FlushPendingNoteSave()
{
    if (timerNotesSaveEditedNote == nullptr || !timerNotesSaveEditedNote->Enabled())
        return;
    timerNotesSaveEditedNoteTimer();
}

void TfrmMainDLMR1::SaveEditedNote(int32_t origin)
{
    Guarded("[TfrmMainDLMR1::SaveEditedNote]", [&] {
        if (settingsApplied.load() == 0) {
            LogText("[SaveEditedNote][RETURN] g.userSettingsActivated = false");
            return;
        }
        if (!g.ActiveUserExists()) {
            LogText("[SaveEditedNote][RETURN] ActiveUserExists() = false");
            return;
        }
        if (origin != 1 && origin != 2) {
            LogTextInt("[SaveEditedNote][ERROR][DEFAULT][RETURN] note_origin = ", origin);
            return;
        }
        TNViewItem* memo = MemoItemOf(origin);
        plat::TRichEdit* control = memo != nullptr ? memo->Memo.Get() : nullptr;
        if (control == nullptr) {
            LogText("[SaveEditedNote][ERROR] memo_item = NULL || memo_item->Memo = NULL");
            return;
        }
        if (control->Tag() == kMemoBlocked) {
            LogText("[SaveEditedNote][RETURN] memo_item->Memo->Tag = 99");
            return;
        }
        // Saved now: a wait still armed for this editor has nothing left.
        const int64_t waits = origin == 1 ? kHomeMemoWaits : kNotesMemoWaits;
        if (timerNotesSaveEditedNote != nullptr && timerNotesSaveEditedNote->Enabled() &&
            timerNotesSaveEditedNote->Tag() == waits)
            timerNotesSaveEditedNote->SetEnabled(false);
        const std::string text = NormalizedLineEnds(control->Text());
        if (text.empty() && memo->UIntValue == 0) {
            LogText("[SaveEditedNote][RETURN] Nothing to save.");
            return;
        }

        const TNUiJobLock lock = g.WaitUntilSyncJobIsDone("SaveEditedNote", 1);
        int32_t pimSrvPos = AccountExists(memo->pimSrvPos) ? memo->pimSrvPos : 0;
        if (!AccountExists(pimSrvPos) || PIM[pimSrvPos]->Records == nullptr)
            return;
        int32_t recordPos = -1;
        TNPIMRecord* record = memo->UIntValue != 0 ? GetRecordWithPos(pimSrvPos, memo->UIntValue, recordPos) : nullptr;
        uint32_t tagToAssign = 0;
        if (record == nullptr) {
            LogText("[SaveEditedNote] Saving as a new note...");
            TNPIMRecords& records = *PIM[pimSrvPos]->Records;
            const uint32_t id = records.GetNextID();
            if (id == 0 || !records.Resize(records.Count + 1)) {
                LogText("[SaveEditedNote][ERROR] The new note could not be made.");
                return;
            }
            recordPos = records.Count - 1;
            record = records.Items[recordPos];
            const uint32_t now = TNLocalClock::Now32();
            record->Created = now;
            record->Changed = now;
            record->ID = id;
            record->OrganizerID = records.UserOrganizerID;
            record->CreatedByUserID = Uzivatele.ActiveUserID();
            record->Type = rtNote;
            record->Deleted = 0;
            record->Hidden = false;
            record->PleaseSync = false;
            record->DoNotSave = false;
            records.NoteIDChanged(recordPos);
            memo->UIntValue = id;
            memo->pimSrvPos = pimSrvPos;
            if (origin == 1) {
                Setup.SetValue("selectedHpNoteId", static_cast<int32_t>(id), TNSetupItem::kInt32);
                Setup.SetValue("selectedHpNotePimSrvPos", pimSrvPos, TNSetupItem::kInt32);
            } else if (TNViewItem* list = View.GetComponent(kNotesList);
                       list != nullptr && IsRealTag(list->UIntValue)) {
                tagToAssign = list->UIntValue;
            }
        } else if (NoteTextUnchanged(record->PlainNote.Text, text)) {
            return;
        }

        noteSaveInProgress = true;
        const TNNoteFields fields = NoteFieldsFromMemo(text);
        record->Note.Set(fields.Note.c_str());
        record->PlainNote.Set(fields.PlainNote.c_str());
        record->Text.Set("");
        record->ShortTitle.Set("");
        if (tagToAssign != 0) {
            TNPIMTagsAssign& assigns = PIM[pimSrvPos]->TagsAssign;
            if (assigns.GetTagID(record->ID) != tagToAssign) {
                assigns.DeleteAssign(record->ID);
                assigns.AddAssign(record->ID, tagToAssign, record->OrganizerID);
            }
        }
        const uint32_t savedId = record->ID;
        lastSavedNoteId = savedId;
        if (origin == 2) {
            shownNoteRecordId = savedId;
            shownNotePimSrvPos = pimSrvPos;
        }
        ChangedRecordSaveSequence(pimSrvPos, record, recordPos);
        if (origin == 1)
            pages_->ShowSelectedNote(savedId, pimSrvPos, savedId, false);
        else
            pages_->OnHpNoteChange(0);
        g.FastSync("SaveEditedNote");
        LogText("[SaveEditedNote][END]");
    });
}

void TfrmMainDLMR1::ShowSelectedNote(TNPIMRecord* record, uint32_t filterId, bool saveFirst)
{
    Guarded("[TfrmMainDLMR1::ShowSelectedNote]", [&] {
        LogText("[ShowSelectedNote][BEGIN]");
        // Nothing typed is lost under the new text.
        const uint32_t recordId = record != nullptr ? record->ID : 0;
        const int32_t recordPimSrvPos = record != nullptr ? record->GetParentPIMPos() : 0;
        FlushPendingNoteSave();
        if (saveFirst)
            SaveEditedNote(2);
        // A save may have grown the record array; the record is found again.
        int32_t recordPos = -1;
        record = recordId != 0 ? GetRecordWithPos(recordPimSrvPos, recordId, recordPos) : nullptr;
        TNViewItem* title = View.GetComponent(kNoteTitle);
        TNViewItem* memo = View.GetComponent(kNotesMemo);
        plat::TRichEdit* control = memo != nullptr ? memo->Memo.Get() : nullptr;
        if (View.GetComponent(kNoteBox) == nullptr || title == nullptr || control == nullptr) {
            LogText("[ShowSelectedNote][ERROR][RETURN] scrollNotesNote, its title or memoNotesNote = NULL");
            return;
        }
        control->SetTag(kMemoBlocked);
        const int caret = control->SelStart();
        control->SetSelStart(0);
        control->SetSelLength(0);
        if (record == nullptr) {
            memo->UIntValue = 0;
            memo->pimSrvPos = 0;
            View.SetButtonTitle(title, kNewNoteTitle, "", kTitleText, kTitleBack, false, true);
            control->SetText("");
        } else {
            if (filterId != 0 && filterId != shownNoteRecordId) {
                control->SetTag(0);
                return;
            }
            memo->UIntValue = record->ID;
            memo->pimSrvPos = recordPimSrvPos;
            std::string noteTitle;
            std::string plain;
            {
                TNModelReadGuard readGuard;
                std::unique_ptr<TNString> text = record->GetNoteTitle();
                noteTitle = text != nullptr && text->Text != nullptr ? text->Text : "";
                plain = NormalizedLineEnds(record->PlainNote.Text != nullptr ? record->PlainNote.Text : "");
            }
            View.SetButtonTitle(title, noteTitle.c_str(), "", kTitleText, kTitleBack, false, true);
            if (record->ID != lastSavedNoteId || !NoteTextUnchanged(plain.c_str(), control->Text())) {
                LogTextUInt("[ShowSelectedNote][X] record->ID = ", record->ID);
                control->SetText(plain);
                control->SetSelStart(std::min<int>(caret, static_cast<int>(plain.size())));
            } else {
                control->SetSelStart(caret);
            }
        }
        LogText("[ShowSelectedNote] View.SetFocus Before");
        View.SetFocus(kNotesMemo);
        LogText("[ShowSelectedNote] View.SetFocus After");
        control->SetTag(0);
        LogText("[ShowSelectedNote][END]");
    });
}

void TfrmMainDLMR1::btnNotesListAddClick()
{
    Guarded("[TfrmMainDLMR1::btnNotesListAddClick]", [&] {
        LogText("[btnNotesListAddClick]");
        FlushPendingNoteSave();
        if (controlActive != kNotes)
            ClickOnControlButton("btnControlNotes");
        shownNoteRecordId = 0;
        shownNotePimSrvPos = 0;
        lastSavedNoteId = 0;
        if (TNViewItem* list = View.GetComponent(kNotesList)) {
            TNViewInner* inner = View.GetActiveInner(list);
            if (inner != nullptr && inner->Records != nullptr && !paintingRecordsList)
                PaintRecordsComponentsList(list, false, "btnNotesListAddClick", false);
        }
        ShowSelectedNote(nullptr, 0, true);
    });
}

void TfrmMainDLMR1::btnNotesNoteMenuMouseDown(plat::TComponent*, plat::TMouseButton button)
{
    Guarded("[TfrmMainDLMR1::btnNotesNoteMenuMouseDown]", [&] {
        if (button != plat::TMouseButton::mbLeft)
            return;
        TNViewItem* memo = View.GetComponent(kNotesMemo);
        int32_t recordPos = -1;
        const bool exists = memo != nullptr && memo->UIntValue != 0 &&
                            GetRecordWithPos(memo->pimSrvPos, memo->UIntValue, recordPos) != nullptr;
        if (plat::TMenuItem* item = popupNotesNoteMenuButton->FindByName("pmnuNotesNoteDeleteThisTask"))
            item->SetEnabled(exists);
        const plat::TPoint at = plat::Mouse::CursorPos();
        popupNotesNoteMenuButton->Popup(at.x, at.y);
    });
}

void TfrmMainDLMR1::pmnuNotesNoteDeleteThisTaskClick()
{
    Guarded("[TfrmMainDLMR1::pmnuNotesNoteDeleteThisTaskClick]", [&] {
        TNViewItem* memo = View.GetComponent(kNotesMemo);
        if (memo == nullptr || memo->UIntValue == 0)
            return;
        if (!DeleteRecordById(memo->UIntValue, true, this, memo->pimSrvPos))
            return;
        // The deleted note's waiting edit is dropped, not written again.
        if (timerNotesSaveEditedNote->Enabled() && timerNotesSaveEditedNote->Tag() == kNotesMemoWaits)
            timerNotesSaveEditedNote->SetEnabled(false);
        // Its text is no new note either.
        if (plat::TRichEdit* control = memo->Memo.Get())
            control->SetTag(kMemoBlocked);
        g.FastSync("pmnuNotesNoteDeleteThisTaskClick");
        g.SetUpdateUiTag(__uiUpdateShownData, 0);
        btnNotesListAddClick();
    });
}

void TfrmMainDLMR1::ForgetEditedNote()
{
    shownNoteRecordId = 0;
    shownNotePimSrvPos = 0;
}

void TfrmMainDLMR1::ReplaceShownNoteId(uint32_t oldId, uint32_t newId)
{
    if (oldId == 0 || oldId == newId)
        return;
    for (const char* name : {kNotesMemo, kHomeMemo}) {
        if (TNViewItem* memo = View.GetComponent(name); memo != nullptr && memo->UIntValue == oldId)
            memo->UIntValue = newId;
    }
    if (shownNoteRecordId == oldId)
        shownNoteRecordId = newId;
    if (lastSavedNoteId == oldId)
        lastSavedNoteId = newId;
    if (pendingNoteToOpenId == oldId)
        pendingNoteToOpenId = newId;
}

void TfrmMainDLMR1::SetListFilters()
{
    tasksSelectedId = 0;
    tasksSelectedPimSrvPos = 0;
    if (TNViewItem* list = View.GetComponent(kNotesList)) {
        list->UIntValue = 0;
        list->pimSrvPos = 0;
    }
}

void TfrmMainDLMR1::InstallTasksAndNotesHooks()
{
    CreateTasksAndNotesParts();
    PagesHooks.SaveEditedNote = [](int32_t mode) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->Pages().SaveEditedNote(mode);
    };
    MainWindowHooks.ReplaceShownNoteId = [](uint32_t oldId, uint32_t newId) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->ReplaceShownNoteId(oldId, newId);
    };
}

void TfrmMainDLMR1::RemoveTasksAndNotesHooks()
{
    PagesHooks.SaveEditedNote = nullptr;
    MainWindowHooks.ReplaceShownNoteId = nullptr;
}
