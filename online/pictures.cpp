// The picture requests: each asks the service for the addresses of a picture
// whose id is new and whose file is not in the cache yet, and downloads the
// full size and every requested width into the cache under the user's data
// folder. The model is read and written under its lock; the lock is never
// held across a download.

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/answer_reader.h"
#include "online/busy_flag.h"
#include "online/download.h"
#include "online/global.h"
#include "online/http_exchange.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/file.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace {

// Panel 8 of the main status bar, counted from 0: panel 2 is the version.
constexpr int32_t kWarningItem = 7;
constexpr const char* kDiskWarningTitle = "Málo místa na disku";
constexpr const char* kDiskWarningText = "Obrázky se nemusí zobrazit. Uvolněte místo na disku.";

// The last-picture word: not looked at yet, to be downloaded, found.
constexpr uint32_t kPictureUnseen = 0;
constexpr uint32_t kPictureWanted = 1;
constexpr uint32_t kPictureFound = 2;

// "<data folder><WebDomain>/<kind>/<a>/[<b>/]".
std::string CacheFolder(int32_t position, const char* kind, uint32_t first, const uint32_t* second = nullptr)
{
    std::string folder = Dirs.UserDir.Text != nullptr ? Dirs.UserDir.Text : "";
    folder += App.WebDomain[TNGlobal::ServerPosition(position)];
    folder += "/";
    folder += kind;
    folder += "/" + std::to_string(first) + "/";
    if (second != nullptr)
        folder += std::to_string(*second) + "/";
    return folder;
}

// One picture to look at: where it goes, what the request adds to the head,
// and its word before the fetch.
struct PictureItem {
    uint32_t PictureId = 0;
    uint32_t LastPicture = 0;
    std::string Folder;
    TNFormBuilder Fields;
};

struct PictureOutcome {
    uint32_t LastPicture = 0;
    // A width variant was saved.
    bool WidthSaved = false;
};

// What a member of the family shares: its name for the log lines, its
// request, the head and the widths it asks for (none: no width fields).
class PictureFetcher {
public:
    PictureFetcher(const char* member, const char* request, const std::vector<int32_t>* widths)
        : member_(member), request_(request), widths_(widths)
    {
    }

    bool MakeHead() { return g.Sync2SetRequest(request_, nullptr, 1, &head_); }

    // One picture: asked for, downloaded, stored and its word recorded.
    PictureOutcome Fetch(const PictureItem& item)
    {
        PictureOutcome outcome{item.LastPicture, false};
        if (item.PictureId == 0 || item.PictureId == item.LastPicture)
            return outcome;
        // A word naming another picture: the picture changed.
        if (outcome.LastPicture != kPictureWanted && outcome.LastPicture != kPictureFound)
            outcome.LastPicture = kPictureUnseen;
        const std::string name = std::to_string(item.PictureId) + ".jpg";
        const std::string file = item.Folder + name;
        if (outcome.LastPicture == kPictureUnseen)
            outcome.LastPicture = plat::FileExists(file) ? kPictureFound : kPictureWanted;
        if (outcome.LastPicture == kPictureWanted)
            Download(item, name, file, outcome);
        if (plat::FileExists(file)) {
            LogWrite(Line("] Opening picture ").c_str(), file.c_str(), false);
            outcome.LastPicture = item.PictureId;
        }
        return outcome;
    }

private:
    std::string Line(const char* tail) const { return "[" + std::string(member_) + tail; }

    void Download(const PictureItem& item, const std::string& name, const std::string& file, PictureOutcome& outcome)
    {
        TNString text = head_.Text();
        AppendPairs(text, item.Fields);
        if (widths_ != nullptr)
            AppendPairs(text, WidthFields());
        TNDownload download;
        if (!g.PostToApi(text, download))
            return;
        TNString answer(download.DocumentBytes());
        if (HasAnswerElement(&answer, "error-string"))
            LogAnswer(Line("] ").c_str(), answer.View());
        TNString address;
        if (ReadAnswerText(&answer, "picture-url", &address)) {
            if (!Get(address, item.Folder, name))
                LogWrite(Line("][ERROR] Error saving file ").c_str(), file.c_str(), false);
        }
        if (widths_ == nullptr)
            return;
        for (int32_t width : *widths_) {
            const std::string key = "picture-url-" + std::to_string(width);
            if (!ReadAnswerText(&answer, key.c_str(), &address))
                continue;
            const std::string sized = std::to_string(item.PictureId) + "-w" + std::to_string(width) + ".jpg";
            if (Get(address, item.Folder, sized))
                outcome.WidthSaved = true;
            else
                LogWrite(Line("][ERROR] Error saving file ").c_str(), (item.Folder + sized).c_str(), false);
        }
    }

    // "&RequestedWidthsCount=" and "&RequestedWidths=", each width closed by
    // ";" in one value.
    TNFormBuilder WidthFields() const
    {
        std::string list;
        for (int32_t width : *widths_)
            list += std::to_string(width) + ";";
        TNFormBuilder fields;
        fields.AddInt("RequestedWidthsCount", static_cast<int32_t>(widths_->size())).Add("RequestedWidths", list);
        return fields;
    }

    static void AppendPairs(TNString& text, const TNFormBuilder& pairs)
    {
        if (pairs.Text().Length == 0)
            return;
        text.Append("&");
        text.Append(pairs.Text().Text);
    }

    // Only absolute http and https addresses are fetched, each by a new
    // transport object; a non-2xx answer writes no file.
    bool Get(const TNString& address, const std::string& folder, const std::string& name) const
    {
        TNUrlParts parts;
        std::string url(address.View());
        if (!SplitAbsoluteUrl(url, parts)) {
            LogWrite(Line("][ERROR] picture-url refused: ").c_str(), url.c_str(), false);
            return false;
        }
        TNDownload download;
        download.Get(url.c_str(), true, folder.c_str(), name.c_str(), g.SignInEndedCheck());
        return plat::FileExists(folder + name);
    }

    const char* member_;
    const char* request_;
    const std::vector<int32_t>* widths_;
    TNFormBuilder head_;
};

// The view is marked for rebuilding, and the shown data drawn again.
void RefreshView(const char* line)
{
    if (WindowState.ViewBuilt) {
        TNModelWriteGuard lock;
        if (TNPIM* pim = PIM[0])
            pim->ViewCache[0].valid = 0;
    }
    LogText(line);
    g.SetUpdateUiTag(__uiUpdateShownData_NoSync, 0);
}

// The first check of every picture request: false, with the warning shown,
// when the disk is nearly full.
bool EnoughDiskSpace(const char* member)
{
    if (c.isEnoughDiskSpace(Dirs.UserDir.Text)) {
        g.ShowDiskSpaceWarning(false);
        return true;
    }
    LogWrite(("[" + std::string(member) + "][ERROR] c.isEnoughDiskSpace() = false").c_str(), "", false);
    g.ShowDiskSpaceWarning(true);
    return false;
}

std::vector<int32_t> RecordWidths(int32_t position)
{
    TNModelReadGuard lock;
    TNPIM* pim = PIM[TNGlobal::ServerPosition(position)];
    if (pim == nullptr || pim->Records == nullptr)
        return {};
    return std::vector<int32_t>(pim->Records->PictureWidths,
                                pim->Records->PictureWidths + pim->Records->PictureWidthsCount);
}

std::vector<int32_t> ContactWidths(int32_t position)
{
    TNModelReadGuard lock;
    TNPIM* pim = PIM[TNGlobal::ServerPosition(position)];
    if (pim == nullptr)
        return {};
    return std::vector<int32_t>(pim->Contacts.ImageWidths, pim->Contacts.ImageWidths + pim->Contacts.ImageWidthsCount);
}

const std::vector<int32_t>& OrganizerWidths()
{
    static const std::vector<int32_t> widths(std::begin(TNPIMOrganizers::kPictureWidths),
                                             std::end(TNPIMOrganizers::kPictureWidths));
    return widths;
}

// A record's picture, as the fetch needs it; false when there is no such
// record or nothing to fetch.
struct RecordPicture {
    uint32_t RecordID = 0;
    int32_t Position = 0;
    PictureItem Item;
};

bool ReadRecordPicture(uint32_t recordId, int32_t position, RecordPicture* out)
{
    TNModelReadGuard lock;
    TNPIM* pim = PIM[position];
    if (pim == nullptr || pim->Records == nullptr)
        return false;
    TNPIMRecord* record = pim->Records->GetRecordByID(recordId);
    if (record == nullptr)
        return false;
    out->RecordID = record->ID;
    out->Position = record->GetParentPIMPos();
    out->Item.PictureId = record->MainPicture;
    out->Item.LastPicture = record->lastMainPicture;
    out->Item.Folder = CacheFolder(out->Position, "Pictures", record->OrganizerID, &record->ID);
    out->Item.Fields.AddUInt("RecordID", record->ID).AddUInt("OrganizerID", record->OrganizerID);
    return true;
}

// The word goes back only while the record still shows that picture.
void StoreRecordWord(const RecordPicture& picture, const PictureOutcome& outcome)
{
    TNModelWriteGuard lock;
    TNPIM* pim = PIM[picture.Position];
    if (pim == nullptr || pim->Records == nullptr)
        return;
    TNPIMRecord* record = pim->Records->GetRecordByID(picture.RecordID);
    if (record != nullptr && record->MainPicture == picture.Item.PictureId)
        record->lastMainPicture = outcome.LastPicture;
    if (outcome.WidthSaved && PIM[0] != nullptr)
        PIM[0]->Organizers.SyncStamp = 0;
}

// One record's pictures; the busy flag and the status tags are the caller's.
void FetchRecordPictures(const char* member, uint32_t recordId, int32_t position)
{
    RecordPicture picture;
    if (!ReadRecordPicture(recordId, position, &picture)) {
        LogTextInt(("[" + std::string(member) + "][NULL] record = NULL; record_id = ").c_str(),
                   static_cast<int32_t>(recordId));
        return;
    }
    if (picture.Item.PictureId == 0 || picture.Item.PictureId == picture.Item.LastPicture)
        return;
    std::vector<int32_t> widths = RecordWidths(picture.Position);
    PictureFetcher fetcher(member, "get-record-picture", &widths);
    if (!fetcher.MakeHead())
        return;
    StoreRecordWord(picture, fetcher.Fetch(picture.Item));
}

} // namespace

void TNGlobal::ShowDiskSpaceWarning(bool show)
{
    if (DiskSpaceWarningShown.exchange(show ? 1 : 0) == (show ? 1 : 0))
        return;
    TNWindowCalls::SetStatusBarText(kWarningItem, show ? kDiskWarningTitle : "");
    TNWindowCalls::SetStatusBarHint(kWarningItem, show ? kDiskWarningText : "");
}

bool TNGlobal::Sync2GetOneRecordPictures(uint32_t recordId)
{
    Guarded("[Sync2GetOneRecordPictures]", [&] {
        if (!EnoughDiskSpace("Sync2GetOneRecordPictures"))
            return;
        TNBusyFlagTake busy(runningOneRecordPicturesFetch);
        if (!busy.Taken())
            return;
        LogTextInt("[Sync2GetOneRecordPictures][BEGIN] record_id = ", static_cast<int32_t>(recordId));
        if (!ActiveUserExists()) {
            LogText("[Sync2GetOneRecordPictures][ERROR] g.ActiveUserExists = false");
            return;
        }
        SetUpdateUiTag(__uiStatusText_Synchronising, 0);
        FetchRecordPictures("Sync2GetOneRecordPictures", recordId, 0);
        SetUpdateUiTag(__uiStatusText_Empty, 0);
        SetUpdateUiTag(__uiUpdateSideboard, 0);
        LogText("[Sync2GetOneRecordPictures][END]");
    });
    return false;
}

bool TNGlobal::Sync2GetShownRecordsPictures()
{
    Guarded("[Sync2GetShownRecordsPictures]", [&] {
        // A snapshot: the views may change their list meanwhile.
        std::vector<TNShownRecord> shown = WindowState.ShownRecords();
        if (shown.empty())
            return;
        if (!EnoughDiskSpace("Sync2GetShownRecordsPictures"))
            return;
        TNBusyFlagTake busy(runningShownRecordsPicturesFetch);
        if (!busy.Taken())
            return;
        LogTextInt("[Sync2GetShownRecordsPictures][BEGIN] show_records_count = ", static_cast<int32_t>(shown.size()));
        if (!ActiveUserExists())
            return;
        SetUpdateUiTag(__uiStatusText_Synchronising, 0);
        for (const TNShownRecord& entry : shown)
            FetchRecordPictures("Sync2GetShownRecordsPictures", entry.RecordID,
                                TNGlobal::ServerPosition(entry.PimSrvPos));
        SetUpdateUiTag(__uiStatusText_Empty, 0);
        LogText("[Sync2GetShownRecordsPictures][END]");
    });
    return false;
}

namespace {

struct OrganizerPicture {
    uint32_t OrganizerID = 0;
    int32_t Position = 0;
    PictureItem Item;
};

// The organizers of a list with a picture to fetch.
std::vector<OrganizerPicture> ReadOrganizerPictures(const TNPIMOrganizers& organizers, int32_t listPosition)
{
    std::vector<OrganizerPicture> pictures;
    for (int32_t i = 0; i < organizers.Count; ++i) {
        const TNPIMOrganizer* organizer = organizers.Items[i];
        if (organizer == nullptr || organizer->CalendarIcon == 0 ||
            organizer->CalendarIcon == organizer->lastCalendarIcon)
            continue;
        OrganizerPicture picture;
        picture.OrganizerID = organizer->ID;
        picture.Position = listPosition >= 0 ? listPosition : TNGlobal::ServerPosition(organizer->pim_srv_pos);
        picture.Item.PictureId = organizer->CalendarIcon;
        picture.Item.LastPicture = organizer->lastCalendarIcon;
        picture.Item.Folder = CacheFolder(picture.Position, "Organizers", organizer->ID);
        picture.Item.Fields.AddUInt("OrganizerID", organizer->ID);
        pictures.push_back(std::move(picture));
    }
    return pictures;
}

// Fetches the pictures of one organizer list; whether a file was saved.
// `list` finds the list again under the lock, since it may be replaced.
bool FetchOrganizerPictures(const char* member, const std::function<TNPIMOrganizers*()>& list, int32_t listPosition)
{
    std::vector<OrganizerPicture> pictures;
    {
        TNModelReadGuard lock;
        if (TNPIMOrganizers* organizers = list())
            pictures = ReadOrganizerPictures(*organizers, listPosition);
    }
    if (pictures.empty())
        return false;
    PictureFetcher fetcher(member, "get-organizer-picture", &OrganizerWidths());
    if (!fetcher.MakeHead())
        return false;
    bool saved = false;
    for (const OrganizerPicture& picture : pictures) {
        PictureOutcome outcome = fetcher.Fetch(picture.Item);
        saved = saved || outcome.LastPicture == picture.Item.PictureId;
        TNModelWriteGuard lock;
        TNPIMOrganizers* organizers = list();
        TNPIMOrganizer* organizer = organizers != nullptr ? organizers->GetOrganizerByID(picture.OrganizerID) : nullptr;
        if (organizer != nullptr && organizer->CalendarIcon == picture.Item.PictureId)
            organizer->lastCalendarIcon = outcome.LastPicture;
    }
    return saved;
}

} // namespace

bool TNGlobal::Sync2GetOrganizersPictures()
{
    return Guarded("[Sync2GetOrganizersPictures]", false, [&] {
        if (!EnoughDiskSpace("Sync2GetOrganizersPictures"))
            return false;
        TNBusyFlagTake busy(runningOrganizersPicturesFetch);
        if (!busy.Taken() || !ActiveUserExists())
            return false;
        LogText("[Sync2GetOrganizersPictures][BEGIN]");
        bool saved = false;
        for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
            auto list = [position]() -> TNPIMOrganizers* {
                TNPIM* pim = PIM[position];
                return pim != nullptr ? &pim->Organizers : nullptr;
            };
            saved = FetchOrganizerPictures("Sync2GetOrganizersPictures", list, position) || saved;
        }
        if (saved)
            RefreshView(">>> g.SetUpdateUiTag(__uiUpdateShownData) [MMM]");
        LogText("[Sync2GetOrganizersPictures][END]");
        return saved;
    });
}

bool TNGlobal::Sync2GetAvailableOrganizersPictures()
{
    return Guarded("[Sync2GetAvailableOrganizersPictures]", false, [&] {
        {
            TNModelReadGuard lock;
            if (!AvailableOrganizers)
                return false;
        }
        if (!EnoughDiskSpace("Sync2GetAvailableOrganizersPictures"))
            return false;
        TNBusyFlagTake busy(runningAvailableOrganizersPicturesFetch);
        if (!busy.Taken() || !ActiveUserExists())
            return false;
        LogText("[Sync2GetAvailableOrganizersPictures][BEGIN]");
        bool saved = FetchOrganizerPictures(
            "Sync2GetAvailableOrganizersPictures", [] { return g.AvailableOrganizers.get(); }, -1);
        if (saved)
            RefreshView(">>> g.SetUpdateUiTag(__uiUpdateShownData) [NNN]");
        LogText("[Sync2GetAvailableOrganizersPictures][END]");
        return saved;
    });
}

namespace {

// A profile picture of a contact, a contact request or the user.
struct ProfilePicture {
    uint32_t ItemID = 0;
    PictureItem Item;
};

PictureItem ProfileItem(uint32_t userId, uint32_t pictureId, uint32_t lastPicture)
{
    PictureItem item;
    item.PictureId = pictureId;
    item.LastPicture = lastPicture;
    item.Folder = CacheFolder(0, "Profiles", userId);
    item.Fields.AddUInt("ContactUserID", userId).AddUInt("ProfilePicture", pictureId);
    return item;
}

// The words of the contacts and the contact requests are int32 fields.
uint32_t Word(int32_t state)
{
    return static_cast<uint32_t>(state);
}

// Fetches the profile pictures of one collection's people (contacts or
// contact requests) that changed since their last fetch. Empty when the
// request head could not be made; else whether any picture was saved.
template <class Collection, class UserIdOf>
std::optional<bool> FetchProfilePictures(const char* caller, Collection TNPIM::*collection, UserIdOf userIdOf,
                                         bool withWidths)
{
    bool saved = false;
    for (int32_t position = 0; position < App.PimServersCount && position < kMaxPimServers; ++position) {
        std::vector<ProfilePicture> pictures;
        {
            TNModelReadGuard lock;
            TNPIM* pim = PIM[position];
            if (pim == nullptr)
                continue;
            const Collection& items = pim->*collection;
            for (int32_t i = 0; i < items.Count; ++i) {
                const auto* person = items.Items[i];
                if (person == nullptr || person->ProfilePicture == 0 ||
                    person->ProfilePicture == Word(person->ProfilePictureState))
                    continue;
                pictures.push_back({person->ID, ProfileItem(userIdOf(*person), person->ProfilePicture,
                                                            Word(person->ProfilePictureState))});
            }
        }
        if (pictures.empty())
            continue;
        std::vector<int32_t> widths = withWidths ? ContactWidths(position) : std::vector<int32_t>{};
        PictureFetcher fetcher(caller, "get-user-profile-picture", withWidths ? &widths : nullptr);
        if (!fetcher.MakeHead())
            return std::nullopt;
        for (const ProfilePicture& picture : pictures) {
            PictureOutcome outcome = fetcher.Fetch(picture.Item);
            saved = saved || outcome.LastPicture == picture.Item.PictureId;
            TNModelWriteGuard lock;
            auto* person = (PIM[position]->*collection).GetItemByID(picture.ItemID);
            if (person != nullptr && person->ProfilePicture == picture.Item.PictureId)
                person->ProfilePictureState = static_cast<int32_t>(outcome.LastPicture);
        }
    }
    return saved;
}

} // namespace

void TNGlobal::Sync2GetContactsUsersProfilePictures()
{
    Guarded("[Sync2GetContactsUsersProfilePictures]", [&] {
        if (!EnoughDiskSpace("Sync2GetContactsUsersProfilePictures") || !ActiveUserExists())
            return;
        LogText("[Sync2GetContactsUsersProfilePictures][BEGIN]");
        std::optional<bool> saved = FetchProfilePictures(
            "Sync2GetContactsUsersProfilePictures", &TNPIM::Contacts,
            [](const TNPIMContact& contact) { return contact.ContactUserID; }, true);
        if (!saved)
            return;
        if (*saved)
            RefreshView(">>> g.SetUpdateUiTag(__uiUpdateShownData) [III]");
        LogText("[Sync2GetContactsUsersProfilePictures][END]");
    });
}

void TNGlobal::Sync2GetActualUserProfilePicture(bool onlyLookOnDisk)
{
    Guarded("[Sync2GetActualUserProfilePicture]", [&] {
        if (!ActiveUserExists())
            return;
        TNAccount account = Account();
        if (account.ProfilePicture == 0 || account.ProfilePicture == account.ProfilePictureFetched)
            return;
        LogText("[Sync2GetActualUserProfilePicture][BEGIN]");
        PictureItem item = ProfileItem(Uzivatele.ActiveUserID(), account.ProfilePicture, account.ProfilePictureFetched);
        PictureOutcome outcome{item.LastPicture, false};
        if (onlyLookOnDisk) {
            if (plat::FileExists(item.Folder + std::to_string(item.PictureId) + ".jpg"))
                outcome.LastPicture = item.PictureId;
        } else {
            std::vector<int32_t> widths = ContactWidths(0);
            PictureFetcher fetcher("Sync2GetActualUserProfilePicture", "get-user-profile-picture", &widths);
            if (fetcher.MakeHead())
                outcome = fetcher.Fetch(item);
        }
        UpdateAccount([&](TNAccount& changed) {
            if (changed.ProfilePicture == item.PictureId)
                changed.ProfilePictureFetched = outcome.LastPicture;
        });
        if (outcome.LastPicture == item.PictureId) {
            SetUpdateUiTag(__uiUpdateHeaderUser, 0);
            RefreshView(">>> g.SetUpdateUiTag(__uiUpdateShownData) [JJJ]");
        }
        LogText("[Sync2GetActualUserProfilePicture][END]");
    });
}

void TNGlobal::Sync2GetContactsRequestsProfilePictures()
{
    Guarded("[Sync2GetContactsRequestsProfilePictures]", [&] {
        if (!ActiveUserExists())
            return;
        LogText("[Sync2GetContactsRequestsProfilePictures][BEGIN]");
        std::optional<bool> saved = FetchProfilePictures(
            "Sync2GetContactsRequestsProfilePictures", &TNPIM::ContactsRequests,
            [](const TNPIMContactsRequest& request) { return request.UserID; }, false);
        if (!saved)
            return;
        if (*saved)
            RefreshView(">>> g.SetUpdateUiTag(__uiUpdateShownData) [LLL]");
        LogText("[Sync2GetContactsRequestsProfilePictures][END]");
    });
}
