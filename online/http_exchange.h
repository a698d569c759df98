#pragma once

#include "online/transport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Bounds of an answer body. The largest page of the account protocol is far
// below the first; a picture and an update chunk have their own. A longer
// answer is cut off and the exchange fails as a transport error.
constexpr uint64_t kMaxAccountAnswerBytes = 64ull << 20;
constexpr uint64_t kMaxPictureAnswerBytes = 32ull << 20;
constexpr uint64_t kMaxSimpleAnswerBytes = 8ull << 20;
// The header lines of one answer.
constexpr uint64_t kMaxAnswerHeaderBytes = 1ull << 20;

// One HTTP exchange on the calling thread's libcurl handle: the part that
// TNDownload and TNWebSend share. Redirects are never followed here.
struct TNHttpRequest {
    // "GET", "POST" (with Body) or another method sent without a body.
    std::string Method = "GET";
    std::string Url;
    std::string_view Body;
    std::string UserAgent;
    // Whole header lines, sent in this order after libcurl's own.
    std::vector<std::string> Headers;
    // Cookie lines, one a line, in the form the answer's cookies come back in.
    std::string Cookies;
    TNProxySettings Proxy;
    const TNCancelCheck* Cancel = nullptr;
    uint64_t MaxBodyBytes = kMaxAccountAnswerBytes;
    // Tighter bounds than the transport's for this exchange; 0 keeps the
    // transport's.
    int32_t MaxConnectMs = 0;
    int32_t MaxTotalMs = 0;
};

struct TNHttpAnswer {
    // True when a whole answer arrived, whatever its status.
    bool Received = false;
    // The status, 0 when none was read.
    int32_t StatusCode = 0;
    // The status line's reason, or the client's error text on failure.
    std::string StatusText;
    // The header lines of the final answer, each ending with CR LF.
    std::string Headers;
    std::string Body;
    // Every cookie the client holds after the exchange, one a line.
    std::string Cookies;
};

TNHttpAnswer PerformHttpExchange(const TNHttpRequest& request);

// Scheme, host and port of an absolute http or https URL (the port filled
// in from the scheme when absent).
struct TNUrlParts {
    std::string Scheme;
    std::string Host;
    std::string Port;
};
bool SplitAbsoluteUrl(const std::string& url, TNUrlParts& parts);

// A Location value resolved against the URL of the request that got it.
// False when the result is not an http or https URL.
bool ResolveLocation(const std::string& requestUrl, const std::string& location, std::string& resolved);

// Writes an answer body to a file through a temporary file in its folder, so
// a failed write leaves nothing behind.
bool SaveAnswerBody(const std::string& path, std::string_view body);
