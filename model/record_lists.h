#pragma once

#include "foundation/day_names.h"
#include "foundation/string.h"

#include <cstdint>
#include <memory>
#include <vector>

class TNPIMRecord;

// A result list of the main window's lists: records borrowed from a data
// set's collection (never freed here), plus the name-day records of a search,
// which the list owns. The caller keeps the number of entries in use, which
// may be below Count.
class TNPIMRecordList {
public:
    int32_t Count = 0;
    std::vector<TNPIMRecord*> Items;

    TNPIMRecordList();
    ~TNPIMRecordList();
    TNPIMRecordList(const TNPIMRecordList&) = delete;
    TNPIMRecordList& operator=(const TNPIMRecordList&) = delete;

    // Count becomes n; new entries are null. False when memory fails.
    bool Resize(int32_t n);
    // Puts the record at entry *count, growing the list when needed, and
    // raises *count. False when the list cannot grow.
    bool Append(TNPIMRecord* record, int32_t* count);
    // Takes ownership of a record made for this list and appends it.
    bool AppendOwned(std::unique_ptr<TNPIMRecord> record, int32_t* count);

private:
    std::vector<std::unique_ptr<TNPIMRecord>> owned_;
};

// A searched text folded once: every byte through the diacritics table,
// then A-Z lower-cased, as the string type's search compares characters.
class TNFoldedNeedle {
public:
    explicit TNFoldedNeedle(const TNString& text);
    bool Empty() const { return folded_.empty(); }
    // True when the text contains the needle under the folding.
    bool FoundIn(const TNString& text) const;

    static unsigned char Fold(unsigned char ch);

private:
    std::vector<unsigned char> folded_;
};

// Whether the record's searchable text or note contains the needle.
bool RecordMatchesSearch(const TNPIMRecord& record, const TNFoldedNeedle& needle);

// Appends one record per name-day match of the search: the entry's text,
// dated on its day without a time, marked as a day note (Type) with the
// entry's category (EventType); never stored, never uploaded. The records
// belong to the first data set and are owned by the list.
int32_t AppendDayNameRecords(const std::vector<TNDayNameMatch>& matches, TNPIMRecordList* list, int32_t* count);
