#include "tests/service/sync_service.h"

#include "tests/service/test_service.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace test_service {

namespace {

constexpr uint32_t kFirstTemporaryID = 4200000001u;

struct SectionInfo {
    int Type;
    const char* Name;
    // Item keys after ID, Created, Changed and Deleted, in the client's order.
    std::vector<const char*> Keys;
};

const std::vector<SectionInfo>& Sections()
{
    static const std::vector<SectionInfo> sections = {
        {kOrganizers,
         "Organizers",
         {"Origin", "Subscribe", "UserID", "Title", "Note", "Name", "Type", "Visibility", "SubscribersCount",
          "CalendarIcon", "CalendarIconName"}},
        {kRecords,
         "Records",
         {"OrganizerID",
          "CreatedByUserID",
          "ParentID",
          "Type",
          "EventType",
          "Text",
          "Importance",
          "Finished",
          "FinishedTime",
          "HasBegin",
          "DateBegin",
          "TimeBegin",
          "HasEnd",
          "DateEnd",
          "TimeEnd",
          "Reschedule",
          "Note",
          "PlainText",
          "SearchablePlainText",
          "PlainNote",
          "SearchablePlainNote",
          "RecurrenceMasterID",
          "RecurrenceFrequency",
          "RecurrenceSettings",
          "Visibility",
          "Shared",
          "MainPicture",
          "MainPictureWidth",
          "MainPictureHeight",
          "PromoterID",
          "Place",
          "PlaceID",
          "Settings"}},
        {kTags, "Tags", {"OrganizerID", "Title"}},
        {kTagsAssign, "TagsAssign", {"OrganizerID", "RecordID", "TagID"}},
        {kSharing,
         "Sharing",
         {"OrganizerID", "RecordID", "Type", "ObjectID", "Rights", "RecordType", "HasBegin", "DateBegin", "DateEnd"}},
        {kAlerts,
         "Alerts",
         {"OrganizerID", "RecordID", "UserID", "Type", "DaysBefore", "HoursBefore", "MinutesBefore", "AlertTimestamp",
          "Settings"}},
        {kContacts,
         "Contacts",
         {"UserID", "ContactUserID", "MainOrganizerID", "UsernamePath", "FirstName", "MiddleName", "LastName",
          "SecondLastName", "Company", "City", "AcademicTitles", "ProfilePicture", "DisplayAs"}},
        {kContactsRequests,
         "ContactsRequests",
         {"UserID", "ContactUserID", "RequestIP", "AcceptanceType", "AcceptanceTimestamp", "EmailID", "FullName",
          "Company", "City", "ProfilePicture"}},
        {kGroups, "ContactsGroups", {"UserID", "Title"}},
        {kGroupsAssign, "ContactsGroupsAssign", {"UserID", "ContactID", "ContactUserID", "ContactsGroupID"}},
        {kNotifications, "Notifications", {"Type", "RecipientUserID", "Read", "Emailed", "Text", "URL", "Settings"}},
        {kEventTypes, "EventTypes", {"CreatedByUserID", "TitleLn", "TitleLngString", "ShowBeforeText"}},
    };
    return sections;
}

const SectionInfo& SectionOf(int type)
{
    for (const SectionInfo& section : Sections()) {
        if (section.Type == type)
            return section;
    }
    return Sections().front();
}

bool IsTextKey(const std::string& key)
{
    static const char* const texts[] = {"Title",
                                        "Note",
                                        "Name",
                                        "CalendarIconName",
                                        "Text",
                                        "PlainText",
                                        "SearchablePlainText",
                                        "PlainNote",
                                        "SearchablePlainNote",
                                        "RecurrenceSettings",
                                        "Settings",
                                        "Place",
                                        "DateBegin",
                                        "TimeBegin",
                                        "DateEnd",
                                        "TimeEnd",
                                        "UsernamePath",
                                        "FirstName",
                                        "MiddleName",
                                        "LastName",
                                        "SecondLastName",
                                        "Company",
                                        "City",
                                        "AcademicTitles",
                                        "DisplayAs",
                                        "RequestIP",
                                        "FullName",
                                        "URL",
                                        "TitleLngString"};
    for (const char* text : texts) {
        if (key == text)
            return true;
    }
    return false;
}

// Form keys of a record that name item keys of another name.
std::string RecordItemKey(const std::string& formKey)
{
    static const std::map<std::string, std::string> renamed = {{"TypeID", "Type"},
                                                               {"Begin_Date", "DateBegin"},
                                                               {"Begin_Time", "TimeBegin"},
                                                               {"End_Date", "DateEnd"},
                                                               {"End_Time", "TimeEnd"},
                                                               {"_RecurrenceFrequency", "RecurrenceFrequency"},
                                                               {"_RecurrenceSettings", "RecurrenceSettings"}};
    auto found = renamed.find(formKey);
    return found != renamed.end() ? found->second : formKey;
}

// Reference fields of an uploaded item: (field, referenced type).
std::vector<std::pair<std::string, int>> ReferencesOf(int type)
{
    switch (type) {
    case kRecords:
        return {{"ParentID", kRecords}, {"RecurrenceMasterID", kRecords}, {"EventType", kEventTypes}};
    case kTagsAssign:
        return {{"RecordID", kRecords}, {"TagID", kTags}};
    case kAlerts:
        return {{"RecordID", kRecords}};
    case kGroupsAssign:
        return {{"ContactID", kContacts}, {"ContactsGroupID", kGroups}};
    case kSharing:
        return {{"RecordID", kRecords}};
    default:
        return {};
    }
}

std::string PlainOf(const std::string& text)
{
    std::string plain = text;
    for (size_t at = plain.find("<br />"); at != std::string::npos; at = plain.find("<br />", at))
        plain.replace(at, 6, "\n");
    return plain;
}

// Lower case, the CP1250 letters with diacritics folded to plain ones.
std::string SearchableOf(const std::string& plain)
{
    static const std::string from = "\xE1\xE8\xEF\xE9\xEC\xED\xF2\xF3\xF8\x9A\x9D\xFA\xF9\xFD\x9E\xC1\xC8\xCF\xC9\xCC"
                                    "\xCD\xD2\xD3\xD8\x8A\x8D\xDA\xD9\xDD\x8E";
    static const std::string to = "acdeeinorstuuyzacdeeinorstuuyz";
    std::string folded;
    for (char ch : plain) {
        size_t at = from.find(ch);
        if (at != std::string::npos)
            ch = to[at];
        else if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
        folded += ch;
    }
    return folded;
}

// Local wall-clock "YYYY-MM-DD" and "HH:MM:SS" to Unix seconds (the
// service runs in the client's zone); a date-only time counts as 00:00.
int64_t LocalTime(const std::string& date, const std::string& time)
{
    std::tm parts{};
    if (std::sscanf(date.c_str(), "%d-%d-%d", &parts.tm_year, &parts.tm_mon, &parts.tm_mday) != 3)
        return 0;
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    if (time.rfind("99", 0) != 0)
        std::sscanf(time.c_str(), "%d:%d:%d", &parts.tm_hour, &parts.tm_min, &parts.tm_sec);
    parts.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&parts));
}

std::string LocalDate(int64_t when)
{
    auto seconds = static_cast<time_t>(when);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
    return text;
}

std::string LocalClock(int64_t when)
{
    auto seconds = static_cast<time_t>(when);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

int64_t Signed(const FormFields& fields, const std::string& key)
{
    return std::strtoll(FieldValue(fields, key).c_str(), nullptr, 10);
}

uint32_t Unsigned(const FormFields& fields, const std::string& key)
{
    return static_cast<uint32_t>(std::strtoul(FieldValue(fields, key).c_str(), nullptr, 10));
}

bool HasField(const FormFields& fields, const std::string& key)
{
    for (const auto& field : fields) {
        if (field.first == key)
            return true;
    }
    return false;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string Refusal(const std::string& text)
{
    return "<handshake>0</handshake>" + Element("Response", text);
}

} // namespace

std::string StoredItem::Field(const std::string& key) const
{
    auto found = Fields.find(key);
    return found != Fields.end() ? found->second : std::string();
}

uint32_t StoredItem::Number(const std::string& key) const
{
    return static_cast<uint32_t>(std::strtoul(Field(key).c_str(), nullptr, 10));
}

SyncService::SyncService(AccountService& accounts) : accounts_(accounts)
{
    auto route = [this](const char* name, std::string (SyncService::*handler)(const FormFields&, const Account*)) {
        accounts_.RouteApi(name, [this, handler](const FormFields& fields, const Account* account) {
            if (account == nullptr)
                return std::string("<handshake>0</handshake>") + Element("Response", "Chyb\xED u\x9Eivatel.");
            return (this->*handler)(fields, account);
        });
    };
    route("get-users-organizers", &SyncService::UsersOrganizers);
    route("get-users-data", &SyncService::UsersData);
    route("get-records", &SyncService::Records);
    route("check-organizers-existence", &SyncService::CheckOrganizers);
    route("upsync", &SyncService::Upsync);
    route("DeleteRecurringRecordsByRecurrenceMasterID", &SyncService::DeleteSeries);
    route("SaveRecordRecurrence", &SyncService::SaveSeries);
    route("get-updated-records", &SyncService::UpdatedRecords);
    route("get-one-record", &SyncService::OneRecord);
    RouteSingleThings();
}

// ---------------------------------------------------------------------------
// Configuration and seeding

void SyncService::SetArrayLimit(int64_t limit)
{
    std::lock_guard<std::mutex> guard(mutex_);
    arrayLimit_ = limit;
}

void SyncService::SetAtOrAfterPaging(bool on)
{
    std::lock_guard<std::mutex> guard(mutex_);
    atOrAfter_ = on;
}

void SyncService::SetClock(std::function<int64_t()> clock)
{
    std::lock_guard<std::mutex> guard(mutex_);
    clock_ = std::move(clock);
}

int64_t SyncService::NextStamp()
{
    int64_t now = clock_ ? clock_() : static_cast<int64_t>(std::time(nullptr));
    lastStamp_ = std::max(now, lastStamp_ + 1);
    return lastStamp_;
}

void SyncService::AddOrganizer(uint32_t id, uint32_t userId, int origin, int subscribe, const std::string& title)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        StoredItem organizer;
        organizer.Type = kOrganizers;
        organizer.ID = id;
        organizer.Created = organizer.Changed = NextStamp();
        for (const char* key : SectionOf(kOrganizers).Keys)
            organizer.Fields[key] = IsTextKey(key) ? "" : "0";
        organizer.Fields["UserID"] = std::to_string(userId);
        organizer.Fields["Title"] = title.empty() ? "Organizer " + std::to_string(id) : title;
        organizer.Fields["Name"] = "org-" + std::to_string(id);
        index_[{kOrganizers, id}] = items_.size();
        items_.push_back(std::move(organizer));
        nextId_ = std::max(nextId_, id + 1);
    }
    Relate(userId, id, origin, subscribe);
}

void SyncService::Relate(uint32_t userId, uint32_t organizerId, int origin, int subscribe)
{
    std::lock_guard<std::mutex> guard(mutex_);
    StoredItem& relation = relations_[{userId, organizerId}];
    relation.Fields["Origin"] = std::to_string(origin);
    relation.Fields["Subscribe"] = std::to_string(subscribe);
    ++recalc_[userId];
    if (StoredItem* organizer = FindLocked(kOrganizers, organizerId))
        Stamp(*organizer);
}

uint32_t SyncService::Seed(int type, std::map<std::string, std::string> fields, uint32_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    StoredItem item;
    item.Type = type;
    item.ID = id != 0 ? id : NextID();
    nextId_ = std::max(nextId_, item.ID + 1);
    item.Created = item.Changed = NextStamp();
    for (const char* key : SectionOf(type).Keys)
        item.Fields[key] = IsTextKey(key) ? "" : "0";
    if (type == kRecords) {
        item.Fields["DateBegin"] = item.Fields["DateEnd"] = "0000-00-00";
        item.Fields["TimeBegin"] = item.Fields["TimeEnd"] = "99:00:00";
        item.Fields["Type"] = "2";
        item.Fields["Settings"] = "{}";
    }
    for (auto& [key, value] : fields)
        item.Fields[key] = value;
    if (type == kRecords) {
        item.Fields["PlainText"] = PlainOf(item.Fields["Text"]);
        item.Fields["SearchablePlainText"] = SearchableOf(item.Fields["PlainText"]);
        item.Fields["PlainNote"] = PlainOf(item.Fields["Note"]);
        item.Fields["SearchablePlainNote"] = SearchableOf(item.Fields["PlainNote"]);
    }
    index_[{type, item.ID}] = items_.size();
    items_.push_back(std::move(item));
    NoteLookups(items_.back());
    return items_.back().ID;
}

uint32_t SyncService::SeedRecord(uint32_t organizerId, const std::string& text, uint32_t id)
{
    return Seed(kRecords, {{"OrganizerID", std::to_string(organizerId)}, {"Text", text}}, id);
}

// ---------------------------------------------------------------------------
// Another party and inspection

bool SyncService::Change(int type, uint32_t id, const std::map<std::string, std::string>& fields)
{
    std::lock_guard<std::mutex> guard(mutex_);
    StoredItem* item = FindLocked(type, id);
    if (item == nullptr || item->Deleted != 0)
        return false;
    for (const auto& [key, value] : fields)
        item->Fields[key] = value;
    if (type == kRecords) {
        item->Fields["PlainText"] = PlainOf(item->Field("Text"));
        item->Fields["SearchablePlainText"] = SearchableOf(item->Fields["PlainText"]);
    }
    NoteLookups(*item);
    Stamp(*item);
    return true;
}

bool SyncService::Tombstone(int type, uint32_t id)
{
    std::lock_guard<std::mutex> guard(mutex_);
    StoredItem* item = FindLocked(type, id);
    if (item == nullptr || item->Deleted != 0)
        return false;
    TombstoneLocked(*item);
    if (type == kRecords)
        TombstoneDependents(*item);
    return true;
}

bool SyncService::SetIdText(int type, uint32_t id, const std::string& text)
{
    std::lock_guard<std::mutex> guard(mutex_);
    StoredItem* item = FindLocked(type, id);
    if (item == nullptr)
        return false;
    item->IdText = text;
    return true;
}

std::vector<StoredItem> SyncService::Items(int type) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<StoredItem> found;
    for (const StoredItem& item : items_) {
        if (item.Type == type)
            found.push_back(item);
    }
    return found;
}

bool SyncService::Find(int type, uint32_t id, StoredItem& out) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = index_.find({type, id});
    if (found == index_.end())
        return false;
    out = items_[found->second];
    return true;
}

int SyncService::LiveCount(int type) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int>(std::count_if(items_.begin(), items_.end(),
                                          [&](const StoredItem& i) { return i.Type == type && i.Deleted == 0; }));
}

std::map<std::tuple<uint32_t, uint32_t, int, uint32_t>, UploadMapEntry> SyncService::UploadMap() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return uploadMap_;
}

// ---------------------------------------------------------------------------
// Store rules

StoredItem* SyncService::FindLocked(int type, uint32_t id)
{
    auto found = index_.find({type, id});
    return found != index_.end() ? &items_[found->second] : nullptr;
}

bool SyncService::Relation(uint32_t userId, uint32_t organizerId, int* origin, int* subscribe) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    const StoredItem* relation = RelationOf(userId, organizerId);
    if (relation == nullptr)
        return false;
    *origin = static_cast<int>(relation->Number("Origin"));
    *subscribe = static_cast<int>(relation->Number("Subscribe"));
    return true;
}

int SyncService::SubscribersCount(uint32_t organizerId) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    int count = 0;
    for (const auto& [key, relation] : relations_) {
        uint32_t subscribe = relation.Number("Subscribe");
        if (key.second == organizerId && relation.Number("Origin") == 50 &&
            (subscribe == 1 || subscribe == 10 || subscribe == 20))
            ++count;
    }
    return count;
}

uint32_t SyncService::ServerIdOf(uint32_t userId, uint32_t instId, int type, uint32_t id) const
{
    if (id < kFirstTemporaryID)
        return id;
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = uploadMap_.find({userId, instId, type, id});
    return found != uploadMap_.end() ? found->second.ServerID : 0;
}

const StoredItem* SyncService::RelationOf(uint32_t userId, uint32_t organizerId) const
{
    auto found = relations_.find({userId, organizerId});
    return found != relations_.end() ? &found->second : nullptr;
}

bool SyncService::Relates(uint32_t userId, uint32_t organizerId) const
{
    return RelationOf(userId, organizerId) != nullptr;
}

bool SyncService::MayWrite(uint32_t userId, uint32_t organizerId) const
{
    const StoredItem* relation = RelationOf(userId, organizerId);
    if (relation == nullptr)
        return false;
    uint32_t origin = relation->Number("Origin");
    uint32_t subscribe = relation->Number("Subscribe");
    return origin == 1 || origin == 10 || subscribe == 10 || subscribe == 20;
}

bool SyncService::Visible(const StoredItem& item, uint32_t userId) const
{
    if (!item.PendingReferences.empty())
        return false;
    switch (item.Type) {
    case kRecords:
    case kTags:
    case kTagsAssign:
    case kSharing:
        return Relates(userId, item.Number("OrganizerID"));
    case kAlerts:
    case kContacts:
    case kGroups:
    case kGroupsAssign:
        return item.Number("UserID") == userId;
    case kNotifications:
        return item.Number("RecipientUserID") == userId;
    case kContactsRequests:
        return item.Number("ContactUserID") == userId;
    case kEventTypes:
        return item.Number("CreatedByUserID") == 0 || item.Number("CreatedByUserID") == userId;
    case kOrganizers:
        return Relates(userId, item.ID);
    default:
        return false;
    }
}

std::string SyncService::ItemText(const StoredItem& item, uint32_t userId) const
{
    std::string text = Element("ID", item.IdText.empty() ? std::to_string(item.ID) : item.IdText);
    std::map<std::string, std::string> fields = item.Fields;
    if (item.Type == kOrganizers) {
        const StoredItem* relation = RelationOf(userId, item.ID);
        fields["Origin"] = relation != nullptr ? relation->Field("Origin") : "0";
        fields["Subscribe"] = relation != nullptr ? relation->Field("Subscribe") : "0";
    }
    text += Element("Created", std::to_string(item.Created));
    text += Element("Changed", std::to_string(item.Changed));
    text += Element("Deleted", std::to_string(item.Deleted));
    for (const char* key : SectionOf(item.Type).Keys)
        text += Element(key, fields[key]);
    return text;
}

std::vector<const StoredItem*> SyncService::Page(int type, uint32_t organizerId, uint32_t userId, int64_t after,
                                                 int64_t offset, size_t limit) const
{
    std::vector<const StoredItem*> page;
    for (const StoredItem& item : items_) {
        const bool before = atOrAfter_ ? item.Changed < after : item.Changed <= after;
        if (item.Type != type || before || !Visible(item, userId))
            continue;
        if (organizerId != 0 && item.Number("OrganizerID") != organizerId)
            continue;
        page.push_back(&item);
    }
    std::sort(page.begin(), page.end(), [](const StoredItem* a, const StoredItem* b) {
        return std::tie(a->Changed, a->ID) < std::tie(b->Changed, b->ID);
    });
    auto skip = static_cast<size_t>(std::max<int64_t>(0, offset));
    page.erase(page.begin(), page.begin() + static_cast<std::ptrdiff_t>(std::min(skip, page.size())));
    if (page.size() > limit)
        page.resize(limit);
    return page;
}

std::string SyncService::Section(const char* name, const std::vector<const StoredItem*>& items, uint32_t userId) const
{
    std::string section = "<" + std::string(name) + ">";
    for (size_t i = 0; i < items.size(); ++i)
        section += "<" + std::to_string(i) + ">" + ItemText(*items[i], userId) + "</" + std::to_string(i) + ">";
    return section + "</" + name + ">";
}

void SyncService::Stamp(StoredItem& item)
{
    item.Changed = NextStamp();
    if (item.Created == 0)
        item.Created = item.Changed;
}

void SyncService::TombstoneLocked(StoredItem& item)
{
    Stamp(item);
    item.Deleted = item.Changed;
}

void SyncService::TombstoneDependents(const StoredItem& record)
{
    for (StoredItem& item : items_) {
        bool dependent = (item.Type == kAlerts || item.Type == kTagsAssign || item.Type == kSharing) &&
                         item.Number("RecordID") == record.ID;
        if (dependent && item.Deleted == 0)
            TombstoneLocked(item);
    }
}

void SyncService::Violate(const std::string& kind, const std::string& key, const std::string& detail)
{
    accounts_.RecordViolation({kind, AccountService::kApiPath, key, detail});
}

// ---------------------------------------------------------------------------
// Downloads

std::string SyncService::UsersOrganizers(const FormFields& fields, const Account* account)
{
    uint32_t userId = account->UserID;
    std::string answer = "<handshake>1</handshake>";
    answer += accounts_.AccountBlock(*account, 0, false);
    std::lock_guard<std::mutex> guard(mutex_);
    uint32_t recalc = recalc_[userId];
    if (std::to_string(recalc) != FieldValue(fields, "UsersOrganizersLastRecalc"))
        answer += Element("UsersOrganizersRecalc", "1");
    answer += Element("UsersOrganizersLastRecalc", std::to_string(recalc));
    std::string triples;
    for (const auto& [key, relation] : relations_) {
        if (key.first == userId)
            triples +=
                std::to_string(key.second) + "," + relation.Field("Origin") + "," + relation.Field("Subscribe") + ";";
    }
    answer += Element("UsersOrganizers", triples) + Element("InContactsGroups", "") + Element("InContactsLists", "");
    answer += Element("newest-version", std::to_string(accounts_.NewestVersion()));
    std::vector<const StoredItem*> organizers =
        Page(kOrganizers, 0, userId, Signed(fields, "OrganizersLastReq"), 0, items_.size());
    return answer + "<api-sync-pim>" + Section("Organizers", organizers, userId) + "</api-sync-pim>";
}

std::string SyncService::UsersData(const FormFields& fields, const Account* account)
{
    uint32_t userId = account->UserID;
    std::lock_guard<std::mutex> guard(mutex_);
    auto limit = arrayLimit_ > 0 ? static_cast<size_t>(arrayLimit_) : SIZE_MAX;
    std::string answer = "<handshake>1</handshake>" + Element("array-limit", std::to_string(arrayLimit_)) +
                         Element("newest-version", std::to_string(accounts_.NewestVersion())) + "<api-sync-pim>";
    static const std::pair<int, const char*> collections[] = {
        {kEventTypes, "ET"}, {kNotifications, "N"},  {kContacts, "C"}, {kContactsRequests, "CR"},
        {kGroups, "CG"},     {kGroupsAssign, "CGA"}, {kAlerts, "A"}};
    for (const auto& [type, suffix] : collections) {
        std::vector<const StoredItem*> page = Page(type, 0, userId, Signed(fields, std::string("t") + suffix),
                                                   Signed(fields, std::string("b") + suffix), limit);
        answer += Section(SectionOf(type).Name, page, userId);
    }
    return answer + "</api-sync-pim>";
}

std::string SyncService::Records(const FormFields& fields, const Account* account)
{
    uint32_t userId = account->UserID;
    std::lock_guard<std::mutex> guard(mutex_);
    auto limit = arrayLimit_ > 0 ? static_cast<size_t>(arrayLimit_) : SIZE_MAX;
    std::vector<const StoredItem*> records;
    std::vector<const StoredItem*> tags;
    std::vector<const StoredItem*> assignments;
    for (const auto& [key, value] : fields) {
        if (key.rfind("tR", 0) != 0)
            continue;
        std::string id = key.substr(2);
        auto organizer = static_cast<uint32_t>(std::strtoul(id.c_str(), nullptr, 10));
        if (!Relates(userId, organizer))
            continue;
        auto add = [&](std::vector<const StoredItem*>& into, int type, const std::string& name) {
            std::vector<const StoredItem*> page =
                Page(type, organizer, userId, Signed(fields, "t" + name + id), Signed(fields, "b" + name + id), limit);
            into.insert(into.end(), page.begin(), page.end());
        };
        add(records, kRecords, "R");
        add(tags, kTags, "T");
        add(assignments, kTagsAssign, "TA");
    }
    // Sharing is not paged: everything changed after tS in one answer.
    std::vector<const StoredItem*> sharing = Page(kSharing, 0, userId, Signed(fields, "tS"), 0, items_.size());
    return "<handshake>1</handshake>" + Element("array-limit", std::to_string(arrayLimit_)) +
           Element("newest-version", std::to_string(accounts_.NewestVersion())) + "<api-sync-pim>" +
           Section("Records", records, userId) + Section("Tags", tags, userId) +
           Section("TagsAssign", assignments, userId) + Section("Sharing", sharing, userId) + "</api-sync-pim>";
}

std::string SyncService::CheckOrganizers(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::string answer = "<handshake>1</handshake>";
    for (const std::string& text : Split(FieldValue(fields, "oids"), ';')) {
        auto id = static_cast<uint32_t>(std::strtoll(text.c_str(), nullptr, 10));
        const StoredItem* organizer = FindLocked(kOrganizers, id);
        bool exists = organizer != nullptr && organizer->Deleted == 0 && Relates(account->UserID, id);
        answer += Element("organizer-exists-" + std::to_string(id), exists ? "1" : "0");
    }
    return answer;
}

std::string SyncService::UpdatedRecords(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::string list;
    int count = 0;
    for (int i = 0; HasField(fields, "r" + std::to_string(i)); ++i) {
        uint32_t id = Unsigned(fields, "r" + std::to_string(i));
        if (id >= kFirstTemporaryID) {
            auto mapped = uploadMap_.find({account->UserID, Unsigned(fields, "InstID"), kRecords, id});
            id = mapped != uploadMap_.end() ? mapped->second.ServerID : 0;
        }
        const StoredItem* record = FindLocked(kRecords, id);
        if (record == nullptr || !Visible(*record, account->UserID) ||
            record->Changed == Signed(fields, "c" + std::to_string(i)))
            continue;
        list +=
            "<" + std::to_string(count) + ">" + ItemText(*record, account->UserID) + "</" + std::to_string(count) + ">";
        ++count;
    }
    return "<handshake>1</handshake><records>" + list + "</records>";
}

std::string SyncService::OneRecord(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    uint32_t id = Unsigned(fields, "RecordID");
    const std::string asked = std::to_string(id);
    if (id >= kFirstTemporaryID) {
        auto mapped = uploadMap_.find({account->UserID, Unsigned(fields, "InstID"), kRecords, id});
        id = mapped != uploadMap_.end() ? mapped->second.ServerID : 0;
    }
    const StoredItem* record = FindLocked(kRecords, id);
    if (record == nullptr || !Visible(*record, account->UserID))
        return "<handshake>1</handshake>";
    // Tombstones go out too: a record deleted meanwhile closes the editor.
    std::vector<const StoredItem*> sharing;
    for (const StoredItem& item : items_)
        if (item.Type == kSharing && item.Deleted == 0 && item.Number("RecordID") == record->ID &&
            Visible(item, account->UserID))
            sharing.push_back(&item);
    const std::string name = "pim-record-id-" + asked;
    std::string answer =
        "<handshake>1</handshake><" + name + ">" + ItemText(*record, account->UserID) + "</" + name + ">";
    answer += Element("sharing-count", std::to_string(sharing.size()));
    if (!sharing.empty())
        answer += Section("Sharing", sharing, account->UserID);
    return answer;
}

// ---------------------------------------------------------------------------
// Uploads

bool SyncService::Resolve(uint32_t userId, uint32_t instId, int type, uint32_t id, uint32_t& resolved, bool& pending)
{
    resolved = id;
    pending = false;
    if (id < kFirstTemporaryID)
        return true;
    auto found = uploadMap_.find({userId, instId, type, id});
    if (found == uploadMap_.end()) {
        pending = true;
        return true;
    }
    if (found->second.Answered)
        return false;
    resolved = found->second.ServerID;
    return true;
}

void SyncService::ResolvePending(int type, uint32_t temporaryId, uint32_t serverId)
{
    auto holders = pendingHolders_.find({type, temporaryId});
    if (holders == pendingHolders_.end())
        return;
    std::vector<std::pair<int, uint32_t>> keys = std::move(holders->second);
    pendingHolders_.erase(holders);
    for (const auto& [holderType, holderId] : keys) {
        StoredItem* item = FindLocked(holderType, holderId);
        if (item == nullptr)
            continue;
        auto& refs = item->PendingReferences;
        bool changed = false;
        for (auto it = refs.begin(); it != refs.end();) {
            if (std::get<1>(*it) == type && std::get<2>(*it) == temporaryId) {
                item->Fields[std::get<0>(*it)] = std::to_string(serverId);
                it = refs.erase(it);
                changed = true;
            } else {
                ++it;
            }
        }
        if (changed)
            Stamp(*item);
    }
}

void SyncService::NoteLookups(const StoredItem& item)
{
    if (item.Type == kAlerts)
        alertsByRecord_.emplace(item.Number("RecordID"), item.ID);
    for (const auto& reference : item.PendingReferences) {
        std::vector<std::pair<int, uint32_t>>& keys = pendingHolders_[{std::get<1>(reference), std::get<2>(reference)}];
        if (std::find(keys.begin(), keys.end(), std::make_pair(item.Type, item.ID)) == keys.end())
            keys.emplace_back(item.Type, item.ID);
    }
}

void SyncService::KeepRecordAlert(const StoredItem& record, uint32_t userId, const FormFields& fields)
{
    // The last live one in the store's order, as a walk of the store finds.
    StoredItem* alert = nullptr;
    size_t alertPlace = 0;
    auto candidates = alertsByRecord_.equal_range(record.ID);
    for (auto it = candidates.first; it != candidates.second; ++it) {
        auto place = index_.find({kAlerts, it->second});
        if (place == index_.end() || (alert != nullptr && place->second <= alertPlace))
            continue;
        StoredItem& item = items_[place->second];
        if (item.Deleted == 0 && item.Number("RecordID") == record.ID && item.Number("UserID") == userId) {
            alert = &item;
            alertPlace = place->second;
        }
    }
    uint32_t type = Unsigned(fields, "Alerts_Types0");
    if (type == 0 || record.Number("HasBegin") == 0) {
        if (alert != nullptr)
            TombstoneLocked(*alert);
        return;
    }
    int64_t days = Signed(fields, "Alerts_Days0");
    int64_t hours = Signed(fields, "Alerts_Hours0");
    int64_t minutes = Signed(fields, "Alerts_Minutes0");
    int64_t when =
        LocalTime(record.Field("DateBegin"), record.Field("TimeBegin")) - (days * 86400 + hours * 3600 + minutes * 60);
    std::map<std::string, std::string> values = {{"OrganizerID", record.Field("OrganizerID")},
                                                 {"RecordID", std::to_string(record.ID)},
                                                 {"UserID", std::to_string(userId)},
                                                 {"Type", std::to_string(type)},
                                                 {"DaysBefore", std::to_string(days)},
                                                 {"HoursBefore", std::to_string(hours)},
                                                 {"MinutesBefore", std::to_string(minutes)},
                                                 {"AlertTimestamp", std::to_string(when)},
                                                 {"Settings", "{}"}};
    if (alert != nullptr) {
        if (alert->Fields != values) {
            alert->Fields = values;
            Stamp(*alert);
        }
        return;
    }
    StoredItem made;
    made.Type = kAlerts;
    made.ID = NextID();
    made.Fields = values;
    Stamp(made);
    index_[{kAlerts, made.ID}] = items_.size();
    items_.push_back(std::move(made));
    NoteLookups(items_.back());
}

void SyncService::ApplyRecordTag(StoredItem& record, uint32_t tagId)
{
    bool live = false;
    for (StoredItem& item : items_) {
        if (item.Type != kTagsAssign || item.Deleted != 0 || item.Number("RecordID") != record.ID)
            continue;
        if (item.Number("TagID") == tagId)
            live = true;
        else
            TombstoneLocked(item);
    }
    if (live)
        return;
    StoredItem made;
    made.Type = kTagsAssign;
    made.ID = NextID();
    made.Fields = {{"OrganizerID", record.Field("OrganizerID")},
                   {"RecordID", std::to_string(record.ID)},
                   {"TagID", std::to_string(tagId)}};
    Stamp(made);
    index_[{kTagsAssign, made.ID}] = items_.size();
    items_.push_back(std::move(made));
}

std::string SyncService::Upsync(const FormFields& fields, const Account* account)
{
    uint32_t userId = account->UserID;
    uint32_t instId = Unsigned(fields, "InstID");
    int type = static_cast<int>(Signed(fields, "UpSync"));
    uint32_t upId = Unsigned(fields, "UpSyncID");
    int64_t deleted = Signed(fields, "Deleted");
    if (type < 1 || type > 12 || type == kOrganizers)
        return Refusal("Nezn\xE1m\xFD typ.");
    if (type == kRecords && Signed(fields, "Virtual") != 0)
        return Refusal("Virtu\xE1ln\xED z\xE1znam.");

    std::lock_guard<std::mutex> guard(mutex_);
    // References first: a stale one refuses the whole upload.
    std::map<std::string, std::string> values;
    std::vector<std::tuple<std::string, int, uint32_t>> pendingRefs;
    for (const auto& [key, value] : fields) {
        std::string itemKey = type == kRecords ? RecordItemKey(key) : key;
        const auto& keys = SectionOf(type).Keys;
        if (std::find_if(keys.begin(), keys.end(), [&](const char* k) { return itemKey == k; }) != keys.end())
            values[itemKey] = value;
    }
    std::vector<std::pair<std::string, int>> references = ReferencesOf(type);
    if (type == kRecords)
        references.emplace_back("TagID", kTags);
    uint32_t recordTag = 0;
    for (const auto& [field, referenced] : references) {
        uint32_t id = Unsigned(fields, field);
        uint32_t resolved = id;
        bool pending = false;
        if (!Resolve(userId, instId, referenced, id, resolved, pending)) {
            Violate("stale-reference", field, std::to_string(id));
            return Refusal("Zastaral\xFD odkaz.");
        }
        if (pending)
            pendingRefs.emplace_back(field, referenced, id);
        if (field == "TagID")
            recordTag = pending ? 0 : resolved;
        else if (values.count(field) != 0)
            values[field] = std::to_string(resolved);
    }

    // Rights.
    uint32_t organizerId = static_cast<uint32_t>(std::strtoul(values["OrganizerID"].c_str(), nullptr, 10));
    if (type == kRecords && Unsigned(fields, "SaveToOrganizerID") != 0)
        organizerId = Unsigned(fields, "SaveToOrganizerID");
    auto allowed = [&]() {
        switch (type) {
        case kRecords:
        case kTags:
        case kTagsAssign:
        case kSharing:
            return MayWrite(userId, organizerId);
        case kAlerts:
        case kGroups:
        case kGroupsAssign:
        case kContacts:
            return std::strtoul(values["UserID"].c_str(), nullptr, 10) == userId;
        case kEventTypes:
            return std::strtoul(values["CreatedByUserID"].c_str(), nullptr, 10) == userId;
        default:
            return true;
        }
    };

    // The item: a retry of an unanswered temporary id, a new item, or a
    // known one.
    StoredItem* item = nullptr;
    MapKey mapKey{userId, instId, type, upId};
    if (upId >= kFirstTemporaryID) {
        auto mapped = uploadMap_.find(mapKey);
        if (mapped != uploadMap_.end() && !mapped->second.Answered)
            item = FindLocked(type, mapped->second.ServerID);
    } else {
        item = FindLocked(type, upId);
        if (item == nullptr) {
            if (deleted > 0)
                return "<handshake>1</handshake>" + Element("uploaded-sync-new-id", std::to_string(upId)) +
                       Element("uploaded-sync-new-changed", std::to_string(NextStamp()));
            return Refusal("Polo\x9Eka neexistuje.");
        }
    }
    if (item != nullptr && item->Deleted != 0) {
        Stamp(*item);
        return "<handshake>1</handshake>" + Element("uploaded-sync-new-id", std::to_string(item->ID)) +
               Element("uploaded-sync-new-changed", std::to_string(item->Changed));
    }
    if (!allowed())
        return Refusal("Nedostate\xE8n\xE1 pr\xE1va.");

    bool isNew = item == nullptr;
    if (isNew && type == kTagsAssign) {
        // One live assignment per (record, tag).
        for (StoredItem& other : items_) {
            if (other.Type == kTagsAssign && other.Deleted == 0 && deleted == 0 &&
                other.Number("RecordID") == std::strtoul(values["RecordID"].c_str(), nullptr, 10) &&
                other.Number("TagID") == std::strtoul(values["TagID"].c_str(), nullptr, 10) &&
                other.PendingReferences.empty() && pendingRefs.empty()) {
                item = &other;
                break;
            }
        }
    }
    if (item == nullptr) {
        StoredItem made;
        made.Type = type;
        made.ID = NextID();
        for (const char* key : SectionOf(type).Keys)
            made.Fields[key] = IsTextKey(key) ? "" : "0";
        if (type == kRecords && values["CreatedByUserID"] == "0")
            values["CreatedByUserID"] = std::to_string(userId);
        index_[{type, made.ID}] = items_.size();
        items_.push_back(std::move(made));
        item = &items_.back();
    } else if (type == kRecords) {
        values.erase("CreatedByUserID");
    }
    for (auto& [key, value] : values) {
        if (key != "Deleted")
            item->Fields[key] = value;
    }
    if (type == kRecords) {
        item->Fields["OrganizerID"] = std::to_string(organizerId);
        item->Fields["PlainText"] = PlainOf(item->Field("Text"));
        item->Fields["SearchablePlainText"] = SearchableOf(item->Fields["PlainText"]);
        item->Fields["PlainNote"] = PlainOf(item->Field("Note"));
        item->Fields["SearchablePlainNote"] = SearchableOf(item->Fields["PlainNote"]);
    }
    item->PendingReferences = pendingRefs;
    NoteLookups(*item);
    Stamp(*item);
    uint32_t itemId = item->ID;
    if (deleted > 0) {
        item->Deleted = item->Changed;
        if (type == kRecords)
            TombstoneDependents(*item);
    } else if (type == kRecords) {
        StoredItem record = *item;
        KeepRecordAlert(record, userId, fields);
        if (recordTag > 0)
            ApplyRecordTag(*FindLocked(kRecords, itemId), recordTag);
    }
    item = FindLocked(type, itemId);
    if (upId >= kFirstTemporaryID) {
        uploadMap_[mapKey] = {itemId, false};
        ResolvePending(type, upId, itemId);
        AccountService::WhenAnswerWritten([this, mapKey, itemId] {
            std::lock_guard<std::mutex> written(mutex_);
            auto entry = uploadMap_.find(mapKey);
            if (entry != uploadMap_.end() && entry->second.ServerID == itemId)
                entry->second.Answered = true;
        });
    }
    item = FindLocked(type, itemId);
    return "<handshake>1</handshake>" + Element("uploaded-sync-new-id", std::to_string(itemId)) +
           Element("uploaded-sync-new-changed", std::to_string(item->Changed)) +
           Element("newest-version", std::to_string(accounts_.NewestVersion()));
}

// ---------------------------------------------------------------------------
// Series

std::string SyncService::DeleteSeries(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    uint32_t master = Unsigned(fields, "mid");
    uint32_t resolved = master;
    bool pending = false;
    Resolve(account->UserID, Unsigned(fields, "InstID"), kRecords, master, resolved, pending);
    std::vector<uint32_t> occurrences;
    for (const StoredItem& item : items_) {
        if (item.Type == kRecords && item.Deleted == 0 && item.Number("RecurrenceMasterID") == resolved)
            occurrences.push_back(item.ID);
    }
    for (uint32_t id : occurrences) {
        StoredItem* record = FindLocked(kRecords, id);
        TombstoneLocked(*record);
        TombstoneDependents(*record);
    }
    return "<handshake>1</handshake>";
}

std::string SyncService::SaveSeries(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    uint32_t masterId = Unsigned(fields, "mid");
    uint32_t resolved = masterId;
    bool pending = false;
    Resolve(account->UserID, Unsigned(fields, "InstID"), kRecords, masterId, resolved, pending);
    std::vector<std::string> dates = Split(FieldValue(fields, "d"), ';');
    std::vector<std::string> times = Split(FieldValue(fields, "t"), ';');
    if (dates.size() != times.size()) {
        Violate("series", "d", "lists of unequal length");
        return Refusal("Nesouhlas\xED seznamy.");
    }
    const StoredItem* found = FindLocked(kRecords, resolved);
    if (found == nullptr || !MayWrite(account->UserID, found->Number("OrganizerID")))
        return Refusal("Polo\x9Eka neexistuje.");
    StoredItem master = *found;
    bool dateOnly = master.Field("TimeBegin").rfind("99", 0) == 0;
    int64_t begin = LocalTime(master.Field("DateBegin"), master.Field("TimeBegin"));
    int64_t length =
        master.Number("HasEnd") != 0 ? LocalTime(master.Field("DateEnd"), master.Field("TimeEnd")) - begin : -1;
    for (size_t i = 0; i < dates.size(); ++i) {
        StoredItem occurrence = master;
        occurrence.ID = NextID();
        occurrence.Created = 0;
        occurrence.Deleted = 0;
        occurrence.PendingReferences.clear();
        occurrence.Fields["RecurrenceMasterID"] = std::to_string(master.ID);
        occurrence.Fields["RecurrenceFrequency"] = "0";
        occurrence.Fields["RecurrenceSettings"] = "";
        occurrence.Fields["DateBegin"] = dates[i];
        occurrence.Fields["TimeBegin"] = dateOnly ? master.Field("TimeBegin") : times[i];
        if (length >= 0) {
            int64_t end = LocalTime(dates[i], occurrence.Fields["TimeBegin"]) + length;
            occurrence.Fields["DateEnd"] = LocalDate(end);
            occurrence.Fields["TimeEnd"] = dateOnly ? master.Field("TimeEnd") : LocalClock(end);
        }
        Stamp(occurrence);
        index_[{kRecords, occurrence.ID}] = items_.size();
        items_.push_back(std::move(occurrence));
    }
    return "<handshake>1</handshake>";
}

} // namespace test_service
