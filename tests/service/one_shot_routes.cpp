#include "tests/service/one_shot_routes.h"

#include "tests/service/test_service.h"

#include <cstdlib>

namespace test_service {

namespace {

constexpr const char* kLinkPath = "/login";

uint32_t Number(const FormFields& fields, const char* key)
{
    return static_cast<uint32_t>(std::strtoul(FieldValue(fields, key).c_str(), nullptr, 10));
}

std::string Resno(int value)
{
    return Element("resno", std::to_string(value));
}

} // namespace

OneShotRoutes::OneShotRoutes(TestService& service, AccountService& accounts) : service_(service), accounts_(accounts)
{
    accounts_.RouteOwnFormat("username-exists", [this](const FormFields& fields, const Account*) {
        Account found = accounts_.AccountByLogin(FieldValue(fields, "Username"));
        if (found.UserID == 0)
            return Element("result", "0");
        return Element("result", "OK") + Element("UsernameEmail", found.Email);
    });
    auto freeTest = [this](const FormFields& fields, const Account*) {
        bool taken = accounts_.AccountByLogin(FieldValue(fields, "Username")).UserID != 0;
        return Element("result", taken ? "Exists" : "NotFound");
    };
    accounts_.RouteOwnFormat("username-path-not-exists", freeTest);
    accounts_.RouteOwnFormat("email-not-exists", freeTest);
    accounts_.RouteOwnFormat("create-new-account",
                             [this](const FormFields& fields, const Account*) { return CreateNewAccount(fields); });

    accounts_.RouteOwnFormat("get-alert-on-display-status", [this](const FormFields& fields, const Account*) {
        if (Authenticate(fields).UserID == 0)
            return Resno(0);
        return Resno(AlertHandled(Number(fields, "AlertID")) ? 2 : 1);
    });
    accounts_.RouteOwnFormat("delete-accepted-alert", [this](const FormFields& fields, const Account*) {
        if (Authenticate(fields).UserID == 0)
            return Resno(0);
        std::string sent = FieldValue(fields, "AlertID");
        auto id = static_cast<uint32_t>(std::strtol(sent.c_str(), nullptr, 10));
        std::function<void(uint32_t)> tombstone;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            handledAlerts_.insert(id);
            tombstone = tombstone_;
        }
        if (tombstone)
            tombstone(id);
        return Resno(1) + Element("alert-deleted", sent);
    });
    accounts_.RouteOwnFormat("get-one-time-login-link", [this](const FormFields& fields, const Account*) {
        if (Authenticate(fields).UserID == 0)
            return Resno(0);
        std::string token;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            token = "t" + std::to_string(nextToken_++);
            tokens_.insert(token);
        }
        return Resno(1) + Element("result", service_.BaseUrl() + kLinkPath + "?token=" + token);
    });
    accounts_.RouteOwnFormat("flag-message-for-users", [this](const FormFields& fields, const Account*) {
        Account account = Authenticate(fields);
        if (account.UserID == 0)
            return Resno(0);
        const uint32_t messageId = Number(fields, "ItemID");
        accounts_.ChangeAccount(account.UserID, [messageId](Account& flagged) {
            if (flagged.Message.ID == messageId)
                flagged.Message = PendingMessage();
        });
        std::lock_guard<std::mutex> guard(mutex_);
        flagged_.insert({account.UserID, messageId});
        return Resno(1);
    });
    service_.Route(kLinkPath, [this](const Request& request) {
        std::lock_guard<std::mutex> guard(mutex_);
        size_t at = request.Query.find("token=");
        std::string token = at == std::string::npos ? "" : request.Query.substr(at + 6);
        token = token.substr(0, token.find('&'));
        if (tokens_.erase(token) == 0)
            return Response::Text("<html><body>Neplatn\xFD odkaz.</body></html>", 403);
        ++pagesServed_;
        return Response::Text("<html><body>P\xF8ihl\xE1\x9A" "eno.</body></html>");
    });
}

Account OneShotRoutes::Authenticate(const FormFields& fields) const
{
    Account account = accounts_.AccountByLogin(FieldValue(fields, "Username"));
    if (account.UserID == 0 || account.Password != FieldValue(fields, "Pass"))
        return Account();
    return account;
}

std::string OneShotRoutes::CreateNewAccount(const FormFields& fields)
{
    std::string login = FieldValue(fields, "Username");
    std::string path = FieldValue(fields, "UsernamePath");
    if (accounts_.AccountByLogin(login).UserID != 0)
        return Element("result", "UsernameExists");
    if (accounts_.AccountByLogin(path).UserID != 0)
        return Element("result", "PathExists");
    Account account;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        account.UserID = nextUserId_++;
        account.MainOrganizer = nextOrganizerId_++;
    }
    account.Password = FieldValue(fields, "Pass");
    account.UserName = path;
    // Without "@" the login is a second user name; aliases are what count.
    account.Email = login.find('@') != std::string::npos ? login : std::string();
    if (account.Email.empty() && login != path)
        account.DigitsLogin = login;
    accounts_.AddAccount(account);
    return Element("result", "AccountCreated");
}

void OneShotRoutes::MarkAlertHandled(uint32_t alertId)
{
    std::lock_guard<std::mutex> guard(mutex_);
    handledAlerts_.insert(alertId);
}

void OneShotRoutes::ClearAlertHandled(uint32_t alertId)
{
    std::lock_guard<std::mutex> guard(mutex_);
    handledAlerts_.erase(alertId);
}

void OneShotRoutes::OnAlertDeleted(std::function<void(uint32_t)> tombstone)
{
    std::lock_guard<std::mutex> guard(mutex_);
    tombstone_ = std::move(tombstone);
}

bool OneShotRoutes::AlertHandled(uint32_t alertId) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return handledAlerts_.count(alertId) != 0;
}

bool OneShotRoutes::MessageFlagged(uint32_t userId, uint32_t messageId) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return flagged_.count({userId, messageId}) != 0;
}

int OneShotRoutes::LinkPagesServed() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return pagesServed_;
}

} // namespace test_service
