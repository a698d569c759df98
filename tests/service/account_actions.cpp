#include "tests/service/account_actions.h"

#include "tests/service/one_shot_routes.h"

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace test_service {

namespace {

uint32_t UnsignedField(const FormFields& fields, const char* key)
{
    return static_cast<uint32_t>(std::strtoul(FieldValue(fields, key).c_str(), nullptr, 10));
}

int64_t SignedField(const FormFields& fields, const char* key)
{
    return std::strtoll(FieldValue(fields, key).c_str(), nullptr, 10);
}

std::string Done()
{
    return "<handshake>1</handshake><success>1</success>";
}

// Answered but not done: the client shows the Response.
std::string NotDone(const std::string& response)
{
    return "<handshake>1</handshake><success>0</success>" + Element("Response", response);
}

std::string Refused(const std::string& response)
{
    return "<handshake>0</handshake>" + Element("Response", response);
}

// A record's begin as one comparable text: date, then time.
std::string BeginOf(const StoredItem& record)
{
    return record.Field("DateBegin") + " " + record.Field("TimeBegin");
}

} // namespace

AccountActions::AccountActions(AccountService& accounts, SyncService& sync, OneShotRoutes* oneShot)
    : accounts_(accounts), sync_(sync), oneShot_(oneShot)
{
    auto withUser = [this](const char* name, auto handler) {
        accounts_.RouteApi(name, [this, handler](const FormFields& fields, const Account* account) {
            if (account == nullptr)
                return Refused("Chyb\xED u\x9Eivatel.");
            return handler(fields, *account);
        });
    };
    withUser("save-basic-profile-settings",
             [this](const FormFields& fields, const Account& account) { return SaveBasicProfile(fields, account); });
    withUser("accept-contact-request", [this](const FormFields& fields, const Account& account) {
        return AnswerContactRequest(fields, account, 1);
    });
    withUser("ignore-contact-request", [this](const FormFields& fields, const Account& account) {
        return AnswerContactRequest(fields, account, 2);
    });
    withUser("mark-all-notifications-as-read",
             [this](const FormFields&, const Account& account) { return MarkNotificationsRead(account); });
    withUser("subscribe-organizer",
             [this](const FormFields& fields, const Account& account) { return Subscribe(fields, account); });
    withUser("postpone-alert",
             [this](const FormFields& fields, const Account& account) { return PostponeAlert(fields, account); });
    withUser("delete-recurring-record", [this](const FormFields& fields, const Account& account) {
        return DeleteRecurringRecord(fields, account);
    });
    withUser("change-password",
             [this](const FormFields& fields, const Account& account) { return ChangePassword(fields, account); });
    withUser("change-email",
             [this](const FormFields& fields, const Account& account) { return ChangeEmail(fields, account); });
    accounts_.RouteApi("send-stats", [this](const FormFields& fields, const Account*) { return SendStats(fields); });
}

void AccountActions::SetClock(std::function<int64_t()> clock)
{
    std::lock_guard<std::mutex> guard(mutex_);
    clock_ = std::move(clock);
}

int64_t AccountActions::Now() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return clock_ ? clock_() : static_cast<int64_t>(std::time(nullptr));
}

int AccountActions::StatsCount(const std::string& kind) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = stats_.find(kind);
    return found != stats_.end() ? found->second : 0;
}

std::string AccountActions::LastExtendedStats() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return lastExtendedStats_;
}

std::string AccountActions::SaveBasicProfile(const FormFields& fields, const Account& account)
{
    std::string first = FieldValue(fields, "FirstName");
    std::string last = FieldValue(fields, "LastName");
    accounts_.ChangeAccount(account.UserID, [&](Account& stored) {
        stored.FirstName = first;
        stored.LastName = last;
    });
    if (account.MainOrganizer != 0)
        sync_.Change(kOrganizers, account.MainOrganizer, {{"Title", first + " " + last}});
    return Done() +
           accounts_.AccountBlock(accounts_.AccountByID(account.UserID), UnsignedField(fields, "InstID"), false);
}

// The dialogs check that the answer names their installation.
static std::string EchoInstID(const FormFields& fields)
{
    return Element("inst-id", std::to_string(UnsignedField(fields, "InstID")));
}

std::string AccountActions::ChangePassword(const FormFields& fields, const Account& account)
{
    if (UnsignedField(fields, "userId") != account.UserID)
        return Refused("Nespr\xE1vn\xFD u\x9Eivatel.");
    if (FieldValue(fields, "currentPassword") != account.Password)
        return NotDone("St\xE1vaj\xED" "c\xED heslo nen\xED spr\xE1vn\xE9.") + EchoInstID(fields);
    const std::string first = FieldValue(fields, "newPassword1");
    if (first != FieldValue(fields, "newPassword2") || first.size() < 6 || first.size() > 128)
        return NotDone("Nov\xE1 hesla nejsou stejn\xE1.") + EchoInstID(fields);
    accounts_.ChangeAccount(account.UserID, [&](Account& stored) { stored.Password = first; });
    return Done() + EchoInstID(fields);
}

std::string AccountActions::ChangeEmail(const FormFields& fields, const Account& account)
{
    if (UnsignedField(fields, "userId") != account.UserID)
        return Refused("Nespr\xE1vn\xFD u\x9Eivatel.");
    if (FieldValue(fields, "password") != account.Password)
        return NotDone("Nespr\xE1vn\xE9 heslo.") + EchoInstID(fields);
    {
        std::lock_guard<std::mutex> guard(mutex_);
        pendingEmails_[account.UserID] = {static_cast<int>(SignedField(fields, "emailType")),
                                          FieldValue(fields, "newEmail")};
    }
    return Done() + EchoInstID(fields);
}

std::string AccountActions::PendingEmail(uint32_t userId, int* slot) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = pendingEmails_.find(userId);
    if (found == pendingEmails_.end())
        return "";
    if (slot != nullptr)
        *slot = found->second.Slot;
    return found->second.Email;
}

bool AccountActions::ConfirmPendingEmail(uint32_t userId)
{
    PendingAddress pending;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        auto found = pendingEmails_.find(userId);
        if (found == pendingEmails_.end())
            return false;
        pending = found->second;
        pendingEmails_.erase(found);
    }
    if (pending.Slot == 1)
        accounts_.ChangeAccount(userId, [&](Account& stored) { stored.Email = pending.Email; });
    return true;
}

std::string AccountActions::AnswerContactRequest(const FormFields& fields, const Account& account, int acceptance)
{
    StoredItem request;
    if (!sync_.Find(kContactsRequests, UnsignedField(fields, "RequestID"), request) || request.Deleted != 0 ||
        request.Number("ContactUserID") != account.UserID)
        return NotDone("\x8E\xE1"
                       "dost neexistuje.");
    sync_.Change(kContactsRequests, request.ID,
                 {{"AcceptanceType", std::to_string(acceptance)}, {"AcceptanceTimestamp", std::to_string(Now())}});
    if (acceptance == 1) {
        Account requester = accounts_.AccountByID(request.Number("UserID"));
        if (requester.UserID != 0) {
            AddContact(account, requester);
            AddContact(requester, account);
        }
    }
    return Done();
}

void AccountActions::AddContact(const Account& owner, const Account& other)
{
    sync_.Seed(kContacts, {{"UserID", std::to_string(owner.UserID)},
                           {"ContactUserID", std::to_string(other.UserID)},
                           {"MainOrganizerID", std::to_string(other.MainOrganizer)},
                           {"UsernamePath", other.UserName},
                           {"FirstName", other.FirstName},
                           {"MiddleName", other.MiddleName},
                           {"LastName", other.LastName}});
}

std::string AccountActions::MarkNotificationsRead(const Account& account)
{
    std::string now = std::to_string(Now());
    for (const StoredItem& notification : sync_.Items(kNotifications)) {
        if (notification.Deleted == 0 && notification.Number("RecipientUserID") == account.UserID &&
            notification.Number("Read") == 0)
            sync_.Change(kNotifications, notification.ID, {{"Read", now}});
    }
    return Done();
}

std::string AccountActions::Subscribe(const FormFields& fields, const Account& account)
{
    uint32_t organizerId = UnsignedField(fields, "OrganizerID");
    bool subscribe = SignedField(fields, "Subscribe") == 1;
    StoredItem organizer;
    if (!sync_.Find(kOrganizers, organizerId, organizer) || organizer.Deleted != 0)
        return NotDone("Tento kalend\xE1\xF8 neexistuje.");
    int origin = 0;
    int relation = 0;
    bool related = sync_.Relation(account.UserID, organizerId, &origin, &relation);
    if (related && (origin == 1 || origin == 10 || origin == 20))
        return NotDone("Vlastn\xED kalend\xE1\xF8 nelze odeb\xEDrat ani opustit.");
    if (subscribe && organizer.Number("Visibility") != 1 && relation != 5)
        return NotDone("Tento kalend\xE1\xF8 nen\xED ve\xF8"
                       "ejn\xFD.");
    sync_.Relate(account.UserID, organizerId, 50, subscribe ? 1 : 0);
    sync_.Change(kOrganizers, organizerId, {{"SubscribersCount", std::to_string(sync_.SubscribersCount(organizerId))}});
    return Done() + Element("organizer-id", std::to_string(organizerId)) +
           Element("inst-id", FieldValue(fields, "InstID"));
}

std::string AccountActions::PostponeAlert(const FormFields& fields, const Account& account)
{
    StoredItem alert;
    uint32_t alertId =
        sync_.ServerIdOf(account.UserID, UnsignedField(fields, "InstID"), kAlerts, UnsignedField(fields, "AlertID"));
    if (!sync_.Find(kAlerts, alertId, alert) || alert.Deleted != 0 || alert.Number("UserID") != account.UserID)
        return Refused("Upom\xEDnka neexistuje.");
    int64_t when = Now() + SignedField(fields, "PostponeMinutes") * 60;
    sync_.Change(kAlerts, alertId, {{"AlertTimestamp", std::to_string(when)}});
    if (oneShot_ != nullptr)
        oneShot_->ClearAlertHandled(alertId);
    return "<handshake>1</handshake>";
}

std::string AccountActions::SendStats(const FormFields& fields)
{
    std::string kind = FieldValue(fields, "StatsType");
    std::lock_guard<std::mutex> guard(mutex_);
    ++stats_[kind];
    if (kind == "extended-stats")
        lastExtendedStats_ = FieldValue(fields, "ExtendedStats");
    return "<handshake>1</handshake>";
}

std::string AccountActions::DeleteRecurringRecord(const FormFields& fields, const Account& account)
{
    uint32_t instId = UnsignedField(fields, "InstID");
    uint32_t recordId = sync_.ServerIdOf(account.UserID, instId, kRecords, UnsignedField(fields, "RecordID"));
    uint32_t master = sync_.ServerIdOf(account.UserID, instId, kRecords, UnsignedField(fields, "RecurrenceMasterID"));
    int64_t what = SignedField(fields, "What");
    StoredItem record;
    int origin = 0;
    int subscribe = 0;
    if (!sync_.Find(kRecords, recordId, record) ||
        !sync_.Relation(account.UserID, record.Number("OrganizerID"), &origin, &subscribe) ||
        !(origin == 1 || origin == 10 || subscribe == 10 || subscribe == 20))
        return Refused("Polo\x9Eka neexistuje.");
    if (what < 1 || what > 3)
        return Refused("Nezn\xE1m\xE1 volba.");
    uint32_t series = master != 0 ? master : record.ID;
    std::vector<uint32_t> doomed;
    if (what == 1 || what == 2)
        doomed.push_back(record.ID);
    if (what == 3)
        doomed.push_back(series);
    if (what != 1) {
        for (const StoredItem& item : sync_.Items(kRecords)) {
            if (item.Deleted != 0 || item.Number("RecurrenceMasterID") != series)
                continue;
            if (what == 3 || BeginOf(item) >= BeginOf(record))
                doomed.push_back(item.ID);
        }
    }
    for (uint32_t id : doomed)
        sync_.Tombstone(kRecords, id);
    return "<handshake>1</handshake>";
}

} // namespace test_service
