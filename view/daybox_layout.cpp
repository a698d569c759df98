// Turning a day's minutes into pixels: the fixed rows of the day and week
// views, the month cells, and the home page's dynamic layout that leaves out
// empty time.

#include "foundation/log.h"
#include "model/record.h"
#include "view/daybox_fill.h"

#include <algorithm>

namespace {

constexpr int32_t kDayMinutes = 1440;

// Positions of the segments, leaders one after another from the top pad,
// optionally with their gaps; returns the content's end.
int32_t StackSegments(std::vector<TNDayboxSegment>& segments, int32_t topPad, bool withGaps)
{
    int32_t contentEnd = topPad;
    int32_t previousLeader = -1;
    for (TNDayboxSegment& segment : segments) {
        if (segment.Anchor < 0) {
            segment.Top = previousLeader < 0
                              ? topPad
                              : contentEnd + (withGaps ? segments[static_cast<size_t>(previousLeader)].GapPixels : 0);
            previousLeader = static_cast<int32_t>(&segment - segments.data());
        } else {
            segment.Top = segments[static_cast<size_t>(segment.Anchor)].Top + segment.AnchorOffset;
        }
        contentEnd = std::max(contentEnd, segment.Top + segment.Height);
    }
    return contentEnd;
}

// The empty time between each run's end and the next leader's start.
void MeasureGaps(std::vector<TNDayboxSegment>& segments, int32_t rowHeight)
{
    int32_t leader = -1;
    int32_t runEnd = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        TNDayboxSegment& segment = segments[i];
        if (segment.Anchor < 0) {
            if (leader >= 0) {
                TNDayboxSegment& previous = segments[static_cast<size_t>(leader)];
                previous.GapMinutes = std::max(0, segment.StartMinute - runEnd);
                previous.GapPixels = DayboxMinutesToPixels(previous.GapMinutes, rowHeight);
            }
            leader = static_cast<int32_t>(i);
            runEnd = segment.EndMinute;
        } else {
            runEnd = std::max(runEnd, segment.EndMinute);
        }
    }
}

// Shrinks the gaps so that the content fits the available height: in
// proportion while every gap keeps at least a row, else a row each.
void FitGaps(std::vector<TNDayboxSegment>& segments, int32_t rowHeight, int32_t available, int32_t heights)
{
    int32_t gaps = 0;
    int32_t gapsSum = 0;
    for (const TNDayboxSegment& segment : segments) {
        if (segment.GapPixels > 0) {
            ++gaps;
            gapsSum += segment.GapPixels;
        }
    }
    if (available >= heights + gapsSum)
        return;
    const int32_t room = available - heights;
    if (gaps * rowHeight < room) {
        // room > 0 and gapsSum > room, so the divisor is at least 100.
        const int32_t divisor = (gapsSum * 100) / room;
        for (TNDayboxSegment& segment : segments)
            segment.GapPixels = segment.GapPixels * 100 / divisor;
        return;
    }
    for (TNDayboxSegment& segment : segments) {
        if (segment.GapPixels > 0)
            segment.GapPixels = rowHeight;
    }
}

struct Breakpoint {
    int32_t minute;
    float pixel;
};

// Every minute's pixel row between breakpoints, rising linearly. A
// breakpoint not after the previous one is left out: its minute distance
// of 0 would make the step infinite.
void FillMinuteTable(const std::vector<Breakpoint>& breakpoints, float* minuteTops)
{
    Breakpoint previous{0, 0.0f};
    minuteTops[0] = 0.0f;
    for (Breakpoint point : breakpoints) {
        if (point.minute > kDayMinutes) {
            LogTextInt("[dayboxMinutes][ERROR] minutes_pos > 1440; ", point.minute);
            point.minute = kDayMinutes;
        }
        if (point.minute <= previous.minute)
            continue;
        point.pixel = std::max(point.pixel, previous.pixel);
        const float step = (point.pixel - previous.pixel) / static_cast<float>(point.minute - previous.minute);
        for (int32_t m = previous.minute + 1; m < point.minute; ++m)
            minuteTops[m] = std::min(point.pixel, previous.pixel + step * static_cast<float>(m - previous.minute));
        minuteTops[point.minute] = point.pixel;
        previous = point;
    }
}

} // namespace

void TNDayboxDay::Prepare()
{
    const size_t n = Records.size();
    Begin.assign(n, 0);
    Length.assign(n, 0);
    AllDay.assign(n, 0);
    Top.assign(n, 0);
    Height.assign(n, 0);
    Offset.assign(n, 0);
    Width.assign(n, 0);
    Column.assign(n, 0);
    Group.assign(n, -1);
    Groups.clear();
}

int32_t DayboxMinutesToPixels(int32_t minutes, int32_t rowHeight)
{
    return ((minutes * 100) / 15 * rowHeight) / 100;
}

int32_t AddToOverlapGroup(std::vector<std::vector<int32_t>>& groups, int32_t group, int32_t record)
{
    if (group < 0 || group >= static_cast<int32_t>(groups.size()))
        return -1;
    std::vector<int32_t>& members = groups[static_cast<size_t>(group)];
    auto found = std::find(members.begin(), members.end(), record);
    if (found != members.end())
        return static_cast<int32_t>(found - members.begin());
    members.push_back(record);
    return static_cast<int32_t>(members.size()) - 1;
}

void Daybox_RecalcBeginsAndHeights_ModeStandard(TNDayboxDay& day, int32_t rowHeight)
{
    for (int32_t i = 0; i < day.Count(); ++i) {
        day.Top[static_cast<size_t>(i)] = DayboxMinutesToPixels(day.Begin[static_cast<size_t>(i)], rowHeight);
        day.Height[static_cast<size_t>(i)] = DayboxMinutesToPixels(day.Length[static_cast<size_t>(i)], rowHeight);
    }
}

void Daybox_RecalcBeginsAndHeights_ModeMonth(TNDayboxDay& day, int32_t rowHeight)
{
    for (int32_t i = 0; i < day.Count(); ++i) {
        day.Top[static_cast<size_t>(i)] = DayboxMinutesToPixels(day.Begin[static_cast<size_t>(i)], rowHeight);
        day.Height[static_cast<size_t>(i)] = rowHeight;
    }
}

TNDayboxDynamicLayout Daybox_RecalcBeginsAndHeights_ModeDynamic(TNDayboxDay& day, int32_t rowHeight, int32_t available,
                                                                bool endsOnLastRow, float* minuteTops)
{
    TNDayboxDynamicLayout layout;
    std::vector<TNDayboxSegment>& segments = layout.Segments;
    std::vector<int32_t> segmentOf(day.Records.size(), -1);
    bool startsAtMidnight = false;
    for (int32_t i = 0; i < day.Count(); ++i) {
        const size_t at = static_cast<size_t>(i);
        if (day.AllDay[at] != 0)
            continue;
        TNDayboxSegment segment;
        segment.RecordPos = i;
        segment.StartMinute = day.Begin[at];
        segment.Minutes = day.Length[at];
        segment.EndMinute = segment.StartMinute + segment.Minutes;
        segment.BeginHour = segment.StartMinute / 60;
        segment.BeginMinute = segment.StartMinute % 60;
        startsAtMidnight = startsAtMidnight || segment.StartMinute == 0;
        segmentOf[at] = static_cast<int32_t>(segments.size());
        segments.push_back(segment);
    }
    if (segments.empty()) {
        // An empty day: 24 equal hours over the available height.
        if (minuteTops != nullptr) {
            for (int32_t m = 0; m <= kDayMinutes; ++m)
                minuteTops[m] = static_cast<float>(available) * static_cast<float>(m) / kDayMinutes;
        }
        return layout;
    }

    // 1. A row of padding above and below unless the day begins at midnight or ends on the last row.
    const int32_t topPad = startsAtMidnight ? 0 : rowHeight;
    const int32_t bottomPad = endsOnLastRow ? 0 : rowHeight;
    available -= topPad + bottomPad;

    // 2, 3. Each segment's height, anchored to the first of its overlap group.
    for (TNDayboxSegment& segment : segments) {
        const size_t at = static_cast<size_t>(segment.RecordPos);
        const int32_t group = day.Group[at];
        if (group >= 0 && day.Offset[at] != 0) {
            for (int32_t member : day.Groups[static_cast<size_t>(group)]) {
                if (day.Offset[static_cast<size_t>(member)] == 0 && segmentOf[static_cast<size_t>(member)] >= 0) {
                    segment.Anchor = segmentOf[static_cast<size_t>(member)];
                    break;
                }
            }
        }
        segment.FirstTop = DayboxMinutesToPixels(segment.StartMinute, rowHeight);
        segment.Height = DayboxMinutesToPixels(segment.Minutes, rowHeight);
    }
    for (TNDayboxSegment& segment : segments) {
        if (segment.Anchor >= 0)
            segment.AnchorOffset = segment.FirstTop - segments[static_cast<size_t>(segment.Anchor)].FirstTop;
    }

    // 4, 5. The segments stacked and their gaps fitted to the room.
    const int32_t heights = StackSegments(segments, topPad, false) - topPad;
    MeasureGaps(segments, rowHeight);
    FitGaps(segments, rowHeight, available, heights);
    layout.TotalHeight = StackSegments(segments, topPad, true) + bottomPad;

    // 6. The minute table for the red line and the scroll position.
    if (minuteTops != nullptr) {
        std::vector<Breakpoint> breakpoints;
        for (const TNDayboxSegment& segment : segments)
            breakpoints.push_back({segment.StartMinute, static_cast<float>(segment.Top)});
        const TNDayboxSegment& last = segments.back();
        breakpoints.push_back({last.EndMinute, static_cast<float>(last.Top + last.Height)});
        breakpoints.push_back({kDayMinutes, static_cast<float>(layout.TotalHeight)});
        FillMinuteTable(breakpoints, minuteTops);
        // A run ending at midnight leaves out the last breakpoint.
        minuteTops[kDayMinutes] = static_cast<float>(layout.TotalHeight);
    }
    for (const TNDayboxSegment& segment : segments) {
        day.Top[static_cast<size_t>(segment.RecordPos)] = segment.Top;
        day.Height[static_cast<size_t>(segment.RecordPos)] = segment.Height;
    }
    return layout;
}
