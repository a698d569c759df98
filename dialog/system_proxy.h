#pragma once

#include <functional>
#include <string>

// The proxy the environment names, split as the proxy page fills its edits.
struct TNSystemProxy {
    // A proxy variable is set.
    bool Enabled = false;
    // The value named a host; false leaves the page's "Chyba" box.
    bool Parsed = false;
    std::string Host;
    std::string Port;
};

// Reads the first non-empty of https_proxy, HTTPS_PROXY, http_proxy,
// HTTP_PROXY, all_proxy and ALL_PROXY through `lookup` (null for none set).
// The scheme, the user part and the path are dropped; the rest is split at
// its last colon outside brackets; a value without a port keeps it empty.
TNSystemProxy ReadSystemProxy(const std::function<const char*(const char*)>& lookup);
