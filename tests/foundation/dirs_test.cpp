#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "platform/core/file.h"
#include "tests/support/files.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using testing_support::ReadFile;
using testing_support::ScratchFolder;
using testing_support::WriteFile;

std::string CurrentFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof(buffer)) != nullptr ? buffer : "";
}

bool IsFolderWithMode(const std::string& path, unsigned mode)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & 0777) == mode;
}

// HOME and the XDG variables point into a fresh folder; "program" stands in
// for the program's folder.
class Folders : public ::testing::Test {
protected:
    void SetUp() override
    {
        SaveEnv("HOME");
        SaveEnv("XDG_DATA_HOME");
        home_ = root_.Path() + "home/";
        data_ = home_ + "data/";
        program_ = root_.Path() + "program/";
        ASSERT_TRUE(plat::CreateFolders(home_));
        ASSERT_TRUE(plat::CreateFolders(program_));
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_DATA_HOME", data_.c_str(), 1);
        savedAppDir_ = std::string(Dirs.AppDir.View());
        Dirs.AppDir.Set(program_);
        Dirs.UserDirName.Set("jana");
        Dirs.ProducerDirName.Set("Dalmora");
        Dirs.ProductDirName.Set("DLMR1");
        cwd_ = CurrentFolder();
    }
    void TearDown() override
    {
        EXPECT_EQ(CurrentFolder(), cwd_);
        Dirs.AppDir.Set(savedAppDir_);
        Dirs.UserDirName.Set("");
        for (auto& [name, value] : env_) {
            if (value.second)
                setenv(name.c_str(), value.first.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        EnterFolderForThread("");
    }
    void SaveEnv(const char* name)
    {
        const char* value = std::getenv(name);
        env_.push_back({name, {value != nullptr ? value : "", value != nullptr}});
    }
    std::string Current()
    {
        TNString folder;
        EXPECT_TRUE(Dirs.GetCurrentDir(folder));
        return std::string(folder.View());
    }

    ScratchFolder root_;
    std::string home_;
    std::string data_;
    std::string program_;
    std::string cwd_;
    std::string savedAppDir_;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> env_;
};

TEST_F(Folders, GoToGivesTheDataPathsInBothModesWithoutChangingTheProcessFolder)
{
    struct Case {
        bool portable;
        std::string users;
        std::string user;
        std::string update;
    };
    const Case cases[] = {
        {false, data_ + "Dalmora/", data_ + "Dalmora/jana/", data_ + "Dalmora/DLMR1/Update/"},
        {true, program_ + "Users/", program_ + "Users/jana/", program_ + "Users/All Users/DLMR1/Update/"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.portable ? "portable" : "data home");
        ASSERT_TRUE(Dirs.GoToUsersDir(row.portable, false, false));
        EXPECT_EQ(Current(), row.users);
        EXPECT_EQ(CurrentFolder(), cwd_);
        EXPECT_TRUE(IsFolderWithMode(row.users, 0700));

        ASSERT_TRUE(Dirs.GoToUserDir(row.portable));
        EXPECT_EQ(Current(), row.user);
        EXPECT_EQ(Dirs.UserDir.View(), row.user);
        EXPECT_EQ(CurrentFolder(), cwd_);
        EXPECT_TRUE(IsFolderWithMode(row.user, 0700));

        ASSERT_TRUE(Dirs.GoToUpdateDir(row.portable));
        EXPECT_EQ(Current(), row.update);
        EXPECT_EQ(Dirs.UpdateDir.View(), row.update);
        EXPECT_EQ(CurrentFolder(), cwd_);
        EXPECT_TRUE(IsFolderWithMode(row.update, 0700));

        ASSERT_TRUE(Dirs.GoToUsersDir(row.portable, true, true));
        EXPECT_EQ(Current(), row.user + "DLMR1/");
    }
    ASSERT_TRUE(Dirs.GoToAppDir());
    EXPECT_EQ(Current(), program_);
    EXPECT_EQ(CurrentFolder(), cwd_);
}

TEST_F(Folders, DataHomeDefaultsUnderHome)
{
    unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(Dirs.GoToUserDir(false));
    EXPECT_EQ(Current(), home_ + ".local/share/Dalmora/jana/");
}

TEST_F(Folders, EnteredFolderBelongsToTheCallingThread)
{
    ASSERT_TRUE(Dirs.GoToUserDir(false));
    std::string other;
    std::thread worker([&] {
        ASSERT_TRUE(Dirs.GoToUpdateDir(false));
        other = Current();
    });
    worker.join();
    EXPECT_EQ(other, data_ + "Dalmora/DLMR1/Update/");
    EXPECT_EQ(Current(), data_ + "Dalmora/jana/");
    ASSERT_TRUE(Dirs.CreatePath("Organizers/12"));
    EXPECT_TRUE(IsFolderWithMode(data_ + "Dalmora/jana/Organizers/12", 0700));
}

TEST_F(Folders, UnsafeUserFolderNamesAreRefused)
{
    ASSERT_TRUE(Dirs.GoToUserDir(false));
    std::string before = Current();
    for (std::string_view name : {std::string_view(""), std::string_view("."), std::string_view(".."),
                                  std::string_view("a/b"), std::string_view("/etc"), std::string_view("a\0b", 3)}) {
        Dirs.UserDirName.Set(name);
        EXPECT_FALSE(Dirs.GoToUserDir(false)) << name;
        EXPECT_FALSE(Dirs.GoToUserDir(true)) << name;
        EXPECT_FALSE(Dirs.GoToUsersDir(false, true, false)) << name;
        EXPECT_EQ(Dirs.UserDir.View(), data_ + "Dalmora/jana/");
        EXPECT_EQ(Current(), before);
    }
    EXPECT_EQ(root_.Entries("home/data/Dalmora/").size(), 1u);
}

TEST_F(Folders, DeleteDirTreeRefusesRootsAndRelativeFolders)
{
    ASSERT_TRUE(Dirs.GoToUserDir(false));
    WriteFile(data_ + "Dalmora/jana/keep.dat", "x");
    WriteFile(home_ + "keep.txt", "x");
    ASSERT_EQ(symlink((data_ + "Dalmora/jana").c_str(), (root_.Path() + "link").c_str()), 0);
    for (const std::string& folder :
         {std::string(""), std::string("/"), home_, home_.substr(0, home_.size() - 1), home_ + "./", data_,
          data_ + "Dalmora/", std::string("relative"), root_.Path() + "link", root_.Path() + "link/", program_}) {
        EXPECT_FALSE(Dirs.DeleteDirTree(folder.c_str(), "*.*")) << folder;
    }
    EXPECT_FALSE(Dirs.DeleteDirTree(nullptr, "*.*"));
    EXPECT_EQ(ReadFile(data_ + "Dalmora/jana/keep.dat"), "x");
    EXPECT_EQ(ReadFile(home_ + "keep.txt"), "x");
}

TEST_F(Folders, DeleteDirTreeDeletesMatchesAndNeverFollowsLinks)
{
    ASSERT_TRUE(Dirs.GoToUpdateDir(false));
    std::string update = data_ + "Dalmora/DLMR1/Update/";
    ASSERT_TRUE(plat::CreateFolders(update + "167/sub/"));
    WriteFile(update + "update.exe", "1");
    WriteFile(update + "167/update.tmp", "2");
    WriteFile(update + "167/sub/a.tmp", "3");
    WriteFile(update + "167/sub/b.dat", "4");
    ASSERT_TRUE(plat::CreateFolders(home_ + "outside/"));
    WriteFile(home_ + "outside/precious.tmp", "5");
    ASSERT_EQ(symlink((home_ + "outside").c_str(), (update + "167/escape").c_str()), 0);

    EXPECT_TRUE(Dirs.DeleteDirTree(update.c_str(), "*.tmp"));
    EXPECT_EQ(ReadFile(update + "update.exe"), "1");
    EXPECT_FALSE(plat::FileExists(update + "167/update.tmp"));
    EXPECT_FALSE(plat::FileExists(update + "167/sub/a.tmp"));
    EXPECT_EQ(ReadFile(update + "167/sub/b.dat"), "4");
    EXPECT_EQ(ReadFile(home_ + "outside/precious.tmp"), "5");

    EXPECT_TRUE(Dirs.DeleteDirTree(update.c_str(), "*.*"));
    EXPECT_TRUE(IsFolderWithMode(update, 0700));
    EXPECT_TRUE(root_.Entries("home/data/Dalmora/DLMR1/Update/").empty());
    EXPECT_EQ(ReadFile(home_ + "outside/precious.tmp"), "5");
}

TEST_F(Folders, InstallationIdRoundTripsAsFourLittleEndianBytes)
{
    std::string path = data_ + "Dalmora/DLMR1/instid.dat";
    EXPECT_EQ(Dirs.LoadInstID(), 0u);
    ASSERT_TRUE(Dirs.SaveInstID(0x12345678u));
    EXPECT_EQ(ReadFile(path), std::string("\x78\x56\x34\x12", 4));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Dirs.LoadInstID(), 0x12345678u);
    EXPECT_EQ(root_.Entries("home/data/Dalmora/DLMR1/").size(), 1u);

    WriteFile(path, std::string("\x01\x02\x03", 3));
    EXPECT_EQ(Dirs.LoadInstID(), 0u);
    WriteFile(path, std::string("\x01\x00\x00\x00\xFF", 5));
    EXPECT_EQ(Dirs.LoadInstID(), 1u);
}

TEST_F(Folders, ShortCommonDataPathKeepsNoInstallationId)
{
    setenv("XDG_DATA_HOME", "/a/", 1);
    EXPECT_EQ(Dirs.LoadInstID(), 0u);
    EXPECT_FALSE(Dirs.SaveInstID(5));
}

} // namespace

namespace {

TEST_F(Folders, FileTimeIsTheLocalLastWriteTime)
{
    std::string path = root_.Path() + "stamp.txt";
    WriteFile(path, "x");
    struct timespec times[2] = {};
    // 27.10.2024 00:30 UTC is 02:30 summer time in Prague.
    times[0].tv_sec = times[1].tv_sec = 1729989000;
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    TNTime stamp;
    ASSERT_TRUE(Dirs.GetFileTime(path.c_str(), stamp));
    EXPECT_EQ(stamp.Rok, 2024);
    EXPECT_EQ(stamp.Mesic, 10);
    EXPECT_EQ(stamp.Den, 27);
    EXPECT_EQ(stamp.Hodina, 2);
    EXPECT_EQ(stamp.Minuta, 30);
    EXPECT_EQ(stamp.IsDST, 1);
    EXPECT_FALSE(Dirs.GetFileTime((root_.Path() + "missing").c_str(), stamp));
}

} // namespace
