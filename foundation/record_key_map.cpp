#include "foundation/record_key_map.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace {

// Key 0 (type 0, id 0) is a hole and never held: it marks a free slot.
constexpr uint64_t kFree = 0;
constexpr size_t kMinCapacity = 16;

} // namespace

TNRecordKeyMap::TNRecordKeyMap(TNRecordKeyMap&& other) noexcept
    : slots_(std::move(other.slots_)), capacity_(std::exchange(other.capacity_, 0)),
      size_(std::exchange(other.size_, 0)), shift_(std::exchange(other.shift_, 64))
{
}

TNRecordKeyMap& TNRecordKeyMap::operator=(TNRecordKeyMap&& other) noexcept
{
    slots_ = std::move(other.slots_);
    capacity_ = std::exchange(other.capacity_, 0);
    size_ = std::exchange(other.size_, 0);
    shift_ = std::exchange(other.shift_, 64);
    return *this;
}

size_t TNRecordKeyMap::home(uint64_t key) const
{
    // Ids run in sequence; the multiplication spreads them over the table.
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_);
}

size_t TNRecordKeyMap::slotOf(uint64_t key) const
{
    size_t mask = capacity_ - 1;
    for (size_t at = home(key);; at = (at + 1) & mask)
        if (slots_[at].key == key || slots_[at].key == kFree)
            return at;
}

void TNRecordKeyMap::rehash(size_t capacity)
{
    std::unique_ptr<Slot[]> old = std::move(slots_);
    size_t oldCapacity = capacity_;
    slots_ = std::make_unique<Slot[]>(capacity);
    capacity_ = capacity;
    shift_ = 64 - std::countr_zero(capacity);
    for (size_t i = 0; i < oldCapacity; ++i)
        if (old[i].key != kFree)
            slots_[slotOf(old[i].key)] = old[i];
}

void TNRecordKeyMap::reserve(size_t count)
{
    // At most half full: a miss stops after a few slots.
    size_t wanted = std::bit_ceil(std::max(kMinCapacity, count * 2));
    if (wanted > capacity_)
        rehash(wanted);
}

int32_t TNRecordKeyMap::find(uint64_t key) const
{
    if (size_ == 0 || key == kFree)
        return -1;
    const Slot& slot = slots_[slotOf(key)];
    return slot.key == key ? slot.position : -1;
}

void TNRecordKeyMap::prefetch(uint64_t key) const
{
    if (capacity_ > 0)
        __builtin_prefetch(&slots_[home(key)]);
}

int32_t TNRecordKeyMap::insert(uint64_t key, int32_t position)
{
    reserve(size_ + 1);
    Slot& slot = slots_[slotOf(key)];
    if (slot.key == key)
        return slot.position;
    slot = Slot{key, position};
    ++size_;
    return position;
}

void TNRecordKeyMap::assign(uint64_t key, int32_t position)
{
    reserve(size_ + 1);
    Slot& slot = slots_[slotOf(key)];
    if (slot.key != key) {
        slot.key = key;
        ++size_;
    }
    slot.position = position;
}

bool TNRecordKeyMap::erase(uint64_t key)
{
    if (size_ == 0 || key == kFree)
        return false;
    size_t hole = slotOf(key);
    if (slots_[hole].key != key)
        return false;
    // Linear probing without tombstones: the keys after the hole that may
    // move back do, so that every key stays reachable from its home.
    size_t mask = capacity_ - 1;
    for (size_t next = (hole + 1) & mask; slots_[next].key != kFree; next = (next + 1) & mask) {
        size_t wants = home(slots_[next].key);
        bool staysBehindHole = hole <= next ? (hole < wants && wants <= next) : (hole < wants || wants <= next);
        if (staysBehindHole)
            continue;
        slots_[hole] = slots_[next];
        hole = next;
    }
    slots_[hole] = Slot{kFree, 0};
    --size_;
    return true;
}

void TNRecordKeyMap::clear()
{
    slots_.reset();
    capacity_ = 0;
    size_ = 0;
    shift_ = 64;
}
