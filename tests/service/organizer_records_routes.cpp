#include "tests/service/organizer_records_routes.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace test_service {

namespace {

uint32_t OrganizerOf(const FormFields& fields)
{
    return static_cast<uint32_t>(std::strtoul(FieldValue(fields, "OrganizerID").c_str(), nullptr, 10));
}

} // namespace

OrganizerRecordsRoutes::OrganizerRecordsRoutes(AccountService& accounts, SyncService& sync) : sync_(sync)
{
    auto route = [&](const char* name,
                     std::string (OrganizerRecordsRoutes::*handler)(const FormFields&, const Account&)) {
        accounts.RouteApi(name, [this, handler](const FormFields& fields, const Account* account) {
            if (account == nullptr)
                return "<handshake>0</handshake>" + Element("Response", "Chyb\xED u\x9Eivatel.");
            return (this->*handler)(fields, *account);
        });
    };
    route("get-list-of-organizers-all-records-ids", &OrganizerRecordsRoutes::RecordsIds);
    route("get-available-records-of-public-organizer", &OrganizerRecordsRoutes::PublicRecords);
}

std::vector<StoredItem> OrganizerRecordsRoutes::LiveRecords(uint32_t organizerId) const
{
    std::vector<StoredItem> records;
    for (StoredItem& record : sync_.Items(kRecords)) {
        if (record.Deleted == 0 && record.Number("OrganizerID") == organizerId)
            records.push_back(std::move(record));
    }
    return records;
}

std::string OrganizerRecordsRoutes::RecordsIds(const FormFields& fields, const Account& account)
{
    uint32_t organizerId = OrganizerOf(fields);
    int origin = 0;
    int subscribe = 0;
    std::vector<uint32_t> ids;
    if (sync_.Relation(account.UserID, organizerId, &origin, &subscribe)) {
        for (const StoredItem& record : LiveRecords(organizerId))
            ids.push_back(record.ID);
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

std::string OrganizerRecordsRoutes::PublicRecords(const FormFields& fields, const Account& account)
{
    uint32_t organizerId = OrganizerOf(fields);
    StoredItem organizer;
    int origin = 0;
    int subscribe = 0;
    std::vector<StoredItem> records;
    if (sync_.Find(kOrganizers, organizerId, organizer) && organizer.Deleted == 0 &&
        (organizer.Number("Visibility") == 1 || sync_.Relation(account.UserID, organizerId, &origin, &subscribe)))
        records = LiveRecords(organizerId);
    std::stable_sort(records.begin(), records.end(), [](const StoredItem& a, const StoredItem& b) {
        return a.Field("DateBegin") + a.Field("TimeBegin") < b.Field("DateBegin") + b.Field("TimeBegin");
    });
    std::vector<uint32_t> ids;
    for (const StoredItem& record : records)
        ids.push_back(record.ID);
    return "<handshake>1</handshake>" + Element("organizer-id", std::to_string(organizerId)) +
           Element("pim-srv-pos", "0") + Element("records-count", std::to_string(ids.size())) + "<records>" +
           sync_.ListedItems(kRecords, ids, account.UserID) + "</records>";
}

} // namespace test_service
