// The Tasks page's list fill: which title and sort a selection has, what is
// collected, and when the shown list must be replaced.

#include "mainwindow/tasks_page.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "mainwindow/main_window.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/record_lists.h"
#include "model/tags.h"
#include "online/global.h"
#include "platform/gui/timer.h"
#include "view/view.h"

#include <cstdio>

namespace {

std::string WithCount(const char* pattern, const char* text, int32_t count)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, pattern, text, count);
    return buffer;
}

} // namespace

TNTasksSelection TasksSelectionFor(uint32_t id, const char* tagTitle, int32_t count)
{
    TNTasksSelection selection;
    const char* caption = nullptr;
    switch (id) {
    case TNPIM::kTagScheduled:
        caption = "Naplánované úkoly";
        selection.Sort = TNPIM::SortRecords_Scheduled;
        break;
    case TNPIM::kTagImportant:
        caption = "Důležité úkoly";
        selection.Sort = TNPIM::SortRecords_Important;
        break;
    case TNPIM::kTagAll:
        caption = "Všechny úkoly";
        selection.Sort = TNPIM::SortRecords_Default;
        break;
    case TNPIM::kTagWithout:
        caption = "Úkoly bez štítku";
        selection.Sort = TNPIM::SortRecords_Default;
        break;
    default:
        // Below MaxId - 4 a tag; 0 (nothing selected) and MaxId - 4 get
        // neither title nor sort.
        if (id == 0 || id >= TNPIM::kTagWithout - 1)
            return selection;
        selection.Sort = TNPIM::SortRecords_Default;
        if (tagTitle != nullptr) {
            selection.HasTitle = true;
            selection.Title = WithCount("%s (%d)", tagTitle, count);
        }
        return selection;
    }
    selection.HasTitle = true;
    selection.Title = WithCount("%s (%d)", caption, count);
    return selection;
}

std::vector<TNShownRow> ShownRowsOf(const TNPIMRecordList& list, int32_t count)
{
    std::vector<TNShownRow> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const TNPIMRecord* record = list.Items[static_cast<size_t>(i)];
        rows.push_back(record != nullptr ? TNShownRow{record->ID, record->Changed} : TNShownRow{});
    }
    return rows;
}

bool RecordListNeedsReload(const std::vector<TNShownRow>* shown, uint32_t shownId, const TNPIMRecordList& fresh,
                           int32_t freshCount, uint32_t freshId)
{
    if (shown == nullptr || static_cast<int32_t>(shown->size()) != freshCount || shownId != freshId)
        return true;
    for (int32_t i = 0; i < freshCount; ++i) {
        const TNShownRow& before = (*shown)[static_cast<size_t>(i)];
        const TNPIMRecord* now = fresh.Items[static_cast<size_t>(i)];
        if (now == nullptr || before.ID != now->ID || before.Changed != now->Changed)
            return true;
    }
    return false;
}

int32_t CollectTasks(uint32_t id, const char* tagTitle, bool showHidden, int32_t userFilter, TNPIMRecordList* list,
                     int32_t* count, TNTasksSelection* selection)
{
    const int32_t first = *count;
    {
        TNModelReadGuard readGuard;
        for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
            if (PIM[pos] != nullptr)
                PIM[pos]->GetRecordsWithTag(id, rtTask, showHidden, count, list, userFilter);
        }
    }
    *selection = TasksSelectionFor(id, tagTitle, *count - first);
    if (selection->Sort != nullptr)
        selection->Sort(list, count, 0);
    return *count - first;
}

// ---------------------------------------------------------------------------
// The list fill

namespace {

// The title of the tag of that id in the first data set holding it.
const char* TagTitleOf(uint32_t id)
{
    if (id == 0 || id >= TNPIM::kTagWithout - 1)
        return nullptr;
    TNModelReadGuard readGuard;
    for (int32_t pos = 0; pos < PIM.Count(); ++pos) {
        const TNPIMTag* tag = PIM[pos] != nullptr ? PIM[pos]->Tags.GetTagByID(id) : nullptr;
        if (tag != nullptr && tag->Deleted == 0)
            return tag->Title.Text != nullptr ? tag->Title.Text : "";
    }
    return nullptr;
}

} // namespace

void TfrmMainDLMR1::timerTasksAfterTagSelectTimer()
{
    Guarded("[TfrmMainDLMR1::timerTasksAfterTagSelectTimer]", [&] {
        LogText("[timerTasksAfterTagSelectTimer][BEGIN]");
        timerTasksAfterTagSelect->SetEnabled(false);
        if (!g.ActiveUserExists()) {
            LogText("[timerTasksAfterTagSelectTimer][ERROR] ActiveUserExists() = false");
            return;
        }
        TNViewItem* list = View.GetComponent("scrollTasksList");
        TNViewInner* inner = list != nullptr ? View.GetActiveInner(list) : nullptr;
        if (inner == nullptr)
            return;
        // Tags renamed, added or deleted elsewhere show in the column.
        if (TNViewItem* column = View.GetComponent("scrollTasksTags");
            column != nullptr && tasksTagsBuiltFrom_ != TasksTagsSignature()) {
            ClearTasksTags();
            CreateTasksTagButtons();
            View.ResizeScrollbox(column, -1, -1, -1, -1, true, 1, 0, "TfrmMainDLMR1::UpdateTasks_A");
        }
        const auto id = static_cast<uint32_t>(timerTasksAfterTagSelect->Tag());
        tasksLastListedId = id;
        TNPIMRecordList result;
        int32_t count = 0;
        TNTasksSelection selection;
        CollectTasks(id, TagTitleOf(id), Setup.GetBool("Settings_ShowHiddenRecords"), 0, &result, &count, &selection);

        // Pointers taken before the shown data were replaced are refreshed
        // even when the rows read the same.
        const bool pointersCurrent = inner->DataGeneration == TNView::ShownDataGeneration();
        if (pointersCurrent &&
            !RecordListNeedsReload(tasksListShown_ ? &tasksShownRows_ : nullptr, tasksShownId_, result, count, id))
            return;
        if (!tasksListShown_ || id != tasksShownId_)
            View.ScrollScrollboxTo(list, 0);
        if (selection.HasTitle) {
            LogWrite("[timerTasksAfterTagSelectTimer] Title: ", selection.Title.c_str(), false);
            if (TNViewItem* title = View.GetComponent("scrollTasksListToolbar_SelectedTagTitle"))
                View.SetButtonTitle(title, selection.Title.c_str(), "", 0xFFFFFF, 0x808080, false, true);
        }
        SetListRecords(list, result, count);
        tasksShownRows_ = ShownRowsOf(result, count);
        tasksShownId_ = id;
        tasksListShown_ = true;
        LogText("[timerTasksAfterTagSelectTimer] Calling PaintRecordsComponentsList...");
        PaintRecordsComponentsList(list, false, "TfrmMainDLMR1::timerTasksAfterTagSelectTimer_A", false);
    });
}
