#include "foundation/dirs.h"

#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "platform/core/bytes.h"
#include "platform/core/disk.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <vector>

namespace {

thread_local std::string enteredFolder;

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
    if (folder.empty())
        folder = plat::WorkingFolder();
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
        std::string file = plat::ProgramFile();
        AppFile.Set(file);
        int64_t modified = 0;
        if (!file.empty() && plat::ModificationTime(file, modified))
            AppFileTime.SetTimestamp(modified);
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

bool TNDirs::UsersDirIsWritable(bool portable, std::string& folder)
{
    return Guarded("[TNDirs::UsersDirIsWritable]", false, [&] {
        if (portable && ProgramFolder().empty())
            return false;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            folder = UsersFolder(portable);
        }
        return !folder.empty() && plat::CreateFolders(folder) && plat::IsWritableFolder(folder);
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
        int64_t modified = 0;
        if (path == nullptr || path[0] == '\0' || !plat::ModificationTime(PathInEnteredFolder(path), modified))
            return false;
        out.SetTimestamp(modified);
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
        if (!plat::IsRealFolder(folder))
            return false;
        std::string canonical = plat::CanonicalFolder(folder);
        std::vector<std::string> refused = {"/", plat::CanonicalFolder(plat::HomeFolder()),
                                            plat::CanonicalFolder(plat::DataHomeFolder()),
                                            plat::CanonicalFolder(plat::AppDataFolder())};
        {
            std::lock_guard<std::mutex> guard(mutex_);
            refused.push_back(plat::CanonicalFolder(ToStd(DataRootFolder)));
            refused.push_back(plat::CanonicalFolder(UsersFolder(false)));
            refused.push_back(plat::CanonicalFolder(UsersFolder(true)));
            refused.push_back(plat::CanonicalFolder(ToStd(AppDir)));
        }
        for (const std::string& root : refused) {
            if (canonical.empty() || canonical == root) {
                LogWrite("[TNDirs::DeleteDirTree][ERROR] Refused folder: ", folder, false);
                return false;
            }
        }
        std::string match = std::string(pattern) == "*.*" ? std::string("*") : std::string(pattern);
        return plat::RemoveFolderContents(canonical, match);
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
