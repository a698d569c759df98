#include "model/record.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "model/item_helpers.h"
#include "model/organizers.h"
#include "model/pim.h"

#include <cstdio>

int32_t TNPIMRecord::GetParentPIMPos() const
{
    return Guarded("[TNPIMRecord::GetParentPIMPos]", 0, [&] {
        int32_t pos = ParentPIM != nullptr ? ParentPIM->pimSrvPos : -1;
        if (pos < 0 || !PIM.Has(pos)) {
            LogTextInt("[TNPIMRecord::GetParentPIMPos][ERROR] ParentPIM.pimSrvPos = ", pos);
            return 0;
        }
        return pos;
    });
}

void TNPIMRecord::ParseFromXML(TNString* element)
{
    Guarded("[TNPIMRecord::ParseFromXML]", [&] {
        if (element == nullptr) {
            return;
        }
        TNAnswerItem in(*element);
        in.Number("ID", ID);
        in.Number("Created", Created);
        if (in.Number("Changed", Changed)) {
            LocalChanged = Changed;
        }
        in.Number("Deleted", Deleted);
        in.Number("OrganizerID", OrganizerID);
        in.Number("CreatedByUserID", CreatedByUserID);
        in.Number("ParentID", ParentID);
        in.Number("Type", Type);
        in.Number("EventType", EventType);
        in.Text("Text", Text);
        in.Number("Importance", Importance);
        in.Number("Finished", Finished);
        in.Number("FinishedTime", FinishedTime);
        in.Flag("HasBegin", HasBegin);
        if (in.Has("DateBegin", false)) {
            Begin.SetDateFromString(&in.value);
        }
        if (in.Has("TimeBegin", false)) {
            Begin.SetTimeFromString(&in.value);
        }
        in.Flag("HasEnd", HasEnd);
        if (in.Has("DateEnd", false)) {
            End.SetDateFromString(&in.value);
        }
        if (in.Has("TimeEnd", false)) {
            End.SetTimeFromString(&in.value);
        }
        in.Number("Reschedule", Reschedule);
        in.Text("Note", Note);
        in.Text("PlainText", PlainText);
        in.Text("SearchablePlainText", SearchablePlainText);
        in.Text("PlainNote", PlainNote);
        in.Text("SearchablePlainNote", SearchablePlainNote);
        in.Number("RecurrenceMasterID", RecurrenceMasterID);
        in.Number("RecurrenceFrequency", RecurrenceFrequency);
        if (in.Text("RecurrenceSettings", RecurrenceSettings)) {
            ParseRecurrenceSettingsFromJSON();
        }
        in.Number("Visibility", Visibility);
        in.Flag("Shared", Shared);
        uint32_t picture = MainPicture;
        if (in.Number("MainPicture", MainPicture) && MainPicture != picture) {
            lastMainPicture = 0;
        }
        in.Number("MainPictureWidth", MainPictureWidth);
        in.Number("MainPictureHeight", MainPictureHeight);
        in.Number("PromoterID", PromoterID);
        in.Text("Place", Place);
        in.Number("PlaceID", PlaceID);
        if (in.Text("Settings", Settings)) {
            ParseSettingsFromJSON();
        }

        Begin.GetTimestamp();
        End.GetTimestamp();
        if (TNPIMOrganizers* organizers = OrganizersOf(ParentPIM)) {
            organizers->AddAuthorToFilterList(CreatedByUserID);
        }
    });
}

void TNPIMRecord::CopyRecurrence(const TNPIMRecord* source)
{
    Guarded("[TNPIMRecord::CopyRecurrence]", [&] {
        if (source == nullptr) {
            return;
        }
        RecurrenceMasterID = source->RecurrenceMasterID;
        RecurrenceFrequency = source->RecurrenceFrequency;
        RecurrenceSettings = source->RecurrenceSettings;
        ParseRecurrenceSettingsFromJSON();
    });
}

void TNPIMRecord::Copy(const TNPIMRecord* source)
{
    Guarded("[TNPIMRecord::Copy]", [&] {
        if (source == nullptr || source == this) {
            return;
        }
        Organizer = source->Organizer;
        MasterPos = source->MasterPos;
        Virtual = source->Virtual;
        DoNotSave = source->DoNotSave;
        PleaseSync = source->PleaseSync;
        PleaseSyncRecurrence = source->PleaseSyncRecurrence;
        ID = source->ID;
        OldID = source->OldID;
        Created = source->Created;
        Changed = source->Changed;
        Deleted = source->Deleted;
        OrganizerID = source->OrganizerID;
        SaveToOrganizerID = source->SaveToOrganizerID;
        CreatedByUserID = source->CreatedByUserID;
        ParentID = source->ParentID;
        Type = source->Type;
        EventType = source->EventType;
        ShortTitle = source->ShortTitle;
        ShortTitleChanged = source->ShortTitleChanged;
        Text = source->Text;
        Importance = source->Importance;
        Finished = source->Finished;
        FinishedTime = source->FinishedTime;
        HasBegin = source->HasBegin;
        Begin.Copy(&source->Begin);
        HasEnd = source->HasEnd;
        End.Copy(&source->End);
        Reschedule = source->Reschedule;
        Note = source->Note;
        PlainText = source->PlainText;
        SearchablePlainText = source->SearchablePlainText;
        PlainNote = source->PlainNote;
        SearchablePlainNote = source->SearchablePlainNote;
        CopyRecurrence(source);
        // The source's alert and hidden flag, not a parse of its text: an
        // edit not yet uploaded holds them in the values only.
        Settings = source->Settings;
        Hidden = source->Hidden;
        AlertType0 = source->AlertType0;
        AlertDays0 = source->AlertDays0;
        AlertHours0 = source->AlertHours0;
        AlertMinutes0 = source->AlertMinutes0;
        Visibility = source->Visibility;
        Shared = source->Shared;
        SharingRequest = source->SharingRequest;
        RecurrenceSaveMode = source->RecurrenceSaveMode;
        MainPicture = source->MainPicture;
        MainPictureWidth = source->MainPictureWidth;
        MainPictureHeight = source->MainPictureHeight;
        PromoterID = source->PromoterID;
        Place = source->Place;
        PlaceID = source->PlaceID;
        TagID = source->TagID;
        IndexedDays = source->IndexedDays;
    });
}

void TNPIMRecord::WriteFieldsTo(TNBodyWriter& w) const
{
    w.Flag(PleaseSync);
    w.Flag(PleaseSyncRecurrence);
    WriteItemNumbers(w, *this);
    for (uint32_t value : {OrganizerID, CreatedByUserID, ParentID}) {
        w.Unsigned(value, 4);
    }
    w.Signed(Type, 1);
    // An event type's id, temporary ones above 2^31 included, whole.
    w.Unsigned(static_cast<uint32_t>(EventType), 4);
    w.String(Text);
    w.Signed(Importance, 1);
    w.Signed(Finished, 1);
    w.Unsigned(FinishedTime, 4);
    w.Flag(HasBegin);
    w.Time(Begin);
    w.Flag(HasEnd);
    w.Time(End);
    w.Signed(Reschedule, 1);
    for (const TNString* text : {&Note, &PlainText, &SearchablePlainText, &PlainNote, &SearchablePlainNote}) {
        w.String(*text);
    }
    w.Unsigned(RecurrenceMasterID, 4);
    w.Signed(RecurrenceFrequency, 1);
    w.String(RecurrenceSettings);
    w.String(Settings);
    w.Signed(Visibility, 1);
    w.Flag(Shared);
    w.String(SharingRequest);
    w.Signed(RecurrenceSaveMode, 1);
    w.Unsigned(MainPicture, 4);
    w.Unsigned(MainPictureWidth, 2);
    w.Unsigned(MainPictureHeight, 2);
    w.Unsigned(PromoterID, 4);
    w.String(Place);
    w.Unsigned(PlaceID, 4);
}

bool TNPIMRecord::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMRecord::Save]", false, [&] {
        if (Virtual || DoNotSave) {
            return false;
        }
        // The editor changes the alert values only; a record waiting for
        // upload stores them in its text, as the upload will send them.
        if (PleaseSync) {
            SetJSON();
        }
        TNBodyWriter w(fid, queuePos);
        w.Unsigned(kStoredVersion, 1);
        WriteFieldsTo(w);
        return w.Commit();
    });
}

bool TNPIMRecord::ReadFieldsFrom(TNBodyReader& r, uint32_t version)
{
    PleaseSync = r.Flag();
    PleaseSyncRecurrence = r.Flag();
    ReadItemNumbers(r, *this);
    OrganizerID = r.Unsigned(4);
    CreatedByUserID = r.Unsigned(4);
    ParentID = r.Unsigned(4);
    Type = static_cast<int32_t>(r.Unsigned(1));
    // Versions before 4 kept one byte of it.
    EventType = static_cast<int32_t>(r.Unsigned(version >= 4 ? 4 : 1));
    r.String(Text);
    Importance = r.Signed(1);
    Finished = static_cast<int32_t>(r.Unsigned(1));
    FinishedTime = r.Unsigned(4);
    HasBegin = r.Flag();
    r.Time(Begin);
    HasEnd = r.Flag();
    r.Time(End);
    Reschedule = static_cast<int32_t>(r.Unsigned(1));
    for (TNString* text : {&Note, &PlainText, &SearchablePlainText, &PlainNote, &SearchablePlainNote}) {
        r.String(*text);
    }
    RecurrenceMasterID = r.Unsigned(4);
    RecurrenceFrequency = static_cast<int32_t>(r.Unsigned(1));
    r.String(RecurrenceSettings);
    r.String(Settings);
    Visibility = static_cast<int32_t>(r.Unsigned(1));
    Shared = r.Flag();
    r.String(SharingRequest);
    if (version >= 3) {
        RecurrenceSaveMode = r.Signed(1);
    }
    MainPicture = r.Unsigned(4);
    if (version >= 2) {
        MainPictureWidth = r.Unsigned(2);
        MainPictureHeight = r.Unsigned(2);
    }
    PromoterID = r.Unsigned(4);
    r.String(Place);
    PlaceID = r.Unsigned(4);
    return r.Ok();
}

bool TNPIMRecord::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMRecord::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = r.Unsigned(1);
        if (!r.Ok() || version < 1 || version > kStoredVersion) {
            return false;
        }
        if (!ReadFieldsFrom(r, version)) {
            return false;
        }
        ParseRecurrenceSettingsFromJSON();
        ParseSettingsFromJSON();
        // Begin and End were converted as they were read.
        Update_recordsLastRequestTime();
        if (TNPIMOrganizers* organizers = OrganizersOf(ParentPIM)) {
            organizers->AddAuthorToFilterList(CreatedByUserID);
        }
        return true;
    });
}

void TNPIMRecord::Update_recordsLastRequestTime()
{
    Guarded("[TNPIMRecord::Update_recordsLastRequestTime]", [&] {
        TNPIMOrganizers* organizers = OrganizersOf(ParentPIM);
        TNPIMOrganizer* organizer = organizers != nullptr ? organizers->GetOrganizerByID(OrganizerID) : nullptr;
        if (organizer == nullptr) {
            return;
        }
        if (Changed > organizer->recordsLastRequestTime) {
            organizer->recordsLastRequestTime = Changed;
        }
        if (TNPIMLastRequests* lastRequests = LastRequestsOf(ParentPIM)) {
            uint32_t higher = lastRequests->GetHigher(raftRecord, organizer->ID, Changed);
            if (higher > organizer->recordsLastRequestTime) {
                organizer->recordsLastRequestTime = higher;
            }
        }
    });
}

void TNPIMRecord::UpdateOrganizerPointer()
{
    Guarded("[TNPIMRecord::UpdateOrganizerPointer]", [&] {
        if (Organizer != nullptr && Organizer->ID == OrganizerID) {
            return;
        }
        TNPIMOrganizers* organizers = OrganizersOf(ParentPIM);
        if (TNPIMOrganizer* found = organizers != nullptr ? organizers->GetOrganizerByID(OrganizerID) : nullptr) {
            Organizer = found;
        }
    });
}

std::unique_ptr<TNString> TNPIMRecord::GetRecordTypeText() const
{
    return Guarded("[TNPIMRecord::GetRecordTypeText]", nullptr, [&] {
        const char* noun = "záznam";
        switch (Type) {
        case rtTask:
            noun = "úkol";
            break;
        case rtNote:
            noun = "poznámku";
            break;
        case rtEvent:
            noun = "událost";
            break;
        case rtAction:
            noun = "akci";
            break;
        case rtMeeting:
            noun = "schůzku";
            break;
        case rtReminder:
            noun = "upomínku";
            break;
        case rtAnniversary:
            noun = "výročí";
            break;
        case rtBirthday:
            noun = "narozeniny";
            break;
        case rtDayNote:
            noun = "poznámku ke dni";
            break;
        default:
            break;
        }
        return std::make_unique<TNString>(noun);
    });
}

void TNPIMRecord::ParseSettingsFromJSON()
{
    Guarded("[TNPIMRecord::ParseSettingsFromJSON]", [&] {
        Settings.Find("\"Hidden\":true", 0, 0, true, false, false);
        Hidden = Settings.Found != 0;

        // An alert removed on another device must not survive here.
        AlertType0 = 0;
        AlertDays0 = 0;
        AlertHours0 = 0;
        AlertMinutes0 = 0;
        TNString item;
        if (!Settings.ExtractBetween("\"Alerts\":[", "]", true, &item) || item.IsEmpty()) {
            return;
        }
        // Quoted ("T":"1",) or bare ("T":1,); M ends with the closing brace.
        auto value = [&](const char* quotedStart, const char* bareStart, bool last) -> int32_t {
            TNString text;
            if (item.ExtractBetween(quotedStart, last ? "\"}" : "\",", true, &text) ||
                item.ExtractBetween(bareStart, last ? "}" : ",", true, &text)) {
                return static_cast<int32_t>(TextToNumber(text));
            }
            return 0;
        };
        AlertType0 = value("\"T\":\"", "\"T\":", false);
        AlertDays0 = value("\"D\":\"", "\"D\":", false);
        AlertHours0 = value("\"H\":\"", "\"H\":", false);
        AlertMinutes0 = value("\"M\":\"", "\"M\":", true);
    });
}

void TNPIMRecord::SetJSON()
{
    Guarded("[TNPIMRecord::SetJSON]", [&] {
        TNString text("{");
        if (AlertType0 > 0) {
            char buffer[96];
            std::snprintf(buffer, sizeof buffer, "\"Alerts\":[{\"T\":%d,\"D\":%d,\"H\":%d,\"M\":%d}]", AlertType0,
                          AlertDays0, AlertHours0, AlertMinutes0);
            text.Append(buffer);
        }
        if (Hidden) {
            if (AlertType0 > 0) {
                text.Append(",");
            }
            text.Append("\"Hidden\":true");
        }
        text.Append("}");
        Settings = text;
    });
}
