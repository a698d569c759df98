#pragma once

#include "foundation/string.h"
#include "model/collection.h"
#include "model/users_rights.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class TNPIM;
struct TNModelImage;
namespace plat {
class ByteReader;
} // namespace plat

// One calendar or page of an account: the user's own, or one the user
// subscribes to or shares.
class TNPIMOrganizer {
public:
    // Pictures kept per width of the collection's list.
    static constexpr int32_t kImageSlots = 16;
    static constexpr uint8_t kStoredVersion = 2;

    int32_t pim_srv_pos = 0;
    // Set to 1 and 0 whenever the organizer is taken over from an answer.
    uint8_t Unsaved = 0;
    uint8_t PleaseSync = 0;
    uint32_t SyncStamp = 0;
    uint32_t ID = 0;
    uint32_t Created = 0;
    uint32_t Changed = 0;
    uint32_t Deleted = 0;
    uint32_t UserID = 0;
    TNString Title;
    // Display title cached from Title; not stored.
    TNString ReadableTitle;
    // A display text the windows set; not stored.
    TNString SecondTitle;
    TNString Note;
    TNString Name;
    uint32_t Type = 0;
    uint32_t Visibility = 0;
    uint32_t SubscribersCount = 0;
    uint32_t CalendarIcon = 0;
    TNString CalendarIconName;
    // The user's rights and subscription; they decide Role.
    uint32_t Origin = 0;
    uint32_t Subscribe = 0;
    int32_t Role = 0;
    // 0 until a colour combination is given.
    uint8_t ColorCombination = 0;
    TNModelImage* Images[kImageSlots] = {};
    // The CalendarIcon the pictures were loaded for; 0 makes them load again.
    uint32_t ImagesIcon = 0;
    uint32_t ViewSetting = 0;

    // In memory only. The download position of the organizer's records,
    // tags and tag assignments.
    uint32_t recordsLastRequestTime = 0;
    uint32_t recordsNewestChanged = 0;
    int32_t recordsOffset = 0;
    int32_t recordsReceived = 0;
    uint32_t tagsLastRequestTime = 0;
    uint32_t tagsNewestChanged = 0;
    int32_t tagsOffset = 0;
    int32_t tagsReceived = 0;
    uint32_t tagsAssignLastRequestTime = 0;
    uint32_t tagsAssignNewestChanged = 0;
    int32_t tagsAssignOffset = 0;
    int32_t tagsAssignReceived = 0;
    // Shown in the pages.
    bool Selected = false;
    // The picture fetch's word for CalendarIcon: 0 not looked at, 1 to be
    // downloaded, 2 found, else the icon whose file is on disk.
    uint32_t lastCalendarIcon = 0;
    // When the list of all the organizer's record ids was last asked for.
    int64_t lastFullResync = 0;

    TNPIMOrganizer() = default;
    ~TNPIMOrganizer() { DestroyImages(); }
    TNPIMOrganizer(const TNPIMOrganizer&) = delete;
    TNPIMOrganizer& operator=(const TNPIMOrganizer&) = delete;

    std::unique_ptr<TNUsersRights> GetUsersRights() const;
    int32_t GetRole() const;
    bool UserCanEditRecords() const;
    // Takes the next entry of the table when the organizer has no colours yet.
    void UpdateColorCombination(const uint8_t* table, int32_t tableLength, int32_t& nextIndex);
    void DestroyImages();

    bool Save(int32_t queuePos, int32_t fid);
    // False when the version is unknown or the record is cut short.
    bool Load(plat::ByteReader& in);
};

// The organizers of one data set.
class TNPIMOrganizers : public TNPIMCollection<TNPIMOrganizer, TNPIMOrganizers> {
public:
    static constexpr int32_t kPictureWidthCount = 11;
    static constexpr int32_t kPictureWidths[kPictureWidthCount] = {16, 24, 32, 48, 64, 128, 196, 256, 320, 640, 720};
    // Kind of an author filter entry.
    static constexpr uint8_t kFilterAuthor = 1;

    // The owning data set; given by it at construction.
    TNPIM* ParentPIM = nullptr;
    uint32_t NextID = kFirstLocalID;
    // Newest Changed of all organizers.
    uint32_t LastReq = 0;
    uint32_t SyncStamp = 0;
    // The change time from which organizers are next downloaded.
    uint32_t OrganizersLastReq = 0;
    // Markers of the rights check: the current one (0 after Init and after
    // each organizers answer) and the one applied last (1 after Init).
    int32_t UsersOrganizersCurrent = 0;
    int32_t UsersOrganizersApplied = 1;

    // The author filter of the windows: four parallel lists.
    int32_t FilterListCount = 0;
    std::vector<uint8_t> FilterListKind;
    std::vector<uint32_t> FilterListAuthorID;
    std::vector<TNString> FilterListName;
    std::vector<uint8_t> FilterListShown;

    // A list that only shows organizers (the public ones the service
    // offers): nothing of it goes to the record file.
    bool NeverSaved = false;

    TNPIMOrganizers() = default;

    void Init();
    void Clear();
    // A failed growth ends the application (fatal-error step).
    bool Resize(int32_t n);
    TNPIMOrganizer* MakeItem();

    // Takes over one organizer of an answer; its position, or -1.
    int32_t Add(TNString* answer, bool log);
    void FinalizeLoading();

    bool SaveOrganizerByPos(int32_t pos, bool log);
    bool SaveOrganizerByID(uint32_t id, bool log);
    // First position of the id; -1 when none. Every record asks for its
    // organizer, so the answer comes from a map, checked against the slot.
    int32_t GetItemPosByID(uint32_t id) const;
    int32_t GetOrganizerPosByID(uint32_t id) const { return GetItemPosByID(id); }
    TNPIMOrganizer* GetOrganizerByID(uint32_t id) const;
    // Newest Changed of the organizers not deleted.
    uint32_t GetLastReq() const;
    uint32_t GetNewestChanged() const;
    TNString GetReadableTitleByID(uint32_t id);
    bool GetReadableTitleByID_2(uint32_t id, TNString* out);

    // The organizer's icon at one of the list's widths; cached, owned by the
    // organizer. Null when the width is not in the list or the file is missing.
    TNModelImage* getImageByWidth(TNPIMOrganizer* organizer, int32_t width);
    void DestroyImages();

    // The account's own organizer first; the others keep their order.
    void SortOrganizers();

    int32_t ResizeFilterListStruct_AddOneItem();
    int32_t FindInFilterList(uint32_t authorID, uint8_t kind) const;
    int32_t AddAuthorToFilterList(uint32_t authorID);
    // Names the authors again from the contacts; records can name their
    // authors before the contacts are loaded.
    void NameFilterListAuthors();
    void CleanFilterListStruct();

private:
    void NameFilterListAuthor(size_t i);

    // The map of GetItemPosByID, made again when the list was resized.
    mutable std::mutex lookupMutex_;
    mutable std::unordered_map<uint32_t, int32_t> lookup_;
    mutable int32_t lookupCount_ = -1;
    mutable TNPIMOrganizer** lookupItems_ = nullptr;
};
