#include "foundation/dev_version.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kEndOfFile = -1;

} // namespace

TNDevelopmentFile ReadDevelopmentFile(const std::string& folder)
{
    TNDevelopmentFile file;
    if (folder.empty())
        return file;
    std::string path = folder + "development-version.txt";
    // Not blocking: a named pipe of that name must not hold the start.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return file;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return file;
    }
    unsigned char bytes[2] = {};
    size_t got = 0;
    while (got < sizeof(bytes)) {
        ssize_t n = read(fd, bytes + got, sizeof(bytes) - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);

    int first = got >= 1 ? static_cast<int>(static_cast<signed char>(bytes[0])) : kEndOfFile;
    int second = got >= 2 ? static_cast<int>(static_cast<signed char>(bytes[1])) : kEndOfFile;
    file.Found = true;
    file.Value = first - '0';
    file.Logging = second != '0' ? 1 : 0;
    return file;
}
