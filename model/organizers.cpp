#include "model/organizers.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "model/hooks.h"
#include "model/item_helpers.h"
#include "model/pim.h"

#include <cstdio>
#include <string>

// ---------------------------------------------------------------- organizer

std::unique_ptr<TNUsersRights> TNPIMOrganizer::GetUsersRights() const
{
    return Guarded("[TNPIMOrganizer::GetUsersRights]", nullptr, [&]() -> std::unique_ptr<TNUsersRights> {
        std::unique_ptr<TNUsersRights> rights(new (std::nothrow) TNUsersRights());
        if (rights == nullptr) {
            LogText("[TNPIMOrganizer::GetUsersRights][ERROR] upr = NULL");
            return nullptr;
        }
        if (Deleted != 0) {
            return rights;
        }
        rights->Subscribe = static_cast<int32_t>(Subscribe);
        rights->Origin = static_cast<int32_t>(Origin);
        const TNPIM* pim = PIM[pim_srv_pos];
        if (pim != nullptr && pim->UserID != 0) {
            if (Origin == 1 || Origin == 10) {
                rights->Role = 100;
            } else if (Subscribe == 20) {
                rights->Role = 80;
            } else if (Subscribe == 10) {
                rights->Role = 60;
            }
            rights->CanEdit = rights->Role == 100;
        }
        return rights;
    });
}

int32_t TNPIMOrganizer::GetRole() const
{
    std::unique_ptr<TNUsersRights> rights = GetUsersRights();
    return rights != nullptr ? rights->Role : 0;
}

bool TNPIMOrganizer::UserCanEditRecords() const
{
    return Guarded("[TNPIMOrganizer::UserCanEditRecords]", false, [&] {
        if (Deleted != 0) {
            return false;
        }
        if (Origin == 1 || Origin == 10) {
            return true;
        }
        if (Origin == 50) {
            if (Subscribe == 10 || Subscribe == 20) {
                return true;
            }
            if (Subscribe == 0 || Subscribe == 1) {
                return false;
            }
            LogTextUInt("[TNPIMOrganizer::UserCanEditRecords][WARNING][Origin=50] "
                        "Unhandled Subscribe = ",
                        Subscribe);
        }
        LogTextUInt("[TNPIMOrganizer::UserCanEditRecords][WARNING] Unhandled Origin = ", Origin);
        return false;
    });
}

void TNPIMOrganizer::UpdateColorCombination(const uint8_t* table, int32_t tableLength, int32_t& nextIndex)
{
    if (ColorCombination == 0 && table != nullptr && nextIndex >= 0 && nextIndex < tableLength) {
        ColorCombination = table[nextIndex];
        ++nextIndex;
    }
}

void TNPIMOrganizer::DestroyImages()
{
    for (TNModelImage*& image : Images) {
        FreeModelImage(image);
        image = nullptr;
    }
}

bool TNPIMOrganizer::Save(int32_t queuePos, int32_t fid)
{
    return Guarded("[TNPIMOrganizer::Save]", false, [&] {
        TNBodyWriter w(fid, queuePos);
        w.Unsigned(kStoredVersion, 1);
        WriteItemNumbers(w, *this);
        w.Unsigned(UserID, 4);
        for (const TNString* text : {&Title, &Note, &Name}) {
            w.String(*text);
        }
        for (uint32_t value : {Type, Visibility, SubscribersCount, CalendarIcon}) {
            w.Unsigned(value, 4);
        }
        w.String(CalendarIconName);
        for (uint32_t value : {Origin, Subscribe, ViewSetting}) {
            w.Unsigned(value, 4);
        }
        return w.Commit();
    });
}

bool TNPIMOrganizer::Load(plat::ByteReader& in)
{
    return Guarded("[TNPIMOrganizer::Load]", false, [&] {
        TNBodyReader r(in);
        uint32_t version = r.Unsigned(1);
        if (!r.Ok() || version < 1 || version > kStoredVersion) {
            return false;
        }
        ReadItemNumbers(r, *this);
        UserID = r.Unsigned(4);
        for (TNString* text : {&Title, &Note, &Name}) {
            r.String(*text);
        }
        for (uint32_t* value : {&Type, &Visibility, &SubscribersCount, &CalendarIcon}) {
            *value = r.Unsigned(4);
        }
        r.String(CalendarIconName);
        Origin = r.Unsigned(4);
        Subscribe = r.Unsigned(4);
        if (version >= 2) {
            ViewSetting = r.Unsigned(4);
        }
        if (!r.Ok()) {
            return false;
        }
        Role = GetRole();
        return true;
    });
}

// --------------------------------------------------------------- collection

void TNPIMOrganizers::Init()
{
    NextID = kFirstLocalID;
    LastReq = 0;
    SyncStamp = 0;
    OrganizersLastReq = 0;
    UsersOrganizersCurrent = 0;
    UsersOrganizersApplied = 1;
    CleanFilterListStruct();
}

void TNPIMOrganizers::Clear()
{
    Guarded("[TNPIMOrganizers::Clear]", [&] {
        Destroy();
        Init();
    });
}

bool TNPIMOrganizers::Resize(int32_t n)
{
    return Guarded("[TNPIMOrganizers::Resize]", false, [&] {
        int32_t old = Count;
        if (ResizeSlots(n)) {
            return true;
        }
        char text[64];
        std::snprintf(text, sizeof text, "old = %d; new = %d", old, n);
        LogWrite("[TNPIMOrganizers::Resize][ERROR] realloc() error! ", text, false);
        c.FatalErrorApplicationRestart();
        return false;
    });
}

TNPIMOrganizer* TNPIMOrganizers::MakeItem()
{
    TNPIMOrganizer* organizer = new TNPIMOrganizer();
    organizer->pim_srv_pos = ParentPIM != nullptr ? ParentPIM->pimSrvPos : 0;
    return organizer;
}

int32_t TNPIMOrganizers::Add(TNString* answer, bool log)
{
    return Guarded("[TNPIMOrganizers::Add]", -1, [&] {
        if (answer == nullptr) {
            LogText("[TNPIMOrganizers::Add][ERROR][NULL] xml = NULL");
            return -1;
        }
        if (log) {
            LogAnswer("[TNPIMOrganizers::Add] ", answer->View());
        }
        TNAnswerItem in(*answer);
        int32_t countBefore = Count;
        int32_t pos = TakeAnswerItem(*this, in);
        if (pos < 0) {
            return -1;
        }
        if (Count == countBefore) {
            LogTextInt("[TNPIMOrganizers::Add][UPDATE] pos = ", pos);
        }
        TNPIMOrganizer& o = *Items[pos];
        in.Number("Origin", o.Origin);
        in.Number("Subscribe", o.Subscribe);
        in.Number("UserID", o.UserID);
        // A renamed organizer must not keep showing its cached old name.
        if (in.Has("Title", true)) {
            if (o.Title.View() != in.value.View()) {
                o.ReadableTitle.Set("");
            }
            o.Title = in.value;
        }
        in.Text("Note", o.Note);
        in.Text("Name", o.Name);
        in.Number("Type", o.Type);
        in.Number("Visibility", o.Visibility);
        in.Number("SubscribersCount", o.SubscribersCount);
        in.Number("CalendarIcon", o.CalendarIcon);
        in.Text("CalendarIconName", o.CalendarIconName);

        if (o.CalendarIcon != o.ImagesIcon) {
            o.ImagesIcon = 0;
        }
        o.SyncStamp = SyncStamp;
        o.Role = o.GetRole();
        o.Unsaved = 1;
        SaveOrganizerByPos(pos, false);
        LastReq = GetNewestChanged();
        return pos;
    });
}

void TNPIMOrganizers::FinalizeLoading()
{
    Guarded("[TNPIMOrganizers::FinalizeLoading]", [&] {
        OrganizersLastReq = GetLastReq();
        NextID = NextIDAfter(NextID);
        LastReq = GetNewestChanged();
        // An organizer without its owner came from an incomplete answer:
        // fetch all organizers again.
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr && Items[i]->UserID == 0) {
                LogTextUInt("[TNPIMOrganizers::FinalizeLoading] UserID = 0; Setting "
                            "LastReq to 0; OrganizerID = ",
                            Items[i]->ID);
                LogTextUInt("[TNPIMOrganizers::FinalizeLoading] OrganizersLastReq=", OrganizersLastReq);
                OrganizersLastReq = 0;
                break;
            }
        }
    });
}

bool TNPIMOrganizers::SaveOrganizerByPos(int32_t pos, bool log)
{
    return Guarded("[TNPIMOrganizers::SaveOrganizerByPos]", false, [&] {
        if (NeverSaved) {
            return false;
        }
        int32_t fid = RecordFileSlotOf(ParentPIM);
        if (!raf.isValidFid(fid)) {
            LogTextInt("[TNPIMOrganizers::SaveOrganizerByPos][ERROR][NULL] raf.Items "
                       "= NULL; App.raFileAllPIM = ",
                       fid);
            return false;
        }
        if (pos < 0 || pos >= Count || Items[pos] == nullptr) {
            return false;
        }
        const TNPIMOrganizer& o = *Items[pos];
        raf.Items[fid]->add_toSave(raftOrganizer, o.ID, pos, o.Deleted, true, log);
        return true;
    });
}

bool TNPIMOrganizers::SaveOrganizerByID(uint32_t id, bool log)
{
    return SaveOrganizerByPos(GetItemPosByID(id), log);
}

int32_t TNPIMOrganizers::GetItemPosByID(uint32_t id) const
{
    std::lock_guard<std::mutex> lock(lookupMutex_);
    if (lookupCount_ != Count || lookupItems_ != Items) {
        lookup_.clear();
        for (int32_t i = 0; i < Count; ++i) {
            if (Items[i] != nullptr) {
                lookup_.try_emplace(Items[i]->ID, i);
            }
        }
        lookupCount_ = Count;
        lookupItems_ = Items;
    }
    auto found = lookup_.find(id);
    if (found != lookup_.end() && Items[found->second] != nullptr && Items[found->second]->ID == id) {
        return found->second;
    }
    // An id set in place since the map was made.
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && Items[i]->ID == id) {
            lookup_[id] = i;
            return i;
        }
    }
    return -1;
}

TNPIMOrganizer* TNPIMOrganizers::GetOrganizerByID(uint32_t id) const
{
    int32_t pos = GetItemPosByID(id);
    return pos >= 0 ? Items[pos] : nullptr;
}

uint32_t TNPIMOrganizers::GetLastReq() const
{
    uint32_t newest = 0;
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && Items[i]->Deleted == 0 && Items[i]->Changed > newest) {
            newest = Items[i]->Changed;
        }
    }
    return newest;
}

uint32_t TNPIMOrganizers::GetNewestChanged() const
{
    uint32_t newest = 0;
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr && Items[i]->Changed > newest) {
            newest = Items[i]->Changed;
        }
    }
    return newest;
}

TNString TNPIMOrganizers::GetReadableTitleByID(uint32_t id)
{
    return Guarded("[TNPIMOrganizers::GetReadableTitleByID]", TNString(), [&] {
        TNPIMOrganizer* o = GetOrganizerByID(id);
        if (o != nullptr) {
            if (!o->ReadableTitle.IsEmpty()) {
                return o->ReadableTitle;
            }
            if (!o->Title.IsEmpty()) {
                o->ReadableTitle = o->Title;
                return o->ReadableTitle;
            }
            if (!o->SecondTitle.IsEmpty()) {
                return o->SecondTitle;
            }
        }
        TNString fallback("OrganizerID: ");
        fallback.AppendUInt(id);
        return fallback;
    });
}

bool TNPIMOrganizers::GetReadableTitleByID_2(uint32_t id, TNString* out)
{
    if (out == nullptr || GetItemPosByID(id) < 0) {
        return false;
    }
    *out = GetReadableTitleByID(id);
    return true;
}

TNModelImage* TNPIMOrganizers::getImageByWidth(TNPIMOrganizer* organizer, int32_t width)
{
    return Guarded("[TNPIMOrganizers::getImageByWidth]", nullptr, [&]() -> TNModelImage* {
        if (organizer == nullptr) {
            return nullptr;
        }
        int32_t slot = -1;
        for (int32_t i = 0; i < kPictureWidthCount; ++i) {
            if (kPictureWidths[i] == width) {
                slot = i;
                break;
            }
        }
        if (slot < 0) {
            return nullptr;
        }
        // Pictures of another icon are stale.
        if (organizer->ImagesIcon != organizer->CalendarIcon) {
            organizer->DestroyImages();
            organizer->ImagesIcon = organizer->CalendarIcon;
        }
        if (organizer->Images[slot] != nullptr) {
            return organizer->Images[slot];
        }
        int32_t server = organizer->pim_srv_pos;
        const char* domain = server >= 0 && server < kMaxPimServers ? App.WebDomain[server] : "";
        std::string path = Dirs.UserDir.Text != nullptr ? Dirs.UserDir.Text : "";
        char tail[96];
        std::snprintf(tail, sizeof tail, "/Organizers/%u/%u-w%d.jpg", organizer->ID, organizer->CalendarIcon, width);
        path += domain;
        path += tail;
        TNModelImage* image = LoadModelImage(path.c_str());
        if (image == nullptr) {
            LogWrite("[TNPIMOrganizers::getImageByWidth][ERROR][NULL] Not loaded "
                     "full_requested_image_path = ",
                     path.c_str(), false);
            return nullptr;
        }
        organizer->Images[slot] = image;
        return image;
    });
}

void TNPIMOrganizers::DestroyImages()
{
    for (int32_t i = 0; i < Count; ++i) {
        if (Items[i] != nullptr) {
            Items[i]->DestroyImages();
        }
    }
}

void TNPIMOrganizers::SortOrganizers()
{
    Guarded("[TNPIMOrganizers::SortOrganizers]", [&] {
        TNPIM* first = PIM[0];
        uint32_t mainID = first != nullptr && first->Records != nullptr ? first->Records->UserOrganizerID : 0;
        if (mainID == 0) {
            return;
        }
        int32_t pos = GetItemPosByID(mainID);
        for (int32_t i = pos; i > 0; --i) {
            TNPIMOrganizer* moved = Items[i];
            Items[i] = Items[i - 1];
            Items[i - 1] = moved;
        }
    });
}

int32_t TNPIMOrganizers::ResizeFilterListStruct_AddOneItem()
{
    return Guarded("[TNPIMOrganizers::ResizeFilterListStruct_AddOneItem]", -1, [&] {
        int32_t newCount = FilterListCount + 1;
        try {
            FilterListKind.resize(static_cast<size_t>(newCount), 0);
            FilterListAuthorID.resize(static_cast<size_t>(newCount), 0);
            FilterListName.resize(static_cast<size_t>(newCount));
            FilterListShown.resize(static_cast<size_t>(newCount), 0);
        } catch (const std::bad_alloc&) {
            LogTextInt("[TNPIMOrganizers::ResizeFilterListStruct_AddOneItem]["
                       "ERROR] new_count = ",
                       newCount);
            FilterListKind.resize(static_cast<size_t>(FilterListCount));
            FilterListAuthorID.resize(static_cast<size_t>(FilterListCount));
            FilterListName.resize(static_cast<size_t>(FilterListCount));
            FilterListShown.resize(static_cast<size_t>(FilterListCount));
            return -1;
        }
        FilterListCount = newCount;
        return newCount - 1;
    });
}

int32_t TNPIMOrganizers::FindInFilterList(uint32_t authorID, uint8_t kind) const
{
    for (int32_t i = 0; i < FilterListCount; ++i) {
        if (FilterListKind[static_cast<size_t>(i)] == kind && FilterListAuthorID[static_cast<size_t>(i)] == authorID) {
            return i;
        }
    }
    return -1;
}

int32_t TNPIMOrganizers::AddAuthorToFilterList(uint32_t authorID)
{
    return Guarded("[TNPIMOrganizers::AddAuthorToFilterList]", -1, [&] {
        if (authorID == 0) {
            return -1;
        }
        int32_t pos = FindInFilterList(authorID, kFilterAuthor);
        if (pos >= 0) {
            return pos;
        }
        pos = ResizeFilterListStruct_AddOneItem();
        if (pos < 0) {
            return -1;
        }
        size_t i = static_cast<size_t>(pos);
        FilterListKind[i] = kFilterAuthor;
        FilterListAuthorID[i] = authorID;
        FilterListShown[i] = 1;
        NameFilterListAuthor(i);
        return pos;
    });
}

// A known contact by name, last name first; anyone else by id.
void TNPIMOrganizers::NameFilterListAuthor(size_t i)
{
    TNString name;
    if (ParentPIM != nullptr &&
        ParentPIM->Contacts.GetFullNameByContactUserID_LastNameFirst(FilterListAuthorID[i], name)) {
        FilterListName[i] = name;
        return;
    }
    FilterListName[i].Set("Uživatel s ID ");
    FilterListName[i].AppendUInt(FilterListAuthorID[i]);
}

void TNPIMOrganizers::NameFilterListAuthors()
{
    for (size_t i = 0; i < static_cast<size_t>(FilterListCount); ++i) {
        if (FilterListKind[i] == kFilterAuthor) {
            NameFilterListAuthor(i);
        }
    }
}

void TNPIMOrganizers::CleanFilterListStruct()
{
    FilterListCount = 0;
    FilterListKind.clear();
    FilterListAuthorID.clear();
    FilterListName.clear();
    FilterListShown.clear();
}
