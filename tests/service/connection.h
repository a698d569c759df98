#pragma once

#include "tests/service/service_types.h"

#include <string>
#include <string_view>

typedef struct ssl_st SSL;

namespace test_service {

class TestService;

// One accepted connection of the test service, served on its own thread:
// requests one after another until the client closes, the service stops or
// a fault ends it.
class Connection {
public:
    Connection(TestService& service, int descriptor, int number);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Serve();

private:
    enum class ReadResult { Request, Closed, Bad };

    // Byte stream over the socket, through TLS when the service has it.
    int ReadSome(char* buffer, size_t size);
    bool Write(std::string_view data);
    // Waits for input up to the time-out; false when the client closed or
    // the service stops.
    bool WaitReadable(int timeoutMs);
    bool ClientClosed();
    void ResetAbortively();

    ReadResult ReadRequest(Request& request);
    bool ReadExactly(size_t size, std::string& out);

    // The answer of a request at the origin, faults included; false when the
    // connection must end.
    bool Answer(const Request& request);
    bool Stall(int milliseconds);
    bool WriteEndlessBody();
    bool WriteDeclaredLength(uint64_t length);
    bool WriteResponse(const Request& request, const Response& response, size_t cutAfter, int bytesPerSecond);
    void CheckForm(const Request& request);

    // Forward-proxy mode.
    bool Forward(const Request& request);
    bool Tunnel(const std::string& target);
    bool ProxyAllowed(const Request& request) const;

    TestService& service_;
    int descriptor_;
    int number_;
    SSL* ssl_ = nullptr;
    // Bytes read past the end of the last request.
    std::string pending_;
    bool closeAfter_ = false;
};

} // namespace test_service
