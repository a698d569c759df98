#pragma once

// Shared set-up of the online tests: the program's globals and libcurl once
// per process, short transport time-outs, and a test service per test.

#include "online/transport.h"
#include "tests/service/test_service.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace online_test {

// The forms a password (CP1250) could take in a log or an output: its
// CP1250 bytes, UTF-8, percent-encoded (space as "+" or "%20", either hex
// case, of either byte form) and entity-escaped.
std::vector<std::string> PasswordForms(const std::string& cp1250);
// The first of those forms that `text` holds; empty when none.
std::string FindPasswordForm(const std::string& text, const std::string& cp1250);

// What the tests use instead of the program's time-outs.
TNTransportConfig ShortTimeouts(const std::string& caFile = "");

// Sets a transport configuration for its scope; the defaults come back after.
class ScopedTransportConfig {
public:
    explicit ScopedTransportConfig(const TNTransportConfig& config) { SetTransportConfig(config); }
    ~ScopedTransportConfig() { SetTransportConfig(TNTransportConfig()); }
    ScopedTransportConfig(const ScopedTransportConfig&) = delete;
    ScopedTransportConfig& operator=(const ScopedTransportConfig&) = delete;
};

// The proxy settings of the signed-in user, for the scope.
class ScopedProxySettings {
public:
    ScopedProxySettings(bool use, const std::string& host, const std::string& port, bool auth = false,
                        const std::string& user = "", const std::string& pass = "");
    ~ScopedProxySettings();
    ScopedProxySettings(const ScopedProxySettings&) = delete;
    ScopedProxySettings& operator=(const ScopedProxySettings&) = delete;
};

// A started plain-HTTP test service with short time-outs; every test ends
// with an empty violation list.
class ServiceTest : public ::testing::Test {
protected:
    ServiceTest() : config_(ShortTimeouts()) {}
    void SetUp() override;
    void TearDown() override;

    std::string Url(const std::string& path) const { return service_.BaseUrl() + path; }

    test_service::TestService service_;

private:
    ScopedTransportConfig config_;
};

// A port on loopback that refuses connections.
uint16_t DeadPort();

} // namespace online_test
