#include "tests/service/test_service.h"

#include "tests/service/bracket_writer.h"
#include "tests/service/connection.h"
#include "tests/service/tls_material.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace test_service {

TestService::TestService(Options options) : options_(std::move(options))
{
    RegisterRoutes();
    if (options_.Controls)
        RegisterControls();
}

TestService::~TestService()
{
    Stop();
}

bool TestService::Start()
{
    if (listener_ >= 0)
        return true;
    if (options_.Tls) {
        tls_ = std::make_unique<TlsMaterial>(options_.CertificateName);
        if (!tls_->Ok())
            return false;
    }
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0)
        return false;
    int yes = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(options_.Port);
    socklen_t length = sizeof(address);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(listener_, 128) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(listener_);
        listener_ = -1;
        return false;
    }
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void TestService::Stop()
{
    if (listener_ < 0)
        return;
    stopping_ = true;
    // Wakes the accept loop at once.
    shutdown(listener_, SHUT_RDWR);
    acceptThread_.join();
    close(listener_);
    listener_ = -1;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto& worker : workers_) {
            if (worker->Descriptor >= 0)
                shutdown(worker->Descriptor, SHUT_RDWR);
        }
    }
    ReapWorkers(true);
}

std::string TestService::BaseUrl() const
{
    return std::string(options_.Tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_);
}

std::string TestService::CaFile() const
{
    return tls_ ? tls_->CaFile() : std::string();
}

void TestService::AcceptLoop()
{
    while (!stopping_) {
        pollfd wait{listener_, POLLIN, 0};
        if (poll(&wait, 1, 50) <= 0)
            continue;
        int descriptor = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (descriptor < 0)
            continue;
        int yes = 1;
        setsockopt(descriptor, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        int number = ++connectionCount_;
        ReapWorkers(false);
        auto worker = std::make_unique<Worker>();
        Worker* slot = worker.get();
        slot->Descriptor = descriptor;
        std::lock_guard<std::mutex> guard(mutex_);
        workers_.push_back(std::move(worker));
        slot->Thread = std::thread([this, slot, descriptor, number] {
            {
                Connection connection(*this, descriptor, number);
                connection.Serve();
            }
            ReleaseDescriptor(*slot);
        });
    }
}

void TestService::ReleaseDescriptor(Worker& worker)
{
    std::lock_guard<std::mutex> guard(mutex_);
    close(worker.Descriptor);
    worker.Descriptor = -1;
    worker.Done = true;
}

// Joins finished connection threads; with `all`, every one.
void TestService::ReapWorkers(bool all)
{
    std::vector<std::unique_ptr<Worker>> finished;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            if (all || (*it)->Done) {
                finished.push_back(std::move(*it));
                it = workers_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& worker : finished) {
        if (worker->Thread.joinable())
            worker->Thread.join();
    }
}

void TestService::Route(const std::string& path, Handler handler)
{
    std::lock_guard<std::mutex> guard(mutex_);
    routes_[path] = std::move(handler);
}

void TestService::ArmFault(const std::string& path, const Fault& fault, int times)
{
    std::lock_guard<std::mutex> guard(mutex_);
    faults_[path] = ArmedFault{fault, times};
}

void TestService::DisarmFaults()
{
    std::lock_guard<std::mutex> guard(mutex_);
    faults_.clear();
}

bool TestService::TakeFault(const std::string& path, Fault& fault)
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = faults_.find(path);
    if (found == faults_.end())
        return false;
    fault = found->second.What;
    if (found->second.Remaining != kAlways && --found->second.Remaining <= 0)
        faults_.erase(found);
    return true;
}

Handler TestService::FindHandler(const std::string& path) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = routes_.find(path);
    if (found != routes_.end())
        return found->second;
    // A route ending with "/" serves every path below it.
    for (const auto& [route, handler] : routes_)
        if (!route.empty() && route.back() == '/' && path.compare(0, route.size(), route) == 0)
            return handler;
    return Handler();
}

void TestService::Log(const Request& request)
{
    std::lock_guard<std::mutex> guard(mutex_);
    requests_.push_back({request.Connection, request.Method, request.Target, request.Headers, request.Body});
}

void TestService::Record(std::vector<Violation> found)
{
    if (found.empty())
        return;
    std::lock_guard<std::mutex> guard(mutex_);
    for (Violation& violation : found)
        violations_.push_back(std::move(violation));
}

void TestService::LogProxy(ProxyLogEntry entry)
{
    std::lock_guard<std::mutex> guard(mutex_);
    proxyLog_.push_back(std::move(entry));
}

std::vector<LoggedRequest> TestService::Requests() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return requests_;
}

std::vector<Violation> TestService::Violations() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return violations_;
}

std::vector<ProxyLogEntry> TestService::ProxyLog() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return proxyLog_;
}

void TestService::ClearLogs()
{
    std::lock_guard<std::mutex> guard(mutex_);
    requests_.clear();
    violations_.clear();
    proxyLog_.clear();
}

// The routes every mode of the service answers.
void TestService::RegisterRoutes()
{
    // The proxy dialog's connection test: this body exactly.
    Route("/test.php", [](const Request&) { return Response::Text(BracketItem("ServerCheck", "1")); });
}

} // namespace test_service
