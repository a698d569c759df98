// dalmora-sync as a user runs it, against the test service on loopback.

#include "tests/online/online_world.h"
#include "tests/service/sync_service.h"
#include "tests/service/update_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace online_test {
namespace {

class DalmoraSyncTest : public ServiceTest {
protected:
    DalmoraSyncTest() : accounts_(service_), sync_(accounts_) {}
    void SetUp() override
    {
        ServiceTest::SetUp();
        char pattern[] = "/tmp/dalmora-sync-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        accounts_.AddAccount(Alice());
        sync_.AddOrganizer(501, kAliceID, 1, 1, "Alice");
        for (int i = 0; i < 30; ++i)
            sync_.SeedRecord(501, "Z\xE1znam " + std::to_string(i), 9001 + i);
    }
    void TearDown() override
    {
        // Neither the tool's output nor its logs hold a form of the password.
        EXPECT_EQ(FindPasswordForm(ReadAll(root_ + "/out.txt") + Logs(), kAlicePassword), "");
        std::filesystem::remove_all(root_);
        ServiceTest::TearDown();
    }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(root_ + "/" + name, std::ios::binary) << text;
    }
    // Runs the tool with `arguments`, standard input from the file `input`;
    // its exit status, and its output in `output`.
    int Run(const std::string& arguments, const std::string& input, std::string& output)
    {
        std::string command = std::string(DALMORA_SYNC) + " --server " + service_.BaseUrl() + " --data " + root_ +
                              "/data --user alice@example.test --timeout 60 " + arguments + " < " + root_ + "/" +
                              input + " > " + root_ + "/out.txt 2>&1";
        int status = std::system(command.c_str());
        std::ifstream in(root_ + "/out.txt", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        output = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Starts the tool as Run does, without waiting; its process id.
    pid_t Start(const std::string& arguments, const std::string& input)
    {
        std::string command = "exec " + std::string(DALMORA_SYNC) + " --data " + root_ +
                              "/data --user alice@example.test --timeout 60 " + arguments + " < " + root_ + "/" +
                              input + " > " + root_ + "/out.txt 2>&1";
        pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return child;
    }
    // A request whose target or body holds the text has come in (the
    // account service logs a request only once it answered).
    bool Received(const std::string& text) const
    {
        for (const auto& request : service_.Requests())
            if (request.Target.find(text) != std::string::npos || request.Body.find(text) != std::string::npos)
                return true;
        return false;
    }
    // Everything the tool logged.
    std::string Logs()
    {
        std::string log;
        if (std::filesystem::exists(root_ + "/data/log"))
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root_ + "/data/log"))
                log += ReadAll(entry.path().string());
        return log;
    }
    std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Runs the tool against `server` in a process of its own, with Alice's
    // password: its exit status, its output, and its peak resident size in
    // KiB as the kernel counted it for that process.
    int RunMeasured(const std::string& server, std::string& output, long& peakKb)
    {
        Write("password.txt", "p&ss +1%=\xC5\xBE\n");
        pid_t child = Start("--server " + server + " --timeout 15", "password.txt");
        int status = 0;
        rusage usage{};
        if (child <= 0 || wait4(child, &status, 0, &usage) != child)
            return -1;
        peakKb = usage.ru_maxrss;
        output = ReadAll(root_ + "/out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Uploads() const
    {
        int uploads = 0;
        for (const auto& request : accounts_.Requests())
            uploads += request.Name == "upsync" ? 1 : 0;
        return uploads;
    }

    test_service::AccountService accounts_;
    test_service::SyncService sync_;
    std::string root_;
};

TEST_F(DalmoraSyncTest, SignsInDownloadsUploadsEditsAndEndsIdle)
{
    // The password arrives UTF-8 on standard input, the edits in a file.
    Write("password.txt", "p&ss +1%=\xC5\xBE\n");
    Write("edits.txt", "edit 9001 Ob\xC4\x9B"
                       "d & <porada>\nnew 501 Nov\xC3\xBD z\xC3\xA1znam\ndelete 9002\n");
    std::string output;
    EXPECT_EQ(Run("--edits " + root_ + "/edits.txt", "password.txt", output), 0) << output;
    EXPECT_NE(output.find("applied 3 local edits"), std::string::npos) << output;
    EXPECT_NE(output.find("records                  31         33        3        0"), std::string::npos) << output;

    test_service::StoredItem edited;
    ASSERT_TRUE(sync_.Find(test_service::kRecords, 9001, edited));
    EXPECT_EQ(edited.Field("Text"), "Ob\xEC"
                                    "d & <porada>");
    test_service::StoredItem deleted;
    ASSERT_TRUE(sync_.Find(test_service::kRecords, 9002, deleted));
    EXPECT_NE(deleted.Deleted, 0);
    EXPECT_EQ(sync_.LiveCount(test_service::kRecords), 30);
}

TEST_F(DalmoraSyncTest, ARestartReusesTheTemporaryIdForANewRecord)
{
    Write("password.txt", "p&ss +1%=\xC5\xBE\n");
    Write("first.txt", "new 501 Prvn\xC3\xAD\n");
    Write("second.txt", "new 501 Druh\xC3\xBD\n");
    std::string output;
    ASSERT_EQ(Run("--edits " + root_ + "/first.txt", "password.txt", output), 0) << output;
    ASSERT_EQ(Run("--edits " + root_ + "/second.txt", "password.txt", output), 0) << output;

    auto uploads = accounts_.RequestsNamed("upsync");
    ASSERT_EQ(uploads.size(), 2u);
    EXPECT_EQ(test_service::FieldValue(uploads[0].Fields, "UpSyncID"), "4200000001");
    EXPECT_EQ(test_service::FieldValue(uploads[1].Fields, "UpSyncID"), "4200000001");
    EXPECT_EQ(uploads[0].InstID, uploads[1].InstID);
    int first = 0;
    int second = 0;
    for (const auto& item : sync_.Items(test_service::kRecords)) {
        first += item.Field("Text") == "Prvn\xED" ? 1 : 0;
        second += item.Field("Text") == "Druh\xFD" ? 1 : 0;
    }
    EXPECT_EQ(first, 1) << "the earlier record is unchanged";
    EXPECT_EQ(second, 1);
    EXPECT_EQ(sync_.LiveCount(test_service::kRecords), 32);
    // The second run loaded what the first saved: nothing downloaded twice.
    EXPECT_NE(output.find("records                  32"), std::string::npos) << output;
}

TEST_F(DalmoraSyncTest, AWrongPasswordPrintsTheServicesTextAndExitsWithOne)
{
    Write("wrong.txt", "spatne\n");
    Write("empty.txt", "");
    std::string output;
    EXPECT_EQ(Run("--password-file " + root_ + "/wrong.txt", "empty.txt", output), 1) << output;
    EXPECT_NE(output.find("sign-in refused: Nespr\xC3\xA1vn\xC3\xA9 p\xC5\x99ihla\xC5\xA1ovac\xC3\xAD jm\xC3\xA9no"),
              std::string::npos)
        << output;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// SIGTERM while threads wait on answers the service holds back: the tool
// cancels the transfers, joins its threads and ends at once with status 0.
TEST_F(DalmoraSyncTest, SigtermEndsTheRunPromptlyWhileThreadsWaitOnStalledAnswers)
{
    Write("password.txt", "p&ss +1%=\xC5\xBE\n");
    test_service::UpdateService updates(service_);
    updates.SetNewestVersion(168);
    updates.AddFile("readme.txt", "?", "0123456789");
    accounts_.SetNewestVersion(168);
    const std::string port = std::to_string(service_.Port());
    Write("pimsrv00.cfg", "WebProtocol:http\nWebDomain:127.0.0.1\nApiProtocol:http\nApiDomain:127.0.0.1:" + port +
                              "/index.php\nUpdateWebProtocol:http\nUpdateWebDomain:127.0.0.1:" + port + "\n");
    struct Case {
        const char* what;
        std::function<void()> arm;
        std::function<bool()> waiting;
    };
    const Case cases[] = {
        {"the sign-in job", [&] { accounts_.ArmApiFault("login", test_service::ApiFault::Delay(60000)); },
         [&] { return Received("ApiReq=login&"); }},
        {"a pass and the update thread",
         [&] {
             accounts_.ArmApiFault("get-records", test_service::ApiFault::Delay(60000), test_service::kAlways);
             service_.ArmFault(test_service::UpdateService::kCheckPath, test_service::Fault::Stall(0));
         },
         [&] { return Received(test_service::UpdateService::kCheckPath) && Received("ApiReq=get%2Drecords&"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root_ + "/data");
        service_.ClearLogs();
        accounts_.DisarmApiFaults();
        service_.DisarmFaults();
        c.arm();
        pid_t child = Start("--server " + root_ + "/pimsrv00.cfg", "password.txt");
        ASSERT_GT(child, 0);
        ASSERT_TRUE(WaitFor(c.waiting, 20000)) << ReadAll(root_ + "/out.txt") << Logs();
        // Let the waiting thread settle into its transfer.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto sent = std::chrono::steady_clock::now();
        ASSERT_EQ(kill(child, SIGTERM), 0);
        int status = 0;
        ASSERT_TRUE(WaitFor([&] { return waitpid(child, &status, WNOHANG) == child; }, 15000));
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
        EXPECT_LT(took.count(), 12000);
        ASSERT_TRUE(WIFEXITED(status)) << ReadAll(root_ + "/out.txt");
        EXPECT_EQ(WEXITSTATUS(status), 0) << ReadAll(root_ + "/out.txt");
        const std::string log = Logs();
        EXPECT_NE(log.find("[dalmora-sync][END] exit code = 0"), std::string::npos) << log;
    }
}

// A hostile or broken service: the client stays small, asks no faster than
// its pass allows, uploads nothing because of what came down, and says why.
TEST_F(DalmoraSyncTest, AHostileServiceIsBoundedAndReported)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers' shadow memory and quarantine multiply what a run holds;
    // an unbounded answer still goes far beyond this.
    constexpr long kMostResidentKb = 1024 * 1024;
#else
    constexpr long kMostResidentKb = 200 * 1024;
#endif
    // A sign-in and a pass that takes everything in: about a dozen.
    constexpr size_t kMostRequests = 30;
    test_service::Options tlsOptions;
    tlsOptions.Tls = true;
    test_service::TestService tls(tlsOptions);
    ASSERT_TRUE(tls.Start());
    test_service::AccountService tlsAccounts(tls);
    tlsAccounts.AddAccount(Alice());
    const std::string port = std::to_string(service_.Port());
    struct Case {
        const char* name;
        std::function<void()> arm;
        int exitCode;
        // In the output, or else in the log.
        std::string cause;
        std::string server;
    };
    const Case cases[] = {
        {"an endless fast answer",
         [&] { accounts_.ArmApiFault("get-users-data", test_service::ApiFault::EndlessBody(), test_service::kAlways); },
         0, "answer longer than 67108864 bytes; cut off", ""},
        {"a declared length of 10^14",
         [&] {
             accounts_.ArmApiFault("get-users-data", test_service::ApiFault::DeclaredLength(100000000000000ull),
                                   test_service::kAlways);
         },
         0, "answer longer than 67108864 bytes; cut off", ""},
        {"a UserID of 2^33",
         [&] {
             accounts_.OmitAccountKeys({"UserID"});
             accounts_.SetSyncBlock("<UserID>8589934592</UserID>");
         },
         1,
         "sign-in refused: Slu\xC5\xBE"
         "ba poslala neplatn\xC3\xA9 \xC4\x8D\xC3\xADslo u\xC5\xBEivatele (UserID = 8589934592)",
         ""},
        {"sync-interval -1", [&] { accounts_.SetSyncInterval(-1); }, 0, "records                  30         30", ""},
        {"sync-interval 0", [&] { accounts_.SetSyncInterval(0); }, 0, "records                  30         30", ""},
        {"array-limit -5", [&] { sync_.SetArrayLimit(-5); }, 0, "records                  30         30", ""},
        {"array-limit 10^10", [&] { sync_.SetArrayLimit(10000000000ll); }, 0, "records                  30         30",
         ""},
        {"a self-signed certificate without the CA", [] {}, 2,
         "sign-in failed: the service could not be reached or was not trusted: SSL certificate problem", tls.BaseUrl()},
        {"a redirect to another host",
         [&] {
             service_.ArmFault(test_service::AccountService::kApiPath,
                               test_service::Fault::Redirect(307, "http://localhost:" + port + "/index.php"),
                               test_service::kAlways);
         },
         2,
         "sign-in failed: the service could not be reached or was not trusted: redirect refused: "
         "http://localhost:" +
             port + "/index.php",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(root_ + "/data");
        accounts_.DisarmApiFaults();
        accounts_.OmitAccountKeys({});
        accounts_.SetSyncBlock("");
        accounts_.SetSyncInterval(60);
        sync_.SetArrayLimit(100);
        service_.DisarmFaults();
        service_.ClearLogs();
        const size_t requestsBefore = accounts_.Requests().size();
        const int uploadsBefore = Uploads();
        c.arm();

        std::string output;
        long peakKb = 0;
        EXPECT_EQ(RunMeasured(c.server.empty() ? service_.BaseUrl() : c.server, output, peakKb), c.exitCode) << output;
        EXPECT_LT(peakKb, kMostResidentKb);
        EXPECT_LE(accounts_.Requests().size() - requestsBefore, kMostRequests);
        EXPECT_EQ(Uploads(), uploadsBefore);
        const std::string log = Logs();
        EXPECT_TRUE(output.find(c.cause) != std::string::npos || log.find(c.cause) != std::string::npos) << output;
        EXPECT_LT(log.size(), 4u << 20) << "the log holds no answer whole";
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_ + "/data"))
            EXPECT_NE(entry.path().filename(), "0") << "no data of user 0: " << entry.path();
    }
}

// Ids no service can give, in every collection: each item is refused and
// counted; none overwrites the item its id wraps to, none goes back up.
TEST_F(DalmoraSyncTest, HostileIdsInEveryCollectionAreRefused)
{
    using namespace test_service;
    const std::string alice = std::to_string(kAliceID);
    struct Collection {
        const char* row;
        int type;
        std::map<std::string, std::string> fields;
        int legit;
    };
    const Collection collections[] = {
        {"organizers", kOrganizers, {}, 1},
        {"records", kRecords, {{"OrganizerID", "501"}, {"Text", "Ciz\xED"}}, 30},
        {"tags", kTags, {{"OrganizerID", "501"}}, 0},
        {"tag assignments", kTagsAssign, {{"OrganizerID", "501"}, {"RecordID", "9001"}}, 0},
        {"alerts", kAlerts, {{"UserID", alice}, {"OrganizerID", "501"}, {"RecordID", "9001"}}, 0},
        {"contacts", kContacts, {{"UserID", alice}}, 0},
        {"contact requests", kContactsRequests, {{"ContactUserID", alice}}, 0},
        {"groups", kGroups, {{"UserID", alice}}, 0},
        {"group assignments", kGroupsAssign, {{"UserID", alice}}, 0},
        {"notifications", kNotifications, {{"RecipientUserID", alice}}, 0},
        {"sharing", kSharing, {{"OrganizerID", "501"}, {"RecordID", "9001"}}, 0},
        {"event types", kEventTypes, {}, 0},
    };
    const char* const hostileIds[] = {"4294976297", "18446744073709551616", "-1", "4200000005"};
    uint32_t stored = 70000;
    for (const Collection& collection : collections) {
        for (const char* id : hostileIds) {
            ++stored;
            if (collection.type == kOrganizers)
                sync_.AddOrganizer(stored, kAliceID, 1, 1, "Ciz\xED");
            else
                sync_.Seed(collection.type, collection.fields, stored);
            ASSERT_TRUE(sync_.SetIdText(collection.type, stored, id));
        }
    }

    std::string output;
    long peakKb = 0;
    EXPECT_EQ(RunMeasured(service_.BaseUrl(), output, peakKb), 0) << output;
    // Each pass meets them again, since none of them moves a download time.
    const size_t refused = output.find("refused ");
    ASSERT_NE(refused, std::string::npos) << output;
    EXPECT_GE(std::atoi(output.c_str() + refused + 8), 48) << output;
    for (const Collection& collection : collections) {
        std::istringstream row(output.substr(output.find(std::string(collection.row) + "  ")));
        int held = -1, downloaded = -1, uploaded = -1;
        row.ignore(18) >> held >> downloaded >> uploaded;
        EXPECT_EQ(held, collection.legit) << collection.row;
        EXPECT_EQ(downloaded, collection.legit) << collection.row;
        EXPECT_EQ(uploaded, 0) << collection.row;
    }
    EXPECT_EQ(Uploads(), 0);
}

} // namespace
} // namespace online_test
