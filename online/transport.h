#pragma once

#include "foundation/string.h"

#include <cstdint>
#include <functional>
#include <string>

// Settings every request of the transport uses. The program keeps the
// defaults; tests and test drivers shorten the time-outs and name the test
// CA. Nothing here is ever read from the environment.
struct TNTransportConfig {
    int32_t ConnectTimeoutMs = 15000;
    // A transfer slower than LowSpeedBytesPerSecond for LowSpeedSeconds ends.
    int32_t LowSpeedBytesPerSecond = 1;
    int32_t LowSpeedSeconds = 60;
    // The whole request, redirects counted one by one.
    int32_t TotalTimeoutMs = 120000;
    // Redirects followed in a row before the call fails.
    int32_t MaxRedirects = 5;
    // A PEM file of CAs that replaces the system store; empty for the system store.
    std::string CaFile;
    // False makes every call use a fresh client handle, as a baseline for
    // measuring what the kept per-thread handle saves.
    bool ReuseHandle = true;
};

// Once per process, before any thread starts: sets up libcurl and ignores
// SIGPIPE, since a TLS write to a closed connection would otherwise end the
// program.
void InitTransport();

void SetTransportConfig(const TNTransportConfig& config);
TNTransportConfig GetTransportConfig();

// For the end of the program: every transfer under way fails at its next
// poll, and every later one fails at once. There is no way back.
void CancelAllTransfers();
bool TransfersCancelled();

// Polled about once a second and more often while data flows; true ends the
// call as a failure.
using TNCancelCheck = std::function<bool()>;

// The proxy a request goes through; none unless Use is set.
struct TNProxySettings {
    bool Use = false;
    TNString Host;
    TNString Port;
    bool Auth = false;
    TNString User;
    TNString Pass;

    // "Proxy_Pouzivat", "Proxy_Host", "Proxy_Port", "Proxy_Overovat",
    // "Proxy_User" and "Proxy_Pass" of the settings.
    static TNProxySettings FromSetup();
};
