#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Record keys ((type << 32) | id, never 0) to positions in the index. One
// open-addressed table in one allocation: a file of 100,000 records opens
// without 100,000 allocations, and closes without 100,000 frees.
class TNRecordKeyMap {
public:
    TNRecordKeyMap() = default;
    TNRecordKeyMap(TNRecordKeyMap&& other) noexcept;
    TNRecordKeyMap& operator=(TNRecordKeyMap&& other) noexcept;
    TNRecordKeyMap(const TNRecordKeyMap&) = delete;
    TNRecordKeyMap& operator=(const TNRecordKeyMap&) = delete;

    // Room for `count` keys without growing; throws std::bad_alloc.
    void reserve(size_t count);
    size_t size() const { return size_; }

    // The position of a key, -1 when it is not held.
    int32_t find(uint64_t key) const;
    // Asks the processor for the key's home slot: a caller that knows the
    // keys ahead hides the wait on memory.
    void prefetch(uint64_t key) const;
    // Adds the key unless it is held; returns the position it has now.
    // Throws std::bad_alloc.
    int32_t insert(uint64_t key, int32_t position);
    // Sets the key's position, adding it when needed. Throws std::bad_alloc.
    void assign(uint64_t key, int32_t position);
    // False when the key was not held.
    bool erase(uint64_t key);
    // Forgets every key and frees the table.
    void clear();

private:
    struct Slot {
        uint64_t key;
        int32_t position;
    };

    size_t home(uint64_t key) const;
    size_t slotOf(uint64_t key) const;
    void rehash(size_t capacity);

    std::unique_ptr<Slot[]> slots_;
    size_t capacity_ = 0;
    size_t size_ = 0;
    int shift_ = 64;
};
