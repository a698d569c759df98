#include "platform/core/instance_lock.h"

#include "platform/core/runtime_folder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

bool IsPlainName(const std::string& name)
{
    if (name.empty() || name.size() > 200 || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (c == '/' || c == '\0')
            return false;
    }
    return true;
}

} // namespace

InstanceLock::~InstanceLock()
{
    Release();
}

std::string InstanceLock::PathFor(const std::string& name)
{
    if (!IsPlainName(name))
        return {};
    std::string folder = UserRuntimeFolder();
    return folder.empty() ? std::string() : folder + name + ".lock";
}

InstanceLock::Result InstanceLock::Acquire(const std::string& name)
{
    Release();
    std::string path = PathFor(name);
    if (path.empty())
        return Result::Failed;
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return Result::Failed;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return Result::Failed;
    }
    int rc;
    do {
        rc = flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? Result::AlreadyHeld : Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void InstanceLock::Release()
{
    if (fd_ < 0)
        return;
    flock(fd_, LOCK_UN);
    close(fd_);
    fd_ = -1;
}

} // namespace plat
