#pragma once

// The one table of the synchronised collections: what the download reads,
// requests and commits for each, and what the upload offers, in one row.

#include "foundation/string.h"
#include "model/pim.h"
#include "model/upload.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The download counters of one collection, or of one organizer's share of
// records, tags or tag assignments.
struct TNDownloadCounters {
    uint32_t& LastRequestTime;
    uint32_t& NewestChanged;
    int32_t& Offset;
    int32_t& Received;
};

template <class Collection> TNDownloadCounters CountersOf(Collection& items)
{
    return {items.LastRequestTime, items.NewestChanged, items.Offset, items.Received};
}

// How a collection's downloads are kept: organizers by their own request,
// records, tags and tag assignments per organizer, the rest paged over the
// whole set, sharing whole in every answer.
enum class TNKeeping : uint8_t { Own, ByOrganizer, Paged, Whole };

// One synchronised collection: its section in an "api-sync-pim" block, its
// code in the counters and the uploads, its request keys (time and offset;
// per organizer they end with the organizer's id), how it is kept, whether a
// delivery makes the next check walk everything, how items are added and
// counted, and how its pending items go up.
struct TNSyncedCollection {
    const char* Section;
    int32_t Code;
    const char* TimeKey;
    const char* OffsetKey;
    TNKeeping Keeping;
    bool ChecksAll;
    int32_t (*Add)(TNPIM& pim, TNString& item);
    TNDownloadCounters (*Counters)(TNPIM& pim);
    TNDownloadCounters (*OrganizerCounters)(TNPIMOrganizer& organizer);
    // The log's name of the collection and the offer of its next pending
    // item (its id, 0 when none); none for organizers, which go up by their
    // own requests.
    const char* UploadName;
    uint32_t (*Offer)(TNPIM& pim, TNString* text, const TNUploadSkip& skip);
};

// In the order a block's sections are read.
inline constexpr TNSyncedCollection kSyncedCollections[] = {
    {"Organizers", 10, nullptr, nullptr, TNKeeping::Own, true,
     [](TNPIM& pim, TNString& item) { return pim.Organizers.Add(&item, false); }, nullptr, nullptr, nullptr, nullptr},
    {"Records", TNPIM::kUploadRecords, "tR", "bR", TNKeeping::ByOrganizer, true,
     [](TNPIM& pim, TNString& item) { return pim.Records->Add(&item); }, nullptr,
     [](TNPIMOrganizer& o) -> TNDownloadCounters {
         return {o.recordsLastRequestTime, o.recordsNewestChanged, o.recordsOffset, o.recordsReceived};
     },
     "pimRecords",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) {
         return pim.Records ? pim.Records->GetDataToSync(out, skip) : 0u;
     }},
    {"Tags", TNPIM::kUploadTags, "tT", "bT", TNKeeping::ByOrganizer, true,
     [](TNPIM& pim, TNString& item) { return pim.Tags.Add(&item); }, nullptr,
     [](TNPIMOrganizer& o) -> TNDownloadCounters {
         return {o.tagsLastRequestTime, o.tagsNewestChanged, o.tagsOffset, o.tagsReceived};
     },
     "pimTags", [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.Tags.GetDataToSync(out, skip); }},
    {"Alerts", TNPIM::kUploadAlerts, "tA", "bA", TNKeeping::Paged, true,
     [](TNPIM& pim, TNString& item) { return pim.Alerts.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.Alerts); }, nullptr, "pimAlerts",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.Alerts.GetDataToSync(out, skip); }},
    {"TagsAssign", TNPIM::kUploadTagsAssign, "tTA", "bTA", TNKeeping::ByOrganizer, true,
     [](TNPIM& pim, TNString& item) { return pim.TagsAssign.Add(&item); }, nullptr,
     [](TNPIMOrganizer& o) -> TNDownloadCounters {
         return {o.tagsAssignLastRequestTime, o.tagsAssignNewestChanged, o.tagsAssignOffset, o.tagsAssignReceived};
     },
     "pimTagsAssign",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.TagsAssign.GetDataToSync(out, skip); }},
    {"Contacts", TNPIM::kUploadContacts, "tC", "bC", TNKeeping::Paged, false,
     [](TNPIM& pim, TNString& item) { return pim.Contacts.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.Contacts); }, nullptr, "pimContacts",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.Contacts.GetDataToSync(*out, skip); }},
    {"ContactsRequests", TNPIM::kUploadContactsRequests, "tCR", "bCR", TNKeeping::Paged, false,
     [](TNPIM& pim, TNString& item) { return pim.ContactsRequests.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.ContactsRequests); }, nullptr, "pimContactsRequests",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) {
         return pim.ContactsRequests.GetDataToSync(*out, skip);
     }},
    {"ContactsGroups", TNPIM::kUploadGroups, "tCG", "bCG", TNKeeping::Paged, false,
     [](TNPIM& pim, TNString& item) { return pim.Groups.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.Groups); }, nullptr, "pimGroups",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.Groups.GetDataToSync(*out, skip); }},
    {"ContactsGroupsAssign", TNPIM::kUploadGroupsAssign, "tCGA", "bCGA", TNKeeping::Paged, false,
     [](TNPIM& pim, TNString& item) { return pim.GroupsAssign.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.GroupsAssign); }, nullptr, "pimGroupsAssign",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.GroupsAssign.GetDataToSync(*out, skip); }},
    {"Notifications", TNPIM::kUploadNotifications, "tN", "bN", TNKeeping::Paged, false,
     [](TNPIM& pim, TNString& item) { return pim.Notifications.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.Notifications); }, nullptr, "pimNotifications",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.Notifications.GetDataToSync(*out, skip); }},
    {"Sharing", TNPIM::kUploadSharing, "tS", nullptr, TNKeeping::Whole, false,
     [](TNPIM& pim, TNString& item) { return pim.Sharing.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.Sharing); }, nullptr, "pimSharing",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.Sharing.GetDataToSync(*out, skip); }},
    {"EventTypes", TNPIM::kUploadEventTypes, "tET", "bET", TNKeeping::Paged, false,
     [](TNPIM& pim, TNString& item) { return pim.EventTypes.Add(&item); },
     [](TNPIM& pim) { return CountersOf(pim.EventTypes); }, nullptr, "pimEventTypes",
     [](TNPIM& pim, TNString* out, const TNUploadSkip& skip) { return pim.EventTypes.GetDataToSync(*out, skip); }},
};
inline constexpr size_t kSyncedCount = std::size(kSyncedCollections);

// The upload order is the order of the codes: every pending record before
// any tag assignment, and so on. Rows without an upload are left out (null
// at the end). Made at start-up rather than at compile time: a sanitizer
// build cannot compare the rows' function pointers in a constant expression.
inline std::array<const TNSyncedCollection*, kSyncedCount> UploadOrder()
{
    std::array<const TNSyncedCollection*, kSyncedCount> order{};
    size_t count = 0;
    for (const TNSyncedCollection& synced : kSyncedCollections) {
        if (synced.Offer == nullptr)
            continue;
        size_t at = count++;
        while (at > 0 && order[at - 1]->Code > synced.Code) {
            order[at] = order[at - 1];
            --at;
        }
        order[at] = &synced;
    }
    return order;
}
inline const std::array<const TNSyncedCollection*, kSyncedCount> kUploadOrder = UploadOrder();
