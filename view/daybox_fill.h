#pragma once

#include <cstdint>
#include <vector>

class TNPIMRecord;

namespace plat {
class TImage;
}

// One day's taken records in display order with what the fill computes for
// each: minutes relative to the day, pixels, overlap group and column.
struct TNDayboxDay {
    std::vector<TNPIMRecord*> Records;
    std::vector<int32_t> Begin;
    std::vector<int32_t> Length;
    std::vector<uint8_t> AllDay;
    std::vector<int32_t> Top;
    std::vector<int32_t> Height;
    std::vector<int32_t> Offset;
    std::vector<int32_t> Width;
    // Column among the members of its overlap group.
    std::vector<int32_t> Column;
    std::vector<int32_t> Group;
    // Members of each group, in the order they joined.
    std::vector<std::vector<int32_t>> Groups;

    int32_t Count() const { return static_cast<int32_t>(Records.size()); }
    // Every per-record value sized to the records, groups none.
    void Prepare();
};

// The home page's layout of one day: one segment per timed record.
struct TNDayboxSegment {
    int32_t RecordPos = 0;
    int32_t StartMinute = 0;
    int32_t Minutes = 0;
    int32_t EndMinute = 0;
    int32_t FirstTop = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t GapMinutes = 0;
    int32_t GapPixels = 0;
    // The record whose top this one follows, -1 for the leader of a run.
    int32_t Anchor = -1;
    int32_t AnchorOffset = 0;
    int32_t BeginHour = 0;
    int32_t BeginMinute = 0;
};

struct TNDayboxDynamicLayout {
    std::vector<TNDayboxSegment> Segments;
    int32_t TotalHeight = 0;
};

// Pixels of m minutes at a quarter-hour row height.
int32_t DayboxMinutesToPixels(int32_t minutes, int32_t rowHeight);

// Adds a record to a group unless listed there already; its place in the
// group, -1 when the group does not exist.
int32_t AddToOverlapGroup(std::vector<std::vector<int32_t>>& groups, int32_t group, int32_t record);

// Minutes to pixels by the day box's layout.
void Daybox_RecalcBeginsAndHeights_ModeStandard(TNDayboxDay& day, int32_t rowHeight);
void Daybox_RecalcBeginsAndHeights_ModeMonth(TNDayboxDay& day, int32_t rowHeight);
// The home page stacks its runs without empty time and fits the gaps into
// the available height; fills `minuteTops` (1441 values) from the result.
// `endsOnLastRow` tells that a timed record ends at 23:59, 24:00 or on
// another day.
TNDayboxDynamicLayout Daybox_RecalcBeginsAndHeights_ModeDynamic(TNDayboxDay& day, int32_t rowHeight, int32_t available,
                                                                bool endsOnLastRow, float* minuteTops);

// The home page's cached backgrounds, as wide as the screen: 24 equal hour
// rows, or a row at each run's start.
plat::TImage* Daybox_CreateDynamicImage_ModeDynamic_Empty(const char* name, int32_t height);
plat::TImage* Daybox_CreateDynamicImage_ModeDynamic(const char* name, int32_t height,
                                                    const TNDayboxDynamicLayout& layout);
