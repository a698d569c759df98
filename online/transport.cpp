#include "online/transport.h"

#include "foundation/setup.h"

#include <curl/curl.h>
#include <malloc.h>

#include <atomic>
#include <csignal>
#include <mutex>

namespace {

std::atomic<bool> allCancelled{false};
std::mutex configMutex;
TNTransportConfig& Config()
{
    static TNTransportConfig config;
    return config;
}

} // namespace

void InitTransport()
{
    static std::once_flag once;
    std::call_once(once, [] {
        std::signal(SIGPIPE, SIG_IGN);
        // Answers are large and short-lived. With its threshold fixed, the
        // allocator maps every block of 1 MiB and more on its own and gives
        // it back when freed; left to adjust itself it would serve the next
        // answer from its arenas and keep that memory after it.
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
}

void SetTransportConfig(const TNTransportConfig& config)
{
    std::lock_guard<std::mutex> guard(configMutex);
    Config() = config;
}

TNTransportConfig GetTransportConfig()
{
    std::lock_guard<std::mutex> guard(configMutex);
    return Config();
}

void CancelAllTransfers()
{
    allCancelled.store(true);
}

bool TransfersCancelled()
{
    return allCancelled.load();
}

TNProxySettings TNProxySettings::FromSetup()
{
    TNProxySettings proxy;
    proxy.Use = Setup.GetBool("Proxy_Pouzivat");
    proxy.Host = Setup.GetString("Proxy_Host");
    proxy.Port = Setup.GetString("Proxy_Port");
    proxy.Auth = Setup.GetBool("Proxy_Overovat");
    proxy.User = Setup.GetString("Proxy_User");
    proxy.Pass = Setup.GetString("Proxy_Pass");
    return proxy;
}
