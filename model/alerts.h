#pragma once

#include "model/upload.h"

#include "foundation/string.h"
#include "foundation/time.h"
#include "model/collection.h"

#include <cstdint>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// A reminder of a record, due at AlertTimestamp.
class TNPIMAlert {
public:
    static constexpr uint8_t kStoredVersion = 1;
    // Deleted value of an alert the user accepted or postponed.
    static constexpr uint32_t kDeletedByUser = 1000;

    bool PleaseSync = false;
    uint32_t ID = 0;
    uint32_t Created = 0;
    uint32_t Changed = 0;
    uint32_t Deleted = 0;
    uint32_t OrganizerID = 0;
    uint32_t RecordID = 0;
    uint32_t UserID = 0;
    // Stored as one byte each.
    int32_t Type = 0;
    int32_t DaysBefore = 0;
    int32_t HoursBefore = 0;
    int32_t MinutesBefore = 0;
    uint32_t AlertTimestamp = 0;
    TNString Settings;
    // Not stored. Set with Deleted 1000 until the alert display request
    // clears it; meanwhile the alert stays a record in the file.
    bool DeletePending = false;

    bool Save(int32_t queuePos, int32_t fid);
    // False when the version is unknown or the record is cut short: the
    // item is unreadable.
    bool Load(plat::ByteReader& in);
    // Appends the upload form, every value percent-encoded.
    void GetDataToSync(TNString* text) const;
};

// The alerts of one data set.
class TNPIMAlerts : public TNPIMCollection<TNPIMAlert, TNPIMAlerts> {
public:
    TNPIM* ParentPIM = nullptr;
    // Committed time up to which alerts are known.
    uint32_t LastRequestTime = 0;
    // Newest Changed received since the committed time.
    uint32_t NewestChanged = 0;
    int32_t Offset = 0;
    int32_t Received = 0;

    void Init();
    // Frees every alert and forgets the id index.
    void Destroy();
    void Clear();
    // False, with nothing changed, when memory fails.
    bool Resize(int32_t n);
    // Called by the data set's Load for each alert read.
    void ItemLoaded(int32_t pos) { NoteIDChanged(pos); }
    // The alert at pos got its ID from outside the operations here.
    void NoteIDChanged(int32_t pos);
    // First position of the id, -1 when none.
    int32_t GetItemPosByID(uint32_t id) const;

    // Takes over one alert of an answer; its position, or -1.
    int32_t Add(TNString* answer);
    int32_t GetAlertPosByID(uint32_t id) const { return GetItemPosByID(id); }
    void UpdateLastRequestTime(int32_t pos);
    void FinalizeLoading();
    // Appends the form of the first pending alert; its id, 0 when none.
    uint32_t GetDataToSync(TNString* text, const TNUploadSkip& skip = {});
    void DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t newChanged);
    // Every alert of the record fires its own interval before the new begin.
    void UpdateByRecordID(uint32_t recordID, TNTime& begin);

    // Queues the alert at pos for saving.
    void QueueForSave(int32_t pos);

private:
    TNPIMIDIndex idIndex_;
};
