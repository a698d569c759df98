#pragma once

#include "foundation/string.h"
#include "model/synced_collection.h"

#include <cstdint>

class TNPIM;
struct TNModelImage;
namespace plat {
class ByteReader;
} // namespace plat

// Another user whom the signed-in user has as a contact.
class TNPIMContact {
public:
    static constexpr uint8_t kStoredVersion = 2;
    static constexpr int32_t kImageSlots = 16;

    // Changed in memory since last written; not stored.
    bool Unsaved = false;
    bool PleaseSync = false;
    uint32_t ID = 0;
    int32_t Created = 0;
    int32_t Changed = 0;
    int32_t Deleted = 0;
    uint32_t UserID = 0;
    // The contact's own user id: the key of every look-up and the name of
    // its picture folder.
    uint32_t ContactUserID = 0;
    uint32_t MainOrganizerID = 0;
    TNString UsernamePath;
    TNString FirstName;
    TNString MiddleName;
    TNString LastName;
    TNString SecondLastName;
    TNString Company;
    TNString City;
    TNString AcademicTitles;
    uint32_t ProfilePicture = 0;
    // 0 or 1 not fetched, 2 full picture on disk, ProfilePicture loaded;
    // not stored.
    int32_t ProfilePictureState = 0;
    // When not empty, the full name.
    TNString DisplayAs;
    // The display name built on demand; emptied when a name changes; not
    // stored.
    TNString FullName;
    // The full picture; owned by the main window, not stored.
    TNModelImage* ProfilePictureImage = nullptr;
    // The picture at the width of the same slot of the collection's
    // ImageWidths; owned here.
    TNModelImage* Images[kImageSlots] = {};

    TNPIMContact() = default;
    ~TNPIMContact();
    TNPIMContact(const TNPIMContact&) = delete;
    TNPIMContact& operator=(const TNPIMContact&) = delete;

    bool Save(int32_t queuePos, int32_t fid);
    // False when unreadable: an unknown version or a body cut short.
    bool Load(plat::ByteReader& in);
    void GetDataToSync(TNString& out) const;
    // DisplayAs, else the first name, a blank and the last name.
    TNString GetFullName();
};

// The contacts of one data set, sent as "&tC=" and "&bC=". They change only
// through downloads; the upload path serves contacts stored as pending.
class TNPIMContacts : public TNPIMSyncedCollection<TNPIMContact, TNPIMContacts, raftContact> {
public:
    static constexpr const char* kName = "TNPIMContacts";

    // The picture widths the service is asked for; slots past the count
    // hold 0.
    int32_t ImageWidthsCount = 0;
    int32_t ImageWidths[TNPIMContact::kImageSlots] = {};

    TNPIMContacts() { Init(); }
    void Init();
    bool Resize(int32_t n);
    // Takes over one answer item; its position, or -1.
    int32_t Add(TNString* answer);

    TNPIMContact* GetItemByContactUserID(uint32_t contactUserID) const;
    bool GetFullNameByContactUserID(uint32_t contactUserID, TNString& out);
    bool GetFullNameByContactUserID_LastNameFirst(uint32_t contactUserID, TNString& out);
    // The contact's picture at one of the widths, cached in the contact;
    // null when the width is not one of them or no file loads. A missing
    // width file makes the next picture fetch start over.
    TNModelImage* getImageByWidth(uint32_t contactUserID, int32_t width);

private:
    TNPIMContact* FindByContactUserID(uint32_t contactUserID) const;
};
