// dalmora-sync as a user runs it, against the test service on loopback.

#include "tests/online/online_world.h"
#include "tests/service/sync_service.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

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

    test_service::AccountService accounts_;
    test_service::SyncService sync_;
    std::string root_;
};

TEST_F(DalmoraSyncTest, SignsInDownloadsUploadsEditsAndEndsIdle)
{
    // The password arrives UTF-8 on standard input, the edits in a file.
    Write("password.txt", "p&ss +1\xC5\xBE\n");
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
    Write("password.txt", "p&ss +1\xC5\xBE\n");
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

} // namespace
} // namespace online_test
