#include "model/groups.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

bool TNPIMGroup::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMGroup::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        w.Unsigned(UserID, 4);
        w.String(Title);
        if (!w.Commit()) {
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
        uint32_t version =
            ReadItemHead(r, *this, kStoredVersion, kStoredVersion, "[TNPIMGroup::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
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
    auto fill = [&](TNPIMGroup& g, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        pimDataReceived = true;
        g.Unsaved = true;
        in.Number("UserID", g.UserID);
        in.Text("Title", g.Title);
        collection_steps::CountReceived(*this, g.Changed);
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMGroups::Add]", nullptr, answer, fill);
}
