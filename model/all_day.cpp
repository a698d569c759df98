#include "model/all_day.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/record.h"

#include <cstdlib>

TNPIMAllDay::~TNPIMAllDay()
{
    std::free(Items);
}

void TNPIMAllDay::Init()
{
    Marker = 255;
    std::free(Items);
    Items = nullptr;
    Count = 0;
    capacity_ = 0;
    lastChanged = 0;
}

bool TNPIMAllDay::ResizeRecords(int32_t n)
{
    return Guarded("[TNPIMAllDay::ResizeRecords]", false, [&] {
        if (n <= 0) {
            std::free(Items);
            Items = nullptr;
            Count = 0;
            capacity_ = 0;
            return true;
        }
        if (n > capacity_) {
            // Room for a few more, so that filing one record at a time
            // does not copy the array each time.
            int32_t wanted = n < 4 ? 4 : n + n / 2;
            void* grown = std::realloc(Items, static_cast<size_t>(wanted) * sizeof(TNPIMRecord*));
            if (grown == nullptr) {
                LogText("[TNPIMAllDay::ResizeRecords][ERROR]");
                return false;
            }
            Items = static_cast<TNPIMRecord**>(grown);
            capacity_ = wanted;
        }
        for (int32_t i = Count; i < n; ++i) {
            Items[i] = nullptr;
        }
        Count = n;
        return true;
    });
}

int32_t TNPIMAllDay::GetRecordPos(uint32_t id) const
{
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && Items[i]->ID == id) {
            return i;
        }
    }
    return -1;
}

int32_t TNPIMAllDay::AddRecord(TNPIMRecord* record)
{
    return Guarded("[TNPIMAllDay::AddRecord]", -1, [&] {
        if (record == nullptr) {
            return -1;
        }
        int32_t pos = GetRecordPos(record->ID);
        if (pos >= 0) {
            return pos;
        }
        if (!ResizeRecords(Count + 1)) {
            return -1;
        }
        Items[Count - 1] = record;
        return Count - 1;
    });
}

void TNPIMAllDay::RemoveSlot(int32_t pos)
{
    Items[pos] = Items[Count - 1];
    Items[Count - 1] = nullptr;
    --Count;
    if (Count == 0) {
        ResizeRecords(0);
    }
}

void TNPIMAllDay::DeleteRecord(TNPIMRecord* record)
{
    Guarded("[TNPIMAllDay::DeleteRecord]", [&] {
        if (record == nullptr) {
            return;
        }
        int32_t pos = GetRecordPos(record->ID);
        if (pos >= 0) {
            RemoveSlot(pos);
        }
    });
}

bool TNPIMAllDay::DeleteRecordsWithID(uint32_t id)
{
    bool removed = false;
    for (int32_t pos = GetRecordPos(id); pos >= 0; pos = GetRecordPos(id)) {
        RemoveSlot(pos);
        removed = true;
    }
    return removed;
}

bool TNPIMAllDay::DeleteRecordPointer(const TNPIMRecord* record)
{
    bool removed = false;
    for (int32_t i = Count - 1; i >= 0; --i) {
        if (Items[i] == record) {
            RemoveSlot(i);
            removed = true;
        }
    }
    return removed;
}

void TNPIMAllDay::Update_lastChanged()
{
    Guarded("[TNPIMAllDay::Update_lastChanged]", [&] {
        uint32_t newest = 0;
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr && Items[i]->Changed > newest) {
                newest = Items[i]->Changed;
            }
        }
        lastChanged = newest;
    });
}
