#include "platform/core/disk.h"
#include "platform/core/paths.h"

#include <gtest/gtest.h>

#include <sys/statvfs.h>

namespace {

TEST(FreeSpace, MatchesStatvfsOfThePathItself)
{
    std::string folder = plat::TempFolder();
    uint64_t bytes = 0;
    ASSERT_TRUE(plat::FreeSpaceOfPath(folder, bytes));
    struct statvfs info {};
    ASSERT_EQ(statvfs(folder.c_str(), &info), 0);
    uint64_t expected = static_cast<uint64_t>(info.f_bavail) * info.f_frsize;
    // Other processes write meanwhile; allow a little drift.
    EXPECT_NEAR(static_cast<double>(bytes), static_cast<double>(expected), 64.0 * 1024 * 1024);
}

TEST(FreeSpace, FailsForMissingOrEmptyPath)
{
    uint64_t bytes = 7;
    EXPECT_FALSE(plat::FreeSpaceOfPath("", bytes));
    EXPECT_FALSE(plat::FreeSpaceOfPath("/nonexistent-dalmora/x", bytes));
    EXPECT_EQ(bytes, 7u);
}

bool FakeFree(const std::string&, uint64_t& bytes)
{
    bytes = 12345;
    return true;
}

TEST(FreeSpace, SeamAnswersInsteadOfFileSystem)
{
    plat::SetFreeSpaceProvider(&FakeFree);
    uint64_t bytes = 0;
    EXPECT_TRUE(plat::FreeSpaceOfPath("/nonexistent-dalmora", bytes));
    plat::SetFreeSpaceProvider(nullptr);
    EXPECT_EQ(bytes, 12345u);
    EXPECT_FALSE(plat::FreeSpaceOfPath("/nonexistent-dalmora", bytes));
}

TEST(MountPoint, RootAndProcAreTheirOwnMountPoints)
{
    EXPECT_EQ(plat::MountPointOf("/"), "/");
    EXPECT_EQ(plat::MountPointOf("/proc/self/"), "/proc/");
    EXPECT_EQ(plat::MountPointOf("relative/path"), "/");
}

} // namespace
