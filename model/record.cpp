#include "model/record.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "model/body_reader.h"
#include "model/numbers.h"
#include "model/organizers.h"
#include "model/pim.h"

#include <cstdio>

namespace {

// The organizers and last-request times a record belongs with: its own data
// set's when it has one, else those of the set that ran Init last.
TNPIMOrganizers* OrganizersOf(const TNPIM* pim)
{
    return pim != nullptr ? const_cast<TNPIMOrganizers*>(&pim->Organizers) : CurrentPIMOrganizers;
}

TNPIMLastRequests* LastRequestsOf(const TNPIM* pim)
{
    return pim != nullptr ? const_cast<TNPIMLastRequests*>(&pim->LastRequests) : CurrentPIMLastRequests;
}

// The record file's form of a time: day, month, year (2 bytes), hour,
// minute, second.
void WriteTime(const TNTime& time, int32_t fid)
{
    raf.writeNumber(time.Den, 1, fid);
    raf.writeNumber(time.Mesic, 1, fid);
    raf.writeNumber(time.Rok, 2, fid);
    raf.writeNumber(time.Hodina, 1, fid);
    raf.writeNumber(time.Minuta, 1, fid);
    raf.writeNumber(time.Sekunda, 1, fid);
}

} // namespace

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
        TNString value;
        auto read = [&](const char* key, bool decode) { return element->GetXmlValue(key, nullptr, 0, &value, decode); };
        auto number = [&](const char* key, auto& field) {
            if (!read(key, false)) {
                return false;
            }
            field = static_cast<std::remove_reference_t<decltype(field)>>(TextToNumber(value));
            return true;
        };
        auto flag = [&](const char* key, bool& field) {
            if (read(key, false)) {
                field = TextToNumber(value) != 0;
            }
        };
        auto text = [&](const char* key, TNString& field) {
            if (!read(key, true)) {
                return false;
            }
            field = value;
            return true;
        };

        number("ID", ID);
        number("Created", Created);
        if (number("Changed", Changed)) {
            LocalChanged = Changed;
        }
        number("Deleted", Deleted);
        number("OrganizerID", OrganizerID);
        number("CreatedByUserID", CreatedByUserID);
        number("ParentID", ParentID);
        number("Type", Type);
        number("EventType", EventType);
        text("Text", Text);
        number("Importance", Importance);
        number("Finished", Finished);
        number("FinishedTime", FinishedTime);
        flag("HasBegin", HasBegin);
        if (read("DateBegin", false)) {
            Begin.SetDateFromString(&value);
        }
        if (read("TimeBegin", false)) {
            Begin.SetTimeFromString(&value);
        }
        flag("HasEnd", HasEnd);
        if (read("DateEnd", false)) {
            End.SetDateFromString(&value);
        }
        if (read("TimeEnd", false)) {
            End.SetTimeFromString(&value);
        }
        number("Reschedule", Reschedule);
        text("Note", Note);
        text("PlainText", PlainText);
        text("SearchablePlainText", SearchablePlainText);
        text("PlainNote", PlainNote);
        text("SearchablePlainNote", SearchablePlainNote);
        number("RecurrenceMasterID", RecurrenceMasterID);
        number("RecurrenceFrequency", RecurrenceFrequency);
        if (text("RecurrenceSettings", RecurrenceSettings)) {
            ParseRecurrenceSettingsFromJSON();
        }
        number("Visibility", Visibility);
        flag("Shared", Shared);
        uint32_t picture = MainPicture;
        if (number("MainPicture", MainPicture) && MainPicture != picture) {
            lastMainPicture = 0;
        }
        number("MainPictureWidth", MainPictureWidth);
        number("MainPictureHeight", MainPictureHeight);
        number("PromoterID", PromoterID);
        text("Place", Place);
        number("PlaceID", PlaceID);
        if (text("Settings", Settings)) {
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

void TNPIMRecord::WriteFieldsTo(int32_t fid)
{
    auto number = [&](uint32_t value, int32_t width) { raf.writeNumber(value, width, fid); };
    number(kStoredVersion, 1);
    number(PleaseSync ? 1 : 0, 1);
    number(PleaseSyncRecurrence ? 1 : 0, 1);
    number(ID, 4);
    number(Created, 4);
    number(Changed, 4);
    number(Deleted, 4);
    number(OrganizerID, 4);
    number(CreatedByUserID, 4);
    number(ParentID, 4);
    number(static_cast<uint32_t>(Type), 1);
    number(static_cast<uint32_t>(EventType), 1);
    raf.writeString(Text, fid);
    number(static_cast<uint32_t>(Importance), 1);
    number(static_cast<uint32_t>(Finished), 1);
    number(FinishedTime, 4);
    number(HasBegin ? 1 : 0, 1);
    WriteTime(Begin, fid);
    number(HasEnd ? 1 : 0, 1);
    WriteTime(End, fid);
    number(static_cast<uint32_t>(Reschedule), 1);
    raf.writeString(Note, fid);
    raf.writeString(PlainText, fid);
    raf.writeString(SearchablePlainText, fid);
    raf.writeString(PlainNote, fid);
    raf.writeString(SearchablePlainNote, fid);
    number(RecurrenceMasterID, 4);
    number(static_cast<uint32_t>(RecurrenceFrequency), 1);
    raf.writeString(RecurrenceSettings, fid);
    raf.writeString(Settings, fid);
    number(static_cast<uint32_t>(Visibility), 1);
    number(Shared ? 1 : 0, 1);
    raf.writeString(SharingRequest, fid);
    number(static_cast<uint32_t>(RecurrenceSaveMode), 1);
    number(MainPicture, 4);
    number(MainPictureWidth, 2);
    number(MainPictureHeight, 2);
    number(PromoterID, 4);
    raf.writeString(Place, fid);
    number(PlaceID, 4);
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
        raf.resetStream(fid);
        WriteFieldsTo(fid);
        return raf.saveStream(fid, queuePos);
    });
}

bool TNPIMRecord::ReadFieldsFrom(plat::ByteReader& in, uint8_t version)
{
    TNBodyReader r(in);
    PleaseSync = r.Flag();
    PleaseSyncRecurrence = r.Flag();
    ID = r.Unsigned(4);
    Created = r.Unsigned(4);
    Changed = r.Unsigned(4);
    Deleted = r.Unsigned(4);
    OrganizerID = r.Unsigned(4);
    CreatedByUserID = r.Unsigned(4);
    ParentID = r.Unsigned(4);
    Type = static_cast<int32_t>(r.Unsigned(1));
    EventType = static_cast<int32_t>(r.Unsigned(1));
    r.String(Text);
    Importance = r.Signed(1);
    Finished = static_cast<int32_t>(r.Unsigned(1));
    FinishedTime = r.Unsigned(4);
    HasBegin = r.Flag();
    r.Time(Begin);
    HasEnd = r.Flag();
    r.Time(End);
    Reschedule = static_cast<int32_t>(r.Unsigned(1));
    r.String(Note);
    r.String(PlainText);
    r.String(SearchablePlainText);
    r.String(PlainNote);
    r.String(SearchablePlainNote);
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
        uint32_t version = 0;
        if (!in.ReadUnsigned(1, version) || version < 1 || version > kStoredVersion) {
            return false;
        }
        if (!ReadFieldsFrom(in, static_cast<uint8_t>(version))) {
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
