#include "online/web_answer.h"

#include <new>

namespace {

// The value is a number when it is one or more digits that fit 32 bits.
bool ReadNumber(std::string_view value, uint32_t& number)
{
    number = 0;
    if (value.empty())
        return false;
    uint64_t total = 0;
    for (char ch : value) {
        if (ch < '0' || ch > '9')
            return false;
        total = total * 10 + static_cast<uint64_t>(ch - '0');
        if (total > UINT32_MAX)
            return false;
    }
    number = static_cast<uint32_t>(total);
    return true;
}

// Every backslash dropped, the character after it kept.
std::string Unescape(std::string_view value)
{
    std::string plain;
    plain.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\') {
            if (++i == value.size())
                break;
        }
        plain += value[i];
    }
    return plain;
}

} // namespace

void TNWebAnswer::Init()
{
    Items.clear();
}

void TNWebAnswer::Clear()
{
    Items.clear();
    Items.shrink_to_fit();
}

bool TNWebAnswer::Resize(int32_t count)
{
    if (count < 0)
        return false;
    try {
        size_t wanted = static_cast<size_t>(count);
        if (wanted < Items.size()) {
            Items.resize(wanted);
            return true;
        }
        Items.reserve(wanted + 2);
        while (Items.size() < wanted)
            Items.push_back(std::make_unique<TNWebAnswerItem>());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TNWebAnswer::Add(std::string_view name, std::string_view value, uint32_t number, bool isNumber)
{
    if (!Resize(Count() + 1))
        return false;
    TNWebAnswerItem& item = *Items.back();
    if (!item.Name.Set(name) || !item.Value.Set(value)) {
        Items.pop_back();
        return false;
    }
    item.Number = number;
    item.IsNumber = isNumber;
    return true;
}

bool TNWebAnswer::CopyFrom(const TNWebAnswer& other)
{
    if (&other == this)
        return true;
    if (!Resize(other.Count()))
        return false;
    for (size_t i = 0; i < Items.size(); ++i) {
        const TNWebAnswerItem& source = *other.Items[i];
        TNWebAnswerItem& target = *Items[i];
        if (!target.Name.Set(source.Name.View()) || !target.Value.Set(source.Value.View()))
            return false;
        target.Number = source.Number;
        target.IsNumber = source.IsNumber;
    }
    return true;
}

int32_t TNWebAnswer::FindByName(std::string_view name, int32_t start) const
{
    for (int32_t i = start < 0 ? 0 : start; i < Count(); ++i) {
        if (Items[static_cast<size_t>(i)]->Name.View() == name)
            return i;
    }
    return -1;
}

int32_t TNWebAnswer::Parse(std::string_view text)
{
    const size_t n = text.size();
    if (n < 5)
        return 0;
    for (size_t p = 0; p < n; ++p) {
        if (text[p] != '[')
            continue;
        size_t nameColon = text.find(':', p + 1);
        if (nameColon == std::string_view::npos)
            continue;
        std::string_view name = text.substr(p + 1, nameColon - p - 1);
        size_t valueStart = nameColon + 1;
        // The value ends at the first "]" right after a ":"; the name's own
        // colon counts, so "[Data:]" has an empty value.
        size_t close = valueStart;
        bool escaped = false;
        while (close < n && !(text[close] == ']' && text[close - 1] == ':')) {
            escaped = escaped || text[close] == '\\';
            ++close;
        }
        if (close == n)
            break;
        size_t valueEnd = close - 1 > valueStart ? close - 1 : valueStart;
        std::string_view value = text.substr(valueStart, valueEnd - valueStart);
        uint32_t number = 0;
        bool isNumber = ReadNumber(value, number);
        if (escaped)
            Add(name, Unescape(value), number, isNumber);
        else
            Add(name, value, number, isNumber);
        p = close;
    }
    return Count();
}
