#include "tests/model/data_set_fixture.h"

#include "foundation/pim_array.h"

#include <algorithm>
#include <cstdio>

namespace model_test {

namespace {

void SetFromText(TNTime& time, const char* text)
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 99;
    int minute = 0;
    std::sscanf(text, "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute);
    time.SetDateTime(day, month, 0, minute, hour, year);
    time.GetTimestamp();
}

} // namespace

DayIndexSnapshot SnapshotDays(const TNPIM& owner)
{
    DayIndexSnapshot days;
    owner.AllDaysEx.ForEachEntry([&](int32_t year, int32_t month, int32_t day, const TNPIMAllDay& entry) {
        if (entry.Count == 0) {
            return;
        }
        auto& filed = days[{year, month, day}];
        for (int32_t i = 0; i < entry.Count; ++i) {
            const TNPIMRecord* record = entry.Items[i];
            filed.emplace_back(record->ID, record->Virtual, record->Begin.Rok);
        }
        std::sort(filed.begin(), filed.end());
    });
    return days;
}

void ExpectSameStoredRecord(const TNPIMRecord& e, const TNPIMRecord& a)
{
    SCOPED_TRACE(testing::Message() << "record " << e.ID);
    EXPECT_EQ(e.PleaseSync, a.PleaseSync);
    EXPECT_EQ(e.PleaseSyncRecurrence, a.PleaseSyncRecurrence);
    EXPECT_EQ(e.ID, a.ID);
    EXPECT_EQ(e.Created, a.Created);
    EXPECT_EQ(e.Changed, a.Changed);
    EXPECT_EQ(e.Deleted, a.Deleted);
    EXPECT_EQ(e.OrganizerID, a.OrganizerID);
    EXPECT_EQ(e.CreatedByUserID, a.CreatedByUserID);
    EXPECT_EQ(e.ParentID, a.ParentID);
    EXPECT_EQ(e.Type, a.Type);
    EXPECT_EQ(e.EventType, a.EventType);
    EXPECT_EQ(e.Text.View(), a.Text.View());
    EXPECT_EQ(e.Importance, a.Importance);
    EXPECT_EQ(e.Finished, a.Finished);
    EXPECT_EQ(e.FinishedTime, a.FinishedTime);
    EXPECT_EQ(e.HasBegin, a.HasBegin);
    EXPECT_EQ(e.Begin.Timestamp, a.Begin.Timestamp);
    EXPECT_EQ(e.Begin.Hodina, a.Begin.Hodina);
    EXPECT_EQ(e.HasEnd, a.HasEnd);
    EXPECT_EQ(e.End.Timestamp, a.End.Timestamp);
    EXPECT_EQ(e.Reschedule, a.Reschedule);
    EXPECT_EQ(e.Note.View(), a.Note.View());
    EXPECT_EQ(e.PlainText.View(), a.PlainText.View());
    EXPECT_EQ(e.SearchablePlainText.View(), a.SearchablePlainText.View());
    EXPECT_EQ(e.PlainNote.View(), a.PlainNote.View());
    EXPECT_EQ(e.SearchablePlainNote.View(), a.SearchablePlainNote.View());
    EXPECT_EQ(e.RecurrenceMasterID, a.RecurrenceMasterID);
    EXPECT_EQ(e.RecurrenceFrequency, a.RecurrenceFrequency);
    EXPECT_EQ(e.RecurrenceSettings.View(), a.RecurrenceSettings.View());
    EXPECT_EQ(e.Settings.View(), a.Settings.View());
    EXPECT_EQ(e.Visibility, a.Visibility);
    EXPECT_EQ(e.Shared, a.Shared);
    EXPECT_EQ(e.SharingRequest.View(), a.SharingRequest.View());
    EXPECT_EQ(e.RecurrenceSaveMode, a.RecurrenceSaveMode);
    EXPECT_EQ(e.MainPicture, a.MainPicture);
    EXPECT_EQ(e.MainPictureWidth, a.MainPictureWidth);
    EXPECT_EQ(e.MainPictureHeight, a.MainPictureHeight);
    EXPECT_EQ(e.PromoterID, a.PromoterID);
    EXPECT_EQ(e.Place.View(), a.Place.View());
    EXPECT_EQ(e.PlaceID, a.PlaceID);
}

int32_t DataSetTest::AddOrganizer(uint32_t id, uint32_t subscribe, uint32_t origin)
{
    TNPIMOrganizers& organizers = Pim().Organizers;
    EXPECT_TRUE(organizers.Resize(organizers.Count + 1));
    TNPIMOrganizer& o = *organizers.Items[organizers.Count - 1];
    o.ID = id;
    o.UserID = 77;
    o.Subscribe = subscribe;
    o.Origin = origin;
    o.Title.Set("Pracovní kalendář");
    organizers.SaveOrganizerByPos(organizers.Count - 1, false);
    return organizers.Count - 1;
}

int32_t DataSetTest::AddRecord(uint32_t id, uint32_t organizerID, const char* begin, const char* end, int32_t type)
{
    TNPIMRecords& records = Records();
    EXPECT_TRUE(records.Resize(records.Count + 1));
    int32_t pos = records.Count - 1;
    TNPIMRecord& r = *records.Items[pos];
    r.ID = id;
    r.OrganizerID = organizerID;
    r.CreatedByUserID = 77;
    r.Type = type;
    r.Changed = 1710000000u + id % 1000;
    r.Text.Set("Porada týmu");
    r.HasBegin = begin != nullptr;
    if (begin != nullptr) {
        SetFromText(r.Begin, begin);
    }
    r.HasEnd = end != nullptr;
    if (end != nullptr) {
        SetFromText(r.End, end);
    }
    records.NoteIDChanged(pos);
    records.SaveOrDeleteRecordByPos(pos, false);
    return pos;
}

TNPIM& DataSetTest::Reload()
{
    raf.closeFile(workspace_.Fid(), false);
    TNPIM& fresh = workspace_.FreshSet();
    fresh.Load(nullptr);
    return fresh;
}

TNPIM& DataSetTest::SaveAndReload()
{
    Pim().Save(true, false);
    return Reload();
}

bool DataSetTest::Stored(uint32_t id)
{
    if (!raf.isFileReady(workspace_.Fid())) {
        raf.openFile(workspace_.Fid());
    }
    return File().getIndexPosById(id, raftRecord) >= 0;
}

} // namespace model_test
