#pragma once

// The transport as the shell's network tests use it: libcurl started, short
// time-outs for the scope, and the user's proxy settings.

#include "foundation/setup.h"
#include "online/transport.h"

#include <string>

namespace shell_test {

class ScopedShortTimeouts {
public:
    ScopedShortTimeouts()
    {
        InitTransport();
        TNTransportConfig config;
        config.ConnectTimeoutMs = 1000;
        config.LowSpeedSeconds = 1;
        config.TotalTimeoutMs = 1500;
        SetTransportConfig(config);
    }
    ~ScopedShortTimeouts() { SetTransportConfig(TNTransportConfig()); }
    ScopedShortTimeouts(const ScopedShortTimeouts&) = delete;
    ScopedShortTimeouts& operator=(const ScopedShortTimeouts&) = delete;
};

inline void SetProxySettings(bool use, const std::string& host, const std::string& port, bool auth,
                             const std::string& user, const std::string& pass)
{
    ::Setup.SetValue("Proxy_Pouzivat", use ? 1 : 0, TNSetupItem::kBool);
    ::Setup.SetString("Proxy_Host", host.c_str(), TNSetupItem::kText8);
    ::Setup.SetString("Proxy_Port", port.c_str(), TNSetupItem::kText8);
    ::Setup.SetValue("Proxy_Overovat", auth ? 1 : 0, TNSetupItem::kBool);
    ::Setup.SetString("Proxy_User", user.c_str(), TNSetupItem::kText8);
    ::Setup.SetString("Proxy_Pass", pass.c_str(), TNSetupItem::kText8);
}

} // namespace shell_test
