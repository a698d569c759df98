#include "tests/service/bracket_writer.h"

namespace test_service {

std::string BracketItem(std::string_view name, std::string_view value)
{
    std::string item;
    item.reserve(name.size() + value.size() + 8);
    item += '[';
    item += name;
    item += ':';
    for (char ch : value) {
        if (ch == '\\' || ch == ']')
            item += '\\';
        item += ch;
    }
    item += ":]";
    return item;
}

} // namespace test_service
