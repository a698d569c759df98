#pragma once

#include "model/all_day.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// The per-day index of a data set: per year slot of `c` (GetYearPos), 13
// months (1..12 used) of 32 days (1..31 used), each a day entry made on
// demand.
//
// The slots and entries are made and freed under the table's own mutex, so
// readers holding the model lock shared may make a day entry; what an entry
// holds changes only under the model lock held exclusively.
class TNAllDaysTable {
public:
    static constexpr int32_t kMonths = 13;
    static constexpr int32_t kDays = 32;

    TNAllDaysTable() = default;
    TNAllDaysTable(const TNAllDaysTable&) = delete;
    TNAllDaysTable& operator=(const TNAllDaysTable&) = delete;

    // Year slots 0 .. count-1 exist afterwards.
    void GrowTo(int32_t count);
    int32_t YearSlots() const;
    // The entry of a day in the year slot of `year`, made when missing.
    // Null for a month or day the table cannot hold, or when memory runs
    // out.
    TNPIMAllDay* Entry(int32_t yearPos, int32_t year, int32_t month, int32_t day);
    // The entry of a day when it was made; never makes one.
    TNPIMAllDay* Find(int32_t year, int32_t month, int32_t day) const;
    // Calls fn(year, month, day, entry) for every entry made.
    template <class Fn> void ForEachEntry(Fn&& fn) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& [year, pos] : slotOfYear_) {
            for (int32_t month = 1; month < kMonths; ++month) {
                for (int32_t day = 1; day < kDays; ++day) {
                    if (const auto& entry = (*years_[static_cast<size_t>(pos)])[month * kDays + day]) {
                        fn(year, month, day, *entry);
                    }
                }
            }
        }
    }
    // Frees every entry and slot.
    void Clear();

private:
    using Year = std::array<std::unique_ptr<TNPIMAllDay>, kMonths * kDays>;

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<Year>> years_;
    // The year each slot with entries stands for.
    std::unordered_map<int32_t, int32_t> slotOfYear_;

    void GrowLocked(int32_t count);
};
