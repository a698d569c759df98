#pragma once

#include "foundation/time.h"
#include "platform/gui/types.h"

#include <cstdint>
#include <string>

// The parts of the record lists that need no controls: what a card's date
// label says, its colours, and where a scrolled list starts.

// A card's date label; an empty text shows none.
struct TNCardDateLabel {
    std::string Text;
    plat::TColor Background = 0;
    plat::TColor TextColor = 0;
};

// The label of a begin against today and tomorrow (their dates only).
// Hour 99 with minute and second 0 is a date without a time of day.
TNCardDateLabel CardDateLabel(bool hasBegin, const TNTime& begin, const TNTime& today, const TNTime& tomorrow);

// The colour combination of a card of that type: tasks by importance,
// notes and organizer cards one of their own, anything else the plain one.
int8_t CardColorCombination(int32_t cardType, int32_t importance);

// The item a list scrolled to `offset` starts with. `heights` holds one
// entry per item, -1 while not measured; only the measured items in front
// of the first unmeasured one have known tops. Beyond the last full screen
// the list starts at the first item, counted back from the end, that still
// fits on one screen of `viewHeight`.
int32_t FirstVisibleItem(int32_t offset, int32_t viewHeight, const int32_t* heights, int32_t count);

// The number of cards each list keeps: one screen of the smallest cards,
// at least one.
int32_t RecordsPoolSizeFor(int32_t screenHeight, int32_t smallestCardHeight);
