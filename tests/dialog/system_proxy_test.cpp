// The proxy the environment names, split for the proxy page.

#include "dialog/system_proxy.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(SystemProxy, TakesTheFirstVariableAndSplitsAtTheLastColon)
{
    struct Row {
        const char* name;
        std::map<std::string, std::string> environment;
        bool enabled;
        bool parsed;
        const char* host;
        const char* port;
    };
    const Row rows[] = {
        {"host and port", {{"https_proxy", "proxy.example:8080"}}, true, true, "proxy.example", "8080"},
        {"the first non-empty wins",
         {{"https_proxy", ""}, {"HTTPS_PROXY", "first.example:1"}, {"http_proxy", "second.example:2"}},
         true,
         true,
         "first.example",
         "1"},
        {"IPv6 without a port", {{"ALL_PROXY", "[::1]"}}, true, true, "[::1]", ""},
        {"query dropped", {{"http_proxy", "h.example:3128?x=1"}}, true, true, "h.example", "3128"},
        {"nothing", {}, false, false, "", ""},
        {"only a user", {{"http_proxy", "http://user@"}}, true, false, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TNSystemProxy proxy = ReadSystemProxy([&](const char* name) -> const char* {
            auto found = row.environment.find(name);
            return found != row.environment.end() ? found->second.c_str() : nullptr;
        });
        EXPECT_EQ(proxy.Enabled, row.enabled);
        EXPECT_EQ(proxy.Parsed, row.parsed);
        EXPECT_EQ(proxy.Host, row.host);
        EXPECT_EQ(proxy.Port, row.port);
    }
}

} // namespace
