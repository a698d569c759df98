#include "platform/core/bytes.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "tests/support/files.h"
#include "tests/support/named_pipe.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder_.empty()); }
    void TearDown() override { plat::FailNthWrite(0); }
    std::vector<std::string> Entries() const { return scratch_.Entries(); }

    testing_support::ScratchFolder scratch_;
    std::string folder_ = scratch_.Path();
};

using AtomicWriter = TempFolder;

TEST_F(AtomicWriter, ReplacesContentsWithMode0600)
{
    std::string path = folder_ + "settings.dat";
    ASSERT_TRUE(plat::WriteFileAtomically(path, "old"));
    ASSERT_TRUE(plat::WriteFileAtomically(path, "new contents"));
    std::string read;
    ASSERT_TRUE(plat::ReadWholeFile(path, read));
    EXPECT_EQ(read, "new contents");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.dat"});
}

TEST_F(AtomicWriter, FailureHalfwayKeepsOldFileAndLeavesNoTemporary)
{
    std::string path = folder_ + "users.dat";
    ASSERT_TRUE(plat::WriteFileAtomically(path, "previous state"));
    std::string large(200 * 1024, 'x');
    plat::FailNthWrite(2); // the first chunk goes out, the second fails
    EXPECT_FALSE(plat::WriteFileAtomically(path, large));
    std::string read;
    ASSERT_TRUE(plat::ReadWholeFile(path, read));
    EXPECT_EQ(read, "previous state");
    EXPECT_EQ(Entries(), std::vector<std::string>{"users.dat"});
}

// A temporary left by a killed writer goes; files that merely look alike stay.
TEST_F(AtomicWriter, StaleTemporariesOfOneFileAreRemoved)
{
    std::string path = folder_ + "pim.dli";
    ASSERT_TRUE(plat::WriteFileAtomically(path, "index"));
    struct Case {
        const char* name;
        unsigned mode;
        bool removed;
    };
    const Case cases[] = {
        {"pim.dli.c4kfhS", 0600, true},   {"pim.dli.000000", 0600, true},  {"pim.dli.c4kfh", 0600, false},
        {"pim.dli.c4kfhSx", 0600, false}, {"pim.dli.c4k-hS", 0600, false}, {"pim.dli.backup", 0644, false},
        {"pim.dld.c4kfhS", 0600, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(plat::WriteFileAtomically(folder_ + c.name, "x", c.mode));
    }
    EXPECT_EQ(plat::RemoveStaleTemporaries(path), 2);
    for (const Case& c : cases)
        EXPECT_EQ(plat::FileExists(folder_ + c.name), !c.removed) << c.name;
    EXPECT_TRUE(plat::FileExists(path));
}

TEST_F(AtomicWriter, RecorderSeesPositionedWritesTruncationsAndSyncs)
{
    struct Recorder final : plat::WriteRecorder {
        std::vector<std::string> events;
        void OnWrite(const std::string& path, uint64_t offset, std::string_view bytes) override
        {
            events.push_back(path.substr(path.rfind('/') + 1) + " write " + std::to_string(offset) + " " +
                             std::string(bytes));
        }
        void OnTruncate(const std::string&, uint64_t size) override
        {
            events.push_back("truncate " + std::to_string(size));
        }
        void OnSync(const std::string&) override { events.push_back("sync"); }
    } recorder;
    std::string path = folder_ + "data.bin";
    plat::File file;
    ASSERT_TRUE(file.Open(path, plat::File::Mode::ReadWriteCreate));
    plat::SetWriteRecorder(&recorder);
    ASSERT_TRUE(file.WriteAt(4, "abcd", 4));
    ASSERT_TRUE(file.WriteAt(0, "xy", 2));
    ASSERT_TRUE(file.Sync());
    ASSERT_TRUE(file.Truncate(6));
    plat::SetWriteRecorder(nullptr);
    ASSERT_TRUE(file.WriteAt(0, "z", 1));
    const std::vector<std::string> expected = {"data.bin write 4 abcd", "data.bin write 0 xy", "sync", "truncate 6"};
    EXPECT_EQ(recorder.events, expected);
    std::string read;
    ASSERT_TRUE(plat::ReadWholeFile(path, read));
    EXPECT_EQ(read, std::string("zy\0\0ab", 6));
}

using Folders = TempFolder;

TEST_F(Folders, CreatesNestedFoldersWithMode0700)
{
    std::string nested = folder_ + "a/b/c/";
    ASSERT_TRUE(plat::CreateFolders(nested));
    struct stat info {};
    ASSERT_EQ(stat((folder_ + "a/b").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(plat::CreateFolders("relative/path"));
}

using FileOperations = TempFolder;

using testing_support::ReadFile;
using testing_support::WriteFile;

// What the update and the view ask of a file: only a regular file has a size
// and permission bits; a folder takes new files only when it is writable.
TEST_F(FileOperations, SizePermissionsReadabilityAndNewFilesOfAFolder)
{
    WriteFile(folder_ + "program", "12345");
    ASSERT_EQ(chmod((folder_ + "program").c_str(), 0750), 0);
    ASSERT_TRUE(plat::CreateFolders(folder_ + "folder/"));
    EXPECT_EQ(plat::RegularFileSize(folder_ + "program"), 5);
    EXPECT_EQ(plat::RegularFileSize(folder_ + "folder"), -1);
    EXPECT_EQ(plat::RegularFileSize(folder_ + "missing"), -1);
    EXPECT_EQ(plat::FilePermissions(folder_ + "program", 0644), 0750u);
    EXPECT_EQ(plat::FilePermissions(folder_ + "missing", 0644), 0644u);
    EXPECT_TRUE(plat::FileReadable(folder_ + "program"));
    EXPECT_FALSE(plat::FileReadable(folder_ + "missing"));

    EXPECT_TRUE(plat::FolderTakesNewFiles(folder_ + "folder/"));
    EXPECT_TRUE(plat::FolderTakesNewFiles(folder_ + "folder"));
    EXPECT_FALSE(plat::FolderTakesNewFiles(folder_ + "missing/"));
    ASSERT_EQ(chmod((folder_ + "folder").c_str(), 0500), 0);
    // Root writes into any folder.
    if (geteuid() != 0) {
        EXPECT_FALSE(plat::FolderTakesNewFiles(folder_ + "folder/"));
    }
    ASSERT_EQ(chmod((folder_ + "folder").c_str(), 0700), 0);
    EXPECT_EQ(std::filesystem::directory_iterator(folder_ + "folder/"), std::filesystem::directory_iterator())
        << "the probe file is removed";
}

TEST_F(FileOperations, RegularFileReaderTakesAtMostTheLimitAndRefusesAllButFiles)
{
    WriteFile(folder_ + "plain.txt", "12345");
    ASSERT_TRUE(plat::CreateFolders(folder_ + "folder/"));
    ASSERT_EQ(symlink((folder_ + "plain.txt").c_str(), (folder_ + "link").c_str()), 0);
    struct Case {
        const char* name;
        size_t limit;
        bool read;
        std::string contents;
    };
    const Case cases[] = {
        {"plain.txt", 100, true, "12345"}, {"plain.txt", 2, true, "12"}, {"plain.txt", 0, true, ""},
        {"link", 100, true, "12345"},      {"folder", 100, false, ""},   {"missing", 100, false, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::string(row.name) + " limit " + std::to_string(row.limit));
        std::string contents = "unchanged";
        EXPECT_EQ(plat::ReadRegularFile(folder_ + row.name, contents, row.limit), row.read);
        EXPECT_EQ(contents, row.read ? row.contents : "unchanged");
    }
    std::string contents;
    EXPECT_TRUE(testing_support::ReturnsBesideAPipe(
        folder_ + "pipe", [&] { EXPECT_FALSE(plat::ReadRegularFile(folder_ + "pipe", contents, 100)); }));
}

TEST_F(FileOperations, AppendCreatesPrivatelyAndAddsAtTheEnd)
{
    const std::string path = folder_ + "log.txt";
    ASSERT_TRUE(plat::AppendToFile(path, "one\r\n"));
    ASSERT_TRUE(plat::AppendToFile(path, "two\r\n"));
    EXPECT_EQ(ReadFile(path), "one\r\ntwo\r\n");
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(plat::AppendToFile(folder_ + "missing/log.txt", "x"));
}

// A file-size limit makes the kernel take only part of a piece, as a disk
// that fills up mid-write does.
TEST_F(FileOperations, AppendingFileCutsBackAPieceTheDiskTookOnlyInPart)
{
    const std::string path = folder_ + "log.txt";
    plat::AppendingFile file;
    ASSERT_TRUE(file.Append(path, "one\r\n"));

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*savedHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = saved;
    tight.rlim_cur = 8;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool appended = file.Append(path, "a longer second line\r\n");
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, savedHandler);

    EXPECT_FALSE(appended);
    EXPECT_EQ(ReadFile(path), "one\r\n");
    ASSERT_TRUE(file.Append(path, "three\r\n"));
    EXPECT_EQ(ReadFile(path), "one\r\nthree\r\n");
}

TEST_F(FileOperations, ExclusiveCreateNeverSharesAFile)
{
    const std::string path = folder_ + "name.tmp";
    EXPECT_EQ(plat::CreateFileExclusively(path), plat::CreateResult::Created);
    EXPECT_EQ(plat::CreateFileExclusively(path), plat::CreateResult::AlreadyExists);
    ASSERT_EQ(symlink((folder_ + "target").c_str(), (folder_ + "dangling").c_str()), 0);
    EXPECT_EQ(plat::CreateFileExclusively(folder_ + "dangling"), plat::CreateResult::AlreadyExists);
    EXPECT_FALSE(plat::FileExists(folder_ + "target")) << "a link is never followed";
    EXPECT_EQ(plat::CreateFileExclusively(folder_ + "missing/name.tmp"), plat::CreateResult::Failed);
}

TEST_F(FileOperations, CopyReplacesTheTargetOrLeavesNoPartialCopy)
{
    const std::string source = folder_ + "source.dat";
    const std::string large(200 * 1024, 'x');
    WriteFile(source, large);
    WriteFile(folder_ + "target.dat", "an older and longer target text");
    ASSERT_TRUE(plat::CopyFile(source, folder_ + "target.dat"));
    EXPECT_EQ(ReadFile(folder_ + "target.dat"), large);

    plat::FailNthWrite(2); // the first chunk goes out, the second fails
    EXPECT_FALSE(plat::CopyFile(source, folder_ + "partial.dat"));
    EXPECT_FALSE(plat::FileExists(folder_ + "partial.dat"));
    EXPECT_FALSE(plat::CopyFile(folder_ + "missing.dat", folder_ + "other.dat"));
    EXPECT_FALSE(plat::FileExists(folder_ + "other.dat"));
}

TEST_F(FileOperations, RemovingContentsKeepsTheFolderUnmatchedFilesAndWhatLinksLeadTo)
{
    const std::string top = folder_ + "update/";
    WriteFile(top + "a.tmp", "1");
    WriteFile(top + "keep.exe", "2");
    WriteFile(top + "sub/b.tmp", "3");
    WriteFile(top + "sub/deeper/c.tmp", "4");
    WriteFile(folder_ + "outside/d.tmp", "5");
    ASSERT_EQ(symlink((folder_ + "outside").c_str(), (top + "link").c_str()), 0);

    EXPECT_TRUE(plat::RemoveFolderContents(top, "*.tmp"));
    std::vector<std::string> left = scratch_.Entries("update");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"keep.exe", "link"}));
    EXPECT_EQ(ReadFile(folder_ + "outside/d.tmp"), "5");

    EXPECT_FALSE(plat::RemoveFolderContents(top + "link", "*")) << "the folder itself must not be a link";
    EXPECT_TRUE(plat::RemoveFolderContents(top, "*"));
    EXPECT_TRUE(scratch_.Entries("update").empty());
    EXPECT_TRUE(plat::IsRealFolder(top));
    EXPECT_FALSE(plat::IsRealFolder(folder_ + "outside/d.tmp"));
}

TEST_F(FileOperations, CanonicalFolderResolvesLinksAndDots)
{
    ASSERT_TRUE(plat::CreateFolders(folder_ + "real/inner/"));
    ASSERT_EQ(symlink((folder_ + "real").c_str(), (folder_ + "alias").c_str()), 0);
    const std::string real = plat::CanonicalFolder(folder_ + "real");
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), '/');
    EXPECT_EQ(plat::CanonicalFolder(folder_ + "alias/inner/../"), real);
    EXPECT_TRUE(plat::IsRealFolder(folder_ + "real/"));
    EXPECT_FALSE(plat::IsRealFolder(folder_ + "alias/"));
    EXPECT_EQ(plat::CanonicalFolder(folder_ + "missing"), "");
}

TEST(ByteReader, RefusesReadsPastTheEndWithoutMoving)
{
    std::string data("\x01\x02\x03", 3);
    plat::ByteReader reader(data);
    uint32_t value = 0;
    ASSERT_TRUE(reader.ReadUnsigned(2, value));
    EXPECT_EQ(value, 0x0201u);
    EXPECT_FALSE(reader.ReadUnsigned(2, value));
    EXPECT_EQ(reader.Position(), 2u);
    EXPECT_FALSE(reader.Ok());
}

TEST(ByteReader, SignedWidths)
{
    struct Case {
        std::string bytes;
        int width;
        int32_t expected;
    } cases[] = {
        {"\xFF", 1, -1},
        {std::string("\xFF\x7F", 2), 2, 32767},
        {std::string("\x00\x80", 2), 2, -32768},
        {std::string("\xFF\xFF\xFF", 3), 3, 0xFFFFFF},
        {"\xFF\xFF\xFF\xFF", 4, -1},
    };
    for (const Case& c : cases) {
        plat::ByteReader reader(c.bytes);
        int32_t value = 0;
        ASSERT_TRUE(reader.ReadSigned(c.width, value));
        EXPECT_EQ(value, c.expected) << c.width;
    }
}

TEST(ByteReader, HugeLengthIsRefusedBeforeAllocation)
{
    std::string data(16, '\0');
    plat::ByteReader reader(data);
    EXPECT_FALSE(reader.Has(0xFFFFFFF0u));
}

TEST(ByteWriter, WritesLittleEndianOfGivenWidth)
{
    std::string out;
    plat::ByteWriter writer(out);
    writer.WriteUnsigned(0x12345678, 3);
    writer.WriteUnsigned(7, 0);
    EXPECT_EQ(out, std::string("\x78\x56\x34", 3));
}

} // namespace
