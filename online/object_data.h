#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

// The contact requests (type 1) and notifications (type 2) whose details the
// online pass is to fetch, one per pass. Entries stay for the run once done,
// so an index stays valid; the main thread adds, the online thread takes.
class TNObjectDataList {
public:
    static constexpr uint8_t kContactRequest = 1;
    static constexpr uint8_t kNotification = 2;

    struct Entry {
        bool done = false;
        uint8_t type = 0;
        uint32_t id = 0;
        int32_t pim_srv_pos = 0;
    };

    // The index of the entry not done with these values, else of a new one.
    int32_t Add(uint8_t type, uint32_t id, int32_t position);
    // Marks the first entry with these values done; its index, -1 when none.
    int32_t MarkDone(uint8_t type, uint32_t id, int32_t position);
    // The first entry not done; false when none.
    bool FirstPending(Entry* out) const;
    int32_t Count() const;
    // Entries not done.
    int32_t objectDataCount() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    int32_t pending_ = 0;
};
