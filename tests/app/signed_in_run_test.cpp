// The delivered program, signed in automatically for a remembered account
// against the test service on loopback, ended and shown from outside: by the
// closing utility, by SIGTERM, by its window's close and by a second copy.
#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "model/records.h"
#include "platform/core/bus_client.h"
#include "platform/core/window_messages.h"
#include "tests/killer/killer_fixture.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr uint32_t kAliceID = 1001;
// The demo account of the test service, with a password the login page
// accepts.
constexpr const char* kAliceLogin = "alice";
constexpr const char* kAlicePassword = "heslo-123";
constexpr uint32_t kChangedRecord = 9001;
constexpr const char* kChangedText = "Zmeneno jinde";
constexpr const char* kChangedTextInQuery = "Zmeneno%20jinde";
constexpr const char* kWebDomain = "dalmora.test";

constexpr const char* kEndLine = "[FormClose][END] <APP-END>";
constexpr const char* kLastLine = "[TNCommon::Destroy][LAST_LOG] Setting App.WriteLog to false.";
constexpr const char* kRecordsChanged = "[TOnline::onlineSynchronise] Sync2Records_sync_pim_result = 1";
constexpr const char* kNothingNew = "[TOnline::onlineSynchronise] Sync2Records_sync_pim_result = 0";
constexpr const char* kPassEnd = "[TOnline][END]";
constexpr const char* kHeldRequest = "[TOnline::onlineSynchronise] Calling Sync2UsersOrganizers";

int Count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

int64_t MillisecondsSince(SteadyClock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

bool ExitedWithZero(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

size_t AppendToString(char* data, size_t size, size_t count, void* text)
{
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// A GET of the service's test controls; the answer's body, empty on failure.
std::string Get(const std::string& url)
{
    std::string body;
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK ? body : std::string();
}

// A file's identity and last change: an atomic rewrite changes the one or
// the other (a freed inode number may come back). Zeros when missing.
struct FileVersion {
    ino_t inode = 0;
    timespec changed{};
    bool operator==(const FileVersion& other) const
    {
        return inode == other.inode && changed.tv_sec == other.changed.tv_sec &&
               changed.tv_nsec == other.changed.tv_nsec;
    }
};

FileVersion VersionOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    return {info.st_ino, info.st_mtim};
}

// The program's globals in this process, for reading the data file the
// program left with the model's own reader.
class GlobalsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        InstallPIMFactory();
        ASSERT_TRUE(ConstructGlobals());
    }
    void TearDown() override { DestroyGlobals(); }
};

[[maybe_unused]] ::testing::Environment* const globalsEnvironment =
    ::testing::AddGlobalTestEnvironment(new GlobalsEnvironment);

class SignedInRun : public KillerFixture {
protected:
    void SetUp() override
    {
        KillerFixture::SetUp();
        ASSERT_TRUE(service_.Spawn({DALMORA_TEST_SERVICE, "--demo", "--password", kAlicePassword}));
        std::string listening;
        ASSERT_TRUE(service_.ReadUntilPrefix("listening on ", listening));
        baseUrl_ = listening.substr(std::string("listening on ").size());
        const std::string hostAndPort = baseUrl_.substr(baseUrl_.find("://") + 3);

        program_ = InstallProgram("01");
        const std::string config = std::string("WebProtocol:http\nWebDomain:") + kWebDomain +
                                   "\nApiProtocol:http\nApiDomain:" + hostAndPort +
                                   "/index.php\nUpdateWebProtocol:http\nUpdateWebDomain:" + hostAndPort + "\n";
        ASSERT_TRUE(plat::WriteFileAtomically(root_ + "prog/pimsrv00.cfg", config));

        // Alice is remembered with her password, so the login page signs
        // her in by itself.
        TNUsers users;
        TNString login(kAliceLogin);
        TNString name(kAliceLogin);
        TNString password(kAlicePassword);
        users.AktivniUzivatel = users.AddOrUpdate(&login, &name, kAliceID, 1, &password);
        ASSERT_TRUE(plat::CreateFolders(UsersFolder()));
        ASSERT_TRUE(users.Save(UsersFolder()));
    }

    void TearDown() override
    {
        service_.Signal(SIGTERM);
        int status = 0;
        service_.Wait(status, 2000);
        KillerFixture::TearDown();
    }

    bool WaitForLog(const std::string& needle, int times, int ms = 10000)
    {
        return testenv::WaitUntil([&] { return Count(ProgramLog(), needle) >= times; }, ms);
    }

    // The window's close, as its close button sends it.
    void SendClose()
    {
        std::vector<plat::BusWindow> windows = plat::ListBusWindows("TfrmMainDLMR1");
        ASSERT_EQ(windows.size(), 1u);
        int64_t result = 0;
        ASSERT_EQ(plat::SendBusMessage(windows[0], plat::kWmClose, 0, 0, 2000, result), plat::BusSendResult::Answered);
    }

    // Starts the program and waits until it has signed in and downloaded
    // everything the service holds.
    std::unique_ptr<testenv::Child> StartSignedIn()
    {
        auto copy = std::make_unique<testenv::Child>();
        EXPECT_TRUE(copy->Spawn({program_}));
        EXPECT_TRUE(WaitForMainWindow(*copy));
        EXPECT_TRUE(WaitForLog(kNothingNew, 1)) << ProgramLog();
        EXPECT_TRUE(WaitForLog("gDesk->ActivePage = Homepage", 1));
        return copy;
    }

    // Another party changes a record on the service; waits until a pass of
    // the program has downloaded it and ended.
    void ChangeOnTheServiceAndWaitForTheDownload()
    {
        const int changesBefore = Count(ProgramLog(), kRecordsChanged);
        ASSERT_EQ(Get(baseUrl_ + "/__test/sync/change?type=1&id=" + std::to_string(kChangedRecord) +
                      "&Text=" + kChangedTextInQuery),
                  "changed\n");
        ASSERT_TRUE(WaitForLog(kRecordsChanged, changesBefore + 1)) << ProgramLog();
        const std::string log = ProgramLog();
        const size_t downloaded = log.rfind(kRecordsChanged);
        ASSERT_TRUE(testenv::WaitUntil([&] { return ProgramLog().find(kPassEnd, downloaded) != std::string::npos; }));
    }

    // The files the end of the run must rewrite, as they are now.
    struct Written {
        FileVersion users;
        FileVersion settings;
    };
    Written WrittenNow() const { return {VersionOf(UsersListPath()), VersionOf(SettingsPath())}; }
    std::string UsersListPath() const { return UsersFolder() + TNUsers::kFileName; }
    std::string UserFolder() const { return UsersFolder() + std::to_string(kAliceID) + "/"; }
    // The program's prefix is "dlmr1" unless its server file names another.
    std::string SettingsPath() const { return UserFolder() + "setup-dlmr1.dat"; }

    // The text of a record in the data file the program left, read with the
    // model's own reader; "(missing)" when the record is not there.
    std::string StoredRecordText(uint32_t id)
    {
        App.PimServersCount = 1;
        std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "%s", kWebDomain);
        Dirs.UserDir.Set(UserFolder().c_str());
        TNString login(kAliceLogin);
        TNString name(kAliceLogin);
        Uzivatele.AktivniUzivatel = Uzivatele.AddOrUpdate(&login, &name, kAliceID, 0, nullptr);
        EXPECT_TRUE(c.ResizePIM());
        TNPIM& pim = *PIM[0];
        pim.Load(nullptr);
        std::string text = "(missing)";
        const int32_t position = pim.Records->GetRecordPosByID(id);
        if (position >= 0)
            text = std::string(pim.Records->Items[position]->Text.View());
        raf.closeAllFiles();
        Uzivatele.AktivniUzivatel = -1;
        return text;
    }

    // The log from the first line that holds `from` on; empty without one.
    std::string LogFrom(const std::string& from) const
    {
        const std::string log = ProgramLog();
        const size_t at = log.find(from);
        return at == std::string::npos ? std::string() : log.substr(at);
    }

    // What the run logged after its close's END line, line by line.
    std::vector<std::string> LinesAfterTheEnd() const
    {
        std::vector<std::string> lines;
        const std::string log = ProgramLog();
        const size_t end = log.rfind(kEndLine);
        if (end == std::string::npos)
            return {"(no END line)"};
        for (size_t start = log.find('\n', end) + 1, stop; (stop = log.find('\n', start)) != std::string::npos;
             start = stop + 1)
            lines.push_back(log.substr(start, stop - start));
        return lines;
    }

    // The end of a signed-in run: exit status 0 with the close's END line,
    // after it only the end of the process, the change in the data file and
    // the settings and the user list written anew.
    void ExpectAnOrderlyEnd(int status, const Written& before)
    {
        EXPECT_TRUE(ExitedWithZero(status)) << status;
        const std::string log = ProgramLog();
        EXPECT_EQ(Count(log, kEndLine), 1) << log.substr(log.size() > 4000 ? log.size() - 4000 : 0);
        EXPECT_NE(log.find("[g.OdhlasUzivatele][BEGIN] closing_application = 1"), std::string::npos);
        // After it only the window and the program's objects go.
        const std::vector<std::string> after = LinesAfterTheEnd();
        ASSERT_FALSE(after.empty());
        EXPECT_NE(after.back().find(kLastLine), std::string::npos) << after.back();
        for (const std::string& line : after) {
            const bool teardown =
                line.find("Destroy]") != std::string::npos || line.find("[TNPIMRecords::Resize]") != std::string::npos;
            EXPECT_TRUE(teardown) << "logged after the END line: " << line;
        }
        const Written written = WrittenNow();
        EXPECT_FALSE(written.users == before.users) << "the user list was written";
        EXPECT_FALSE(written.settings == before.settings) << "the settings were written";
        EXPECT_NE(written.settings.inode, 0u);
        EXPECT_EQ(StoredRecordText(kChangedRecord), kChangedText);
    }

    testenv::Child service_;
    std::string baseUrl_;
    std::string program_;
};

TEST_F(SignedInRun, TheDemoAlertDueAMinuteAfterTheStartOpensItsWindowInTime)
{
    // The service started in SetUp; its first alert falls due a minute later.
    const auto start = SteadyClock::now();
    auto copy = StartSignedIn();
    ASSERT_TRUE(WaitForLog("]][BringToFront]", 1, 90000 - static_cast<int>(MillisecondsSince(start)))) << ProgramLog();
    EXPECT_LT(MillisecondsSince(start), 90000);
    EXPECT_NE(ProgramLog().find("ApiReq=get%2Dalert%2Don%2Ddisplay%2Dstatus"), std::string::npos);
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status));
}

TEST_F(SignedInRun, TheClosingUtilityEndsItWithEverythingSaved)
{
    auto copy = StartSignedIn();
    ChangeOnTheServiceAndWaitForTheDownload();
    const Written before = WrittenNow();

    const auto start = SteadyClock::now();
    EXPECT_TRUE(ExitedWithZero(RunUtility(InstallUtility())));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 1000));
    EXPECT_LT(MillisecondsSince(start), 6000);
    ExpectAnOrderlyEnd(status, before);
}

TEST_F(SignedInRun, APassThatOutlastsTheClosingUtilityLosesNothingSaved)
{
    auto copy = StartSignedIn();
    ChangeOnTheServiceAndWaitForTheDownload();
    const Written before = WrittenNow();
    // The service now holds every pass longer than the utility waits. The
    // window's close hides it and starts a pass, which the exit then waits
    // for (the utility's own close may start it as well).
    const int passesBefore = Count(ProgramLog(), kHeldRequest);
    ASSERT_EQ(Get(baseUrl_ + "/__test/api-fault?name=get-users-organizers&kind=delay&ms=20000&times=always"), "done\n");
    SendClose();
    ASSERT_TRUE(WaitForLog(kHeldRequest, passesBefore + 1));

    EXPECT_TRUE(ExitedWithZero(RunUtility(InstallUtility())));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 1000));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the utility ended it: " << status;
    EXPECT_EQ(Count(ProgramLog(), kEndLine), 0);
    EXPECT_NE(ProgramLog().find("[FormCloseQuery][RETURN] Closing; waiting for the online thread."), std::string::npos);

    const Written written = WrittenNow();
    EXPECT_FALSE(written.users == before.users) << "the user list was written";
    EXPECT_FALSE(written.settings == before.settings) << "the settings were written";
    EXPECT_EQ(StoredRecordText(kChangedRecord), kChangedText);
}

TEST_F(SignedInRun, SigtermEndsItWithEverythingSaved)
{
    auto copy = StartSignedIn();
    ChangeOnTheServiceAndWaitForTheDownload();
    const Written before = WrittenNow();

    const auto start = SteadyClock::now();
    ASSERT_TRUE(copy->Signal(SIGTERM));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_LT(MillisecondsSince(start), 6000);
    ExpectAnOrderlyEnd(status, before);
}

TEST_F(SignedInRun, TheCloseButtonHidesItAndASecondCopyShowsItAgain)
{
    auto copy = StartSignedIn();
    SendClose();
    EXPECT_TRUE(WaitForLog("[FormCloseQuery][END] CanClose = 0", 1));
    // Offscreen there is no tray to hide in: the window goes to the task bar.
    EXPECT_NE(LogFrom("[FormCloseQuery][BEGIN]").find("[TrayIcon::HideApplication]"), std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int status = 0;
    EXPECT_FALSE(copy->Wait(status, 0)) << "it runs on";
    EXPECT_EQ(Count(ProgramLog(), "[FormClose][BEGIN]"), 0);

    // A second copy shows it and ends.
    testenv::Child second;
    ASSERT_TRUE(second.Spawn({program_}));
    ASSERT_TRUE(second.Wait(status, 3000));
    EXPECT_TRUE(ExitedWithZero(status));
    EXPECT_TRUE(WaitForLog("[RestoreMainWindow] wmRestoreMainWindow received.", 1));
    // Brought to the front, which only a visible window is.
    EXPECT_TRUE(testenv::WaitUntil([&] {
        return LogFrom("[RestoreMainWindow]").find("[TfrmMainDLMR1::SetMainWindowAsForeground][BringToFront]") !=
               std::string::npos;
    }));
    EXPECT_FALSE(copy->Wait(status, 0)) << "the first copy runs on";

    ASSERT_TRUE(copy->Signal(SIGTERM));
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status));
}

} // namespace
