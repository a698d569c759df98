#pragma once

#include "tests/service/account_service.h"
#include "tests/service/sync_service.h"

namespace test_service {

// "get-list-of-organizers-all-records-ids": every live record id of an
// organizer the user is related to, ascending, all in one answer.
class RecordsIdsRoute {
public:
    RecordsIdsRoute(AccountService& accounts, SyncService& sync);

private:
    std::string RecordsIds(const FormFields& fields, const Account& account);

    SyncService& sync_;
};

} // namespace test_service
