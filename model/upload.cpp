#include "model/upload.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/collection.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/synced_collections.h"

#include <cstdio>

bool IsAcceptableNewID(uint32_t newID)
{
    if (newID == 0 || newID >= kFirstLocalID) {
        LogTextUInt("[TNPIM::DataUpSynced][ERROR] uploaded_sync_new_id = ", newID);
        return false;
    }
    return true;
}

void AppendFormField(TNString& text, const char* key, int64_t value)
{
    char number[24];
    std::snprintf(number, sizeof number, "%lld", static_cast<long long>(value));
    text.Append(key);
    text.Append(number, true);
}

void AppendFormField(TNString& text, const char* key, const TNString& value)
{
    text.Append(key);
    text.Append(value.Text, true);
}

// ------------------------------------------------------------- data set

uint32_t TNPIM::GetDataToSync(int32_t* upload_sync_type, TNString* text,
                              const std::function<bool(int32_t type, uint32_t id)>& skip)
{
    return Guarded("[TNPIM::GetDataToSync]", 0u, [&]() -> uint32_t {
        LogText("[TNPIM::GetDataToSync][BEGIN]");
        if (text == nullptr) {
            return 0u;
        }
        TNModelWriteGuard lock;
        for (const TNSyncedCollection* source : kUploadOrder) {
            if (source == nullptr)
                break;
            TNUploadSkip skipOfSource;
            if (skip) {
                skipOfSource = [&](uint32_t id) { return skip(source->Code, id); };
            }
            uint32_t id = source->Offer(*this, text, skipOfSource);
            if (id != 0) {
                if (upload_sync_type != nullptr) {
                    *upload_sync_type = source->Code;
                }
                LogWrite("[TNPIM::GetDataToSync] ", source->UploadName, false);
                return id;
            }
        }
        LogText("[TNPIM::GetDataToSync][END][NOTHING_FOUND]");
        return 0u;
    });
}

bool TNPIM::DataUpSynced(int32_t upload_sync_type, uint32_t old_id, uint32_t new_changed, uint32_t new_id)
{
    return Guarded("[TNPIM::DataUpSynced]", false, [&] {
        LogText("[TNPIM::DataUpSynced][BEGIN]");
        if (!IsAcceptableNewID(new_id)) {
            return false;
        }
        TNModelWriteGuard lock;
        bool taken = true;
        switch (upload_sync_type) {
        case kUploadRecords:
            if (Records != nullptr) {
                Records->DataUpSynced(old_id, new_id, new_changed);
            }
            // The record's assignments go up after it and must name its new id.
            TagsAssign.RecordIDChanged(old_id, new_id);
            break;
        case kUploadTagsAssign:
            TagsAssign.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadTags:
            Tags.DataUpSynced(old_id, new_id, new_changed);
            // Records and assignments naming the tag's old id went up (or
            // wait) without it; they take its service id.
            if (Records != nullptr) {
                Records->TagIDChanged(old_id, new_id);
            }
            TagsAssign.TagIDChanged(old_id, new_id);
            break;
        case kUploadAlerts:
            Alerts.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadGroups:
            Groups.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadGroupsAssign:
            GroupsAssign.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadContacts:
            Contacts.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadNotifications:
            Notifications.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadContactsRequests:
            ContactsRequests.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadSharing:
            Sharing.DataUpSynced(old_id, new_id, new_changed);
            break;
        case kUploadEventTypes:
            EventTypes.DataUpSynced(old_id, new_id, new_changed);
            break;
        default:
            taken = false;
            break;
        }
        LogText("[TNPIM::DataUpSynced][END]");
        return taken;
    });
}
