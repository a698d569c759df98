#include "foundation/dirs.h"

#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/core/bytes.h"
#include "platform/core/disk.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

thread_local std::string enteredFolder;

constexpr int kMaxTreeDepth = 64;

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string ToStd(const TNString& text)
{
    return std::string(text.View());
}

// The canonical form of an existing folder, with a trailing '/'; empty when
// it does not resolve.
std::string Canonical(const std::string& path)
{
    if (path.empty())
        return {};
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr)
        return {};
    return WithSlash(resolved);
}

bool DeleteInFolder(int folderFd, const char* pattern, int depth)
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
            ok &= DeleteInFolder(childFd, pattern, depth + 1);
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

std::string EnteredFolderOfThread()
{
    return enteredFolder;
}

void EnterFolderForThread(const std::string& folder)
{
    enteredFolder = WithSlash(folder);
}

std::string PathInEnteredFolder(const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    std::string folder = enteredFolder;
    if (folder.empty()) {
        char current[PATH_MAX];
        if (getcwd(current, sizeof(current)) != nullptr)
            folder = WithSlash(current);
    }
    return folder + name;
}

TNDirs::TNDirs()
{
    ProducerDirName.Set(App.DirProducer);
    ProductDirName.Set(App.DirName);
}

TNDirs::~TNDirs()
{
    LogText("[TNDirs::Destroy][BEGIN]");
    LogText("[TNDirs::Destroy][END]");
}

bool TNDirs::IsSafeFolderName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool TNDirs::Enter(const std::string& folder, TNString* store)
{
    std::string path = WithSlash(folder);
    if (!plat::CreateFolders(path))
        return false;
    if (store != nullptr) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (store->View() != path && !store->Set(path))
            return false;
    }
    EnterFolderForThread(path);
    return true;
}

std::string TNDirs::ProgramFolder()
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (AppDir.IsEmpty()) {
        AppDir.Set(plat::ProgramFolder());
        char exe[PATH_MAX];
        ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
        AppFile.Set(std::string_view(exe, length > 0 ? static_cast<size_t>(length) : 0));
        struct stat info {};
        if (length > 0 && stat(AppFile.Text, &info) == 0)
            AppFileTime.SetTimestamp(static_cast<int64_t>(info.st_mtim.tv_sec));
    }
    std::string folder = ToStd(AppDir);
    return !folder.empty() && folder[0] == '/' ? WithSlash(folder) : std::string();
}

bool TNDirs::GoToAppDir()
{
    return Guarded("[TNDirs::GoToAppDir]", false, [&] {
        std::string folder = ProgramFolder();
        if (folder.empty())
            return false;
        EnterFolderForThread(folder);
        return true;
    });
}

bool TNDirs::GoToRootDir()
{
    return Guarded("[TNDirs::GoToRootDir]", false, [&] {
        std::string folder = ProgramFolder();
        if (folder.empty())
            return false;
        EnterFolderForThread(plat::MountPointOf(folder));
        return true;
    });
}

std::string TNDirs::UsersFolder(bool portable) const
{
    if (portable) {
        std::string program = ToStd(AppDir);
        return program.empty() ? std::string() : program + "Users/";
    }
    std::string producer = ToStd(ProducerDirName);
    if (!IsSafeFolderName(producer))
        return {};
    return plat::AppDataFolder() + producer + "/";
}

bool TNDirs::GoToUsersDir(bool portable, bool withUser, bool withProduct)
{
    return Guarded("[TNDirs::GoToUsersDir]", false, [&] {
        if (portable && ProgramFolder().empty())
            return false;
        std::string folder;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            AppData.Set(plat::AppDataFolder());
            folder = UsersFolder(portable);
            if (withUser) {
                std::string user = ToStd(UserDirName);
                if (!IsSafeFolderName(user))
                    return false;
                folder += user + "/";
            }
            if (withProduct) {
                std::string product = ToStd(ProductDirName);
                if (!IsSafeFolderName(product))
                    return false;
                folder += product + "/";
            }
        }
        return !folder.empty() && Enter(folder, nullptr);
    });
}

bool TNDirs::GoToUserDir(bool portable)
{
    return Guarded("[TNDirs::GoToUserDir]", false, [&] {
        if (portable && ProgramFolder().empty())
            return false;
        std::string folder;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            std::string user = ToStd(UserDirName);
            if (!IsSafeFolderName(user))
                return false;
            folder = UsersFolder(portable);
            if (folder.empty())
                return false;
            folder += user + "/";
        }
        return Enter(folder, &UserDir);
    });
}

bool TNDirs::GoToUpdateDir(bool portable)
{
    return Guarded("[TNDirs::GoToUpdateDir]", false, [&] {
        if (portable && ProgramFolder().empty())
            return false;
        std::string folder;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            std::string product = ToStd(ProductDirName);
            if (!IsSafeFolderName(product))
                return false;
            if (portable) {
                folder = ToStd(AppDir) + "Users/All Users/" + product + "/Update/";
            } else {
                std::string producer = ToStd(ProducerDirName);
                if (!IsSafeFolderName(producer))
                    return false;
                folder = plat::AppDataFolder() + producer + "/" + product + "/Update/";
            }
        }
        return Enter(folder, &UpdateDir);
    });
}

bool TNDirs::GoToTempDir()
{
    return Guarded("[TNDirs::GoToTempDir]", false, [&] {
        std::string folder;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            folder = ToStd(UserTempDir);
        }
        if (folder.size() < 6 || folder[0] != '/' || !plat::CreateFolders(folder))
            return false;
        std::lock_guard<std::mutex> guard(mutex_);
        return TempDir.View() == folder || TempDir.Set(folder);
    });
}

bool TNDirs::CreatePath(const char* path)
{
    return Guarded("[TNDirs::CreatePath]", false, [&] {
        if (path == nullptr || path[0] == '\0')
            return false;
        return plat::CreateFolders(PathInEnteredFolder(path));
    });
}

bool TNDirs::GetCurrentDir(TNString& out)
{
    return Guarded("[TNDirs::GetCurrentDir]", false, [&] {
        std::string folder = PathInEnteredFolder("");
        return !folder.empty() && out.Set(folder);
    });
}

bool TNDirs::GetFileTime(const char* path, TNTime& out)
{
    return Guarded("[TNDirs::GetFileTime]", false, [&] {
        struct stat info {};
        if (path == nullptr || path[0] == '\0' || stat(PathInEnteredFolder(path).c_str(), &info) != 0)
            return false;
        out.SetTimestamp(static_cast<int64_t>(info.st_mtim.tv_sec));
        return true;
    });
}

bool TNDirs::DeleteDirTree(const char* folder, const char* pattern)
{
    return Guarded("[TNDirs::DeleteDirTree]", false, [&] {
        if (folder == nullptr || folder[0] != '/' || pattern == nullptr || pattern[0] == '\0') {
            LogWrite("[TNDirs::DeleteDirTree][ERROR] Refused folder: ", folder, false);
            return false;
        }
        // The top folder itself must be a real folder, not a link to one.
        std::string top = folder;
        while (top.size() > 1 && top.back() == '/')
            top.pop_back();
        struct stat info {};
        if (lstat(top.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
        std::string canonical = Canonical(top);
        std::vector<std::string> refused = {"/", Canonical(plat::HomeFolder()), Canonical(plat::DataHomeFolder()),
                                            Canonical(plat::AppDataFolder())};
        {
            std::lock_guard<std::mutex> guard(mutex_);
            refused.push_back(Canonical(ToStd(DataRootFolder)));
            refused.push_back(Canonical(UsersFolder(false)));
            refused.push_back(Canonical(UsersFolder(true)));
            refused.push_back(Canonical(ToStd(AppDir)));
        }
        for (const std::string& root : refused) {
            if (canonical.empty() || canonical == root) {
                LogWrite("[TNDirs::DeleteDirTree][ERROR] Refused folder: ", folder, false);
                return false;
            }
        }
        int fd = open(canonical.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        std::string match = std::string(pattern) == "*.*" ? std::string("*") : std::string(pattern);
        bool ok = DeleteInFolder(fd, match.c_str(), 0);
        close(fd);
        return ok;
    });
}

std::string TNDirs::InstIdPath()
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::string common = plat::CommonAppDataFolder();
    CommonAppData.Set(common);
    std::string producer = ToStd(ProducerDirName);
    std::string product = ToStd(ProductDirName);
    // A root-like common folder is no place for the id.
    if (common.size() <= 3 || !IsSafeFolderName(producer) || !IsSafeFolderName(product))
        return {};
    return common + producer + "/" + product + "/instid.dat";
}

uint32_t TNDirs::LoadInstID()
{
    return Guarded("[TNDirs::LoadInstID]", 0u, [&] {
        std::string path = InstIdPath();
        std::string contents;
        if (path.empty() || !plat::ReadWholeFile(path, contents, 1024))
            return 0u;
        plat::ByteReader reader(contents);
        uint32_t id = 0;
        return reader.ReadUnsigned(4, id) ? id : 0u;
    });
}

bool TNDirs::SaveInstID(uint32_t id)
{
    return Guarded("[TNDirs::SaveInstID]", false, [&] {
        std::string path = InstIdPath();
        if (path.empty() || !plat::CreateFolders(path.substr(0, path.rfind('/') + 1)))
            return false;
        std::string bytes;
        plat::ByteWriter writer(bytes);
        writer.WriteUnsigned(id, 4);
        return plat::WriteFileAtomically(path, bytes, 0600);
    });
}
