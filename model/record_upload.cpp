// What a record sends up, what the signed-in user may do with it, and the
// values derived from its fields: event length, comparison, short title,
// search.

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/numbers.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/users_rights.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// The set whose organizers and user decide the rights: PIM[0], or the
// record's own set outside PIM.
const TNPIM* RightsSet(const TNPIM* own)
{
    const TNPIM* first = PIM[0];
    return first != nullptr ? first : own;
}

// One pair of the form; every value goes percent-encoded from its CP1250
// bytes.
void AppendPair(TNString* body, const char* key, const char* value)
{
    body->Append(key);
    body->Append(value, true);
}

void AppendNumber(TNString* body, const char* key, int64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    AppendPair(body, key, text);
}

void AppendSigned(TNString* body, const char* key, int32_t value)
{
    AppendNumber(body, key, value);
}

void AppendUnsigned(TNString* body, const char* key, uint32_t value)
{
    AppendNumber(body, key, value);
}

// A stored number the form sends signed.
void AppendAsSigned(TNString* body, const char* key, uint32_t value)
{
    AppendNumber(body, key, static_cast<int32_t>(value));
}

void AppendDate(TNString* body, const char* key, bool has, const TNTime& time)
{
    // Room for any field values, so that a stray value is sent whole, never cut.
    char text[24];
    if (has) {
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", time.Rok, time.Mesic, time.Den);
    } else {
        std::snprintf(text, sizeof text, "0000-00-00");
    }
    AppendPair(body, key, text);
}

void AppendTimeOfDay(TNString* body, const char* key, bool has, const TNTime& time)
{
    char text[24];
    if (has) {
        std::snprintf(text, sizeof text, "%02u:%02u:%02u", time.Hodina, time.Minuta, time.Sekunda);
    } else {
        std::snprintf(text, sizeof text, "99:00:00");
    }
    AppendPair(body, key, text);
}

// Appends the sharing fragment when it is what the editor writes: the group
// and contact lists, each at most once, of digits and ';'. Anything else is
// logged and left out, so that no stored text can add fields of its own.
void AppendSharing(TNString* body, const TNString& fragment)
{
    std::string_view rest = fragment.View();
    if (rest.empty()) {
        return;
    }
    static constexpr std::string_view kKeys[] = {"&Sharing_Groups=", "&Sharing_Contacts="};
    struct Part {
        std::string_view key;
        std::string value;
    };
    Part parts[2];
    int32_t count = 0;
    bool seen[2] = {false, false};
    bool valid = true;
    while (valid && !rest.empty()) {
        valid = false;
        for (int32_t k = 0; k < 2; ++k) {
            if (seen[k] || rest.substr(0, kKeys[k].size()) != kKeys[k]) {
                continue;
            }
            rest.remove_prefix(kKeys[k].size());
            size_t end = rest.find('&');
            std::string_view value = rest.substr(0, end);
            bool digits = true;
            for (char ch : value) {
                digits = digits && ((ch >= '0' && ch <= '9') || ch == ';');
            }
            if (!digits) {
                break;
            }
            seen[k] = true;
            parts[count++] = Part{kKeys[k], std::string(value)};
            rest.remove_prefix(value.size());
            valid = true;
            break;
        }
    }
    if (!valid) {
        LogWrite("[TNPIMRecord::GetDataToSync][ERROR] SharingRequest left out = ", fragment.Text, false);
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        AppendPair(body, std::string(parts[i].key).c_str(), parts[i].value.c_str());
    }
}

bool SameMinute(const TNTime& a, const TNTime& b)
{
    return a.Den == b.Den && a.Mesic == b.Mesic && a.Rok == b.Rok && a.Hodina == b.Hodina && a.Minuta == b.Minuta;
}

bool SameSecond(const TNTime& a, const TNTime& b)
{
    return SameMinute(a, b) && a.Sekunda == b.Sekunda;
}

bool SameText(const TNString& a, const TNString& b)
{
    return a.View() == b.View();
}

} // namespace

void TNPIMRecord::GetDataToSync(TNString* body)
{
    Guarded("[TNPIMRecord::GetDataToSync]", [&] {
        if (body == nullptr) {
            return;
        }
        // 1. A shared record's reader may not change everything.
        std::unique_ptr<TNUsersRights> rights = GetUsersRights("TNPIMRecord::GetDataToSync");
        bool limited = rights->Role != 100 && Shared;
        // 2.-6. The identity and the organizer.
        AppendSigned(body, "&Virtual=", Virtual ? 1 : 0);
        AppendUnsigned(body, "&ItemID=", ID);
        if (!limited) {
            AppendAsSigned(body, "&Deleted=", Deleted);
        }
        AppendUnsigned(body, "&OrganizerID=", OrganizerID);
        if (SaveToOrganizerID > 0) {
            AppendUnsigned(body, "&SaveToOrganizerID=", SaveToOrganizerID);
        }
        // 7.-9. Author, kind, text and state.
        AppendUnsigned(body, "&CreatedByUserID=", CreatedByUserID);
        AppendUnsigned(body, "&ParentID=", ParentID);
        AppendSigned(body, "&TypeID=", Type);
        // An id: temporary ones lie above 2^31.
        AppendUnsigned(body, "&EventType=", static_cast<uint32_t>(EventType));
        AppendPair(body, "&Text=", Text.View().empty() ? "" : Text.Text);
        if (!limited) {
            AppendSigned(body, "&Importance=", Importance);
        }
        AppendSigned(body, "&Finished=", Finished);
        AppendSigned(body, "&Status=", Finished);
        AppendUnsigned(body, "&FinishedTime=", FinishedTime);
        // 10.-11. Begin and end.
        AppendSigned(body, "&HasBegin=", HasBegin ? 1 : 0);
        AppendDate(body, "&Begin_Date=", HasBegin, Begin);
        AppendTimeOfDay(body, "&Begin_Time=", HasBegin, Begin);
        AppendSigned(body, "&HasEnd=", HasEnd ? 1 : 0);
        AppendDate(body, "&End_Date=", HasEnd, End);
        AppendTimeOfDay(body, "&End_Time=", HasEnd, End);
        // 12.-14. Rescheduling, the first alert and the note.
        AppendSigned(body, "&Reschedule=", Reschedule);
        AppendSigned(body, "&Alerts_Days0=", AlertDays0);
        AppendSigned(body, "&Alerts_Hours0=", AlertHours0);
        AppendSigned(body, "&Alerts_Minutes0=", AlertMinutes0);
        AppendSigned(body, "&Alerts_Types0=", AlertType0);
        AppendPair(body, "&Note=", Note.View().empty() ? "" : Note.Text);
        // 15. The repeat rule.
        AppendAsSigned(body, "&RecurrenceMasterID=", RecurrenceMasterID);
        AppendSigned(body, "&_RecurrenceFrequency=", RecurrenceFrequency);
        StringifyRecurrenceSettingsToJSON();
        AppendPair(body, "&_RecurrenceSettings=", RecurrenceSettings.View().empty() ? "" : RecurrenceSettings.Text);
        // 16.-18. Visibility, settings and sharing.
        if (!limited) {
            AppendSigned(body, "&Visibility=", Visibility);
        }
        SetJSON();
        AppendPair(body, "&Settings=", Settings.View().empty() ? "" : Settings.Text);
        if (!limited) {
            AppendSharing(body, SharingRequest);
        }
        // 19.-21. The rest of the record.
        AppendSigned(body, "&RecurrenceSaveMode=", RecurrenceSaveMode);
        if (Type == rtNote || ID >= kFirstLocalID) {
            AppendAsSigned(body, "&TagID=", TagID);
        }
        AppendUnsigned(body, "&MainPicture=", MainPicture);
        AppendUnsigned(body, "&MainPictureWidth=", MainPictureWidth);
        AppendUnsigned(body, "&MainPictureHeight=", MainPictureHeight);
        AppendUnsigned(body, "&PromoterID=", PromoterID);
        AppendPair(body, "&Place=", Place.View().empty() ? "" : Place.Text);
        AppendUnsigned(body, "&PlaceID=", PlaceID);
        // 22. The whole form to the log.
        LogWrite("[TNPIMRecord::GetDataToSync] datastr = ", body->Text, false);
    });
}

TNString TNPIMRecord::ByteToString(uint8_t value)
{
    TNString text;
    text.AppendUInt(value);
    return text;
}

void TNPIMRecord::CalcEventLength()
{
    Guarded("[TNPIMRecord::CalcEventLength]", [&] {
        EventLength = 15;
        if (!HasBegin || !HasEnd) {
            return;
        }
        bool beginTimeless = Begin.Hodina == 99;
        bool endTimeless = End.Hodina == 99;
        int64_t minutes = (End.Timestamp - Begin.Timestamp) / 60;
        if (!beginTimeless && !endTimeless) {
            EventLength = static_cast<int32_t>(minutes);
        } else if (beginTimeless && endTimeless) {
            EventLength = static_cast<int32_t>(minutes + 720);
        }
    });
}

std::unique_ptr<TNUsersRights> TNPIMRecord::GetUsersRights(const char* caller) const
{
    auto rights = std::make_unique<TNUsersRights>();
    Guarded("[TNPIMRecord::GetUsersRights]", [&] {
        const TNPIM* set = RightsSet(ParentPIM);
        const TNPIMOrganizer* organizer = set != nullptr ? set->Organizers.GetOrganizerByID(OrganizerID) : nullptr;
        if (organizer == nullptr) {
            return;
        }
        rights->Subscribe = static_cast<int32_t>(organizer->Subscribe);
        rights->Origin = static_cast<int32_t>(organizer->Origin);
        LogWrite("[TNPIMRecord::GetUsersRights] caller = ", caller, false);
        LogWrite("[TNPIMRecord::GetUsersRights] ", Text.Text, false);
        LogTextUInt("[TNPIMRecord::GetUsersRights] PIM[0]->UserID = ", set->UserID);
        if (set->UserID == 0) {
            return;
        }
        LogTextInt("[TNPIMRecord::GetUsersRights] upr->Origin = ", rights->Origin);
        LogTextInt("[TNPIMRecord::GetUsersRights] upr->Subscribe = ", rights->Subscribe);
        if (rights->Origin == 1 || rights->Origin == 10) {
            rights->Role = 100;
        } else if (rights->Subscribe == 20) {
            rights->Role = 80;
        } else if (rights->Subscribe == 10) {
            rights->Role = 60;
        }
        if (Shared && CreatedByUserID != set->UserID) {
            rights->Role = 60;
        }
        LogTextInt("[TNPIMRecord::GetUsersRights] upr->Role = ", rights->Role);
        rights->CanEdit = rights->Role == 100;
    });
    return rights;
}

bool TNPIMRecord::BeginDateTimeAreEqual(const TNPIMRecord* other) const
{
    return other != nullptr && HasBegin == other->HasBegin && (!HasBegin || SameMinute(Begin, other->Begin));
}

bool TNPIMRecord::EndDateTimeAreEqual(const TNPIMRecord* other) const
{
    return other != nullptr && HasEnd == other->HasEnd && (!HasEnd || SameMinute(End, other->End));
}

bool TNPIMRecord::Compare(const TNPIMRecord* other) const
{
    return Guarded("[TNPIMRecord::Compare]", false, [&] {
        if (other == nullptr) {
            return false;
        }
        const TNPIMRecord& o = *other;
        return ID == o.ID && Deleted == o.Deleted && OrganizerID == o.OrganizerID &&
               CreatedByUserID == o.CreatedByUserID && ParentID == o.ParentID && Type == o.Type &&
               EventType == o.EventType && SameText(Text, o.Text) && Importance == o.Importance &&
               Finished == o.Finished && HasBegin == o.HasBegin && (!HasBegin || SameSecond(Begin, o.Begin)) &&
               HasEnd == o.HasEnd && (!HasEnd || SameSecond(End, o.End)) && Reschedule == o.Reschedule &&
               SameText(Note, o.Note) && RecurrenceMasterID == o.RecurrenceMasterID &&
               RecurrenceFrequency == o.RecurrenceFrequency && SameText(RecurrenceSettings, o.RecurrenceSettings) &&
               Visibility == o.Visibility && MainPicture == o.MainPicture && MainPictureWidth == o.MainPictureWidth &&
               MainPictureHeight == o.MainPictureHeight && PromoterID == o.PromoterID && SameText(Place, o.Place) &&
               PlaceID == o.PlaceID && Hidden == o.Hidden && AlertType0 == o.AlertType0 && AlertDays0 == o.AlertDays0 &&
               AlertHours0 == o.AlertHours0 && AlertMinutes0 == o.AlertMinutes0;
    });
}

bool TNPIMRecord::HasShortTitle(bool build)
{
    return Guarded("[TNPIMRecord::HasShortTitle]", false, [&] {
        if (ShortTitleChanged == Changed && !ShortTitle.IsEmpty()) {
            return true;
        }
        if (!build) {
            return false;
        }
        // 1. The first text the record has.
        TNString source;
        for (const TNString* text : {&PlainText, &Text, &SearchablePlainNote, &PlainNote, &Note}) {
            if (!text->IsEmpty()) {
                source = *text;
                break;
            }
        }
        if (source.IsEmpty()) {
            source = SearchablePlainText;
        }
        // 2.-3. Its first line, cut at a word within 50 characters.
        source.Trim();
        if (source.IsEmpty()) {
            ShortTitle.Set(Type == rtNote ? "[Poznámka bez textu]" : "[Záznam bez textu]");
        } else {
            int32_t cut = -1;
            for (int32_t i = 0; i < 50 && i < source.Length; ++i) {
                char ch = source.Text[i];
                if (ch == '\r' || ch == '\n') {
                    cut = i;
                    break;
                }
                if (ch == ' ') {
                    cut = i;
                }
                if (i == source.Length - 1) {
                    cut = source.Length;
                    break;
                }
            }
            if (cut < 0) {
                cut = 49;
            }
            if (cut > 0 && source.Text[cut - 1] == ':') {
                --cut;
            }
            source.SubString(0, cut, &ShortTitle);
        }
        // 4. Current for this Changed.
        ShortTitle.Trim();
        ShortTitleChanged = Changed;
        return true;
    });
}

std::unique_ptr<TNString> TNPIMRecord::GetNoteTitle()
{
    return Guarded("[TNPIMRecord::GetNoteTitle]", nullptr, [&] {
        HasShortTitle(true);
        auto title = std::make_unique<TNString>(ShortTitle);
        title->Trim();
        return title;
    });
}

bool TNPIMRecord::SearchInRecord(const char* text)
{
    return Guarded("[TNPIMRecord::SearchInRecord]", false, [&] {
        LogWrite("[TNPIMRecord::SearchInRecord] SearchablePlainText = ", SearchablePlainText.Text, false);
        if (text == nullptr) {
            return false;
        }
        SearchablePlainText.Find(text, 0, 0, false, false, true);
        if (SearchablePlainText.Found != 0) {
            return true;
        }
        SearchablePlainNote.Find(text, 0, 0, false, false, true);
        return SearchablePlainNote.Found != 0;
    });
}
