#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

// Failed uploads per item (upload type, id). After a failure the item waits
// 1 s before its next attempt, doubling with each further failure up to a
// bound, so that one refused item neither hammers the service nor holds
// back the items behind it. Times are monotonic milliseconds.
class TNUploadBackOff {
public:
    static constexpr int64_t kFirstDelayMs = 1000;

    // Counts a failure; the next attempt is due after the delay.
    void Failed(int32_t type, uint32_t id, int64_t nowMs, int64_t maxDelayMs);
    void Succeeded(int32_t type, uint32_t id);
    // The item waits for its next attempt.
    bool BackingOff(int32_t type, uint32_t id, int64_t nowMs) const;
    int32_t Failures(int32_t type, uint32_t id) const;
    // The earliest due time still ahead, or -1 when none.
    int64_t EarliestDeadline(int64_t nowMs) const;
    void Clear();

private:
    struct Entry {
        int32_t Failures = 0;
        int64_t DueMs = 0;
    };
    mutable std::mutex mutex_;
    std::map<std::pair<int32_t, uint32_t>, Entry> entries_;
};
