#include "platform/core/paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace plat {
namespace {

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return WithSlash(value);
}

constexpr int kMaxTreeDepth = 64;

bool RemoveMatchingIn(int folderFd, const char* pattern, int depth)
{
    if (depth > kMaxTreeDepth)
        return false;
    int listFd = dup(folderFd);
    if (listFd < 0)
        return false;
    DIR* listing = fdopendir(listFd);
    if (listing == nullptr) {
        close(listFd);
        return false;
    }
    struct Entry {
        std::string name;
        bool folder;
    };
    // Listed first, removed after: removing while reading may skip entries.
    std::vector<Entry> entries;
    while (dirent* entry = readdir(listing)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        if (fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        entries.push_back({name, S_ISDIR(info.st_mode)});
    }
    closedir(listing);

    bool ok = true;
    for (const Entry& entry : entries) {
        if (entry.folder) {
            int childFd = openat(folderFd, entry.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd < 0) {
                ok = false;
                continue;
            }
            ok &= RemoveMatchingIn(childFd, pattern, depth + 1);
            close(childFd);
            // A folder that still holds unmatched files stays.
            if (unlinkat(folderFd, entry.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOTEMPTY && errno != EEXIST)
                ok = false;
        } else if (fnmatch(pattern, entry.name.c_str(), 0) == 0) {
            if (unlinkat(folderFd, entry.name.c_str(), 0) != 0)
                ok = false;
        }
    }
    return ok;
}

} // namespace

std::string ProgramFile()
{
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string ProgramFolder()
{
    std::string path = ProgramFile();
    if (path.empty())
        return "./";
    return path.substr(0, path.rfind('/') + 1);
}

std::string HomeFolder()
{
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty())
        return home;
    const passwd* entry = getpwuid(getuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return WithSlash(entry->pw_dir);
    return "/";
}

std::string DataHomeFolder()
{
    std::string folder = AbsoluteEnv("XDG_DATA_HOME");
    return folder.empty() ? HomeFolder() + ".local/share/" : folder;
}

std::string AppDataFolder()
{
    return DataHomeFolder();
}

std::string CommonAppDataFolder()
{
    return DataHomeFolder();
}

std::string ConfigHomeFolder()
{
    std::string folder = AbsoluteEnv("XDG_CONFIG_HOME");
    return folder.empty() ? HomeFolder() + ".config/" : folder;
}

std::string RuntimeFolder()
{
    return AbsoluteEnv("XDG_RUNTIME_DIR");
}

std::string TempFolder()
{
    std::string folder = AbsoluteEnv("TMPDIR");
    return folder.empty() ? std::string("/tmp/") : folder;
}

bool CreateFolders(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return false;
    std::string partial;
    size_t position = 1;
    while (position <= path.size()) {
        size_t slash = path.find('/', position);
        if (slash == std::string::npos)
            slash = path.size();
        partial = path.substr(0, slash);
        if (!partial.empty() && mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        position = slash + 1;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return WithSlash(folder) + name;
}

std::string CanonicalFolder(const std::string& path)
{
    if (path.empty())
        return {};
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr)
        return {};
    return WithSlash(resolved);
}

bool IsRealFolder(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    struct stat info {};
    return !trimmed.empty() && lstat(trimmed.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsWritableFolder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           faccessat(AT_FDCWD, path.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string WorkingFolder()
{
    char current[PATH_MAX];
    if (getcwd(current, sizeof(current)) == nullptr)
        return {};
    return WithSlash(current);
}

bool RemoveFolderContents(const std::string& folder, const std::string& pattern)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = RemoveMatchingIn(fd, pattern.c_str(), 0);
    close(fd);
    return ok;
}

} // namespace plat
