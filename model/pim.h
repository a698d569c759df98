#pragma once

#include "foundation/pim_array.h"
#include "foundation/record_file.h"
#include "foundation/string.h"
#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/event_types.h"
#include "model/groups.h"
#include "model/groups_assign.h"
#include "model/last_requests.h"
#include "model/notifications.h"
#include "model/organizers.h"
#include "model/records.h"
#include "model/sharing.h"

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
    time_t LastCheckAllTime = 0;

    // The collections, in the order Load finishes them. A new collection
    // adds its member here and its line in ForCollection and
    // ForEachCollection below.
    TNPIMOrganizers Organizers;
    std::unique_ptr<TNPIMRecords> Records;
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
    // Writes the save queue of the set's record file.
    void Save(bool close_ra_file, bool reset_file);
    // Reads the set's record file into the collections.
    void Load(TNPIMLoadProgress progress);

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

private:
    // The slot of a set other than PIM[0].
    int32_t ownFileSlot_ = -1;

    void SetRecordFileSlot(int32_t fid);
    // Opens the set's data file when its slot has none open; makes the slot
    // when there is none.
    void OpenRecordFile();
    void SaveQueue(TNRAFile& file, int32_t fid);
    void LoadFile(TNRAFile& file, int32_t fid, TNPIMLoadProgress progress);
};

// How a collection plugs into the set: an item type needs `ID`, `Deleted`,
// `bool Save(int32_t queuePos, int32_t fid)` and `Load(plat::ByteReader&)`
// (bool, or TNItemLoad), and may have `PleaseSync`, `Virtual`, `DoNotSave`;
// its collection needs `Count`, `Items`, `Resize`, `GetItemPosByID`,
// `FinalizeLoading` and `Clear`. Save and Load use nothing else, and decide
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
