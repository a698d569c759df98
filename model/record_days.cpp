// The record's side of the per-day index: filing it under its days and
// taking it out again.

#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/all_day.h"
#include "model/model_lock.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "model/record.h"

namespace {

// PIM[0]'s index serves every data set; a set outside PIM (tests, a set
// being made) files into its own.
TNPIM* DayIndexOwner(TNPIM* fallback)
{
    TNPIM* first = PIM[0];
    return first != nullptr ? first : fallback;
}

// Takes every record of the id out of the listed days.
void RemoveIDFromDays(TNPIM& owner, uint32_t id, const TNDayList& days)
{
    for (int32_t i = 0; i < days.Count; ++i) {
        size_t k = static_cast<size_t>(i);
        TNPIMAllDay* entry = owner.AllDaysEx.Find(days.Years[k], days.Months[k], days.Days[k]);
        if (entry != nullptr && entry->DeleteRecordsWithID(id)) {
            entry->Update_lastChanged();
        }
    }
}

} // namespace

void TNPIMRecord::AddToAllDays()
{
    Guarded("[TNPIMRecord::AddToAllDays]", [&] {
        TNModelWriteGuard lock;
        TNPIM* owner = DayIndexOwner(ParentPIM);
        if (owner == nullptr) {
            return;
        }
        // 1.-2. Nothing for a record without a begin or of a hidden subscription.
        const TNPIMOrganizers* organizers = ParentPIM != nullptr ? &ParentPIM->Organizers : CurrentPIMOrganizers;
        const TNPIMOrganizer* organizer = Organizer;
        if (organizer == nullptr || organizer->ID != OrganizerID) {
            organizer = organizers != nullptr ? organizers->GetOrganizerByID(OrganizerID) : nullptr;
        }
        if ((organizer != nullptr && organizer->Subscribe == 5) || !HasBegin) {
            return;
        }
        // 3.-4. The days from the begin to the end.
        TNDayList days;
        bool oneDay = !HasEnd || (End.Rok == Begin.Rok && End.Mesic == Begin.Mesic && End.Den == Begin.Den);
        bool listed = oneDay ? TNCommon::ResizeDayList(1, &days)
                             : c.CollectDaysInRange(Begin.Rok, Begin.Mesic, Begin.Den, End.Rok, End.Mesic, End.Den,
                                                    &days, End.Hodina, End.Minuta);
        if (!listed) {
            LogWrite("[TNPIMRecord::AddToAllDays] ", "ERROR in c.ResizeAllDatesStruct", false);
            return;
        }
        if (oneDay) {
            days.Years[0] = static_cast<uint16_t>(Begin.Rok);
            days.Months[0] = static_cast<uint8_t>(Begin.Mesic);
            days.Days[0] = static_cast<uint8_t>(Begin.Den);
        }
        // 5.-6. Every day's newest change, so that each day box of a
        // multi-day record sees it.
        for (int32_t i = 0; i < days.Count; ++i) {
            size_t k = static_cast<size_t>(i);
            if (TNPIMAllDay* entry = owner->GetAllDaysItem(days.Years[k], days.Months[k], days.Days[k])) {
                int32_t before = entry->Count;
                int32_t pos = entry->AddRecord(this);
                if (pos >= 0 && entry->Count > before && Changed > entry->lastChanged) {
                    // A record added to a current entry can only raise it.
                    entry->lastChanged = Changed;
                } else if (entry->Count == before) {
                    entry->Update_lastChanged();
                }
            }
        }
        IndexedDays = std::move(days);
    });
}

void TNPIMRecord::DeleteRecordFromAllDays()
{
    Guarded("[TNPIMRecord::DeleteRecordFromAllDays]", [&] {
        TNModelWriteGuard lock;
        TNPIM* owner = DayIndexOwner(ParentPIM);
        if (owner == nullptr) {
            return;
        }
        // Every record of the id, in every set, is filed only under the days
        // its own list names: those days are all the walk of the whole
        // table would find it in.
        RemoveIDFromDays(*owner, ID, IndexedDays);
        auto fromSet = [&](TNPIM* pim) {
            if (pim == nullptr || pim->Records == nullptr) {
                return;
            }
            pim->Records->ForEachPosOfID(ID, [&](int32_t pos) {
                const TNPIMRecord* other = pim->Records->Items[pos];
                if (other != this) {
                    RemoveIDFromDays(*owner, ID, other->IndexedDays);
                }
            });
        };
        bool parentInPIM = false;
        for (int32_t i = 0; i < PIM.Count(); ++i) {
            fromSet(PIM[i]);
            parentInPIM = parentInPIM || PIM[i] == ParentPIM;
        }
        if (!parentInPIM) {
            fromSet(ParentPIM);
        }
    });
}

void TNPIMRecord::TakeOutOfDays()
{
    TNPIM* owner = DayIndexOwner(ParentPIM);
    if (owner == nullptr) {
        return;
    }
    for (int32_t i = 0; i < IndexedDays.Count; ++i) {
        size_t k = static_cast<size_t>(i);
        TNPIMAllDay* entry = owner->AllDaysEx.Find(IndexedDays.Years[k], IndexedDays.Months[k], IndexedDays.Days[k]);
        if (entry != nullptr && entry->DeleteRecordPointer(this)) {
            entry->Update_lastChanged();
        }
    }
}
