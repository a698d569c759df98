#include "online/upload_backoff.h"

#include <algorithm>

void TNUploadBackOff::Failed(int32_t type, uint32_t id, int64_t nowMs, int64_t maxDelayMs)
{
    std::lock_guard<std::mutex> guard(mutex_);
    Entry& entry = entries_[{type, id}];
    int64_t delay = kFirstDelayMs;
    for (int32_t i = 0; i < entry.Failures && delay < maxDelayMs; ++i)
        delay *= 2;
    entry.DueMs = nowMs + std::max<int64_t>(std::min(delay, maxDelayMs), 0);
    ++entry.Failures;
}

void TNUploadBackOff::Succeeded(int32_t type, uint32_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.erase({type, id});
}

bool TNUploadBackOff::BackingOff(int32_t type, uint32_t id, int64_t nowMs) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = entries_.find({type, id});
    return found != entries_.end() && found->second.DueMs > nowMs;
}

int32_t TNUploadBackOff::Failures(int32_t type, uint32_t id) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = entries_.find({type, id});
    return found != entries_.end() ? found->second.Failures : 0;
}

int64_t TNUploadBackOff::EarliestDeadline(int64_t nowMs) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    int64_t earliest = -1;
    for (const auto& [key, entry] : entries_) {
        if (entry.DueMs > nowMs && (earliest < 0 || entry.DueMs < earliest))
            earliest = entry.DueMs;
    }
    return earliest;
}

void TNUploadBackOff::Clear()
{
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.clear();
}
