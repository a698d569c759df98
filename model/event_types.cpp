#include "model/event_types.h"

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/upload.h"

// --------------------------------------------------------------- event type

bool TNPIMEventType::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMEventType::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        for (uint32_t value : {CreatedByUserID, TitleLn}) {
            w.Unsigned(value, 4);
        }
        w.String(TitleLngString);
        w.Flag(ShowBeforeText);
        return w.Commit();
    });
}

bool TNPIMEventType::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMEventType::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version =
            ReadItemHead(r, *this, 1, kStoredVersion, "[TNPIMEventType::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
        CreatedByUserID = r.Unsigned(4);
        if (version >= 2) {
            TitleLn = r.Unsigned(4);
        }
        TNString title;
        r.String(title);
        ShowBeforeText = r.Flag();
        if (!r.Ok()) {
            return false;
        }
        SetTitle(title);
        return true;
    });
}

void TNPIMEventType::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&CreatedByUserID=", CreatedByUserID);
    AppendFormField(out, "&TitleLn=", TitleLn);
    AppendFormField(out, "&TitleLngString=", TitleLngString);
    AppendFormField(out, "&ShowBeforeText=", ShowBeforeText ? 1 : 0);
}

void TNPIMEventType::SetTitle(const TNString& title)
{
    TitleLngString = title;
    DisplayTitle = c.GetEventTypeName(TitleLngString);
}

// --------------------------------------------------------------- collection

bool TNPIMEventTypes::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMEventTypes::Resize][ERROR]");
}

int32_t TNPIMEventTypes::Add(TNString* answer)
{
    auto fill = [&](TNPIMEventType& e, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        in.Number("CreatedByUserID", e.CreatedByUserID);
        in.Number("TitleLn", e.TitleLn);
        if (in.Has("TitleLngString", true)) {
            e.SetTitle(in.value);
        }
        in.Flag("ShowBeforeText", e.ShowBeforeText);
        collection_steps::CountReceived(*this, e.Changed);
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMEventTypes::Add]", nullptr, answer, fill);
}

uint32_t TNPIMEventTypes::GetLastReq() const
{
    uint32_t newest = 0;
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && Items[i]->Deleted == 0) {
            collection_steps::RaiseTime(newest, Items[i]->Changed);
        }
    }
    LogTextUInt("EventTypes.LastReq = ", newest);
    return newest;
}

void TNPIMEventTypes::FinalizeLoading()
{
    Guarded("[TNPIMEventTypes::FinalizeLoading]", [&] {
        LogTextInt("[TNPIMEventTypes::FinalizeLoading][BEGIN] Count = ", Count);
        LastRequestTime = GetLastReq();
        for (int32_t aa = 0; aa < Count; ++aa) {
            if (Items[aa] == nullptr) {
                LogTextInt("[TNPIMEventTypes::FinalizeLoading] Items[aa] = NULL; aa = ", aa);
            }
        }
        NextID = NextIDAfter(NextID);
        QueueRewrites();
        LogText("[TNPIMEventTypes::FinalizeLoading][END]");
    });
}

bool TNPIMEventTypes::ShowEventTypeBeforeText(uint32_t eventTypeID, TNString& out) const
{
    return Guarded("[TNPIMEventTypes::ShowEventTypeBeforeText]", false, [&] {
        TNModelReadGuard lock;
        for (int32_t i = 0; i < Count; ++i) {
            const TNPIMEventType* e = Items[i];
            if (e != nullptr && e->ID == eventTypeID && e->Deleted == 0 && e->ShowBeforeText) {
                out = e->DisplayTitle;
                return true;
            }
        }
        return false;
    });
}
