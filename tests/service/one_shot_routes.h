#pragma once

#include "tests/service/account_service.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

namespace test_service {

class TestService;

// The requests of their own format: the login and new-account tests, the
// account creation (section 8.B) and the one-shot requests with credentials
// (section 8.C), with the small page behind a one-time login link.
class OneShotRoutes {
public:
    OneShotRoutes(TestService& service, AccountService& accounts);

    // ---- Controls.
    // The alert counts as handled (get-alert-on-display-status answers 2).
    void MarkAlertHandled(uint32_t alertId);
    // A postponed alert is to be shown again.
    void ClearAlertHandled(uint32_t alertId);
    // Told every alert that delete-accepted-alert tombstoned, so that a data
    // store can send the tombstone with the next download.
    void OnAlertDeleted(std::function<void(uint32_t alertId)> tombstone);
    // ---- Inspection.
    bool AlertHandled(uint32_t alertId) const;
    bool MessageFlagged(uint32_t userId, uint32_t messageId) const;
    // The tokens of the links issued, and whether a page was fetched with it.
    int LinkPagesServed() const;

private:
    std::string CreateNewAccount(const FormFields& fields);
    // The account of the credentials of an own-format request; UserID 0 when
    // they do not match.
    Account Authenticate(const FormFields& fields) const;

    TestService& service_;
    AccountService& accounts_;
    mutable std::mutex mutex_;
    uint32_t nextUserId_ = 2001;
    uint32_t nextOrganizerId_ = 7001;
    uint32_t nextToken_ = 1;
    std::set<uint32_t> handledAlerts_;
    std::set<std::string> tokens_;
    std::set<std::pair<uint32_t, uint32_t>> flagged_;
    std::function<void(uint32_t)> tombstone_;
    int pagesServed_ = 0;
};

} // namespace test_service
