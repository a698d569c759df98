// The header's bell: counting new contact requests and notifications, their
// texts, the bell menu and what its items do.

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "mainwindow/main_window.h"
#include "mainwindow/page_services.h"
#include "model/contacts.h"
#include "model/contacts_requests.h"
#include "model/model_lock.h"
#include "model/notifications.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/records.h"
#include "online/busy_flag.h"
#include "online/global.h"
#include "online/object_data.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/menu.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/hooks.h"
#include "view/view.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr int32_t kNotificationRecordShared = 10;
constexpr int32_t kNotificationRecordChanged = 11;
constexpr int32_t kNotificationInvitation = 12;
// A notification e-mailed this long ago no longer counts as new.
constexpr int64_t kEmailedStaleAfter = 1800;
// More items than this on one server show the hourglass while the menu fills.
constexpr int32_t kItemsBeforeHourglass = 7;
constexpr const char* kMarkAllName = "pmnuHeaderBell_MarkAllNotificationsAsRead";
constexpr const char* kNotificationPrefix = "pmnuHeaderBell_NotificationId";
// How often a bell action waiting for the data tries again.
constexpr uint32_t kBellRetryMs = 100;

std::string Text(const TNString& text)
{
    return std::string(text.View());
}

// Menu captions take "&" as an accelerator mark.
std::string DoubleAmpersands(const std::string& text)
{
    std::string doubled;
    doubled.reserve(text.size());
    for (char ch : text) {
        doubled += ch;
        if (ch == '&')
            doubled += '&';
    }
    return doubled;
}

bool IsOpenRequest(const TNPIMContactsRequest& request)
{
    return request.Deleted == 0 && request.AcceptanceType == 0;
}

// Unread and not deleted, and not mailed to the user long ago.
bool IsNewNotification(const TNPIMNotification& n, int64_t now)
{
    return n.Deleted == 0 && n.Read == 0 && (n.Emailed == 0 || now - n.Emailed < kEmailedStaleAfter);
}

// The bell's details are all there: the sender's name, and for an
// invitation the organizer's.
bool HasDetails(const TNPIMNotification& n)
{
    return !n.FullName.IsEmpty() && (n.Type != kNotificationInvitation || !n.OrganizerName.IsEmpty());
}

// The sender's name from the contact's four name parts: the first, then each
// further non-empty one after a blank, trimmed.
void ComposeSenderName(TNPIMNotification& n, const TNPIMContact& contact)
{
    TNString name(contact.FirstName.View());
    for (const TNString* part : {&contact.MiddleName, &contact.LastName, &contact.SecondLastName}) {
        if (part->IsEmpty())
            continue;
        name.Append(" ");
        name.Append(std::string(part->View()).c_str());
    }
    name.Trim();
    n.FullName = name;
}

// The record's type word and title, or the words for a missing record.
void RecordWords(TNPIMRecord* record, std::string* typeWord, std::string* title)
{
    if (record == nullptr) {
        *typeWord = "...";
        *title = "Neznámý záznam";
        return;
    }
    std::unique_ptr<TNString> word = record->GetRecordTypeText();
    *typeWord = word != nullptr ? Text(*word) : "";
    record->HasShortTitle(true);
    *title = Text(record->ShortTitle);
}

// The server position of a menu item: its name's last character, a digit.
int32_t ServerPositionOfItem(const std::string& name)
{
    if (name.empty() || name.back() < '0' || name.back() > '9')
        return -1;
    const int32_t position = name.back() - '0';
    return position < App.PimServersCount ? position : -1;
}

// What a notification item opens once its notification is marked read.
struct NotificationClick {
    uint32_t invitationOf = 0;
    uint32_t recordToOpen = 0;
};

// Under the model lock: every new notification the bell counts is read.
void MarkNewNotificationsRead()
{
    const int64_t now = TNLocalClock::Now();
    for (int32_t position = 0; position < App.PimServersCount; ++position) {
        TNPIM* pim = PIM[position];
        if (pim == nullptr)
            continue;
        pim->pleaseMarkAllNotificationsAsRead = true;
        for (int32_t i = 0; i < pim->Notifications.Count; ++i) {
            TNPIMNotification* n = pim->Notifications.Items[i];
            if (n == nullptr || !IsNewNotification(*n, now) || !HasDetails(*n))
                continue;
            n->Read = static_cast<int32_t>(now);
            n->PleaseSave = true;
            pim->Notifications.QueueItem(i);
        }
    }
}

// Under the model lock: the notification's record or invitation is read,
// and what the click opens is noted.
void MarkNotificationRead(int32_t position, uint32_t id, uint32_t tagRecord, NotificationClick& click)
{
    TNPIM* pim = PIM[position];
    if (pim == nullptr)
        return;
    if (const TNPIMNotification* n = pim->Notifications.GetItemByID(id)) {
        const int32_t type = n->Type;
        if (type == kNotificationRecordShared || type == kNotificationRecordChanged) {
            pim->Notifications.MarkAsReadByObjectId(TNPIMNotifications::otRecordId, n->Settings_RecordID, 0);
        } else if (type == kNotificationInvitation) {
            click.invitationOf = n->Settings_OrganizerID;
            pim->Notifications.MarkAsReadByObjectId(TNPIMNotifications::otOrganizerId, click.invitationOf,
                                                    kNotificationInvitation);
        } else {
            LogTextInt("[TfrmMainDLMR1::btnBellNotificationClick][ERROR][DEFAULT] notification->Type = ", type);
        }
    }
    if (tagRecord != 0 && pim->Records != nullptr && pim->Records->GetRecordByID(tagRecord) != nullptr)
        click.recordToOpen = tagRecord;
}

} // namespace

void TfrmMainDLMR1::UpdateHeader()
{
    LogText("[TfrmMainDLMR1::UpdateHeader][BEGIN]");
    UpdateHeaderBell();
    LogText("[TfrmMainDLMR1::UpdateHeader][END]");
}

int32_t TfrmMainDLMR1::UpdateHeaderBell()
{
    TNBusyFlagTakeOf<uint8_t> busy(bellRefreshBusy);
    if (!busy.Taken() || c.SyncJobRunning != 0)
        return -1;
    return Guarded("[TfrmMainDLMR1::UpdateHeaderBell]", -1, [&] {
        LogText("[TfrmMainDLMR1::UpdateHeaderBell][BEGIN]");
        // 1. The counts start from nothing.
        headerContactRequestsCount = 0;
        headerNotificationsCount = 0;
        TNPIM* pim = PIM[0];
        // The main thread never waits for the data: a load or a save holds
        // them for up to seconds. The next refresh (after the load, or the
        // clock's) counts again.
        std::optional<TNModelWriteGuard> model;
        if (pim != nullptr && !model.emplace(std::try_to_lock).Held()) {
            LogText("[TfrmMainDLMR1::UpdateHeaderBell][RETURN] the data are busy");
            return -1;
        }
        if (pim != nullptr) {
            // 2. Contact requests.
            for (int32_t i = 0; i < pim->ContactsRequests.Count; ++i) {
                TNPIMContactsRequest* request = pim->ContactsRequests.Items[i];
                if (request == nullptr || !IsOpenRequest(*request))
                    continue;
                if (request->FullName.IsEmpty())
                    g.AddObjectData(TNObjectDataList::kContactRequest, request->ID, 0);
                else if (request->ProfilePicture == 0 || request->ProfilePictureState == 2)
                    ++headerContactRequestsCount;
            }
            // 3. Notifications.
            const int64_t now = TNLocalClock::Now();
            for (int32_t i = 0; i < pim->Notifications.Count; ++i) {
                TNPIMNotification* n = pim->Notifications.Items[i];
                if (n == nullptr || !IsNewNotification(*n, now))
                    continue;
                if (n->FullName.IsEmpty()) {
                    if (const TNPIMContact* sender = pim->Contacts.GetItemByContactUserID(n->Settings_SenderUserID))
                        ComposeSenderName(*n, *sender);
                }
                if (!HasDetails(*n)) {
                    g.AddObjectData(TNObjectDataList::kNotification, n->ID, 0);
                    continue;
                }
                const std::string text = GetNotificationText(n, 0);
                if (text.empty()) {
                    LogTextUInt("[TfrmMainDLMR1::UpdateHeaderBell][EMPTY] ntext = ", n->ID);
                    pim->Notifications.DeleteItem(n->ID);
                } else {
                    ++headerNotificationsCount;
                }
            }
        }
        // 4. The bell and the tray icon follow a changed count.
        const int32_t count = headerContactRequestsCount + headerNotificationsCount;
        if (TNViewItem* bell = View.GetComponent("btnHeaderBell")) {
            if (bell->Value != count) {
                bell->Value = count;
                bell->SetIcon(count == 0 ? "imgBell24" : "imgBellWithRedDot24", true);
                SetTrayIcon(count == 0 ? App.TrayIconNormal : App.TrayIconUnread);
            }
            View.ResizeButton(bell, -1, -1, -1, -1, true);
        }
        // 5. The count of what is new.
        LogTextInt("[TfrmMainDLMR1::UpdateHeaderBell][END] real_count = ", count);
        return count;
    });
}

std::string TfrmMainDLMR1::GetContactsRequestText(const TNPIMContactsRequest* request)
{
    return Guarded("[TfrmMainDLMR1::GetContactsRequestText]", std::string(), [&] {
        if (request == nullptr) {
            LogText("[TfrmMainDLMR1::GetContactsRequestText] [NULL]");
            return std::string();
        }
        return DoubleAmpersands("Uživatel '" + Text(request->FullName) + "' Vás žádá o přidání do kontaktů");
    });
}

std::string TfrmMainDLMR1::GetNotificationText(TNPIMNotification* n, int32_t pimSrvPos)
{
    return Guarded("[TfrmMainDLMR1::GetNotificationText]", std::string(), [&] {
        TNPIM* pim = PIM[pimSrvPos];
        if (n == nullptr || pim == nullptr)
            return std::string();
        TNModelWriteGuard model;
        TNPIMContact* contact = pim->Contacts.GetItemByContactUserID(n->Settings_SenderUserID);
        TNPIMRecord* record = pim->Records != nullptr ? pim->Records->GetRecordByID(n->Settings_RecordID) : nullptr;
        const std::string recordId = std::to_string(n->Settings_RecordID);
        std::string text;
        switch (n->Type) {
        case kNotificationRecordShared: {
            std::string typeWord;
            std::string title;
            RecordWords(record, &typeWord, &title);
            text = (contact != nullptr ? Text(contact->GetFullName()) : std::string("Neznámý kontakt")) +
                   " s Vámi sdílí " + typeWord + " " + title;
            if (record == nullptr)
                text += " [Záznam již nejspíš neexistuje]";
            if (record == nullptr || contact == nullptr)
                text += " [GetNotificationText][n->Type=10] n->Settings_RecordID = " + recordId;
            if (record == nullptr && contact == nullptr) {
                LogWrite("[TfrmMainDLMR1::GetNotificationText][ERROR][NULL] Notifications.MarkAsReadByObjectId; "
                         "record == NULL && contact == NULL; n->Settings_RecordID = ",
                         recordId.c_str(), false);
                pim->Notifications.MarkAsReadByObjectId(TNPIMNotifications::otRecordId, n->Settings_RecordID, 0);
            }
            break;
        }
        case kNotificationRecordChanged: {
            if (record == nullptr || !record->HasShortTitle(true))
                break;
            std::string typeWord;
            std::string title;
            RecordWords(record, &typeWord, &title);
            if (contact != nullptr)
                text = "Uživatel " + Text(contact->GetFullName()) + " změnil " + typeWord + " \"" + title + "\"";
            else
                text = "Záznam (" + typeWord + ") \"" + title + "\" byl změněn";
            const long changedFields = std::strtol(std::string(n->Settings_Data.View()).c_str(), nullptr, 10);
            if (changedFields > 1)
                text += " [" + std::to_string(changedFields) + "]";
            break;
        }
        case kNotificationInvitation: {
            // An invitation from someone who is not a contact keeps the
            // sender's name the service gave; an empty text would delete it.
            std::string sender = contact != nullptr ? Text(contact->GetFullName()) : std::string();
            if (sender.empty())
                sender = n->FullName.IsEmpty() ? std::string("Neznámý kontakt") : Text(n->FullName);
            text = "Uživatel " + sender + " Vás zve k odběru kalendáře \"" + Text(n->OrganizerName) + "\"";
            break;
        }
        default:
            text = "[GetNotificationText][DEFAULT] n->Type = " + std::to_string(n->Type);
            break;
        }
        return DoubleAmpersands(text);
    });
}

void TfrmMainDLMR1::btnHeaderBellMouseDown(plat::TComponent* sender, plat::TMouseButton button, int32_t x, int32_t y)
{
    Guarded("[TfrmMainDLMR1::btnHeaderBellMouseDown]", [&] {
        UpdateHeaderBell();
        // The menu lists the data: while a load or a save holds them the
        // click is skipped, as a refresh is. The lock is kept only while the
        // menu fills, never while it is open.
        std::optional<TNModelWriteGuard> model;
        if (!model.emplace(std::try_to_lock).Held()) {
            LogText("[TfrmMainDLMR1::btnHeaderBellMouseDown][RETURN] the data are busy");
            return;
        }
        PopUpHeaderMenu(sender, button, x, y, hmBell, "popupHeaderBell", true, [this, &model](plat::TPopupMenu& menu) {
            FillBellMenu(menu);
            model.reset();
        });
    });
}

void TfrmMainDLMR1::FillBellMenu(plat::TPopupMenu& menu)
{
    plat::TMenuItem* root = menu.Items();
    auto addItem = [&](const std::string& name, const std::string& caption, int64_t tag,
                       void (TfrmMainDLMR1::*click)(plat::TComponent*)) {
        auto* item = new plat::TMenuItem(&menu);
        item->SetName(name);
        item->SetCaption(caption);
        item->SetTag(tag);
        if (click != nullptr)
            item->OnClick = [this, click](plat::TComponent* sender) { (this->*click)(sender); };
        root->Add(item);
    };
    auto itemName = [](const char* format, uint32_t id, int32_t position) {
        char name[96];
        std::snprintf(name, sizeof name, format, id, position);
        return std::string(name);
    };
    bool anyAdded = false;
    for (int32_t position = 0; position < App.PimServersCount; ++position) {
        TNPIM* pim = PIM[position];
        if (pim == nullptr)
            continue;
        TNModelWriteGuard model;
        const bool hourglass =
            pim->ContactsRequests.Count > kItemsBeforeHourglass || pim->Notifications.Count > kItemsBeforeHourglass;
        if (hourglass)
            plat::Screen::SetCursor(plat::crHourGlass);
        // 1. Open contact requests.
        for (int32_t i = 0; i < pim->ContactsRequests.Count; ++i) {
            const TNPIMContactsRequest* request = pim->ContactsRequests.Items[i];
            if (request == nullptr || !IsOpenRequest(*request) || request->FullName.IsEmpty())
                continue;
            addItem(itemName("pmnuHeaderBell_ContactsRequestId%u_%d", request->ID, position),
                    GetContactsRequestText(request), request->ID, &TfrmMainDLMR1::btnContactRequestClick);
            anyAdded = true;
        }
        // 2. Mark all as read.
        if (headerNotificationsCount > 0) {
            const int32_t n = headerNotificationsCount;
            addItem(kMarkAllName,
                    "Označit vše následující jako přečtené (" + std::to_string(n) +
                        (n >= 1 && n <= 4 ? " notifikace" : " notifikací") + "):",
                    position, &TfrmMainDLMR1::btnBellNotificationClick);
            anyAdded = true;
        }
        // 3. Unread notifications.
        for (int32_t i = 0; i < pim->Notifications.Count; ++i) {
            TNPIMNotification* n = pim->Notifications.Items[i];
            if (n == nullptr || n->Deleted != 0 || n->Read != 0)
                continue;
            const std::string text = GetNotificationText(n, position);
            if (text.empty())
                continue;
            addItem(itemName("pmnuHeaderBell_NotificationId%u_%d", n->ID, position), text, n->Settings_RecordID,
                    &TfrmMainDLMR1::btnBellNotificationClick);
            anyAdded = true;
        }
        // 4. Nothing new: one item says so.
        if (!anyAdded)
            addItem("pmnuHeaderBell_BasicProfileSettings", "Nemáte žádná nová upozornění", 0, nullptr);
        // 5. Read notifications under a separator.
        bool spacerAdded = false;
        for (int32_t i = 0; i < pim->Notifications.Count; ++i) {
            TNPIMNotification* n = pim->Notifications.Items[i];
            if (n == nullptr || n->Deleted != 0 || n->Read == 0)
                continue;
            const std::string text = GetNotificationText(n, position);
            if (text.empty()) {
                pim->Notifications.DeleteItem(n->ID);
                continue;
            }
            if (!spacerAdded) {
                addItem("pmnuHeaderBell_AlreadyReadNotificationsSpacer", "-", 0, nullptr);
                spacerAdded = true;
            }
            addItem(itemName("pmnuHeaderBell_NotificationId%u_%d", n->ID, position), text, n->Settings_RecordID,
                    &TfrmMainDLMR1::btnBellNotificationClick);
        }
        if (hourglass)
            plat::Screen::SetCursor(plat::crDefault);
    }
}

void TfrmMainDLMR1::btnContactRequestClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::btnContactRequestClick]", [&] {
        btnESCClick();
        const std::string name = sender != nullptr ? sender->Name() : "";
        const int32_t position = ServerPositionOfItem(name);
        if (position < 0) {
            LogTextInt("[TfrmMainDLMR1::btnContactRequestClick][ERROR] pim_srv_pos = ",
                       name.empty() ? -1 : name.back() - '0');
            LogWrite("[TfrmMainDLMR1::btnContactRequestClick][ERROR] (TMenuItem *)Sender)->Name = ", name.c_str(),
                     false);
            return;
        }
        UniDialog("ContactRequest", nullptr, 0, 0, 0, 0, 0, position, 0, static_cast<int32_t>(sender->Tag()));
        UpdateHeader();
    });
}

void TfrmMainDLMR1::btnBellNotificationClick(plat::TComponent* sender)
{
    Guarded("[TfrmMainDLMR1::btnBellNotificationClick]", [&] {
        btnESCClick();
        const std::string name = sender != nullptr ? sender->Name() : "";
        auto finish = [this] {
            UpdateHeader();
            g.NewSyncWanted = 1;
            RunOnlineNow();
        };
        if (name == kMarkAllName) {
            if (plat::MessageBox("Opravdu si přejete označit všechny notifikace jako přečtené?",
                                 "Označit vše jako přečtené", plat::MB_YESNO | plat::MB_ICONQUESTION) == plat::IDYES)
                RunBellActionWhenFree(MarkNewNotificationsRead, finish);
            else
                finish();
            return;
        }
        const int32_t position = ServerPositionOfItem(name);
        if (position < 0 || PIM[position] == nullptr || name.rfind(kNotificationPrefix, 0) != 0) {
            LogTextInt("[TfrmMainDLMR1::btnBellNotificationClick][ERROR] pim_srv_pos = ", position);
            LogWrite("[TfrmMainDLMR1::btnBellNotificationClick][ERROR] (TMenuItem *)Sender)->Name = ", name.c_str(),
                     false);
            return;
        }
        const std::string digits = name.substr(std::strlen(kNotificationPrefix));
        const auto id = static_cast<uint32_t>(std::strtoul(digits.substr(0, digits.find('_')).c_str(), nullptr, 10));
        const auto tagRecord = static_cast<uint32_t>(sender->Tag());
        auto click = std::make_shared<NotificationClick>();
        RunBellActionWhenFree(
            [position, id, tagRecord, click] { MarkNotificationRead(position, id, tagRecord, *click); },
            [this, click, finish] {
                if (click->invitationOf != 0 && !pages_->Pages_ShowCalendarOrPage(click->invitationOf))
                    pages_->OpenOrganizerWeb(click->invitationOf);
                if (click->recordToOpen != 0)
                    ViewMain::OpenSideboard(click->recordToOpen, 0);
                finish();
            });
    });
}

void TfrmMainDLMR1::RunBellActionWhenFree(std::function<void()> underLock, std::function<void()> after)
{
    bellActionsWaiting.push_back({std::move(underLock), std::move(after)});
    RunWaitingBellActions();
}

void TfrmMainDLMR1::RunWaitingBellActions()
{
    Guarded("[TfrmMainDLMR1::RunWaitingBellActions]", [&] {
        std::vector<BellAction> ready;
        {
            TNModelWriteGuard model(std::try_to_lock);
            if (model.Held()) {
                ready.swap(bellActionsWaiting);
                for (BellAction& action : ready)
                    action.underLock();
            }
        }
        for (BellAction& action : ready)
            action.after();
        if (bellActionsWaiting.empty()) {
            if (timerBellActions != nullptr)
                timerBellActions->SetEnabled(false);
            return;
        }
        LogText("[TfrmMainDLMR1::RunWaitingBellActions] the data are busy; tried again later");
        if (timerBellActions == nullptr) {
            timerBellActions = new plat::TTimer(this);
            timerBellActions->SetInterval(kBellRetryMs);
            timerBellActions->OnTimer = [this](plat::TComponent*) { RunWaitingBellActions(); };
        }
        timerBellActions->SetEnabled(true);
    });
}
