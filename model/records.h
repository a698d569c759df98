#pragma once

#include "foundation/string.h"
#include "model/collection.h"
#include "model/record.h"
#include "model/upload.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

class TNPIM;
struct TNModelImage;

// The records of one data set. The collection owns its records; the pages'
// result lists borrow them.
//
// An id index finds every position of an ID (a master and its yearly copies
// share it) and of a temporary OldID. Every operation here keeps it in step;
// code that sets a record's ID or OldID itself calls NoteIDChanged.
class TNPIMRecords : public TNPIMCollection<TNPIMRecord, TNPIMRecords> {
public:
    static constexpr int32_t kMaxPictureWidths = 16;
    static constexpr int32_t kMaxNotifyCandidates = 1024;

    TNPIM* ParentPIM = nullptr;
    // The signed-in user's own organizer ("user-organizer-id").
    uint32_t UserOrganizerID = 0;
    uint32_t NextID = kFirstLocalID;
    int32_t PictureWidthsCount = 0;
    int32_t PictureWidths[kMaxPictureWidths] = {};
    // Position in the candidate list of the last urgent pick; -1 none yet.
    int32_t NotifyPos = -1;
    // Seeds the first urgent pick; the current time when unset.
    uint32_t (*NotifySeed)() = nullptr;

    // A result list of the pages only borrows the records of a data set:
    // it never makes, frees or files them, and looks them up by walking.
    const bool Borrowing = false;

    explicit TNPIMRecords(TNPIM* parent, bool borrowing = false) : ParentPIM(parent), Borrowing(borrowing)
    {
        Init(true);
    }
    ~TNPIMRecords();

    // With full, also the account's values and the id counter.
    void Init(bool full);
    // Empties the collection; owned records leave the per-day index and are
    // freed.
    void Destroy() { Resize(0); }
    // Frees every record (out of the per-day index first); a full Init.
    void Clear();
    // The same, keeping the id counter (before a load).
    void EmptyForLoad();
    // A shrinking count frees the records past it, out of the index first.
    // A failed growth ends the application (fatal-error step).
    bool Resize(int32_t n);
    TNPIMRecord* MakeItem() { return new TNPIMRecord(ParentPIM); }

    // The record at pos changed its ID or OldID.
    void NoteIDChanged(int32_t pos);
    // Called by the data set's Load for each record read.
    void ItemLoaded(int32_t pos) { NoteIDChanged(pos); }
    // Room in the id index for up to n loaded records, so that it grows
    // once rather than rehashing as they come.
    void ReserveForLoad(uint32_t n);
    // Calls fn(pos) for each position whose record has this ID, in order.
    template <class Fn> void ForEachPosOfID(uint32_t id, Fn&& fn) const
    {
        auto found = byID_.find(id);
        if (found != byID_.end()) {
            fn(found->second.first);
            for (int32_t pos : found->second.rest) {
                fn(pos);
            }
        }
    }

    uint32_t GetNextID();
    // Takes over one record element of an answer; its position or -1.
    // `inOrder`: the element comes from a download in stamp order and counts
    // towards its organizer's download position. An answer about single
    // records (their updates, a public organizer's) is out of that order: it
    // counts for nothing, and a record already downloaded keeps the stamp of
    // that download, since a data set loaded again takes the newest stamps
    // it holds as its positions and would pass over older changes of others.
    int32_t Add(TNString* element, bool inOrder = true);
    bool SaveOrDeleteRecordByPos(int32_t pos, bool stampDeleted);
    // First slot whose ID is the id, or whose OldID is the id (a temporary
    // one); -1 when none.
    int32_t GetRecordPosByID(uint32_t id) const;
    int32_t GetItemPosByID(uint32_t id) const { return GetRecordPosByID(id); }
    TNPIMRecord* GetRecordByID(uint32_t id) const;
    void FinalizeLoading();
    // A new record (owned by the caller) with the Text and ID of the next
    // urgent open record in turn; null when there is none.
    TNPIMRecord* GetNotifyConstantly();
    bool CheckAll();
    // The form of the first record waiting for upload; its id, 0 when none.
    // A record whose form would name a new tag still waiting for upload
    // stays back until the tag is confirmed; those behind it still go.
    uint32_t GetDataToSync(TNString* body, const TNUploadSkip& skip = {});
    void DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t changed);
    // The service's copy of a record whose upload answer was lost came down
    // under the id the confirmation now gives: the copy leaves memory and
    // the per-day index without an upload, so that one record per id
    // remains; the confirmed record takes over its file record.
    void ForgetDuplicate(uint32_t id);
    // After a data set is loaded again, a new record whose upload was
    // answered just before a crash, with the confirmation not yet on disk,
    // would go up again under its temporary id and make a second copy. While
    // CollectArrivals is set, records new to this data set that a download
    // brings are noted; the copy of a pending new record is one of them,
    // made by this user, with the same organizer, type, event type, texts,
    // begin, end, parent and recurrence (its rule only for a series: the
    // service gives every record one). Its id, or 0.
    bool CollectArrivals = false;
    uint32_t FindUploadedCopy(const TNPIMRecord& pending, uint32_t userID) const;
    void EndArrivals();
    // A tag confirmed under a new id: the records naming its old id take the
    // new one and are queued for saving.
    void TagIDChanged(uint32_t oldTagID, uint32_t newTagID);
    void DeleteVirtuals(int32_t masterPos);
    // Yearly copies of an anniversary or birthday up to the index's last
    // year; whether any exist afterwards.
    bool CreateVirtuals(int32_t masterPos, bool skipIndex);
    // Takes over the records of a "records" answer; how many it took.
    int32_t GetUpdatedRecords(TNString* answer);
    static int32_t GetFinishedFromMenuText(const char* text);
    static int32_t GetRescheduleFromMenuText(const char* text);
    // The record's picture at a width, loaded through the view layer; owned
    // by the caller.
    TNModelImage* getImageFromFileByWidth(uint32_t recordID, int32_t width);
    void DestroyImages();

private:
    std::vector<uint32_t> arrivals_;
    // Positions of each ID and of each temporary OldID, and what the index
    // holds for each slot.
    TNIDPositionsMap byID_;
    TNIDPositionsMap byOldID_;
    std::vector<uint32_t> indexedID_;
    std::vector<uint32_t> indexedOldID_;

    void Unindex(int32_t pos);
    void Index(int32_t pos);
    void ClearIDIndex();
    // Frees the records past n, out of the per-day index first.
    void DropFrom(int32_t n);
    bool Queue(uint32_t id, int32_t pos, uint32_t deleted);
    // One downloaded record counted for its organizer's download position.
    void CountForOrganizer(uint32_t organizerID, uint32_t changed);

    enum class TagState { Ready, Waits, SendWithout };
    // Whether the record at pos may go up as far as its tag is concerned.
    TagState TagStateForUpload(int32_t pos);
    // Every slot of the record at pos (its copies too) that names tag `from`
    // names `to` instead; the stored record is queued.
    void SetRecordTagID(int32_t pos, uint32_t from, uint32_t to);
};
