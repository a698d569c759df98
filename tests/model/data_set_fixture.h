#pragma once

// The data-set test fixture: a temporary user folder with the set's data
// file, TZ=Europe/Prague, the fake clock, a signed-in user, one server, the
// log captured, and helpers to build and compare sets.

#include "foundation/record_file_set.h"
#include "model/pim.h"
#include "tests/model/account_generator.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace model_test {

// The per-day index as a value: for each day, the filed records as (ID,
// virtual, begin year), sorted.
using DayIndexSnapshot = std::map<std::tuple<int, int, int>, std::vector<std::tuple<uint32_t, bool, int>>>;
DayIndexSnapshot SnapshotDays(const TNPIM& owner);

// Every field a record stores, compared one by one.
void ExpectSameStoredRecord(const TNPIMRecord& expected, const TNPIMRecord& actual);

class DataSetTest : public ::testing::Test {
protected:
    // The workspace builds the program's globals, which set up the log;
    // the capture comes after.
    AccountWorkspace workspace_;
    LogCapture log_;

    TNPIM& Pim() { return workspace_.Pim(); }
    TNPIMRecords& Records() { return *workspace_.Pim().Records; }
    TNRAFile& File() { return *raf.Items[static_cast<size_t>(workspace_.Fid())]; }

    // An organizer of the set; its position.
    int32_t AddOrganizer(uint32_t id, uint32_t subscribe = 0, uint32_t origin = 1);
    // A record with a begin (and an end when given), filed and queued as the
    // editor does; its position.
    int32_t AddRecord(uint32_t id, uint32_t organizerID, const char* begin, const char* end = nullptr,
                      int32_t type = rtEvent);
    // Writes the queue and loads the file into a fresh set in PIM[0].
    TNPIM& SaveAndReload();
    // Loads the file into a fresh set without saving first.
    TNPIM& Reload();
    // Whether the file holds a live record of the id.
    bool Stored(uint32_t id);
};

} // namespace model_test
