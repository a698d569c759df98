#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <mutex>
#include <vector>

// One message of the main window's information strip.
struct TNInfoMessage {
    int32_t ID = -1;
    int32_t Kind = -1;
    TNString Title;
    TNString Text;
    // Seconds since 1970 when the message was added.
    int64_t Added = 0;
    // Unique within the run and never reused: a worker hands a message to
    // the main thread by it, since an index moves when one before it goes.
    uint64_t Key = 0;
};

// The information messages. The update thread adds messages while the main
// thread shows and removes them, so every access takes the list's lock and
// readers get copies.
class TNInfoMessages {
public:
    TNInfoMessages() = default;
    TNInfoMessages(const TNInfoMessages&) = delete;
    TNInfoMessages& operator=(const TNInfoMessages&) = delete;

    // With reuse set and a message of that id present: its index, nothing
    // changes. Otherwise a new message stamped now; its index, -1 when
    // memory runs out. Absent texts count as empty.
    int32_t Add(const char* title, const char* text, bool reuse, int32_t kind, int32_t id);
    // As Add, but gives the message's key (0 when memory runs out).
    uint64_t AddKeyed(const char* title, const char* text, bool reuse, int32_t kind, int32_t id);
    // Removes one message; the later ones move down whole. False for an
    // index outside the list.
    bool RemoveAt(int32_t index);
    void Clear();

    int32_t Count() const;
    // A copy of the message at index; false outside the list.
    bool Get(int32_t index, TNInfoMessage& out) const;
    // Index of the message with the id, -1 when none.
    int32_t Find(int32_t id) const;
    // Index of the message with the key, -1 when it is gone.
    int32_t FindKey(uint64_t key) const;
    // Index of the message added last by time (the earlier in the list of
    // equal times), -1 for an empty list.
    int32_t NewestIndex() const;

private:
    int32_t FindLocked(int32_t id) const;
    // Index of the added or reused message, -1 when memory runs out.
    int32_t AddLocked(const char* title, const char* text, bool reuse, int32_t kind, int32_t id);

    mutable std::mutex mutex_;
    std::vector<TNInfoMessage> items_;
    uint64_t lastKey_ = 0;
};
