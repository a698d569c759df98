#include "platform/core/disk.h"

#include <atomic>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace plat {
namespace {

std::atomic<FreeSpaceProvider> provider{nullptr};

} // namespace

bool FreeSpaceOfPath(const std::string& path, uint64_t& bytes)
{
    if (FreeSpaceProvider fake = provider.load())
        return fake(path, bytes);
    struct statvfs info {};
    if (path.empty() || statvfs(path.c_str(), &info) != 0)
        return false;
    bytes = static_cast<uint64_t>(info.f_bavail) * static_cast<uint64_t>(info.f_frsize);
    return true;
}

void SetFreeSpaceProvider(FreeSpaceProvider fake)
{
    provider.store(fake);
}

std::string MountPointOf(const std::string& path)
{
    struct stat info {};
    if (path.empty() || path[0] != '/' || stat(path.c_str(), &info) != 0)
        return "/";
    // Walk up while the parent lies on the same device.
    std::string current = path;
    while (current.size() > 1 && current.back() == '/')
        current.pop_back();
    dev_t device = info.st_dev;
    while (current.size() > 1) {
        size_t slash = current.rfind('/');
        std::string parent = slash == 0 ? std::string("/") : current.substr(0, slash);
        struct stat parentInfo {};
        if (stat(parent.c_str(), &parentInfo) != 0 || parentInfo.st_dev != device)
            break;
        current = parent;
    }
    return current == "/" ? current : current + "/";
}

} // namespace plat
