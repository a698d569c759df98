#pragma once

#include "foundation/string.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// A named kind of record defined on the service.
class TNPIMEventType {
public:
    static constexpr uint8_t kStoredVersion = 2;

    bool PleaseSync = false;
    uint32_t ID = 0;
    int32_t Created = 0;
    int32_t Changed = 0;
    int32_t Deleted = 0;
    uint32_t CreatedByUserID = 0;
    // Stored and uploaded as the service sends it.
    uint32_t TitleLn = 0;
    // A key of the program's event-type names, or a plain title.
    TNString TitleLngString;
    // The name shown, from TitleLngString; not stored.
    TNString DisplayTitle;
    // Show the name before the titles of records of this type.
    bool ShowBeforeText = false;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
    // TitleLngString, and DisplayTitle from it.
    void SetTitle(const TNString& title);
};

// The event types of one data set, sent as "&tET=" and "&bET=".
class TNPIMEventTypes : public TNPIMSyncedCollection<TNPIMEventType, TNPIMEventTypes, raftEventType> {
public:
    static constexpr const char* kName = "TNPIMEventTypes";

    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);
    // The newest Changed of the present types not deleted; 0 for none.
    uint32_t GetLastReq() const;
    // The download position comes from the types not deleted only.
    void FinalizeLoading();
    // The name to show before a record's title: true with the name for a
    // present, not deleted type that wants it; otherwise false and the text
    // left alone.
    bool ShowEventTypeBeforeText(uint32_t eventTypeID, TNString& out) const;
};
