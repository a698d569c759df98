#include "tests/service/form_decoder.h"
#include "tests/service/test_service.h"

#include <cstdlib>

// The controls of a service run by hand, under "/__test/". Their queries are
// decoded without the violation checks, as no client of the program sends
// them.
namespace test_service {

namespace {

int Number(const FormFields& fields, const char* key, int fallback)
{
    std::string value = FieldValue(fields, key);
    return value.empty() ? fallback : std::atoi(value.c_str());
}

bool ParseFault(const FormFields& fields, Fault& fault)
{
    std::string kind = FieldValue(fields, "kind");
    if (kind == "stall")
        fault = Fault::Stall(Number(fields, "ms", 0));
    else if (kind == "reset")
        fault = Fault::Reset();
    else if (kind == "redirect")
        fault = Fault::Redirect(Number(fields, "status", 302), FieldValue(fields, "location"));
    else if (kind == "status")
        fault = Fault::WithStatus(Number(fields, "status", 500), FieldValue(fields, "body"));
    else if (kind == "cut")
        fault = Fault::CutBody(static_cast<size_t>(Number(fields, "after", 0)));
    else if (kind == "slow")
        fault = Fault::SlowBody(Number(fields, "rate", 100));
    else
        return false;
    return true;
}

} // namespace

void TestService::RegisterControls()
{
    // /__test/fault?path=/x&kind=stall|reset|redirect|status|cut|slow
    //   &ms=&status=&location=&body=&after=&rate=&times=<n>|always
    Route("/__test/fault", [this](const Request& request) {
        FormFields fields = DecodeFormLeniently(request.Query);
        Fault fault;
        std::string path = FieldValue(fields, "path");
        if (path.empty() || !ParseFault(fields, fault))
            return Response::Text("path and a known kind are needed\n", 400);
        std::string times = FieldValue(fields, "times");
        ArmFault(path, fault, times == "always" ? kAlways : Number(fields, "times", 1));
        return Response::Text("armed\n");
    });
    Route("/__test/disarm", [this](const Request&) {
        DisarmFaults();
        return Response::Text("disarmed\n");
    });
    // One line a request: connection, method, target, body bytes.
    Route("/__test/requests", [this](const Request&) {
        std::string text;
        for (const LoggedRequest& logged : Requests())
            text += std::to_string(logged.Connection) + " " + logged.Method + " " + logged.Target + " " +
                    std::to_string(logged.Body.size()) + "\n";
        return Response::Text(text);
    });
    Route("/__test/connections",
          [this](const Request&) { return Response::Text(std::to_string(ConnectionCount()) + "\n"); });
    // One line a violation: kind, path, key, detail.
    Route("/__test/violations", [this](const Request&) {
        std::string text;
        for (const Violation& violation : Violations())
            text += violation.Kind + " " + violation.Path + " " + violation.Key + " " + violation.Detail + "\n";
        return Response::Text(text);
    });
    Route("/__test/clear", [this](const Request&) {
        ClearLogs();
        return Response::Text("cleared\n");
    });
}

} // namespace test_service
