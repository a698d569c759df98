#pragma once

#include "model/upload.h"

#include "foundation/string.h"
#include "model/collection.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class TNPIM;
class TNPIMTag;
namespace plat {
class ByteReader;
} // namespace plat

// The link of one record to one tag of its organizer.
class TNPIMTagsAssignItem {
public:
    static constexpr uint8_t kStoredVersion = 1;

    bool PleaseSync = false;
    uint32_t ID = 0;
    // The id before the last confirmation; not stored. Look-ups by a
    // temporary id match it, as they do for tags.
    uint32_t OldID = 0;
    uint32_t Created = 0;
    uint32_t Changed = 0;
    uint32_t Deleted = 0;
    uint32_t OrganizerID = 0;
    uint32_t RecordID = 0;
    uint32_t TagID = 0;

    // The data set whose organizers the download times live in.
    TNPIM* ParentPIM = nullptr;

    bool Save(int32_t queuePos, int32_t fid);
    // False when the version is unknown or the record is cut short: the
    // item is unreadable.
    bool Load(plat::ByteReader& in);
    // Appends the upload form, every value percent-encoded.
    void GetDataToSync(TNString* text) const;
    void Update_tagsAssignLastRequestTime();
};

// The tag assignments of one data set, with a map from each record to its
// assignments so that a record's tag is found without a scan of the list.
class TNPIMTagsAssign : public TNPIMCollection<TNPIMTagsAssignItem, TNPIMTagsAssign> {
public:
    TNPIM* ParentPIM = nullptr;
    uint32_t NextID = kFirstLocalID;
    // Position of the owning data set in PIM.
    int32_t pimSrvPos = 0;

    void Init();
    // Frees every item and forgets the record map.
    void Destroy();
    void Clear();
    // Logs and returns false, with nothing changed, when memory fails.
    bool Resize(int32_t n);
    TNPIMTagsAssignItem* MakeItem();

    // Takes over one assignment of an answer; its position, or -1.
    int32_t Add(TNString* answer);
    void FinalizeLoading();
    uint32_t GetNextID();
    // By ID, or by OldID when the id is temporary.
    int32_t GetItemPosByID(uint32_t id) const;

    // The tag of the record's first assignment not deleted, in list order; 0 when none.
    uint32_t GetTagID(uint32_t recordID) const;
    TNPIMTag* GetTag(uint32_t recordID) const;
    // Marks every live assignment of the record deleted and pending.
    void DeleteAssign(uint32_t recordID);
    // A new pending assignment with a temporary id.
    void AddAssign(uint32_t recordID, uint32_t tagID, uint32_t organizerID);
    // A record confirmed under a new id: its assignments name the new id and
    // go up again.
    void RecordIDChanged(uint32_t oldRecordID, uint32_t newRecordID);
    // A tag confirmed under a new id: the assignments naming its old id take
    // the new one.
    void TagIDChanged(uint32_t oldTagID, uint32_t newTagID);

    // Appends the form of the first pending assignment whose tag and record
    // the service knows (a tag with a temporary id goes up after the
    // assignments; a record backing off may go up after them); its id, 0
    // when none.
    uint32_t GetDataToSync(TNString* text, const TNUploadSkip& skip = {});
    void DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t newChanged);

    // Called by the data set's Load for each item read: files it under the
    // RecordID and the id it read, so that each load step stays short.
    void ItemLoaded(int32_t pos);
    // The item at pos got its ID or OldID from outside the operations here.
    void NoteIDChanged(int32_t pos);

    // Builds the record map anew from the list; the load path calls it
    // through FinalizeLoading, after the items have read their fields. The
    // map follows every change made through the operations above.
    void RebuildRecordMap();

    // As for records and tags: after a data set is loaded again with new
    // assignments pending, the service's copy of one whose upload was
    // answered just before a crash is looked for among the assignments new
    // to this data set that a download brought while CollectArrivals was
    // set: live, of the same organizer, tying the same tag to the same
    // record. The pending item's tag and record are compared by the ids
    // they hold now (a tag or record confirmed in this run is found by its
    // old id too), so the tag and record go first. Assignments carry no
    // creator; the pair is all that identifies one. Its id, or 0.
    bool CollectArrivals = false;
    uint32_t FindUploadedCopy(const TNPIMTagsAssignItem& pending) const;
    void EndArrivals();

private:
    std::vector<uint32_t> arrivals_;
    void QueueForSave(int32_t pos);
    // Files position pos under its item's RecordID, keeping list order.
    void MapInsert(int32_t pos);
    void MapErase(uint32_t recordID, int32_t pos);
    // Empties every item but the one at confirmedPos that holds the id.
    void ForgetDuplicate(uint32_t id, int32_t confirmedPos);
    // Takes the tag of the record's first live assignment again.
    void RefreshFirstTag(uint32_t recordID);
    // The assignment at pos names a confirmed tag by its temporary id: it
    // takes the tag's service id. False when the tag has none yet.
    bool TakeConfirmedTagID(int32_t pos);
    // An assignment whose tag can never go up (gone, deleted before it went
    // up, or without an organizer) is written off, so that the uploads
    // drain; whether it was.
    bool WriteOffIfTagLost(int32_t pos);
    // The same for the record: a confirmed record named by its temporary id
    // gives its service id; an assignment waits while its record has none,
    // because the service may have answered that temporary id for another
    // item already (temporary ids start again), and it would refuse the
    // reference as stale.
    bool TakeConfirmedRecordID(int32_t pos);
    bool WriteOffIfRecordLost(int32_t pos);
    // The assignment at pos can never go up: written off with a log line.
    void WriteOff(int32_t pos, const char* why, uint32_t id);

    struct RecordTags {
        // TagID of the first live assignment in list order; 0 when none.
        uint32_t firstTag = 0;
        // Positions of every item of the record, ascending.
        std::vector<int32_t> positions;
    };
    std::unordered_map<uint32_t, RecordTags> byRecord_;
    TNPIMIDIndex idIndex_;
};
