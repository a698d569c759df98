#include "tests/service/records_ids_route.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace test_service {

RecordsIdsRoute::RecordsIdsRoute(AccountService& accounts, SyncService& sync) : sync_(sync)
{
    accounts.RouteApi("get-list-of-organizers-all-records-ids",
                      [this](const FormFields& fields, const Account* account) {
                          if (account == nullptr)
                              return "<handshake>0</handshake>" + Element("Response", "Chyb\xED u\x9Eivatel.");
                          return RecordsIds(fields, *account);
                      });
}

std::string RecordsIdsRoute::RecordsIds(const FormFields& fields, const Account& account)
{
    uint32_t organizerId = static_cast<uint32_t>(std::strtoul(FieldValue(fields, "OrganizerID").c_str(), nullptr, 10));
    int origin = 0;
    int subscribe = 0;
    std::vector<uint32_t> ids;
    if (sync_.Relation(account.UserID, organizerId, &origin, &subscribe)) {
        for (const StoredItem& record : sync_.Items(kRecords)) {
            if (record.Deleted == 0 && record.Number("OrganizerID") == organizerId)
                ids.push_back(record.ID);
        }
    }
    std::sort(ids.begin(), ids.end());
    std::string list;
    for (uint32_t id : ids)
        list += std::to_string(id) + ";";
    std::string count = std::to_string(ids.size());
    return "<handshake>1</handshake>" + Element("organizer-id", std::to_string(organizerId)) +
           Element("pim-srv-pos", FieldValue(fields, "pimSrvPos")) +
           Element("last-id", std::to_string(ids.empty() ? 0 : ids.back())) + Element("records-count", count) +
           Element("real-count", count) + "<records-ids>" + list + "</records-ids>";
}

} // namespace test_service
