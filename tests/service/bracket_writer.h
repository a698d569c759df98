#pragma once

#include <string>
#include <string_view>

namespace test_service {

// One item "[name:value:]" of the update service's answers. In the value a
// backslash becomes "\\" and "]" becomes "\]", so ":]" never occurs inside
// it; every other byte, zero bytes included, goes out as it is.
std::string BracketItem(std::string_view name, std::string_view value);

} // namespace test_service
