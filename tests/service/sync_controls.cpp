#include "tests/service/form_decoder.h"
#include "tests/service/sync_service.h"
#include "tests/service/test_service.h"

#include <cstdlib>

// The controls of the item store for a service run by hand, under
// "/__test/": another party's changes, the page size, the store, and faults
// per request name.
namespace test_service {

namespace {

int Number(const FormFields& fields, const char* key, int fallback)
{
    std::string value = FieldValue(fields, key);
    return value.empty() ? fallback : std::atoi(value.c_str());
}

bool ParseApiFault(const FormFields& fields, ApiFault& fault)
{
    std::string kind = FieldValue(fields, "kind");
    if (kind == "delay")
        fault = ApiFault::Delay(Number(fields, "ms", 1000));
    else if (kind == "close")
        fault = ApiFault::CloseBeforeAnswer();
    else if (kind == "commit-close")
        fault = ApiFault::CommitThenClose();
    else if (kind == "status")
        fault = ApiFault::WithStatus(Number(fields, "status", 500), FieldValue(fields, "text"));
    else if (kind == "refuse")
        fault = ApiFault::Refuse(FieldValue(fields, "text"));
    else if (kind == "cut")
        fault = ApiFault::CutBody(static_cast<size_t>(Number(fields, "after", 1)));
    else if (kind == "endless")
        fault = ApiFault::EndlessBody();
    else if (kind == "declared-length")
        fault = ApiFault::DeclaredLength(std::strtoull(FieldValue(fields, "length").c_str(), nullptr, 10));
    else
        return false;
    return true;
}

} // namespace

void SyncService::RegisterControls(TestService& service)
{
    // /__test/sync/change?type=1&id=9001&Text=…: the fields, with a new stamp.
    service.Route("/__test/sync/change", [this](const Request& request) {
        FormFields fields = DecodeFormLeniently(request.Query);
        std::map<std::string, std::string> values;
        for (const auto& [key, value] : fields) {
            if (key != "type" && key != "id")
                values[key] = value;
        }
        bool changed = Change(Number(fields, "type", 0), static_cast<uint32_t>(Number(fields, "id", 0)), values);
        return Response::Text(changed ? "changed\n" : "no such live item\n", changed ? 200 : 404);
    });
    // /__test/sync/seed?type=4&RecordID=…: a new item with the fields given
    // (the rest as the type's defaults); answers "seeded <id>".
    service.Route("/__test/sync/seed", [this](const Request& request) {
        FormFields fields = DecodeFormLeniently(request.Query);
        std::map<std::string, std::string> values;
        for (const auto& [key, value] : fields) {
            if (key != "type")
                values[key] = value;
        }
        const int type = Number(fields, "type", 0);
        if (type < kRecords || type > kAlerts)
            return Response::Text("no such type\n", 400);
        return Response::Text("seeded " + std::to_string(Seed(type, values)) + "\n");
    });
    Route("/__test/sync/tombstone", service, [this](const FormFields& fields) {
        return Tombstone(Number(fields, "type", 0), static_cast<uint32_t>(Number(fields, "id", 0)));
    });
    Route("/__test/sync/array-limit", service, [this](const FormFields& fields) {
        SetArrayLimit(Number(fields, "value", 100));
        return true;
    });
    // One line an item of the type: id, Changed, Deleted, Text or Title;
    // with field=<name>, that field's value in place of the text.
    service.Route("/__test/sync/items", [this](const Request& request) {
        FormFields fields = DecodeFormLeniently(request.Query);
        const std::string field = FieldValue(fields, "field");
        std::string text;
        for (const StoredItem& item : Items(Number(fields, "type", kRecords)))
            text += std::to_string(item.ID) + " " + std::to_string(item.Changed) + " " + std::to_string(item.Deleted) +
                    " " + (field.empty() ? item.Field("Text") + item.Field("Title") : item.Field(field)) + "\n";
        return Response::Text(text);
    });
    // /__test/api-fault?name=upsync&kind=delay|close|commit-close|status|refuse|cut|endless|declared-length
    //   &ms=&status=&text=&after=&times=<n>|always
    Route("/__test/api-fault", service, [this](const FormFields& fields) {
        ApiFault fault;
        std::string name = FieldValue(fields, "name");
        if (name.empty() || !ParseApiFault(fields, fault))
            return false;
        std::string times = FieldValue(fields, "times");
        accounts_.ArmApiFault(name, fault, times == "always" ? kAlways : Number(fields, "times", 1));
        return true;
    });
    Route("/__test/api-disarm", service, [this](const FormFields&) {
        accounts_.DisarmApiFaults();
        return true;
    });
}

void SyncService::Route(const char* path, TestService& service, std::function<bool(const FormFields&)> control)
{
    service.Route(path, [control](const Request& request) {
        bool done = control(DecodeFormLeniently(request.Query));
        return Response::Text(done ? "done\n" : "refused\n", done ? 200 : 400);
    });
}

} // namespace test_service
