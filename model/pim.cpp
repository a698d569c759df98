#include "model/pim.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/hooks.h"
#include "model/model_lock.h"
#include "model/numbers.h"

#include <cstdio>
#include <type_traits>

TNPIMOrganizers* CurrentPIMOrganizers = nullptr;
TNPIMLastRequests* CurrentPIMLastRequests = nullptr;
std::atomic<bool> pimDataReceived{false};

namespace {

// Clears a busy flag on every way out of the scope.
struct FlagReset {
    std::atomic<bool>& flag;
    ~FlagReset() { flag = false; }
};

// The id under which an item is stored in the record file. A last-request
// time is stored under its type byte.
template <class Item> uint32_t StoredID(const Item& item)
{
    return item.ID;
}
uint32_t StoredID(const TNPIMLastRequest& item)
{
    return static_cast<uint8_t>(item.Type);
}

// An item still waiting for upload: its deletion, too, must survive a
// restart until the service has it.
template <class Item> bool WaitsForUpload(const Item& item)
{
    if constexpr (std::is_same_v<Item, TNPIMLastRequest>) {
        return false;
    } else {
        if constexpr (requires { item.PleaseSync; }) {
            if (item.PleaseSync) {
                return true;
            }
        }
        return item.ID >= kFirstLocalID;
    }
}

// An item that never writes a record of its own.
template <class Item> bool DeclinesToWrite(const Item& item)
{
    if constexpr (requires { item.Virtual; }) {
        if (item.Virtual) {
            return true;
        }
    }
    if constexpr (requires { item.DoNotSave; }) {
        if (item.DoNotSave) {
            return true;
        }
    }
    return false;
}

template <class Item> TNItemLoad LoadItem(Item& item, plat::ByteReader& in)
{
    auto result = item.Load(in);
    if constexpr (std::is_same_v<decltype(result), TNItemLoad>) {
        return result;
    } else {
        return result ? TNItemLoad::Loaded : TNItemLoad::Unreadable;
    }
}

// The catch-all name of a type branch of Save.
const char* SaveBranchName(uint8_t type)
{
    static const char* const names[] = {
        "[TNPIM::Save][raftHole]",
        "[TNPIM::Save][raftOrganizer]",
        "[TNPIM::Save][raftRecord]",
        "[TNPIM::Save][raftAlert]",
        "[TNPIM::Save][raftTag]",
        "[TNPIM::Save][raftTag]",
        "[TNPIM::Save][raftContactsRequest]",
        "[TNPIM::Save][raftGroup]",
        "[TNPIM::Save][raftGroupsAssign]",
        "[TNPIM::Save][raftContact]",
        "[TNPIM::Save][raftNotification]",
        "[TNPIM::Save][raftSharing]",
        "[TNPIM::Save][raftEventType]",
        "[TNPIM::Save][raftLastRequest]",
    };
    return type <= kRaftLastType ? names[type] : "[TNPIM::Save][ALL]";
}

void LogWithNumber(const char* text, const char* format, uint32_t number)
{
    char value[32];
    std::snprintf(value, sizeof value, format, number);
    LogWrite(text, value, false);
}

// What one pass of Save did with the queue.
struct SaveCounts {
    int32_t reallySaved = 0;
    int32_t writtenOff = 0;
    // A record of the pass could not be written: its deletions wait.
    bool writeFailed = false;
};

// Saves queue entry tsp of a collection's type. A deletion is written after
// every record of the pass (second phase), so that a record that moved to a
// new id is on disk under it before its old record is holed.
template <class Collection>
void SaveEntry(Collection& items, TNRAFile& file, int32_t fid, int32_t tsp, bool deletionPhase, SaveCounts& counts)
{
    TNRAFileToSave entry;
    if (!file.get_toSave(tsp, entry) || entry.saved != 0 || entry.position < 0) {
        return;
    }
    auto matches = [&](int32_t pos) {
        return pos >= 0 && pos < items.Count && items.Items[pos] != nullptr && StoredID(*items.Items[pos]) == entry.id;
    };
    int32_t pos = entry.position;
    if (!matches(pos)) {
        pos = items.GetItemPosByID(entry.id);
        if (matches(pos)) {
            file.set_toSavePosition(tsp, pos);
        } else {
            pos = -1;
        }
    }
    bool pending = pos >= 0 && WaitsForUpload(*items.Items[pos]);
    bool deletion = entry.retype == raftHole && !pending;
    if (deletion != deletionPhase) {
        return;
    }
    if (pos < 0) {
        if (deletion) {
            // The item is gone or moved to another id: its record only has
            // to go.
            if (raf.saveStream(fid, tsp)) {
                ++counts.reallySaved;
            }
            return;
        }
        LogWithNumber("[TNPIM::Save][WRITE_OFF] No item for the queue entry; id = ", "%u", entry.id);
        counts.writtenOff += file.writeOff_toSave(tsp) ? 1 : 0;
        return;
    }
    auto& item = *items.Items[pos];
    // A deletion, too: the entry is the copy's, and its master's record must
    // stay.
    if (DeclinesToWrite(item)) {
        LogWithNumber("[TNPIM::Save][WRITE_OFF] The item writes no record; id = ", "%u", entry.id);
        counts.writtenOff += file.writeOff_toSave(tsp) ? 1 : 0;
        return;
    }
    if (entry.retype == raftHole && pending) {
        // Queued for deletion, but the service does not know yet: keep the
        // record, with its Deleted value, until it does.
        file.add_toSave(entry.type, entry.id, pos, item.Deleted, false, false);
        file.get_toSave(tsp, entry);
    }
    ++counts.reallySaved;
    if (!item.Save(tsp, fid) && !deletion) {
        counts.writeFailed = true;
    }
}

// Empties a collection before loading; the records keep their id counter.
template <class Collection> void EmptyForLoad(Collection& items)
{
    if constexpr (requires { items.EmptyForLoad(); }) {
        items.EmptyForLoad();
    } else {
        items.Destroy();
        items.Init();
    }
}

} // namespace

namespace {

// The model's side of `c`'s year table: PIM[0]'s per-day index follows it.
void InstallDayIndexHooks()
{
    if (c.Hooks.YearSlotsAdded.load() != nullptr) {
        return;
    }
    c.Hooks.YearSlotsAdded = [](int32_t count) {
        auto grow = [count] {
            if (TNPIM* first = PIM[0]) {
                first->AllDaysEx.GrowTo(count);
            }
        };
        if (TNModelLock::HeldByThisThread()) {
            grow();
        } else {
            TNModelWriteGuard lock;
            grow();
        }
    };
    c.Hooks.YearsCleared = [] {
        TNModelWriteGuard lock;
        if (TNPIM* first = PIM[0]) {
            first->AllDaysEx.Clear();
        }
    };
    c.Hooks.DayItemWanted = [](int32_t year, int32_t month, int32_t day) {
        if (TNPIM* first = PIM[0]) {
            first->GetAllDaysItem(year, month, day);
        }
    };
}

} // namespace

TNPIM::TNPIM(int32_t position) : pimSrvPos(position)
{
    InstallDayIndexHooks();
    Organizers.ParentPIM = this;
    ContactsRequests.ParentPIM = this;
    Groups.ParentPIM = this;
    GroupsAssign.ParentPIM = this;
    Contacts.ParentPIM = this;
    Notifications.ParentPIM = this;
    Sharing.ParentPIM = this;
    EventTypes.ParentPIM = this;
    LastRequests.ParentPIM = this;
    Alerts.ParentPIM = this;
    Tags.ParentPIM = this;
    TagsAssign.ParentPIM = this;
    Init();
}

TNPIM::~TNPIM()
{
    // The records leave PIM[0]'s per-day index, which the views may be
    // reading.
    TNModelWriteGuard lock;
    if (Records != nullptr) {
        Records->EmptyForLoad();
    }
    // Items of other sets must not reach a set that is gone.
    if (CurrentPIMOrganizers == &Organizers) {
        CurrentPIMOrganizers = nullptr;
    }
    if (CurrentPIMLastRequests == &LastRequests) {
        CurrentPIMLastRequests = nullptr;
    }
}

void TNPIM::Init()
{
    UserID = 0;
    if (Records == nullptr) {
        Records = std::make_unique<TNPIMRecords>(this);
    }
    Records->Init(true);
    CurrentPIMLastRequests = &LastRequests;
    CurrentPIMOrganizers = &Organizers;
    TagsAssign.pimSrvPos = pimSrvPos;
    LoadingPimNow = false;
    SavingPimNow = false;
    LastCheckAllTime = 0;
    ViewCache[0].valid = 0;
    ViewCache[1].valid = 0;
    UsersOrganizersLastRecalc = 0;
    UsersOrganizersLastApplied = 1;
    const int32_t metrics[7] = {55, 20, 10, 7, 16, 15, 7};
    for (int32_t i = 0; i < 7; ++i) {
        ViewMetrics[i] = metrics[i];
    }
    pleaseMarkAllNotificationsAsRead = false;
}

void TNPIM::Destroy()
{
    Guarded("[TNPIM::Destroy]", [&] {
        ViewCache[0].valid = 0;
        ViewCache[1].valid = 0;
    });
}

void TNPIM::CleanAll()
{
    Guarded("[TNPIM::CleanAll]", [&] {
        TNModelWriteGuard lock;
        ForEachCollection([](auto& items) { items.Clear(); });
        Destroy();
        Init();
        pimDataReceived = true;
        NotifyShownDataReplaced();
    });
}

int32_t TNPIM::RecordFileSlot() const
{
    return pimSrvPos == 0 ? App.raFileAllPIM : ownFileSlot_;
}

void TNPIM::SetRecordFileSlot(int32_t fid)
{
    if (pimSrvPos == 0) {
        App.raFileAllPIM = fid;
    } else {
        ownFileSlot_ = fid;
    }
}

// ---------------------------------------------------------------- Save

bool TNPIM::Save(bool close_ra_file, bool reset_file)
{
    bool written = Guarded("[TNPIM::Save][ALL]", false, [&] {
        // 1. One save at a time, and none while a sync runs.
        if (SavingPimNow) {
            LogText("[TNPIM::Save][RETURN] SavingPimNow = true");
            return false;
        }
        if (c.SyncIsRunning) {
            LogText("[TNPIM::Save][RETURN] c.SyncIsRunning = true");
            return false;
        }
        SavingPimNow = true;
        FlagReset saving{SavingPimNow};
        TNModelWriteGuard lock;
        int32_t fid = RecordFileSlot();

        // 2. The set's record file must have its index.
        if (!raf.indexOk(fid)) {
            LogText("[PIM::Save][ERROR] raf.indexOk(App.raFileAllPIM) = false!");
            LogText("[TNPIM::Save][END]");
            return false;
        }
        TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];

        // 3. Only with something to write, for a signed-in user.
        bool ok = true;
        if (file.toSaveCount() == 0 && !pimDataReceived) {
            LogText("[PIM::Save] No need to save PIM. Exiting.");
        } else if (!Uzivatele.HasActiveUser() || Uzivatele.ActiveUserID() == 0) {
            LogText("[PIM::Save] No active user. Exiting.");
            ok = false;
        } else {
            // 4.-5. The queued items, then the file to disk.
            ok = SaveQueue(file, fid);
            ok = raf.flushFile(fid) && ok;
        }

        // 6. Closed when the caller asks.
        LogTextInt("[PIM::Save] close_ra_file = ", close_ra_file ? 1 : 0);
        if (close_ra_file) {
            raf.closeFile(fid, reset_file);
        }
        // 7. Done.
        LogText("[TNPIM::Save][END]");
        return ok;
    });
    NotifySaveFinished();
    return written;
}

bool TNPIM::SaveQueue(TNRAFile& file, int32_t fid)
{
    SaveCounts counts;
    int32_t count = file.toSaveCount();
    for (int phase = 0; phase < 2 && !counts.writeFailed; ++phase) {
        for (int32_t tsp = 0; tsp < count; ++tsp) {
            TNRAFileToSave entry;
            if (!file.get_toSave(tsp, entry) || entry.saved != 0 || entry.position < 0) {
                continue;
            }
            bool known = ForCollection(entry.type, [&](auto& items) {
                Guarded(SaveBranchName(entry.type), [&] { SaveEntry(items, file, fid, tsp, phase == 1, counts); });
            });
            if (known || phase == 1) {
                continue;
            }
            // A hole or an unknown type is no item's: log it once and let
            // the clean-up drop it.
            if (entry.type == raftHole) {
                LogTextInt("[TNPIM::Save] HOLE SAVING toSave->Type: ", entry.type);
                counts.writtenOff += file.writeOff_toSave(tsp) ? 1 : 0;
            } else if (entry.type > kRaftLastType) {
                LogTextInt("[TNPIM::Save][ERROR] Unknown toSave->Type: ", entry.type);
                counts.writtenOff += file.writeOff_toSave(tsp) ? 1 : 0;
            }
        }
        // The records written so far are committed before any deletion is
        // staged: a record that moved to a new id is durable under it first.
        if (phase == 0 && !raf.flushFile(fid)) {
            counts.writeFailed = true;
        }
    }
    LogTextInt("[TNPIM::Save][FINISH] really_saved = ", counts.reallySaved);
    LogTextInt("[TNPIM::Save][FINALLY] toSave[aa]->saved count = ", file.toSaveSavedCount());
    if (counts.writtenOff > 0) {
        LogTextInt("[TNPIM::Save][WRITE_OFF] count = ", counts.writtenOff);
    }
    LogTextInt("[TNPIM::Save][toSave_CLEANUP][BEFORE] toSaveCount = ", file.toSaveCount());
    file.clean_toSave();
    LogTextInt("[TNPIM::Save][toSave_CLEANUP][AFTER] toSaveCount = ", file.toSaveCount());
    return !counts.writeFailed;
}

// ---------------------------------------------------------------- Load

void TNPIM::OpenRecordFile()
{
    int32_t fid = RecordFileSlot();
    if (!raf.isValidFid(fid)) {
        fid = raf.AddFile();
        SetRecordFileSlot(fid);
    }
    if (!raf.isValidFid(fid) || raf.isFileReady(fid)) {
        return;
    }
    // Without a user folder the name would be relative to whatever folder the
    // process runs in: another account's data could be opened, or files left
    // in a stranger's folder.
    if (Dirs.UserDir.Text == nullptr || Dirs.UserDir.Text[0] == '\0') {
        LogText("[TNPIM::Load][ERROR] No user folder; the record file stays closed");
        return;
    }
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    char name[1024];
    std::snprintf(name, sizeof name, "%spim-%s.dld", Dirs.UserDir.Text, App.WebDomain[pimSrvPos]);
    file.raFile = name;
    file.raIndexFile.clear();
    file.raHeader = App.PimFileId;
    file.raVersion = 1;
    LogWrite("[TNPIM::Load] indexOk. file = ", name, false);
    LogTextInt("[TNPIM::Load] SrvPos = ", pimSrvPos);
    LogWrite("[TNPIM::Load] WebDomain = ", App.WebDomain[pimSrvPos], false);
    raf.openFile(fid);
}

void TNPIM::Load(TNPIMLoadProgress progress)
{
    Guarded("[TNPIM::Load]", [&] {
        // 1. A known server.
        if (pimSrvPos < 0 || pimSrvPos >= App.PimServersCount) {
            LogTextInt("[TNPIM::Load] App.PimServersCount ERROR! pimSrvPos = ", pimSrvPos);
            return;
        }
        // 2. One load at a time, under the model lock.
        LogText("[TNPIM::Load][BEGIN]");
        LoadingPimNow = true;
        FlagReset loading{LoadingPimNow};
        TNModelWriteGuard lock;
        Organizers.CleanFilterListStruct();

        // 3. The set's record file.
        OpenRecordFile();
        int32_t fid = RecordFileSlot();

        // 4. An open file only.
        TNRAFile* file = raf.isValidFid(fid) ? raf.Items[static_cast<size_t>(fid)].get() : nullptr;
        if (file != nullptr && file->isOpen()) {
            if (Uzivatele.HasActiveUser() && Uzivatele.ActiveUserID() != 0) {
                // 5.-7. A signed-in user's items replace what the set held.
                LogTextUInt("[TNPIM::Load] AktivniUzivatel. UserID = ", Uzivatele.ActiveUserID());
                ViewCache[0].valid = 0;
                ViewCache[1].valid = 0;
                if (progress != nullptr) {
                    progress(kProgressLoading, 0, 0);
                }
                // The records leave the per-day index before they are freed.
                ForEachCollection([](auto& items) { EmptyForLoad(items); });
                NotifyShownDataReplaced();
                LoadFile(*file, progress);
            }
            // 8. Each collection finishes what its items need.
            LogText("[TNPIM::Load] Calling all FinalizeLoading...");
            if (progress != nullptr) {
                progress(kProgressFinishing, 0, 0);
            }
            ForEachCollection([](auto& items) { items.FinalizeLoading(); });
            Organizers.NameFilterListAuthors();
        }
        // 9. The rights of the sign-in answer over the loaded organizers.
        CheckAndUpdateUsersOrganizersRightsAndSubscriptions();
        LogText("[TNPIM::Load][END]");
    });
}

void TNPIM::LoadFile(TNRAFile& file, TNPIMLoadProgress progress)
{
    uint32_t total = file.entryCount();
    LogTextUInt("[TNPIM::Load] Load all items; raf.Items[App.raFileAllPIM]->indexCount = ", total);
    ForEachCollection([&](auto& items) {
        if constexpr (requires { items.ReserveForLoad(total); }) {
            items.ReserveForLoad(total);
        }
    });
    int64_t lastReport = 0;
    for (uint32_t aa = 0; aa < total; ++aa) {
        if (progress != nullptr) {
            int64_t now = TNLocalClock::Now();
            if (aa == 0 || aa + 1 == total || now - lastReport >= 2) {
                progress(kProgressLoadingCount, static_cast<int32_t>(aa + 1), static_cast<int32_t>(total));
                lastReport = now;
            }
        }
        uint16_t storedType = raftHole;
        uint32_t id = 0;
        if (!file.liveEntry(aa, storedType, id)) {
            continue;
        }
        if (storedType > kRaftLastType) {
            // Written by a later version: kept in the file, not loaded.
            char text[64];
            std::snprintf(text, sizeof text, "type = %u; id = %u", storedType, id);
            LogWrite("[TNPIM::Load] Record of unknown type kept; ", text, false);
            continue;
        }
        const auto type = static_cast<uint8_t>(storedType);
        int64_t length = file.openEntry(aa);
        if (length <= 0) {
            LogTextUInt("[TNPIM::Load][ERROR] raf.loadStreamHeader... stream_length <= 0; aa = ", aa);
            continue;
        }
        ForCollection(type, [&](auto& items) {
            if (!items.Resize(items.Count + 1)) {
                return;
            }
            int32_t pos = items.Count - 1;
            auto& item = *items.Items[pos];
            // The reader ends where the record ends: a length or a body that
            // runs past it makes the item unreadable.
            TNItemLoad result = LoadItem(item, file.recordReader());
            // A body under another id than its index entry would be saved
            // under that id and leave this record live beside it.
            if (result != TNItemLoad::Unreadable && StoredID(item) != id) {
                char text[96];
                std::snprintf(text, sizeof text, "type = %s; id = %u; body id = %u", RaftTypeName(type), id,
                              StoredID(item));
                LogWrite("[TNPIM::Load][ERROR] Record whose body has another id dropped; ", text, false);
                items.Resize(items.Count - 1);
                return;
            }
            if (result == TNItemLoad::Unreadable) {
                // Perhaps a newer version: leave its record as it is.
                char text[96];
                std::snprintf(text, sizeof text, "type = %s; id = %u; aa = %u", RaftTypeName(type), id, aa);
                LogWrite("[TNPIM::Load][ERROR] Unreadable record dropped; ", text, false);
                items.Resize(items.Count - 1);
                return;
            }
            if constexpr (requires { items.ItemLoaded(pos); }) {
                items.ItemLoaded(pos);
            }
            if (result == TNItemLoad::NotKept) {
                // The item reads as to be removed: hole its record and queue
                // the deletion for upload.
                LogTextInt("[TNPIM::Load] CREATE HOLE at pos ", pos);
                file.holeRecord(type, id);
                if constexpr (requires { item.PleaseSync; }) {
                    item.PleaseSync = true;
                }
                file.add_toSave(type, id, pos, item.Deleted, true, false);
                LogTextInt("[TNPIM::Load] DELETE at pos ", pos);
            }
            if constexpr (std::is_same_v<std::decay_t<decltype(item)>, TNPIMOrganizer>) {
                LogTextUInt("[TNPIM::Load] Organizers ID = ", item.ID);
                LogWrite("[TNPIM::Load] Organizers Title = ", item.Title.Text, false);
                LogTextUInt("[TNPIM::Load] Organizers UserID = ", item.UserID);
            }
        });
    }
}

// ---------------------------------------------------------------- checks

bool TNPIM::CheckAll()
{
    return Guarded("[TNPIM::CheckAll]", false, [&] {
        TNModelWriteGuard lock;
        LogText("[TNPIM::CheckAll][BEGIN]");
        bool changes = false;
        int64_t now = TNLocalClock::Now();
        if (LastCheckAllTime + kCheckAllInterval < now) {
            changes = Records->CheckAll();
            if (changes) {
                pimDataReceived = true;
            }
            LastCheckAllTime = now;
        }
        LogTextInt("[TNPIM::CheckAll][END] changes_are = ", changes ? 1 : 0);
        return changes;
    });
}

TNPIMAllDay* TNPIM::GetAllDaysItem(int32_t year, int32_t month, int32_t day)
{
    return Guarded("[TNPIM::GetAllDaysItem]", static_cast<TNPIMAllDay*>(nullptr), [&]() -> TNPIMAllDay* {
        if (month < 1 || month > 12) {
            LogTextInt("[TNPIM::GetAllDaysItem] ERROR month = ", month);
            return nullptr;
        }
        if (day < 1 || day > 31) {
            LogTextInt("[TNPIM::GetAllDaysItem] ERROR day = ", day);
            return nullptr;
        }
        int32_t yearPos = c.GetYearPos(year);
        if (yearPos < 0) {
            return nullptr;
        }
        return AllDaysEx.Entry(yearPos, year, month, day);
    });
}

// ---------------------------------------------------------------- rights

void TNPIM::CheckAndUpdateUsersOrganizersRightsAndSubscriptions()
{
    Guarded("[TNPIM::CheckAndUpdateUsersOrganizersRightsAndSubscriptions]", [&] {
        TNModelWriteGuard lock;
        if (Organizers.UsersOrganizersCurrent == Organizers.UsersOrganizersApplied &&
            UsersOrganizersLastRecalc == UsersOrganizersLastApplied) {
            return;
        }
        // The text is not stored: a start without a sign-in answer has none,
        // and must not take every organizer's rights away.
        if (UsersOrganizers.IsEmpty()) {
            return;
        }
        Organizers.UsersOrganizersApplied = Organizers.UsersOrganizersCurrent;
        UsersOrganizersLastApplied = UsersOrganizersLastRecalc;
        LogWrite("[CheckAndUpdateUsersOrganizersRightsAndSubscriptions] UsersOrganizers = ", UsersOrganizers.Text,
                 false);

        // 1. Every organizer starts without rights.
        for (int32_t i = 0; i < Organizers.Count; ++i) {
            if (TNPIMOrganizer* o = Organizers.Items[i]) {
                o->Origin = 0;
                o->Subscribe = 0;
                o->Role = 0;
            }
        }
        // 2. Triples of organizer id, rights and subscription.
        uint32_t numbers[3] = {0, 0, 0};
        int32_t which = 0;
        const char* text = UsersOrganizers.Text;
        int32_t length = UsersOrganizers.Length;
        for (int32_t i = 0; i < length; ++i) {
            char ch = text[i];
            if (ch >= '0' && ch <= '9') {
                numbers[which] = numbers[which] * 10 + static_cast<uint32_t>(ch - '0');
            } else {
                ++which;
            }
            if (which == 3 || i == length - 1) {
                if (TNPIMOrganizer* o = Organizers.GetOrganizerByID(numbers[0])) {
                    o->Origin = numbers[1];
                    o->Subscribe = numbers[2];
                }
                numbers[0] = numbers[1] = numbers[2] = 0;
                which = 0;
            }
        }
        for (int32_t i = 0; i < Organizers.Count; ++i) {
            if (TNPIMOrganizer* o = Organizers.Items[i]) {
                o->Role = o->GetRole();
            }
        }
        // 3. Every organizer is written again.
        int32_t fid = RecordFileSlot();
        if (!raf.isValidFid(fid)) {
            LogTextInt("[TNPIM::CheckAndUpdateUsersOrganizersRightsAndSubscriptions][ERROR][NULL] raf.Items = NULL "
                       "|| App.raFileAllPIM = ",
                       fid);
            return;
        }
        for (int32_t i = 0; i < Organizers.Count; ++i) {
            if (TNPIMOrganizer* o = Organizers.Items[i]) {
                raf.Items[static_cast<size_t>(fid)]->add_toSave(raftOrganizer, o->ID, i, o->Deleted, true, false);
            }
        }
    });
}

void InstallPIMFactory()
{
    FoundationHooks.CreatePIM = [](int32_t position) { return new TNPIM(position); };
    FoundationHooks.DestroyPIM = [](TNPIM* pim) { delete pim; };
}
