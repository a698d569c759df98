#pragma once

#include "foundation/local_ids.h"
#include "foundation/log.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <unordered_map>
#include <vector>

// One step of the NextID fold after loading: one above the highest temporary
// id seen, never below the first temporary id.
constexpr uint32_t FoldNextID(uint32_t id, uint32_t next)
{
    return NextLocalIDAfter(id, next < kFirstLocalID ? kFirstLocalID : next);
}

// The positions of one id, ascending; most ids have one, which needs no
// list of its own.
struct TNIDPositions {
    int32_t first = -1;
    std::vector<int32_t> rest;
};
using TNIDPositionsMap = std::unordered_map<uint32_t, TNIDPositions>;

// Files pos under key, keeping the positions ascending and single.
inline void InsertPosition(TNIDPositionsMap& map, uint32_t key, int32_t pos)
{
    TNIDPositions& positions = map[key];
    if (positions.first < 0 || positions.first == pos) {
        positions.first = pos;
        return;
    }
    std::vector<int32_t>& rest = positions.rest;
    if (pos < positions.first) {
        rest.insert(rest.begin(), positions.first);
        positions.first = pos;
        return;
    }
    if (rest.empty() || rest.back() < pos) {
        rest.push_back(pos);
        return;
    }
    auto at = std::lower_bound(rest.begin(), rest.end(), pos);
    if (at == rest.end() || *at != pos) {
        rest.insert(at, pos);
    }
}

// Takes pos out of key's positions; the key goes when none is left.
inline void ErasePosition(TNIDPositionsMap& map, uint32_t key, int32_t pos)
{
    auto found = map.find(key);
    if (found == map.end()) {
        return;
    }
    TNIDPositions& positions = found->second;
    std::vector<int32_t>& rest = positions.rest;
    if (positions.first == pos) {
        if (rest.empty()) {
            map.erase(found);
            return;
        }
        positions.first = rest.front();
        rest.erase(rest.begin());
    } else if (!rest.empty() && rest.back() == pos) {
        rest.pop_back();
    } else {
        auto at = std::lower_bound(rest.begin(), rest.end(), pos);
        if (at != rest.end() && *at == pos) {
            rest.erase(at);
        }
    }
}

// An id -> positions index that a collection keeps beside its list, so that
// a look-up by id finds the first matching position without a walk. It holds
// the positions of each ID (0 included: fresh slots carry it) and of each
// temporary OldID, ascending. The collection tells it about every change of
// its slot count (Resized, Clear) and every slot whose ID or OldID it set
// (Note); a look-up (Find) checks its answer against the list and falls back
// to the walk, with a log line, if someone changed an id behind its back.
class TNPIMIDIndex {
public:
    void Clear()
    {
        byID_.clear();
        byOldID_.clear();
        slotID_.clear();
        slotOldID_.clear();
    }

    // The list went from `from` slots to `to`: the slots past `to` are
    // forgotten, the new ones noted as they are.
    template <class Item> void Resized(Item* const* items, int32_t from, int32_t to)
    {
        if (to <= 0) {
            Clear();
            return;
        }
        for (int32_t i = Size() - 1; i >= to; --i) {
            Forget(i);
        }
        if (Size() > to) {
            slotID_.resize(static_cast<size_t>(to));
            slotOldID_.resize(static_cast<size_t>(to));
        }
        for (int32_t i = from < 0 ? 0 : from; i < to; ++i) {
            if (items[i] != nullptr) {
                Note(i, *items[i]);
            }
        }
    }

    // The item at pos has (perhaps) a new ID or OldID.
    template <class Item> void Note(int32_t pos, const Item& item)
    {
        uint32_t oldID = 0;
        if constexpr (requires { item.OldID; }) {
            oldID = item.OldID;
        }
        Set(pos, item.ID, oldID);
    }

    // Builds the index anew from the list.
    template <class Item> void Rebuild(Item* const* items, int32_t count)
    {
        Clear();
        Resized(items, 0, count);
    }

    // First position whose ID is id; -1 when none.
    int32_t FirstWithID(uint32_t id) const { return FirstIn(byID_, id); }

    // First position whose ID is id or, for a temporary id, whose OldID is
    // id; -1 when none. `staleLog` is the line logged, with the id, when the
    // index proves stale.
    template <class Item> int32_t Find(Item* const* items, int32_t count, uint32_t id, const char* staleLog) const
    {
        int32_t best = FirstWithID(id);
        if (id >= kFirstLocalID) {
            int32_t byOld = FirstIn(byOldID_, id);
            if (byOld >= 0 && (best < 0 || byOld < best)) {
                best = byOld;
            }
        }
        if (best < 0 || (best < count && items[best] != nullptr && Matches(*items[best], id))) {
            return best;
        }
        LogTextUInt(staleLog, id);
        for (int32_t i = 0; i < count; ++i) {
            if (items[i] != nullptr && Matches(*items[i], id)) {
                return i;
            }
        }
        return -1;
    }

private:
    using Map = TNIDPositionsMap;

    Map byID_;
    Map byOldID_;
    // What the index holds for each slot; an OldID of 0 is not indexed.
    std::vector<uint32_t> slotID_;
    std::vector<uint32_t> slotOldID_;

    int32_t Size() const { return static_cast<int32_t>(slotID_.size()); }

    template <class Item> static bool Matches(const Item& item, uint32_t id)
    {
        if (item.ID == id) {
            return true;
        }
        if constexpr (requires { item.OldID; }) {
            return id >= kFirstLocalID && item.OldID == id;
        }
        return false;
    }

    static int32_t FirstIn(const Map& map, uint32_t key)
    {
        auto found = map.find(key);
        return found != map.end() ? found->second.first : -1;
    }

    void Forget(int32_t pos)
    {
        ErasePosition(byID_, slotID_[static_cast<size_t>(pos)], pos);
        if (slotOldID_[static_cast<size_t>(pos)] != 0) {
            ErasePosition(byOldID_, slotOldID_[static_cast<size_t>(pos)], pos);
        }
    }

    void Set(int32_t pos, uint32_t id, uint32_t oldID)
    {
        if (pos < 0) {
            return;
        }
        // Slots never noted are indexed as fresh ones, under ID 0.
        while (Size() <= pos) {
            int32_t fresh = Size();
            slotID_.push_back(0);
            slotOldID_.push_back(0);
            InsertPosition(byID_, 0, fresh);
        }
        Forget(pos);
        // Only a temporary id is looked up through OldID.
        uint32_t indexedOld = oldID >= kFirstLocalID ? oldID : 0;
        slotID_[static_cast<size_t>(pos)] = id;
        slotOldID_[static_cast<size_t>(pos)] = indexedOld;
        InsertPosition(byID_, id, pos);
        if (indexedOld != 0) {
            InsertPosition(byOldID_, indexedOld, pos);
        }
    }
};

// Takes the next temporary id that `taken` says no item holds and moves
// `next` past it; 0 when `tries` ids in a row are taken or the ids run out.
template <class IsTaken> uint32_t TakeNextLocalID(uint32_t& next, int64_t tries, IsTaken taken)
{
    if (next < kFirstLocalID) {
        next = kFirstLocalID;
    }
    for (int64_t attempt = 0; attempt < tries; ++attempt) {
        if (!taken(next)) {
            return next++;
        }
        if (next == UINT32_MAX) {
            return 0;
        }
        ++next;
    }
    return 0;
}

// The list part that every collection of a data set shares: a count and an
// array of pointers to items the collection owns, found by id in order.
//
// `Count` is the number of slots in use, as the rest of the program reads it;
// the array itself grows geometrically so that adding one item at a time does
// not copy the whole array each time. Derived is the collection class; it may
// declare its own MakeItem (how a new slot's item is made), Resize (to add its
// failure handling) and GetItemPosByID (to match on another key), and the
// shared operations here use those.
template <class Item, class Derived> class TNPIMCollection {
public:
    int32_t Count = 0;
    Item** Items = nullptr;

    TNPIMCollection() = default;
    ~TNPIMCollection() { Destroy(); }
    TNPIMCollection(const TNPIMCollection&) = delete;
    TNPIMCollection& operator=(const TNPIMCollection&) = delete;

    // Frees every item and the array; Count 0.
    void Destroy()
    {
        for (int32_t i = 0; i < Count; ++i) {
            delete Items[i];
        }
        std::free(Items);
        Items = nullptr;
        Count = 0;
        capacity_ = 0;
    }

    // Count becomes n. A count of 0 or less empties the collection; a smaller
    // count frees the items past it; a larger one gives each new slot a new
    // empty item. False when memory fails, with nothing changed.
    bool ResizeSlots(int32_t n)
    {
        if (n <= 0) {
            Destroy();
            return true;
        }
        if (n <= Count) {
            for (int32_t i = n; i < Count; ++i) {
                delete Items[i];
                Items[i] = nullptr;
            }
            Count = n;
            return true;
        }
        if (n > capacity_ && !Reserve(n)) {
            return false;
        }
        for (int32_t i = Count; i < n; ++i) {
            Item* item = MakeOne();
            if (item == nullptr) {
                for (int32_t j = Count; j < i; ++j) {
                    delete Items[j];
                    Items[j] = nullptr;
                }
                return false;
            }
            Items[i] = item;
        }
        Count = n;
        return true;
    }

    // Position of the first item with this id, -1 when none.
    int32_t FindByID(uint32_t id) const
    {
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr && Items[i]->ID == id) {
                return i;
            }
        }
        return -1;
    }

    int32_t GetItemPosByID(uint32_t id) const { return FindByID(id); }

    // Update-or-append: the position of the item with this id (the
    // collection's own look-up), or of a new last item when there is none;
    // -1 when the collection cannot grow.
    int32_t PosForIDOrAppend(uint32_t id)
    {
        Derived& self = static_cast<Derived&>(*this);
        int32_t pos = self.GetItemPosByID(id);
        if (pos >= 0) {
            return pos;
        }
        if (!self.Resize(Count + 1)) {
            return -1;
        }
        return Count - 1;
    }

    // NextID after loading: the fold of FoldNextID over every item's id.
    uint32_t NextIDAfter(uint32_t next) const
    {
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr) {
                next = FoldNextID(Items[i]->ID, next);
            }
        }
        return FoldNextID(0, next);
    }

    Item* MakeItem() { return new Item(); }

private:
    int32_t capacity_ = 0;

    bool Reserve(int32_t n)
    {
        int64_t wanted = capacity_ < 8 ? 8 : static_cast<int64_t>(capacity_) * 2;
        if (wanted < n) {
            wanted = n;
        }
        if (wanted > INT32_MAX) {
            wanted = INT32_MAX;
        }
        void* grown = std::realloc(Items, static_cast<size_t>(wanted) * sizeof(Item*));
        if (grown == nullptr) {
            return false;
        }
        Items = static_cast<Item**>(grown);
        for (int64_t i = capacity_; i < wanted; ++i) {
            Items[i] = nullptr;
        }
        capacity_ = static_cast<int32_t>(wanted);
        return true;
    }

    Item* MakeOne()
    {
        try {
            return static_cast<Derived&>(*this).MakeItem();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
};
