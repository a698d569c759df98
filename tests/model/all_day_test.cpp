// The per-day index: filing records under their days and taking them out.

#include "foundation/civil_date.h"
#include "tests/model/data_set_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

using TNPIMAllDayIndex = model_test::DataSetTest;

int32_t Iterations(int32_t fallback)
{
    const char* text = std::getenv("DALMORA_PROPERTY_ITERATIONS");
    return text != nullptr ? std::max(1, std::atoi(text)) : fallback;
}

std::vector<uint32_t> IDsOn(TNPIM& pim, int year, int month, int day)
{
    std::vector<uint32_t> ids;
    if (TNPIMAllDay* entry = pim.AllDaysEx.Find(year, month, day)) {
        for (int32_t i = 0; i < entry->Count; ++i) {
            ids.push_back(entry->Items[i]->ID);
        }
    }
    return ids;
}

TEST_F(TNPIMAllDayIndex, FilesARecordUnderEachDayItOccupies)
{
    AddOrganizer(1000);
    AddOrganizer(2000, 5);
    struct Case {
        const char* name;
        uint32_t organizer;
        const char* begin;
        const char* end;
        std::vector<int> days;
    };
    const Case cases[] = {
        {"an end at midnight leaves its day", 1000, "2024-03-10 09:00", "2024-03-12 00:00", {10, 11}},
        {"an end in the day keeps it", 1000, "2024-03-10 09:00", "2024-03-12 00:01", {10, 11, 12}},
        {"date only", 1000, "2024-03-10", "2024-03-11", {10, 11}},
        {"an end before the begin", 1000, "2024-03-12 09:00", "2024-03-10 10:00", {12}},
        {"no end", 1000, "2024-03-13 09:00", nullptr, {13}},
        {"organizer with subscription 5", 2000, "2024-03-10 09:00", nullptr, {}},
    };
    uint32_t id = 1;
    for (const Case& c : cases) {
        int32_t pos = AddRecord(id, c.organizer, c.begin, c.end);
        std::vector<int> filed;
        for (int day = 1; day <= 31; ++day) {
            std::vector<uint32_t> ids = IDsOn(Pim(), 2024, 3, day);
            if (std::find(ids.begin(), ids.end(), id) != ids.end()) {
                filed.push_back(day);
            }
        }
        EXPECT_EQ(filed, c.days) << c.name;
        EXPECT_EQ(Records().Items[pos]->IndexedDays.Count, static_cast<int32_t>(c.days.size())) << c.name;
        ++id;
    }
    TNPIMAllDay* eleventh = Pim().GetAllDaysItem(2024, 3, 11);
    EXPECT_EQ(eleventh->lastChanged, std::max(Records().Items[0]->Changed, Records().Items[2]->Changed))
        << "every day of a multi-day record sees its change";
}

TEST_F(TNPIMAllDayIndex, EntryKeepsOneSlotPerIdAndMovesTheLastIntoAGap)
{
    AddOrganizer(1000);
    for (uint32_t id : {1u, 2u, 3u}) {
        AddRecord(id, 1000, "2024-03-10 09:00");
    }
    TNPIMAllDay* entry = Pim().GetAllDaysItem(2024, 3, 10);
    EXPECT_EQ(entry->AddRecord(Records().Items[0]), 0) << "filed twice, one slot";
    EXPECT_EQ(entry->Count, 3);
    entry->DeleteRecord(Records().Items[0]);
    EXPECT_EQ(IDsOn(Pim(), 2024, 3, 10), (std::vector<uint32_t>{3, 2}));
}

TEST_F(TNPIMAllDayIndex, GetAllDaysItemRefusesWhatTheTableCannotHold)
{
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 13, 5), nullptr);
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 2, 0), nullptr);
    EXPECT_EQ(log_.CountContaining("[TNPIM::GetAllDaysItem] ERROR month = 13"), 1);
    EXPECT_EQ(log_.CountContaining("[TNPIM::GetAllDaysItem] ERROR day = 0"), 1);
    TNPIMAllDay* entry = Pim().GetAllDaysItem(2024, 2, 29);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Marker, 255);
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 2, 29), entry);
}

TEST_F(TNPIMAllDayIndex, YearTableGrowsTheIndexThroughTheHook)
{
    int32_t before = Pim().AllDaysEx.YearSlots();
    int32_t pos = c.GetYearPos(1907);
    EXPECT_GE(Pim().AllDaysEx.YearSlots(), pos + 1);
    EXPECT_GE(Pim().AllDaysEx.YearSlots(), before);
}

// What the index must hold: every record that is filed at all, under each
// of its days, found by a walk of the collection.
model_test::DayIndexSnapshot Rebuilt(TNPIM& pim)
{
    model_test::DayIndexSnapshot days;
    TNPIMRecords& records = *pim.Records;
    for (int32_t i = 0; i < records.Count; ++i) {
        const TNPIMRecord& r = *records.Items[i];
        const TNPIMOrganizer* organizer = pim.Organizers.GetOrganizerByID(r.OrganizerID);
        if (!r.HasBegin || (organizer != nullptr && organizer->Subscribe == 5) || (r.Virtual && r.Deleted != 0)) {
            continue;
        }
        int64_t first = civil::DaysFromCivil(r.Begin.Rok, r.Begin.Mesic, r.Begin.Den);
        int64_t last = first;
        if (r.HasEnd) {
            last = std::max(first, civil::DaysFromCivil(r.End.Rok, r.End.Mesic, r.End.Den));
            if (last > first && r.End.Hodina == 0 && r.End.Minuta == 0) {
                --last;
            }
        }
        for (int64_t d = first; d <= last; ++d) {
            civil::Date date = civil::CivilFromDays(d);
            auto& filed = days[{date.Year, date.Month, date.Day}];
            filed.emplace_back(r.ID, r.Virtual, r.Begin.Rok);
            std::sort(filed.begin(), filed.end());
        }
    }
    return days;
}

TEST_F(TNPIMAllDayIndex, IndexEqualsAFullRebuildAfterRandomChanges)
{
    AddOrganizer(1000);
    std::mt19937 random(77);
    uint32_t nextID = 100;
    const int32_t steps = Iterations(150);
    auto randomDay = [&](TNTime& time, int year) {
        time.SetDateTime(1 + random() % 28, 1 + random() % 12, 0, random() % 2 == 0 ? 0 : 30, random() % 24, year);
        time.GetTimestamp();
    };
    for (int32_t step = 0; step < steps; ++step) {
        int32_t op = static_cast<int32_t>(random() % 100);
        std::vector<int32_t> masters;
        for (int32_t i = 0; i < Records().Count; ++i) {
            if (!Records().Items[i]->Virtual) {
                masters.push_back(i);
            }
        }
        if (op < 35 || masters.empty()) {
            int32_t type = random() % 5 == 0 ? rtBirthday : rtEvent;
            AddRecord(nextID++, 1000, type == rtBirthday ? "2097-07-01" : "2024-05-01 10:00",
                      type == rtBirthday ? nullptr : "2024-05-03 00:00", type);
            continue;
        }
        TNPIMRecord& r = *Records().Items[masters[random() % masters.size()]];
        int32_t pos = Records().GetRecordPosByID(r.ID);
        // The record change sequence: out of the index, change, save.
        r.DeleteRecordFromAllDays();
        if (op < 75) {
            int year = r.Type == rtBirthday ? 2094 + static_cast<int>(random() % 8) : 2024;
            randomDay(r.Begin, year);
            r.End.Copy(&r.Begin);
            r.End.SetTimestamp(r.Begin.Timestamp + static_cast<int64_t>(random() % 4) * 86400 + 3600 * (random() % 3));
            r.Changed += 1 + random() % 100;
            Records().SaveOrDeleteRecordByPos(pos, false);
        } else {
            Records().SaveOrDeleteRecordByPos(pos, true);
        }
        ASSERT_EQ(model_test::SnapshotDays(Pim()), Rebuilt(Pim())) << "step " << step;
    }
    // And every entry's newest change is current.
    Pim().AllDaysEx.ForEachEntry([](int32_t, int32_t, int32_t, const TNPIMAllDay& entry) {
        uint32_t newest = 0;
        for (int32_t i = 0; i < entry.Count; ++i) {
            newest = std::max(newest, entry.Items[i]->Changed);
        }
        EXPECT_EQ(entry.lastChanged, newest);
    });
}

} // namespace
