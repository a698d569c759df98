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
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"
#include "online/window_state.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr int64_t kShownRecordCheckAge = 86400;
// The collection code of each section of a block, in the order they are read.
constexpr int32_t kSectionCodes[12] = {10, 1, 3, 4, 2, 7, 9, 5, 6, 8, 11, 12};

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
            auto pair = [&](const char* t, const char* b, uint32_t time, int32_t offset) {
                body.AddInt(t, static_cast<int32_t>(time)).AddInt(b, offset);
            };
            pair("tET", "bET", pim->EventTypes.LastRequestTime, pim->EventTypes.Offset);
            pair("tN", "bN", pim->Notifications.LastRequestTime, pim->Notifications.Offset);
            pair("tC", "bC", pim->Contacts.LastRequestTime, pim->Contacts.Offset);
            pair("tCR", "bCR", pim->ContactsRequests.LastRequestTime, pim->ContactsRequests.Offset);
            pair("tCG", "bCG", pim->Groups.LastRequestTime, pim->Groups.Offset);
            pair("tCGA", "bCGA", pim->GroupsAssign.LastRequestTime, pim->GroupsAssign.Offset);
            pair("tA", "bA", pim->Alerts.LastRequestTime, pim->Alerts.Offset);
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
            body.AddInt("tS", static_cast<int32_t>(pim->Sharing.LastRequestTime));
            for (int32_t i = 0; i < pim->Organizers.Count; ++i) {
                const TNPIMOrganizer* organizer = pim->Organizers.Items[i];
                if (organizer == nullptr || organizer->Deleted != 0 || !WantRecordsOfThisOrganizer(organizer))
                    continue;
                auto pair = [&](const char* t, const char* b, uint32_t time, int32_t offset) {
                    std::string id = std::to_string(organizer->ID);
                    body.AddInt((t + id).c_str(), static_cast<int32_t>(time)).AddInt((b + id).c_str(), offset);
                };
                pair("tT", "bT", organizer->tagsLastRequestTime, organizer->tagsOffset);
                pair("tTA", "bTA", organizer->tagsAssignLastRequestTime, organizer->tagsAssignOffset);
                pair("tR", "bR", organizer->recordsLastRequestTime, organizer->recordsOffset);
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
            if (AnswerIsValid(&answer) && answer.GetXmlValue("api-sync-pim", nullptr, 0, &block, false))
                anotherPass = SyncPIM(&block, 1, dataChanged);
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
        struct SectionCount {
            const char* name;
            int32_t delivered = 0;
        };
        SectionCount sections[] = {{"Organizers"},       {"Records"},        {"Tags"},
                                   {"Alerts"},           {"TagsAssign"},     {"Contacts"},
                                   {"ContactsRequests"}, {"ContactsGroups"}, {"ContactsGroupsAssign"},
                                   {"Notifications"},    {"Sharing"},        {"EventTypes"}};
        auto addTo = [&](int32_t index, TNString& item) -> int32_t {
            switch (index) {
            case 0:
                return pim->Organizers.Add(&item, false);
            case 1:
                return pim->Records->Add(&item);
            case 2:
                return pim->Tags.Add(&item);
            case 3:
                return pim->Alerts.Add(&item);
            case 4:
                return pim->TagsAssign.Add(&item);
            case 5:
                return pim->Contacts.Add(&item);
            case 6:
                return pim->ContactsRequests.Add(&item);
            case 7:
                return pim->Groups.Add(&item);
            case 8:
                return pim->GroupsAssign.Add(&item);
            case 9:
                return pim->Notifications.Add(&item);
            case 10:
                return pim->Sharing.Add(&item);
            default:
                return pim->EventTypes.Add(&item);
            }
        };
        bool changed = false;
        for (int32_t index = 0; index < 12; ++index) {
            TNString section;
            if (!block->GetXmlValue(sections[index].name, nullptr, 0, &section, false))
                continue;
            SetUpdateUiTag(__uiStatusText_Synchronising, 0);
            if (section.Length <= 7)
                continue;
            ForEachSectionItem(section, [&](TNString& item) {
                int32_t pos = addTo(index, item);
                if (pos < 0)
                    return;
                ++sections[index].delivered;
                ++SyncCounters.Downloaded[kSectionCodes[index]];
                changed = true;
                if (index == 1) {
                    pim->ViewCache[0].valid = 0;
                    pim->ViewCache[1].valid = 0;
                    SetUpdateUiTag(__uiUpdateHpNotesAndTasks, static_cast<uint32_t>(pos));
                } else if (index == 8) {
                    LogTextInt("[g.SyncPIM][pimGroupsAssign] need_ui_repaint = ", 1);
                }
            });
            if (sections[index].delivered > 0) {
                if (index <= 4)
                    pim->LastCheckAllTime = 0;
                if (index == 1) {
                    std::shared_ptr<const TNPIMRecord> notify(pim->Records->GetNotifyConstantly());
                    SetNotifyConstantlyRecord(std::move(notify));
                }
            }
        }
        if (sections[0].delivered > 0)
            SetUpdateUiTag(__uiUpdateSubscribedOrganizers, 0);

        bool anotherPass = false;
        int32_t limit = ArrayLimit;
        if (limit > 0) {
            for (int32_t index = 1; index < 12; ++index) {
                // Sharing is never paged: every answer brings all of it.
                if (index != 10 && sections[index].delivered >= limit)
                    anotherPass = true;
            }
            // Every page commits its newest Changed, a full one too. The
            // stamps are unique, so all that is still to come is newer; an
            // offset into the items after the committed time would skip one
            // whenever an item already received is changed again between
            // two pages, and that item would never come.
            auto commitPage = [&](auto& items) {
                if (items.Received > 0)
                    Commit(items.LastRequestTime, items.NewestChanged, items.Offset, false);
            };
            commitPage(pim->Alerts);
            commitPage(pim->Contacts);
            commitPage(pim->ContactsRequests);
            commitPage(pim->Groups);
            commitPage(pim->GroupsAssign);
            commitPage(pim->Notifications);
            commitPage(pim->EventTypes);
            for (int32_t i = 0; i < pim->Organizers.Count; ++i) {
                TNPIMOrganizer* organizer = pim->Organizers.Items[i];
                if (organizer == nullptr || organizer->Deleted != 0) {
                    if (organizer != nullptr && byOrganizer == 1)
                        LogTextUInt("[g.SyncPIM][DELETED_or_NULL] B_OrganizerID: ", organizer->ID);
                    continue;
                }
                auto commitOrganizer = [&](uint32_t& time, uint32_t& newest, int32_t& offset, int32_t received) {
                    if (byOrganizer == 1 || received > 0)
                        Commit(time, newest, offset, byOrganizer == 1);
                };
                commitOrganizer(organizer->recordsLastRequestTime, organizer->recordsNewestChanged,
                                organizer->recordsOffset, organizer->recordsReceived);
                commitOrganizer(organizer->tagsLastRequestTime, organizer->tagsNewestChanged, organizer->tagsOffset,
                                organizer->tagsReceived);
                commitOrganizer(organizer->tagsAssignLastRequestTime, organizer->tagsAssignNewestChanged,
                                organizer->tagsAssignOffset, organizer->tagsAssignReceived);
            }
        }
        // Sharing comes whole in every answer: taken as complete whatever
        // the limit, and never the reason for another pass.
        if (pim->Sharing.Received > 0)
            Commit(pim->Sharing.LastRequestTime, pim->Sharing.NewestChanged, pim->Sharing.Offset, true);

        for (int32_t i = 0; i < pim->Organizers.Count; ++i) {
            if (TNPIMOrganizer* organizer = pim->Organizers.Items[i]) {
                organizer->recordsReceived = 0;
                organizer->tagsReceived = 0;
                organizer->tagsAssignReceived = 0;
            }
        }
        pim->Alerts.Received = 0;
        pim->Groups.Received = 0;
        pim->GroupsAssign.Received = 0;
        pim->Contacts.Received = 0;
        pim->Notifications.Received = 0;
        pim->ContactsRequests.Received = 0;
        pim->Sharing.Received = 0;
        pim->EventTypes.Received = 0;

        if (dataChanged != nullptr)
            *dataChanged = changed;
        LogTextInt("[g.SyncPIM][END] need_ui_repaint = ", changed ? 1 : 0);
        if (!anotherPass)
            SetUpdateUiTag(__uiStatusText_Empty, 0);
        return anotherPass;
    });
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
