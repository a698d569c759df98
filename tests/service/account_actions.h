#pragma once

#include "tests/service/account_service.h"
#include "tests/service/sync_service.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace test_service {

class OneShotRoutes;

// The account actions of the service: the basic profile, answers to
// contact requests, the notifications' read mark, subscriptions, postponed
// alerts, the statistics reports and the deletion of a recurring series.
class AccountActions {
public:
    // `oneShot`, when given, forgets the handled mark of a postponed alert.
    AccountActions(AccountService& accounts, SyncService& sync, OneShotRoutes* oneShot = nullptr);

    // The clock of the times it writes (Unix seconds); unset: the system's.
    void SetClock(std::function<int64_t()> clock);

    // ---- Inspection.
    // Reports of a "StatsType" received.
    int StatsCount(const std::string& kind) const;
    // The last "ExtendedStats" text received.
    std::string LastExtendedStats() const;
    // The address a "change-email" left waiting for the user's confirmation,
    // with its slot; empty when none waits.
    std::string PendingEmail(uint32_t userId, int* slot = nullptr) const;
    // ---- Acting as the user who clicks the confirmation link: a primary
    // address becomes the account's e-mail. False when none waits.
    bool ConfirmPendingEmail(uint32_t userId);

private:
    std::string SaveBasicProfile(const FormFields& fields, const Account& account);
    std::string AnswerContactRequest(const FormFields& fields, const Account& account, int acceptance);
    std::string MarkNotificationsRead(const Account& account);
    std::string Subscribe(const FormFields& fields, const Account& account);
    std::string PostponeAlert(const FormFields& fields, const Account& account);
    std::string SendStats(const FormFields& fields);
    std::string DeleteRecurringRecord(const FormFields& fields, const Account& account);
    std::string ChangePassword(const FormFields& fields, const Account& account);
    std::string ChangeEmail(const FormFields& fields, const Account& account);
    // A contact entry of `owner` for the user `other`.
    void AddContact(const Account& owner, const Account& other);
    int64_t Now() const;

    AccountService& accounts_;
    SyncService& sync_;
    OneShotRoutes* oneShot_;
    mutable std::mutex mutex_;
    std::function<int64_t()> clock_;
    std::map<std::string, int> stats_;
    std::string lastExtendedStats_;
    struct PendingAddress {
        int Slot = 0;
        std::string Email;
    };
    std::map<uint32_t, PendingAddress> pendingEmails_;
};

} // namespace test_service
