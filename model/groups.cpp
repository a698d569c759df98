#include "model/groups.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

bool TNPIMGroup::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMGroup::Save]", false, [&] {
        raf.resetStream(fid);
        raf.writeNumber(kStoredVersion, 1, fid);
        raf.writeNumber(PleaseSync ? 1 : 0, 1, fid);
        for (uint32_t value : {ID, static_cast<uint32_t>(Created), static_cast<uint32_t>(Changed),
                               static_cast<uint32_t>(Deleted), UserID}) {
            raf.writeNumber(value, 4, fid);
        }
        raf.writeString(Title, fid);
        if (!raf.saveStream(fid, queuePos)) {
            return false;
        }
        Unsaved = false;
        return true;
    });
}

bool TNPIMGroup::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMGroup::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = r.Unsigned(1);
        if (!r.Ok() || version != kStoredVersion) {
            LogTextUInt("[TNPIMGroup::Load][ERROR] Unknown version = ", version);
            return false;
        }
        PleaseSync = r.Flag();
        ID = r.Unsigned(4);
        Created = r.Signed(4);
        Changed = r.Signed(4);
        Deleted = r.Signed(4);
        UserID = r.Unsigned(4);
        r.String(Title);
        return r.Ok();
    });
}

void TNPIMGroup::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&UserID=", UserID);
    AppendFormField(out, "&Title=", Title);
}

bool TNPIMGroups::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMGroups::Resize][ERROR]");
}

int32_t TNPIMGroups::Add(TNString* answer)
{
    return Guarded("[TNPIMGroups::Add]", -1, [&] {
        TNModelWriteGuard lock;
        if (answer == nullptr) {
            return -1;
        }
        TNAnswerItem in(*answer);
        int32_t pos = TakeAnswerItem(in);
        if (pos < 0) {
            return -1;
        }
        TNPIMGroup& g = *Items[pos];
        pimDataReceived = true;
        g.Unsaved = true;
        in.Number("UserID", g.UserID);
        in.Text("Title", g.Title);
        collection_steps::CountReceived(*this, g.Changed);
        QueueItem(pos);
        return pos;
    });
}
