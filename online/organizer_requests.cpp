// Organizers beyond the regular download: the public organizers the service
// offers and the records of one of them, and the full resynchronisation that
// compares an organizer's records with the list of every id the service has.

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/local_ids.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/collection.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/answer_reader.h"
#include "online/busy_flag.h"
#include "online/download.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "online/window_state.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr int64_t kAvailableOrganizersInterval = 3600;
constexpr int64_t kFullResyncIntervalDev = 2700;
constexpr int64_t kBlankReloadAge = 86400;
constexpr size_t kMaxIdDigits = 16;
constexpr int32_t kDevRecordSound = 1;
// The least an answer spends on one item of a list ("<0></0>") and on one
// listed id (a digit and a separator): a count beyond what the answer can
// hold is refused before it is looped over.
constexpr int32_t kMinListItemBytes = 7;
constexpr int32_t kMinListedIdBytes = 2;

// The ids between "<records-ids>" and "</records-ids>": runs of digits, each
// ended by any other character. False when the element is not whole, or an
// id is 0 or longer than an id can be.
bool ReadRecordIds(const TNString& document, std::vector<uint32_t>* ids)
{
    std::string_view text = document.View();
    constexpr std::string_view open = "<records-ids>";
    constexpr std::string_view close = "</records-ids>";
    size_t start = text.find(open);
    if (start == std::string_view::npos)
        return false;
    start += open.size();
    size_t end = text.find(close, start);
    if (end == std::string_view::npos)
        return false;
    std::string_view list = text.substr(start, end - start);
    for (size_t at = 0; at < list.size();) {
        // A negative id is no id: its digits must not count as one.
        if (list[at] == '-')
            return false;
        if (!std::isdigit(static_cast<unsigned char>(list[at]))) {
            ++at;
            continue;
        }
        size_t digits = 0;
        uint64_t id = 0;
        for (; at < list.size() && std::isdigit(static_cast<unsigned char>(list[at])); ++at, ++digits)
            id = digits < kMaxIdDigits ? id * 10 + static_cast<uint64_t>(list[at] - '0') : id;
        // An id of the client's temporary range would become a blank that
        // is uploaded back as a new record.
        if (digits > kMaxIdDigits || id == 0 || id >= kFirstLocalID)
            return false;
        ids->push_back(static_cast<uint32_t>(id));
    }
    return true;
}

// A record the full resynchronisation may delete: the service has given it
// its id, no change of it waits for upload, and it is stored at all.
bool MayBeDeletedByResync(const TNPIMRecord& record)
{
    return record.Deleted == 0 && record.ID > 0 && record.ID < kFirstLocalID && !record.PleaseSync && !record.Virtual &&
           !record.DoNotSave;
}

} // namespace

// ---------------------------------------------------------------------------
// Public organizers

void TNGlobal::GetAvailableOrganizers(int64_t now)
{
    Guarded("[onlineGetAvailableOrganizers]", [&] {
        TNBusyFlagTake busy(runningAvailableOrganizers);
        if (!busy.Taken())
            return;
        LogText("[onlineGetAvailableOrganizers][BEGIN]");
        if (now < LastAvailableOrganizersTime + kAvailableOrganizersInterval)
            return;
        if (!ActiveUserExists())
            return;
        LogText("[onlineGetAvailableOrganizers][BEGIN_2]");
        LastAvailableOrganizersTime = now;
        LogText("[onlineGetAvailableOrganizers][BEGIN_3]");
        {
            TNModelWriteGuard lock;
            if (!AvailableOrganizers) {
                AvailableOrganizers = std::make_unique<TNPIMOrganizers>();
                AvailableOrganizers->NeverSaved = true;
                AvailableOrganizers->Init();
            }
        }
        bool came = false;
        for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
            TNFormBuilder body;
            if (!Sync2SetRequest("get-popular-and-newest-organizers", nullptr, 1, &body))
                return;
            TNDownload download;
            if (!PostToApi(body.Text(), download))
                continue;
            TNString answer(download.DocumentBytes());
            int32_t count = 0;
            TNString list;
            if (!AnswerIsValid(&answer) || !answer.GetXmlValue("organizers", nullptr, 0, &list, false) ||
                !ReadAnswerCount(&answer, "organizers-count", list, kMinListItemBytes,
                                 "[onlineGetAvailableOrganizers][ERROR] ", &count))
                continue;
            came = true;
            TNModelWriteGuard lock;
            for (int32_t k = 0; k < count; ++k) {
                TNString item;
                if (!list.GetXmlValue(std::to_string(k).c_str(), nullptr, 0, &item, false))
                    continue;
                int32_t pos = AvailableOrganizers->Add(&item, false);
                if (pos >= 0)
                    AvailableOrganizers->Items[pos]->pim_srv_pos = position;
            }
        }
        int32_t count = 0;
        {
            TNModelWriteGuard lock;
            if (came && PIM[0] != nullptr)
                PIM[0]->Organizers.SyncStamp = 0;
            count = AvailableOrganizers->Count;
        }
        if (came) {
            LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [CCC]");
            SetUpdateUiTag(__uiUpdateShownData, 0);
        }
        LogTextInt("[onlineGetAvailableOrganizers][END] g.AvailableOrganizers->Count = ", count);
    });
}

int32_t TNGlobal::fncGetAvailableRecordsOfPublicOrganizer(TNString* document)
{
    return Guarded("[TNGlobal::fncGetAvailableRecordsOfPublicOrganizer]", 0, [&] {
        if (document == nullptr) {
            LogText("[fncGetAvailableRecordsOfPublicOrganizer]ERROR][NULL] document = NULL");
            return 0;
        }
        uint32_t organizerId = 0;
        int32_t position = 0;
        ReadAnswerNumber(document, "organizer-id", &organizerId);
        ReadAnswerNumber(document, "pim-srv-pos", &position);
        position = TNGlobal::ServerPosition(position);
        TNModelWriteGuard lock;
        TNPIM* pim = PIM[position];
        if (pim == nullptr || pim->Records == nullptr)
            return 0;
        std::unique_ptr<TNUsersRights> rights;
        if (organizerId > 0)
            if (const TNPIMOrganizer* organizer = pim->Organizers.GetOrganizerByID(organizerId))
                rights = organizer->GetUsersRights();
        if (!AvailableOrganizers) {
            LogText("[fncGetAvailableRecordsOfPublicOrganizer][ERROR] g.AvailableOrganizers = NULL");
            return 0;
        }
        // Records of an organizer the user does not follow are shown only:
        // never stored, never uploaded.
        bool followed =
            organizerId > 0 && rights && rights->Subscribe != 0 && rights->Subscribe != 5 && rights->Origin != 0;
        int32_t count = 0;
        TNString list;
        bool arrived = false;
        if (document->GetXmlValue("records", nullptr, 0, &list, false) &&
            ReadAnswerCount(document, "records-count", list, kMinListItemBytes,
                            "[fncGetAvailableRecordsOfPublicOrganizer][ERROR] ", &count) &&
            count > 0) {
            arrived = true;
            for (int32_t i = 0; i < count; ++i) {
                TNString item;
                if (!list.GetXmlValue(std::to_string(i).c_str(), nullptr, 0, &item, false))
                    continue;
                int32_t pos = pim->Records->Add(&item, false);
                if (pos == -1)
                    continue;
                if (App.IsDev)
                    TNWindowCalls::PlaySoundA(kDevRecordSound);
                LogTextInt("[fncGetAvailableRecordsOfPublicOrganizer] organizer_id = ",
                           static_cast<int32_t>(organizerId));
                if (rights) {
                    LogTextInt("[fncGetAvailableRecordsOfPublicOrganizer] upr->Origin = ", rights->Origin);
                    LogTextInt("[fncGetAvailableRecordsOfPublicOrganizer] upr->Subscribe = ", rights->Subscribe);
                }
                if (!followed) {
                    pim->Records->Items[pos]->Virtual = true;
                    pim->Records->Items[pos]->DoNotSave = true;
                }
            }
        }
        document->Set("");
        if (WindowState.ViewBuilt && arrived) {
            pim->ViewCache[0].valid = 0;
            LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [OOO]");
            SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
        }
        return count;
    });
}

// ---------------------------------------------------------------------------
// Full resynchronisation

void TNGlobal::QueueOrganizersFullResync(int64_t now)
{
    Guarded("[onlineOrganizersFullResync]", [&] {
        const int64_t interval = App.IsDev ? kFullResyncIntervalDev : FullResyncInterval.load();
        TNBusyFlagTake busy(runningFullResync);
        if (!busy.Taken())
            return;
        LogText("[onlineOrganizersFullResync][BEGIN]");
        // While the download pages on, the local list is not complete yet:
        // its missing records would all become blanks.
        if (NewSyncWanted != 0 || DoUploadSync != 0) {
            LogText("[onlineOrganizersFullResync][END] download not complete");
            return;
        }
        bool queued = false;
        for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
            std::vector<uint32_t> due;
            {
                TNModelWriteGuard lock;
                TNPIM* pim = PIM[position];
                if (pim == nullptr)
                    continue;
                for (int32_t i = 0; i < pim->Organizers.Count; ++i) {
                    TNPIMOrganizer* organizer = pim->Organizers.Items[i];
                    if (organizer == nullptr || organizer->Deleted != 0 || organizer->lastFullResync + interval > now)
                        continue;
                    LogTextInt("[onlineOrganizersFullResync] resync_interval = ", static_cast<int32_t>(interval));
                    LogTextInt("[onlineOrganizersFullResync] lastFullResync = ",
                               static_cast<int32_t>(organizer->lastFullResync));
                    LogTextInt("[onlineOrganizersFullResync] now-(lastFullResync+resync_interval) = ",
                               static_cast<int32_t>(now - (organizer->lastFullResync + interval)));
                    organizer->lastFullResync = now;
                    due.push_back(organizer->ID);
                }
            }
            for (uint32_t id : due) {
                std::string data =
                    "&OrganizerID=" + std::to_string(id) + "&pimSrvPos=" + std::to_string(position) + "&FirstID=0";
                LogWrite("[onlineOrganizersFullResync] request_data = ", data.c_str(), false);
                queued = apiQueueRequest(position, "get-list-of-organizers-all-records-ids", data.c_str(),
                                         kQueueRecordsIdsOfOrganizer, 1) >= 0 ||
                         queued;
            }
        }
        // The queue is sent earlier in the pass: without a pass at once the
        // requests would wait a whole interval.
        if (queued)
            FastSync("onlineOrganizersFullResync");
        LogText("[onlineOrganizersFullResync][END]");
    });
}

int32_t TNGlobal::fncGetRecordsIDsOfOrganizer(TNString* document)
{
    return Guarded("[TNGlobal::fncGetRecordsIDsOfOrganizer]", 0, [&] {
        if (document == nullptr) {
            LogText("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] document = NULL");
            return 0;
        }
        TNBusyFlagTake running(runningRecordsIdsOfOrganizer);
        LogTextInt("[fncGetRecordsIDsOfOrganizer][BEGIN] Length = ", document->Length);
        LogWrite("[fncGetRecordsIDsOfOrganizer] ", document->Text, false);
        uint32_t organizerId = 0;
        int32_t position = 0;
        uint32_t lastId = 0;
        int32_t recordsCount = 0;
        int32_t realCount = 0;
        ReadAnswerNumber(document, "organizer-id", &organizerId);
        ReadAnswerNumber(document, "pim-srv-pos", &position);
        ReadAnswerNumber(document, "last-id", &lastId);
        ReadAnswerNumber(document, "records-count", &recordsCount);
        ReadAnswerCount(document, "real-count", *document, kMinListedIdBytes, "[fncGetRecordsIDsOfOrganizer][ERROR] ",
                        &realCount);
        position = TNGlobal::ServerPosition(position);
        int32_t deleted = 0;
        int32_t created = 0;
        TNModelWriteGuard lock;
        TNPIM* pim = PIM[position];
        if (realCount >= 1 && organizerId != 0 && pim != nullptr)
            CompareRecordsWithIds(*pim, organizerId, realCount, *document, &deleted, &created);
        // Finish.
        document->Set("");
        if (pim != nullptr)
            pim->Organizers.SaveOrganizerByID(organizerId, false);
        LogText("[fncGetRecordsIDsOfOrganizer][END]");
        return deleted + created;
    });
}

void TNGlobal::CompareRecordsWithIds(TNPIM& pim, uint32_t organizerId, int32_t realCount, const TNString& document,
                                     int32_t* deleted, int32_t* created)
{
    LogTextInt("[fncGetRecordsIDsOfOrganizer] organizer_id = ", static_cast<int32_t>(organizerId));
    LogTextInt("[fncGetRecordsIDsOfOrganizer] real_count = ", realCount);
    // A list that is cut short or does not hold what the answer counts
    // would delete records the service still has.
    std::vector<uint32_t> ids;
    if (!ReadRecordIds(document, &ids) || static_cast<int32_t>(ids.size()) != realCount) {
        LogWrite("[fncGetRecordsIDsOfOrganizer][ERROR] records-ids do not match real-count; document = ", document.Text,
                 false);
        return;
    }
    TNPIMOrganizer* organizer = pim.Organizers.GetOrganizerByID(organizerId);
    TNPIMRecords* records = pim.Records.get();
    // An empty record list has no array yet; it still takes blanks.
    if (organizer == nullptr || records == nullptr) {
        LogTextInt("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] organizer = ", organizer != nullptr ? 1 : 0);
        LogTextInt("[fncGetRecordsIDsOfOrganizer][ERROR][NULL] PIM[pim_srv_pos]->Records = ",
                   records != nullptr ? 1 : 0);
        return;
    }
    std::unordered_set<uint32_t> listed(ids.begin(), ids.end());
    std::string existing;
    for (uint32_t id : ids)
        existing += std::to_string(id) + ";";
    LogWrite("existing_ids_str: ", existing.c_str(), false);
    std::string local;
    for (int32_t pos = 0; pos < records->Count; ++pos) {
        const TNPIMRecord* record = records->Items[pos];
        if (record != nullptr && record->OrganizerID == organizerId && record->Deleted == 0)
            local += std::to_string(record->ID) + ";";
    }
    LogWrite("local_ids_str: ", local.c_str(), false);
    // 7. Records the service no longer has.
    for (int32_t pos = 0; pos < records->Count; ++pos) {
        const TNPIMRecord* record = records->Items[pos];
        if (record == nullptr || record->OrganizerID != organizerId || !MayBeDeletedByResync(*record) ||
            listed.count(record->ID) != 0)
            continue;
        LogTextInt("[fncGetRecordsIDsOfOrganizer][DELETE] records->Items[pos]->ID = ",
                   static_cast<int32_t>(record->ID));
        records->SaveOrDeleteRecordByPos(pos, true);
        ++*deleted;
    }
    // 8. Blanks for the ids no local record has, filled by the reload.
    for (uint32_t id : ids) {
        if (records->GetRecordPosByID(id) >= 0)
            continue;
        if (!records->Resize(records->Count + 1))
            break;
        int32_t pos = records->Count - 1;
        TNPIMRecord& blank = *records->Items[pos];
        blank.ID = id;
        blank.OrganizerID = organizerId;
        blank.LocalChanged = 0;
        blank.Created = 0;
        blank.Changed = 0;
        blank.Deleted = 0;
        records->NoteIDChanged(pos);
        LogTextInt("[fncGetRecordsIDsOfOrganizer][CREATED_BLANK] ids[bb] = ", static_cast<int32_t>(id));
        ++*created;
    }
    LogTextInt("[fncGetRecordsIDsOfOrganizer] missing_count = ", *created);
    if (*created > 0)
        Sync2ReloadRecordsOfOrganizer(organizer);
}

void TNGlobal::Sync2ReloadRecordsOfOrganizer(const TNPIMOrganizer* organizer)
{
    Guarded("[TNGlobal::Sync2ReloadRecordsOfOrganizer]", [&] {
        if (organizer == nullptr) {
            LogText("[Sync2ReloadRecordsOfOrganizer][ERROR][NULL] organizer = NULL");
            return;
        }
        if (!ActiveUserExists())
            return;
        int32_t position = TNGlobal::ServerPosition(organizer->pim_srv_pos);
        std::vector<std::string> bodies;
        {
            TNModelWriteGuard lock;
            TNPIM* pim = PIM[position];
            if (pim == nullptr || pim->Records == nullptr)
                return;
            TNPIMRecords& records = *pim->Records;
            LogTextInt("[Sync2ReloadRecordsOfOrganizer][BEGIN] organizer->ID = ", static_cast<int32_t>(organizer->ID));
            LogTextInt("[Sync2ReloadRecordsOfOrganizer] records->Count = ", records.Count);
            const uint32_t now = TNLocalClock::Now32();
            TNUpdatedRecordsBodies pairs;
            for (int32_t pos = 0; pos < records.Count; ++pos) {
                TNPIMRecord* record = records.Items[pos];
                if (record == nullptr || record->Deleted != 0 || record->GetParentPIMPos() != position ||
                    record->OrganizerID != organizer->ID || record->Changed != 0 ||
                    static_cast<int64_t>(record->LocalChanged) >= static_cast<int64_t>(now) - kBlankReloadAge)
                    continue;
                record->LocalChanged = now;
                pairs.Add(record->ID, record->Changed);
            }
            bodies = pairs.Take();
        }
        for (const std::string& body : bodies)
            apiQueueRequest(position, "get-updated-records", body.c_str(), kQueueUpdatedRecords, 1);
        LogTextInt("[Sync2ReloadRecordsOfOrganizer][END] organizer->ID = ", static_cast<int32_t>(organizer->ID));
    });
}
