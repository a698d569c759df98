#include "platform/core/file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

namespace plat {
namespace {

std::atomic<int> writesUntilFailure{0};
std::atomic<bool> allWritesFail{false};
std::atomic<WriteRecorder*> writeRecorder{nullptr};

// Writes go out in pieces of this size, so a fault can hit a file halfway.
constexpr size_t kWriteChunk = 64 * 1024;

bool TakeInjectedFailure()
{
    if (allWritesFail.load())
        return true;
    int remaining = writesUntilFailure.load();
    while (remaining > 0) {
        if (writesUntilFailure.compare_exchange_weak(remaining, remaining - 1))
            return remaining == 1;
    }
    return false;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool SyncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

// The folder of `descriptor`'s entry `name`, made when missing and opened
// without following a link; -1 when it cannot be.
int OpenFolderBelow(int descriptor, const std::string& name)
{
    if (name == "..")
        return -1;
    if (mkdirat(descriptor, name.c_str(), 0755) != 0 && errno != EEXIST)
        return -1;
    return openat(descriptor, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// A new temporary file beside `name` in the folder, never a link's target.
int CreateTemporaryBelow(int folder, const std::string& name, std::string& temporary)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::atomic<uint64_t> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        uint64_t seed = (static_cast<uint64_t>(getpid()) << 32) ^ counter.fetch_add(1) ^
                        static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&temporary)) ^
                        static_cast<uint64_t>(time(nullptr)) * 2654435761u;
        temporary = name + ".";
        for (int i = 0; i < 6; ++i, seed /= 62)
            temporary += kLetters[seed % 62];
        int fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes the file in the open folder as WriteFileAtomically does.
bool ReplaceFileIn(int folder, const std::string& name, std::string_view contents, unsigned newFileMode)
{
    struct stat old {};
    unsigned mode = newFileMode;
    if (fstatat(folder, name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode))
            return false;
        mode = old.st_mode & 07777;
    }
    std::string temporary;
    int fd = CreateTemporaryBelow(folder, name, temporary);
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteFully(fd, contents.data(), contents.size()) &&
              fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok)
        ok = renameat(folder, temporary.c_str(), folder, name.c_str()) == 0;
    if (!ok) {
        unlinkat(folder, temporary.c_str(), 0);
        return false;
    }
    fsync(folder);
    return true;
}

} // namespace

bool ReplaceFileBelowFolder(const std::string& folder, const std::string& relativePath, std::string_view contents,
                            unsigned newFileMode)
{
    // A trailing slash would make open() follow a link named by the folder.
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    int descriptor = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    size_t start = 0;
    for (size_t slash; descriptor >= 0 && (slash = relativePath.find('/', start)) != std::string::npos;
         start = slash + 1) {
        std::string part = relativePath.substr(start, slash - start);
        if (part.empty() || part == ".")
            continue;
        int next = OpenFolderBelow(descriptor, part);
        close(descriptor);
        descriptor = next;
    }
    if (descriptor < 0)
        return false;
    std::string name = relativePath.substr(start);
    bool ok = !name.empty() && name != "." && name != ".." && ReplaceFileIn(descriptor, name, contents, newFileMode);
    close(descriptor);
    return ok;
}

File::~File()
{
    Close();
}

File::File(File&& other) noexcept : fd_(other.fd_), path_(std::move(other.path_))
{
    other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

bool File::Open(const std::string& path, Mode mode)
{
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::Read:
        flags |= O_RDONLY;
        break;
    case Mode::ReadWrite:
        flags |= O_RDWR;
        break;
    case Mode::ReadWriteCreate:
        flags |= O_RDWR | O_CREAT;
        break;
    }
    fd_ = open(path.c_str(), flags, 0600);
    if (fd_ >= 0)
        path_ = path;
    return fd_ >= 0;
}

void File::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    path_.clear();
}

bool File::ReadAt(uint64_t offset, void* data, size_t size) const
{
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        ssize_t got = pread(fd_, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool File::WriteAt(uint64_t offset, const void* data, size_t size)
{
    if (fd_ < 0)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    WriteRecorder* recorder = writeRecorder.load();
    while (size > 0) {
        size_t piece = size < kWriteChunk ? size : kWriteChunk;
        if (TakeInjectedFailure()) {
            errno = ENOSPC;
            return false;
        }
        ssize_t written = pwrite(fd_, bytes, piece, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        if (recorder != nullptr)
            recorder->OnWrite(path_, offset, std::string_view(bytes, static_cast<size_t>(written)));
        bytes += written;
        offset += static_cast<uint64_t>(written);
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool File::Size(uint64_t& size) const
{
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0)
        return false;
    size = static_cast<uint64_t>(info.st_size);
    return true;
}

bool File::Truncate(uint64_t size)
{
    if (fd_ < 0 || ftruncate(fd_, static_cast<off_t>(size)) != 0)
        return false;
    if (WriteRecorder* recorder = writeRecorder.load())
        recorder->OnTruncate(path_, size);
    return true;
}

bool File::Sync()
{
    if (fd_ < 0 || fdatasync(fd_) != 0)
        return false;
    if (WriteRecorder* recorder = writeRecorder.load())
        recorder->OnSync(path_);
    return true;
}

FileMapping::~FileMapping()
{
    Unmap();
}

bool FileMapping::Map(const File& file, uint64_t size)
{
    Unmap();
    if (size == 0)
        return true;
    if (file.Descriptor() < 0 || size > SIZE_MAX)
        return false;
    void* data = mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED | MAP_POPULATE, file.Descriptor(), 0);
    if (data == MAP_FAILED)
        return false;
    data_ = data;
    size_ = static_cast<size_t>(size);
    return true;
}

void FileMapping::Unmap()
{
    if (data_ != nullptr)
        munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

void SetWriteRecorder(WriteRecorder* recorder)
{
    writeRecorder.store(recorder);
}

bool WriteFully(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        size_t piece = size < kWriteChunk ? size : kWriteChunk;
        if (TakeInjectedFailure()) {
            errno = ENOSPC;
            return false;
        }
        ssize_t written = write(fd, bytes, piece);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void FailNthWrite(int n)
{
    writesUntilFailure.store(n > 0 ? n : 0);
}

void FailAllWrites(bool on)
{
    allWritesFail.store(on);
}

bool ReadWholeFile(const std::string& path, std::string& contents, uint64_t maxSize)
{
    File file;
    uint64_t size = 0;
    if (!file.Open(path, File::Mode::Read) || !file.Size(size) || size > maxSize)
        return false;
    std::string buffer(static_cast<size_t>(size), '\0');
    if (size > 0 && !file.ReadAt(0, buffer.data(), buffer.size()))
        return false;
    contents = std::move(buffer);
    return true;
}

bool ReadRegularFile(const std::string& path, std::string& contents, size_t maxSize)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    std::string buffer;
    if (ok)
        buffer.resize(std::min<uint64_t>(static_cast<uint64_t>(info.st_size), maxSize));
    size_t got = 0;
    // The file may have shrunk since fstat: what is there counts.
    while (ok && got < buffer.size()) {
        ssize_t n = read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (!ok)
        return false;
    buffer.resize(got);
    contents = std::move(buffer);
    return true;
}

AppendingFile::~AppendingFile()
{
    Close();
}

void AppendingFile::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    path_.clear();
}

bool AppendingFile::OpenAt(const std::string& path)
{
    Close();
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    device_ = static_cast<uint64_t>(info.st_dev);
    inode_ = static_cast<uint64_t>(info.st_ino);
    size_ = static_cast<uint64_t>(info.st_size);
    return true;
}

bool AppendingFile::StillAt(const std::string& path) const
{
    if (fd_ < 0 || path != path_)
        return false;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && static_cast<uint64_t>(info.st_dev) == device_ &&
           static_cast<uint64_t>(info.st_ino) == inode_;
}

bool AppendingFile::Append(const std::string& path, std::string_view bytes)
{
    if (!StillAt(path) && !OpenAt(path))
        return false;
    if (WriteFully(fd_, bytes.data(), bytes.size())) {
        size_ += bytes.size();
        return true;
    }
    // Only this object appends to the file while it is open, so the size it
    // counted is where the failed piece began.
    if (ftruncate(fd_, static_cast<off_t>(size_)) != 0)
        Close();
    return false;
}

bool AppendToFile(const std::string& path, std::string_view bytes)
{
    // Never appends through a link planted where the file should be.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    bool ok = WriteFully(fd, bytes.data(), bytes.size());
    return close(fd) == 0 && ok;
}

CreateResult CreateFileExclusively(const std::string& path)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
    close(fd);
    return CreateResult::Created;
}

bool CopyFile(const std::string& source, const std::string& target)
{
    File in;
    if (!in.Open(source, File::Mode::Read))
        return false;
    int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0)
        return false;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(in.Descriptor(), buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        if (!WriteFully(out, buffer, static_cast<size_t>(got))) {
            ok = false;
            break;
        }
    }
    ok = close(out) == 0 && ok;
    if (!ok)
        unlink(target.c_str());
    return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view contents, unsigned mode)
{
    std::string temporary = path + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = fchmod(fd, static_cast<mode_t>(mode)) == 0 && WriteFully(fd, contents.data(), contents.size()) &&
              fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok)
        ok = rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int64_t RegularFileSize(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

unsigned FilePermissions(const std::string& path, unsigned missing)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return missing;
    return info.st_mode & 07777;
}

bool FileReadable(const std::string& path)
{
    return access(path.c_str(), R_OK) == 0;
}

bool FolderTakesNewFiles(const std::string& folder)
{
    // A folder that is a symbolic link takes nothing: the probe would go through it.
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    struct stat info {};
    if (lstat(base.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    std::string probe = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + ".probe-XXXXXX";
    int fd = mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

bool ModificationTime(const std::string& path, int64_t& unixSeconds)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return false;
    unixSeconds = static_cast<int64_t>(info.st_mtim.tv_sec);
    return true;
}

int RemoveStaleTemporaries(const std::string& path)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string prefix = path.substr(folder.size()) + ".";
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return 0;
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        bool temporary = true;
        for (size_t i = prefix.size(); i < name.size(); ++i) {
            char ch = name[i];
            temporary = temporary && ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'));
        }
        std::string full = folder + name;
        struct stat info {};
        // The writer creates its temporaries 0600 and regular; anything else
        // is not ours.
        if (temporary && lstat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 07777) == 0600 &&
            unlink(full.c_str()) == 0)
            ++removed;
    }
    closedir(dir);
    return removed;
}

bool RemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0;
}

} // namespace plat
