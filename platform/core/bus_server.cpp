#include "platform/core/bus_server.h"

#include "platform/core/bus_wire.h"
#include "platform/core/file.h"
#include "platform/core/runtime_folder.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

// A peer that connects and sends nothing must not pile up descriptors: past
// this many open connections the oldest one is closed.
constexpr size_t kMaxConnections = 32;

std::atomic<long> peerUidForTest{-1};

uid_t ExpectedPeerUid()
{
    long forced = peerUidForTest.load();
    return forced >= 0 ? static_cast<uid_t>(forced) : geteuid();
}

// Z-order stamps: CLOCK_MONOTONIC nanoseconds are shared by every process of
// the machine, so a later activation anywhere gets a higher stamp. Within
// the process they strictly increase.
uint64_t NextStamp()
{
    static std::atomic<uint64_t> last{0};
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t stamp = static_cast<uint64_t>(now.tv_sec) * 1000000000ULL + static_cast<uint64_t>(now.tv_nsec);
    uint64_t previous = last.load();
    for (;;) {
        uint64_t next = stamp > previous ? stamp : previous + 1;
        if (last.compare_exchange_weak(previous, next))
            return next;
    }
}

bool ProcessExists(int pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

// True when a socket in the folder refuses connections: nobody listens.
bool RefusesConnections(const std::string& folder, const std::string& name)
{
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    sockaddr_un address{};
    socklen_t length = 0;
    int folderFd = -1;
    bool refused = false;
    if (bus::MakeAddress(folder, name, address, length, folderFd)) {
        int rc;
        do {
            rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
        } while (rc != 0 && errno == EINTR);
        refused = rc != 0 && errno == ECONNREFUSED;
    }
    if (folderFd >= 0)
        close(folderFd);
    close(fd);
    return refused;
}

} // namespace

void BusServer::SetPeerUidForTest(long uid)
{
    peerUidForTest.store(uid < 0 ? -1 : uid);
}

BusServer::BusServer(MainLoop& loop) : loop_(loop)
{
}

BusServer::~BusServer()
{
    Stop();
}

bool BusServer::Start()
{
    if (listenFd_ >= 0)
        return true;
    folder_ = BusFolder(true);
    if (folder_.empty())
        return false;
    key_ = bus::NewProcessKey();
    RemoveStaleFiles();

    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    std::string starting = folder_ + bus::StartingSocketName(key_);
    sockaddr_un address{};
    socklen_t length = 0;
    int folderFd = -1;
    // Bound under a starting name and renamed once it listens: a socket
    // under its final name always accepts while its process lives.
    bool ok = bus::MakeAddress(folder_, bus::StartingSocketName(key_), address, length, folderFd) &&
              bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    if (folderFd >= 0)
        close(folderFd);
    ok = ok && chmod(starting.c_str(), 0600) == 0 && listen(fd, 16) == 0 &&
         rename(starting.c_str(), (folder_ + bus::SocketName(key_)).c_str()) == 0;
    if (!ok) {
        unlink(starting.c_str());
        close(fd);
        return false;
    }
    listenFd_ = fd;
    listenWatch_ = loop_.WatchReadable(listenFd_, [this] { OnListenReady(); });
    if (listenWatch_ == 0) {
        Stop();
        return false;
    }
    return true;
}

void BusServer::RemoveStaleFiles()
{
    std::set<std::string> checked;
    for (const std::string& name : bus::FolderEntries(folder_)) {
        bus::EntryName entry;
        if (!bus::ParseEntryName(name, entry) || entry.key == key_)
            continue;
        if (!ProcessExists(entry.pid)) {
            // Its process is gone: everything of it goes, a socket that
            // never came to listen too.
            if (entry.kind == 'b')
                unlink((folder_ + name).c_str());
            else if (checked.insert(entry.key).second)
                bus::RemoveProcessFiles(folder_, entry.key);
            continue;
        }
        // The pid lives (perhaps reused): only a socket that refuses tells
        // that the run is over. A missing one may belong to a run that is
        // starting or ending, which cleans up itself.
        if (checked.count(entry.key) == 0 && RefusesConnections(folder_, bus::SocketName(entry.key))) {
            checked.insert(entry.key);
            bus::RemoveProcessFiles(folder_, entry.key);
        }
    }
}

bool BusServer::WriteRegistration(uint32_t window, const WindowEntry& entry)
{
    std::string temporary = folder_ + bus::TemporaryName(key_, window);
    std::string contents = bus::EncodeRegistration(bus::Registration{entry.className, getpid(), entry.stamp});
    unlink(temporary.c_str());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    bool ok = WriteFully(fd, contents.data(), contents.size());
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), (folder_ + bus::RegistrationName(key_, window)).c_str()) == 0;
    if (!ok)
        unlink(temporary.c_str());
    return ok;
}

uint32_t BusServer::RegisterWindow(const std::string& className, Handler handler)
{
    if (!bus::IsValidClassName(className) || !handler || nextWindow_ == 0 || !Start())
        return 0;
    uint32_t window = nextWindow_++;
    WindowEntry entry{className, std::move(handler), NextStamp()};
    if (!WriteRegistration(window, entry))
        return 0;
    windows_.emplace(window, std::move(entry));
    return window;
}

bool BusServer::MoveToTop(uint32_t window)
{
    auto it = windows_.find(window);
    if (it == windows_.end() || listenFd_ < 0)
        return false;
    it->second.stamp = NextStamp();
    return WriteRegistration(window, it->second);
}

void BusServer::UnregisterWindow(uint32_t window)
{
    if (windows_.erase(window) == 1)
        unlink((folder_ + bus::RegistrationName(key_, window)).c_str());
}

void BusServer::Stop()
{
    while (!connections_.empty())
        CloseConnection(connections_.front().id);
    for (const auto& [window, entry] : windows_)
        unlink((folder_ + bus::RegistrationName(key_, window)).c_str());
    windows_.clear();
    if (listenWatch_ != 0)
        loop_.Unwatch(listenWatch_);
    listenWatch_ = 0;
    if (listenFd_ >= 0) {
        unlink((folder_ + bus::SocketName(key_)).c_str());
        close(listenFd_);
    }
    listenFd_ = -1;
}

void BusServer::OnListenReady()
{
    for (;;) {
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // EAGAIN, or out of descriptors until a later turn
        }
        uid_t peer = 0;
        if (!bus::PeerUid(fd, peer) || peer != ExpectedPeerUid()) {
            close(fd);
            continue;
        }
        if (connections_.size() >= kMaxConnections)
            CloseConnection(connections_.front().id);
        uint64_t id = nextConnection_++;
        int watchId = loop_.WatchReadable(fd, [this, id] { OnConnectionReady(id); });
        if (watchId == 0) {
            close(fd);
            continue;
        }
        connections_.push_back(Connection{id, fd, watchId, false});
    }
}

BusServer::Connection* BusServer::FindConnection(uint64_t connectionId)
{
    for (Connection& connection : connections_) {
        if (connection.id == connectionId)
            return &connection;
    }
    return nullptr;
}

void BusServer::OnConnectionReady(uint64_t connectionId)
{
    Connection* connection = FindConnection(connectionId);
    if (connection == nullptr)
        return;
    char buffer[bus::kRequestSize + 1];
    ssize_t got = recv(connection->fd, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    // One request per connection: end of stream, an error or anything after
    // the request closes it.
    if (got <= 0 || connection->requestTaken) {
        CloseConnection(connectionId);
        return;
    }
    connection->requestTaken = true;
    Serve(connectionId, std::string_view(buffer, static_cast<size_t>(got)));
}

void BusServer::Serve(uint64_t connectionId, std::string_view packet)
{
    bus::Request request;
    if (!bus::DecodeRequest(packet, request)) {
        CloseConnection(connectionId);
        return;
    }
    bus::Reply reply;
    auto it = windows_.find(request.window);
    if (it == windows_.end()) {
        reply.status = bus::ReplyStatus::NoSuchWindow;
    } else {
        // The handler may unregister its window or stop the server.
        Handler handler = it->second.handler;
        std::optional<int64_t> result = handler(request.msg, request.wParam, request.lParam);
        if (!result)
            return; // left open until the sender gives up
        reply.result = *result;
    }
    Connection* connection = FindConnection(connectionId);
    if (connection == nullptr)
        return;
    std::string bytes = bus::EncodeReply(reply);
    // A fresh connection's buffer always takes 16 bytes; a sender that is
    // gone just misses its answer.
    send(connection->fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    CloseConnection(connectionId);
}

void BusServer::CloseConnection(uint64_t connectionId)
{
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
        if (it->id == connectionId) {
            loop_.Unwatch(it->watchId);
            close(it->fd);
            connections_.erase(it);
            return;
        }
    }
}

} // namespace plat
