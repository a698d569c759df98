#include "tests/service/service_types.h"

#include <algorithm>
#include <cctype>

namespace test_service {

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string FindHeader(const HeaderFields& headers, std::string_view name)
{
    for (const auto& [field, value] : headers) {
        if (SameName(field, name))
            return value;
    }
    return {};
}

bool HasHeader(const HeaderFields& headers, std::string_view name)
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto& field) { return SameName(field.first, name); });
}

Response Response::Text(std::string body, int status)
{
    Response response;
    response.Status = status;
    response.Body = std::move(body);
    return response;
}

Fault Fault::Stall(int milliseconds)
{
    Fault fault;
    fault.Type = Kind::Stall;
    fault.Milliseconds = milliseconds;
    return fault;
}

Fault Fault::Reset()
{
    Fault fault;
    fault.Type = Kind::Reset;
    return fault;
}

Fault Fault::Redirect(int status, std::string location)
{
    Fault fault;
    fault.Type = Kind::Redirect;
    fault.Status = status;
    fault.Location = std::move(location);
    return fault;
}

Fault Fault::WithStatus(int status, std::string body)
{
    Fault fault;
    fault.Type = Kind::Status;
    fault.Status = status;
    fault.Body = std::move(body);
    return fault;
}

Fault Fault::CutBody(size_t after)
{
    Fault fault;
    fault.Type = Kind::CutBody;
    fault.CutAfter = after;
    return fault;
}

Fault Fault::SlowBody(int bytesPerSecond)
{
    Fault fault;
    fault.Type = Kind::SlowBody;
    fault.BytesPerSecond = bytesPerSecond;
    return fault;
}

} // namespace test_service
