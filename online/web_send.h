#pragma once

#include "foundation/string.h"
#include "online/transport.h"
#include "online/web_answer.h"

#include <cstdint>
#include <memory>

// The simple request of the update service: one GET (or another method
// without a body) whose fields travel in the URL's query, its answer taken
// as counted bytes and, on request, parsed as bracketed items.
class TNWebSend {
public:
    static constexpr int32_t kAnswered = 1;
    static constexpr int32_t kFailed = -1;
    static constexpr int32_t kException = -2;

    // The answer body; "OK" for an empty one, empty after a failure.
    TNString DocumentText;
    TNString CookiesText;
    TNString HeadersText;
    // Created by Send when parsing is asked for.
    std::unique_ptr<TNWebAnswer> Answer;
    bool UseProxy = false;
    TNString ProxyHost;
    TNString ProxyPort;
    bool ProxyAuth = false;
    TNString ProxyUser;
    TNString ProxyPass;

    // Null texts store empty ones.
    void Set(bool useProxy, const char* host, const char* password, const char* user, bool needsAuth, const char* port);

    // 1 when an answer arrived, -1 when the request failed, -2 on an exception.
    // With sendHeaders, HeadersText's lines go out as request headers; with
    // takeHeaders and takeCookies they and CookiesText take the answer's.
    int32_t Send(const char* url, const char* method, bool sendHeaders, bool takeHeaders, bool takeCookies,
                 const char* saveToFile, bool parse, const TNCancelCheck& cancel = {});
};

// The decimal text of a number.
TNString IntToAnsiString(int32_t number);
