#include "tests/service/service_set.h"

#include "tests/service/form_decoder.h"
#include "tests/service/test_service.h"

#include <cstdlib>
#include <ctime>

namespace test_service {

namespace {

constexpr uint32_t kAliceID = 1001;
constexpr uint32_t kAliceOrganizer = 501;
constexpr const char* kUpdateFile = "demo-update.txt";

int64_t Now()
{
    return static_cast<int64_t>(std::time(nullptr));
}

// The local date and time of a Unix time as the records carry them.
struct LocalStamp {
    std::string Date;
    std::string Time;
};

LocalStamp LocalOf(int64_t unixTime)
{
    std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm local{};
    localtime_r(&t, &local);
    char date[16];
    char time[16];
    std::strftime(date, sizeof(date), "%Y-%m-%d", &local);
    std::strftime(time, sizeof(time), "%H:%M:%S", &local);
    return {date, time};
}

// The ISO weekday (1 Monday .. 7 Sunday) of a Unix time, locally.
int LocalWeekday(int64_t unixTime)
{
    std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm local{};
    localtime_r(&t, &local);
    return local.tm_wday == 0 ? 7 : local.tm_wday;
}

// The Unix time of today's hour:minute, locally (the day of `unixTime`).
int64_t LocalTodayAt(int64_t unixTime, int hour, int minute = 0)
{
    std::time_t t = static_cast<std::time_t>(unixTime);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

long Number(const FormFields& fields, const char* key, long fallback)
{
    std::string value = FieldValue(fields, key);
    return value.empty() ? fallback : std::strtol(value.c_str(), nullptr, 10);
}

// The fields of a record of organizer 501; a begin of 0 gives none.
std::map<std::string, std::string> RecordFields(int type, const std::string& text, int64_t begin, bool allDay = false)
{
    std::map<std::string, std::string> fields = {{"OrganizerID", std::to_string(kAliceOrganizer)},
                                                 {"CreatedByUserID", std::to_string(kAliceID)},
                                                 {"Type", std::to_string(type)},
                                                 {"Text", text},
                                                 {"HasBegin", "0"},
                                                 {"DateBegin", "0000-00-00"},
                                                 {"TimeBegin", "99:00:00"},
                                                 {"HasEnd", "0"},
                                                 {"DateEnd", "0000-00-00"},
                                                 {"TimeEnd", "99:00:00"},
                                                 {"Settings", "{}"}};
    if (begin != 0) {
        LocalStamp stamp = LocalOf(begin);
        fields["HasBegin"] = "1";
        fields["DateBegin"] = stamp.Date;
        fields["TimeBegin"] = allDay ? "99:00:00" : stamp.Time;
    }
    return fields;
}

void SetEnd(std::map<std::string, std::string>& fields, int64_t end)
{
    LocalStamp stamp = LocalOf(end);
    fields["HasEnd"] = "1";
    fields["DateEnd"] = stamp.Date;
    fields["TimeEnd"] = stamp.Time;
}

} // namespace

ServiceSet::ServiceSet(TestService& service)
    : Service(service), Accounts(service), Sync(Accounts), OneShot(service, Accounts),
      Actions(Accounts, Sync, &OneShot), Updates(service)
{
    // An alert accepted here is gone from every installation's next download.
    OneShot.OnAlertDeleted([this](uint32_t alertId) { Sync.Tombstone(kAlerts, alertId); });
    Updates.SetNewestVersion(Accounts.NewestVersion());
}

uint32_t ServiceSet::AddAlert(int64_t seconds, const std::string& text)
{
    const int64_t due = Now() + seconds;
    std::map<std::string, std::string> fields = RecordFields(3, text, due);
    SetEnd(fields, due + 30 * 60);
    fields["Settings"] = "{\"Alerts\":[{\"T\":1,\"D\":0,\"H\":0,\"M\":0}]}";
    const uint32_t record = Sync.Seed(kRecords, fields);
    return Sync.Seed(kAlerts, {{"OrganizerID", std::to_string(kAliceOrganizer)},
                               {"RecordID", std::to_string(record)},
                               {"UserID", std::to_string(kAliceID)},
                               {"Type", "1"},
                               {"DaysBefore", "0"},
                               {"HoursBefore", "0"},
                               {"MinutesBefore", "0"},
                               {"AlertTimestamp", std::to_string(due)},
                               {"Settings", "{}"}});
}

void ServiceSet::OfferUpdate(int version)
{
    Updates.SetNewestVersion(version);
    Updates.AddFile(kUpdateFile, "?", "Dalmora " + std::to_string(version) + "\n");
    Accounts.SetNewestVersion(version);
}

void ServiceSet::PostMessage(const PendingMessage& message)
{
    Accounts.ChangeEveryAccount([&message](Account& account) { account.Message = message; });
}

void ServiceSet::RegisterControls()
{
    Sync.RegisterControls(Service);
    auto control = [this](const char* path, std::function<std::string(const FormFields&)> act) {
        Service.Route(
            path, [act](const Request& request) { return Response::Text(act(DecodeFormLeniently(request.Query))); });
    };
    control("/__test/demo/alert", [this](const FormFields& fields) {
        std::string text = FieldValue(fields, "text");
        uint32_t alert = AddAlert(Number(fields, "in", 60), text.empty() ? "Upozorn\xECn\xED" : text);
        return "alert " + std::to_string(alert) + "\n";
    });
    control("/__test/confirm-email", [this](const FormFields& fields) {
        uint32_t user = static_cast<uint32_t>(Number(fields, "user", 0));
        return std::string(Actions.ConfirmPendingEmail(user) ? "confirmed\n" : "none\n");
    });
    control("/__test/demo/update", [this](const FormFields& fields) {
        int version = static_cast<int>(Number(fields, "version", Accounts.NewestVersion() + 1));
        OfferUpdate(version);
        return "offered " + std::to_string(version) + "\n";
    });
    control("/__test/demo/message", [this](const FormFields& fields) {
        PendingMessage message;
        message.ID = static_cast<uint32_t>(Number(fields, "id", 1));
        message.Title = FieldValue(fields, "title");
        message.Text = FieldValue(fields, "text");
        message.Url = FieldValue(fields, "url");
        message.Type = static_cast<int>(Number(fields, "type", 1));
        if (message.Title.empty())
            message.Title = "Zpr\xE1va pro u\x9Eivatele";
        PostMessage(message);
        return "posted " + std::to_string(message.ID) + "\n";
    });
}

namespace {

// A 2 x 2 JPEG, the demo record's picture at every width.
std::string DemoJpeg()
{
    static const char kBytes[] =
        "\xFF\xD8\xFF\xE0\x00\x10\x4A\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xFF\xDB\x00\x43"
        "\x00\x03\x02\x02\x03\x02\x02\x03\x03\x03\x03\x04\x03\x03\x04\x05\x08\x05\x05\x04\x04\x05\x0A\x07"
        "\x07\x06\x08\x0C\x0A\x0C\x0C\x0B\x0A\x0B\x0B\x0D\x0E\x12\x10\x0D\x0E\x11\x0E\x0B\x0B\x10\x16\x10"
        "\x11\x13\x14\x15\x15\x15\x0C\x0F\x17\x18\x16\x14\x18\x12\x14\x15\x14\xFF\xDB\x00\x43\x01\x03\x04"
        "\x04\x05\x04\x05\x09\x05\x05\x09\x14\x0D\x0B\x0D\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
        "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
        "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\xFF\xC0\x00\x11\x08\x00\x02\x00\x02\x03"
        "\x01\x22\x00\x02\x11\x01\x03\x11\x01\xFF\xC4\x00\x1F\x00\x00\x01\x05\x01\x01\x01\x01\x01\x01\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\xFF\xC4\x00\xB5\x10\x00"
        "\x02\x01\x03\x03\x02\x04\x03\x05\x05\x04\x04\x00\x00\x01\x7D\x01\x02\x03\x00\x04\x11\x05\x12\x21"
        "\x31\x41\x06\x13\x51\x61\x07\x22\x71\x14\x32\x81\x91\xA1\x08\x23\x42\xB1\xC1\x15\x52\xD1\xF0\x24"
        "\x33\x62\x72\x82\x09\x0A\x16\x17\x18\x19\x1A\x25\x26\x27\x28\x29\x2A\x34\x35\x36\x37\x38\x39\x3A"
        "\x43\x44\x45\x46\x47\x48\x49\x4A\x53\x54\x55\x56\x57\x58\x59\x5A\x63\x64\x65\x66\x67\x68\x69\x6A"
        "\x73\x74\x75\x76\x77\x78\x79\x7A\x83\x84\x85\x86\x87\x88\x89\x8A\x92\x93\x94\x95\x96\x97\x98\x99"
        "\x9A\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xC2\xC3\xC4\xC5\xC6"
        "\xC7\xC8\xC9\xCA\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xF1"
        "\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFF\xC4\x00\x1F\x01\x00\x03\x01\x01\x01\x01\x01\x01\x01\x01"
        "\x01\x00\x00\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\xFF\xC4\x00\xB5\x11\x00"
        "\x02\x01\x02\x04\x04\x03\x04\x07\x05\x04\x04\x00\x01\x02\x77\x00\x01\x02\x03\x11\x04\x05\x21\x31"
        "\x06\x12\x41\x51\x07\x61\x71\x13\x22\x32\x81\x08\x14\x42\x91\xA1\xB1\xC1\x09\x23\x33\x52\xF0\x15"
        "\x62\x72\xD1\x0A\x16\x24\x34\xE1\x25\xF1\x17\x18\x19\x1A\x26\x27\x28\x29\x2A\x35\x36\x37\x38\x39"
        "\x3A\x43\x44\x45\x46\x47\x48\x49\x4A\x53\x54\x55\x56\x57\x58\x59\x5A\x63\x64\x65\x66\x67\x68\x69"
        "\x6A\x73\x74\x75\x76\x77\x78\x79\x7A\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x92\x93\x94\x95\x96\x97"
        "\x98\x99\x9A\xA2\xA3\xA4\xA5\xA6\xA7\xA8\xA9\xAA\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9\xBA\xC2\xC3\xC4"
        "\xC5\xC6\xC7\xC8\xC9\xCA\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA"
        "\xF2\xF3\xF4\xF5\xF6\xF7\xF8\xF9\xFA\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00\xFB"
        "\xAF\xF6\x6F\xF0\x1F\x86\xB5\x2F\xD9\xE3\xE1\x75\xDD\xDF\x87\x74\x9B\xAB\xBB\x8F\x0B\x69\x72\xCD"
        "\x3C\xF6\x31\x3C\x92\x3B\x5A\x44\x59\x99\x8A\xE4\x92\x49\x24\x9E\xB9\xA2\x8A\x2B\xF1\xDC\x7F\xFB"
        "\xDD\x6F\xF1\x4B\xF3\x67\xE0\x59\x9F\xFB\xF5\x7F\xF1\xCB\xF3\x67\xFF\xD9";
    return std::string(kBytes, sizeof kBytes - 1);
}

} // namespace

void SeedDemoAccount(ServiceSet& set, int64_t now, const std::string& password)
{
    Account alice;
    alice.UserID = kAliceID;
    alice.Password = password;
    alice.UserName = "alice";
    alice.Email = "alice@example.test";
    alice.FirstName = "Alice";
    alice.LastName = "Nov\xE1kov\xE1";
    alice.MainOrganizer = kAliceOrganizer;
    set.Accounts.AddAccount(alice);
    set.Accounts.SetSyncInterval(3);
    SyncService& sync = set.Sync;
    sync.AddOrganizer(kAliceOrganizer, kAliceID, 1, 1, "Alice");
    sync.AddOrganizer(502, kAliceID, 10, 1,
                      "Pr\xE1"
                      "ce");
    // The bulk the synchronisation tests page through: fixed ids from 9001.
    for (int i = 0; i < 250; ++i)
        sync.SeedRecord(kAliceOrganizer, "Z\xE1znam " + std::to_string(i), 9001 + i);
    for (int i = 0; i < 40; ++i)
        sync.SeedRecord(502, "\xDAkol " + std::to_string(i));

    // Events: one running now, one all day tomorrow, a weekly one, a birthday.
    constexpr int64_t kDay = 24 * 3600;
    auto running = RecordFields(3, "Porada t\xFDmu", now - 30 * 60);
    SetEnd(running, now + 60 * 60);
    sync.Seed(kRecords, running);
    sync.Seed(kRecords, RecordFields(3, "V\xFDlet na hory", now + kDay, true));
    auto weekly = RecordFields(3, "Tr\xE9nink", now + 2 * kDay);
    weekly["RecurrenceFrequency"] = "3";
    weekly["RecurrenceSettings"] =
        "{\"Range\":0,\"RepeatWeekly\":1,\"RepeatWeeklyDay" + std::to_string(LocalWeekday(now + 2 * kDay)) + "\":1}";
    sync.Seed(kRecords, weekly);
    sync.Seed(kRecords, RecordFields(8, "Narozeniny Boba", now + 3 * kDay, true));

    // The calendar's day: two events at fixed hours of today, one from this
    // evening to tomorrow morning, and a task due today with no time.
    for (auto [hour, text] : {std::pair{9, "Sn\xED"
                                           "dan\xEC s klientem"},
                              std::pair{14, "Kontrola rozpo\xE8tu"}}) {
        auto event = RecordFields(3, text, LocalTodayAt(now, hour));
        SetEnd(event, LocalTodayAt(now, hour + 1));
        sync.Seed(kRecords, event);
    }
    auto overnight = RecordFields(3, "No\xE8n\xED vlak", LocalTodayAt(now, 20));
    SetEnd(overnight, LocalTodayAt(now + kDay, 8));
    sync.Seed(kRecords, overnight);
    sync.Seed(kRecords, RecordFields(1, "Odeslat fakturu", LocalTodayAt(now, 12), true));

    // Tasks of every importance (99, 10, 0, -10), one with a subtask, two
    // tags on some of them; three notes.
    auto urgent = RecordFields(1, "Zaplatit n\xE1jem", now + kDay);
    urgent["Importance"] = "99";
    const uint32_t rent = sync.Seed(kRecords, urgent);
    auto important = RecordFields(1, "P\xF8ipravit prezentaci", now + 4 * kDay);
    important["Importance"] = "10";
    const uint32_t talk = sync.Seed(kRecords, important);
    auto sub = RecordFields(1, "Sehnat projektor", 0);
    sub["ParentID"] = std::to_string(talk);
    sync.Seed(kRecords, sub);
    const uint32_t milk = sync.Seed(kRecords, RecordFields(1, "Koupit ml\xE9ko", 0));
    auto cellar = RecordFields(1, "Uklidit sklep", 0);
    cellar["Importance"] = "-10";
    const uint32_t tidy = sync.Seed(kRecords, cellar);
    sync.Seed(kRecords, RecordFields(2,
                                     "N\xE1kupn\xED seznam: chl\xE9"
                                     "b, ml\xE9ko",
                                     0));
    sync.Seed(kRecords, RecordFields(2, "N\xE1pady na d\xE1rky", 0));
    sync.Seed(kRecords, RecordFields(2, "Hesla k Wi-Fi", 0));
    const uint32_t shopping =
        sync.Seed(kTags, {{"OrganizerID", std::to_string(kAliceOrganizer)}, {"Title", "N\xE1kup"}});
    const uint32_t home = sync.Seed(kTags, {{"OrganizerID", std::to_string(kAliceOrganizer)}, {"Title", "Doma"}});
    for (auto [record, tag] : {std::pair{rent, home}, std::pair{milk, shopping}, std::pair{tidy, home}})
        sync.Seed(kTagsAssign, {{"OrganizerID", std::to_string(kAliceOrganizer)},
                                {"RecordID", std::to_string(record)},
                                {"TagID", std::to_string(tag)}});

    // Alerts one and five minutes after the start.
    set.AddAlert(60, "Zavolat mamince");
    set.AddAlert(5 * 60, "Vyzvednout bal\xEDk");

    // People: two contacts in a group, a request, unread notifications.
    const uint32_t bob = sync.Seed(kContacts, {{"UserID", std::to_string(kAliceID)},
                                               {"ContactUserID", "1002"},
                                               {"FirstName", "Bob"},
                                               {"LastName", "Mal\xFD"}});
    const uint32_t dana = sync.Seed(kContacts, {{"UserID", std::to_string(kAliceID)},
                                                {"ContactUserID", "1003"},
                                                {"FirstName", "Dana"},
                                                {"LastName", "Vesel\xE1"}});
    const uint32_t family = sync.Seed(kGroups, {{"UserID", std::to_string(kAliceID)}, {"Title", "Rodina"}});
    for (auto [contact, userId] : {std::pair{bob, 1002u}, std::pair{dana, 1003u}})
        sync.Seed(kGroupsAssign, {{"UserID", std::to_string(kAliceID)},
                                  {"ContactID", std::to_string(contact)},
                                  {"ContactUserID", std::to_string(userId)},
                                  {"ContactsGroupID", std::to_string(family)}});
    sync.Seed(kContactsRequests, {{"UserID", "1004"},
                                  {"ContactUserID", std::to_string(kAliceID)},
                                  {"AcceptanceType", "0"},
                                  {"FullName", "Cyril Dvo\xF8\xE1k"}});
    for (uint32_t record : {rent, talk})
        sync.Seed(kNotifications, {{"RecipientUserID", std::to_string(kAliceID)},
                                   {"Type", "10"},
                                   {"Read", "0"},
                                   {"Settings", "{\"SenderUserID\":1002,\"OrganizerID\":501,\"RecordID\":" +
                                                    std::to_string(record) + ",\"Data\":\"\"}"}});

    // A public organizer of someone else, to subscribe to.
    sync.AddOrganizer(601, 1002, 1, 1, "St\xE1tn\xED sv\xE1tky");
    sync.Change(kOrganizers, 601, {{"Visibility", "1"}, {"SubscribersCount", "12"}});

    // The side panel and the search page: a task with two subtasks (one
    // hidden), a record with a picture, and meetings in the past, today
    // and without a date.
    const uint32_t trip = sync.Seed(kRecords, RecordFields(1, "Napl\xE1novat v\xFDlet", now + 5 * kDay));
    auto tickets = RecordFields(1, "Koupit j\xEDzdenky", 0);
    tickets["ParentID"] = std::to_string(trip);
    sync.Seed(kRecords, tickets);
    auto hiddenSub = RecordFields(1, "Zabalit stan", 0);
    hiddenSub["ParentID"] = std::to_string(trip);
    hiddenSub["Settings"] = "{\"Hidden\":true}";
    sync.Seed(kRecords, hiddenSub);
    constexpr uint32_t kDemoPicture = 7001;
    sync.SeedPicture(kDemoPicture, DemoJpeg());
    auto photo = RecordFields(3, "Fotka z v\xFDletu", now - 2 * kDay);
    photo["MainPicture"] = std::to_string(kDemoPicture);
    photo["MainPictureWidth"] = "2";
    photo["MainPictureHeight"] = "2";
    sync.Seed(kRecords, photo);
    sync.Seed(kRecords, RecordFields(3,
                                     "Sch\xF9zka s \xFA\xE8"
                                     "etn\xED",
                                     now - 7 * kDay));
    sync.Seed(kRecords, RecordFields(3, "Sch\xF9zka rodi\xE8\xF9 ve \x9Akole", now + 60 * 60));
    sync.Seed(kRecords, RecordFields(1, "Sch\xF9zka t\xFDmu: p\xF8ipravit z\xE1pis", 0));
}

const char* ControlsHelp()
{
    return "Controls (GET, under /__test/):\n"
           "  demo/alert?in=SECONDS&text=T      a record of organizer 501 with an alert due in SECONDS (60)\n"
           "  demo/update?version=N             announces version N (the next) and serves it\n"
           "  confirm-email?user=ID             the user confirms the address change-email left pending\n"
           "  demo/message?id=&title=&text=&url=&type=1|2   a message for users, until flagged\n"
           "  sync/change?type=&id=&KEY=VALUE   another party changes an item\n"
           "  sync/tombstone?type=&id=          another party deletes an item\n"
           "  sync/items?type=                  the stored items of a type\n"
           "  sync/array-limit?value=           the page size of the downloads\n"
           "  api-fault?name=&kind=delay|close|commit-close|status|refuse|cut&ms=&status=&text=&after=&times=\n"
           "  api-disarm                        disarms the request faults\n"
           "  fault?path=&kind=stall|reset|redirect|status|cut|slow&ms=&status=&location=&body=&after=&rate=&times=\n"
           "  disarm, requests, connections, violations, clear\n";
}

} // namespace test_service
