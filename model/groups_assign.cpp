#include "model/groups_assign.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

bool TNPIMGroupsAssignItem::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMGroupsAssignItem::Save]", false, [&] {
        raf.resetStream(fid);
        raf.writeNumber(kStoredVersion, 1, fid);
        raf.writeNumber(PleaseSync ? 1 : 0, 1, fid);
        for (uint32_t value : {ID, static_cast<uint32_t>(Created), static_cast<uint32_t>(Changed),
                               static_cast<uint32_t>(Deleted), UserID, ContactID, ContactUserID, ContactsGroupID}) {
            raf.writeNumber(value, 4, fid);
        }
        if (!raf.saveStream(fid, queuePos)) {
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
        uint32_t version = r.Unsigned(1);
        if (!r.Ok() || version != kStoredVersion) {
            LogTextUInt("[TNPIMGroupsAssignItem::Load][ERROR] Unknown version = ", version);
            return false;
        }
        PleaseSync = r.Flag();
        ID = r.Unsigned(4);
        Created = r.Signed(4);
        Changed = r.Signed(4);
        Deleted = r.Signed(4);
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
    return Guarded("[TNPIMGroupsAssign::Add]", -1, [&] {
        TNModelWriteGuard lock;
        if (answer == nullptr) {
            return -1;
        }
        TNAnswerItem in(*answer);
        int32_t pos = TakeAnswerItem(in);
        if (pos < 0) {
            return -1;
        }
        TNPIMGroupsAssignItem& a = *Items[pos];
        pimDataReceived = true;
        a.Unsaved = true;
        in.Number("UserID", a.UserID);
        in.Number("ContactID", a.ContactID);
        in.Number("ContactUserID", a.ContactUserID);
        in.Number("ContactsGroupID", a.ContactsGroupID);
        collection_steps::CountReceived(*this, a.Changed);
        QueueItem(pos);
        return pos;
    });
}
