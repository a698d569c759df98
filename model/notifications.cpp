#include "model/notifications.h"

#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "model/body_reader.h"
#include "model/item_helpers.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/upload.h"

// ------------------------------------------------------------- notification

bool TNPIMNotification::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMNotification::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        WriteItemHead(w, *this, kStoredVersion);
        w.Unsigned(static_cast<uint32_t>(Type), 1);
        w.Unsigned(RecipientUserID, 4);
        w.String(Text);
        w.String(URL);
        w.Signed(Read, 4);
        w.Signed(Emailed, 4);
        for (const TNString* text : {&Settings, &Reserved1, &Reserved2, &Reserved3, &Reserved4}) {
            w.String(*text);
        }
        w.Signed(Reserved5, 4);
        if (!w.Commit()) {
            return false;
        }
        PleaseSave = false;
        return true;
    });
}

bool TNPIMNotification::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMNotification::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version =
            ReadItemHead(r, *this, 1, kStoredVersion, "[TNPIMNotification::Load][ERROR] Unknown version = ");
        if (version == 0) {
            return false;
        }
        Type = static_cast<int32_t>(r.Unsigned(1));
        RecipientUserID = r.Unsigned(4);
        r.String(Text);
        r.String(URL);
        Read = r.Signed(4);
        Emailed = r.Signed(4);
        r.String(Settings);
        if (version >= 2) {
            for (TNString* text : {&Reserved1, &Reserved2, &Reserved3, &Reserved4}) {
                r.String(*text);
            }
            Reserved5 = r.Signed(4);
        }
        if (!r.Ok()) {
            LogText("[TNPIMNotification::Load][ERROR] Body cut short");
            return false;
        }
        ParseSettingsFromJSON();
        // A version 1 body is written again as the current version.
        PleaseSave = version < kStoredVersion;
        return true;
    });
}

void TNPIMNotification::GetDataToSync(TNString& out) const
{
    AppendFormField(out, "&ItemID=", ID);
    AppendFormField(out, "&Deleted=", Deleted);
    AppendFormField(out, "&Type=", Type);
    AppendFormField(out, "&RecipientUserID=", RecipientUserID);
    AppendFormField(out, "&Text=", Text);
    AppendFormField(out, "&URL=", URL);
    AppendFormField(out, "&Read=", Read);
    AppendFormField(out, "&Emailed=", Emailed);
    AppendFormField(out, "&Settings=", Settings);
}

void TNPIMNotification::ParseSettingsFromJSON()
{
    Guarded("[TNPIMNotification::ParseSettingsFromJSON]", [&] {
        // The key reader rewrites its text; the stored settings stay as
        // received.
        TNString settings(Settings.View());
        TNString value;
        for (auto [key, field] : {std::pair<const char*, uint32_t*>{"SenderUserID", &Settings_SenderUserID},
                                  {"OrganizerID", &Settings_OrganizerID},
                                  {"RecordID", &Settings_RecordID}}) {
            if (TNString::GetJsonValue(&settings, key, &value)) {
                *field = static_cast<uint32_t>(TextToNumber(value));
            }
        }
        if (TNString::GetJsonValue(&settings, "Data", &value)) {
            Settings_Data = value;
        }
    });
}

// --------------------------------------------------------------- collection

bool TNPIMNotifications::Resize(int32_t n)
{
    return ResizeLogged(n, "[TNPIMNotifications::Resize][ERROR]");
}

int32_t TNPIMNotifications::Add(TNString* answer)
{
    auto fill = [&](TNPIMNotification& n, int32_t pos, TNAnswerItem& in, bool) -> int32_t {
        pimDataReceived = true;
        LogWrite("[TNPIMNotifications::Add][B] ", "", false);
        in.Number("Type", n.Type);
        in.Number("RecipientUserID", n.RecipientUserID);
        in.Text("Text", n.Text);
        in.Text("URL", n.URL);
        in.Number("Read", n.Read);
        in.Number("Emailed", n.Emailed);
        if (in.Text("Settings", n.Settings)) {
            n.ParseSettingsFromJSON();
        }
        ++Received;
        ++Offset;
        // A page with nothing newer than the committed time must not let the
        // commit move the download back to the start.
        if (NewestChanged == 0) {
            NewestChanged =
                n.Changed > static_cast<int32_t>(LastRequestTime) ? static_cast<uint32_t>(n.Changed) : LastRequestTime;
        } else if (static_cast<int32_t>(NewestChanged) < n.Changed) {
            NewestChanged = static_cast<uint32_t>(n.Changed);
        }
        QueueItem(pos);
        return pos;
    };
    return AddAnswerItem(*this, "[TNPIMNotifications::Add]", "[TNPIMNotifications::Add][A] ", answer, fill);
}

void TNPIMNotifications::MarkAsReadByObjectId(int32_t objectKind, uint32_t objectID, int32_t notificationType)
{
    Guarded("[TNPIMNotifications::MarkAsReadByObjectId]", [&] {
        TNModelWriteGuard lock;
        if (objectKind != otRecordId && objectKind != otOrganizerId) {
            LogTextInt("[TNPIMNotifications::MarkAsReadByObjectId][ERROR][DEFAULT] Unhandled object_type = ",
                       objectKind);
            return;
        }
        for (int32_t aa = 0; aa < Count; ++aa) {
            TNPIMNotification* n = Items[aa];
            if (n == nullptr) {
                continue;
            }
            LogTextInt("[TNPIMNotifications::MarkAsReadByObjectId] aa = ", aa);
            bool match = false;
            if (objectKind == otRecordId) {
                match = n->Settings_RecordID == objectID;
            } else {
                LogTextInt("[TNPIMNotifications::MarkAsReadByObjectId][otOrganizerId] Items[aa]->Type = ", n->Type);
                LogTextInt("[TNPIMNotifications::MarkAsReadByObjectId][otOrganizerId] notification_type = ",
                           notificationType);
                LogTextUInt("[TNPIMNotifications::MarkAsReadByObjectId][otOrganizerId] "
                            "Items[aa]->Settings_OrganizerID = ",
                            n->Settings_OrganizerID);
                LogTextUInt("[TNPIMNotifications::MarkAsReadByObjectId][otOrganizerId] object_id = ", objectID);
                match = n->Type == notificationType && n->Settings_OrganizerID == objectID;
            }
            if (match) {
                n->Read = TNLocalClock::Now32();
                n->PleaseSync = true;
                n->PleaseSave = true;
                QueueItem(aa);
            }
        }
    });
}

bool TNPIMNotifications::DeleteItem(uint32_t id)
{
    return Guarded("[TNPIMNotifications::DeleteItem]", false, [&] {
        TNModelWriteGuard lock;
        LogTextUInt("[TNPIMNotifications::DeleteItem] ", id);
        int32_t pos = GetItemPosByID(id);
        if (pos < 0) {
            return false;
        }
        TNPIMNotification& n = *Items[pos];
        n.Deleted = TNLocalClock::Now32();
        n.PleaseSave = true;
        // The service must hear of the deletion.
        n.PleaseSync = true;
        QueueItem(pos);
        return true;
    });
}

void TNPIMNotifications::Confirmed(TNPIMNotification& item, uint32_t /*oldID*/, uint32_t newChanged)
{
    if (newChanged > 0) {
        item.Changed = static_cast<int32_t>(newChanged);
    }
}
