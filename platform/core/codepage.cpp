#include "platform/core/codepage.h"

#include <array>
#include <cstdint>

namespace plat {
namespace {

constexpr char32_t kUndefined = 0xFFFD;

// Code points of the bytes 0x80 to 0xFF; below 0x80 the byte is its code point.
constexpr std::array<char32_t, 128> kHighHalf = {
    0x20AC,     kUndefined, 0x201A, kUndefined, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    kUndefined, 0x2030,     0x0160, 0x2039,     0x015A, 0x0164, 0x017D, 0x0179, // 88
    kUndefined, 0x2018,     0x2019, 0x201C,     0x201D, 0x2022, 0x2013, 0x2014, // 90
    kUndefined, 0x2122,     0x0161, 0x203A,     0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0,     0x02C7,     0x02D8, 0x0141,     0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8,     0x00A9,     0x015E, 0x00AB,     0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0,     0x00B1,     0x02DB, 0x0142,     0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8,     0x0105,     0x015F, 0x00BB,     0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154,     0x00C1,     0x00C2, 0x0102,     0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C,     0x00C9,     0x0118, 0x00CB,     0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110,     0x0143,     0x0147, 0x00D3,     0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158,     0x016E,     0x00DA, 0x0170,     0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155,     0x00E1,     0x00E2, 0x0103,     0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D,     0x00E9,     0x0119, 0x00EB,     0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111,     0x0144,     0x0148, 0x00F3,     0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159,     0x016F,     0x00FA, 0x0171,     0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at `pos`, advancing it; malformed input gives
// U+FFFD and skips one byte.
char32_t NextUtf8(std::string_view text, size_t& pos)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return kUndefined;
    }
    if (pos + static_cast<size_t>(extra) >= text.size()) {
        ++pos;
        return kUndefined;
    }
    for (int i = 1; i <= extra; ++i) {
        unsigned char next = byte(pos + static_cast<size_t>(i));
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kUndefined;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    pos += static_cast<size_t>(extra) + 1;
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return kUndefined;
    return cp;
}

void AppendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

char EncodeOrQuestionMark(char32_t cp)
{
    int byte = CodePointToCp1250(cp);
    return static_cast<char>(byte < 0 ? '?' : byte);
}

} // namespace

char32_t Cp1250ToCodePoint(unsigned char byte)
{
    return byte < 0x80 ? char32_t{byte} : kHighHalf[byte - 0x80];
}

int CodePointToCp1250(char32_t codePoint)
{
    if (codePoint < 0x80)
        return static_cast<int>(codePoint);
    if (codePoint == kUndefined)
        return -1;
    for (size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string Cp1250ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text)
        AppendUtf8(out, Cp1250ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToCp1250(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size())
        out.push_back(EncodeOrQuestionMark(NextUtf8(text, pos)));
    return out;
}

std::u16string Cp1250ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(static_cast<char16_t>(Cp1250ToCodePoint(static_cast<unsigned char>(c))));
    return out;
}

std::string Utf16ToCp1250(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(EncodeOrQuestionMark(cp));
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size())
        AppendUtf16(out, NextUtf8(text, pos));
    return out;
}

} // namespace plat
