#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_service {

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

// Header names and such tokens compare without regard to A–Z case.
bool SameName(std::string_view a, std::string_view b);

// The value of the first header of that name (any case), empty when none.
std::string FindHeader(const HeaderFields& headers, std::string_view name);
bool HasHeader(const HeaderFields& headers, std::string_view name);

// One request as it arrived, with its target split into path and query.
struct Request {
    std::string Method;
    std::string Target;
    std::string Path;
    std::string Query;
    HeaderFields Headers;
    std::string Body;
    // Connections are numbered from 1 in the order they were accepted.
    int Connection = 0;

    std::string Header(std::string_view name) const { return FindHeader(Headers, name); }
};

struct Response {
    int Status = 200;
    // Empty for the usual text of the status.
    std::string Reason;
    // Written after Content-Type and Content-Length.
    HeaderFields Headers;
    std::string Body;
    // Closes the connection abortively instead of answering.
    bool CloseWithoutAnswer = false;
    // Announces the whole body, sends this many bytes and closes; 0 = all.
    size_t CutAfter = 0;
    // A hostile body in place of Body: 200 without a length and bytes as
    // fast as the client takes them, until it closes (at most 8 GiB).
    bool EndlessBody = false;
    // A hostile body in place of Body: this length announced, a piece sent,
    // the connection held until the client closes. 0: none.
    uint64_t DeclaredLength = 0;
    // Runs once the whole answer was written to a connection that was still
    // open just before the write.
    std::function<void()> Written;

    static Response Text(std::string body, int status = 200);
};

using Handler = std::function<Response(const Request&)>;

// What a path does instead of its normal answer, for a number of requests.
struct Fault {
    enum class Kind {
        // Holds the request for Milliseconds, then answers it; 0 holds it
        // until the client closes.
        Stall,
        // Closes the connection abortively without an answer.
        Reset,
        // Answers Status (300–307) with a Location header.
        Redirect,
        // Answers Status with Body.
        Status,
        // Announces the whole normal body, sends CutAfter bytes and closes.
        CutBody,
        // Sends the normal answer's body at BytesPerSecond.
        SlowBody,
    };
    Kind Type = Kind::Status;
    int Milliseconds = 0;
    int Status = 500;
    std::string Location;
    std::string Body;
    size_t CutAfter = 0;
    int BytesPerSecond = 0;

    static Fault Stall(int milliseconds);
    static Fault Reset();
    static Fault Redirect(int status, std::string location);
    static Fault WithStatus(int status, std::string body);
    static Fault CutBody(size_t after);
    static Fault SlowBody(int bytesPerSecond);
};

// Number of requests a fault stays armed for, or kAlways.
constexpr int kAlways = -1;

// A request the client should never have sent in this form.
struct Violation {
    // "raw", "escape", "key", "repeat", "pair", "hex-case" or "over-encoded".
    std::string Kind;
    std::string Path;
    std::string Key;
    std::string Detail;
};

struct LoggedRequest {
    int Connection = 0;
    std::string Method;
    std::string Target;
    HeaderFields Headers;
    std::string Body;
};

struct ProxyLogEntry {
    // "CONNECT" for a tunnel, else the forwarded method.
    std::string Method;
    // As the client wrote it: an absolute URL, or host:port for CONNECT.
    std::string Target;
    // The Proxy-Authorization header as received, empty when none.
    std::string Authorization;
    bool Allowed = false;
};

} // namespace test_service
