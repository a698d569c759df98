#pragma once

#include "foundation/string.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// A message of the account service to the user.
class TNPIMNotification {
public:
    static constexpr uint8_t kStoredVersion = 2;

    // To be written at the next save; not stored.
    bool PleaseSave = false;
    bool PleaseSync = false;
    uint32_t ID = 0;
    int32_t Created = 0;
    int32_t Changed = 0;
    // A local deletion stores the current time.
    int32_t Deleted = 0;
    int32_t Type = 0;
    uint32_t RecipientUserID = 0;
    TNString Text;
    TNString URL;
    // Marking as read locally stores the current time.
    int32_t Read = 0;
    int32_t Emailed = 0;
    // A small settings object; parsed into the four fields after it.
    TNString Settings;
    uint32_t Settings_RecordID = 0;
    uint32_t Settings_SenderUserID = 0;
    uint32_t Settings_OrganizerID = 0;
    TNString Settings_Data;
    TNString Reserved1;
    TNString Reserved2;
    TNString Reserved3;
    TNString Reserved4;
    int32_t Reserved5 = 0;

    // Filled by the object-data request for the bell; not stored, asked
    // for again after a restart.
    TNString FullName;
    TNString OrganizerTitle;
    TNString OrganizerNote;
    TNString OrganizerName;
    int32_t OrganizerType = 0;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short. A
    // version 1 body is kept and marked PleaseSave, to be written again.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
    // A key missing from the settings leaves its field as it was.
    void ParseSettingsFromJSON();
};

// The notifications of one data set, sent as "&tN=" and "&bN=".
class TNPIMNotifications : public TNPIMSyncedCollection<TNPIMNotification, TNPIMNotifications, raftNotification> {
public:
    static constexpr const char* kName = "TNPIMNotifications";
    // Object kinds of MarkAsReadByObjectId.
    static constexpr int32_t otRecordId = 21;
    static constexpr int32_t otOrganizerId = 22;

    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);
    // Marks as read the notifications of a record (kind 21) or of an
    // organizer with a notification type (kind 22), for upload, and queues
    // them.
    void MarkAsReadByObjectId(int32_t objectKind, uint32_t objectID, int32_t notificationType);
    // Deletes the first notification with that id locally, for upload;
    // false when there is none.
    bool DeleteItem(uint32_t id);

    static bool NeedsRewrite(const TNPIMNotification& item) { return item.PleaseSave; }
    static void Confirmed(TNPIMNotification& item, uint32_t oldID, uint32_t newChanged);
};
