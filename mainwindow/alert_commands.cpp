// What an alert window shows and what its commands do: filling the labels,
// postpone (label and menu), acknowledge and open.

#include "mainwindow/main_window.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/record_file_set.h"
#include "foundation/setup.h"
#include "foundation/time.h"
#include "foundation/users.h"
#include "mainwindow/not_window.h"
#include "mainwindow/page_services.h"
#include "model/alerts.h"
#include "model/event_types.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/global.h"
#include "online/login.h"
#include "platform/core/clock.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"

#include <cstdio>
#include <string>

namespace {

constexpr size_t kLongestShownText = 80;
constexpr int32_t kDispatcherPolls = 10000;
constexpr int64_t kDispatcherPollMs = 25;
constexpr uint16_t kNoTime = 99;

template <class... Args> std::string Format(const char* format, Args... args)
{
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// The record whose date a repeated record's years count from: the series'
// first record, or the master of a yearly copy.
const TNPIMRecord& SeriesFirst(const TNPIMRecords& records, const TNPIMRecord& record)
{
    if (record.Virtual && record.MasterPos >= 0 && record.MasterPos < records.Count &&
        records.Items[record.MasterPos] != nullptr)
        return *records.Items[record.MasterPos];
    if (record.RecurrenceMasterID != 0) {
        if (const TNPIMRecord* first = records.GetRecordByID(record.RecurrenceMasterID))
            return *first;
    }
    return record;
}

std::string AnniversaryText(const TNPIMRecords& records, const TNPIMRecord& record, const char* suffixFormat)
{
    TNTime now;
    now.SetNow();
    const int year = SeriesFirst(records, record).Begin.Rok;
    const int years = now.Rok - year;
    const std::string suffix = years >= 1 ? Format(suffixFormat, years) : std::string();
    return Format("[%04d] %s", year, suffix.c_str());
}

std::string TimeLabelText(const TNPIMRecords& records, const TNPIMRecord& record)
{
    switch (record.Type) {
    case 7:
        return AnniversaryText(records, record, " (%d. výročí)");
    case 8:
        return AnniversaryText(records, record, " (%d. narozeniny)");
    case 9:
        return "";
    default:
        break;
    }
    if (!record.HasBegin)
        return "";
    const TNTime& begin = record.Begin;
    if (record.HasEnd && record.End.Hodina != kNoTime)
        return Format("%02d:%02d - %02d:%02d", begin.Hodina, begin.Minuta, record.End.Hodina, record.End.Minuta);
    if (begin.Hodina == kNoTime)
        return Format("%d. %d. %04d", begin.Den, begin.Mesic, begin.Rok);
    return Format("%02d:%02d", begin.Hodina, begin.Minuta);
}

std::string PostponeCaption(int32_t minutes)
{
    const char* unit = minutes == 1 ? " minutu" : (minutes >= 2 && minutes <= 4 ? " minuty" : " minut");
    return "Připomenout za " + std::to_string(minutes) + unit;
}

void StartJobThread(const TNPostponeJob& job)
{
    auto* thread = new TLogin();
    thread->Tag = 8;
    thread->pim_srv_pos = job.Position;
    thread->AlertID = job.AlertID;
    thread->AlertUserID = job.AlertUserID;
    thread->AlertType = job.AlertType;
    thread->OrganizerID = job.OrganizerID;
    thread->RecordID = job.RecordID;
    thread->Value = job.Minutes;
    if (!thread->Resume()) {
        delete thread;
        LogText("[nPostponeClick][ERROR] no thread for the postpone job");
    }
}

} // namespace

void TfrmMainDLMR1::WaitWhileUiDispatcherBusy()
{
    for (int32_t poll = 0; poll < kDispatcherPolls && g.updatingUiTagsNow != 0; ++poll)
        plat::SleepMilliseconds(kDispatcherPollMs);
}

void TfrmMainDLMR1::AlertToNot(int32_t slot, uint32_t alertId)
{
    Guarded("[TfrmMainDLMR1::AlertToNot]", [&] {
        TfrmNotDLMR1* window = slot >= 0 && slot < kNotSlots ? notSlots[slot].Window : nullptr;
        if (window == nullptr || window->lblTime == nullptr)
            return;
        // 1. The texts until the alert is found.
        std::string text = "CHYBA: Popisek upozornění nenalezen!";
        std::string time = "--:--";
        WaitWhileUiDispatcherBusy();

        // 2. to 4. The alert's text and time, read under the model lock.
        {
            TNModelReadGuard lock;
            TNPIM* pim = PIM.Has(0) ? PIM[0] : nullptr;
            const int32_t alertPos = pim != nullptr ? pim->Alerts.GetAlertPosByID(alertId) : -1;
            const TNPIMRecord* record = nullptr;
            if (alertPos >= 0 && pim->Records)
                record = pim->Records->GetRecordByID(pim->Alerts.Items[alertPos]->RecordID);
            if (record != nullptr) {
                TNString typeName;
                text.clear();
                if (pim->EventTypes.ShowEventTypeBeforeText(static_cast<uint32_t>(record->EventType), typeName))
                    text = Format("%s: ", std::string(typeName.View()).c_str());
                text += record->Text.View();
                time = TimeLabelText(*pim->Records, *record);
            }
        }
        window->lblTime->SetCaption(time);

        // 5. Record texts are user data: plain text, as every label draws.
        if (text.size() > kLongestShownText) {
            window->lblText->SetCaption(text.substr(0, kLongestShownText) + "...");
            window->lblText->SetHint(text);
            window->lblText->SetShowHint(true);
        } else {
            window->lblText->SetCaption(text);
            window->lblText->SetHint("");
            window->lblText->SetShowHint(false);
        }

        // 6. The minutes label follows the time.
        window->lblMinutes->SetCaption("");
        window->lblMinutes->SetLeft(window->lblTime->Left() + window->lblTime->Width() + 4);

        // 7. The postpone button with the default minutes.
        const int32_t minutes = Setup.GetInt("Settings_DefaultNotificationPostponeMinutes");
        notPostponeMinutes = minutes > 0 ? minutes : 9;
        window->lblPostpone->SetCaption(PostponeCaption(notPostponeMinutes));
    });
}

void TfrmMainDLMR1::nPostponeClick(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::nPostponeClick]", [&] {
        if (slot < 0 || slot >= kNotSlots)
            return;
        const int64_t alertId = notSlots[slot].AlertID;
        // Also the normal tray icon, and no blink or ring for any window.
        CloseNotWindow(slot);
        if (alertId < 0)
            return;

        TNPostponeJob job;
        bool found = false;
        {
            TNModelWriteGuard lock;
            for (int32_t position = 0; position < PIM.Count() && !found; ++position) {
                TNPIM* pim = PIM[position];
                const int32_t pos = pim != nullptr ? pim->Alerts.GetAlertPosByID(static_cast<uint32_t>(alertId)) : -1;
                if (pos < 0)
                    continue;
                found = true;
                TNPIMAlert& alert = *pim->Alerts.Items[pos];
                alert.DeletePending = false;
                alert.AlertTimestamp = static_cast<uint32_t>(plat::UnixSeconds() + notPostponeMinutes * 60);
                pim->Alerts.QueueForSave(pos);
                job = {
                    position,          alert.ID,          alert.UserID != 0 ? alert.UserID : Uzivatele.ActiveUserID(),
                    alert.Type,        alert.OrganizerID, alert.RecordID,
                    notPostponeMinutes};
                if (job.AlertUserID == 0) {
                    LogText("[nPostponeClick][FALLBACK]");
                    alert.Deleted = TNPIMAlert::kDeletedByUser;
                    alert.DeletePending = true;
                    pim->Alerts.QueueForSave(pos);
                }
            }
        }
        if (found) {
            // The display shows an alert once in a row; the postponed one is
            // to ring again when it falls due.
            uint32_t shown = job.AlertID;
            g.AlertDisplay.LastShownAlertID.compare_exchange_strong(shown, 0);
            if (StartPostponeJob)
                StartPostponeJob(job);
            else
                StartJobThread(job);
        }
        g.FastSync("TfrmMainDLMR1::nPostponeClick");
    });
}

void TfrmMainDLMR1::pmnuPostponeAlertClick(const plat::TMenuItem& item)
{
    Guarded("[TfrmMainDLMR1::pmnuPostponeAlertClick]", [&] {
        notPostponeMinutes = static_cast<int32_t>(item.Tag());
        const auto slot = static_cast<int32_t>(popupPostponeAlert->Tag());
        popupPostponeAlert->SetTag(-1);
        nPostponeClick(slot);
    });
}

void TfrmMainDLMR1::nRemindMenuMouseDown(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::nRemindMenuMouseDown]", [&] {
        TfrmNotDLMR1* window = slot >= 0 && slot < kNotSlots ? notSlots[slot].Window : nullptr;
        if (window == nullptr || window->lblPostponeArrow == nullptr)
            return;
        popupPostponeAlert->SetTag(slot);
        const plat::TLabel& arrow = *window->lblPostponeArrow;
        const plat::TPoint corner = arrow.ClientToScreen(plat::TPoint{arrow.Width(), arrow.Height()});
        popupPostponeAlert->Popup(corner.x, corner.y);
    });
}

void TfrmMainDLMR1::nAcceptClick(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::nAcceptClick]", [&] {
        if (slot < 0 || slot >= kNotSlots)
            return;
        const int64_t alertId = notSlots[slot].AlertID;
        // Also the normal tray icon, and no blink or ring for any window.
        CloseNotWindow(slot);
        if (alertId >= 0) {
            TNModelWriteGuard lock;
            TNPIM* pim = PIM.Has(0) ? PIM[0] : nullptr;
            const int32_t pos = pim != nullptr ? pim->Alerts.GetAlertPosByID(static_cast<uint32_t>(alertId)) : -1;
            if (pos >= 0) {
                pim->Alerts.Items[pos]->Deleted = TNPIMAlert::kDeletedByUser;
                pim->Alerts.Items[pos]->DeletePending = true;
                pim->Alerts.QueueForSave(pos);
            }
        }
        g.FastSync("TfrmMainDLMR1::nAcceptClick");
    });
}

void TfrmMainDLMR1::nOpenClick(int32_t slot)
{
    Guarded("[TfrmMainDLMR1::nOpenClick]", [&] {
        if (slot < 0 || slot >= kNotSlots)
            return;
        const int64_t alertId = notSlots[slot].AlertID;
        nAcceptClick(slot);
        RestoreApplication();
        TNPIMRecord* record = nullptr;
        if (alertId >= 0) {
            TNModelReadGuard lock;
            TNPIM* pim = PIM.Has(0) ? PIM[0] : nullptr;
            const int32_t pos = pim != nullptr ? pim->Alerts.GetAlertPosByID(static_cast<uint32_t>(alertId)) : -1;
            if (pos >= 0 && pim->Records)
                record = pim->Records->GetRecordByID(pim->Alerts.Items[pos]->RecordID);
        }
        if (record != nullptr)
            pages_->EditRecord(record);
        else
            plat::MessageBox("Došlo k nějaké chybě a záznam nemůže být zobrazen.", "Jejda!", plat::MB_ICONWARNING);
    });
}
