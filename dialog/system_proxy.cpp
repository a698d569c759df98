#include "dialog/system_proxy.h"

#include <array>

namespace {

constexpr std::array<const char*, 6> kVariables = {"https_proxy", "HTTPS_PROXY", "http_proxy",
                                                   "HTTP_PROXY",  "all_proxy",   "ALL_PROXY"};

// "scheme://user:pw@host:port/path" less everything but "host:port".
std::string HostAndPort(std::string value)
{
    const size_t scheme = value.find("://");
    if (scheme != std::string::npos)
        value.erase(0, scheme + 3);
    const size_t path = value.find_first_of("/?#");
    if (path != std::string::npos)
        value.erase(path);
    const size_t user = value.rfind('@');
    if (user != std::string::npos)
        value.erase(0, user + 1);
    return value;
}

} // namespace

TNSystemProxy ReadSystemProxy(const std::function<const char*(const char*)>& lookup)
{
    TNSystemProxy proxy;
    std::string value;
    for (const char* name : kVariables) {
        const char* text = lookup(name);
        if (text != nullptr && *text != '\0') {
            value = text;
            break;
        }
    }
    if (value.empty())
        return proxy;
    proxy.Enabled = true;
    const std::string address = HostAndPort(value);
    // A colon inside the brackets of an IPv6 host is not the port's.
    const size_t bracket = address.rfind(']');
    const size_t colon = address.rfind(':');
    if (colon != std::string::npos && (bracket == std::string::npos || colon > bracket)) {
        proxy.Host = address.substr(0, colon);
        proxy.Port = address.substr(colon + 1);
    } else {
        proxy.Host = address;
    }
    proxy.Parsed = !proxy.Host.empty();
    return proxy;
}
