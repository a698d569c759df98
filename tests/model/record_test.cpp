#include "model/pim.h"
#include "model/record.h"
#include "tests/model/model_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

// The record of the byte fixtures (see data/make_fixtures.py).
void FillBaseline(TNPIMRecord& r)
{
    r.PleaseSync = true;
    r.PleaseSyncRecurrence = false;
    r.ID = 81234;
    r.Created = 1700000000;
    r.Changed = 1700000500;
    r.Deleted = 0;
    r.OrganizerID = 512;
    r.CreatedByUserID = 77;
    r.ParentID = 5;
    r.Type = 3;
    r.EventType = 200;
    r.Text.Set("Oběd & porada č. 2");
    r.Importance = -10;
    r.Finished = 1;
    r.FinishedTime = 1700000900;
    r.HasBegin = true;
    r.Begin.SetDateTime(10, 3, 0, 30, 9, 2024);
    r.HasEnd = true;
    r.End.SetDateTime(10, 3, 0, 0, 99, 2024);
    r.Reschedule = 7;
    r.Note.Set("Poznámka: řeřicha");
    r.PlainText.Set("Oběd");
    r.SearchablePlainText.Set("obed");
    r.PlainNote.Set("Poznámka");
    r.SearchablePlainNote.Set("poznamka");
    r.RecurrenceMasterID = 0;
    r.RecurrenceFrequency = 2;
    r.RecurrenceSettings.Set("{\"Range\":1,\"Count\":3,\"RepeatDaily\":1}");
    r.ParseRecurrenceSettingsFromJSON();
    r.Settings.Set("{\"Alerts\":[{\"T\":1,\"D\":0,\"H\":0,\"M\":15}],\"Hidden\":true}");
    r.ParseSettingsFromJSON();
    r.Visibility = 2;
    r.Shared = true;
    r.SharingRequest.Set("&Sharing_Groups=4;&Sharing_Contacts=");
    r.RecurrenceSaveMode = 2;
    r.MainPicture = 9001;
    r.MainPictureWidth = 640;
    r.MainPictureHeight = 480;
    r.PromoterID = 12;
    r.Place.Set("Žďár nad Sázavou");
    r.PlaceID = 33;
}

std::string TimeText(const TNTime& t)
{
    char text[48];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.Rok, t.Mesic, t.Den, t.Hodina, t.Minuta,
                  t.Sekunda);
    return text;
}

// Every stored field, and the values read from the two texts, one per line.
std::string Dump(const TNPIMRecord& r)
{
    std::string out;
    auto line = [&](const char* name, const std::string& value) { out += std::string(name) + "=" + value + "\n"; };
    auto num = [&](const char* name, int64_t value) { line(name, std::to_string(value)); };
    auto text = [&](const char* name, const TNString& value) { line(name, std::string(value.View())); };
    num("PleaseSync", r.PleaseSync);
    num("PleaseSyncRecurrence", r.PleaseSyncRecurrence);
    num("ID", r.ID);
    num("Created", r.Created);
    num("Changed", r.Changed);
    num("Deleted", r.Deleted);
    num("OrganizerID", r.OrganizerID);
    num("CreatedByUserID", r.CreatedByUserID);
    num("ParentID", r.ParentID);
    num("Type", r.Type);
    num("EventType", r.EventType);
    text("Text", r.Text);
    num("Importance", r.Importance);
    num("Finished", r.Finished);
    num("FinishedTime", r.FinishedTime);
    num("HasBegin", r.HasBegin);
    line("Begin", TimeText(r.Begin));
    num("HasEnd", r.HasEnd);
    line("End", TimeText(r.End));
    num("Reschedule", r.Reschedule);
    text("Note", r.Note);
    text("PlainText", r.PlainText);
    text("SearchablePlainText", r.SearchablePlainText);
    text("PlainNote", r.PlainNote);
    text("SearchablePlainNote", r.SearchablePlainNote);
    num("RecurrenceMasterID", r.RecurrenceMasterID);
    num("RecurrenceFrequency", r.RecurrenceFrequency);
    text("RecurrenceSettings", r.RecurrenceSettings);
    num("Range", r.Range);
    num("Count", r.Count);
    num("RepeatDaily", r.RepeatDaily);
    text("Settings", r.Settings);
    num("Hidden", r.Hidden);
    num("AlertType0", r.AlertType0);
    num("AlertDays0", r.AlertDays0);
    num("AlertHours0", r.AlertHours0);
    num("AlertMinutes0", r.AlertMinutes0);
    num("Visibility", r.Visibility);
    num("Shared", r.Shared);
    text("SharingRequest", r.SharingRequest);
    num("RecurrenceSaveMode", r.RecurrenceSaveMode);
    num("MainPicture", r.MainPicture);
    num("MainPictureWidth", r.MainPictureWidth);
    num("MainPictureHeight", r.MainPictureHeight);
    num("PromoterID", r.PromoterID);
    text("Place", r.Place);
    num("PlaceID", r.PlaceID);
    return out;
}

int32_t StringBytes(const TNPIMRecord& r)
{
    return r.Text.Length + r.Note.Length + r.PlainText.Length + r.SearchablePlainText.Length + r.PlainNote.Length +
           r.SearchablePlainNote.Length + r.RecurrenceSettings.Length + r.Settings.Length + r.SharingRequest.Length +
           r.Place.Length;
}

TEST(TNPIMRecord, RoundTripKeepsEveryStoredField)
{
    struct Row {
        const char* name;
        std::function<void(TNPIMRecord&)> change;
    };
    const Row rows[] = {
        {"Fixture", [](TNPIMRecord&) {}},
        {"NegativeImportanceAndSaveMode",
         [](TNPIMRecord& r) {
             r.Importance = -10;
             r.RecurrenceSaveMode = -1;
         }},
        {"UrgentImportanceAndHighBytes",
         [](TNPIMRecord& r) {
             r.Importance = 99;
             r.EventType = 255;
             r.Visibility = 200;
             r.Reschedule = 14;
         }},
        // Ids of event types the service hands out, and a temporary one.
        {"EventTypeOfTheService", [](TNPIMRecord& r) { r.EventType = 10005; }},
        {"TemporaryEventType", [](TNPIMRecord& r) { r.EventType = static_cast<int32_t>(4200000007u); }},
        {"NoBeginNoEnd",
         [](TNPIMRecord& r) {
             r.HasBegin = false;
             r.HasEnd = false;
         }},
        {"DateOnlyBegin", [](TNPIMRecord& r) { r.Begin.SetDateTime(29, 2, 0, 0, 99, 2028); }},
        {"EmptyTexts",
         [](TNPIMRecord& r) {
             for (TNString* s : {&r.Text, &r.Note, &r.PlainText, &r.SearchablePlainText, &r.PlainNote,
                                 &r.SearchablePlainNote, &r.SharingRequest, &r.Place}) {
                 s->Set("");
             }
         }},
        {"DeletedAndNotPending",
         [](TNPIMRecord& r) {
             r.Deleted = 1700009999;
             r.PleaseSync = false;
             r.PleaseSyncRecurrence = true;
         }},
    };
    model_test::Environment environment;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        model_test::DataSet set;
        TNPIMRecord& record = set.NewRecord();
        FillBaseline(record);
        row.change(record);
        set.Queue(raftRecord, record.ID, 0);
        std::string body = set.WriteQueued(record, raftRecord, record.ID);
        EXPECT_EQ(body.size(), 123u + StringBytes(record));
        if (std::string(row.name) == "Fixture") {
            EXPECT_EQ(body, model_test::ReadFixture("record_v4.bin"));
        }
        if (std::string(row.name) == "TemporaryEventType") {
            EXPECT_EQ(body, model_test::ReadFixture("record_v4_temporary_event_type.bin"));
        }

        set.Reopen();
        TNPIMRecord loaded(&set.Pim());
        ASSERT_TRUE(set.ReadStored(raftRecord, record.ID, [&](plat::ByteReader& in) { return loaded.Load(in); }));
        EXPECT_EQ(Dump(loaded), Dump(record));
    }
}

TEST(TNPIMRecord, LoadsEveryKnownStoredVersion)
{
    model_test::Environment environment;
    model_test::DataSet set;
    for (int version : {1, 2, 3, 4}) {
        SCOPED_TRACE(version);
        TNPIMRecord expected;
        FillBaseline(expected);
        if (version < 3) {
            expected.RecurrenceSaveMode = -1;
        }
        if (version < 2) {
            expected.MainPictureWidth = 0;
            expected.MainPictureHeight = 0;
        }
        std::string bytes = model_test::ReadFixture(("record_v" + std::to_string(version) + ".bin").c_str());
        plat::ByteReader in(bytes);
        TNPIMRecord loaded(&set.Pim());
        ASSERT_TRUE(loaded.Load(in));
        EXPECT_TRUE(in.AtEnd());
        EXPECT_EQ(Dump(loaded), Dump(expected));
    }
}

TEST(TNPIMRecord, UnknownVersionOrShortBodyIsUnreadable)
{
    model_test::Environment environment;
    model_test::DataSet set;
    std::string unknown = model_test::ReadFixture("record_v5.bin");
    std::string cut = model_test::ReadFixture("record_v3.bin");
    cut.resize(cut.size() - 1);
    std::string lengthPastEnd = model_test::ReadFixture("record_v3.bin").substr(0, 33) + "\xF0\xFF\xFF\xFF";
    for (const std::string& bytes : {unknown, cut, lengthPastEnd, std::string()}) {
        plat::ByteReader in(bytes);
        TNPIMRecord loaded(&set.Pim());
        EXPECT_FALSE(loaded.Load(in));
    }
}

TEST(TNPIMRecord, ParseFromXMLFillsEveryKey)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMRecord expected;
    FillBaseline(expected);
    expected.PleaseSync = false;
    expected.RecurrenceSaveMode = -1;
    expected.SharingRequest.Set("");
    expected.RecurrenceMasterID = 4711;
    expected.Note.Set("Poznámka:\nřeřicha");
    expected.Place.Set("Žďár <nad> Sázavou");

    TNPIMRecord parsed(&set.Pim());
    TNString answer(model_test::ReadFixture("record_answer_all_keys.txt"));
    parsed.ParseFromXML(&answer);
    EXPECT_EQ(Dump(parsed), Dump(expected));
    EXPECT_EQ(parsed.LocalChanged, 1700000500u);
    EXPECT_EQ(parsed.Begin.Timestamp, expected.Begin.Timestamp);
    EXPECT_EQ(set.Pim().Organizers.FindInFilterList(77, TNPIMOrganizers::kFilterAuthor), 0)
        << "the author joins the filter list";
}

TEST(TNPIMRecord, ParseFromXMLChangesOnlyTheKeysGiven)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMRecord record(&set.Pim());
    FillBaseline(record);
    record.ID = 5;
    record.LocalChanged = 1234;
    record.lastMainPicture = 9001;
    TNPIMRecord expected;
    FillBaseline(expected);
    expected.Text.Set("Jen \"text\"");

    TNString answer(model_test::ReadFixture("record_answer_id_text.txt"));
    record.ParseFromXML(&answer);
    EXPECT_EQ(Dump(record), Dump(expected));
    EXPECT_EQ(record.LocalChanged, 1234u);
    EXPECT_EQ(record.lastMainPicture, 9001u);

    TNString picture("<MainPicture>9002</MainPicture>");
    record.ParseFromXML(&picture);
    EXPECT_EQ(record.lastMainPicture, 0u) << "a new picture must be fetched";
}

TEST(TNPIMRecord, VirtualOrDoNotSaveRecordIsNeverWritten)
{
    model_test::Environment environment;
    for (int which = 0; which < 2; ++which) {
        model_test::DataSet set;
        TNPIMRecord& record = set.NewRecord();
        FillBaseline(record);
        (which == 0 ? record.Virtual : record.DoNotSave) = true;
        set.Queue(raftRecord, record.ID, 0);
        EXPECT_FALSE(record.Save(set.QueueItem(raftRecord, record.ID), set.Fid()));
        EXPECT_EQ(set.StoredCount(raftRecord), 0);
    }
}

TEST(TNPIMRecord, CopyTakesTheEditableFieldsAndTheAlert)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMRecord source(&set.Pim());
    FillBaseline(source);
    source.AlertMinutes0 = 45; // an edit not yet in the text
    source.TagID = 66;
    source.OldID = 4200000009u;
    source.LocalChanged = 55;
    source.EventLength = 60;
    source.UiValue1 = 3;
    TNPIMRecord copy;
    copy.Copy(&source);
    EXPECT_EQ(Dump(copy), Dump(source));
    EXPECT_EQ(copy.AlertMinutes0, 45);
    EXPECT_EQ(copy.TagID, 66u);
    EXPECT_EQ(copy.OldID, 4200000009u);
    EXPECT_EQ(copy.LocalChanged, 0u);
    EXPECT_EQ(copy.EventLength, -1);
    EXPECT_EQ(copy.UiValue1, 0);
    EXPECT_EQ(copy.ParentPIM, nullptr);
}

TEST(TNPIMRecord, TypeNounsAndParentPosition)
{
    model_test::Environment environment;
    const char* nouns[] = {"záznam",   "úkol",   "poznámku",   "událost",         "akci",  "schůzku",
                           "upomínku", "výročí", "narozeniny", "poznámku ke dni", "záznam"};
    for (int type = 0; type <= 10; ++type) {
        TNPIMRecord record;
        record.Type = type;
        EXPECT_EQ(record.GetRecordTypeText()->View(), std::string(nouns[type])) << type;
    }
    model_test::DataSet set;
    TNPIMRecord own(&set.Pim());
    EXPECT_EQ(own.GetParentPIMPos(), 0);
    model_test::LogCapture log;
    TNPIMRecord orphan;
    EXPECT_EQ(orphan.GetParentPIMPos(), 0);
    EXPECT_EQ(log.CountContaining("[TNPIMRecord::GetParentPIMPos][ERROR] ParentPIM.pimSrvPos = "), 1);
}

TEST(TNPIMRecord, LoadRaisesTheOrganizersRecordsTime)
{
    model_test::Environment environment;
    model_test::DataSet set;
    TNPIMOrganizers& organizers = set.Pim().Organizers;
    ASSERT_TRUE(organizers.Resize(1));
    organizers.Items[0]->ID = 512;
    std::string bytes = model_test::ReadFixture("record_v3.bin");
    plat::ByteReader in(bytes);
    TNPIMRecord loaded(&set.Pim());
    ASSERT_TRUE(loaded.Load(in));
    EXPECT_EQ(organizers.Items[0]->recordsLastRequestTime, 1700000500u);

    set.Pim().LastRequests.SetItem(raftRecord, 512, 1800000000);
    loaded.Update_recordsLastRequestTime();
    EXPECT_EQ(organizers.Items[0]->recordsLastRequestTime, 1800000000u);

    loaded.UpdateOrganizerPointer();
    EXPECT_EQ(loaded.Organizer, organizers.Items[0]);
}

// A rule read again after it was dropped leaves no number of the old one
// behind; the end date and the hourly step stay as they were.
TEST(TNPIMRecord, RuleNumbersResetWhenTheRuleIsGone)
{
    for (const char* later : {"", "{}"}) {
        TNPIMRecord r;
        r.RecurrenceSettings.Set(
            "{\"Range\":2,\"Count\":5,\"EndDate\":\"2025-06-30\",\"RepeatHourly\":\"2:30:00\","
            "\"RepeatDaily\":3,\"RepeatWeekly\":1,\"RepeatWeeklyDay2\":1,\"RepeatWeeklyDay7\":1,"
            "\"RepeatMonthly\":1,\"RepeatMonthlyDayOfMonth\":15,\"RepeatMonthlyDayOfWeekInMonth1\":2,"
            "\"RepeatMonthlyDayOfWeekInMonth2\":3,\"RepeatAnnually\":1,\"RepeatAnnuallyDayInMonth1\":4,"
            "\"RepeatAnnuallyDayInMonth2\":5,\"RepeatAnnuallyDayOfWeekInMonth1\":6,"
            "\"RepeatAnnuallyDayOfWeekInMonth2\":7,\"RepeatAnnuallyDayOfWeekInMonth3\":8}");
        r.ParseRecurrenceSettingsFromJSON();
        ASSERT_EQ(r.Range, 2);
        ASSERT_EQ(r.RepeatAnnuallyDayOfWeekInMonth3, 8);
        ASSERT_EQ(r.RepeatWeeklyDay7, 1);
        ASSERT_EQ(r.RepeatHourly.Hodina, 2);

        r.RecurrenceSettings.Set(later);
        r.ParseRecurrenceSettingsFromJSON();
        const int32_t numbers[] = {r.Range,
                                   r.Count,
                                   r.RepeatDaily,
                                   r.RepeatWeekly,
                                   r.RepeatMonthly,
                                   r.RepeatMonthlyDayOfMonth,
                                   r.RepeatMonthlyDayOfWeekInMonth1,
                                   r.RepeatMonthlyDayOfWeekInMonth2,
                                   r.RepeatAnnually,
                                   r.RepeatAnnuallyDayInMonth1,
                                   r.RepeatAnnuallyDayInMonth2,
                                   r.RepeatAnnuallyDayOfWeekInMonth1,
                                   r.RepeatAnnuallyDayOfWeekInMonth2,
                                   r.RepeatAnnuallyDayOfWeekInMonth3};
        for (size_t i = 0; i < std::size(numbers); ++i) {
            EXPECT_EQ(numbers[i], 0) << "\"" << later << "\", number " << i;
        }
        const uint8_t days[] = {r.RepeatWeeklyDay1, r.RepeatWeeklyDay2, r.RepeatWeeklyDay3, r.RepeatWeeklyDay4,
                                r.RepeatWeeklyDay5, r.RepeatWeeklyDay6, r.RepeatWeeklyDay7};
        for (size_t d = 0; d < std::size(days); ++d) {
            EXPECT_EQ(days[d], 0) << "\"" << later << "\", day " << d + 1;
        }
        EXPECT_EQ(r.EndDate.Rok, 2025) << later;
        EXPECT_EQ(r.EndDate.Mesic, 6) << later;
        EXPECT_EQ(r.RepeatHourly.Hodina, 2) << later;
        EXPECT_EQ(r.RepeatHourly.Minuta, 30) << later;
    }
}

} // namespace
