#include "platform/core/bus_client.h"

#include "platform/core/bus_wire.h"
#include "platform/core/runtime_folder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace plat {
namespace {

using SteadyClock = std::chrono::steady_clock;

int MillisecondsLeft(SteadyClock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Closes a descriptor when the scope ends.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

enum class ConnectResult { Connected, Stale, Failed, TimedOut };

ConnectResult Connect(int fd, const std::string& folder, const std::string& key, SteadyClock::time_point deadline)
{
    sockaddr_un address{};
    socklen_t length = 0;
    Descriptor folderFd;
    if (!bus::MakeAddress(folder, bus::SocketName(key), address, length, folderFd.fd))
        return ConnectResult::Failed;
    for (;;) {
        if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0)
            return ConnectResult::Connected;
        if (errno == EINTR)
            continue;
        if (errno == ECONNREFUSED || errno == ENOENT)
            return ConnectResult::Stale;
        if (errno != EAGAIN)
            return ConnectResult::Failed;
        // A full backlog: the receiver is alive but busy.
        if (MillisecondsLeft(deadline) == 0)
            return ConnectResult::TimedOut;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Waits for `events` on fd until the deadline; false on time-out.
bool WaitFor(int fd, short events, SteadyClock::time_point deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        int rc = poll(&entry, 1, MillisecondsLeft(deadline));
        if (rc > 0)
            return true;
        if (rc == 0)
            return false;
        if (errno != EINTR)
            return true; // let the following call report the error
    }
}

} // namespace

std::vector<BusWindow> ListBusWindows(const std::string& className)
{
    std::vector<BusWindow> windows;
    std::string folder = BusFolder(false);
    if (folder.empty() || !bus::IsValidClassName(className))
        return windows;
    for (const std::string& name : bus::FolderEntries(folder)) {
        bus::EntryName entry;
        bus::Registration registration;
        if (!bus::ParseEntryName(name, entry) || entry.kind != 'w' ||
            !bus::ReadRegistration(folder + name, registration) || registration.className != className ||
            registration.pid != entry.pid)
            continue;
        windows.push_back(BusWindow{registration.className, entry.key, entry.window, entry.pid, registration.stamp});
    }
    std::sort(windows.begin(), windows.end(), [](const BusWindow& a, const BusWindow& b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        if (a.processKey != b.processKey)
            return a.processKey > b.processKey;
        return a.window > b.window;
    });
    return windows;
}

BusSendResult SendBusMessage(const BusWindow& window, uint32_t msg, uint64_t wParam, int64_t lParam, int timeoutMs,
                             int64_t& result)
{
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    std::string folder = BusFolder(false);
    if (folder.empty())
        return BusSendResult::Gone;

    Descriptor socketFd;
    socketFd.fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socketFd.fd < 0)
        return BusSendResult::NoAnswer;
    switch (Connect(socketFd.fd, folder, window.processKey, deadline)) {
    case ConnectResult::Connected:
        break;
    case ConnectResult::Stale:
        bus::RemoveProcessFiles(folder, window.processKey);
        return BusSendResult::Gone;
    case ConnectResult::Failed:
        return BusSendResult::NoAnswer;
    case ConnectResult::TimedOut:
        return BusSendResult::TimedOut;
    }
    // The folder is private, but a socket of another user still gets nothing.
    uid_t peer = 0;
    if (!bus::PeerUid(socketFd.fd, peer) || peer != geteuid())
        return BusSendResult::NoAnswer;

    std::string request = bus::EncodeRequest(bus::Request{window.window, msg, wParam, lParam});
    for (;;) {
        if (send(socketFd.fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size()))
            break;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return BusSendResult::NoAnswer;
        if (!WaitFor(socketFd.fd, POLLOUT, deadline))
            return BusSendResult::TimedOut;
    }

    char buffer[bus::kReplySize + 1];
    for (;;) {
        if (!WaitFor(socketFd.fd, POLLIN, deadline))
            return BusSendResult::TimedOut;
        ssize_t got = recv(socketFd.fd, buffer, sizeof(buffer), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        bus::Reply reply;
        if (got <= 0 || !bus::DecodeReply(std::string_view(buffer, static_cast<size_t>(got)), reply))
            return BusSendResult::NoAnswer;
        if (reply.status == bus::ReplyStatus::NoSuchWindow)
            return BusSendResult::NoWindow;
        result = reply.result;
        return BusSendResult::Answered;
    }
}

std::vector<BusDelivery> SendToClass(const std::string& className, uint32_t msg, uint64_t wParam, int64_t lParam,
                                     int timeoutMs)
{
    std::vector<BusDelivery> deliveries;
    for (const BusWindow& window : ListBusWindows(className)) {
        BusDelivery delivery;
        delivery.window = window;
        delivery.outcome = SendBusMessage(window, msg, wParam, lParam, timeoutMs, delivery.result);
        deliveries.push_back(std::move(delivery));
    }
    return deliveries;
}

} // namespace plat
