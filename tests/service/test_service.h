#pragma once

#include "tests/service/service_types.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_service {

class AccountService;
class Connection;
class TlsMaterial;

struct Options {
    // 0 picks a free port.
    uint16_t Port = 0;
    bool Tls = false;
    // The name the TLS server certificate is made for: an IPv4 address or a
    // DNS name.
    std::string CertificateName = "127.0.0.1";
    // Acts as a forward proxy instead of a service: absolute-form requests
    // for http targets and CONNECT tunnels for https targets.
    bool Proxy = false;
    // When set, the proxy asks for these Basic credentials.
    std::string ProxyUser;
    std::string ProxyPass;
    // Serves the controls under "/__test/" (for runs by hand).
    bool Controls = false;
};

// A real HTTP/1.1 server on 127.0.0.1 for the tests of the online layer:
// persistent connections, one thread per connection, routes by path, faults
// armed per path, a request log and a list of protocol violations. Later
// parts of the service add their routes through Route.
class TestService {
public:
    explicit TestService(Options options = {});
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    // Listens and starts accepting; false when the port or the TLS
    // material could not be had.
    bool Start();
    // Closes every connection and waits for their threads.
    void Stop();

    uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>" or "https://…".
    std::string BaseUrl() const;
    // The test CA's PEM file in TLS mode, else empty.
    std::string CaFile() const;

    // Replaces the handler of a path (the target before any "?"). A path
    // ending with "/" also serves the paths below it that have no route.
    void Route(const std::string& path, Handler handler);
    // The next `times` requests of the path (or all, kAlways) meet the fault.
    void ArmFault(const std::string& path, const Fault& fault, int times = 1);
    void DisarmFaults();

    std::vector<LoggedRequest> Requests() const;
    int ConnectionCount() const { return connectionCount_.load(); }
    std::vector<Violation> Violations() const;
    std::vector<ProxyLogEntry> ProxyLog() const;
    // Empties the request log, the violations and the proxy log.
    void ClearLogs();

private:
    friend class Connection;
    friend class AccountService;
    struct ArmedFault {
        Fault What;
        int Remaining = 0;
    };
    struct Worker {
        std::thread Thread;
        int Descriptor = -1;
        std::atomic<bool> Done{false};
    };

    void AcceptLoop();
    void ReapWorkers(bool all);
    void RegisterRoutes();
    void RegisterControls();

    // Called by connections.
    bool TakeFault(const std::string& path, Fault& fault);
    Handler FindHandler(const std::string& path) const;
    void Log(const Request& request);
    void Record(std::vector<Violation> found);
    void LogProxy(ProxyLogEntry entry);
    void ReleaseDescriptor(Worker& worker);
    bool Stopping() const { return stopping_.load(); }
    const Options& Settings() const { return options_; }
    TlsMaterial* Tls() const { return tls_.get(); }

    Options options_;
    std::unique_ptr<TlsMaterial> tls_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connectionCount_{0};
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    std::map<std::string, Handler> routes_;
    std::map<std::string, ArmedFault> faults_;
    std::vector<LoggedRequest> requests_;
    std::vector<Violation> violations_;
    std::vector<ProxyLogEntry> proxyLog_;
    std::vector<std::unique_ptr<Worker>> workers_;
};

} // namespace test_service
