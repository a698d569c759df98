#pragma once

#include "foundation/pim_array.h"
#include "foundation/record_file.h"
#include "foundation/string.h"
#include "model/alerts.h"
#include "model/all_days_table.h"
#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/event_types.h"
#include "model/groups.h"
#include "model/groups_assign.h"
#include "model/last_requests.h"
#include "model/notifications.h"
#include "model/organizers.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "model/sharing.h"
#include "model/tags.h"
#include "model/tags_assign.h"
#include "model/upload.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>

// What an item's Load tells about the record it read. Items whose Load
// returns bool answer Loaded (true) or Unreadable (false); an item that can
// be read yet refuse to stay (contact requests, notifications) returns this
// type and uses NotKept.
enum class TNItemLoad {
    Unreadable,
    Loaded,
    NotKept,
};

// Progress of Load: the tag and, for tag 103, the entries done and in all.
using TNPIMLoadProgress = void (*)(uint16_t tag, int32_t done, int32_t total);

// Working storage of one of the main window's lists; the set only clears
// `valid`.
struct TNPIMViewCache {
    uint8_t Data[8192] = {};
    uint32_t valid = 0;
};

// The organizer data of one account on one configured server: its
// collections, the account values the service sends, and the busy flags of
// loading and saving. Every change of an item is queued in the set's record
// file; Save writes the queue and Load reads the whole file back.
class TNPIM {
public:
    static constexpr uint16_t kProgressLoading = 102;
    static constexpr uint16_t kProgressLoadingCount = 103;
    static constexpr uint16_t kProgressFinishing = 104;
    static constexpr time_t kCheckAllInterval = 18000;

    uint32_t UserID = 0;
    // Position of this set in PIM.
    int32_t pimSrvPos = 0;
    std::atomic<bool> LoadingPimNow{false};
    std::atomic<bool> SavingPimNow{false};
    // Per-day index; PIM[0]'s serves every set.
    TNAllDaysTable AllDaysEx;
    time_t LastCheckAllTime = 0;

    // The collections, in the order Load finishes them. A new collection
    // adds its member here and its line in ForCollection and
    // ForEachCollection below.
    TNPIMOrganizers Organizers;
    std::unique_ptr<TNPIMRecords> Records;
    TNPIMAlerts Alerts;
    TNPIMTags Tags;
    TNPIMTagsAssign TagsAssign;
    TNPIMContactsRequests ContactsRequests;
    TNPIMGroups Groups;
    TNPIMGroupsAssign GroupsAssign;
    TNPIMContacts Contacts;
    TNPIMNotifications Notifications;
    TNPIMSharing Sharing;
    TNPIMEventTypes EventTypes;
    TNPIMLastRequests LastRequests;

    TNPIMViewCache ViewCache[2];
    TNString UsersOrganizers;
    TNString InContactsGroups;
    TNString InContactsLists;
    uint32_t UsersOrganizersLastRecalc = 0;
    uint32_t UsersOrganizersLastApplied = 1;
    // When the service last said that the account's data or its organizer
    // relations changed; 0 = not said in the last sign-in answer.
    time_t LastPimUpdateTime = 0;
    time_t UsersOrganizersRecalcTime = 0;
    // Pixel sizes the calendar views read; the set only sets them.
    int32_t ViewMetrics[7] = {};
    bool pleaseMarkAllNotificationsAsRead = false;

    explicit TNPIM(int32_t position);
    ~TNPIM();
    TNPIM(const TNPIM&) = delete;
    TNPIM& operator=(const TNPIM&) = delete;

    void Init();
    void Destroy();
    // Clear of every collection, Destroy and Init (log-out).
    void CleanAll();
    // Writes the save queue of the set's record file. True when the queue
    // is on disk (or had nothing to write); false when the save was skipped
    // (another save or a download runs, no file, no user) or a write failed.
    bool Save(bool close_ra_file, bool reset_file);
    // Reads the set's record file into the collections.
    void Load(TNPIMLoadProgress progress);

    // Runs the records' periodic check at most every five hours; whether
    // anything changed.
    bool CheckAll();
    // The per-day entry of a date, made when missing; null for a month or
    // day outside the table.
    TNPIMAllDay* GetAllDaysItem(int32_t year, int32_t month, int32_t day);

    // Applies the rights and subscriptions of UsersOrganizers to the
    // organizers when the markers say they changed.
    void CheckAndUpdateUsersOrganizersRightsAndSubscriptions();

    // The set's record-file slot: App.raFileAllPIM for PIM[0], a slot of
    // its own for every other set; -1 before Load made one.
    int32_t RecordFileSlot() const;

    // Calls fn(collection) with the collection stored under a record-file
    // type; false when the type has no collection (yet).
    template <class Fn> bool ForCollection(uint8_t type, Fn&& fn);
    // Calls fn(collection) for every collection in member order.
    template <class Fn> void ForEachCollection(Fn&& fn);

    // ---- Upload selection and confirmation (model/upload.cpp).
    // upload_sync_type: the collection that offered the pending item.
    static constexpr int32_t kUploadRecords = 1;
    static constexpr int32_t kUploadTagsAssign = 2;
    static constexpr int32_t kUploadTags = 3;
    static constexpr int32_t kUploadAlerts = 4;
    static constexpr int32_t kUploadGroups = 5;
    static constexpr int32_t kUploadGroupsAssign = 6;
    static constexpr int32_t kUploadContacts = 7;
    static constexpr int32_t kUploadNotifications = 8;
    static constexpr int32_t kUploadContactsRequests = 9;
    static constexpr int32_t kUploadSharing = 11;
    static constexpr int32_t kUploadEventTypes = 12;

    // Appends the form of the first pending item, asking the collections in
    // upload order, and gives its collection's code; the item's id, 0 when
    // nothing is pending (the code is then left as it was). Items for which
    // skip(code, id) holds are passed over.
    uint32_t GetDataToSync(int32_t* upload_sync_type, TNString* text,
                           const std::function<bool(int32_t type, uint32_t id)>& skip = {});
    // Hands the service's answer to the collection of the code. False, with
    // nothing changed, for an unknown code or a new id that cannot be the
    // service's (IsAcceptableNewID); the item then stays pending.
    bool DataUpSynced(int32_t upload_sync_type, uint32_t old_id, uint32_t new_changed, uint32_t new_id);

    // ---- Result lists: sorting, filtering and search (model/record_lists.cpp).
    // Sorts reorder the first *count entries; entries whose keys tie keep
    // their order. The third argument of the record sorts is not used.
    static constexpr uint32_t kTagScheduled = 4294967295u;
    static constexpr uint32_t kTagImportant = 4294967294u;
    static constexpr uint32_t kTagAll = 4294967293u;
    static constexpr uint32_t kTagWithout = 4294967292u;

    static void SortRecords_Default(TNPIMRecordList* list, int32_t* count, int32_t unused = 0);
    static void SortRecords_Important(TNPIMRecordList* list, int32_t* count, int32_t unused = 0);
    static void SortRecords_Scheduled(TNPIMRecordList* list, int32_t* count, int32_t unused = 0);
    static void SortRecords_FromNearest(TNPIMRecordList* list, int32_t* count, int32_t unused = 0);
    static void SortRecords_ByChanged_FromMostRecent(TNPIMRecordList* list, int32_t* count, int32_t unused = 0);
    // Entries of the subscribed-organizer list: UiValue1 is the page's mark.
    static void SortOrganizers_Subscribed(TNPIMRecordList* list, int32_t* count);

    // Filters append to the list at *count and return how many they added.
    int32_t GetRecordsWithTag(uint32_t tagID, int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                              int32_t mode);
    int32_t GetRecordsWithTag_Scheduled(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                        int32_t mode);
    int32_t GetRecordsWithTag_Important(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                        int32_t mode);
    int32_t GetRecordsWithTag_All(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list, int32_t mode);
    int32_t GetRecordsWithTag_WithoutTag(int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                                         int32_t mode);
    int32_t GetScheduledRecordsOfOneOrganizer(uint32_t organizerID, const TNTime& from, int32_t limit, bool showHidden,
                                              int32_t* count, TNPIMRecordList* list, const TNTime& to);
    int32_t SearchInRecords(const TNString& text, TNPIMRecordList* list, uint32_t tagID, bool showHidden,
                            int32_t* count);
    uint32_t GetRecordsAssignedTagID(uint32_t recordID) const;
    static bool IsFinishedRecordVisible(const TNPIMRecord* record, int32_t mode);
    bool OrganizerIsSelected(uint32_t organizerID) const;
    static uint8_t GetRecordColorCombination(const TNPIMRecord* record, uint8_t defaultCombination);

private:
    // The slot of a set other than PIM[0].
    int32_t ownFileSlot_ = -1;

    void SetRecordFileSlot(int32_t fid);
    // Opens the set's data file when its slot has none open; makes the slot
    // when there is none.
    void OpenRecordFile();
    // False when a write failed.
    bool SaveQueue(TNRAFile& file, int32_t fid);
    void LoadFile(TNRAFile& file, TNPIMLoadProgress progress);

    // The record carries the tag: by its first live assignment, or by its own TagID.
    bool RecordHasTag(const TNPIMRecord& record, uint32_t tagID) const;
    // Exists, not deleted, no parent, of the type, hidden only when shown.
    static bool IsListedTask(const TNPIMRecord* record, int32_t type, bool showHidden);
    template <class Extra>
    int32_t CollectRecords(const char* caller, int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                           int32_t mode, Extra&& extra);
};

// How a collection plugs into the set: an item type needs `ID`, `Deleted`,
// `bool Save(int32_t queuePos, int32_t fid)` and `Load(plat::ByteReader&)`
// (bool, or TNItemLoad), and may have `PleaseSync`, `Virtual`, `DoNotSave`;
// its collection needs `Count`, `Items`, `Resize`, `GetItemPosByID`,
// `FinalizeLoading` and `Clear`, and may have `ItemLoaded(pos)` (told of
// each item Load read) and `EmptyForLoad()` (in place of Destroy and Init). Save and Load use nothing else, and decide
// the rules common to every type (a pending deletion stays on disk, an
// unreadable record is left alone) themselves.
template <class Fn> bool TNPIM::ForCollection(uint8_t type, Fn&& fn)
{
    switch (type) {
    case raftOrganizer:
        fn(Organizers);
        return true;
    case raftRecord:
        fn(*Records);
        return true;
    case raftAlert:
        fn(Alerts);
        return true;
    case raftTag:
        fn(Tags);
        return true;
    case raftTagsAssign:
        fn(TagsAssign);
        return true;
    case raftContactsRequest:
        fn(ContactsRequests);
        return true;
    case raftGroup:
        fn(Groups);
        return true;
    case raftGroupsAssign:
        fn(GroupsAssign);
        return true;
    case raftContact:
        fn(Contacts);
        return true;
    case raftNotification:
        fn(Notifications);
        return true;
    case raftSharing:
        fn(Sharing);
        return true;
    case raftEventType:
        fn(EventTypes);
        return true;
    case raftLastRequest:
        fn(LastRequests);
        return true;
    default:
        return false;
    }
}

template <class Fn> void TNPIM::ForEachCollection(Fn&& fn)
{
    fn(Organizers);
    fn(*Records);
    fn(Alerts);
    fn(Tags);
    fn(TagsAssign);
    fn(ContactsRequests);
    fn(Groups);
    fn(GroupsAssign);
    fn(Contacts);
    fn(Notifications);
    fn(Sharing);
    fn(EventTypes);
    fn(LastRequests);
}

// The organizers and last-request times of the set that ran Init last.
extern TNPIMOrganizers* CurrentPIMOrganizers;
extern TNPIMLastRequests* CurrentPIMLastRequests;
// Set when data arrived that Save must write even with an empty queue.
extern std::atomic<bool> pimDataReceived;

// Lets `c` make and free the sets of PIM; called once at start-up, before
// the globals are built.
void InstallPIMFactory();
