#pragma once

#include "foundation/string.h"
#include "foundation/time.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// An organizer or a record shared with another user or object.
class TNPIMSharingItem {
public:
    static constexpr uint8_t kStoredVersion = 1;

    bool PleaseSync = false;
    uint32_t ID = 0;
    // The id before the last upload confirmation; not stored.
    uint32_t OldID = 0;
    int32_t Created = 0;
    int32_t Changed = 0;
    int32_t Deleted = 0;
    uint32_t OrganizerID = 0;
    uint32_t RecordID = 0;
    int32_t Type = 0;
    // The user or object it is shared with.
    uint32_t ObjectID = 0;
    int32_t Rights = 0;
    int32_t RecordType = 0;
    // The entry has a date range.
    bool HasBegin = false;
    TNTime DateBegin;
    TNTime DateEnd;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
    // Every field of the source; a null source changes nothing.
    void Copy(const TNPIMSharingItem* source);
    // Equal service fields, and equal dates when there is a range.
    // PleaseSync and OldID are not compared.
    static bool Compare(const TNPIMSharingItem& a, const TNPIMSharingItem& b);
};

// The sharing entries of a data set, sent as "&tS=" with the records; the
// same class holds the sharing of one record fetched from the service.
class TNPIMSharing : public TNPIMSyncedCollection<TNPIMSharingItem, TNPIMSharing, raftSharing> {
public:
    static constexpr const char* kName = "TNPIMSharing";

    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);
    // Also finds an entry by the temporary id it had before its upload.
    int32_t GetItemPosByID(uint32_t id) const;
    // The counters and every entry of the source; a null source changes
    // nothing.
    void Copy(const TNPIMSharing* source);
    // Whether the service's list of a record's sharing equals the present,
    // not deleted local entries of that record (these are this
    // collection's, the first data set's as a rule). True for a null list.
    bool Compare(uint32_t recordID, const TNPIMSharing* fromServer) const;

    static void Confirmed(TNPIMSharingItem& item, uint32_t oldID, uint32_t newChanged);
};
