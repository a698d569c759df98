#include "platform/core/bus_wire.h"

#include "platform/core/bytes.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat::bus {
namespace {

bool ParseDecimal(std::string_view text, uint64_t max, uint64_t& value)
{
    if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0'))
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    return true;
}

bool IsValidKey(std::string_view key, int& pid)
{
    size_t dash = key.find('-');
    if (dash == std::string_view::npos || key.size() - dash - 1 != 16)
        return false;
    uint64_t value = 0;
    if (!ParseDecimal(key.substr(0, dash), 0x7fffffff, value) || value == 0)
        return false;
    for (char c : key.substr(dash + 1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    pid = static_cast<int>(value);
    return true;
}

// Splits "text\n" lines; false when a line is missing its end.
bool NextLine(std::string_view& rest, std::string_view& line)
{
    size_t end = rest.find('\n');
    if (end == std::string_view::npos)
        return false;
    line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return true;
}

} // namespace

std::string EncodeRequest(const Request& request)
{
    std::string out;
    ByteWriter writer(out);
    writer.WriteUnsigned(kRequestMagic, 4);
    writer.WriteUnsigned(request.window, 4);
    writer.WriteUnsigned(request.msg, 4);
    writer.WriteUnsigned(0, 4);
    writer.WriteU64(request.wParam);
    writer.WriteU64(static_cast<uint64_t>(request.lParam));
    return out;
}

bool DecodeRequest(std::string_view bytes, Request& request)
{
    if (bytes.size() != kRequestSize)
        return false;
    ByteReader reader(bytes);
    uint32_t magic = 0, reserved = 0;
    reader.ReadUnsigned(4, magic);
    reader.ReadUnsigned(4, request.window);
    reader.ReadUnsigned(4, request.msg);
    reader.ReadUnsigned(4, reserved);
    reader.ReadU64(request.wParam);
    reader.ReadI64(request.lParam);
    return reader.Ok() && magic == kRequestMagic && reserved == 0;
}

std::string EncodeReply(const Reply& reply)
{
    std::string out;
    ByteWriter writer(out);
    writer.WriteUnsigned(kReplyMagic, 4);
    writer.WriteUnsigned(static_cast<uint32_t>(reply.status), 4);
    writer.WriteU64(static_cast<uint64_t>(reply.result));
    return out;
}

bool DecodeReply(std::string_view bytes, Reply& reply)
{
    if (bytes.size() != kReplySize)
        return false;
    ByteReader reader(bytes);
    uint32_t magic = 0, status = 0;
    reader.ReadUnsigned(4, magic);
    reader.ReadUnsigned(4, status);
    reader.ReadI64(reply.result);
    if (!reader.Ok() || magic != kReplyMagic || status > 1)
        return false;
    reply.status = static_cast<ReplyStatus>(status);
    return true;
}

std::string EncodeRegistration(const Registration& registration)
{
    return "DLW1\n" + registration.className + "\n" + std::to_string(registration.pid) + "\n" +
           std::to_string(registration.stamp) + "\n";
}

bool DecodeRegistration(std::string_view bytes, Registration& registration)
{
    if (bytes.size() > kMaxRegistrationSize)
        return false;
    std::string_view magic, className, pid, stamp;
    if (!NextLine(bytes, magic) || !NextLine(bytes, className) || !NextLine(bytes, pid) || !NextLine(bytes, stamp) ||
        !bytes.empty())
        return false;
    uint64_t pidValue = 0, stampValue = 0;
    if (magic != "DLW1" || !IsValidClassName(className) || !ParseDecimal(pid, 0x7fffffff, pidValue) || pidValue == 0 ||
        !ParseDecimal(stamp, UINT64_MAX, stampValue))
        return false;
    registration.className = std::string(className);
    registration.pid = static_cast<int>(pidValue);
    registration.stamp = stampValue;
    return true;
}

bool IsValidClassName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxClassNameSize)
        return false;
    for (char c : name) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok)
            return false;
    }
    return true;
}

bool ParseEntryName(std::string_view name, EntryName& entry)
{
    if (name.size() < 3 || name[1] != '.')
        return false;
    char kind = name[0];
    std::string_view rest = name.substr(2);
    std::string_view key;
    uint64_t window = 0;
    if (kind == 'p' || kind == 'b') {
        constexpr std::string_view suffix = ".sock";
        if (rest.size() <= suffix.size() || rest.substr(rest.size() - suffix.size()) != suffix)
            return false;
        key = rest.substr(0, rest.size() - suffix.size());
    } else if (kind == 'w' || kind == 't') {
        size_t dot = rest.rfind('.');
        if (dot == std::string_view::npos || !ParseDecimal(rest.substr(dot + 1), UINT32_MAX, window) || window == 0)
            return false;
        key = rest.substr(0, dot);
    } else {
        return false;
    }
    int pid = 0;
    if (!IsValidKey(key, pid))
        return false;
    entry.kind = kind;
    entry.key = std::string(key);
    entry.pid = pid;
    entry.window = static_cast<uint32_t>(window);
    return true;
}

std::string SocketName(const std::string& key)
{
    return "p." + key + ".sock";
}

std::string StartingSocketName(const std::string& key)
{
    return "b." + key + ".sock";
}

std::string RegistrationName(const std::string& key, uint32_t window)
{
    return "w." + key + "." + std::to_string(window);
}

std::string TemporaryName(const std::string& key, uint32_t window)
{
    return "t." + key + "." + std::to_string(window);
}

std::string NewProcessKey()
{
    uint64_t random = 0;
    size_t got = 0;
    while (got < sizeof(random)) {
        ssize_t n = getrandom(reinterpret_cast<char*>(&random) + got, sizeof(random) - got, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got < sizeof(random)) {
        // No random source: time and address still differ between runs.
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        random ^= static_cast<uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15ULL ^ static_cast<uint64_t>(now.tv_sec) ^
                  reinterpret_cast<uintptr_t>(&random);
    }
    static const char digits[] = "0123456789abcdef";
    std::string key = std::to_string(getpid()) + "-";
    for (int shift = 60; shift >= 0; shift -= 4)
        key += digits[(random >> shift) & 0xF];
    return key;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (dirent* entry = readdir(dir)) {
        if (names.size() >= kMaxFolderEntries)
            break;
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    return names;
}

bool ReadRegistration(const std::string& path, Registration& registration)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    char buffer[kMaxRegistrationSize + 1];
    ssize_t got = -1;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        info.st_size <= static_cast<off_t>(kMaxRegistrationSize)) {
        do {
            got = read(fd, buffer, sizeof(buffer));
        } while (got < 0 && errno == EINTR);
    }
    close(fd);
    return got > 0 && DecodeRegistration(std::string_view(buffer, static_cast<size_t>(got)), registration);
}

void RemoveProcessFiles(const std::string& folder, const std::string& key)
{
    // Registrations first, the socket last: the owner's own order when it ends.
    for (const std::string& name : FolderEntries(folder)) {
        EntryName entry;
        if (ParseEntryName(name, entry) && entry.key == key && (entry.kind == 'w' || entry.kind == 't'))
            unlink((folder + name).c_str());
    }
    unlink((folder + SocketName(key)).c_str());
}

bool MakeAddress(const std::string& folder, const std::string& name, sockaddr_un& address, socklen_t& length,
                 int& openedFd)
{
    openedFd = -1;
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    std::string path = folder + name;
    if (path.size() >= sizeof(address.sun_path)) {
        openedFd = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (openedFd < 0)
            return false;
        path = "/proc/self/fd/" + std::to_string(openedFd) + "/" + name;
        if (path.size() >= sizeof(address.sun_path)) {
            close(openedFd);
            openedFd = -1;
            return false;
        }
    }
    std::memcpy(address.sun_path, path.data(), path.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

bool PeerUid(int fd, uid_t& uid)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 || size != sizeof(credentials))
        return false;
    uid = credentials.uid;
    return true;
}

} // namespace plat::bus
