// The upload of one pending item, its confirmation and the series of a
// recurring master.

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/local_ids.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

// A series request: a 2xx answer with handshake 1.
bool PostSeriesRequest(const TNString& body)
{
    TNDownload download;
    bool answered = download.Post(App.ApiUrl[0], body.Text != nullptr ? body.Text : "", false);
    if (!answered || download.ResultCode < 200 || download.ResultCode > 299)
        return false;
    TNString answer(download.DocumentBytes());
    LogAnswer("[UpdateRecurrence] response = ", answer.View());
    return TNGlobal::AnswerIsValid(&answer);
}

} // namespace

bool TNGlobal::UploadPendingNow()
{
    TNPIM* pim = PIM[0];
    if (pim == nullptr || UserLoginStatus != 1)
        return false;
    // Confirmations not yet on disk (a full disk) hold every upload back, so
    // nothing can go up before the ordinary pass saves them again.
    if (unsavedConfirmations_.load() > 0)
        return false;
    int64_t nowMs = plat::MonotonicMilliseconds();
    int32_t type = 0;
    TNString scratch;
    return pim->GetDataToSync(&type, &scratch,
                              [&](int32_t t, uint32_t id) { return UploadBackOff.BackingOff(t, id, nowMs); }) != 0;
}

bool TNGlobal::Sync2Upsync(uint32_t* uploadedId)
{
    return Guarded("[TNGlobal::Sync2Upsync]", false, [&] {
        LogText("[TNGlobal::Sync2Upsync][BEGIN]");
        if (uploadedId != nullptr)
            *uploadedId = 0;
        if (!ActiveUserExists()) {
            LogText("[TNGlobal::Sync2Upsync] g.ActiveUserExists() = false; RETURN");
            return false;
        }
        DoUploadSync = 0;
        TNPIM* pim = PIM[0];
        if (UserLoginStatus != 1 || pim == nullptr) {
            LogTextInt("[TNGlobal::Sync2Upsync] UserLoginStatus = ", UserLoginStatus.load());
            Sync2Finish(false, false, "Sync2Upsync", Online != 0 ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
            return false;
        }
        if (!SaveConfirmedUploads()) {
            LogText("[TNGlobal::Sync2Upsync] earlier confirmations not saved yet; no upload in this pass");
            Sync2Finish(false, false, "Sync2Upsync", Online != 0 ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
            return false;
        }
        if (MatchNewItemsFirst) {
            LogText("[TNGlobal::Sync2Upsync] new items of a data set loaded again; a download goes first");
            Sync2Finish(false, false, "Sync2Upsync", Online != 0 ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
            return false;
        }
        LogText("[TNGlobal::Sync2Upsync] Calling PIM[0]->GetDataToSync()...");
        int64_t nowMs = plat::MonotonicMilliseconds();
        int32_t type = 0;
        TNString form;
        uint32_t id = pim->GetDataToSync(
            &type, &form, [&](int32_t t, uint32_t candidate) { return UploadBackOff.BackingOff(t, candidate, nowMs); });
        if (id == 0) {
            if (App.IsDev != 0)
                LogTextUInt("[TNGlobal::Sync2Upsync] upload_sync_id = ", 0);
            Sync2Finish(false, false, "Sync2Upsync", Online != 0 ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
            return false;
        }
        if (uploadedId != nullptr)
            *uploadedId = id;
        LogTextUInt("[TNGlobal::Sync2Upsync][BEGIN] PIM[0]->GetDataToSync() upload_sync_id = ", id);
        TNFormBuilder head;
        if (!Sync2SetRequest("upsync", nullptr, 1, &head)) {
            LogText("[TNGlobal::Sync2Upsync] Sync2SetRequest() = false; RETURN");
            return false;
        }
        TNString body = head.Text();
        body.Append("&UpSync=");
        body.AppendInt(type);
        body.Append("&UpSyncID=");
        body.AppendUInt(id);
        body.Append(form.Text);

        TNDownload download;
        bool online = PostToApi(body, download);
        if (online && UploadAnswerCrashSeam && UploadAnswerCrashSeam(type, id)) {
            Close = 1;
            return false;
        }
        bool confirmed = false;
        if (online) {
            TNString answer(download.DocumentBytes());
            confirmed = ApplyUploadAnswer(&answer, type, id, form);
        }
        bool counted = type > 0 && type < TNSyncCounters::kCodes;
        if (counted)
            ++(confirmed ? SyncCounters.Uploaded : SyncCounters.Failed)[type];
        if (confirmed) {
            DoUploadSync = 1;
            ++unsavedConfirmations_;
            SaveConfirmedUploads();
            if (type == TNPIM::kUploadRecords)
                UpdateRecurrence(id, ConfirmedRecordId(id));
        } else {
            int64_t bound =
                std::max<int64_t>(static_cast<int64_t>(SyncInterval.load()) * 1000, TNUploadBackOff::kFirstDelayMs);
            UploadBackOff.Failed(type, id, plat::MonotonicMilliseconds(), bound);
            LogTextUInt("[TNGlobal::Sync2Upsync][BACK_OFF] upload_sync_id = ", id);
        }
        LogTextInt("[TNGlobal::Sync2Upsync][END] call_for_new_sync = ", confirmed ? 1 : 0);
        Sync2Finish(online, confirmed, "Sync2Upsync", online ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
        return confirmed;
    });
}

bool TNGlobal::ApplyUploadAnswer(TNString* answer, int32_t type, uint32_t id, const TNString& sentForm)
{
    // Every answer is applied: the service has stored the item once it
    // answered, whatever the user does meanwhile.
    TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2Upsync]");
    Sync2TestNewestVersion(answer);
    if (!AnswerIsValid(answer)) {
        LogText("[TNGlobal::Sync2Upsync][ERROR] handshake != 1");
        return false;
    }
    TNString value;
    bool hasNewId = answer->GetXmlValue("uploaded-sync-new-id", nullptr, 0, &value, false);
    uint32_t newId = hasNewId ? AnswerUInt(value) : id;
    uint32_t newChanged = 0;
    if (ReadAnswerNumber(answer, "uploaded-sync-new-changed", &newChanged))
        LogTextUInt("[g.Sync2Upsync] uploaded_sync_new_changed = ", newChanged);
    LogTextInt("[g.Sync2Upsync] Calling PIM[0]->DataUpSynced... upload_sync_type = ", type);
    return ConfirmUpload(type, id, newId, sentForm);
}

bool TNGlobal::SaveConfirmedUploads()
{
    TNPIM* pim = PIM[0];
    int32_t waiting = unsavedConfirmations_.load();
    if (pim == nullptr || waiting == 0)
        return true;
    LogTextInt("[TNGlobal::SaveConfirmedUploads] confirmations = ", waiting);
    // Another save or a download holds the data set, or a write failed:
    // the next pass tries again before it uploads.
    if (!pim->Save(false, false)) {
        LogText("[TNGlobal::SaveConfirmedUploads] not saved now");
        return false;
    }
    unsavedConfirmations_ -= waiting;
    return true;
}

bool TNGlobal::ConfirmUpload(int32_t type, uint32_t oldId, uint32_t newId, const TNString& sentForm)
{
    // A new item left with its temporary id would go up again on every
    // pass, and the service would make a copy each time; an id in the local
    // range may also be another unsent item's, which must not be forgotten.
    if (!IsAcceptableNewID(newId))
        return false;
    TNPIM* pim = PIM[0];
    // The item keeps the stamp of its last download; the service's new stamp
    // comes with the next download of the item. A data set loaded again takes
    // the newest stamps it holds as its download positions: an upload's stamp
    // among them would pass over what another party changed just before it.
    constexpr uint32_t kKeepDownloadedStamp = 0;
    TNModelWriteGuard lock;
    if (type != TNPIM::kUploadRecords) {
        bool taken = pim->DataUpSynced(type, oldId, kKeepDownloadedStamp, newId);
        if (taken)
            UploadBackOff.Succeeded(type, oldId);
        return taken;
    }

    TNPIMRecords& records = *pim->Records;
    // What the user changed while the answer was on its way still has to go.
    bool editedMeanwhile = false;
    if (TNPIMRecord* record = records.GetRecordByID(oldId)) {
        TNString again;
        record->GetDataToSync(&again);
        editedMeanwhile = again.View() != sentForm.View();
    }
    if (newId != oldId)
        records.ForgetDuplicate(newId);
    TNWindowCalls::ReplaceShownNoteId(oldId, newId);
    if (!pim->DataUpSynced(type, oldId, kKeepDownloadedStamp, newId))
        return false;
    UploadBackOff.Succeeded(type, oldId);
    pim->ViewCache[0].valid = 0;
    if (editedMeanwhile) {
        int32_t pos = records.GetRecordPosByID(newId);
        if (pos >= 0) {
            records.Items[pos]->PleaseSync = true;
            records.SaveOrDeleteRecordByPos(pos, false);
            LogTextUInt("[g.Sync2Upsync] edited while uploaded, stays pending; ID = ", newId);
        }
    }
    LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [HHH]");
    SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
    return true;
}

namespace {

// A pending new item and the downloaded copy that confirms it.
struct TNUploadedCopy {
    uint32_t pendingId = 0;
    uint32_t copyId = 0;
    TNString form;
};

// The pending new items of one collection (records, tags or tag
// assignments, the only items this client makes) whose downloaded copy the
// collection finds; a copy confirms one item at most.
std::vector<TNUploadedCopy> FindUploadedCopies(TNPIM& pim, int32_t type, uint32_t userId)
{
    std::vector<TNUploadedCopy> found;
    auto take = [&](uint32_t pendingId, uint32_t copy, auto& item) {
        if (copy == 0 || std::any_of(found.begin(), found.end(), [&](const auto& f) { return f.copyId == copy; }))
            return;
        TNUploadedCopy adopted{pendingId, copy, {}};
        item.GetDataToSync(&adopted.form);
        found.push_back(std::move(adopted));
    };
    TNModelWriteGuard lock;
    if (type == TNPIM::kUploadRecords) {
        TNPIMRecords& records = *pim.Records;
        for (int32_t i = 0; i < records.Count; ++i) {
            TNPIMRecord* record = records.Items[i];
            if (record == nullptr || record->Virtual || !record->PleaseSync || record->ID < kFirstLocalID)
                continue;
            take(record->ID, records.FindUploadedCopy(*record, userId), *record);
        }
    } else if (type == TNPIM::kUploadTags) {
        for (int32_t i = 0; i < pim.Tags.Count; ++i) {
            TNPIMTag* tag = pim.Tags.Items[i];
            if (tag == nullptr || tag->ID < kFirstLocalID || tag->Deleted != 0 || tag->OrganizerID == 0)
                continue;
            take(tag->ID, pim.Tags.FindUploadedCopy(*tag), *tag);
        }
    } else if (type == TNPIM::kUploadTagsAssign) {
        for (int32_t i = 0; i < pim.TagsAssign.Count; ++i) {
            TNPIMTagsAssignItem* assign = pim.TagsAssign.Items[i];
            if (assign == nullptr || assign->ID < kFirstLocalID || assign->Deleted != 0)
                continue;
            take(assign->ID, pim.TagsAssign.FindUploadedCopy(*assign), *assign);
        }
    }
    return found;
}

} // namespace

void TNGlobal::AdoptUploadedCopies()
{
    TNPIM* pim = PIM[0];
    if (pim == nullptr || pim->Records == nullptr)
        return;
    const uint32_t userId = Uzivatele.ActiveUserID();
    // Records and tags first: their confirmations give the assignments the
    // service ids that the assignments' copies name.
    size_t matched = 0;
    for (int32_t type : {TNPIM::kUploadRecords, TNPIM::kUploadTags, TNPIM::kUploadTagsAssign}) {
        for (const TNUploadedCopy& copy : FindUploadedCopies(*pim, type, userId)) {
            ++matched;
            if (!ConfirmUpload(type, copy.pendingId, copy.copyId, copy.form))
                continue;
            LogTextInt("[TNGlobal::AdoptUploadedCopies] confirmed by its downloaded copy; type = ", type);
            LogTextUInt("[TNGlobal::AdoptUploadedCopies] ID = ", copy.copyId);
            ++unsavedConfirmations_;
        }
    }
    {
        TNModelWriteGuard lock;
        pim->Records->EndArrivals();
        pim->Tags.EndArrivals();
        pim->TagsAssign.EndArrivals();
    }
    MatchNewItemsFirst = false;
    // The uploads held back go next; a confirmation the data set could not
    // save now is saved before them.
    if (!SaveConfirmedUploads() || matched > 0)
        NewSyncWanted = 1;
}

uint32_t TNGlobal::ConfirmedRecordId(uint32_t oldId)
{
    TNModelReadGuard lock;
    const TNPIMRecord* record = PIM[0] != nullptr ? PIM[0]->Records->GetRecordByID(oldId) : nullptr;
    return record != nullptr ? record->ID : oldId;
}

bool TNGlobal::UpdateRecurrence(uint32_t oldId, uint32_t newId)
{
    return Guarded("[TNGlobal::Sync2Upsync]", false, [&] {
        LogTextUInt("[UpdateRecurrence] upload_sync_id = ", oldId);
        LogTextUInt("[UpdateRecurrence] uploaded_sync_new_id = ", newId);
        TNPIMRecords& records = *PIM[0]->Records;
        // 1. Under the model lock: the old occurrences go, and the series'
        // dates and times are taken from the master.
        std::vector<std::string> series;
        bool noDates = false;
        {
            TNModelWriteGuard lock;
            int32_t pos = records.GetRecordPosByID(newId);
            if (pos < 0)
                return false;
            TNPIMRecord* master = records.Items[pos];
            LogTextInt("[UpdateRecurrence] uploaded_record->PleaseSyncRecurrence = ",
                       master->PleaseSyncRecurrence ? 1 : 0);
            LogTextUInt("[UpdateRecurrence] uploaded_record->RecurrenceMasterID = ", master->RecurrenceMasterID);
            if (!master->PleaseSyncRecurrence || master->RecurrenceMasterID != 0)
                return false;
            someRecordChangedSoUpdateViews = 7;
            LogText("[UpdateRecurrence] Before Delete old recurring records");
            if (newId < kFirstLocalID) {
                Guarded("[TNGlobal::Sync2Upsync][DeleteRecurringRecordsByRecurrenceMasterID]", [&] {
                    for (int32_t i = 0; i < records.Count; ++i) {
                        TNPIMRecord* record = records.Items[i];
                        if (record != nullptr && !record->Virtual && record->RecurrenceMasterID == newId &&
                            record->Deleted == 0)
                            records.SaveOrDeleteRecordByPos(i, true);
                    }
                });
            }
            LogText("[UpdateRecurrence] Before uploaded_record->CreateRecurrenceArray(true)...");
            if (master->CreateRecurrenceArray(true, 0) <= 0) {
                LogText("[UpdateRecurrence] uploaded_record->CreateRecurrenceArray(true) <= 0");
                noDates = true;
            }
            for (int32_t i = 0; !noDates && i < TNRequestStrings::kCount; ++i) {
                const TNString& dates = master->RecurrenceDates[i];
                const TNString& times = master->RecurrenceTimes[i];
                if (dates.Length <= 3 || times.Length <= 3)
                    break;
                series.push_back(std::string(dates.View()) + std::string(times.View()));
            }
        }

        // 2. The requests, with no lock held: the user goes on working while
        // they wait. The series counts as sent only when every request of it
        // was taken.
        bool sent = false;
        TNFormBuilder head;
        if (Sync2SetRequest("DeleteRecurringRecordsByRecurrenceMasterID", nullptr, 1, &head)) {
            head.AddUInt("mid", newId);
            sent = PostSeriesRequest(head.Text());
        }
        for (size_t i = 0; sent && i < series.size(); ++i) {
            TNFormBuilder request;
            if (!Sync2SetRequest("SaveRecordRecurrence", nullptr, 1, &request)) {
                sent = false;
                break;
            }
            request.AddUInt("mid", newId);
            TNString body = request.Text();
            body.Append(series[i].c_str());
            LogWrite("[UpdateRecurrence] request = ", body.Text, false);
            sent = PostSeriesRequest(body);
            if (sent)
                SetUpdateUiTag(__uiFastSync, 0);
        }

        // 3. Under the lock again, the master found anew: it may have moved
        // or gone meanwhile.
        TNModelWriteGuard lock;
        int32_t pos = records.GetRecordPosByID(newId);
        if (pos < 0)
            return sent;
        TNPIMRecord* master = records.Items[pos];
        if (sent) {
            master->PleaseSyncRecurrence = false;
        } else {
            // The master goes up again, and its series with it, after the
            // back-off.
            master->PleaseSync = true;
            int64_t bound =
                std::max<int64_t>(static_cast<int64_t>(SyncInterval.load()) * 1000, TNUploadBackOff::kFirstDelayMs);
            UploadBackOff.Failed(TNPIM::kUploadRecords, newId, plat::MonotonicMilliseconds(), bound);
            LogTextUInt("[UpdateRecurrence][ERROR] series not taken, goes again; ID = ", newId);
        }
        records.SaveOrDeleteRecordByPos(pos, false);
        return sent;
    });
}
