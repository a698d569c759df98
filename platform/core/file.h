#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// A file opened by descriptor, close-on-exec, closed by the destructor.
// Every operation reports failure; nothing is ignored silently.
class File {
public:
    enum class Mode { Read, ReadWrite, ReadWriteCreate };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // New files get mode 0600.
    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Positioned I/O (pread/pwrite, no seek): the whole range or failure.
    bool ReadAt(uint64_t offset, void* data, size_t size) const;
    bool WriteAt(uint64_t offset, const void* data, size_t size);

    bool Size(uint64_t& size) const;
    bool Truncate(uint64_t size);
    // fdatasync: the data and the size reach the disk.
    bool Sync();

    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// A read-only view of a whole file through the page cache, without copying
// it. Valid while the mapping lives and the file is not cut shorter.
class FileMapping {
public:
    FileMapping() = default;
    ~FileMapping();
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;

    // Maps the first `size` bytes of the open file; false when it cannot.
    bool Map(const File& file, uint64_t size);
    void Unmap();
    std::string_view View() const { return std::string_view(static_cast<const char*>(data_), size_); }

private:
    void* data_ = nullptr;
    size_t size_ = 0;
};

// Test seam: sees every positioned write, truncation and sync of a File, in
// the order they happen, so a test can rebuild what a disk held at any moment.
class WriteRecorder {
public:
    virtual ~WriteRecorder() = default;
    virtual void OnWrite(const std::string& path, uint64_t offset, std::string_view bytes) = 0;
    virtual void OnTruncate(const std::string& path, uint64_t size) = 0;
    virtual void OnSync(const std::string& path) = 0;
};

// nullptr stops recording. Install it while no other thread writes.
void SetWriteRecorder(WriteRecorder* recorder);

// Writes the whole buffer to a descriptor, retrying short writes.
// Every call counts for the write fault seam.
bool WriteFully(int fd, const void* data, size_t size);

// Test seam: the n-th following call of WriteFully (1 = the next one) fails
// with ENOSPC, as a full disk would. 0 disarms it.
void FailNthWrite(int n);
// Test seam: while on, every call of WriteFully fails with ENOSPC, as a disk
// that stays full would.
void FailAllWrites(bool on);

// Reads a whole file. False when it does not open, cannot be read, or is
// larger than maxSize.
bool ReadWholeFile(const std::string& path, std::string& contents, uint64_t maxSize = UINT64_C(1) << 30);

// Reads at most maxSize bytes from the start of a regular file, and never
// waits: the file is opened without blocking, and a named pipe, a device or a
// folder of that name is refused. False when the path does not open or is
// refused.
bool ReadRegularFile(const std::string& path, std::string& contents, size_t maxSize);

// Appends the bytes at the end of a file, creating it with mode 0600. A
// symbolic link of that name fails it.
bool AppendToFile(const std::string& path, std::string_view bytes);

// A file kept open for appending whole pieces, as a log needs: no open and
// close per line. It is opened again when the path names another file than
// the open one (a new name, or the file moved or removed meanwhile), so
// nothing is written into a file that was moved away.
class AppendingFile {
public:
    AppendingFile() = default;
    ~AppendingFile();
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    // Appends the bytes at the end of the file at `path` (created with mode
    // 0600). A write that fails halfway is cut back, so a full disk never
    // leaves a torn piece: the file holds every piece whole or not at all.
    bool Append(const std::string& path, std::string_view bytes);
    void Close();

private:
    bool OpenAt(const std::string& path);
    bool StillAt(const std::string& path) const;

    int fd_ = -1;
    std::string path_;
    uint64_t device_ = 0;
    uint64_t inode_ = 0;
    uint64_t size_ = 0;
};

enum class CreateResult { Created, AlreadyExists, Failed };
// Creates a new, empty file with mode 0600 only when nothing of that name
// exists, so two creators never share the file.
CreateResult CreateFileExclusively(const std::string& path);

// Copies a file's bytes over the target (created with mode 0600 or
// truncated). A copy that fails after the target was opened removes the
// target, so no partial copy stays.
bool CopyFile(const std::string& source, const std::string& target);

// Replaces a file so that a crash or a failed write leaves either the old or
// the new contents, never a mix: temporary file in the same folder, write,
// fsync, rename, fsync of the folder. The file gets `mode`; a failure removes
// the temporary file.
bool WriteFileAtomically(const std::string& path, std::string_view contents, unsigned mode = 0600);

// Writes `relativePath` below `folder` as WriteFileAtomically does, making
// the folders on the way, and never through a symbolic link: `folder` itself,
// a folder on the way or the target being a link (or the target anything but
// a regular file) fails the write, and nothing is written. A replaced file
// keeps its mode; a new one gets `newFileMode`. A ".." part fails too.
bool ReplaceFileBelowFolder(const std::string& folder, const std::string& relativePath, std::string_view contents,
                            unsigned newFileMode);

bool FileExists(const std::string& path);
// The size of a regular file; -1 when there is none or it cannot be asked.
int64_t RegularFileSize(const std::string& path);
// The permission bits of a regular file; `missing` when there is none.
unsigned FilePermissions(const std::string& path, unsigned missing);
// The process may read the file.
bool FileReadable(const std::string& path);
// A new file can be made in the folder (it is made and removed again).
bool FolderTakesNewFiles(const std::string& folder);
// Last modification of a file or folder, in Unix seconds.
bool ModificationTime(const std::string& path, int64_t& unixSeconds);

// Removes the temporary files WriteFileAtomically left beside `path` when it
// was killed halfway ("<path>.XXXXXX", six letters or digits). Returns how
// many it removed.
int RemoveStaleTemporaries(const std::string& path);
bool RemoveFile(const std::string& path);

} // namespace plat
