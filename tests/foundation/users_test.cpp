#include "foundation/users.h"
#include "platform/core/file.h"
#include "tests/foundation/log_capture.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <thread>

namespace {

using testing_support::ReadBytes;
using testing_support::ReadFixture;
using testing_support::ScratchFolder;
using testing_support::WriteFile;

constexpr const char* kDamaged = "[TNUsers::Load][ERROR] users file is damaged: ";

std::string Text(const TNString& text)
{
    return std::string(text.View());
}

unsigned Mode(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 0777;
}

int32_t Add(TNUsers& users, const char* login, const char* name, uint32_t id, uint8_t remember, const char* password)
{
    TNString loginText(login);
    TNString nameText(name);
    TNString passwordText(password);
    return users.AddOrUpdate(&loginText, &nameText, id, remember, &passwordText);
}

class UsersTest : public ::testing::Test {
protected:
    std::string UsersFolder() const { return scratch_.Path() + "users/"; }
    std::string UsersFile() const { return UsersFolder() + TNUsers::kFileName; }

    ScratchFolder scratch_;
    TNUsers users_;
};

using TNUsersFile = UsersTest;

TEST_F(TNUsersFile, SavesTheVersion3FixtureExactly)
{
    ASSERT_EQ(Add(users_, "petra@example.com", "petra", 4711, 1, "tajne123"), 0);
    ASSERT_EQ(Add(users_, "rehor@example.com", "Řehoř", 3000000000u, 0, ""), 1);
    users_.UpdateUser(0, [](TNUser& user) {
        user.Flag1 = 1;
        user.Time.SetDateTime(24, 12, 5, 30, 18, 2023);
    });
    users_.UpdateUser(1, [](TNUser& user) {
        user.Flag2 = 1;
        user.Time.SetDateTime(1, 2, 9, 5, 7, 2025);
    });
    users_.AktivniUzivatel = 1;

    ASSERT_TRUE(users_.Save(UsersFolder()));
    EXPECT_EQ(ReadBytes(UsersFile()), ReadFixture("users-v3.dat"));
}

TEST_F(TNUsersFile, LoadsTheVersion3Fixture)
{
    WriteFile(UsersFile(), ReadFixture("users-v3.dat"));
    ASSERT_TRUE(users_.Load(UsersFolder()));
    EXPECT_TRUE(users_.IsLoaded());
    ASSERT_EQ(users_.Count(), 2);
    EXPECT_EQ(users_.AktivniUzivatel.load(), 1);

    TNUser petra;
    ASSERT_TRUE(users_.GetUser(0, &petra));
    EXPECT_EQ(Text(petra.Login), "petra@example.com");
    EXPECT_EQ(Text(petra.Password), "tajne123");
    EXPECT_EQ(petra.RememberPassword, 1);
    EXPECT_EQ(petra.Flag1, 1);
    EXPECT_EQ(petra.Flag2, 0);
    EXPECT_EQ(petra.Time.Den, 24);
    EXPECT_EQ(petra.Time.Mesic, 12);
    EXPECT_EQ(petra.Time.Rok, 2023);
    EXPECT_EQ(petra.Time.Hodina, 18);
    EXPECT_EQ(petra.Time.Minuta, 30);
    EXPECT_EQ(petra.Time.Sekunda, 5);
    EXPECT_EQ(petra.UserID, 4711u);

    TNUser rehor;
    ASSERT_TRUE(users_.GetActiveUser(&rehor));
    EXPECT_EQ(Text(rehor.UserName), "\xD8"
                                    "eho\xF8");
    EXPECT_EQ(rehor.UserID, 3000000000u);
    EXPECT_EQ(users_.ActiveUserID(), 3000000000u);
    EXPECT_FALSE(users_.IsActiveUserFlagged());
}

TEST_F(TNUsersFile, LoadsVersion2AndSavesVersion3)
{
    WriteFile(UsersFile(), ReadFixture("users-v2.dat"));
    ASSERT_TRUE(users_.Load(UsersFolder()));
    ASSERT_EQ(users_.Count(), 2);
    EXPECT_EQ(users_.AktivniUzivatel.load(), 0);
    EXPECT_TRUE(users_.IsActiveUserFlagged());
    for (int32_t i = 0; i < 2; ++i) {
        TNUser user;
        ASSERT_TRUE(users_.GetUser(i, &user));
        EXPECT_EQ(user.Flag1, 0);
        EXPECT_EQ(user.Flag2, 0);
        EXPECT_EQ(user.UserID, 0u);
        EXPECT_EQ(user.Time.Den, 1);
        EXPECT_EQ(user.Time.Mesic, 1);
        EXPECT_EQ(user.Time.Rok, 1980);
        EXPECT_EQ(user.Time.Hodina, 12);
        EXPECT_EQ(user.Time.Minuta, 0);
    }
    TNUser karel;
    ASSERT_TRUE(users_.GetUser(1, &karel));
    EXPECT_EQ(Text(karel.UserName), "karel");

    ASSERT_TRUE(users_.Save(UsersFolder()));
    std::string saved = ReadBytes(UsersFile());
    std::string v2 = ReadFixture("users-v2.dat");
    // Same header id, version 3, and each user now 13 bytes longer.
    ASSERT_EQ(saved.size(), v2.size() + 2 * 13);
    EXPECT_EQ(saved.substr(0, 18), v2.substr(0, 18));
    EXPECT_EQ(saved.substr(18, 2), std::string("\x03\x00", 2));

    TNUsers again;
    ASSERT_TRUE(again.Load(UsersFolder()));
    EXPECT_EQ(again.Count(), 2);
    EXPECT_EQ(again.FindByUserName("karel"), 1);
}

// Inverted is as readable as plain text, so only a remembered password is
// written; the other entry keeps the field, empty.
TEST_F(TNUsersFile, APasswordNotRememberedIsNotWritten)
{
    ASSERT_EQ(Add(users_, "petra@example.com", "petra", 4711, 1, "tajne123"), 0);
    ASSERT_EQ(Add(users_, "jan@example.com", "jan", 4712, 0, "heslo456"), 1);
    ASSERT_TRUE(users_.Save(UsersFolder()));

    std::string saved = ReadBytes(UsersFile());
    auto inverted = [](std::string text) {
        for (char& ch : text) {
            ch = static_cast<char>(255 - static_cast<unsigned char>(ch));
        }
        return text;
    };
    EXPECT_NE(saved.find(inverted("tajne123")), std::string::npos);
    EXPECT_EQ(saved.find(inverted("heslo456")), std::string::npos);

    TNUsers again;
    ASSERT_TRUE(again.Load(UsersFolder()));
    ASSERT_EQ(again.Count(), 2);
    TNUser jan;
    ASSERT_TRUE(again.GetUser(1, &jan));
    EXPECT_EQ(Text(jan.Login), "jan@example.com");
    EXPECT_EQ(Text(jan.Password), "");
    EXPECT_EQ(jan.RememberPassword, 0);
    EXPECT_EQ(jan.UserID, 4712u);
    TNUser petra;
    ASSERT_TRUE(again.GetUser(0, &petra));
    EXPECT_EQ(Text(petra.Password), "tajne123");
}

TEST_F(TNUsersFile, SavingAnEmptyListLeavesTheFileAlone)
{
    std::string v3 = ReadFixture("users-v3.dat");
    WriteFile(UsersFile(), v3);
    EXPECT_FALSE(users_.Save(UsersFolder()));
    EXPECT_EQ(ReadBytes(UsersFile()), v3);
}

TEST_F(TNUsersFile, DamagedFilesLeaveTheListUnchanged)
{
    std::string v3 = ReadFixture("users-v3.dat");
    std::string hugeCount = v3.substr(0, 24) + std::string("\xFF\xFF\xFF\xFF", 4) + std::string(12, '\x7F');
    ASSERT_EQ(hugeCount.size(), 40u);
    struct Case {
        const char* Name;
        std::string Bytes;
    };
    const Case cases[] = {
        {"cut inside the second user", v3.substr(0, v3.size() - 3)},
        {"cut inside the first user", v3.substr(0, 40)},
        {"cut after the count", v3.substr(0, 28)},
        {"cut inside the header", v3.substr(0, 10)},
        {"count 0xFFFFFFFF", hugeCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TNUsers users;
        ASSERT_EQ(Add(users, "ivo@example.com", "ivo", 5, 1, "x"), 0);
        users.AktivniUzivatel = 0;
        WriteFile(UsersFile(), c.Bytes);
        testing_support::LogCapture log;
        EXPECT_FALSE(users.Load(UsersFolder()));
        EXPECT_NE(log.Text().find(kDamaged + UsersFile()), std::string::npos) << log.Text();
        EXPECT_FALSE(users.IsLoaded());
        ASSERT_EQ(users.Count(), 1);
        EXPECT_EQ(users.AktivniUzivatel.load(), 0);
        EXPECT_EQ(users.ActiveUserID(), 5u);
    }
}

TEST_F(TNUsersFile, OtherHeadersAndMissingFilesChangeNothing)
{
    ASSERT_EQ(Add(users_, "ivo@example.com", "ivo", 5, 1, "x"), 0);
    EXPECT_FALSE(users_.Load(UsersFolder()));
    std::string v3 = ReadFixture("users-v3.dat");
    std::string version4 = v3;
    version4[18] = 4;
    std::string otherId = v3;
    otherId[2] = 'X';
    for (const std::string& bytes : {version4, otherId}) {
        WriteFile(UsersFile(), bytes);
        EXPECT_FALSE(users_.Load(UsersFolder()));
        EXPECT_EQ(users_.Count(), 1);
    }
}

TEST_F(TNUsersFile, SaveIsPrivateAndKeepsTheOldFileOnFailure)
{
    ASSERT_EQ(Add(users_, "ivo@example.com", "ivo", 5, 1, "x"), 0);
    ASSERT_TRUE(users_.Save(UsersFolder()));
    EXPECT_EQ(Mode(UsersFile()), 0600u);
    EXPECT_EQ(Mode(UsersFolder()), 0700u);
    std::string before = ReadBytes(UsersFile());

    ASSERT_EQ(Add(users_, "eva@example.com", "eva", 6, 0, ""), 1);
    plat::FailNthWrite(1);
    testing_support::LogCapture log;
    EXPECT_FALSE(users_.Save(UsersFolder()));
    plat::FailNthWrite(0);
    EXPECT_NE(log.Text().find("[TNUsers::Save][ERROR]"), std::string::npos);
    EXPECT_EQ(ReadBytes(UsersFile()), before);
    EXPECT_EQ(scratch_.Entries("users/"), std::vector<std::string>{TNUsers::kFileName});
}

TEST(TNUsers, UserNamesMatchWithoutLetterCase)
{
    TNUsers users;
    ASSERT_EQ(Add(users, "jan@example.com", "jan", 1, 0, ""), 0);
    ASSERT_EQ(Add(users, "Jan@example.com", "Jan", 2, 0, ""), 0);
    ASSERT_EQ(Add(users, "JAN@EXAMPLE.COM", "JAN", 3, 1, "heslo"), 0);
    ASSERT_EQ(users.Count(), 1);
    TNUser jan;
    ASSERT_TRUE(users.GetUser(0, &jan));
    EXPECT_EQ(Text(jan.UserName), "JAN");
    EXPECT_EQ(Text(jan.Login), "JAN@EXAMPLE.COM");
    EXPECT_EQ(Text(jan.Password), "heslo");
    EXPECT_EQ(jan.UserID, 3u);
    EXPECT_EQ(users.FindByUserName("jAn"), 0);
    EXPECT_EQ(users.FindByUserName("jana"), -1);
}

TEST(TNUsers, NewUsersAreStoredInLowerCase)
{
    TNUsers users;
    TNString login("Eva@Example.com");
    TNString name("EvaN");
    TNString password("Tajne");
    ASSERT_EQ(users.AddOrUpdate(&login, &name, 9, 1, &password), 0);
    // The caller's texts are lower-cased too.
    EXPECT_EQ(Text(name), "evan");
    TNUser eva;
    ASSERT_TRUE(users.GetUser(0, &eva));
    EXPECT_EQ(Text(eva.Login), "eva@example.com");
    EXPECT_EQ(Text(eva.UserName), "evan");
    EXPECT_EQ(Text(eva.Password), "Tajne");
}

TEST(TNUsers, ActiveAndSelectedIndexesMustLieInTheList)
{
    TNUsers users;
    EXPECT_FALSE(users.HasActiveUser());
    EXPECT_EQ(users.ActiveUserID(), 0u);
    ASSERT_EQ(Add(users, "a@example.com", "a", 7, 1, ""), 0);
    users.AktivniUzivatel = 1;
    users.SelectedIndex = 0;
    EXPECT_FALSE(users.HasActiveUser());
    EXPECT_FALSE(users.IsActiveUserFlagged());
    EXPECT_TRUE(users.HasSelectedUser());
    users.AktivniUzivatel = 0;
    EXPECT_TRUE(users.HasActiveUser());
    EXPECT_TRUE(users.IsActiveUserFlagged());
    EXPECT_EQ(users.ActiveUserID(), 7u);
    ASSERT_TRUE(users.Resize(0));
    EXPECT_FALSE(users.HasActiveUser());
}

// The sign-in changes the list on the job thread while the online thread
// reads the active user.
TEST(TNUsers, SignInWhileAnotherThreadReads)
{
    TNUsers users;
    constexpr int kRounds = 2000;
    std::thread reader([&] {
        for (int i = 0; i < kRounds; ++i) {
            // A copy is never torn: the id belongs to the name.
            TNUser user;
            if (users.GetActiveUser(&user)) {
                EXPECT_EQ(Text(user.UserName), "u" + std::to_string((user.UserID - 1) % 100));
            }
            users.HasActiveUser();
            users.IsActiveUserFlagged();
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        std::string name = "u" + std::to_string(i % 100);
        int32_t index = Add(users, (name + "@example.com").c_str(), name.c_str(), static_cast<uint32_t>(i + 1), 1, "");
        users.AktivniUzivatel = index;
    }
    reader.join();
    EXPECT_EQ(users.Count(), 100);
    EXPECT_EQ(users.ActiveUserID(), static_cast<uint32_t>(kRounds));
}

} // namespace
