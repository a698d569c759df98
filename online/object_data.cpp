#include "online/object_data.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"

#include <cstring>

int32_t TNObjectDataList::Add(uint8_t type, uint32_t id, int32_t position)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (!entry.done && entry.type == type && entry.id == id && entry.pim_srv_pos == position)
            return static_cast<int32_t>(i);
    }
    entries_.push_back({false, type, id, position});
    ++pending_;
    return static_cast<int32_t>(entries_.size() - 1);
}

int32_t TNObjectDataList::MarkDone(uint8_t type, uint32_t id, int32_t position)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        if (entry.type == type && entry.id == id && entry.pim_srv_pos == position) {
            if (!entry.done)
                --pending_;
            entry.done = true;
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

bool TNObjectDataList::FirstPending(Entry* out) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (const Entry& entry : entries_) {
        if (!entry.done) {
            *out = entry;
            return true;
        }
    }
    return false;
}

int32_t TNObjectDataList::Count() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int32_t>(entries_.size());
}

int32_t TNObjectDataList::objectDataCount() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return pending_;
}

void TNObjectDataList::Clear()
{
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.clear();
    pending_ = 0;
}

// ---------------------------------------------------------------------------
// The requests in g

namespace {

// "false", or the number 0 as a whole: the object is gone on the service.
bool ObjectIsGone(const TNString& value)
{
    std::string_view text = value.View();
    return text == "false" || (!text.empty() && text.find_first_not_of('0') == std::string_view::npos);
}

// The object is gone: the item is deleted and the deletion goes up.
void DeleteObjectItem(TNPIM* pim, uint8_t type, uint32_t id)
{
    int32_t now = static_cast<int32_t>(TNLocalClock::Now());
    if (type == TNObjectDataList::kContactRequest) {
        int32_t pos = pim->ContactsRequests.GetItemPosByID(id);
        if (pos < 0)
            return;
        pim->ContactsRequests.Items[pos]->Deleted = now;
        pim->ContactsRequests.Items[pos]->PleaseSync = true;
        pim->ContactsRequests.QueueItem(pos);
        return;
    }
    int32_t pos = pim->Notifications.GetItemPosByID(id);
    if (pos < 0)
        return;
    pim->Notifications.Items[pos]->Deleted = now;
    pim->Notifications.Items[pos]->PleaseSync = true;
    pim->Notifications.QueueItem(pos);
}

// Copies the details present in the answer; the next save writes them.
void FillObjectItem(TNPIM* pim, uint8_t type, uint32_t id, TNString* answer)
{
    if (type == TNObjectDataList::kContactRequest) {
        int32_t pos = pim->ContactsRequests.GetItemPosByID(id);
        if (pos < 0)
            return;
        TNPIMContactsRequest& request = *pim->ContactsRequests.Items[pos];
        ReadAnswerText(answer, "FullName", &request.FullName);
        ReadAnswerText(answer, "Bio", &request.Bio);
        ReadAnswerText(answer, "Web", &request.Web);
        ReadAnswerText(answer, "Company", &request.Company);
        ReadAnswerText(answer, "City", &request.City);
        ReadAnswerNumber(answer, "ProfilePicture", &request.ProfilePicture);
        request.Unsaved = true;
        return;
    }
    int32_t pos = pim->Notifications.GetItemPosByID(id);
    if (pos < 0)
        return;
    TNPIMNotification& notification = *pim->Notifications.Items[pos];
    ReadAnswerText(answer, "FullName", &notification.FullName);
    ReadAnswerText(answer, "OrganizerTitle", &notification.OrganizerTitle);
    ReadAnswerText(answer, "OrganizerNote", &notification.OrganizerNote);
    ReadAnswerText(answer, "OrganizerName", &notification.OrganizerName);
    ReadAnswerNumber(answer, "OrganizerType", &notification.OrganizerType);
    notification.PleaseSave = true;
}

} // namespace

int32_t TNGlobal::AddObjectData(uint8_t type, uint32_t id, int32_t position)
{
    return Guarded("[TNGlobal::AddObjectData]", -1, [&] { return ObjectData.Add(type, id, position); });
}

int32_t TNGlobal::DeleteObjectData(uint8_t type, uint32_t id, int32_t position)
{
    return ObjectData.MarkDone(type, id, position);
}

bool TNGlobal::Sync2GetObjectData(uint8_t type, uint32_t id, int32_t position)
{
    return Guarded("[TNGlobal::Sync2GetObjectData]", false, [&] {
        if (!ActiveUserExists()) {
            LogText("[Sync2LoadObjectData][ERROR] !g.ActiveUserExists");
            return false;
        }
        int32_t listPosition = position;
        position = TNGlobal::ServerPosition(position);
        TNFormBuilder body;
        if (!Sync2SetRequest("get-object-data", nullptr, 1, &body))
            return false;
        body.AddInt("ObjectType", static_cast<int8_t>(type)).AddUInt("ObjectID", id);
        TNDownload download;
        bool done = PostToApi(body.Text(), download);
        TNString answer(download.DocumentBytes());
        LogAnswer("[g.Sync2GetObjectData] document = ", answer.View());
        if (done) {
            TNSyncLock lock = WaitUntilUiJobFinish("[g.Sync2GetObjectData]");
            TNPIM* pim = PIM[position];
            if (!lock.Stale() && pim != nullptr && AnswerIsValid(&answer)) {
                ApplyObjectData(pim, type, id, &answer);
                DeleteObjectData(type, id, listPosition);
            }
        }
        return Sync2Finish(done, false, "Sync2GetObjectData", done ? __uiOnlineAndLogged : __uiOfflineOrDownloadError);
    });
}

void TNGlobal::ApplyObjectData(TNPIM* pim, uint8_t type, uint32_t id, TNString* answer)
{
    TNString value;
    if (!answer->GetXmlValue("object-data", nullptr, 0, &value, false)) {
        LogTextInt("[g.Sync2GetObjectData][B][Calling DeleteObjectData] object-data not found at all. "
                   "ObjectID = ",
                   static_cast<int32_t>(id));
    } else if (ObjectIsGone(value)) {
        LogText("[g.Sync2GetObjectData][A] object-data = false; ");
        TNModelWriteGuard model;
        DeleteObjectItem(pim, type, id);
    } else {
        TNModelWriteGuard model;
        FillObjectItem(pim, type, id, answer);
    }
}

void TNGlobal::GetNextObjectData()
{
    TNObjectDataList::Entry entry;
    if (ObjectData.FirstPending(&entry))
        Sync2GetObjectData(entry.type, entry.id, entry.pim_srv_pos);
}
