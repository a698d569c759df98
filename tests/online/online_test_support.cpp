#include "tests/online/online_test_support.h"

#include "foundation/globals.h"
#include "foundation/setup.h"
#include "platform/core/codepage.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace online_test {

namespace {

// libcurl and the program's globals, before any test starts a thread.
class OnlineEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("TZ", "Europe/Prague", 1);
        InitTransport();
        if (!GlobalsConstructed()) {
            ASSERT_TRUE(ConstructGlobals());
        }
    }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new OnlineEnvironment);

} // namespace

namespace {

std::string PercentEncoded(const std::string& bytes, const char* space, const char* digits)
{
    std::string out;
    for (unsigned char byte : bytes) {
        if (std::isalnum(byte) || byte == '-' || byte == '_' || byte == '.' || byte == '~') {
            out += static_cast<char>(byte);
        } else if (byte == ' ') {
            out += space;
        } else {
            out += '%';
            out += digits[byte >> 4];
            out += digits[byte & 15];
        }
    }
    return out;
}

std::string EntityEscaped(const std::string& text)
{
    std::string out;
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

} // namespace

std::vector<std::string> PasswordForms(const std::string& cp1250)
{
    const std::string utf8 = plat::Cp1250ToUtf8(cp1250);
    std::vector<std::string> forms{cp1250, utf8, EntityEscaped(cp1250), EntityEscaped(utf8)};
    for (const std::string& bytes : {cp1250, utf8})
        for (const char* space : {"+", "%20"})
            for (const char* digits : {"0123456789ABCDEF", "0123456789abcdef"})
                forms.push_back(PercentEncoded(bytes, space, digits));
    return forms;
}

std::string FindPasswordForm(const std::string& text, const std::string& cp1250)
{
    for (const std::string& form : PasswordForms(cp1250))
        if (text.find(form) != std::string::npos)
            return form;
    return "";
}

TNTransportConfig ShortTimeouts(const std::string& caFile)
{
    TNTransportConfig config;
    config.ConnectTimeoutMs = 1000;
    config.LowSpeedSeconds = 1;
    config.TotalTimeoutMs = 1500;
    config.CaFile = caFile;
    return config;
}

ScopedProxySettings::ScopedProxySettings(bool use, const std::string& host, const std::string& port, bool auth,
                                         const std::string& user, const std::string& pass)
{
    Setup.SetValue("Proxy_Pouzivat", use ? 1 : 0, TNSetupItem::kBool);
    Setup.SetString("Proxy_Host", host.c_str(), TNSetupItem::kText8);
    Setup.SetString("Proxy_Port", port.c_str(), TNSetupItem::kText8);
    Setup.SetValue("Proxy_Overovat", auth ? 1 : 0, TNSetupItem::kBool);
    Setup.SetString("Proxy_User", user.c_str(), TNSetupItem::kText8);
    Setup.SetString("Proxy_Pass", pass.c_str(), TNSetupItem::kText8);
}

ScopedProxySettings::~ScopedProxySettings()
{
    Setup.SetValue("Proxy_Pouzivat", 0, TNSetupItem::kBool);
    Setup.SetValue("Proxy_Overovat", 0, TNSetupItem::kBool);
    for (const char* key : {"Proxy_Host", "Proxy_Port", "Proxy_User", "Proxy_Pass"})
        Setup.Remove(key);
}

void ServiceTest::SetUp()
{
    ASSERT_TRUE(service_.Start());
}

void ServiceTest::TearDown()
{
    service_.Stop();
    for (const test_service::Violation& violation : service_.Violations())
        ADD_FAILURE() << "violation " << violation.Kind << " at " << violation.Path << " key " << violation.Key << " "
                      << violation.Detail;
}

uint16_t DeadPort()
{
    // A port that was just free; nothing listens on it.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

} // namespace online_test
