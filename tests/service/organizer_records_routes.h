#pragma once

#include "tests/service/account_service.h"
#include "tests/service/sync_service.h"

#include <string>
#include <vector>

namespace test_service {

// The requests of the request queue about all records of one organizer:
// "get-list-of-organizers-all-records-ids", every live record id of an
// organizer the user is related to, ascending, all in one answer; and
// "get-available-records-of-public-organizer", every live record of a public
// or related organizer, ordered by begin.
class OrganizerRecordsRoutes {
public:
    OrganizerRecordsRoutes(AccountService& accounts, SyncService& sync);

private:
    std::string RecordsIds(const FormFields& fields, const Account& account);
    std::string PublicRecords(const FormFields& fields, const Account& account);
    // The live records of the organizer.
    std::vector<StoredItem> LiveRecords(uint32_t organizerId) const;

    SyncService& sync_;
};

} // namespace test_service
