#include "platform/core/runtime_folder.h"

#include "platform/core/paths.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

// A folder that is missing is created 0700; an existing one must pass the
// private-folder check.
std::string PrivateSubfolder(const std::string& parent, const std::string& name)
{
    std::string path = parent + name;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    if (!IsPrivateFolder(path))
        return {};
    return path + "/";
}

} // namespace

bool IsPrivateFolder(const std::string& path)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

std::string UserRuntimeFolder()
{
    std::string runtime = RuntimeFolder();
    if (!runtime.empty()) {
        struct stat info {};
        if (stat(runtime.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid() ||
            (info.st_mode & 022) != 0)
            return {};
        return runtime;
    }
    std::string temp = TempFolder();
    struct stat info {};
    if (stat(temp.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return PrivateSubfolder(temp, "dalmora1-" + std::to_string(geteuid()));
}

std::string BusFolder(bool create)
{
    std::string base = UserRuntimeFolder();
    if (base.empty())
        return {};
    std::string path = base + "dalmora1";
    if (!create)
        return IsPrivateFolder(path) ? path + "/" : std::string();
    return PrivateSubfolder(base, "dalmora1");
}

} // namespace plat
