#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <vector>

// The window bus: how windows of one user's processes find and message each
// other. Shared by the client (bus_client.h) and the server (bus_server.h).
//
// Folder: BusFolder() (runtime_folder.h), private to the user. In it:
//   "p.<key>.sock"       the listening socket of one process (SOCK_SEQPACKET)
//   "b.<key>.sock"       the same socket while it is not yet listening
//   "w.<key>.<window>"   the registration of one window of that process
//   "t.<key>.<window>"   a registration being rewritten (renamed over "w.")
// <key> is "<pid>-<16 lower-case hex digits>", random per process run, so a
// reused pid never reaches an old window. <window> is a decimal number from 1
// to 4294967295, unique within the run. A socket is renamed to "p." only once
// it listens, and a process writes registrations only after that, so a
// registration whose "p." socket refuses or is missing is stale.
//
// Registration file: ASCII, at most 256 bytes, four lines each ending with
// "\n": "DLW1", the class name (1 to 64 of A-Z a-z 0-9 _), the pid in
// decimal, the z-order stamp in decimal (unsigned 64-bit; higher is nearer
// the top).
//
// One request per connection. Request: one packet of 32 bytes, little-endian:
//   u32 magic 0x31514C44 ("DLQ1"), u32 window, u32 msg, u32 zero,
//   u64 wParam, i64 lParam.
// Reply: one packet of 16 bytes, little-endian:
//   u32 magic 0x31524C44 ("DLR1"), u32 status (0 answered, 1 no such window),
//   i64 result.
// Anything else (another size, magic or a non-zero reserved field) is
// dropped without an answer, and so is a peer of another user.
namespace plat::bus {

constexpr uint32_t kRequestMagic = 0x31514C44;
constexpr uint32_t kReplyMagic = 0x31524C44;
constexpr size_t kRequestSize = 32;
constexpr size_t kReplySize = 16;
constexpr size_t kMaxRegistrationSize = 256;
constexpr size_t kMaxClassNameSize = 64;
// Folder entries looked at in one listing; the rest are ignored.
constexpr size_t kMaxFolderEntries = 4096;

enum class ReplyStatus : uint32_t { Answered = 0, NoSuchWindow = 1 };

struct Request {
    uint32_t window = 0;
    uint32_t msg = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

struct Reply {
    ReplyStatus status = ReplyStatus::Answered;
    int64_t result = 0;
};

struct Registration {
    std::string className;
    int pid = 0;
    uint64_t stamp = 0;
};

std::string EncodeRequest(const Request& request);
bool DecodeRequest(std::string_view bytes, Request& request);
std::string EncodeReply(const Reply& reply);
bool DecodeReply(std::string_view bytes, Reply& reply);
std::string EncodeRegistration(const Registration& registration);
bool DecodeRegistration(std::string_view bytes, Registration& registration);

bool IsValidClassName(std::string_view name);

// A parsed folder entry name.
struct EntryName {
    char kind = 0; // 'p', 'b', 'w' or 't'
    std::string key;
    int pid = 0;
    uint32_t window = 0; // 'w' and 't' only
};
bool ParseEntryName(std::string_view name, EntryName& entry);

std::string SocketName(const std::string& key);         // "p.<key>.sock"
std::string StartingSocketName(const std::string& key); // "b.<key>.sock"
std::string RegistrationName(const std::string& key, uint32_t window);
std::string TemporaryName(const std::string& key, uint32_t window);

// A new key for this process run.
std::string NewProcessKey();

// The names in the bus folder (at most kMaxFolderEntries).
std::vector<std::string> FolderEntries(const std::string& folder);

// Reads and checks a registration file without following links.
bool ReadRegistration(const std::string& path, Registration& registration);

// Removes the socket, registrations and temporary files of one process run.
void RemoveProcessFiles(const std::string& folder, const std::string& key);

// Points `address` at folder + name. A path too long for sun_path goes
// through "/proc/self/fd/<n>/<name>" where n is an O_PATH descriptor of the
// folder opened here and returned in `openedFd` (else -1); the caller closes
// it once the address has been used.
bool MakeAddress(const std::string& folder, const std::string& name, sockaddr_un& address, socklen_t& length,
                 int& openedFd);

// The uid of the peer of a connected Unix socket; false when it cannot be read.
bool PeerUid(int fd, uid_t& uid);

} // namespace plat::bus
