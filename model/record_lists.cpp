#include "model/record_lists.h"

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"

#include <algorithm>
#include <array>
#include <cstring>

// ------------------------------------------------------------- result list

TNPIMRecordList::TNPIMRecordList() = default;
TNPIMRecordList::~TNPIMRecordList() = default;

bool TNPIMRecordList::Resize(int32_t n)
{
    try {
        Items.resize(static_cast<size_t>(std::max(n, 0)), nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    Count = std::max(n, 0);
    return true;
}

bool TNPIMRecordList::Append(TNPIMRecord* record, int32_t* count)
{
    if (count == nullptr || *count < 0) {
        return false;
    }
    if (*count >= Count && !Resize(*count + 1)) {
        return false;
    }
    Items[static_cast<size_t>(*count)] = record;
    ++*count;
    return true;
}

bool TNPIMRecordList::AppendOwned(std::unique_ptr<TNPIMRecord> record, int32_t* count)
{
    try {
        owned_.push_back(nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!Append(record.get(), count)) {
        owned_.pop_back();
        return false;
    }
    owned_.back() = std::move(record);
    return true;
}

// ------------------------------------------------------------------ search

namespace {

std::array<unsigned char, 256> MakeFoldTable()
{
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        char folded = TNString::RemoveDiacriticsChar(static_cast<char>(i));
        table[static_cast<size_t>(i)] = static_cast<unsigned char>(TNString::ToLowerChar(folded));
    }
    return table;
}

const std::array<unsigned char, 256>& FoldTable()
{
    static const std::array<unsigned char, 256> table = MakeFoldTable();
    return table;
}

} // namespace

unsigned char TNFoldedNeedle::Fold(unsigned char ch)
{
    return FoldTable()[ch];
}

TNFoldedNeedle::TNFoldedNeedle(const TNString& text)
{
    const auto& table = FoldTable();
    folded_.reserve(static_cast<size_t>(std::max(text.Length, 0)));
    for (int32_t i = 0; i < text.Length; ++i) {
        folded_.push_back(table[static_cast<unsigned char>(text.Text[i])]);
    }
}

bool TNFoldedNeedle::FoundIn(const TNString& text) const
{
    const size_t n = folded_.size();
    const size_t length = text.Length > 0 ? static_cast<size_t>(text.Length) : 0;
    if (n == 0 || length < n) {
        return false;
    }
    const auto& table = FoldTable();
    const unsigned char* hay = reinterpret_cast<const unsigned char*>(text.Text);
    const unsigned char first = folded_[0];
    for (size_t p = 0, last = length - n; p <= last; ++p) {
        if (table[hay[p]] != first) {
            continue;
        }
        size_t j = 1;
        while (j < n && table[hay[p + j]] == folded_[j]) {
            ++j;
        }
        if (j == n) {
            return true;
        }
    }
    return false;
}

bool RecordMatchesSearch(const TNPIMRecord& record, const TNFoldedNeedle& needle)
{
    return needle.FoundIn(record.SearchablePlainText) || needle.FoundIn(record.SearchablePlainNote);
}

int32_t AppendDayNameRecords(const std::vector<TNDayNameMatch>& matches, TNPIMRecordList* list, int32_t* count)
{
    return Guarded("[TNGlobal::SearchDayNames]", 0, [&] {
        if (list == nullptr || count == nullptr) {
            return 0;
        }
        TNPIM* first = PIM.Has(0) ? PIM[0] : nullptr;
        int32_t added = 0;
        for (const TNDayNameMatch& match : matches) {
            auto record = std::make_unique<TNPIMRecord>(first);
            record->Virtual = true;
            record->DoNotSave = true;
            record->Type = rtDayNote;
            record->EventType = match.Category;
            record->Text = match.Text;
            record->PlainText = match.Text;
            record->SearchablePlainText = match.Text;
            record->HasBegin = true;
            record->Begin.SetDate(match.Day, match.Month, match.Year);
            record->Begin.Hodina = 99;
            record->Begin.Minuta = 0;
            record->Begin.Sekunda = 0;
            record->Begin.GetTimestamp();
            if (list->AppendOwned(std::move(record), count)) {
                ++added;
            }
        }
        return added;
    });
}

// ------------------------------------------------------------------- sorts

namespace {

int32_t BeginOf(const TNPIMRecord* r)
{
    return static_cast<int32_t>(r->Begin.Timestamp);
}

// Importance descending; undated before dated; undated by Changed
// descending; dated by Begin, then Created, ascending.
bool ImportantFirst(const TNPIMRecord* a, const TNPIMRecord* b)
{
    if (a->Importance != b->Importance) {
        return a->Importance > b->Importance;
    }
    if (a->HasBegin != b->HasBegin) {
        return !a->HasBegin;
    }
    if (!a->HasBegin) {
        return a->Changed > b->Changed;
    }
    if (BeginOf(a) != BeginOf(b)) {
        return BeginOf(a) < BeginOf(b);
    }
    return a->Created < b->Created;
}

bool EarlierBegin(const TNPIMRecord* a, const TNPIMRecord* b)
{
    if (BeginOf(a) != BeginOf(b)) {
        return BeginOf(a) < BeginOf(b);
    }
    return a->Created < b->Created;
}

bool LaterBegin(const TNPIMRecord* a, const TNPIMRecord* b)
{
    if (BeginOf(a) != BeginOf(b)) {
        return BeginOf(a) > BeginOf(b);
    }
    return a->Created > b->Created;
}

bool MoreRecentlyChanged(const TNPIMRecord* a, const TNPIMRecord* b)
{
    if (a->Changed != b->Changed) {
        return a->Changed > b->Changed;
    }
    return a->Created > b->Created;
}

bool MarkedThenRecent(const TNPIMRecord* a, const TNPIMRecord* b)
{
    bool aMarked = a->UiValue1 == 1;
    bool bMarked = b->UiValue1 == 1;
    if (aMarked != bMarked) {
        return aMarked;
    }
    return a->Changed > b->Changed;
}

// The usable part of a list: its first *count entries, without nulls
// (a null entry has no keys; they go last, in their order).
template <class Less> void SortList(const char* caller, TNPIMRecordList* list, int32_t* count, Less less)
{
    Guarded(caller, [&] {
        if (list == nullptr || count == nullptr) {
            return;
        }
        auto begin = list->Items.begin();
        auto end = begin + std::clamp<int32_t>(*count, 0, list->Count);
        auto live = std::stable_partition(begin, end, [](const TNPIMRecord* r) { return r != nullptr; });
        std::stable_sort(begin, live, less);
    });
}

// Sorts only the dated entries among themselves, back into the slots dated
// entries held; undated ones keep their exact places.
template <class Less> void SortDatedInPlace(const char* caller, TNPIMRecordList* list, int32_t* count, Less less)
{
    Guarded(caller, [&] {
        if (list == nullptr || count == nullptr) {
            return;
        }
        int32_t n = std::clamp<int32_t>(*count, 0, list->Count);
        std::vector<int32_t> slots;
        std::vector<TNPIMRecord*> dated;
        for (int32_t i = 0; i < n; ++i) {
            TNPIMRecord* r = list->Items[static_cast<size_t>(i)];
            if (r != nullptr && r->HasBegin) {
                slots.push_back(i);
                dated.push_back(r);
            }
        }
        std::stable_sort(dated.begin(), dated.end(), less);
        for (size_t k = 0; k < slots.size(); ++k) {
            list->Items[static_cast<size_t>(slots[k])] = dated[k];
        }
    });
}

} // namespace

void TNPIM::SortRecords_Default(TNPIMRecordList* list, int32_t* count, int32_t)
{
    // The grouping by importance and date that precedes the important order
    // decides nothing the important order does not.
    SortList("[TNPIM::SortRecords_Default]", list, count, ImportantFirst);
}

void TNPIM::SortRecords_Important(TNPIMRecordList* list, int32_t* count, int32_t)
{
    SortList("[TNPIM::SortRecords_Important]", list, count, ImportantFirst);
}

void TNPIM::SortRecords_Scheduled(TNPIMRecordList* list, int32_t* count, int32_t)
{
    SortDatedInPlace("[TNPIM::SortRecords_Scheduled]", list, count, EarlierBegin);
}

void TNPIM::SortRecords_FromNearest(TNPIMRecordList* list, int32_t* count, int32_t)
{
    SortDatedInPlace("[TNPIM::SortRecords_FromNearest]", list, count, LaterBegin);
}

void TNPIM::SortRecords_ByChanged_FromMostRecent(TNPIMRecordList* list, int32_t* count, int32_t)
{
    SortList("[TNPIM::SortRecords_ByChanged_FromMostRecent]", list, count, MoreRecentlyChanged);
}

void TNPIM::SortOrganizers_Subscribed(TNPIMRecordList* list, int32_t* count)
{
    SortList("[TNPIM::SortOrganizers_Subscribed]", list, count, MarkedThenRecent);
}

// ----------------------------------------------------------------- filters

uint32_t TNPIM::GetRecordsAssignedTagID(uint32_t recordID) const
{
    return Guarded("[TNPIM::GetRecordsAssignedTagID]", 0u, [&] {
        TNModelReadGuard lock;
        return TagsAssign.GetTagID(recordID);
    });
}

bool TNPIM::RecordHasTag(const TNPIMRecord& record, uint32_t tagID) const
{
    return TagsAssign.GetTagID(record.ID) == tagID || (tagID > 0 && record.TagID == tagID);
}

bool TNPIM::IsListedTask(const TNPIMRecord* r, int32_t type, bool showHidden)
{
    return r != nullptr && r->Deleted == 0 && r->ParentID == 0 && r->Type == type && (showHidden || !r->Hidden);
}

bool TNPIM::IsFinishedRecordVisible(const TNPIMRecord* record, int32_t mode)
{
    return Guarded("[TNPIM::IsFinishedRecordVisible]", true, [&] {
        if (record == nullptr || record->Finished != 1 || !record->HasBegin || BeginOf(record) <= 0) {
            return true;
        }
        int64_t todayStart = c.GetDayBounds().TodayStart;
        if (mode == 1) {
            return BeginOf(record) >= todayStart;
        }
        if (mode == 2) {
            return BeginOf(record) >= todayStart - 604800;
        }
        return true;
    });
}

template <class Extra>
int32_t TNPIM::CollectRecords(const char* caller, int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                              int32_t mode, Extra&& extra)
{
    return Guarded(caller, 0, [&] {
        if (list == nullptr || count == nullptr || Records == nullptr) {
            return 0;
        }
        TNModelReadGuard lock;
        int32_t added = 0;
        for (int32_t i = 0; i < Records->Count; ++i) {
            TNPIMRecord* r = Records->Items[i];
            if (IsListedTask(r, type, showHidden) && extra(*r) && IsFinishedRecordVisible(r, mode) &&
                list->Append(r, count)) {
                ++added;
            }
        }
        return added;
    });
}

int32_t TNPIM::GetRecordsWithTag(uint32_t tagID, int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                 int32_t mode)
{
    switch (tagID) {
    case kTagScheduled:
        return GetRecordsWithTag_Scheduled(type, showHidden, count, list, mode);
    case kTagImportant:
        return GetRecordsWithTag_Important(type, showHidden, count, list, mode);
    case kTagAll:
        return GetRecordsWithTag_All(type, showHidden, count, list, mode);
    case kTagWithout:
        return GetRecordsWithTag_WithoutTag(type, showHidden, count, list, mode);
    default:
        return CollectRecords("[TNPIM::GetRecordsWithTag]", type, showHidden, count, list, mode,
                              [&](const TNPIMRecord& r) { return RecordHasTag(r, tagID); });
    }
}

int32_t TNPIM::GetRecordsWithTag_Scheduled(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                           int32_t mode)
{
    LogTextInt("[TNPIM::GetRecordsWithTag_Scheduled] Settings = ", mode);
    return CollectRecords("[TNPIM::GetRecordsWithTag_Scheduled]", type, showHidden, count, list, mode,
                          [](const TNPIMRecord& r) { return r.HasBegin; });
}

int32_t TNPIM::GetRecordsWithTag_Important(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                           int32_t mode)
{
    return CollectRecords("[TNPIM::GetRecordsWithTag_Important]", type, showHidden, count, list, mode,
                          [](const TNPIMRecord& r) { return r.Importance == 10 || r.Importance == 99; });
}

int32_t TNPIM::GetRecordsWithTag_All(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list, int32_t mode)
{
    return CollectRecords("[TNPIM::GetRecordsWithTag_All]", type, showHidden, count, list, mode,
                          [](const TNPIMRecord&) { return true; });
}

int32_t TNPIM::GetRecordsWithTag_WithoutTag(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                            int32_t mode)
{
    return CollectRecords("[TNPIM::GetRecordsWithTag_WithoutTag]", type, showHidden, count, list, mode,
                          [&](const TNPIMRecord& r) { return TagsAssign.GetTagID(r.ID) == 0; });
}

int32_t TNPIM::GetScheduledRecordsOfOneOrganizer(uint32_t organizerID, const TNTime& from, int32_t limit,
                                                 bool showHidden, int32_t* count, TNPIMRecordList* list,
                                                 const TNTime& to)
{
    return Guarded("[TNPIM::GetScheduledRecordsOfOneOrganizer]", 0, [&] {
        if (list == nullptr || count == nullptr) {
            LogText("[TNPIM::GetScheduledRecordsOfOneOrganizer][ERROR][NULL] records = NULL");
            return 0;
        }
        if (Records == nullptr) {
            LogText("[TNPIM::GetScheduledRecordsOfOneOrganizer][ERROR][NULL] Records = NULL");
            return 0;
        }
        TNModelReadGuard lock;
        TNTime start = from;
        TNTime stop = to;
        const int64_t fromStamp = static_cast<int32_t>(start.GetTimestamp());
        const int64_t toStamp = static_cast<int32_t>(stop.GetTimestamp());
        int32_t taken = 0;
        for (int32_t i = 0; i < Records->Count; ++i) {
            TNPIMRecord* r = Records->Items[i];
            if (r == nullptr || (r->OrganizerID != organizerID && r->SaveToOrganizerID != organizerID) ||
                r->Deleted != 0 || (r->Hidden && !showHidden)) {
                continue;
            }
            const int32_t begin = BeginOf(r);
            const int32_t end = static_cast<int32_t>(r->End.Timestamp);
            if (!((r->HasBegin && begin >= fromStamp) || (r->HasEnd && end >= fromStamp))) {
                continue;
            }
            bool take = limit > 0 && taken < limit;
            if (!take) {
                take = (r->HasBegin && begin <= toStamp) || (r->HasEnd && end <= toStamp);
            }
            if (take && list->Append(r, count)) {
                ++taken;
            }
        }
        return taken;
    });
}

int32_t TNPIM::SearchInRecords(const TNString& text, TNPIMRecordList* list, uint32_t tagID, bool showHidden,
                               int32_t* count)
{
    return Guarded("[TNPIM::SearchInRecords]", 0, [&] {
        LogWrite("[TNPIM::SearchInRecords] searched_string = ", text.Text, false);
        if (list == nullptr || count == nullptr || Records == nullptr) {
            return 0;
        }
        TNModelReadGuard lock;
        const TNFoldedNeedle needle(text);
        if (needle.Empty()) {
            return 0;
        }
        const int32_t year = c.CopyOfToday().Rok;
        int32_t added = 0;
        for (int32_t i = 0; i < Records->Count; ++i) {
            TNPIMRecord* r = Records->Items[i];
            if (r == nullptr || r->Deleted != 0 || (r->Virtual && r->Begin.Rok != year) || (r->Hidden && !showHidden) ||
                (tagID > 0 && !RecordHasTag(*r, tagID)) || !RecordMatchesSearch(*r, needle)) {
                continue;
            }
            if (list->Append(r, count)) {
                ++added;
            }
        }
        return added;
    });
}

bool TNPIM::OrganizerIsSelected(uint32_t organizerID) const
{
    return Guarded("[TNPIM::OrganizerIsSelected]", false, [&] {
        TNModelReadGuard lock;
        for (int32_t i = 0; i < Organizers.Count; ++i) {
            const TNPIMOrganizer* o = Organizers.Items[i];
            if (o != nullptr && o->Deleted == 0 && o->ID == organizerID) {
                return o->Subscribe > 0 && (o->Selected || o->Origin == 20);
            }
        }
        return false;
    });
}

uint8_t TNPIM::GetRecordColorCombination(const TNPIMRecord* record, uint8_t defaultCombination)
{
    return Guarded("[TNPIM::GetRecordColorCombination]", defaultCombination, [&]() -> uint8_t {
        if (record == nullptr) {
            return defaultCombination;
        }
        if (record->Finished != 0) {
            return 15;
        }
        if (record->Importance == 10 || record->Importance == 99) {
            return 14;
        }
        if (record->Organizer != nullptr && record->Organizer->ColorCombination != 0) {
            return record->Organizer->ColorCombination;
        }
        return defaultCombination;
    });
}
