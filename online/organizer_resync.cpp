// The queue's handlers of an organizer's records: the full resynchronisation
// (the service's list of all its record ids against the local records, and
// the reload of the records that were missing here) and the records of a
// public organizer.

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/local_ids.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "model/users_rights.h"
#include "online/answer_reader.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "online/window_state.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

constexpr int32_t kMaxDigitsOfAnID = 16;
constexpr int64_t kReloadAgainAfterSeconds = 86400;

// The ids of the "records-ids" element: runs of digits, each ended by any
// other character. Nothing when the element is not closed, or an id is 0 or
// too long: a cut or garbled list must never stand for the organizer's
// records.
std::optional<std::vector<uint32_t>> ReadRecordIds(std::string_view document)
{
    const std::string_view open = "<records-ids>";
    size_t start = document.find(open);
    if (start == std::string_view::npos)
        return std::nullopt;
    start += open.size();
    size_t end = document.find("</records-ids>", start);
    if (end == std::string_view::npos)
        return std::nullopt;
    std::vector<uint32_t> ids;
    std::string_view list = document.substr(start, end - start);
    size_t at = 0;
    while (at < list.size()) {
        if (list[at] < '0' || list[at] > '9') {
            ++at;
            continue;
        }
        size_t digits = 0;
        uint64_t id = 0;
        while (at < list.size() && list[at] >= '0' && list[at] <= '9') {
            id = id * 10 + static_cast<uint64_t>(list[at] - '0');
            ++digits;
            ++at;
        }
        if (digits > kMaxDigitsOfAnID || id == 0 || id > UINT32_MAX)
            return std::nullopt;
        ids.push_back(static_cast<uint32_t>(id));
    }
    return ids;
}

// A local record the list speaks for: one the service has confirmed and
// that no local change waits on.
bool ListDecidesOn(const TNPIMRecord& record)
{
    return record.Deleted == 0 && record.ID < kFirstLocalID && !record.PleaseSync && !record.Virtual &&
           !record.DoNotSave;
}

} // namespace

int32_t TNGlobal::fncGetRecordsIDsOfOrganizer(TNString* document)
{
    return Guarded("[fncGetRecordsIDsOfOrganizer]", 0, [&] {
        // 1.
        if (document == nullptr) {
            LogText("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] document = NULL");
            return 0;
        }
        runningRecordsIdsOfOrganizer = true;
        struct Running {
            ~Running() { g.runningRecordsIdsOfOrganizer = false; }
        } running;
        LogTextInt("[fncGetRecordsIDsOfOrganizer][BEGIN] Length = ", document->Length);
        LogWrite("[fncGetRecordsIDsOfOrganizer] ", document->Text, false);

        // 2.
        uint32_t organizerId = 0;
        int32_t position = 0;
        uint32_t lastId = 0;
        int32_t recordsCount = 0;
        int32_t realCount = 0;
        ReadAnswerNumber(document, "organizer-id", &organizerId);
        ReadAnswerNumber(document, "pim-srv-pos", &position);
        ReadAnswerNumber(document, "last-id", &lastId);
        ReadAnswerNumber(document, "records-count", &recordsCount);
        ReadAnswerNumber(document, "real-count", &realCount);
        position = ServerPosition(position);
        TNPIM* pim = PIM[position];
        int32_t deleted = 0;
        int32_t created = 0;
        auto finish = [&] {
            // 10.
            document->Set("");
            if (pim != nullptr && organizerId != 0)
                pim->Organizers.SaveOrganizerByID(organizerId, false);
            LogText("[fncGetRecordsIDsOfOrganizer][END]");
            return deleted + created;
        };
        if (realCount < 1 || organizerId == 0)
            return finish();
        LogTextUInt("[fncGetRecordsIDsOfOrganizer] organizer_id = ", organizerId);
        LogTextUInt("[fncGetRecordsIDsOfOrganizer] last_id = ", lastId);
        LogTextInt("[fncGetRecordsIDsOfOrganizer] records_count = ", recordsCount);
        LogTextInt("[fncGetRecordsIDsOfOrganizer] real_count = ", realCount);

        // 3. and 5.
        std::optional<std::vector<uint32_t>> ids = ReadRecordIds(document->View());
        if (!ids || static_cast<int32_t>(ids->size()) != realCount) {
            LogTextInt("[fncGetRecordsIDsOfOrganizer][ERROR] ids read = ",
                       ids ? static_cast<int32_t>(ids->size()) : -1);
            return finish();
        }

        // 4. The queue's sender holds the model lock while its handler runs.
        TNModelWriteGuard lock;
        TNPIMOrganizer* organizer = pim != nullptr ? pim->Organizers.GetOrganizerByID(organizerId) : nullptr;
        if (organizer == nullptr || pim->Records == nullptr) {
            LogTextUInt("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] organizer = ", organizer != nullptr ? 1 : 0);
            LogTextUInt("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] PIM[pim_srv_pos]->Records = ",
                        pim != nullptr && pim->Records != nullptr ? 1 : 0);
            LogTextUInt("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] PIM[pim_srv_pos]->Records->Items = ",
                        pim != nullptr && pim->Records != nullptr ? 1 : 0);
            return finish();
        }
        TNPIMRecords& records = *pim->Records;

        // 6.
        std::unordered_set<uint32_t> listed(ids->begin(), ids->end());
        std::string existing = "existing_ids_str: ";
        for (uint32_t id : *ids)
            existing += std::to_string(id) + ";";
        LogText(existing.c_str());
        std::string local = "local_ids_str: ";
        std::unordered_set<uint32_t> present;
        for (int32_t pos = 0; pos < records.Count; ++pos) {
            const TNPIMRecord* record = records.Items[pos];
            if (record == nullptr || record->OrganizerID != organizerId)
                continue;
            // Any local record of the id counts: a blank waiting for its
            // reload, or one whose deletion waits for upload.
            present.insert(record->ID);
            if (record->Deleted == 0)
                local += std::to_string(record->ID) + ";";
        }
        LogText(local.c_str());

        // 7.
        for (int32_t pos = 0; pos < records.Count; ++pos) {
            TNPIMRecord* record = records.Items[pos];
            if (record == nullptr || record->OrganizerID != organizerId || !ListDecidesOn(*record) ||
                listed.count(record->ID) != 0)
                continue;
            LogTextUInt("[fncGetRecordsIDsOfOrganizer][DELETE] records->Items[pos]->ID = ", record->ID);
            records.SaveOrDeleteRecordByPos(pos, true);
            ++deleted;
        }

        // 8.
        for (uint32_t id : *ids) {
            if (present.count(id) != 0)
                continue;
            if (!records.Resize(records.Count + 1))
                break;
            int32_t pos = records.Count - 1;
            TNPIMRecord& blank = *records.Items[pos];
            blank.ID = id;
            blank.OrganizerID = organizerId;
            blank.LocalChanged = 0;
            blank.Created = 0;
            blank.Changed = 0;
            blank.Deleted = 0;
            records.NoteIDChanged(pos);
            present.insert(id);
            LogTextUInt("[fncGetRecordsIDsOfOrganizer][CREATED_BLANK] ids[bb] = ", id);
            ++created;
        }

        // 9.
        LogTextInt("[fncGetRecordsIDsOfOrganizer] missing_count = ", created);
        if (created > 0)
            Sync2ReloadRecordsOfOrganizer(organizer);
        return finish();
    });
}

void TNGlobal::Sync2ReloadRecordsOfOrganizer(const TNPIMOrganizer* organizer)
{
    Guarded("[Sync2ReloadRecordsOfOrganizer]", [&] {
        if (organizer == nullptr) {
            LogText("[Sync2ReloadRecordsOfOrganizer][ERROR][NULL] organizer = NULL");
            return;
        }
        if (!ActiveUserExists())
            return;
        int32_t position = organizer->pim_srv_pos;
        position = ServerPosition(position);
        TNPIM* pim = PIM[position];
        if (pim == nullptr || pim->Records == nullptr)
            return;
        uint32_t organizerId = organizer->ID;
        TNUpdatedRecordsBodies bodies;
        {
            TNModelWriteGuard lock;
            TNPIMRecords& records = *pim->Records;
            LogTextUInt("[Sync2ReloadRecordsOfOrganizer][BEGIN] organizer->ID = ", organizerId);
            LogTextInt("[Sync2ReloadRecordsOfOrganizer] records->Count = ", records.Count);
            int64_t now = TNLocalClock::Now();
            for (int32_t pos = 0; pos < records.Count; ++pos) {
                TNPIMRecord* record = records.Items[pos];
                if (record == nullptr || record->Deleted != 0 || record->OrganizerID != organizerId ||
                    record->Changed != 0 ||
                    static_cast<int64_t>(record->LocalChanged) >= now - kReloadAgainAfterSeconds)
                    continue;
                record->LocalChanged = static_cast<uint32_t>(now);
                bodies.Add(record->ID, record->Changed);
            }
        }
        for (const std::string& body : bodies.Take())
            apiQueueRequest(position, "get-updated-records", body.c_str(), kQueueUpdatedRecords, 1);
        LogTextUInt("[Sync2ReloadRecordsOfOrganizer][END] organizer->ID = ", organizerId);
    });
}

int32_t TNGlobal::fncGetAvailableRecordsOfPublicOrganizer(TNString* document)
{
    return Guarded("[TNGlobal::fncGetAvailableRecordsOfPublicOrganizer]", 0, [&] {
        // 1.
        if (document == nullptr) {
            LogText("[fncGetAvailableRecordsOfPublicOrganizer]ERROR][NULL] document = NULL");
            return 0;
        }
        // 2.
        uint32_t organizerId = 0;
        int32_t position = 0;
        int32_t count = 0;
        ReadAnswerNumber(document, "organizer-id", &organizerId);
        ReadAnswerNumber(document, "pim-srv-pos", &position);
        ReadAnswerNumber(document, "records-count", &count);
        position = ServerPosition(position);
        TNPIM* pim = PIM[position];
        TNModelWriteGuard lock;
        std::unique_ptr<TNUsersRights> rights;
        if (organizerId > 0 && pim != nullptr) {
            if (const TNPIMOrganizer* organizer = pim->Organizers.GetOrganizerByID(organizerId))
                rights = organizer->GetUsersRights();
        }
        // 4. Records of an organizer the user does not follow are shown but
        // never stored or uploaded.
        bool follows = rights && rights->Subscribe != 0 && rights->Subscribe != 5 && rights->Origin != 0;
        TNString list;
        bool arrived = false;
        if (count > 0 && pim != nullptr && pim->Records != nullptr &&
            document->GetXmlValue("records", nullptr, 0, &list, false)) {
            arrived = true;
            for (int32_t i = 0; i < count; ++i) {
                TNString element;
                if (!list.GetXmlValue(std::to_string(i).c_str(), nullptr, 0, &element, false))
                    continue;
                int32_t pos = pim->Records->Add(&element);
                if (pos < 0)
                    continue;
                if (App.IsDev)
                    TNWindowCalls::PlaySoundA(1);
                LogTextUInt("[fncGetAvailableRecordsOfPublicOrganizer] organizer_id = ", organizerId);
                if (rights) {
                    LogTextInt("[fncGetAvailableRecordsOfPublicOrganizer] upr->Origin = ", rights->Origin);
                    LogTextInt("[fncGetAvailableRecordsOfPublicOrganizer] upr->Subscribe = ", rights->Subscribe);
                }
                if (!follows) {
                    pim->Records->Items[pos]->Virtual = true;
                    pim->Records->Items[pos]->DoNotSave = true;
                }
            }
        }
        // 5.
        document->Set("");
        if (WindowState.ViewBuilt && arrived) {
            LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [OOO]");
            SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
        }
        return count;
    });
}
