#pragma once

#include "foundation/string.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// A named group of the signed-in user's contacts.
class TNPIMGroup {
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
    TNString Title;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
};

// The contact groups of one data set, sent as "&tCG=" and "&bCG=". They change only through downloads;
// the upload path serves groups stored as pending.
class TNPIMGroups : public TNPIMSyncedCollection<TNPIMGroup, TNPIMGroups, raftGroup> {
public:
    static constexpr const char* kName = "TNPIMGroups";

    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);
};
