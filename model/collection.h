#pragma once

#include "foundation/local_ids.h"

#include <cstdint>
#include <cstdlib>
#include <new>

// One step of the NextID fold after loading: one above the highest temporary
// id seen, never below the first temporary id.
constexpr uint32_t FoldNextID(uint32_t id, uint32_t next)
{
    return NextLocalIDAfter(id, next < kFirstLocalID ? kFirstLocalID : next);
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
