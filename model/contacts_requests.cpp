#include "model/contacts_requests.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

// ------------------------------------------------------------------ request

bool TNPIMContactsRequest::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMContactsRequest::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {UserID, ContactUserID}) {
            w.Unsigned(value, 4);
        }
        w.String(RequestIP);
        w.Unsigned(static_cast<uint32_t>(AcceptanceType), 1);
        w.Signed(AcceptanceTimestamp, 4);
        w.Unsigned(EmailID, 4);
        for (const TNString* text : {&FullName, &Bio, &Web, &Company, &City}) {
            w.String(*text);
        }
        w.Unsigned(ProfilePicture, 4);
        w.Signed(ProfilePictureState, 4);
        if (!w.Commit()) {
            return false;
        }
        Unsaved = false;
        return true;
    });
}

bool TNPIMContactsRequest::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMContactsRequest::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version =
            ReadItemHead(r, *this, 1, kStoredVersion, "[TNPIMContactsRequest::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
        UserID = r.Unsigned(4);
        ContactUserID = r.Unsigned(4);
        r.String(RequestIP);
        AcceptanceType = static_cast<int32_t>(r.Unsigned(1));
        AcceptanceTimestamp = r.Signed(4);
        EmailID = r.Unsigned(4);
        if (version >= 2) {
            for (TNString* text : {&FullName, &Bio, &Web, &Company, &City}) {
                r.String(*text);
            }
            ProfilePicture = r.Unsigned(4);
            r.Signed(4);
        }
        if (!r.Ok()) {
            LogText("[TNPIMContactsRequest::Load][ERROR] Body cut short");
            return false;
        }
        // Every picture is fetched again after a load.
        ProfilePictureState = 1;
        // A version 1 body is written again as the current version.
        Unsaved = version < kStoredVersion;
        return true;
    });
}

void TNPIMContactsRequest::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&UserID=", UserID);
    AppendFormField(out, "&ContactUserID=", ContactUserID);
    AppendFormField(out, "&RequestIP=", RequestIP);
    AppendFormField(out, "&AcceptanceType=", AcceptanceType);
    AppendFormField(out, "&AcceptanceTimestamp=", AcceptanceTimestamp);
    AppendFormField(out, "&EmailID=", EmailID);
    AppendFormField(out, "&FullName=", FullName);
    AppendFormField(out, "&Bio=", Bio);
    AppendFormField(out, "&Web=", Web);
    AppendFormField(out, "&Company=", Company);
    AppendFormField(out, "&City=", City);
    AppendFormField(out, "&ProfilePicture=", static_cast<int32_t>(ProfilePicture));
}

// --------------------------------------------------------------- collection

bool TNPIMContactsRequests::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMContactsRequests::Resize] ERROR");
}

int32_t TNPIMContactsRequests::Add(TNString* answer)
{
    auto fill = [&](TNPIMContactsRequest& r, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        pimDataReceived = true;
        r.Unsaved = true;
        in.Number("UserID", r.UserID);
        in.Number("ContactUserID", r.ContactUserID);
        in.Text("RequestIP", r.RequestIP);
        in.Number("AcceptanceType", r.AcceptanceType);
        in.Number("AcceptanceTimestamp", r.AcceptanceTimestamp);
        in.Number("EmailID", r.EmailID);
        in.Text("FullName", r.FullName);
        in.Text("Company", r.Company);
        in.Text("City", r.City);
        // A new picture must be fetched: its state starts again.
        uint32_t oldPicture = r.ProfilePicture;
        if (in.Number("ProfilePicture", r.ProfilePicture) && r.ProfilePicture != oldPicture) {
            r.ProfilePictureState = 1;
        }
        collection_steps::CountReceived(*this, r.Changed);
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMContactsRequests::Add]", "[TNPIMContactsRequests::Add] ", answer, fill);
}
