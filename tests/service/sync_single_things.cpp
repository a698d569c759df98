// The requests for single things of the item store: pictures and their
// files, object data, the public organizers and their records, and the list
// of every record id of an organizer.

#include "tests/service/sync_service.h"

#include "tests/service/test_service.h"

#include <algorithm>
#include <cstdlib>

namespace test_service {

namespace {

constexpr size_t kMostPopularOrganizers = 50;

uint32_t UnsignedField(const FormFields& fields, const std::string& key)
{
    return static_cast<uint32_t>(std::strtoul(FieldValue(fields, key).c_str(), nullptr, 10));
}

bool HasFieldNamed(const FormFields& fields, const std::string& key)
{
    for (const auto& field : fields)
        if (field.first == key)
            return true;
    return false;
}

// The widths of "RequestedWidths": each closed by ";".
std::vector<int> RequestedWidths(const FormFields& fields)
{
    std::vector<int> widths;
    const std::string list = FieldValue(fields, "RequestedWidths");
    size_t start = 0;
    for (size_t end = list.find(';'); end != std::string::npos; end = list.find(';', start)) {
        widths.push_back(std::atoi(list.substr(start, end - start).c_str()));
        start = end + 1;
    }
    return widths;
}

// The picture id of a file name "<id>.jpg" or "<id>-w<w>.jpg"; 0 when the
// name is neither.
uint32_t PictureIdOfFile(const std::string& name)
{
    size_t digits = name.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string::npos)
        return 0;
    std::string rest = name.substr(digits);
    bool full = rest == ".jpg";
    bool sized = rest.size() > 6 && rest.compare(0, 2, "-w") == 0 && rest.compare(rest.size() - 4, 4, ".jpg") == 0 &&
                 rest.find_first_not_of("0123456789", 2) == rest.size() - 4;
    return full || sized ? static_cast<uint32_t>(std::strtoul(name.c_str(), nullptr, 10)) : 0;
}

// The number of a key in a compact JSON text ("key":n), 0 when absent.
uint32_t JsonNumber(const std::string& json, const std::string& key)
{
    size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos
               ? 0
               : static_cast<uint32_t>(std::strtoul(json.c_str() + at + key.size() + 3, nullptr, 10));
}

} // namespace

void SyncService::RouteSingleThings()
{
    auto route = [this](const char* name, std::string (SyncService::*handler)(const FormFields&, const Account*)) {
        accounts_.RouteApi(name, [this, handler](const FormFields& fields, const Account* account) {
            if (account == nullptr)
                return std::string("<handshake>0</handshake>") + Element("Response", "Chyb\xED u\x9Eivatel.");
            return (this->*handler)(fields, account);
        });
    };
    route("get-record-picture", &SyncService::RecordPicture);
    route("get-organizer-picture", &SyncService::OrganizerPicture);
    route("get-user-profile-picture", &SyncService::UserProfilePicture);
    route("get-object-data", &SyncService::ObjectData);
    route("get-popular-and-newest-organizers", &SyncService::PopularOrganizers);
    route("get-list-of-organizers-all-records-ids", &SyncService::AllRecordsIds);
    route("get-available-records-of-public-organizer", &SyncService::PublicOrganizerRecords);
}

// ---------------------------------------------------------------------------
// Pictures

void SyncService::SeedPicture(uint32_t pictureId, std::string jpegBytes)
{
    std::lock_guard<std::mutex> guard(mutex_);
    pictures_[pictureId] = std::move(jpegBytes);
}

void SyncService::ServePictures(TestService& service)
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        pictureBase_ = service.BaseUrl() + "/pictures/";
    }
    service.Route("/pictures/", [this](const Request& request) { return PictureFile(request); });
}

Response SyncService::PictureFile(const Request& request) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    auto found = pictures_.find(PictureIdOfFile(request.Path.substr(std::string("/pictures/").size())));
    if (request.Method != "GET" || found == pictures_.end())
        return Response::Text("Not Found", 404);
    Response response = Response::Text(found->second);
    response.Headers.push_back({"X-Content-Kind", "image/jpeg"});
    return response;
}

// The addresses of a picture: the full size and one per requested width.
// Without a picture, "error-string" and no addresses.
std::string SyncService::PictureAnswer(uint32_t pictureId, const FormFields& fields, bool withWidths) const
{
    std::string answer = "<handshake>1</handshake>";
    if (pictureId == 0)
        return answer + Element("error-string", "Obr\xE1zek neexistuje.");
    const std::string id = std::to_string(pictureId);
    answer += Element("picture-url", pictureBase_ + id + ".jpg");
    if (withWidths) {
        for (int width : RequestedWidths(fields)) {
            const std::string w = std::to_string(width);
            answer += Element("picture-url-" + w, pictureBase_ + id + "-w" + w + ".jpg");
        }
    }
    return answer;
}

std::string SyncService::RecordPicture(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const StoredItem* record = FindLocked(kRecords, UnsignedField(fields, "RecordID"));
    bool readable = record != nullptr && record->Deleted == 0 && Visible(*record, account->UserID);
    return PictureAnswer(readable ? record->Number("MainPicture") : 0, fields, true);
}

std::string SyncService::OrganizerPicture(const FormFields& fields, const Account*)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const StoredItem* organizer = FindLocked(kOrganizers, UnsignedField(fields, "OrganizerID"));
    return PictureAnswer(organizer != nullptr ? organizer->Number("CalendarIcon") : 0, fields, true);
}

std::string SyncService::UserProfilePicture(const FormFields& fields, const Account*)
{
    std::lock_guard<std::mutex> guard(mutex_);
    return PictureAnswer(UnsignedField(fields, "ProfilePicture"), fields,
                         HasFieldNamed(fields, "RequestedWidthsCount"));
}

// ---------------------------------------------------------------------------
// Object data

// Type 1: the requester as the contact request names it. Type 2: the sender
// and the organizer of the notification's settings. A missing or deleted
// object answers "false".
std::string SyncService::ObjectData(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const int type = static_cast<int>(std::strtol(FieldValue(fields, "ObjectType").c_str(), nullptr, 10));
    const uint32_t id = UnsignedField(fields, "ObjectID");
    const StoredItem* item = FindLocked(type == 1 ? kContactsRequests : kNotifications, id);
    std::string answer = "<handshake>1</handshake>";
    if ((type != 1 && type != 2) || item == nullptr || item->Deleted != 0 || !Visible(*item, account->UserID))
        return answer + Element("object-data", "false");
    answer += Element("object-data", "1");
    if (type == 1) {
        for (const char* key : {"FullName", "Bio", "Web", "Company", "City", "ProfilePicture"})
            answer += Element(key, item->Field(key));
        return answer;
    }
    answer += Element("FullName", item->Field("SenderFullName"));
    const StoredItem* organizer = FindLocked(kOrganizers, JsonNumber(item->Field("Settings"), "OrganizerID"));
    answer += Element("OrganizerTitle", organizer != nullptr ? organizer->Field("Title") : "");
    answer += Element("OrganizerNote", organizer != nullptr ? organizer->Field("Note") : "");
    answer += Element("OrganizerName", organizer != nullptr ? organizer->Field("Name") : "");
    answer += Element("OrganizerType", organizer != nullptr ? organizer->Field("Type") : "0");
    return answer;
}

// ---------------------------------------------------------------------------
// Public organizers and the id lists

std::string SyncService::PopularOrganizers(const FormFields&, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    std::vector<const StoredItem*> listed;
    for (const StoredItem& item : items_)
        if (item.Type == kOrganizers && item.Deleted == 0 && item.Number("Visibility") == 1)
            listed.push_back(&item);
    std::stable_sort(listed.begin(), listed.end(), [](const StoredItem* a, const StoredItem* b) {
        if (a->Number("SubscribersCount") != b->Number("SubscribersCount"))
            return a->Number("SubscribersCount") > b->Number("SubscribersCount");
        return a->Created > b->Created;
    });
    if (listed.size() > kMostPopularOrganizers)
        listed.resize(kMostPopularOrganizers);
    std::string list;
    for (size_t k = 0; k < listed.size(); ++k) {
        const std::string name = std::to_string(k);
        list += "<" + name + ">" + ItemText(*listed[k], account->UserID) + "</" + name + ">";
    }
    return "<handshake>1</handshake>" + Element("organizers-count", std::to_string(listed.size())) + "<organizers>" +
           list + "</organizers>";
}

std::string SyncService::AllRecordsIds(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const uint32_t organizerId = UnsignedField(fields, "OrganizerID");
    std::vector<const StoredItem*> records;
    if (Relates(account->UserID, organizerId)) {
        for (const StoredItem& item : items_)
            if (item.Type == kRecords && item.Deleted == 0 && item.Number("OrganizerID") == organizerId &&
                item.PendingReferences.empty())
                records.push_back(&item);
    }
    std::sort(records.begin(), records.end(), [](const StoredItem* a, const StoredItem* b) { return a->ID < b->ID; });
    std::vector<uint32_t> ids;
    std::string list;
    for (const StoredItem* record : records) {
        ids.push_back(record->ID);
        list += (record->IdText.empty() ? std::to_string(record->ID) : record->IdText) + ";";
    }
    const std::string count = std::to_string(ids.size());
    return "<handshake>1</handshake>" + Element("organizer-id", std::to_string(organizerId)) +
           Element("pim-srv-pos", FieldValue(fields, "pimSrvPos")) +
           Element("last-id", std::to_string(ids.empty() ? 0 : ids.back())) + Element("records-count", count) +
           Element("real-count", count) + "<records-ids>" + list + "</records-ids>";
}

std::string SyncService::PublicOrganizerRecords(const FormFields& fields, const Account* account)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const uint32_t organizerId = UnsignedField(fields, "OrganizerID");
    const StoredItem* organizer = FindLocked(kOrganizers, organizerId);
    std::vector<const StoredItem*> records;
    if (organizer != nullptr && organizer->Deleted == 0 &&
        (organizer->Number("Visibility") == 1 || Relates(account->UserID, organizerId))) {
        for (const StoredItem& item : items_)
            if (item.Type == kRecords && item.Deleted == 0 && item.Number("OrganizerID") == organizerId &&
                item.PendingReferences.empty())
                records.push_back(&item);
    }
    std::stable_sort(records.begin(), records.end(), [](const StoredItem* a, const StoredItem* b) {
        return a->Field("DateBegin") + a->Field("TimeBegin") < b->Field("DateBegin") + b->Field("TimeBegin");
    });
    std::string list;
    for (size_t k = 0; k < records.size(); ++k) {
        const std::string name = std::to_string(k);
        list += "<" + name + ">" + ItemText(*records[k], account->UserID) + "</" + name + ">";
    }
    return "<handshake>1</handshake>" + Element("organizer-id", std::to_string(organizerId)) +
           Element("pim-srv-pos", "0") + Element("records-count", std::to_string(records.size())) + "<records>" + list +
           "</records>";
}

} // namespace test_service
