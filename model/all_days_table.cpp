#include "model/all_days_table.h"

#include <new>

void TNAllDaysTable::GrowLocked(int32_t count)
{
    while (static_cast<int32_t>(years_.size()) < count) {
        years_.push_back(std::make_unique<Year>());
    }
}

void TNAllDaysTable::GrowTo(int32_t count)
{
    std::lock_guard<std::mutex> lock(mutex_);
    try {
        GrowLocked(count);
    } catch (const std::bad_alloc&) {
        // The slots that could be made stay; Entry makes the rest on demand.
    }
}

int32_t TNAllDaysTable::YearSlots() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(years_.size());
}

TNPIMAllDay* TNAllDaysTable::Entry(int32_t yearPos, int32_t year, int32_t month, int32_t day)
{
    if (yearPos < 0 || month < 1 || month >= kMonths || day < 1 || day >= kDays) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    try {
        // Another thread may be handed a new year slot before the year-slot
        // hook has run.
        GrowLocked(yearPos + 1);
        slotOfYear_[year] = yearPos;
        std::unique_ptr<TNPIMAllDay>& slot = (*years_[static_cast<size_t>(yearPos)])[month * kDays + day];
        if (slot == nullptr) {
            slot = std::make_unique<TNPIMAllDay>();
        }
        return slot.get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

TNPIMAllDay* TNAllDaysTable::Find(int32_t year, int32_t month, int32_t day) const
{
    if (month < 1 || month >= kMonths || day < 1 || day >= kDays) {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = slotOfYear_.find(year);
    if (found == slotOfYear_.end()) {
        return nullptr;
    }
    return (*years_[static_cast<size_t>(found->second)])[month * kDays + day].get();
}

void TNAllDaysTable::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    years_.clear();
    slotOfYear_.clear();
}
