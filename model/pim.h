#pragma once

#include "foundation/pim_array.h"
#include "model/alerts.h"
#include "model/last_requests.h"
#include "model/organizers.h"
#include "model/record_lists.h"
#include "model/records.h"
#include "model/tags.h"
#include "model/tags_assign.h"

#include <atomic>
#include <cstdint>
#include <memory>

// The organizer data of one account on one configured server.
//
// So far the account values, the organizers, the records and the
// last-request times; the other collections, the per-day index, loading,
// saving and the model lock join with the data set proper.
class TNPIM {
public:
    uint32_t UserID = 0;
    // Position of this set in PIM.
    int32_t pimSrvPos = 0;
    std::atomic<bool> LoadingPimNow{false};
    std::atomic<bool> SavingPimNow{false};
    TNPIMOrganizers Organizers;
    std::unique_ptr<TNPIMRecords> Records;
    TNPIMAlerts Alerts;
    TNPIMTags Tags;
    TNPIMTagsAssign TagsAssign;
    TNPIMLastRequests LastRequests;

    explicit TNPIM(int32_t position);
    ~TNPIM();
    TNPIM(const TNPIM&) = delete;
    TNPIM& operator=(const TNPIM&) = delete;

    void Init();
    // Slot of the record file the set saves to.
    int32_t RecordFileSlot() const;

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
    // The record carries the tag: by its first live assignment, or by its own TagID.
    bool RecordHasTag(const TNPIMRecord& record, uint32_t tagID) const;
    // Exists, not deleted, no parent, of the type, hidden only when shown.
    static bool IsListedTask(const TNPIMRecord* record, int32_t type, bool showHidden);
    template <class Extra>
    int32_t CollectRecords(const char* caller, int32_t type, bool showHidden, int32_t* count, TNPIMRecordList* list,
                           int32_t mode, Extra&& extra);
};

// The organizers and last-request times of the set that ran Init last.
extern TNPIMOrganizers* CurrentPIMOrganizers;
extern TNPIMLastRequests* CurrentPIMLastRequests;
// Set when data arrived that Save must write even with an empty queue.
extern std::atomic<bool> pimDataReceived;

// Lets `c` make and free the sets of PIM; called once at start-up, before
// the globals are built.
void InstallPIMFactory();
