#pragma once

#include "foundation/string.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
struct TNModelImage;
namespace plat {
class ByteReader;
} // namespace plat

// Another user's request to become a contact of the signed-in user.
class TNPIMContactsRequest {
public:
    static constexpr uint8_t kStoredVersion = 2;

    // Changed in memory since last written; not stored.
    bool Unsaved = false;
    bool PleaseSync = false;
    uint32_t ID = 0;
    int32_t Created = 0;
    int32_t Changed = 0;
    int32_t Deleted = 0;
    // The requester; its picture folder is named by it.
    uint32_t UserID = 0;
    uint32_t ContactUserID = 0;
    TNString RequestIP;
    // 0 not answered, 1 accepted, 2 ignored.
    int32_t AcceptanceType = 0;
    // When the answer reached the service; 0 while it waits.
    int32_t AcceptanceTimestamp = 0;
    uint32_t EmailID = 0;
    TNString FullName;
    // Filled only by the object-data request.
    TNString Bio;
    TNString Web;
    TNString Company;
    TNString City;
    uint32_t ProfilePicture = 0;
    // 0 or 1 not fetched, 2 full picture on disk, ProfilePicture loaded.
    int32_t ProfilePictureState = 1;
    // The loaded picture; owned by the main window, not stored.
    TNModelImage* ProfilePictureImage = nullptr;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short. A
    // version 1 body is kept and marked Unsaved, to be written again.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
};

// The contact requests of one data set; sent as "&tCR=" and "&bCR=".
class TNPIMContactsRequests
    : public TNPIMSyncedCollection<TNPIMContactsRequest, TNPIMContactsRequests, raftContactsRequest> {
public:
    static constexpr const char* kName = "TNPIMContactsRequests";

    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);
    // A version 1 request is written again as the current version.
    static bool NeedsRewrite(const TNPIMContactsRequest& item) { return item.Unsaved; }
};
