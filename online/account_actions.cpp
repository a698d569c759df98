// Requests that change something on the account service or report to it:
// the basic profile, answers to contact requests, the notifications' read
// mark, subscriptions, postponed alerts, statistics and the deletion of a
// recurring series.

#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/clock.h"

#include <functional>
#include <string>

namespace {

constexpr int64_t kExtendedStatsEverySeconds = 43200;

// Posts a body to the API address of a server position; as PostToApi.
bool PostAt(int32_t position, const TNString& body, TNDownload& download)
{
    return g.PostToApiAt(TNGlobal::ServerPosition(position), body, download);
}

bool AnswerFlagIsOne(TNString* answer, const char* key)
{
    int32_t value = 0;
    return ReadAnswerNumber(answer, key, &value) && value == 1;
}

// A statistics report: the head without a user, the fields, the epilogue
// with tag 2; the answer is not read.
bool SendStats(int32_t position, const char* caller, const std::function<void(TNFormBuilder&)>& fields)
{
    TNFormBuilder body;
    if (!g.Sync2SetRequest("send-stats", nullptr, 0, &body))
        return false;
    fields(body);
    TNDownload download;
    bool online = PostAt(position, body.Text(), download);
    return g.Sync2Finish(online, false, caller, online ? __uiOnlineAndLoginNotTested : __uiOfflineOrDownloadError);
}

} // namespace

bool TNGlobal::Sync2SaveBasicProfileSettings(int32_t position)
{
    return Guarded("[TNGlobal::Sync2SaveBasicProfileSettings]", false, [&] {
        if (!ActiveUserExists()) {
            LogText("[Sync2SaveBasicProfileSettings][ERROR] !g.ActiveUserExists");
            return false;
        }
        TNAccount account = Account();
        TNFormBuilder body;
        if (!Sync2SetRequest("save-basic-profile-settings", nullptr, 1, &body))
            return false;
        body.Add("FirstName", account.NewFirstName).Add("LastName", account.NewLastName);
        TNDownload download;
        bool online = PostAt(position, body.Text(), download);
        bool saved = false;
        bool stale = false;
        if (online) {
            TNString answer(download.DocumentBytes());
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2SaveBasicProfileSettings]");
            stale = lock.Stale();
            if (!stale && AnswerFlagIsOne(&answer, "handshake") && AnswerFlagIsOne(&answer, "success")) {
                Setup.SetString("FirstName", std::string(account.NewFirstName.View()).c_str(), TNSetupItem::kText8);
                Setup.SetString("LastName", std::string(account.NewLastName.View()).c_str(), TNSetupItem::kText8);
                UpdateAccount([&](TNAccount& current) {
                    current.FirstName = account.NewFirstName;
                    current.LastName = account.NewLastName;
                });
                pleaseSaveBasicProfileSettings = 0;
                basicProfileSettingsChanged = 0;
                ProcessUserData(&answer);
                SetUpdateUiTag(__uiUpdateHeaderUser, 0);
                saved = true;
            }
        }
        // The online pass sends it again; not for a user who has logged
        // out meanwhile.
        if (!saved && !stale)
            pleaseSaveBasicProfileSettings = 1;
        return Sync2Finish(online, false, "Sync2SaveBasicProfileSettings",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::Sync2IgnoreOrAcceptContactRequest(int32_t action, uint32_t requestId, int32_t position)
{
    return Guarded("[TNGlobal::Sync2IgnoreOrAcceptContactRequest]", false, [&] {
        if (!ActiveUserExists()) {
            LogText("[Sync2IgnoreOrAcceptContactRequest][ERROR] !g.ActiveUserExists");
            return false;
        }
        position = ServerPosition(position);
        const char* name = action == 1 ? "accept-contact-request" : "ignore-contact-request";
        TNFormBuilder body;
        if (!Sync2SetRequest(name, nullptr, 1, &body))
            return false;
        body.AddUInt("RequestID", requestId);
        TNDownload download;
        bool online = PostAt(position, body.Text(), download);
        TNString answer(download.DocumentBytes());
        LogAnswer("[Sync2IgnoreOrAcceptContactRequest] dApi.Document = ", answer.View());
        if (online) {
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2IgnoreOrAcceptContactRequest]");
            TNPIM* pim = PIM[position];
            if (!lock.Stale() && pim != nullptr && AnswerFlagIsOne(&answer, "handshake") &&
                HasAnswerElement(&answer, "success")) {
                TNModelWriteGuard model;
                TNPIMContactsRequests& requests = pim->ContactsRequests;
                for (int32_t pos = 0; pos < requests.Count; ++pos) {
                    TNPIMContactsRequest* request = requests.Items[pos];
                    if (request == nullptr || request->ID != requestId || request->Deleted != 0)
                        continue;
                    request->AcceptanceTimestamp = static_cast<int32_t>(plat::UnixSeconds());
                    request->Unsaved = true;
                    requests.QueueItem(pos);
                    break;
                }
            }
        }
        return Sync2Finish(online, false, "Sync2IgnoreOrAcceptContactRequest",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::Sync2MarkAllNotificationsAsRead(int32_t position)
{
    return Guarded("[TNGlobal::Sync2MarkAllNotificationsAsRead]", false, [&] {
        if (!ActiveUserExists()) {
            LogText("[Sync2MarkAllNotificationsAsRead][ERROR] !g.ActiveUserExists");
            return false;
        }
        position = ServerPosition(position);
        TNFormBuilder body;
        if (!Sync2SetRequest("mark-all-notifications-as-read", nullptr, 1, &body))
            return false;
        TNDownload download;
        bool online = PostAt(position, body.Text(), download);
        TNString answer(download.DocumentBytes());
        LogAnswer("[Sync2MarkAllNotificationsAsRead] dApi.Document = ", answer.View());
        if (online) {
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2MarkAllNotificationsAsRead]");
            TNPIM* pim = PIM[position];
            if (!lock.Stale() && pim != nullptr && AnswerFlagIsOne(&answer, "handshake") &&
                AnswerFlagIsOne(&answer, "success")) {
                TNModelWriteGuard model;
                pim->pleaseMarkAllNotificationsAsRead = false;
            }
        }
        return Sync2Finish(online, false, "Sync2MarkAllNotificationsAsRead",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::Sync2SubscribeOrganizer(uint32_t organizerId, int32_t position, int32_t subscribe)
{
    bool confirmed = Guarded("[TNGlobal::Sync2SubscribeOrganizer]", false, [&] {
        if (!ActiveUserExists())
            return false;
        position = ServerPosition(position);
        std::string message = "Pro tuto akci mus\xEDte b\xFDt p\xF8ipojeni k internetu!";
        TNFormBuilder body;
        if (!Sync2SetRequest("subscribe-organizer", nullptr, 1, &body))
            return false;
        body.AddUInt("OrganizerID", organizerId).AddInt("pimSrvPos", position).AddInt("Subscribe", subscribe);
        TNWindowCalls::SetWaitCursor();
        TNDownload download;
        bool online = PostAt(position, body.Text(), download);
        TNWindowCalls::ResetCursor();
        TNString answer(download.DocumentBytes());
        uint32_t newOrganizer = 0;
        bool result = false;
        if (online) {
            uint32_t instId = 0;
            if (ReadAnswerNumber(&answer, "inst-id", &instId))
                TakeInstID(instId);
            if (!AnswerFlagIsOne(&answer, "handshake")) {
                message = "N\xEC"
                          "co se nepovedlo (hodnota handshake = false).\nZkuste akci zopakovat.";
            } else if (!AnswerFlagIsOne(&answer, "success")) {
                message = "N\xEC"
                          "co se nepovedlo (hodnota success = false).\nZkuste akci zopakovat.";
            } else if (ReadAnswerNumber(&answer, "organizer-id", &newOrganizer)) {
                result = true;
            }
        }
        if (!result || newOrganizer == 0) {
            // An empty Response would give an empty box: the own message
            // then.
            TNString response;
            if (online && ReadAnswerText(&answer, "Response", &response) && response.Length > 0) {
                response.DecodeHtmlEntities();
                message = std::string(response.View());
            }
            TNWindowCalls::ShowMessageBox(message.c_str(), "Chyba", mbOk | mbIconExclamation);
            LogAnswer("[TNGlobal::Sync2SubscribeOrganizer][ERROR] dApi.Document = ", answer.View());
            return false;
        }
        TNWindowCalls::SetWaitCursor();
        LogAnswer("[TNGlobal::Sync2SubscribeOrganizer][SUCCESS] dApi.Document = ", answer.View());
        bool organizersChanged = false;
        Sync2UsersOrganizers(&organizersChanged);
        WindowState.OrganizerListStamps[position] = 0;
        TNWindowCalls::SetOrganizerToOpen(newOrganizer);
        if (subscribe == 1)
            SetUpdateUiTag(__uiOpenEditedOrganizer, 0);
        LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [GGG]");
        SetUpdateUiTag(__uiUpdateShownData, 0);
        SetUpdateUiTag(__uiUpdateSubscribedOrganizers, 0);
        return true;
    });
    TNWindowCalls::ResetCursor();
    return confirmed;
}

bool TNGlobal::PostponeAlert(int32_t minutes, uint32_t alertId, int32_t position, int32_t alertType,
                             uint32_t organizerId, uint32_t recordId, uint32_t alertUserId)
{
    return Guarded("[TNGlobal::PostponeAlert]", false, [&] {
        TNFormBuilder body;
        if (!Sync2SetRequest("postpone-alert", nullptr, 1, &body))
            return false;
        body.AddUInt("AlertID", alertId)
            .AddUInt("AlertUserID", alertUserId)
            .AddUInt("OrganizerID", organizerId)
            .AddUInt("RecordID", recordId)
            .AddInt("Type", alertType)
            .AddInt("PostponeMinutes", minutes);
        TNDownload download;
        bool online = PostAt(position, body.Text(), download);
        return Sync2Finish(online, false, "PostponeAlert",
                           online ? __uiOnlineAndLoginNotTested : __uiOfflineOrDownloadError);
    });
}

bool TNGlobal::SendStatsToServer_NewAccountButtonClick(int32_t position)
{
    return Guarded("[TNGlobal::SendStatsToServer_NewAccountButtonClick]", false, [&] {
        return SendStats(position, "SendStatsToServer_NewAccountButtonClick",
                         [](TNFormBuilder& body) { body.Add("StatsType", "newaccountbuttonclick"); });
    });
}

bool TNGlobal::SendStatsToServer_EmptyLoginWindowShown(int32_t position)
{
    return Guarded("[TNGlobal::SendStatsToServer_EmptyLoginWindowShown]", false, [&] {
        // Taken before the post, so that two callers never both send it.
        if (emptyLoginWindowStatsSent.exchange(1) != 0)
            return true;
        bool sent = SendStats(position, "SendStatsToServer_EmptyLoginWindowShown",
                              [](TNFormBuilder& body) { body.Add("StatsType", "emptyloginwindowshown"); });
        if (!sent)
            emptyLoginWindowStatsSent = 0;
        return sent;
    });
}

bool TNGlobal::SendStatsToServer_ExtendedStats(const TNString& stats, int32_t position)
{
    return Guarded("[TNGlobal::SendStatsToServer_ExtendedStats]", false, [&] {
        int64_t now = plat::UnixSeconds();
        if (Account().SendExtendedStats == 0 || now <= lastExtendedStatsTime + kExtendedStatsEverySeconds)
            return false;
        lastExtendedStatsTime = now;
        return SendStats(position, "SendStatsToServer_ExtendedStats", [&](TNFormBuilder& body) {
            body.Add("StatsType", "extended-stats").Add("ExtendedStats", stats);
            LogWrite("[SendExtendedStats] ", body.Text().Text, false);
        });
    });
}

bool TNGlobal::DeleteRecurringRecordUsingThread(uint32_t recordId, int32_t what, int32_t position)
{
    return Guarded("[TfrmMainDLMR1::DeleteRecurringRecordUsingThread]", false, [&] {
        if (!ActiveUserExists())
            return false;
        position = ServerPosition(position);
        uint32_t master = 0;
        if (TNPIM* pim = PIM[position]; pim != nullptr && pim->Records != nullptr) {
            TNModelReadGuard lock;
            if (const TNPIMRecord* record = pim->Records->GetRecordByID(recordId))
                master = record->RecurrenceMasterID;
        }
        TNFormBuilder body;
        if (!Sync2SetRequest("delete-recurring-record", nullptr, 1, &body))
            return false;
        body.AddUInt("RecordID", recordId).AddUInt("RecurrenceMasterID", master).AddInt("What", what);
        TNDownload download;
        bool online = PostAt(position, body.Text(), download);
        // The deletions come back with the next download.
        return Sync2Finish(online, online, "DeleteRecurringRecordUsingThread",
                           online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}
