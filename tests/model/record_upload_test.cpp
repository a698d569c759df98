// What a record uploads, the signed-in user's rights on it, and the values
// derived from its fields.

#include "tests/model/data_set_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TNPIMRecordUpload : public model_test::DataSetTest {
protected:
    void SetUp() override
    {
        AddOrganizer(512, 0, 1);
        AddOrganizer(600, 10, 0);
    }

    // The fixture record of the form tests.
    TNPIMRecord& Lunch()
    {
        int32_t pos = AddRecord(81234, 512, "2024-03-10 09:30");
        TNPIMRecord& r = *Records().Items[pos];
        r.Text.Set("Oběd & porada 9:30");
        r.Importance = -10;
        r.SharingRequest.Set("&Sharing_Groups=12;15;&Sharing_Contacts=");
        return r;
    }

    std::string Form(TNPIMRecord& r)
    {
        TNString body;
        r.GetDataToSync(&body);
        return std::string(body.View());
    }
};

TEST_F(TNPIMRecordUpload, FormIsEncodedByteForByte)
{
    EXPECT_EQ(Form(Lunch()), "&Virtual=0&ItemID=81234&Deleted=0&OrganizerID=512&CreatedByUserID=77&ParentID=0"
                             "&TypeID=3&EventType=0&Text=Ob%ECd+%26+porada+9%3A30&Importance=%2D10&Finished=0"
                             "&Status=0&FinishedTime=0&HasBegin=1&Begin_Date=2024%2D03%2D10"
                             "&Begin_Time=09%3A30%3A00&HasEnd=0&End_Date=0000%2D00%2D00&End_Time=99%3A00%3A00"
                             "&Reschedule=0&Alerts_Days0=0&Alerts_Hours0=0&Alerts_Minutes0=0&Alerts_Types0=0"
                             "&Note=&RecurrenceMasterID=0&_RecurrenceFrequency=0"
                             "&_RecurrenceSettings=%7B%22Range%22%3A0%7D&Visibility=0&Settings=%7B%7D"
                             "&Sharing_Groups=12%3B15%3B&Sharing_Contacts=&RecurrenceSaveMode=%2D1"
                             "&MainPicture=0&MainPictureWidth=0&MainPictureHeight=0&PromoterID=0&Place="
                             "&PlaceID=0");
}

TEST_F(TNPIMRecordUpload, RecordWithoutBeginSendsTheEmptyDate)
{
    TNPIMRecord& r = Lunch();
    r.HasBegin = false;
    std::string form = Form(r);
    EXPECT_NE(form.find("&HasBegin=0&Begin_Date=0000%2D00%2D00&Begin_Time=99%3A00%3A00&"), std::string::npos);
}

TEST_F(TNPIMRecordUpload, LimitedRecordLeavesOutWhatTheUserMayNotChange)
{
    TNPIMRecord& r = Lunch();
    r.OrganizerID = 600;
    r.Shared = true;
    r.CreatedByUserID = 99;
    ASSERT_EQ(r.GetUsersRights("test")->Role, 60);
    std::string form = Form(r);
    for (const char* key : {"&Deleted=", "&Importance=", "&Visibility=", "Sharing"}) {
        EXPECT_EQ(form.find(key), std::string::npos) << key;
    }
    EXPECT_NE(form.find("&Text="), std::string::npos);
}

TEST_F(TNPIMRecordUpload, MalformedSharingFragmentIsLeftOut)
{
    const char* fragments[] = {
        "&Sharing_Groups=12;&ItemID=5",       "&Sharing_Groups=1a",    "Sharing_Groups=1",
        "&Sharing_Groups=1&Sharing_Groups=2", "&Sharing_Contacts=4 ;", "&Sharing_Groups=1;&Sharing_Contacts=2&",
    };
    for (const char* fragment : fragments) {
        TNPIMRecord& r = Lunch();
        r.SharingRequest.Set(fragment);
        std::string form = Form(r);
        EXPECT_EQ(form.find("Sharing"), std::string::npos) << fragment;
        EXPECT_EQ(form.find("ItemID=5"), std::string::npos) << fragment;
    }
    EXPECT_EQ(log_.CountContaining("[TNPIMRecord::GetDataToSync][ERROR] SharingRequest left out = "), 6);
}

TEST_F(TNPIMRecordUpload, RightsFollowOriginSubscriptionAndAuthor)
{
    AddOrganizer(700, 20, 0);
    AddOrganizer(701, 0, 10);
    AddOrganizer(702, 1, 50);
    struct Case {
        const char* name;
        uint32_t organizer;
        bool shared;
        uint32_t author;
        int32_t role;
        bool canEdit;
    };
    const Case cases[] = {
        {"owner", 512, false, 77, 100, true},
        {"owner by origin 10", 701, false, 77, 100, true},
        {"subscribed 20", 700, false, 77, 80, false},
        {"subscribed 10", 600, false, 77, 60, false},
        {"shared by another author", 512, true, 99, 60, false},
        {"shared by the user", 512, true, 77, 100, true},
        {"other origin and subscription", 702, false, 77, 0, false},
        {"unknown organizer", 999, false, 77, 0, false},
    };
    for (const Case& c : cases) {
        TNPIMRecord& r = Lunch();
        r.OrganizerID = c.organizer;
        r.Shared = c.shared;
        r.CreatedByUserID = c.author;
        std::unique_ptr<TNUsersRights> rights = r.GetUsersRights("test");
        EXPECT_EQ(rights->Role, c.role) << c.name;
        EXPECT_EQ(rights->CanEdit, c.canEdit) << c.name;
    }
    Pim().UserID = 0;
    EXPECT_EQ(Lunch().GetUsersRights("test")->Role, 0) << "nobody signed in";
}

TEST_F(TNPIMRecordUpload, EventLengthInMinutes)
{
    struct Case {
        const char* name;
        const char* begin;
        const char* end;
        int32_t minutes;
    };
    const Case cases[] = {
        {"date only, day 1 to day 2", "2024-03-01", "2024-03-02", 2160},
        {"timed", "2024-03-01 09:30", "2024-03-01 11:00", 90},
        {"mixed", "2024-03-01 09:30", "2024-03-02", 15},
        {"no end", "2024-03-01 09:30", nullptr, 15},
        {"over the spring change", "2024-03-31 01:00", "2024-03-31 04:00", 120},
    };
    for (const Case& c : cases) {
        int32_t pos = AddRecord(1, 512, c.begin, c.end);
        TNPIMRecord& r = *Records().Items[pos];
        r.CalcEventLength();
        EXPECT_EQ(r.EventLength, c.minutes) << c.name;
    }
}

TEST_F(TNPIMRecordUpload, ShortTitle)
{
    std::string noSpaces(120, 'x');
    struct Case {
        const char* name;
        int32_t type;
        std::string text;
        std::string title;
    };
    const Case cases[] = {
        {"note without text", rtNote, "  ", "[Poznámka bez textu]"},
        {"record without text", rtEvent, "", "[Záznam bez textu]"},
        {"120 characters without a space", rtEvent, noSpaces, std::string(49, 'x')},
        {"line break", rtEvent, "Nákup\nmléko a chléb", "Nákup"},
        {"trailing colon", rtEvent, "Porada:", "Porada"},
        {"cut at the last space", rtEvent, "Porada týmu k rozpočtu na příští čtvrtletí a plán akcí na léto",
         "Porada týmu k rozpočtu na příští čtvrtletí a plán"},
        {"short text", rtEvent, " Oběd ", "Oběd"},
    };
    for (const Case& c : cases) {
        int32_t pos = AddRecord(1, 512, "2024-03-01 09:30");
        TNPIMRecord& r = *Records().Items[pos];
        r.Type = c.type;
        r.Text.Set(c.text);
        r.PlainText.Set("");
        r.ShortTitle.Set("");
        EXPECT_FALSE(r.HasShortTitle(false)) << c.name;
        EXPECT_TRUE(r.HasShortTitle(true)) << c.name;
        EXPECT_EQ(std::string(r.ShortTitle.View()), c.title) << c.name;
        EXPECT_EQ(r.ShortTitleChanged, r.Changed) << c.name;
    }
}

TEST_F(TNPIMRecordUpload, CompareStopsAtAnyComparedField)
{
    TNPIMRecord& a = Lunch();
    TNPIMRecord b;
    b.Copy(&a);
    EXPECT_TRUE(a.Compare(&b));
    b.Changed = a.Changed + 5;
    b.Begin.Sekunda = 0;
    EXPECT_TRUE(a.Compare(&b)) << "Changed is not compared";
    b.Place.Set("Brno");
    EXPECT_FALSE(a.Compare(&b));
    b.Place = a.Place;
    b.End.Hodina = 3;
    EXPECT_TRUE(a.Compare(&b)) << "an end that is not set is not compared";
    EXPECT_FALSE(a.Compare(nullptr));
}

} // namespace
