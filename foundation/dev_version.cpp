#include "foundation/dev_version.h"

#include "platform/core/file.h"

namespace {

constexpr int kEndOfFile = -1;

} // namespace

TNDevelopmentFile ReadDevelopmentFile(const std::string& folder)
{
    TNDevelopmentFile file;
    if (folder.empty())
        return file;
    // A named pipe of that name must not hold the start.
    std::string bytes;
    if (!plat::ReadRegularFile(folder + "development-version.txt", bytes, 2))
        return file;
    const size_t got = bytes.size();

    int first = got >= 1 ? static_cast<int>(static_cast<signed char>(bytes[0])) : kEndOfFile;
    int second = got >= 2 ? static_cast<int>(static_cast<signed char>(bytes[1])) : kEndOfFile;
    file.Found = true;
    file.Value = first - '0';
    file.Logging = second != '0' ? 1 : 0;
    return file;
}
