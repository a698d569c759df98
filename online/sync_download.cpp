// The three downloads, the taking in of an "api-sync-pim" block with its
// paging, the organizer check and the update checks of the records on
// screen.

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/synced_collections.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

namespace {

constexpr int64_t kShownRecordCheckAge = 86400;

constexpr int32_t kRecordsCode = 1;
constexpr int32_t kGroupsAssignCode = 6;

// The order of the keys in the requests: the service reads them by name,
// the wire keeps this order.
constexpr int32_t kUsersDataRequestOrder[] = {12, 8, 7, 9, 5, 6, 4};
constexpr int32_t kOrganizerRequestOrder[] = {3, 2, 1};

constexpr const TNSyncedCollection& SyncedByCode(int32_t code)
{
    for (const TNSyncedCollection& synced : kSyncedCollections) {
        if (synced.Code == code)
            return synced;
    }
    return kSyncedCollections[0];
}

static_assert(SyncedByCode(4).Section[0] == 'A' && SyncedByCode(12).Section[0] == 'E',
              "the request orders name collections of the table");

std::string Masked(const TNString& body)
{
    std::string text(body.View());
    size_t at = text.find("&Pass=");
    if (at != std::string::npos) {
        size_t end = text.find('&', at + 1);
        text.replace(at + 6, (end == std::string::npos ? text.size() : end) - at - 6, "***");
    }
    return text;
}

// The items "0", "1", … of a section, read until the first missing number.
// Each is looked for after the previous one, so a page costs its length
// once; an item out of order is still found in the whole section.
template <class Fn> void ForEachSectionItem(TNString& section, Fn&& fn)
{
    std::string_view text = section.View();
    size_t from = 0;
    for (int32_t k = 0;; ++k) {
        std::string name = std::to_string(k);
        std::string open = "<" + name + ">";
        std::string close = "</" + name + ">";
        TNString item;
        size_t start = text.find(open, from);
        size_t end = start == std::string_view::npos ? start : text.find(close, start + open.size());
        if (end != std::string_view::npos) {
            item.Set(text.substr(start + open.size(), end - start - open.size()));
            from = end + close.size();
        } else if (!section.GetXmlValue(name.c_str(), nullptr, 0, &item, false)) {
            return;
        }
        fn(item);
    }
}

// The commit of a finished download: the next one starts after the newest
// item received.
void Commit(uint32_t& lastRequestTime, uint32_t& newestChanged, int32_t& offset, bool onlyWhenNewer)
{
    offset = 0;
    if (!onlyWhenNewer || newestChanged > 0)
        lastRequestTime = newestChanged;
    newestChanged = 0;
}

// Every page commits its newest Changed, a full one too. The stamps are
// unique, so all that is still to come is newer; an offset into the items
// after the committed time would skip one whenever an item already received
// is changed again between two pages, and that item would never come. A
// download by organizer commits every organizer's share.
void CommitPages(TNPIM& pim, uint8_t byOrganizer)
{
    for (const TNSyncedCollection& synced : kSyncedCollections) {
        if (synced.Keeping != TNKeeping::Paged)
            continue;
        const TNDownloadCounters counters = synced.Counters(pim);
        if (counters.Received > 0)
            Commit(counters.LastRequestTime, counters.NewestChanged, counters.Offset, false);
    }
    for (int32_t i = 0; i < pim.Organizers.Count; ++i) {
        TNPIMOrganizer* organizer = pim.Organizers.Items[i];
        if (organizer == nullptr || organizer->Deleted != 0) {
            if (organizer != nullptr && byOrganizer == 1)
                LogTextUInt("[g.SyncPIM][DELETED_or_NULL] B_OrganizerID: ", organizer->ID);
            continue;
        }
        for (const TNSyncedCollection& synced : kSyncedCollections) {
            if (synced.Keeping != TNKeeping::ByOrganizer)
                continue;
            const TNDownloadCounters counters = synced.OrganizerCounters(*organizer);
            if (byOrganizer == 1 || counters.Received > 0)
                Commit(counters.LastRequestTime, counters.NewestChanged, counters.Offset, byOrganizer == 1);
        }
    }
}

// Sharing comes whole in every answer: taken as complete whatever the
// limit. Then every count of this answer starts again.
void CommitWholeAndResetCounts(TNPIM& pim)
{
    for (const TNSyncedCollection& synced : kSyncedCollections) {
        if (synced.Keeping == TNKeeping::Whole) {
            const TNDownloadCounters counters = synced.Counters(pim);
            if (counters.Received > 0)
                Commit(counters.LastRequestTime, counters.NewestChanged, counters.Offset, true);
        }
    }
    for (int32_t i = 0; i < pim.Organizers.Count; ++i) {
        if (TNPIMOrganizer* organizer = pim.Organizers.Items[i]) {
            for (const TNSyncedCollection& synced : kSyncedCollections) {
                if (synced.Keeping == TNKeeping::ByOrganizer)
                    synced.OrganizerCounters(*organizer).Received = 0;
            }
        }
    }
    for (const TNSyncedCollection& synced : kSyncedCollections) {
        if (synced.Counters != nullptr)
            synced.Counters(pim).Received = 0;
    }
}

} // namespace

bool TNGlobal::WantRecordsOfThisOrganizer(const TNPIMOrganizer* organizer)
{
    if (organizer == nullptr || organizer->Deleted != 0)
        return false;
    uint32_t origin = organizer->Origin;
    uint32_t subscribe = organizer->Subscribe;
    if (origin == 1 || origin == 10)
        return true;
    if ((origin == 20 || origin == 50) && (subscribe == 10 || subscribe == 20 || subscribe == 1))
        return true;
    LogTextUInt("[TfrmMainDLMR1::WantRecordsOfThisOrganizer][WE_DONT_WANT_THIS_ORGANIZER'S_RECORDS] organizer->ID = ",
                organizer->ID);
    return false;
}

void TNGlobal::ReadArrayLimit(TNString* answer)
{
    int64_t limit = 0;
    if (ReadAnswerNumber(answer, "array-limit", &limit))
        ArrayLimit = static_cast<int32_t>(std::clamp<int64_t>(limit, kSmallestArrayLimit, kLargestArrayLimit));
}

// ---------------------------------------------------------------------------
// The three downloads

bool TNGlobal::Sync2UsersOrganizers(bool* dataChanged)
{
    return Guarded("[TNGlobal::Sync2UsersOrganizers]", false, [&] {
        if (!ActiveUserExists())
            return false;
        TNPIM* pim = PIM[0];
        TNFormBuilder body;
        if (pim == nullptr || !Sync2SetRequest("get-users-organizers", nullptr, 1, &body))
            return false;
        uint32_t lastReq = 0;
        uint32_t lastRecalc = 0;
        {
            TNModelReadGuard lock;
            lastReq = pim->Organizers.OrganizersLastReq;
            lastRecalc = pim->UsersOrganizersLastRecalc;
        }
        LogTextInt("[TNGlobal::Sync2UsersOrganizers] OrganizersLastReq=", static_cast<int32_t>(lastReq));
        LogTextInt("[TNGlobal::Sync2UsersOrganizers] OrganizersLastPos=", 0);
        body.AddInt("OrganizersLastReq", static_cast<int32_t>(lastReq))
            .AddInt("OrganizersLastPos", 0)
            .AddInt("UsersOrganizersLastRecalc", static_cast<int32_t>(lastRecalc));
        LogWrite("[g.Sync2UsersOrganizers] request = ", Masked(body.Text()).c_str(), false);
        TNDownload download;
        bool online = PostToApi(body.Text(), download);
        if (online) {
            TNString answer(download.DocumentBytes());
            LogAnswer("[TNGlobal::Sync2UsersOrganizers][DOCUMENT] ", answer.View());
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2UsersOrganizers]");
            // A log-out since the post has ended this sign-in and freed its data.
            if (lock.Stale())
                return false;
            Sync2TestNewestVersion(&answer);
            if (AnswerIsValid(&answer)) {
                ProcessUserData(&answer);
                TNModelWriteGuard model;
                pim->UsersOrganizersRecalcTime =
                    HasAnswerElement(&answer, "UsersOrganizersRecalc") ? static_cast<time_t>(TNLocalClock::Now()) : 0;
                ReadAnswerNumber(&answer, "UsersOrganizersLastRecalc", &pim->UsersOrganizersLastRecalc);
                ReadAnswerText(&answer, "UsersOrganizers", &pim->UsersOrganizers);
                TNString block;
                if (answer.GetXmlValue("api-sync-pim", nullptr, 0, &block, false))
                    SyncPIM(&block, 0, dataChanged);
                pim->Organizers.OrganizersLastReq = pim->Organizers.GetLastReq();
                pim->CheckAndUpdateUsersOrganizersRightsAndSubscriptions();
            }
        }
        return Sync2Finish(online, false, "Sync2UsersOrganizers",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::Sync2Alerts_Notifications_Contacts_Groups_Types_etc(bool* dataChanged)
{
    constexpr const char* kCaller = "[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc]";
    return Guarded("[TNGlobal::Sync2Alerts_Notifications_Contacts_Groups_Types_etc]", false, [&] {
        LogText("[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc][BEGIN]");
        TNPIM* pim = PIM[0];
        if (!ActiveUserExists() || pim == nullptr) {
            LogWrite("[TNGlobal::Sync2Alerts_Notifications_Contacts_Groups_Types_etc] ", "return false 1", false);
            return false;
        }
        TNFormBuilder body;
        if (!Sync2SetRequest("get-users-data", nullptr, 1, &body)) {
            LogWrite("[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc] ", "return false 2", false);
            return false;
        }
        TNUser user;
        Uzivatele.GetActiveUser(&user);
        body.AddInt("LastRequestTime", user.Time.Timestamp);
        {
            TNModelReadGuard lock;
            for (int32_t code : kUsersDataRequestOrder) {
                const TNSyncedCollection& synced = SyncedByCode(code);
                const TNDownloadCounters counters = synced.Counters(*pim);
                body.AddInt(synced.TimeKey, static_cast<int32_t>(counters.LastRequestTime))
                    .AddInt(synced.OffsetKey, counters.Offset);
            }
        }
        LogWrite("[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc] request = ", Masked(body.Text()).c_str(),
                 false);
        TNDownload download;
        bool online = PostToApi(body.Text(), download);
        bool anotherPass = false;
        if (online) {
            TNString answer(download.DocumentBytes());
            LogAnswer("[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc][DOCUMENT] ", answer.View());
            TNSyncLock lock = WaitUntilUiJobFinish(kCaller);
            // A log-out since the post has ended this sign-in and freed its data.
            if (lock.Stale())
                return false;
            ReadArrayLimit(&answer);
            Sync2TestNewestVersion(&answer);
            TNString block;
            if (AnswerIsValid(&answer)) {
                LogText("[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc][HANDSHAKE_OK]");
                if (answer.GetXmlValue("api-sync-pim", nullptr, 0, &block, false))
                    anotherPass = SyncPIM(&block, 0, dataChanged);
            }
        }
        LogText("[g.Sync2Alerts_Notifications_Contacts_Groups_Types_etc][END]");
        return Sync2Finish(online, anotherPass, "Sync2Alerts_Notifications_Contacts_Groups_Types_etc",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::Sync2Records(bool* dataChanged)
{
    return Guarded("[TNGlobal::Sync2Records]", false, [&] {
        LogText("[TNGlobal::Sync2Records][BEGIN]");
        TNPIM* pim = PIM[0];
        TNFormBuilder body;
        if (!ActiveUserExists() || pim == nullptr || !Sync2SetRequest("get-records", nullptr, 1, &body))
            return false;
        {
            TNModelReadGuard lock;
            // Sharing comes whole: its time alone.
            body.AddInt(SyncedByCode(11).TimeKey, static_cast<int32_t>(pim->Sharing.LastRequestTime));
            for (int32_t i = 0; i < pim->Organizers.Count; ++i) {
                TNPIMOrganizer* organizer = pim->Organizers.Items[i];
                if (organizer == nullptr || organizer->Deleted != 0 || !WantRecordsOfThisOrganizer(organizer))
                    continue;
                const std::string id = std::to_string(organizer->ID);
                for (int32_t code : kOrganizerRequestOrder) {
                    const TNSyncedCollection& synced = SyncedByCode(code);
                    const TNDownloadCounters counters = synced.OrganizerCounters(*organizer);
                    body.AddInt((synced.TimeKey + id).c_str(), static_cast<int32_t>(counters.LastRequestTime))
                        .AddInt((synced.OffsetKey + id).c_str(), counters.Offset);
                }
            }
        }
        TNDownload download;
        bool online = PostToApi(body.Text(), download);
        bool anotherPass = false;
        if (online) {
            TNString answer(download.DocumentBytes());
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2Records]");
            // A log-out since the post has ended this sign-in and freed its data.
            if (lock.Stale())
                return false;
            ReadArrayLimit(&answer);
            Sync2TestNewestVersion(&answer);
            TNString block;
            if (AnswerIsValid(&answer) && answer.GetXmlValue("api-sync-pim", nullptr, 0, &block, false)) {
                anotherPass = SyncPIM(&block, 1, dataChanged);
                if (!anotherPass && MatchNewItemsFirst)
                    AdoptUploadedCopies();
            }
        }
        LogText("[TNGlobal::Sync2Records][END]");
        return Sync2Finish(online, anotherPass, "Sync2Records",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::AnswerIsValid(TNString* answer)
{
    int32_t handshake = 0;
    return ReadAnswerNumber(answer, "handshake", &handshake) && handshake == 1;
}

// ---------------------------------------------------------------------------
// Taking in a block

bool TNGlobal::SyncPIM(TNString* block, uint8_t byOrganizer, bool* dataChanged)
{
    return Guarded("[g.SyncPIM]", false, [&] {
        if (dataChanged != nullptr)
            *dataChanged = false;
        TNPIM* pim = PIM[0];
        if (pim == nullptr || block == nullptr || (UserLoginStatus == 1 && !Uzivatele.HasActiveUser()))
            return false;
        LogText("[g.SyncPIM][BEGIN]");
        TNModelWriteGuard lock;
        int32_t delivered[kSyncedCount] = {};
        bool changed = false;
        for (size_t index = 0; index < kSyncedCount; ++index)
            changed = TakeSyncSection(*pim, *block, index, &delivered[index]) || changed;
        // The organizers come first in the table.
        if (delivered[0] > 0)
            SetUpdateUiTag(__uiUpdateSubscribedOrganizers, 0);

        // A full page of a paged collection asks for another pass; sharing
        // comes whole in every answer and never does.
        bool anotherPass = false;
        const int32_t limit = ArrayLimit;
        if (limit > 0) {
            for (size_t index = 0; index < kSyncedCount; ++index) {
                const TNKeeping keeping = kSyncedCollections[index].Keeping;
                if ((keeping == TNKeeping::Paged || keeping == TNKeeping::ByOrganizer) && delivered[index] >= limit)
                    anotherPass = true;
            }
            CommitPages(*pim, byOrganizer);
        }
        CommitWholeAndResetCounts(*pim);

        if (dataChanged != nullptr)
            *dataChanged = changed;
        LogTextInt("[g.SyncPIM][END] need_ui_repaint = ", changed ? 1 : 0);
        if (!anotherPass)
            SetUpdateUiTag(__uiStatusText_Empty, 0);
        return anotherPass;
    });
}

bool TNGlobal::TakeSyncSection(TNPIM& pim, TNString& block, size_t index, int32_t* delivered)
{
    const TNSyncedCollection& synced = kSyncedCollections[index];
    TNString section;
    if (!block.GetXmlValue(synced.Section, nullptr, 0, &section, false))
        return false;
    SetUpdateUiTag(__uiStatusText_Synchronising, 0);
    if (section.Length <= 7)
        return false;
    ForEachSectionItem(section, [&](TNString& item) {
        int32_t pos = synced.Add(pim, item);
        if (pos < 0)
            return;
        ++*delivered;
        ++SyncCounters.Downloaded[synced.Code];
        if (synced.Code == kRecordsCode) {
            pim.ViewCache[0].valid = 0;
            pim.ViewCache[1].valid = 0;
            SetUpdateUiTag(__uiUpdateHpNotesAndTasks, static_cast<uint32_t>(pos));
        } else if (synced.Code == kGroupsAssignCode) {
            LogTextInt("[g.SyncPIM][pimGroupsAssign] need_ui_repaint = ", 1);
        }
    });
    if (*delivered == 0)
        return false;
    if (synced.ChecksAll)
        pim.LastCheckAllTime = 0;
    if (synced.Code == kRecordsCode) {
        std::shared_ptr<const TNPIMRecord> notify(pim.Records->GetNotifyConstantly());
        SetNotifyConstantlyRecord(std::move(notify));
    }
    return true;
}

// ---------------------------------------------------------------------------
// Organizer check and records on screen

void TNGlobal::SetOrganizersToCheck(std::vector<uint32_t> ids)
{
    std::lock_guard<std::mutex> guard(organizersToCheckMutex_);
    organizersToCheck_ = std::move(ids);
}

bool TNGlobal::Sync2CheckOrganizersExistence()
{
    return Guarded("[TNGlobal::Sync2CheckOrganizersExistence]", false, [&] {
        std::vector<uint32_t> ids;
        {
            std::lock_guard<std::mutex> guard(organizersToCheckMutex_);
            ids = organizersToCheck_;
        }
        TNPIM* pim = PIM[0];
        if (ids.empty() || pim == nullptr || !ActiveUserExists())
            return false;
        LogText("[g.Sync2CheckOrganizersExistence][BEGIN]");
        TNFormBuilder body;
        if (!Sync2SetRequest("check-organizers-existence", nullptr, 1, &body))
            return false;
        // One value of unsigned ids, each closed by ";".
        std::string list;
        for (uint32_t id : ids)
            list += std::to_string(id) + ";";
        body.Add("oids", list);
        TNDownload download;
        bool online = PostToApi(body.Text(), download);
        int16_t tag = __uiOfflineOrDownloadError;
        if (online) {
            TNString answer(download.DocumentBytes());
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2CheckOrganizersExistence]");
            // A log-out since the post has ended this sign-in and freed its data.
            if (lock.Stale())
                return false;
            TNModelWriteGuard model;
            for (uint32_t id : ids) {
                int32_t exists = 1;
                std::string key = "organizer-exists-" + std::to_string(id);
                if (!ReadAnswerNumber(&answer, key.c_str(), &exists) || exists != 0)
                    continue;
                if (TNPIMOrganizer* organizer = pim->Organizers.GetOrganizerByID(id)) {
                    organizer->Deleted = static_cast<uint32_t>(TNLocalClock::Now());
                    pim->Organizers.SaveOrganizerByID(id, false);
                }
            }
            LastOrganizersCheckTime = TNLocalClock::Now();
            pleaseCheckOrganizers = 0;
            tag = __uiUpdateZentor;
        } else {
            LogWrite("[TNGlobal::Sync2CheckOrganizersExistence] g.Online == false ", download.ResultString.Text, false);
        }
        LogText("[g.Sync2CheckOrganizersExistence][END]");
        return Sync2Finish(online, false, "Sync2CheckOrganizersExistence", tag);
    });
}

void TNGlobal::Sync2GetImagesAndAditionalDataAndTestShownRecords()
{
    Guarded("[TNGlobal::Sync2GetImagesAndAditionalDataAndTestShownRecords]", [&] {
        std::vector<TNShownRecord> shown = WindowState.ShownRecords();
        if (shown.empty() || runningTestShownRecords.exchange(true))
            return;
        if (!ActiveUserExists()) {
            runningTestShownRecords = false;
            return;
        }
        int64_t now = TNLocalClock::Now();
        int64_t limit = now - kShownRecordCheckAge;
        for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
            TNUpdatedRecordsBodies bodies;
            {
                TNModelWriteGuard lock;
                TNPIM* pim = PIM[position];
                if (pim == nullptr || pim->Records == nullptr)
                    continue;
                for (const TNShownRecord& entry : shown) {
                    TNPIMRecord* record =
                        entry.PimSrvPos == position ? pim->Records->GetRecordByID(entry.RecordID) : nullptr;
                    if (record == nullptr)
                        continue;
                    uint64_t key = (static_cast<uint64_t>(position) << 32) | record->ID;
                    {
                        std::lock_guard<std::mutex> checks(shownChecksMutex_);
                        int64_t& checked = shownChecks_[key];
                        if (checked >= limit)
                            continue;
                        checked = now;
                    }
                    bodies.Add(record->ID, record->Changed);
                }
            }
            for (const std::string& body : bodies.Take())
                apiQueueRequest(position, "get-updated-records", body.c_str(), kQueueUpdatedRecords, 1);
        }
        runningTestShownRecords = false;
    });
}
