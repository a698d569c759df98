#include "model/contacts.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/hooks.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"
#include "platform/core/file.h"

#include <cstdio>
#include <mutex>
#include <string>

// ------------------------------------------------------------------ contact

TNPIMContact::~TNPIMContact()
{
    for (TNModelImage*& image : Images) {
        FreeModelImage(image);
        image = nullptr;
    }
}

bool TNPIMContact::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMContact::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {UserID, ContactUserID, MainOrganizerID}) {
            w.Unsigned(value, 4);
        }
        for (const TNString* text :
             {&UsernamePath, &FirstName, &MiddleName, &LastName, &SecondLastName, &Company, &City, &AcademicTitles}) {
            w.String(*text);
        }
        w.Unsigned(ProfilePicture, 4);
        w.String(DisplayAs);
        if (!w.Commit()) {
            return false;
        }
        Unsaved = false;
        return true;
    });
}

bool TNPIMContact::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMContact::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = ReadItemHead(r, *this, 1, kStoredVersion, "[TNPIMContact::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
        UserID = r.Unsigned(4);
        ContactUserID = r.Unsigned(4);
        if (version >= 2) {
            MainOrganizerID = r.Unsigned(4);
        }
        for (TNString* text :
             {&UsernamePath, &FirstName, &MiddleName, &LastName, &SecondLastName, &Company, &City, &AcademicTitles}) {
            r.String(*text);
        }
        ProfilePicture = r.Unsigned(4);
        r.String(DisplayAs);
        return r.Ok();
    });
}

void TNPIMContact::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&UserID=", UserID);
    AppendFormField(out, "&ContactUserID=", ContactUserID);
    AppendFormField(out, "&MainOrganizerID=", MainOrganizerID);
    AppendFormField(out, "&UsernamePath=", UsernamePath);
    AppendFormField(out, "&FirstName=", FirstName);
    AppendFormField(out, "&MiddleName=", MiddleName);
    AppendFormField(out, "&LastName=", LastName);
    AppendFormField(out, "&SecondLastName=", SecondLastName);
    AppendFormField(out, "&Company=", Company);
    AppendFormField(out, "&City=", City);
    AppendFormField(out, "&AcademicTitles=", AcademicTitles);
    AppendFormField(out, "&ProfilePicture=", ProfilePicture);
    AppendFormField(out, "&DisplayAs=", DisplayAs);
}

namespace {

// The cached full name is built on demand by readers, which may hold the
// model lock shared together: its own mutex keeps them from building it at
// once. Add empties it under the exclusive lock, when no reader runs.
std::mutex fullNameCacheMutex;

} // namespace

TNString TNPIMContact::GetFullName()
{
    return Guarded("[TNPIMContact::GetFullName]", TNString(), [&] {
        TNModelReadGuard lock;
        std::lock_guard<std::mutex> cache(fullNameCacheMutex);
        if (FullName.IsEmpty()) {
            if (!DisplayAs.IsEmpty()) {
                FullName = DisplayAs;
            } else {
                FullName = FirstName;
                FullName.Append(" ");
                FullName.Append(LastName.Text != nullptr ? LastName.Text : "");
            }
        }
        return FullName;
    });
}

// --------------------------------------------------------------- collection

void TNPIMContacts::Init()
{
    TNPIMSyncedCollection::Init();
    ImageWidthsCount = 0;
    for (int32_t& width : ImageWidths) {
        width = 0;
    }
    for (int32_t width : {16, 24, 32, 48, 64, 128, 196, 256}) {
        ImageWidths[ImageWidthsCount++] = width;
    }
}

bool TNPIMContacts::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMContacts::Resize][ERROR]");
}

int32_t TNPIMContacts::Add(TNString* answer)
{
    auto fill = [&](TNPIMContact& k, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        pimDataReceived = true;
        k.Unsaved = true;
        in.Number("UserID", k.UserID);
        in.Number("ContactUserID", k.ContactUserID);
        in.Number("MainOrganizerID", k.MainOrganizerID);
        in.Text("UsernamePath", k.UsernamePath);
        // A renamed contact must not keep showing its old name.
        bool renamed = false;
        for (auto [key, field] : {std::pair<const char*, TNString*>{"FirstName", &k.FirstName},
                                  {"MiddleName", &k.MiddleName},
                                  {"LastName", &k.LastName},
                                  {"SecondLastName", &k.SecondLastName}}) {
            renamed = in.Text(key, *field) || renamed;
        }
        in.Text("Company", k.Company);
        in.Text("City", k.City);
        in.Text("AcademicTitles", k.AcademicTitles);
        if (in.Number("ProfilePicture", k.ProfilePicture) &&
            k.ProfilePicture != static_cast<uint32_t>(k.ProfilePictureState)) {
            k.ProfilePictureState = 0;
        }
        renamed = in.Text("DisplayAs", k.DisplayAs) || renamed;
        if (renamed) {
            k.FullName.Set("");
        }
        collection_steps::CountReceived(*this, k.Changed);
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMContacts::Add]", "[TNPIMContacts::Add] ", answer, fill);
}

TNPIMContact* TNPIMContacts::FindByContactUserID(uint32_t contactUserID) const
{
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && Items[i]->ContactUserID == contactUserID) {
            return Items[i];
        }
    }
    return nullptr;
}

TNPIMContact* TNPIMContacts::GetItemByContactUserID(uint32_t contactUserID) const
{
    TNModelReadGuard lock;
    TNPIMContact* contact = FindByContactUserID(contactUserID);
    if (contact == nullptr) {
        LogTextUInt("[TNPIMContacts::GetItemByContactUserID][NOT_FOUND] contact_user_id = ", contactUserID);
    }
    return contact;
}

bool TNPIMContacts::GetFullNameByContactUserID(uint32_t contactUserID, TNString& out)
{
    return Guarded("[TNPIMContacts::GetFullNameByContactUserID]", false, [&] {
        TNModelReadGuard lock;
        TNPIMContact* contact = FindByContactUserID(contactUserID);
        if (contact == nullptr) {
            return false;
        }
        out = contact->GetFullName();
        LogWrite("[TNPIMContacts::GetFullNameByID] Items[aa]->FullName = ", out.Text, false);
        return true;
    });
}

bool TNPIMContacts::GetFullNameByContactUserID_LastNameFirst(uint32_t contactUserID, TNString& out)
{
    return Guarded("[TNPIMContacts::GetFullNameByContactUserID_LastNameFirst]", false, [&] {
        TNModelReadGuard lock;
        TNPIMContact* contact = FindByContactUserID(contactUserID);
        if (contact == nullptr) {
            return false;
        }
        TNString name(contact->LastName.View());
        name.Append(" ");
        name.Append(contact->FirstName.Text != nullptr ? contact->FirstName.Text : "");
        out = name;
        return true;
    });
}

TNModelImage* TNPIMContacts::getImageByWidth(uint32_t contactUserID, int32_t width)
{
    return Guarded("[TNPIMContacts::getImageByWidth]", nullptr, [&]() -> TNModelImage* {
        TNModelWriteGuard lock;
        TNPIMContact* contact = FindByContactUserID(contactUserID);
        // The empty slots past the count hold 0, which is no width.
        if (contact == nullptr || width <= 0) {
            return nullptr;
        }
        // The picture fetch keeps contacts' pictures under the first server.
        const char* domain = App.WebDomain[0];
        char tail[64];
        std::snprintf(tail, sizeof tail, "/Profiles/%u/", contact->ContactUserID);
        std::string folder = std::string(Dirs.UserDir.Text != nullptr ? Dirs.UserDir.Text : "") + domain + tail;
        for (int32_t j = 0; j < TNPIMContact::kImageSlots; ++j) {
            if (ImageWidths[j] != width) {
                continue;
            }
            if (contact->Images[j] != nullptr) {
                return contact->Images[j];
            }
            std::snprintf(tail, sizeof tail, "%u-w%d.jpg", contact->ProfilePicture, width);
            std::string path = folder + tail;
            if (plat::FileExists(path)) {
                contact->Images[j] = LoadModelImage(path.c_str());
                if (contact->Images[j] != nullptr) {
                    return contact->Images[j];
                }
                LogWrite("[TNPIMContacts::getImageByWidth][ERROR][NULL] Not loaded full_requested_image_path = ",
                         path.c_str(), false);
                continue;
            }
            // The width is missing: fetch the picture and its widths again.
            std::snprintf(tail, sizeof tail, "%u.jpg", contact->ProfilePicture);
            std::string full = folder + tail;
            if (plat::FileExists(full)) {
                plat::RemoveFile(full);
            }
            contact->ProfilePictureState = 0;
        }
        return nullptr;
    });
}
