#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

// The records shown on screen as record components, by (record id, data-set
// position). The main thread adds them; the online thread and the pictures
// job read copies; a log-out or reload empties the list from any thread.
class TNShownRecords {
public:
    struct Entry {
        uint32_t RecordId = 0;
        int32_t PimPos = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // The position of the id when listed, else the position it was
    // appended at.
    int32_t Add(uint32_t recordId, int32_t pimPos);
    // Position of the id, -1 when it is not listed.
    int32_t Find(uint32_t recordId) const;
    // Keeps the first n entries; n <= 0 empties the list.
    void Truncate(int32_t n);
    int32_t Count() const;
    std::vector<Entry> Snapshot() const;

private:
    int32_t FindLocked(uint32_t recordId) const;

    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};
