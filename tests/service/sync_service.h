#pragma once

#include "tests/service/account_service.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace test_service {

// Codes of the stored collections: the upload types, and 10 for organizers
// (never uploaded).
enum ItemType : int {
    kRecords = 1,
    kTagsAssign = 2,
    kTags = 3,
    kAlerts = 4,
    kGroups = 5,
    kGroupsAssign = 6,
    kContacts = 7,
    kNotifications = 8,
    kContactsRequests = 9,
    kOrganizers = 10,
    kSharing = 11,
    kEventTypes = 12,
};

// One organizer or item as the service keeps it. Fields holds every item
// key of its section but the four stamps, as texts.
struct StoredItem {
    int Type = 0;
    uint32_t ID = 0;
    int64_t Created = 0;
    int64_t Changed = 0;
    int64_t Deleted = 0;
    std::map<std::string, std::string> Fields;
    // When set, the "ID" the downloads send in place of ID: a hostile
    // service's id (beyond 32 bits, negative, in the client's own range).
    std::string IdText;
    // Reference fields still naming a temporary id: (field, type, id).
    std::vector<std::tuple<std::string, int, uint32_t>> PendingReferences;

    std::string Field(const std::string& key) const;
    uint32_t Number(const std::string& key) const;
};

// An upload-map entry (user, installation, type, temporary id).
struct UploadMapEntry {
    uint32_t ServerID = 0;
    bool Answered = false;
};

// The organizer data of the account service: the item store with unique
// increasing stamps and tombstones, the relations, the three downloads, the
// organizer check, uploads with the upload map and pending references, the
// two series requests and the record checks of the request queue. Tests
// seed it, act through it as another party and inspect it.
class SyncService {
public:
    explicit SyncService(AccountService& accounts);

    // ---- Configuration.
    // Sent as it is; the pages hold at most that many items, all when it is
    // not positive.
    void SetArrayLimit(int64_t limit);
    // Pages "at or after t" instead of "after t": the items stamped at the
    // committed time come again (duplicate deliveries).
    void SetAtOrAfterPaging(bool on);
    // The clock of the stamps (Unix seconds); unset: the system's.
    void SetClock(std::function<int64_t()> clock);

    // ---- Seeding (fixed ids and stamps may be given; 0 takes new ones).
    // An organizer related to the user with (origin, subscribe).
    void AddOrganizer(uint32_t id, uint32_t userId, int origin, int subscribe, const std::string& title = "");
    void Relate(uint32_t userId, uint32_t organizerId, int origin, int subscribe);
    // Stores an item of the type with those fields; its id.
    uint32_t Seed(int type, std::map<std::string, std::string> fields, uint32_t id = 0);
    // A record of the organizer with the text; its id.
    uint32_t SeedRecord(uint32_t organizerId, const std::string& text, uint32_t id = 0);

    // ---- Another party.
    // Changes fields of a live item with a new stamp; false when unknown.
    bool Change(int type, uint32_t id, const std::map<std::string, std::string>& fields);
    bool Tombstone(int type, uint32_t id);
    // The item's downloads send `text` as its "ID" (StoredItem::IdText).
    bool SetIdText(int type, uint32_t id, const std::string& text);

    // The controls under "/__test/" for a service run by hand.
    void RegisterControls(TestService& service);

    // ---- Single things (sync_single_things.cpp).
    // The JPEG bytes served for a picture id, at every width.
    void SeedPicture(uint32_t pictureId, std::string jpegBytes);
    // Serves "/pictures/<id>.jpg" and "/pictures/<id>-w<w>.jpg" on the
    // service; the picture requests answer with its addresses.
    void ServePictures(TestService& service);

    // ---- Inspection.
    std::vector<StoredItem> Items(int type) const;
    bool Find(int type, uint32_t id, StoredItem& out) const;
    int LiveCount(int type) const;
    std::map<std::tuple<uint32_t, uint32_t, int, uint32_t>, UploadMapEntry> UploadMap() const;
    // The user's relation to the organizer; false when there is none.
    bool Relation(uint32_t userId, uint32_t organizerId, int* origin, int* subscribe) const;
    // Users following the organizer: Origin 50 with Subscribe 1, 10 or 20.
    int SubscribersCount(uint32_t organizerId) const;
    // The server id a temporary id of the user's installation was given;
    // the id itself when it is no temporary one, 0 when it is not mapped.
    uint32_t ServerIdOf(uint32_t userId, uint32_t instId, int type, uint32_t id) const;

private:
    using MapKey = std::tuple<uint32_t, uint32_t, int, uint32_t>;

    // A control that answers "done" or "refused".
    static void Route(const char* path, TestService& service, std::function<bool(const FormFields&)> control);
    std::string UsersOrganizers(const FormFields& fields, const Account* account);
    std::string UsersData(const FormFields& fields, const Account* account);
    std::string Records(const FormFields& fields, const Account* account);
    std::string CheckOrganizers(const FormFields& fields, const Account* account);
    std::string Upsync(const FormFields& fields, const Account* account);
    std::string DeleteSeries(const FormFields& fields, const Account* account);
    std::string SaveSeries(const FormFields& fields, const Account* account);
    std::string UpdatedRecords(const FormFields& fields, const Account* account);
    std::string OneRecord(const FormFields& fields, const Account* account);
    void RouteSingleThings();
    std::string RecordPicture(const FormFields& fields, const Account* account);
    std::string OrganizerPicture(const FormFields& fields, const Account* account);
    std::string UserProfilePicture(const FormFields& fields, const Account* account);
    std::string PictureAnswer(uint32_t pictureId, const FormFields& fields, bool withWidths) const;
    Response PictureFile(const Request& request) const;
    std::string ObjectData(const FormFields& fields, const Account* account);
    std::string PopularOrganizers(const FormFields& fields, const Account* account);
    std::string AllRecordsIds(const FormFields& fields, const Account* account);
    std::string PublicOrganizerRecords(const FormFields& fields, const Account* account);

    // The rest need mutex_ held.
    int64_t NextStamp();
    uint32_t NextID() { return nextId_++; }
    StoredItem* FindLocked(int type, uint32_t id);
    const StoredItem* RelationOf(uint32_t userId, uint32_t organizerId) const;
    bool Relates(uint32_t userId, uint32_t organizerId) const;
    bool MayWrite(uint32_t userId, uint32_t organizerId) const;
    bool Visible(const StoredItem& item, uint32_t userId) const;
    // One item of its section, as the client reads it.
    std::string ItemText(const StoredItem& item, uint32_t userId) const;
    // The page of (type, organizer) after t and b, in stamp order.
    std::vector<const StoredItem*> Page(int type, uint32_t organizerId, uint32_t userId, int64_t after, int64_t offset,
                                        size_t limit) const;
    std::string Section(const char* name, const std::vector<const StoredItem*>& items, uint32_t userId) const;
    void Stamp(StoredItem& item);
    void TombstoneLocked(StoredItem& item);
    void TombstoneDependents(const StoredItem& record);
    // The server id a referenced temporary id stands for: its map entry's
    // id, 0 when the id is not mapped (pending). False for a stale one.
    bool Resolve(uint32_t userId, uint32_t instId, int type, uint32_t id, uint32_t& resolved, bool& pending);
    void ResolvePending(int type, uint32_t temporaryId, uint32_t serverId);
    // Files the item in the lookups below when it is an alert or holds
    // pending references; called whenever its fields were set.
    void NoteLookups(const StoredItem& item);
    void KeepRecordAlert(const StoredItem& record, uint32_t userId, const FormFields& fields);
    void ApplyRecordTag(StoredItem& record, uint32_t tagId);
    void Violate(const std::string& kind, const std::string& key, const std::string& detail);

    AccountService& accounts_;
    mutable std::mutex mutex_;
    std::function<int64_t()> clock_;
    int64_t arrayLimit_ = 100;
    bool atOrAfter_ = false;
    int64_t lastStamp_ = 0;
    uint32_t nextId_ = 100000;
    // A deque: items stay where they are while more are added.
    std::deque<StoredItem> items_;
    std::map<std::pair<int, uint32_t>, size_t> index_;
    // Uploads look up without walking the store: alert ids by RecordID, and
    // (type, id) of the items holding a pending reference to (type,
    // temporary id). Entries may be outdated; each is checked when used.
    std::multimap<uint32_t, uint32_t> alertsByRecord_;
    std::map<std::pair<int, uint32_t>, std::vector<std::pair<int, uint32_t>>> pendingHolders_;
    // (user, organizer) -> (Origin, Subscribe), kept as a pseudo item.
    std::map<std::pair<uint32_t, uint32_t>, StoredItem> relations_;
    std::map<uint32_t, uint32_t> recalc_;
    std::map<MapKey, UploadMapEntry> uploadMap_;
    std::map<uint32_t, std::string> pictures_;
    std::string pictureBase_;
};

} // namespace test_service
