#pragma once

#include "platform/core/main_loop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace plat {

// This process's side of the window bus (bus_wire.h): it registers windows
// of exported classes and answers messages sent to them. It listens on one
// socket, watched by the main loop, so every handler runs on the main thread,
// inside nested loops too when the loop implementation serves them.
//
// Main thread only. Destroy it before the loop it was given: the destructor
// removes this process's registrations and socket.
class BusServer {
public:
    // Returns the message's result; std::nullopt leaves the sender without
    // an answer (it waits for its time-out), as a hung window would.
    using Handler = std::function<std::optional<int64_t>(uint32_t msg, uint64_t wParam, int64_t lParam)>;

    explicit BusServer(MainLoop& loop);
    ~BusServer();
    BusServer(const BusServer&) = delete;
    BusServer& operator=(const BusServer&) = delete;

    // Registers a window on top of the z-order; the first registration starts
    // the server (folder, socket, removal of stale files). Returns the
    // window's id, or 0 when the class name is not valid or the bus is not
    // usable.
    uint32_t RegisterWindow(const std::string& className, Handler handler);
    // Moves a window to the top (the GUI calls it when the window is
    // activated). False for an unknown window or when the file can't be
    // rewritten.
    bool MoveToTop(uint32_t window);
    void UnregisterWindow(uint32_t window);
    // Removes every registration and the socket; a later RegisterWindow
    // starts again.
    void Stop();

    bool Listening() const { return listenFd_ >= 0; }
    const std::string& ProcessKey() const { return key_; }

    // Test seam: the uid a peer must have (by default this process's
    // effective uid); a negative value restores the default.
    static void SetPeerUidForTest(long uid);

private:
    struct WindowEntry {
        std::string className;
        Handler handler;
        uint64_t stamp = 0;
    };
    struct Connection {
        uint64_t id = 0;
        int fd = -1;
        int watchId = 0;
        bool requestTaken = false;
    };

    bool Start();
    void RemoveStaleFiles();
    bool WriteRegistration(uint32_t window, const WindowEntry& entry);
    void OnListenReady();
    void OnConnectionReady(uint64_t connectionId);
    void Serve(uint64_t connectionId, std::string_view packet);
    void CloseConnection(uint64_t connectionId);
    Connection* FindConnection(uint64_t connectionId);

    MainLoop& loop_;
    std::string folder_;
    std::string key_;
    int listenFd_ = -1;
    int listenWatch_ = 0;
    uint32_t nextWindow_ = 1;
    uint64_t nextConnection_ = 1;
    std::map<uint32_t, WindowEntry> windows_;
    std::vector<Connection> connections_; // oldest first
};

} // namespace plat
