#include "tests/service/form_decoder.h"

#include <cstdint>
#include <cstdio>

namespace test_service {

namespace {

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

bool IsAlphaNumeric(unsigned char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9');
}

bool IsKey(std::string_view key)
{
    if (key.empty())
        return false;
    for (unsigned char ch : key) {
        if (!IsAlphaNumeric(ch) && ch != '_')
            return false;
    }
    return true;
}

std::string ByteText(unsigned char ch)
{
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02X", ch);
    return text;
}

// A raw ";" is allowed: the occurrence lists carry it between their
// encoded elements.
void CheckValue(std::string_view key, std::string_view value, std::string_view path, std::vector<Violation>& violations)
{
    auto add = [&](const char* kind, std::string detail) {
        violations.push_back({kind, std::string(path), std::string(key), std::move(detail)});
    };
    for (size_t i = 0; i < value.size(); ++i) {
        auto ch = static_cast<unsigned char>(value[i]);
        if (IsAlphaNumeric(ch) || ch == '+' || ch == ';')
            continue;
        if (ch != '%') {
            add("raw", ByteText(ch));
            continue;
        }
        int high = i + 1 < value.size() ? HexDigit(value[i + 1]) : -1;
        int low = i + 2 < value.size() ? HexDigit(value[i + 2]) : -1;
        if (high < 0 || low < 0) {
            add("escape", std::string(value.substr(i, 3)));
            continue;
        }
        std::string_view escape = value.substr(i, 3);
        if ((value[i + 1] >= 'a' && value[i + 1] <= 'f') || (value[i + 2] >= 'a' && value[i + 2] <= 'f'))
            add("hex-case", std::string(escape));
        if (IsAlphaNumeric(static_cast<unsigned char>(high * 16 + low)))
            add("over-encoded", std::string(escape));
        i += 2;
    }
}

FormFields Decode(std::string_view text, std::string_view path, std::vector<Violation>* violations)
{
    FormFields fields;
    // An upload's item form follows "UpSyncID"; its own "UserID" is no
    // repeat of the head's.
    size_t formStart = SIZE_MAX;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('&', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view pair = text.substr(start, end - start);
        start = end + 1;
        size_t equals = pair.find('=');
        if (pair.empty() || equals == std::string_view::npos) {
            if (violations != nullptr && !(pair.empty() && text.empty()))
                violations->push_back({"pair", std::string(path), std::string(pair), ""});
            continue;
        }
        std::string_view key = pair.substr(0, equals);
        std::string_view value = pair.substr(equals + 1);
        bool repeated = false;
        bool inForm = fields.size() >= formStart && key == "UserID";
        for (size_t i = inForm ? formStart : 0; i < fields.size(); ++i)
            repeated = repeated || fields[i].first == key;
        if (key == "UpSyncID")
            formStart = fields.size() + 1;
        if (violations != nullptr) {
            if (!IsKey(key))
                violations->push_back({"key", std::string(path), std::string(key), ""});
            CheckValue(key, value, path, *violations);
            if (repeated)
                violations->push_back({"repeat", std::string(path), std::string(key), ""});
        }
        if (!repeated)
            fields.emplace_back(std::string(key), DecodeValue(value));
    }
    return fields;
}

} // namespace

std::string DecodeValue(std::string_view value)
{
    std::string decoded;
    decoded.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '+') {
            decoded += ' ';
        } else if (value[i] == '%' && i + 2 < value.size() && HexDigit(value[i + 1]) >= 0 &&
                   HexDigit(value[i + 2]) >= 0) {
            decoded += static_cast<char>(HexDigit(value[i + 1]) * 16 + HexDigit(value[i + 2]));
            i += 2;
        } else {
            decoded += value[i];
        }
    }
    return decoded;
}

FormFields DecodeForm(std::string_view text, std::string_view path, std::vector<Violation>& violations)
{
    return Decode(text, path, &violations);
}

FormFields DecodeFormLeniently(std::string_view text)
{
    return Decode(text, "", nullptr);
}

std::string FieldValue(const FormFields& fields, std::string_view key)
{
    for (const auto& field : fields) {
        if (field.first == key)
            return field.second;
    }
    return {};
}

} // namespace test_service
