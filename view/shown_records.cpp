#include "view/shown_records.h"

#include <algorithm>

int32_t TNShownRecords::Add(uint32_t recordId, int32_t pimPos)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const int32_t known = FindLocked(recordId);
    if (known >= 0)
        return known;
    entries_.push_back(Entry{recordId, pimPos});
    return static_cast<int32_t>(entries_.size()) - 1;
}

int32_t TNShownRecords::Find(uint32_t recordId) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return FindLocked(recordId);
}

int32_t TNShownRecords::FindLocked(uint32_t recordId) const
{
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [recordId](const Entry& entry) { return entry.RecordId == recordId; });
    return found == entries_.end() ? -1 : static_cast<int32_t>(found - entries_.begin());
}

void TNShownRecords::Truncate(int32_t n)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (n <= 0)
        entries_.clear();
    else if (static_cast<size_t>(n) < entries_.size())
        entries_.resize(static_cast<size_t>(n));
}

int32_t TNShownRecords::Count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(entries_.size());
}

std::vector<TNShownRecords::Entry> TNShownRecords::Snapshot() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}
