#include "tests/model/account_generator.h"

#include "foundation/app_info.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "foundation/users.h"
#include "model/pim.h"

#include <cstdlib>

namespace model_test {

namespace {

uint32_t Next(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

int32_t Between(uint32_t& state, int32_t low, int32_t high)
{
    return low + static_cast<int32_t>(Next(state) % static_cast<uint32_t>(high - low + 1));
}

const char* const kWords[] = {"Oběd", "porada", "schůzka",    "s",       "panem",  "Novákem",  "u",        "řeky",
                              "v",    "Žďáru",  "nad",        "Sázavou", "úterý",  "příprava", "rozpočtu", "čtvrtletí",
                              "&",    "9:30",   "narozeniny", "dědečka", "koupit", "květiny",  "pošta",    "Brno"};

void DestroyPIM(TNPIM* pim)
{
    delete pim;
}

// 15 June 2024 10:00 UTC, 12:00 in Prague.
constexpr int64_t kNow = 1718445600;

} // namespace

std::string CzechText(uint32_t& state, int32_t length)
{
    std::string text;
    while (static_cast<int32_t>(text.size()) < length) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kWords[Next(state) % std::size(kWords)];
    }
    text.resize(static_cast<size_t>(length));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

void GenerateAccount(TNPIM& pim, const AccountShape& shape)
{
    uint32_t state = shape.seed;
    TNRAFile* file =
        raf.isValidFid(pim.RecordFileSlot()) ? raf.Items[static_cast<size_t>(pim.RecordFileSlot())].get() : nullptr;
    auto queue = [&](uint8_t type, uint32_t id, int32_t pos, uint32_t deleted) {
        if (file != nullptr) {
            file->add_toSave(type, id, pos, deleted, true, false);
        }
    };

    // Organizers, the first the user's own.
    TNPIMOrganizers& organizers = pim.Organizers;
    for (int32_t k = 0; k < shape.organizers; ++k) {
        organizers.Resize(organizers.Count + 1);
        int32_t pos = organizers.Count - 1;
        TNPIMOrganizer& o = *organizers.Items[pos];
        o.ID = kFirstOrganizerID + static_cast<uint32_t>(k);
        o.Created = 1600000000u + static_cast<uint32_t>(k);
        o.Changed = 1650000000u + static_cast<uint32_t>(Between(state, 0, 5000000));
        o.UserID = k == 0 ? 77 : 80 + static_cast<uint32_t>(k);
        o.Title.Set(CzechText(state, 24));
        o.Note.Set(CzechText(state, 40));
        o.Name.Set("kalendar");
        o.Type = 1;
        o.Visibility = 2;
        o.CalendarIcon = static_cast<uint32_t>(k % 30);
        o.CalendarIconName.Set("dům");
        o.Origin = k == 0 ? 1 : 50;
        o.Subscribe = k == 0 ? 0 : 20;
        o.ViewSetting = 3;
        queue(raftOrganizer, o.ID, pos, 0);
    }

    // Records.
    TNPIMRecords& records = *pim.Records;
    for (int32_t i = 0; i < shape.records; ++i) {
        records.Resize(records.Count + 1);
        int32_t pos = records.Count - 1;
        TNPIMRecord& r = *records.Items[pos];
        bool birthday = i < shape.birthdays;
        bool pending = Between(state, 1, 100) <= shape.pendingPercent;
        bool deleted = Between(state, 1, 100) <= shape.deletedPercent;
        r.ID = kFirstRecordID + static_cast<uint32_t>(i);
        if (pending && (i % 2) == 0) {
            r.ID = records.GetNextID();
        } else if (pending) {
            r.PleaseSync = true;
        }
        r.Created = 1700000000u + static_cast<uint32_t>(i);
        r.Changed = 1700000000u + static_cast<uint32_t>(Between(state, 0, 9000000));
        r.Deleted = deleted ? 1718000000u : 0;
        r.OrganizerID = kFirstOrganizerID + static_cast<uint32_t>(i % std::max(shape.organizers, 1));
        r.CreatedByUserID = 77;
        r.Type = birthday ? (i % 2 == 0 ? rtBirthday : rtAnniversary) : Between(state, 1, 6);
        r.EventType = Between(state, 0, 200);
        r.Text.Set(CzechText(state, Between(state, shape.textMinBytes, shape.textMaxBytes)));
        r.Importance = (i % 17 == 0) ? 99 : Between(state, -10, 10);
        r.Finished = i % 9 == 0 ? 1 : 0;
        r.HasBegin = true;
        if (birthday) {
            r.Begin.SetDate(Between(state, 1, 28), Between(state, 1, 12), Between(state, 1950, 2000));
            r.Begin.Hodina = 99;
            r.HasEnd = false;
        } else {
            int32_t day = Between(state, 1, 28);
            int32_t month = Between(state, 1, 12);
            int32_t year = Between(state, 2020, 2026);
            r.Begin.SetDateTime(day, month, 0, Between(state, 0, 3) * 15, Between(state, 7, 18), year);
            r.HasEnd = true;
            r.End.Copy(&r.Begin);
            if (Between(state, 1, 100) <= shape.multiDayPercent) {
                r.End.SetTimestamp(r.Begin.Timestamp + 86400 * Between(state, 1, 4));
            } else {
                r.End.SetTimestamp(r.Begin.Timestamp + 3600);
            }
        }
        r.Begin.GetTimestamp();
        r.End.GetTimestamp();
        r.Note.Set(CzechText(state, Between(state, 0, 60)));
        r.PlainText = r.Text;
        r.SearchablePlainText = r.Text;
        r.Place.Set(i % 5 == 0 ? "Žďár nad Sázavou" : "");
        r.AlertType0 = i % 4 == 0 ? 1 : 0;
        r.AlertMinutes0 = r.AlertType0 != 0 ? 15 : 0;
        r.SetJSON();
        r.CalcEventLength();
        records.NoteIDChanged(pos);
        queue(raftRecord, r.ID, pos, r.Deleted);
    }

    // Tags and the records' assignments.
    TNPIMTags& tags = pim.Tags;
    for (int32_t k = 0; k < shape.tags; ++k) {
        tags.Resize(tags.Count + 1);
        int32_t pos = tags.Count - 1;
        TNPIMTag& t = *tags.Items[pos];
        bool pending = Between(state, 1, 100) <= shape.pendingPercent;
        t.ID = pending ? tags.GetNextID() : kFirstTagID + static_cast<uint32_t>(k);
        tags.NoteIDChanged(pos);
        t.PleaseSync = pending;
        t.Created = 1690000000u + static_cast<uint32_t>(k);
        t.Changed = 1700000000u + static_cast<uint32_t>(Between(state, 0, 9000000));
        t.Deleted = Between(state, 1, 100) <= shape.deletedPercent ? 1 : 0;
        t.OrganizerID = kFirstOrganizerID + static_cast<uint32_t>(k % std::max(shape.organizers, 1));
        t.Title.Set(CzechText(state, Between(state, 4, 24)));
        queue(raftTag, t.ID, pos, t.Deleted);
    }
    TNPIMTagsAssign& assigns = pim.TagsAssign;
    for (int32_t k = 0; k < shape.tagAssignments && records.Count > 0 && tags.Count > 0; ++k) {
        assigns.Resize(assigns.Count + 1);
        int32_t pos = assigns.Count - 1;
        TNPIMTagsAssignItem& a = *assigns.Items[pos];
        const TNPIMRecord& record = *records.Items[Between(state, 0, records.Count - 1)];
        bool pending = Between(state, 1, 100) <= shape.pendingPercent;
        a.ID = pending ? assigns.GetNextID() : kFirstTagAssignID + static_cast<uint32_t>(k);
        assigns.NoteIDChanged(pos);
        a.PleaseSync = pending;
        a.Created = 1700000000u + static_cast<uint32_t>(k);
        a.Changed = 1700000000u + static_cast<uint32_t>(Between(state, 0, 9000000));
        a.Deleted = Between(state, 1, 100) <= shape.deletedPercent ? 1 : 0;
        a.OrganizerID = record.OrganizerID;
        a.RecordID = record.ID;
        a.TagID = tags.Items[Between(state, 0, tags.Count - 1)]->ID;
        queue(raftTagsAssign, a.ID, pos, a.Deleted);
    }
    assigns.RebuildRecordMap();

    // A last-request time per organizer of records.
    for (int32_t k = 0; k < shape.organizers; ++k) {
        pim.LastRequests.SetItem(raftRecord, kFirstOrganizerID + static_cast<uint32_t>(k),
                                 1709000000u + static_cast<uint32_t>(k));
    }
}

AccountWorkspace::AccountWorkspace() : clock_(kNow)
{
    setenv("TZ", "Europe/Prague", 1);
    if (!GlobalsConstructed()) {
        ConstructGlobals();
    }
    Dirs.UserDir.Set(folder_.Path().c_str());

    TNString login("tester");
    TNString name("tester");
    Uzivatele.AktivniUzivatel = Uzivatele.AddOrUpdate(&login, &name, 77, 0, nullptr);

    static int32_t slot = raf.AddFile();
    fid_ = slot;
    savedFid_ = App.raFileAllPIM;
    App.raFileAllPIM = fid_;
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid_)];
    raf.closeFile(fid_, false);
    file.raFile = folder_.Path() + "pim-" + App.WebDomain[0] + ".dld";
    file.raIndexFile.clear();
    file.raHeader = App.PimFileId;
    file.raVersion = 1;
    raf.openFile(fid_);
    file.resize_toSave(0);
    FreshSet();
}

TNPIM& AccountWorkspace::FreshSet()
{
    PIM.Clear(DestroyPIM);
    pim_ = new TNPIM(0);
    PIM.Append(pim_);
    pim_->UserID = 77;
    return *pim_;
}

AccountWorkspace::~AccountWorkspace()
{
    PIM.Clear(DestroyPIM);
    raf.closeFile(fid_, true);
    App.raFileAllPIM = savedFid_;
    Uzivatele.AktivniUzivatel = -1;
}

} // namespace model_test
