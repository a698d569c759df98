#pragma once

#include <cstdint>

class TNPIMRecord;

// The records filed under one calendar day, and the newest change among
// them, which the day boxes compare to know when to draw again. The entry
// only borrows its records.
class TNPIMAllDay {
public:
    // Left to the views; 255 after Init.
    uint8_t Marker = 255;
    int32_t Count = 0;
    TNPIMRecord** Items = nullptr;
    uint32_t lastChanged = 0;

    TNPIMAllDay() = default;
    ~TNPIMAllDay();
    TNPIMAllDay(const TNPIMAllDay&) = delete;
    TNPIMAllDay& operator=(const TNPIMAllDay&) = delete;

    void Init();
    // n <= 0 empties the entry; otherwise Count becomes n, new slots null.
    // False, with the entry unchanged, when memory runs out.
    bool ResizeRecords(int32_t n);
    // First slot whose record has this id; -1 when none.
    int32_t GetRecordPos(uint32_t id) const;
    // The slot of a record of the same id when one is filed already,
    // otherwise a new last slot; -1 when the entry cannot grow.
    int32_t AddRecord(TNPIMRecord* record);
    // Removes the first slot of the record's id; the last slot moves into it.
    void DeleteRecord(TNPIMRecord* record);
    // Removes every slot of the id; whether there was one.
    bool DeleteRecordsWithID(uint32_t id);
    // Removes the slots holding exactly this record; whether there was one.
    bool DeleteRecordPointer(const TNPIMRecord* record);
    void Update_lastChanged();

private:
    int32_t capacity_ = 0;

    void RemoveSlot(int32_t pos);
};
