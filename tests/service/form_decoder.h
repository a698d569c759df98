#pragma once

#include "tests/service/service_types.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace test_service {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// Decodes a form body or query: pairs split on "&" only, each at its first
// "=", "+" a space and %XX a byte. A repeated key keeps its first value.
// Everything the client should have written otherwise is added to
// violations, naming the path.
FormFields DecodeForm(std::string_view text, std::string_view path, std::vector<Violation>& violations);

// The same decoding, with no checks (for the service's own controls).
FormFields DecodeFormLeniently(std::string_view text);

// The value of the first field of that key, empty when none.
std::string FieldValue(const FormFields& fields, std::string_view key);

// Percent-decoding of one value.
std::string DecodeValue(std::string_view value);

} // namespace test_service
