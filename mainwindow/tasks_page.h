#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TNPIMRecord;
class TNPIMRecordList;

// The parts of the Tasks page's list fill that need no controls.

using TNRecordListSort = void (*)(TNPIMRecordList* list, int32_t* count, int32_t unused);

// The list's title and sort for a selection id. `tagTitle` is the selected
// tag's title when the id names a tag found in the selected store, else
// null. The special ids have their own titles; MaxId - 4 and a tag not
// found have none (and a tag not found sorts by default).
struct TNTasksSelection {
    bool HasTitle = false;
    std::string Title;
    TNRecordListSort Sort = nullptr;
};
TNTasksSelection TasksSelectionFor(uint32_t id, const char* tagTitle, int32_t count);

// What a list showed at its fill, per row: the record's ID and change stamp.
// Kept by value: the records are edited in place, so the shown pointers
// always agree with themselves.
struct TNShownRow {
    uint32_t ID = 0;
    uint32_t Changed = 0;
};
std::vector<TNShownRow> ShownRowsOf(const TNPIMRecordList& list, int32_t count);

// Whether a freshly collected list must replace the shown one: nothing
// shown yet (`shown` null), another count, another selection id, or any
// position holding another record or one changed since.
bool RecordListNeedsReload(const std::vector<TNShownRow>* shown, uint32_t shownId, const TNPIMRecordList& fresh,
                           int32_t freshCount, uint32_t freshId);

// Collects the tasks of the selection from every data set, appended to
// `list` from *count on, sorted as the selection says; the number listed.
int32_t CollectTasks(uint32_t id, const char* tagTitle, bool showHidden, int32_t userFilter, TNPIMRecordList* list,
                     int32_t* count, TNTasksSelection* selection);
