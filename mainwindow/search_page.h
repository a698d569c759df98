#pragma once

#include "foundation/time.h"
#include "model/record_lists.h"

#include <cstdint>
#include <memory>

class TNPIMRecord;

// The parts of the search page that need no controls: which list a found
// record goes to, each list's sort, and the placeholder of an empty list.

// The four lists in page order.
enum TNSearchList : int32_t { slPast = 0, slFuture = 1, slOther = 2, slExternal = 3, slCount = 4 };

// Types 20 to 31 (people, calendars, pages) are external; a dated record
// begun before `dayStart` is past, any other dated one present; an undated
// one other.
TNSearchList SearchListOf(const TNPIMRecord& record, const TNTime& dayStart);

// The found records (NULL entries skipped), each appended to its list, then
// each list sorted as the page shows it (the external ones stay in found
// order).
struct TNSearchPartition {
    TNPIMRecordList Lists[slCount];
    int32_t Counts[slCount] = {};
};
void PartitionSearchResults(const TNPIMRecordList& found, int32_t count, const TNTime& dayStart,
                            TNSearchPartition* partition);

// The placeholder card's record of an empty list, by mode: 3 no pages or
// calendars, 5 no events, 6 still loading, anything else no results.
std::unique_ptr<TNPIMRecord> NoResultsRecord(int32_t mode);
