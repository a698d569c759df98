// The record collection: look-ups by id, temporary ids, yearly copies,
// answers and the urgent pick.

#include "foundation/app_info.h"
#include "model/hooks.h"
#include "platform/core/clock.h"
#include "tests/model/data_set_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>

namespace {

using TNPIMRecordsData = model_test::DataSetTest;

int32_t Iterations(int32_t fallback)
{
    const char* text = std::getenv("DALMORA_PROPERTY_ITERATIONS");
    return text != nullptr ? std::max(1, std::atoi(text)) : fallback;
}

// The look-up as the collection's contract states it: a walk of the slots.
int32_t ScanForID(const TNPIMRecords& records, uint32_t id)
{
    for (int32_t i = 0; i < records.Count; ++i) {
        const TNPIMRecord* r = records.Items[i];
        if (r != nullptr && (r->ID == id || (id >= kFirstLocalID && r->OldID == id))) {
            return i;
        }
    }
    return -1;
}

TNString Answer(uint32_t id, uint32_t organizer, int32_t type, int year, int month, int day, uint32_t changed,
                uint32_t deleted = 0)
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "<ID>%u</ID><OrganizerID>%u</OrganizerID><Type>%d</Type><Text>Výročí svatby</Text>"
                  "<HasBegin>1</HasBegin><DateBegin>%04d-%02d-%02d</DateBegin><TimeBegin>99:00:00</TimeBegin>"
                  "<Changed>%u</Changed><Deleted>%u</Deleted>",
                  id, organizer, type, year, month, day, changed, deleted);
    return TNString(text);
}

int32_t CopiesOf(const TNPIMRecords& records, uint32_t id)
{
    int32_t copies = 0;
    for (int32_t i = 0; i < records.Count; ++i) {
        copies += records.Items[i]->Virtual && records.Items[i]->ID == id && records.Items[i]->Deleted == 0 ? 1 : 0;
    }
    return copies;
}

TEST_F(TNPIMRecordsData, IdIndexAnswersAsTheScanOverRandomChanges)
{
    AddOrganizer(1000);
    std::mt19937 random(20240610);
    std::vector<uint32_t> temporary;
    uint32_t nextServerID = 9000;
    const int32_t steps = Iterations(300);
    for (int32_t step = 0; step < steps; ++step) {
        int32_t op = static_cast<int32_t>(random() % 100);
        if (op < 40) {
            uint32_t id = 500 + random() % 60;
            int32_t type = random() % 4 == 0 ? rtBirthday : rtEvent;
            int year = type == rtBirthday ? 2090 + static_cast<int>(random() % 70) : 2024;
            TNString answer = Answer(id, 1000, type, year, 1 + random() % 12, 1 + random() % 28, 1718000000 + step,
                                     random() % 10 == 0 ? 1718000000 : 0);
            Records().Add(&answer);
        } else if (op < 60) {
            uint32_t id = Records().GetNextID();
            AddRecord(id, 1000, "2024-06-01 10:00", nullptr, random() % 3 == 0 ? rtAnniversary : rtTask);
            Records().Items[Records().GetRecordPosByID(id)]->Begin.SetDate(10, 6, 2095);
            temporary.push_back(id);
        } else if (op < 80 && !temporary.empty()) {
            size_t which = random() % temporary.size();
            uint32_t id = temporary[which];
            temporary.erase(temporary.begin() + static_cast<long>(which));
            if (Records().GetRecordPosByID(id) >= 0) {
                bool same = random() % 4 == 0;
                Records().DataUpSynced(id, same ? id : nextServerID++, 1718100000 + step);
            }
        } else if (op < 95) {
            int32_t change = static_cast<int32_t>(random() % 7) - 4;
            Records().Resize(std::max(0, Records().Count + change));
        } else {
            SaveAndReload();
        }

        std::set<uint32_t> probes = {0, 1, kFirstLocalID, kFirstLocalID + 1, 555, 9000};
        for (int32_t i = 0; i < Records().Count; ++i) {
            probes.insert(Records().Items[i]->ID);
            probes.insert(Records().Items[i]->OldID);
        }
        for (uint32_t id : probes) {
            ASSERT_EQ(Records().GetRecordPosByID(id), ScanForID(Records(), id)) << "step " << step << " id " << id;
        }
    }
    EXPECT_EQ(log_.CountContaining("stale id index"), 0);
}

TEST_F(TNPIMRecordsData, OldTemporaryIdFindsTheUploadedRecord)
{
    AddOrganizer(1000);
    AddRecord(700, 1000, "2024-03-10 09:30");
    int32_t pos = AddRecord(kFirstLocalID + 4, 1000, "2024-03-11 09:30");
    Records().DataUpSynced(kFirstLocalID + 4, 81234, 0);
    EXPECT_EQ(Records().GetRecordPosByID(kFirstLocalID + 4), pos);
    EXPECT_EQ(Records().GetRecordPosByID(81234), pos);
    EXPECT_EQ(Records().GetRecordByID(0), nullptr);
    EXPECT_EQ(Records().GetRecordPosByID(4711), -1);
}

TEST_F(TNPIMRecordsData, NextIdSkipsIdsInUse)
{
    AddOrganizer(1000);
    AddRecord(kFirstLocalID, 1000, "2024-03-10 09:30");
    AddRecord(kFirstLocalID + 1, 1000, "2024-03-10 09:30");
    Records().NextID = kFirstLocalID;
    EXPECT_EQ(Records().GetNextID(), kFirstLocalID + 2);
    EXPECT_EQ(Records().NextID, kFirstLocalID + 3);
}

TEST_F(TNPIMRecordsData, YearlyCopies)
{
    AddOrganizer(1000);
    int32_t other = AddRecord(42, 1000, "2024-03-10 09:30");
    int32_t pos = AddRecord(7, 1000, "1990-05-17", nullptr, rtBirthday);
    int32_t count = Records().Count;
    EXPECT_EQ(CopiesOf(Records(), 7), 110);
    int32_t first = -1;
    int32_t last = -1;
    for (int32_t i = 0; i < Records().Count; ++i) {
        const TNPIMRecord& r = *Records().Items[i];
        if (r.Virtual) {
            EXPECT_EQ(r.MasterPos, pos);
            EXPECT_EQ(r.Begin.Den, 17);
            EXPECT_EQ(r.Begin.Mesic, 5);
            first = first < 0 ? r.Begin.Rok : first;
            last = r.Begin.Rok;
        }
    }
    EXPECT_EQ(first, 1991);
    EXPECT_EQ(last, 2100);
    ASSERT_NE(Pim().GetAllDaysItem(2100, 5, 17), nullptr);
    EXPECT_EQ(Pim().GetAllDaysItem(2100, 5, 17)->Count, 1);

    Records().Items[pos]->DeleteRecordFromAllDays();
    Records().SaveOrDeleteRecordByPos(pos, false);
    EXPECT_EQ(Records().Count, count) << "saving again refills the copies in place";
    EXPECT_EQ(CopiesOf(Records(), 7), 110);

    struct Case {
        const char* name;
        int32_t year;
        bool deleted;
    };
    const Case cases[] = {{"begin after 2100", 2150, false}, {"deleted master", 1990, true}};
    for (const Case& c : cases) {
        Records().Items[pos]->DeleteRecordFromAllDays();
        Records().Items[pos]->Begin.SetDate(17, 5, c.year);
        Records().SaveOrDeleteRecordByPos(pos, c.deleted);
        EXPECT_EQ(CopiesOf(Records(), 7), 0) << c.name;
        EXPECT_EQ(Records().Count, count) << c.name << ": every other record stays";
        EXPECT_EQ(Records().Items[other]->ID, 42u) << c.name;
        EXPECT_EQ(Pim().GetAllDaysItem(2100, 5, 17)->Count, 0) << c.name;
        Records().Items[pos]->Deleted = 0;
    }
}

TEST_F(TNPIMRecordsData, LeapDayCopiesFallOnTheTwentyEighth)
{
    AddOrganizer(1000);
    AddRecord(8, 1000, "2096-02-29", nullptr, rtAnniversary);
    std::vector<std::pair<int, int>> dates;
    for (int32_t i = 0; i < Records().Count; ++i) {
        if (Records().Items[i]->Virtual) {
            dates.emplace_back(Records().Items[i]->Begin.Rok, Records().Items[i]->Begin.Den);
        }
    }
    EXPECT_EQ(dates, (std::vector<std::pair<int, int>>{{2097, 28}, {2098, 28}, {2099, 28}, {2100, 28}}));
}

TEST_F(TNPIMRecordsData, AddUpdatesTheRecordOfItsIdAndCounts)
{
    AddOrganizer(1000);
    TNString first = Answer(81234, 1000, rtEvent, 2024, 3, 10, 1718000000);
    TNString second = Answer(81234, 1000, rtEvent, 2024, 3, 12, 1717000000);
    TNString orphan = Answer(81235, 4444, rtEvent, 2024, 3, 12, 1717000000);
    int32_t pos = Records().Add(&first);
    EXPECT_EQ(Records().Add(&second), pos);
    Records().Add(&orphan);
    const TNPIMOrganizer& organizer = *Pim().Organizers.Items[0];
    EXPECT_EQ(organizer.recordsReceived, 2);
    EXPECT_EQ(organizer.recordsNewestChanged, 1718000000u) << "an older change leaves the newest";
    EXPECT_EQ(log_.CountContaining("[TNPIMRecords::Add][ERROR] organizer_pos = -1"), 1);
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 3, 10)->Count, 0) << "moved off its old day";
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 3, 12)->Count, 2);
    EXPECT_TRUE(pimDataReceived);
}

// An answer of only some keys keeps Changed, so a title built from the old
// text would look current; and the tag link lives in memory only.
TEST_F(TNPIMRecordsData, AddDropsTheBuiltTitleAndTheTagLink)
{
    AddOrganizer(1000);
    TNString full = Answer(81240, 1000, rtEvent, 2024, 3, 10, 1718000000);
    int32_t pos = Records().Add(&full);
    TNPIMRecord& record = *Records().Items[pos];
    ASSERT_TRUE(record.HasShortTitle(true));
    ASSERT_EQ(record.ShortTitle.View(), "Výročí svatby");
    record.TagID = 812;

    TNString textOnly("<ID>81240</ID><Text>Oběd s klientem</Text>");
    ASSERT_EQ(Records().Add(&textOnly), pos);
    EXPECT_EQ(record.TagID, 0u);
    ASSERT_TRUE(record.HasShortTitle(true));
    EXPECT_EQ(record.ShortTitle.View(), "Oběd s klientem");
}

// The reload of blank records goes by the time of the last local save.
TEST_F(TNPIMRecordsData, SavingStampsTheLocalChangeTime)
{
    AddOrganizer(1000);
    int32_t pos = AddRecord(81241, 1000, "2024-03-10 09:30");
    TNPIMRecord& record = *Records().Items[pos];
    record.LocalChanged = 1;
    ASSERT_TRUE(Records().SaveOrDeleteRecordByPos(pos, false));
    EXPECT_EQ(record.LocalChanged, static_cast<uint32_t>(plat::UnixSeconds()));
}

TEST_F(TNPIMRecordsData, UpdatedRecordsStopAtTheFirstMissingNumber)
{
    AddOrganizer(1000);
    std::string answer = "<records><0>" + std::string(Answer(1, 1000, rtEvent, 2024, 3, 10, 1).View()) + "</0><1>" +
                         std::string(Answer(2, 1000, rtEvent, 2024, 3, 10, 1).View()) + "</1><3>" +
                         std::string(Answer(3, 1000, rtEvent, 2024, 3, 10, 1).View()) + "</3></records>";
    TNString text(answer.c_str());
    Records().GetUpdatedRecords(&text);
    EXPECT_NE(Records().GetRecordByID(1), nullptr);
    EXPECT_NE(Records().GetRecordByID(2), nullptr);
    EXPECT_EQ(Records().GetRecordByID(3), nullptr);
}

uint32_t FixedSeed()
{
    return 12345;
}

TEST_F(TNPIMRecordsData, UrgentRecordsArePickedInTurn)
{
    AddOrganizer(1000);
    for (uint32_t id : {1u, 2u, 3u, 4u}) {
        int32_t pos = AddRecord(id, 1000, "2024-03-10 09:30");
        Records().Items[pos]->Importance = id == 4 ? 5 : 99;
    }
    Records().NotifySeed = FixedSeed;
    std::vector<uint32_t> picks;
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<TNPIMRecord> pick(Records().GetNotifyConstantly());
        ASSERT_NE(pick, nullptr);
        EXPECT_EQ(pick->Text.View(), "Porada týmu");
        picks.push_back(pick->ID);
    }
    uint32_t p = picks[0] - 1;
    EXPECT_EQ(picks, (std::vector<uint32_t>{p + 1, (p + 1) % 3 + 1, (p + 2) % 3 + 1, p + 1}));
    Records().NotifyPos = -1;
    std::unique_ptr<TNPIMRecord> again(Records().GetNotifyConstantly());
    EXPECT_EQ(again->ID, picks[0]) << "the same seed picks the same first record";
}

TEST_F(TNPIMRecordsData, MenuTexts)
{
    EXPECT_EQ(TNPIMRecords::GetFinishedFromMenuText("dokončeno"), 1);
    EXPECT_EQ(TNPIMRecords::GetFinishedFromMenuText("Hotovo"), 0);
    EXPECT_EQ(TNPIMRecords::GetRescheduleFromMenuText("Automaticky přeplánovat na Dnes"), 1);
    EXPECT_EQ(TNPIMRecords::GetRescheduleFromMenuText("AUTOMATICKY přeplánovat o týden"), 7);
    EXPECT_EQ(TNPIMRecords::GetRescheduleFromMenuText("Automaticky přeplánovat o 14 dní"), 14);
    EXPECT_EQ(TNPIMRecords::GetRescheduleFromMenuText("Automaticky preplanovat o 14 dni"), 0);
}

TEST_F(TNPIMRecordsData, PendingRecordOfNoOrganizerIsNeverOffered)
{
    int32_t pos = AddRecord(kFirstLocalID, 0, "2024-03-10 09:30");
    (void)pos;
    TNString body;
    EXPECT_EQ(Records().GetDataToSync(&body), 0u);
    EXPECT_EQ(Records().GetDataToSync(&body), 0u);
    EXPECT_EQ(log_.CountContaining("[TNPIMRecords::GetDataToSync][ERROR] OrganizerID = 0!"), 2);
}

} // namespace

namespace {

TEST_F(TNPIMRecordsData, ResultListBorrowsItsRecords)
{
    AddOrganizer(1000);
    AddRecord(1, 1000, "2024-03-10 09:30");
    AddRecord(2, 1000, "2024-03-10 10:30");
    {
        TNPIMRecords list(&Pim(), true);
        ASSERT_TRUE(list.Resize(2));
        list.Items[0] = Records().Items[1];
        list.Items[1] = Records().Items[0];
        EXPECT_EQ(list.GetRecordPosByID(1), 1);
        ASSERT_TRUE(list.Resize(1));
        list.Destroy();
        ASSERT_TRUE(list.Resize(1));
        list.Items[0] = Records().Items[0];
    }
    EXPECT_EQ(Records().Count, 2);
    EXPECT_EQ(Pim().GetAllDaysItem(2024, 3, 10)->Count, 2) << "the records stay filed";
    EXPECT_EQ(Records().GetRecordByID(1)->Text.View(), "Porada týmu");
}

} // namespace

namespace {

std::string loadedPath;
TNModelImage* RecordingLoad(const char* path)
{
    loadedPath = path;
    return reinterpret_cast<TNModelImage*>(0x1);
}

void Touch(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "x";
}

TEST_F(TNPIMRecordsData, PictureAtAWidthOrTheLargest)
{
    AddOrganizer(1000);
    int32_t pos = AddRecord(81234, 1000, "2024-03-10 09:30");
    Records().Items[pos]->MainPicture = 9001;
    Records().Items[pos]->lastMainPicture = 9001;
    TNModelHooks saved = ModelHooks;
    ModelHooks.LoadImage = RecordingLoad;
    std::string folder = workspace_.Folder() + App.WebDomain[0] + "/Pictures/1000/81234/";

    EXPECT_EQ(Records().getImageFromFileByWidth(81234, 64), nullptr) << "no file yet";
    Touch(folder + "9001.jpg");
    EXPECT_EQ(Records().getImageFromFileByWidth(81234, 64), nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder + "9001.jpg")) << "the full size goes, to be fetched again";
    EXPECT_EQ(Records().Items[pos]->lastMainPicture, 0u);

    Touch(folder + "9001-w1024.jpg");
    EXPECT_NE(Records().getImageFromFileByWidth(81234, 64), nullptr);
    EXPECT_EQ(loadedPath, folder + "9001-w1024.jpg") << "the largest stands in";
    Touch(folder + "9001-w64.jpg");
    EXPECT_NE(Records().getImageFromFileByWidth(81234, 64), nullptr);
    EXPECT_EQ(loadedPath, folder + "9001-w64.jpg");
    EXPECT_EQ(Records().getImageFromFileByWidth(4711, 64), nullptr);
    ModelHooks = saved;
}

} // namespace
