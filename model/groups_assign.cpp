#include "model/groups_assign.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

bool TNPIMGroupsAssignItem::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMGroupsAssignItem::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {UserID, ContactID, ContactUserID, ContactsGroupID}) {
            w.Unsigned(value, 4);
        }
        if (!w.Commit()) {
            return false;
        }
        Unsaved = false;
        return true;
    });
}

bool TNPIMGroupsAssignItem::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMGroupsAssignItem::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = ReadItemHead(r, *this, kStoredVersion, kStoredVersion,
                                        "[TNPIMGroupsAssignItem::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
        UserID = r.Unsigned(4);
        ContactID = r.Unsigned(4);
        ContactUserID = r.Unsigned(4);
        ContactsGroupID = r.Unsigned(4);
        return r.Ok();
    });
}

void TNPIMGroupsAssignItem::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&UserID=", UserID);
    AppendFormField(out, "&ContactID=", ContactID);
    AppendFormField(out, "&ContactUserID=", ContactUserID);
    AppendFormField(out, "&ContactsGroupID=", ContactsGroupID);
}

bool TNPIMGroupsAssign::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMGroupsAssign::Resize][ERROR]");
}

int32_t TNPIMGroupsAssign::Add(TNString* answer)
{
    auto fill = [&](TNPIMGroupsAssignItem& a, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        pimDataReceived = true;
        a.Unsaved = true;
        in.Number("UserID", a.UserID);
        in.Number("ContactID", a.ContactID);
        in.Number("ContactUserID", a.ContactUserID);
        in.Number("ContactsGroupID", a.ContactsGroupID);
        collection_steps::CountReceived(*this, a.Changed);
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMGroupsAssign::Add]", nullptr, answer, fill);
}
