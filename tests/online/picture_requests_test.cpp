// The picture requests and the picture cache, through the real transport
// against the test service's item store and picture files.

#include "foundation/dirs.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "online/window_state.h"
#include "platform/core/disk.h"
#include "platform/core/file.h"
#include "platform/core/thread.h"
#include "tests/online/sync_world.h"
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace online_test {
namespace {

std::mutex statusMutex;
std::vector<std::string> statusTexts;

void RecordStatusText(int32_t item, const char* text)
{
    std::lock_guard<std::mutex> guard(statusMutex);
    statusTexts.push_back(std::to_string(item) + ":" + text);
}

uint64_t fakeFreeBytes = 0;
bool FakeFreeSpace(const std::string&, uint64_t& bytes)
{
    bytes = fakeFreeBytes;
    return true;
}

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

class PictureRequestTest : public SyncWorld {
protected:
    void SetUp() override
    {
        SyncWorld::SetUp();
        sync_.ServePictures(service_);
        jpeg_ = testing_support::ReadFixture("picture.jpg");
        ASSERT_FALSE(jpeg_.empty());
        sync_.SeedPicture(42, jpeg_);
        sync_.SeedPicture(43, jpeg_);
        statusTexts.clear();
        ViewHooks.SetStatusBarText = &RecordStatusText;
    }
    void TearDown() override
    {
        SyncWorld::TearDown();
        ViewHooks.SetStatusBarText = nullptr;
        plat::SetFreeSpaceProvider(nullptr);
    }

    uint32_t SeedPictured(uint32_t id, uint32_t picture)
    {
        return sync_.Seed(test_service::kRecords,
                          {{"OrganizerID", "501"}, {"Text", "Obr\xE1zek"}, {"MainPicture", std::to_string(picture)}},
                          id);
    }

    std::string Folder(uint32_t record) const
    {
        return std::string(Dirs.UserDir.View()) + "127.0.0.1:" + std::to_string(service_.Port()) + "/Pictures/501/" +
               std::to_string(record) + "/";
    }

    void SetRecordWidths(const std::vector<int32_t>& widths)
    {
        TNModelWriteGuard lock;
        TNPIMRecords& records = *PIM[0]->Records;
        records.PictureWidthsCount = static_cast<int32_t>(widths.size());
        std::copy(widths.begin(), widths.end(), records.PictureWidths);
    }

    uint32_t LastMainPicture(uint32_t id) const
    {
        TNModelReadGuard lock;
        return PIM[0]->Records->GetRecordByID(id)->lastMainPicture;
    }

    size_t PictureRequests() const { return accounts_.RequestsNamed("get-record-picture").size(); }

    std::string jpeg_;
};

TEST_F(PictureRequestTest, RecordPicturesTable)
{
    SeedPictured(9001, 42);
    SeedPictured(9002, 43);
    SeedPictured(9003, 42);
    SeedPictured(9004, 77);
    SignIn();
    // 9002's picture is already in the cache.
    std::filesystem::create_directories(Folder(9002));
    ASSERT_TRUE(plat::WriteFileAtomically(Folder(9002) + "43.jpg", jpeg_));

    struct Row {
        const char* name;
        uint32_t record;
        std::vector<int32_t> widths;
        size_t requests;
        std::vector<std::string> files;
        uint32_t last;
    };
    const Row rows[] = {
        {"widths 64 and 128", 9001, {64, 128}, 1, {"42.jpg", "42-w64.jpg", "42-w128.jpg"}, 42},
        {"already fetched", 9001, {64, 128}, 0, {"42.jpg", "42-w64.jpg", "42-w128.jpg"}, 42},
        {"file on disk", 9002, {64, 128}, 0, {"43.jpg"}, 43},
        {"no widths", 9003, {}, 1, {"42.jpg"}, 42},
        {"unknown picture (404)", 9004, {64}, 1, {}, 1},
        {"404 asked again", 9004, {64}, 1, {}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetRecordWidths(row.widths);
        size_t before = PictureRequests();
        g.Sync2GetOneRecordPictures(row.record);
        EXPECT_EQ(PictureRequests() - before, row.requests);
        for (const std::string& file : row.files)
            EXPECT_EQ(testing_support::ReadFile(Folder(row.record) + file), jpeg_) << file;
        size_t held = 0;
        if (std::filesystem::exists(Folder(row.record)))
            for (const auto& entry : std::filesystem::directory_iterator(Folder(row.record)))
                held += entry.is_regular_file() ? 1 : 0;
        EXPECT_EQ(held, row.files.size());
        EXPECT_EQ(LastMainPicture(row.record), row.last);
    }

    std::vector<test_service::LoggedRequest> posts;
    for (const test_service::LoggedRequest& logged : service_.Requests())
        if (logged.Body.find("get%2Drecord%2Dpicture") != std::string::npos)
            posts.push_back(logged);
    ASSERT_EQ(posts.size(), 4u);
    EXPECT_NE(posts[0].Body.find("&RecordID=9001&OrganizerID=501&RequestedWidthsCount=2&RequestedWidths=64%3B128%3B"),
              std::string::npos)
        << posts[0].Body;
    const std::string noWidths = "&RecordID=9003&OrganizerID=501&RequestedWidthsCount=0&RequestedWidths=";
    ASSERT_GE(posts[1].Body.size(), noWidths.size());
    EXPECT_EQ(posts[1].Body.substr(posts[1].Body.size() - noWidths.size()), noWidths);
    EXPECT_TRUE(service_.Violations().empty());
}

TEST_F(PictureRequestTest, OnlyHttpAddressesAreFetched)
{
    SeedPictured(9001, 42);
    SignIn();
    const std::string port = std::to_string(service_.Port());
    for (const std::string& address : {std::string("file:///x.jpg"), "ftp://127.0.0.1:" + port + "/pictures/42.jpg",
                                       std::string("/pictures/42.jpg")}) {
        SCOPED_TRACE(address);
        accounts_.RouteApi("get-record-picture", [&](const test_service::FormFields&, const test_service::Account*) {
            return "<handshake>1</handshake>" + test_service::Element("picture-url", address);
        });
        service_.ClearLogs();
        g.Sync2GetOneRecordPictures(9001);
        for (const test_service::LoggedRequest& logged : service_.Requests())
            EXPECT_EQ(logged.Method, "POST") << logged.Target;
        EXPECT_FALSE(std::filesystem::exists(Folder(9001) + "42.jpg"));
        EXPECT_EQ(LastMainPicture(9001), 1u);
    }
}

TEST_F(PictureRequestTest, TooLittleFreeSpaceAsksForNothingUntilTheNextGoodCheck)
{
    SeedPictured(9001, 42);
    SignIn();
    plat::SetFreeSpaceProvider(&FakeFreeSpace);
    fakeFreeBytes = 3 * kGiB - 1;
    g.Sync2GetOneRecordPictures(9001);
    Pump();
    EXPECT_EQ(PictureRequests(), 0u);
    {
        std::lock_guard<std::mutex> guard(statusMutex);
        ASSERT_EQ(statusTexts.size(), 1u);
        EXPECT_EQ(statusTexts[0], "7:Málo místa na disku");
    }
    fakeFreeBytes = 3 * kGiB;
    g.Sync2GetOneRecordPictures(9001);
    Pump();
    EXPECT_EQ(PictureRequests(), 1u);
    EXPECT_EQ(LastMainPicture(9001), 42u);
    std::lock_guard<std::mutex> guard(statusMutex);
    ASSERT_EQ(statusTexts.size(), 2u);
    EXPECT_EQ(statusTexts[1], "7:");
}

// The tags a job posted, by running it and taking them on the main loop.
class PictureJobTest : public PictureRequestTest {
protected:
    int RunJobCountingTag9(int32_t tag, uint32_t recordId)
    {
        auto count = [&] {
            auto taken = host_->TakenTags();
            return static_cast<int>(std::count_if(taken.begin(), taken.end(), [](const auto& entry) {
                return entry.first == __uiUpdateShownData_NoSync;
            }));
        };
        Pump();
        int before = count();
        auto* job = new TLogin();
        job->Tag = tag;
        job->RecordID = recordId;
        EXPECT_TRUE(job->Resume());
        EXPECT_TRUE(plat::WaitForRunningThreads(10000));
        EXPECT_TRUE(PumpUntil([] { return g.uiTags.Count() == 0; }));
        return count() - before;
    }
};

TEST_F(PictureJobTest, Job6PostsATagOnlyWhenSomethingCameAndJob9Always)
{
    SeedPictured(9001, 42);
    SignIn();
    // Nothing on screen, no organizer icons: nothing comes.
    EXPECT_EQ(RunJobCountingTag9(6, 0), 0);
    EXPECT_EQ(RunJobCountingTag9(9, 9001), 1);
    EXPECT_EQ(RunJobCountingTag9(9, 9001), 1);
    EXPECT_EQ(PictureRequests(), 1u);

    // An organizer icon comes with job 6.
    sync_.Change(test_service::kOrganizers, 501, {{"CalendarIcon", "43"}});
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(RunJobCountingTag9(6, 0), 1);
    const std::string folder =
        std::string(Dirs.UserDir.View()) + "127.0.0.1:" + std::to_string(service_.Port()) + "/Organizers/501/";
    EXPECT_EQ(testing_support::ReadFile(folder + "43.jpg"), jpeg_);
    EXPECT_EQ(testing_support::ReadFile(folder + "43-w720.jpg"), jpeg_);
}

TEST_F(PictureJobTest, Job6WalksTheShownRecordsSnapshot)
{
    SeedPictured(9001, 42);
    SeedPictured(9002, 43);
    SignIn();
    WindowState.SetShownRecords({{9001, 0}, {9002, 0}});
    EXPECT_EQ(RunJobCountingTag9(6, 0), 0);
    EXPECT_EQ(LastMainPicture(9001), 42u);
    EXPECT_EQ(LastMainPicture(9002), 43u);
    WindowState.SetShownRecords({});
}

TEST_F(PictureRequestTest, ProfilePicturesOfContactsRequestsAndTheUser)
{
    sync_.SeedPicture(50, jpeg_);
    sync_.SeedPicture(51, jpeg_);
    sync_.SeedPicture(52, jpeg_);
    sync_.Seed(test_service::kContacts, {{"UserID", std::to_string(kAliceID)},
                                         {"ContactUserID", "2002"},
                                         {"FirstName", "Bob"},
                                         {"ProfilePicture", "50"}});
    uint32_t request = sync_.Seed(test_service::kContactsRequests, {{"UserID", "3003"},
                                                                    {"ContactUserID", std::to_string(kAliceID)},
                                                                    {"FullName", "Cyril"},
                                                                    {"ProfilePicture", "51"}});
    SignIn();
    const std::string profiles =
        std::string(Dirs.UserDir.View()) + "127.0.0.1:" + std::to_string(service_.Port()) + "/Profiles/";
    EXPECT_EQ(testing_support::ReadFile(profiles + "2002/50.jpg"), jpeg_);
    EXPECT_EQ(testing_support::ReadFile(profiles + "2002/50-w64.jpg"), jpeg_);
    EXPECT_EQ(testing_support::ReadFile(profiles + "3003/51.jpg"), jpeg_);
    EXPECT_FALSE(std::filesystem::exists(profiles + "3003/51-w64.jpg"));
    for (const test_service::ApiRequest& asked : accounts_.RequestsNamed("get-user-profile-picture")) {
        bool contactRequest = test_service::FieldValue(asked.Fields, "ContactUserID") == "3003";
        EXPECT_EQ(test_service::FieldValue(asked.Fields, "RequestedWidths").empty(), contactRequest);
    }

    // A new picture of the contact request comes with a download: Add
    // resets its state and the next pass fetches it.
    sync_.Change(test_service::kContactsRequests, request, {{"ProfilePicture", "52"}});
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(testing_support::ReadFile(profiles + "3003/52.jpg"), jpeg_);
    TNModelReadGuard lock;
    EXPECT_EQ(PIM[0]->ContactsRequests.GetItemByID(request)->ProfilePictureState, 52);
}

TEST_F(PictureJobTest, TheUsersOwnPictureAndThePublicOrganizersIcons)
{
    // Bob has a profile picture.
    test_service::Account bob;
    bob.UserID = 1002;
    bob.Password = "heslo";
    bob.UserName = "bob";
    bob.Email = "bob@example.test";
    bob.MainOrganizer = 601;
    bob.ProfilePicture = 44;
    accounts_.AddAccount(bob);
    sync_.AddOrganizer(601, 1002, 1, 1, "Bob");
    sync_.SeedPicture(44, jpeg_);
    sync_.SeedPicture(45, jpeg_);
    sync_.AddOrganizer(700, 5005, 1, 1, "Ve\xF8" "ejn\xFD");
    sync_.Change(test_service::kOrganizers, 700, {{"Visibility", "1"}, {"CalendarIcon", "45"}});
    ASSERT_TRUE(host_->SignIn("bob@example.test", "heslo"));
    ASSERT_TRUE(RunUntil([] { return g.UserLoginStatus == 1; }));
    ASSERT_TRUE(RunUntilIdle());
    const std::string domain = std::string(Dirs.UserDir.View()) + "127.0.0.1:" + std::to_string(service_.Port()) + "/";
    EXPECT_EQ(testing_support::ReadFile(domain + "Profiles/1002/44.jpg"), jpeg_);
    EXPECT_EQ(testing_support::ReadFile(domain + "Profiles/1002/44-w256.jpg"), jpeg_);
    EXPECT_EQ(g.Account().ProfilePictureFetched, 44u);
    auto taken = host_->TakenTags();
    EXPECT_NE(
        std::find_if(taken.begin(), taken.end(), [](const auto& entry) { return entry.first == __uiUpdateHeaderUser; }),
        taken.end());
    // Fetched once: later passes ask for nothing.
    g.FastSync("test");
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(accounts_.RequestsNamed("get-user-profile-picture").size(), 1u);

    EXPECT_EQ(RunJobCountingTag9(6, 0), 1);
    EXPECT_EQ(testing_support::ReadFile(domain + "Organizers/700/45.jpg"), jpeg_);
    EXPECT_EQ(testing_support::ReadFile(domain + "Organizers/700/45-w16.jpg"), jpeg_);
    EXPECT_EQ(RunJobCountingTag9(6, 0), 0);
    EXPECT_EQ(accounts_.RequestsNamed("get-organizer-picture").size(), 1u);
}

} // namespace
} // namespace online_test
