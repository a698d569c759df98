#include "tests/service/connection.h"

#include "tests/service/form_decoder.h"
#include "tests/service/test_service.h"
#include "tests/service/tls_material.h"

#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace test_service {

namespace {

constexpr size_t kMaxHead = 64 * 1024;
constexpr size_t kMaxBody = 64 * 1024 * 1024;
constexpr int kSliceMs = 50;

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

const char* ReasonOf(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 300:
        return "Multiple Choices";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 304:
        return "Not Modified";
    case 305:
        return "Use Proxy";
    case 307:
        return "Temporary Redirect";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 407:
        return "Proxy Authentication Required";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    default:
        return "Status";
    }
}

// An answer of these statuses has no body on the wire.
bool HasNoBody(int status)
{
    return status < 200 || status == 204 || status == 304;
}

int ConnectTo(const std::string& host, const std::string& port)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
        return -1;
    int descriptor = -1;
    for (addrinfo* address = found; address != nullptr && descriptor < 0; address = address->ai_next) {
        descriptor = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (descriptor >= 0 && connect(descriptor, address->ai_addr, address->ai_addrlen) != 0) {
            close(descriptor);
            descriptor = -1;
        }
    }
    freeaddrinfo(found);
    return descriptor;
}

// "host:port", or the host and port of "http://host:port/…".
bool SplitHostPort(std::string_view authority, std::string& host, std::string& port, std::string_view defaultPort)
{
    size_t colon = authority.rfind(':');
    if (colon == std::string_view::npos) {
        host = authority;
        port = defaultPort;
    } else {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    return !host.empty() && !port.empty();
}

bool SendAll(int descriptor, std::string_view data)
{
    while (!data.empty()) {
        ssize_t sent = send(descriptor, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

std::string Base64(std::string_view text)
{
    std::string encoded(4 * ((text.size() + 2) / 3) + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                                 reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    encoded.resize(static_cast<size_t>(length));
    return encoded;
}

} // namespace

Connection::Connection(TestService& service, int descriptor, int number)
    : service_(service), descriptor_(descriptor), number_(number)
{
}

Connection::~Connection()
{
    if (ssl_ != nullptr)
        SSL_free(ssl_);
}

void Connection::Serve()
{
    if (TlsMaterial* tls = service_.Tls()) {
        ssl_ = SSL_new(tls->Context());
        if (ssl_ == nullptr || SSL_set_fd(ssl_, descriptor_) != 1 || SSL_accept(ssl_) != 1)
            return;
    }
    Request request;
    for (;;) {
        request = Request();
        ReadResult read = ReadRequest(request);
        if (read == ReadResult::Bad) {
            closeAfter_ = true;
            WriteResponse(request, Response::Text("Bad request", 400), 0, 0);
            return;
        }
        if (read == ReadResult::Closed)
            return;
        bool keep = service_.Settings().Proxy ? Forward(request) : Answer(request);
        if (!keep || closeAfter_ || service_.Stopping())
            return;
    }
}

int Connection::ReadSome(char* buffer, size_t size)
{
    if (ssl_ != nullptr) {
        int read = SSL_read(ssl_, buffer, static_cast<int>(size));
        return read > 0 ? read : 0;
    }
    ssize_t read = recv(descriptor_, buffer, size, 0);
    return read > 0 ? static_cast<int>(read) : 0;
}

bool Connection::Write(std::string_view data)
{
    if (ssl_ == nullptr)
        return SendAll(descriptor_, data);
    while (!data.empty()) {
        int written = SSL_write(ssl_, data.data(), static_cast<int>(data.size()));
        if (written <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool Connection::WaitReadable(int timeoutMs)
{
    if (ssl_ != nullptr && SSL_pending(ssl_) > 0)
        return true;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!service_.Stopping()) {
        pollfd wait{descriptor_, POLLIN, 0};
        int ready = poll(&wait, 1, kSliceMs);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    return false;
}

bool Connection::ClientClosed()
{
    pollfd wait{descriptor_, POLLRDHUP, 0};
    return poll(&wait, 1, 0) > 0 && (wait.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void Connection::ResetAbortively()
{
    linger abort{1, 0};
    setsockopt(descriptor_, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
    // The service closes the descriptor, which now sends a reset; no TLS
    // goodbye goes out before it.
    if (ssl_ != nullptr)
        SSL_set_quiet_shutdown(ssl_, 1);
}

Connection::ReadResult Connection::ReadRequest(Request& request)
{
    size_t headEnd;
    while ((headEnd = pending_.find("\r\n\r\n")) == std::string::npos) {
        if (pending_.size() > kMaxHead)
            return ReadResult::Bad;
        char buffer[65536];
        if (!WaitReadable(-1))
            return ReadResult::Closed;
        int read = ReadSome(buffer, sizeof(buffer));
        if (read <= 0)
            return ReadResult::Closed;
        pending_.append(buffer, static_cast<size_t>(read));
    }
    std::string head = pending_.substr(0, headEnd);
    pending_.erase(0, headEnd + 4);

    size_t lineEnd = head.find("\r\n");
    std::string_view line = std::string_view(head).substr(0, lineEnd);
    size_t methodEnd = line.find(' ');
    size_t targetEnd = methodEnd == std::string_view::npos ? methodEnd : line.find(' ', methodEnd + 1);
    if (targetEnd == std::string_view::npos || line.substr(targetEnd + 1, 7) != "HTTP/1.")
        return ReadResult::Bad;
    request.Method = line.substr(0, methodEnd);
    request.Target = line.substr(methodEnd + 1, targetEnd - methodEnd - 1);
    size_t question = request.Target.find('?');
    request.Path = request.Target.substr(0, question);
    if (question != std::string::npos)
        request.Query = request.Target.substr(question + 1);
    request.Connection = number_;

    while (lineEnd != std::string::npos) {
        size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        std::string_view field =
            std::string_view(head).substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        size_t colon = field.find(':');
        if (colon == std::string_view::npos)
            return ReadResult::Bad;
        request.Headers.emplace_back(std::string(Trim(field.substr(0, colon))),
                                     std::string(Trim(field.substr(colon + 1))));
    }
    if (HasHeader(request.Headers, "Transfer-Encoding"))
        return ReadResult::Bad;
    closeAfter_ = SameName(request.Header("Connection"), "close");
    size_t length = std::strtoull(request.Header("Content-Length").c_str(), nullptr, 10);
    if (length > kMaxBody)
        return ReadResult::Bad;
    if (length > 0 && SameName(request.Header("Expect"), "100-continue") && !Write("HTTP/1.1 100 Continue\r\n\r\n"))
        return ReadResult::Closed;
    return ReadExactly(length, request.Body) ? ReadResult::Request : ReadResult::Closed;
}

bool Connection::ReadExactly(size_t size, std::string& out)
{
    while (pending_.size() < size) {
        char buffer[65536];
        if (!WaitReadable(-1))
            return false;
        int read = ReadSome(buffer, sizeof(buffer));
        if (read <= 0)
            return false;
        pending_.append(buffer, static_cast<size_t>(read));
    }
    out = pending_.substr(0, size);
    pending_.erase(0, size);
    return true;
}

void Connection::CheckForm(const Request& request)
{
    if (request.Path.rfind("/__test/", 0) == 0)
        return;
    std::vector<Violation> found;
    if (!request.Query.empty())
        DecodeForm(request.Query, request.Path, found);
    if (request.Header("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0 && !request.Body.empty())
        DecodeForm(request.Body, request.Path, found);
    service_.Record(std::move(found));
}

bool Connection::Answer(const Request& request)
{
    CheckForm(request);
    service_.Log(request);
    Fault fault;
    bool faulted = service_.TakeFault(request.Path, fault);
    if (faulted) {
        switch (fault.Type) {
        case Fault::Kind::Stall:
            if (!Stall(fault.Milliseconds))
                return false;
            break;
        case Fault::Kind::Reset:
            ResetAbortively();
            return false;
        case Fault::Kind::Redirect: {
            Response redirect = Response::Text(fault.Body, fault.Status);
            redirect.Headers.emplace_back("Location", fault.Location);
            return WriteResponse(request, redirect, 0, 0);
        }
        case Fault::Kind::Status:
            return WriteResponse(request, Response::Text(fault.Body, fault.Status), 0, 0);
        case Fault::Kind::CutBody:
        case Fault::Kind::SlowBody:
            break;
        }
    }
    Response response;
    Handler handler = service_.FindHandler(request.Path);
    try {
        response = handler ? handler(request) : Response::Text("Not found", 404);
    } catch (...) {
        response = Response::Text("Handler failed", 500);
    }
    if (response.CloseWithoutAnswer) {
        ResetAbortively();
        return false;
    }
    if (response.EndlessBody)
        return WriteEndlessBody();
    if (response.DeclaredLength > 0)
        return WriteDeclaredLength(response.DeclaredLength);
    size_t cutAfter = faulted && fault.Type == Fault::Kind::CutBody ? fault.CutAfter : response.CutAfter;
    if (cutAfter > 0) {
        WriteResponse(request, response, cutAfter, 0);
        return false;
    }
    if (response.Written && ClientClosed())
        return false;
    bool written =
        WriteResponse(request, response, 0, faulted && fault.Type == Fault::Kind::SlowBody ? fault.BytesPerSecond : 0);
    if (written && response.Written)
        response.Written();
    return written;
}

bool Connection::Stall(int milliseconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (milliseconds == 0 || std::chrono::steady_clock::now() < deadline) {
        if (service_.Stopping() || ClientClosed())
            return false;
        std::this_thread::sleep_for(
            std::chrono::milliseconds(milliseconds == 0 ? kSliceMs : std::min(kSliceMs, milliseconds)));
    }
    return true;
}

bool Connection::WriteEndlessBody()
{
    closeAfter_ = true;
    if (!Write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=windows-1250\r\nConnection: close\r\n\r\n"))
        return false;
    const std::string piece(64 * 1024, 'x');
    constexpr uint64_t kMostBytes = 8ull << 30;
    for (uint64_t sent = 0; sent < kMostBytes && !service_.Stopping(); sent += piece.size())
        if (!Write(piece))
            break;
    return false;
}

bool Connection::WriteDeclaredLength(uint64_t length)
{
    closeAfter_ = true;
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=windows-1250\r\nContent-Length: " +
                       std::to_string(length) + "\r\n\r\n";
    if (Write(head + std::string(static_cast<size_t>(std::min<uint64_t>(length, 4096)), 'x')))
        Stall(0);
    return false;
}

bool Connection::WriteResponse(const Request& request, const Response& response, size_t cutAfter, int bytesPerSecond)
{
    std::string_view body = HasNoBody(response.Status) ? std::string_view() : std::string_view(response.Body);
    std::string head = "HTTP/1.1 " + std::to_string(response.Status) + " " +
                       (response.Reason.empty() ? ReasonOf(response.Status) : response.Reason) + "\r\n";
    head += "Content-Type: text/html; charset=windows-1250\r\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    for (const auto& [name, value] : response.Headers)
        head += name + ": " + value + "\r\n";
    if (closeAfter_)
        head += "Connection: close\r\n";
    head += "\r\n";
    if (request.Method == "HEAD")
        return Write(head);
    if (cutAfter > 0 || bytesPerSecond > 0) {
        if (!Write(head))
            return false;
        if (cutAfter > 0)
            return Write(body.substr(0, std::min(cutAfter, body.size())));
        // Ten pieces a second, or one byte at a time below 10 bytes a second.
        size_t step = std::max<size_t>(1, static_cast<size_t>(bytesPerSecond) / 10);
        auto pause = std::chrono::milliseconds(1000 * static_cast<int64_t>(step) / bytesPerSecond);
        while (!body.empty()) {
            if (service_.Stopping() || !Write(body.substr(0, step)))
                return false;
            body.remove_prefix(std::min(step, body.size()));
            std::this_thread::sleep_for(pause);
        }
        return true;
    }
    return Write(head + std::string(body));
}

bool Connection::ProxyAllowed(const Request& request) const
{
    const Options& options = service_.Settings();
    if (options.ProxyUser.empty() && options.ProxyPass.empty())
        return true;
    return request.Header("Proxy-Authorization") == "Basic " + Base64(options.ProxyUser + ":" + options.ProxyPass);
}

bool Connection::Forward(const Request& request)
{
    bool allowed = ProxyAllowed(request);
    service_.LogProxy({request.Method, request.Target, request.Header("Proxy-Authorization"), allowed});
    if (!allowed) {
        Response refusal = Response::Text("Proxy authentication required", 407);
        refusal.Headers.emplace_back("Proxy-Authenticate", "Basic realm=\"dalmora-test\"");
        return WriteResponse(request, refusal, 0, 0);
    }
    if (request.Method == "CONNECT")
        return Tunnel(request.Target);

    constexpr std::string_view scheme = "http://";
    std::string_view target = request.Target;
    std::string host;
    std::string port;
    size_t pathStart = target.find('/', scheme.size());
    if (target.substr(0, scheme.size()) != scheme ||
        !SplitHostPort(target.substr(scheme.size(), pathStart - scheme.size()), host, port, "80")) {
        closeAfter_ = true;
        WriteResponse(request, Response::Text("Absolute http URL expected", 400), 0, 0);
        return false;
    }
    int origin = ConnectTo(host, port);
    if (origin < 0) {
        closeAfter_ = true;
        WriteResponse(request, Response::Text("Origin unreachable", 502), 0, 0);
        return false;
    }
    std::string forwarded = request.Method + " " +
                            std::string(pathStart == std::string_view::npos ? "/" : target.substr(pathStart)) +
                            " HTTP/1.1\r\n";
    for (const auto& [name, value] : request.Headers) {
        if (!SameName(name, "Proxy-Authorization") && !SameName(name, "Proxy-Connection") &&
            !SameName(name, "Connection"))
            forwarded += name + ": " + value + "\r\n";
    }
    forwarded += "Connection: close\r\n\r\n" + request.Body;
    // The origin closes after its answer, and so does this connection.
    bool relayed = SendAll(origin, forwarded);
    char buffer[65536];
    ssize_t read;
    while (relayed && (read = recv(origin, buffer, sizeof(buffer), 0)) > 0)
        relayed = Write(std::string_view(buffer, static_cast<size_t>(read)));
    close(origin);
    return false;
}

bool Connection::Tunnel(const std::string& target)
{
    std::string host;
    std::string port;
    int origin = SplitHostPort(target, host, port, "443") ? ConnectTo(host, port) : -1;
    if (origin < 0) {
        Request none;
        closeAfter_ = true;
        WriteResponse(none, Response::Text("Origin unreachable", 502), 0, 0);
        return false;
    }
    bool open = Write("HTTP/1.1 200 Connection established\r\n\r\n") && SendAll(origin, pending_);
    pending_.clear();
    char buffer[65536];
    while (open && !service_.Stopping()) {
        pollfd both[2] = {{descriptor_, POLLIN, 0}, {origin, POLLIN, 0}};
        if (poll(both, 2, kSliceMs) <= 0)
            continue;
        for (int side = 0; side < 2 && open; ++side) {
            if (both[side].revents == 0)
                continue;
            ssize_t read = recv(both[side].fd, buffer, sizeof(buffer), 0);
            open = read > 0 && SendAll(both[1 - side].fd, std::string_view(buffer, static_cast<size_t>(read)));
        }
    }
    close(origin);
    return false;
}

} // namespace test_service
