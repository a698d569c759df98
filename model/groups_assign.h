#pragma once

#include "foundation/string.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// One contact in one group.
class TNPIMGroupsAssignItem {
public:
    static constexpr uint8_t kStoredVersion = 1;

    // Changed in memory since last written; not stored.
    bool Unsaved = false;
    bool PleaseSync = false;
    uint32_t ID = 0;
    int32_t Created = 0;
    int32_t Changed = 0;
    int32_t Deleted = 0;
    uint32_t UserID = 0;
    // The contact entry (its ID) and its user.
    uint32_t ContactID = 0;
    uint32_t ContactUserID = 0;
    uint32_t ContactsGroupID = 0;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
};

// The group assignments of one data set, sent as "&tCGA=" and "&bCGA=". They change only through
// downloads; the upload path serves assignments stored as pending.
class TNPIMGroupsAssign : public TNPIMSyncedCollection<TNPIMGroupsAssignItem, TNPIMGroupsAssign, raftGroupsAssign> {
public:
    static constexpr const char* kName = "TNPIMGroupsAssign";

    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);
};
