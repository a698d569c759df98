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
#include <sstream>
#include <string>
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

} // namespace
} // namespace online_test
