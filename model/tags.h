#pragma once

#include "model/upload.h"

#include "foundation/string.h"
#include "model/collection.h"

#include <cstdint>
#include <vector>

class TNPIM;
namespace plat {
class ByteReader;
} // namespace plat

// A user-named label inside one organizer.
class TNPIMTag {
public:
    static constexpr uint8_t kStoredVersion = 2;

    bool PleaseSync = false;
    uint32_t ID = 0;
    // The id before the last confirmation; not stored. Look-ups by a
    // temporary id match it, so a page holding the old id still finds the tag.
    uint32_t OldID = 0;
    uint32_t Created = 0;
    uint32_t Changed = 0;
    uint32_t Deleted = 0;
    uint32_t OrganizerID = 0;
    TNString Title;
    // Stored and loaded with the tag; nothing else uses them.
    int32_t Reserved1 = 0;
    uint32_t Reserved2 = 0;
    uint32_t Reserved3 = 0;
    TNString ReservedText1;
    TNString ReservedText2;
    // The tasks and notes pages' filter marks; stored.
    bool SelectedOnTasksPage = false;
    bool SelectedOnNotesPage = false;
    // The home page's filter mark; not stored.
    bool SelectedOnHomeTasks = false;

    // The data set whose organizers the tag's download times live in.
    TNPIM* ParentPIM = nullptr;

    bool Save(int32_t queuePos, int32_t fid);
    // Reads versions 2 and 1. False when the version is unknown or the
    // record is cut short: the item is unreadable.
    bool Load(plat::ByteReader& in);
    // Appends the upload form, every value percent-encoded.
    void GetDataToSync(TNString* text) const;
    // Raises the organizer's tag download time to this tag's Changed.
    void Update_tagsLastRequestTime();
};

// The tags of one data set.
class TNPIMTags : public TNPIMCollection<TNPIMTag, TNPIMTags> {
public:
    TNPIM* ParentPIM = nullptr;
    uint32_t NextID = kFirstLocalID;

    void Init();
    // Frees every tag and forgets the id index.
    void Destroy();
    void Clear();
    // Logs and returns false, with nothing changed, when memory fails.
    bool Resize(int32_t n);
    TNPIMTag* MakeItem();
    // Called by the data set's Load for each tag read.
    void ItemLoaded(int32_t pos) { NoteIDChanged(pos); }
    // The tag at pos got its ID or OldID from outside the operations here.
    void NoteIDChanged(int32_t pos);

    // Takes over one tag of an answer; its position, or -1.
    int32_t Add(TNString* answer);
    void FinalizeLoading();
    // A free temporary id, 0 when none was found.
    uint32_t GetNextID();

    // By ID, or by OldID when the id is temporary.
    int32_t GetItemPosByID(uint32_t id) const;
    // Empties every tag but the one at confirmedPos that holds the id.
    void ForgetDuplicate(uint32_t id, int32_t confirmedPos);
    int32_t GetTagPosByID(uint32_t id) const { return GetItemPosByID(id); }
    TNPIMTag* GetTagByID(uint32_t id) const;
    // The first tag not deleted with this title (A-Z case ignored).
    TNPIMTag* GetTagByTitle(const TNString& title) const;

    // Appends the form of the first pending tag that has an organizer; its
    // id, 0 when none.
    uint32_t GetDataToSync(TNString* text, const TNUploadSkip& skip = {});
    void DataUpSynced(uint32_t oldID, uint32_t newID, uint32_t newChanged);

    // Queues the tag at pos for saving.
    void QueueForSave(int32_t pos);

    // As for records: after a data set is loaded again with new tags
    // pending, a tag whose upload was answered just before a crash would go
    // up again and make a second tag. While CollectArrivals is set, tags
    // new to this data set that a download brings are noted; the service's
    // copy of a pending tag is one of them, live, with the same organizer
    // and the same title byte for byte. Tags carry no creator, so two of the
    // same title made in one organizer by two parties inside that one window
    // would be taken as one: the only looseness, and the price is a single
    // tag where the service briefly had two equal ones. Its id, or 0.
    bool CollectArrivals = false;
    uint32_t FindUploadedCopy(const TNPIMTag& pending) const;
    void EndArrivals();

private:
    std::vector<uint32_t> arrivals_;
    TNPIMIDIndex idIndex_;
};
