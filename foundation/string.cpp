#include "foundation/string.h"

#include "foundation/log.h"
#include "platform/core/bytes.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

// The folding table: a byte of the source row compares as the byte at the
// same place of the target row; the first occurrence wins. The last four
// pairs (Ŕ Ł Ş Î) complete the upper-case forms of letters whose lower-case
// forms the rows already fold.
constexpr unsigned char kFoldSource[] = {
    0xe1, 0xe4, 0xe2, 0xb9, 0xe3, 0xe8, 0xe6, 0xe7, 0xef, 0xf0, 0xe9, 0xec, 0xeb, 0xea, 0xed, 0xee,
    0xe5, 0xbe, 0xb3, 0xf2, 0xf1, 0xf3, 0xf4, 0xf5, 0xf6, 0xf8, 0x9a, 0x9c, 0xba, 0x9d, 0xfa, 0xf9,
    0x75, 0xfc, 0xfb, 0xfd, 0xe0, 0x9e, 0x9f, 0xc1, 0xc4, 0xa5, 0xc2, 0xc3, 0xc8, 0xc6, 0xcf, 0xd0,
    0xc9, 0xcc, 0xca, 0xcb, 0xcd, 0xc5, 0xc5, 0xbc, 0xd2, 0xd1, 0xd3, 0xd4, 0xd5, 0xd6, 0xd8, 0x8a,
    0x8c, 0x8d, 0xda, 0xd9, 0x55, 0xdc, 0xdb, 0xdd, 0x52, 0x8f, 0x8e, 0xc7, 0xc0, 0xa3, 0xaa, 0xce,
};
constexpr char kFoldTarget[] = "aaaaacccddeeeeiilllnnoooorssstuuuuuyrzzAAAAACCDDEEEEILLLNNOOOORSSTUUUUUYRZZC"
                               "RLSI";
static_assert(sizeof(kFoldSource) == sizeof(kFoldTarget) - 1);

constexpr unsigned char LowerAscii(unsigned char ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<unsigned char>(ch + ('a' - 'A')) : ch;
}

// How each byte compares under the four combinations of the search flags.
// Mode bit 0: ignore A-Z case; bit 1: fold diacritics.
constexpr int kIgnoreCase = 1;
constexpr int kFoldDiacritics = 2;

struct CompareTables {
    unsigned char fold[256];
    unsigned char canon[4][256];
    // How many bytes compare equal to this one, itself included.
    unsigned short classSize[4][256];
};

constexpr CompareTables BuildCompareTables()
{
    CompareTables t{};
    bool seen[256]{};
    for (int b = 0; b < 256; ++b)
        t.fold[b] = static_cast<unsigned char>(b);
    for (size_t i = 0; i < sizeof(kFoldSource); ++i) {
        if (!seen[kFoldSource[i]]) {
            seen[kFoldSource[i]] = true;
            t.fold[kFoldSource[i]] = static_cast<unsigned char>(kFoldTarget[i]);
        }
    }
    for (int mode = 0; mode < 4; ++mode) {
        unsigned short count[256]{};
        for (int b = 0; b < 256; ++b) {
            unsigned char c = static_cast<unsigned char>(b);
            if (mode & kFoldDiacritics)
                c = t.fold[c];
            if (mode & kIgnoreCase)
                c = LowerAscii(c);
            t.canon[mode][b] = c;
            ++count[c];
        }
        for (int b = 0; b < 256; ++b)
            t.classSize[mode][b] = count[t.canon[mode][b]];
    }
    return t;
}

constexpr CompareTables kCompare = BuildCompareTables();

int CompareMode(bool caseSensitive, bool removeDiacritics)
{
    return (caseSensitive ? 0 : kIgnoreCase) | (removeDiacritics ? kFoldDiacritics : 0);
}

// A needle byte the vector filter can test exactly: it compares equal to
// itself alone, or to itself and the byte that differs in bit 0x20 (an A-Z
// letter and its other case). The filter tests (byte | mask) == value.
struct FilterByte {
    bool usable = false;
    unsigned char mask = 0;
    unsigned char value = 0;
};

FilterByte MakeFilterByte(unsigned char ch, int mode)
{
    FilterByte f;
    unsigned short size = kCompare.classSize[mode][ch];
    if (size == 1) {
        f.usable = true;
        f.value = ch;
    } else if (size == 2) {
        unsigned char other = ch ^ 0x20;
        if (kCompare.canon[mode][other] == kCompare.canon[mode][ch]) {
            f.usable = true;
            f.mask = 0x20;
            f.value = ch | 0x20;
        }
    }
    return f;
}

using Bytes16 = unsigned char __attribute__((vector_size(16)));
// Candidate k of a block is byte k of its words, lowest first.
static_assert(std::endian::native == std::endian::little);

Bytes16 Splat(unsigned char value)
{
    Bytes16 v;
    for (int i = 0; i < 16; ++i)
        v[i] = value;
    return v;
}

Bytes16 Load16(const unsigned char* p)
{
    Bytes16 v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

bool MatchesAt(const unsigned char* text, const unsigned char* needle, size_t n, const unsigned char* canon)
{
    for (size_t k = 0; k < n; ++k) {
        if (canon[text[k]] != canon[needle[k]])
            return false;
    }
    return true;
}

// The candidates among 8 * words starting positions from p, as bytes of
// 0xFF in the words; returns the first that matches in full, or -1.
int64_t CheckCandidates(const uint64_t* words, int count, int64_t p, const unsigned char* text,
                        const unsigned char* needle, size_t n, const unsigned char* canon)
{
    for (int w = 0; w < count; ++w) {
        // One bit of each 0xFF byte is enough to name the candidate.
        for (uint64_t bits = words[w] & uint64_t{0x8080808080808080}; bits != 0; bits &= bits - 1) {
            const int64_t candidate = p + 8 * w + __builtin_ctzll(bits) / 8;
            if (MatchesAt(text + candidate, needle, n, canon))
                return candidate;
        }
    }
    return -1;
}

// First position p in [start, end - n] where the needle matches under the
// compare mode, or -1. The caller guarantees 0 <= start, end <= the text's
// length and n >= 1.
//
// Candidates are filtered sixteen at a time on two needle bytes, the first
// and the last that the filter can test exactly (for a tag, its "<" and
// ">"), and only the survivors are compared in full.
int64_t SearchRange(const char* textChars, int64_t start, int64_t end, const char* needleChars, size_t n, int mode)
{
    if (end - start < static_cast<int64_t>(n))
        return -1;
    const auto* text = reinterpret_cast<const unsigned char*>(textChars);
    const auto* needle = reinterpret_cast<const unsigned char*>(needleChars);
    const unsigned char* canon = kCompare.canon[mode];
    if (n == 1 && kCompare.classSize[mode][needle[0]] == 1) {
        const void* hit = std::memchr(text + start, needle[0], static_cast<size_t>(end - start));
        return hit != nullptr ? static_cast<const unsigned char*>(hit) - text : -1;
    }

    size_t firstAt = n;
    size_t lastAt = n;
    FilterByte first;
    FilterByte last;
    for (size_t k = 0; k < n; ++k) {
        FilterByte f = MakeFilterByte(needle[k], mode);
        if (!f.usable)
            continue;
        if (firstAt == n) {
            firstAt = k;
            first = f;
        }
        lastAt = k;
        last = f;
    }
    if (firstAt == lastAt) {
        // One testable byte or none: the other test lets every byte through.
        last.mask = 0xFF;
        last.value = 0xFF;
    }

    const int64_t lastStart = end - static_cast<int64_t>(n);
    int64_t p = start;
    if (firstAt < n) {
        const Bytes16 mask0 = Splat(first.mask), value0 = Splat(first.value);
        const Bytes16 mask1 = Splat(last.mask), value1 = Splat(last.value);
        // Loads reach p + 15 + lastAt <= lastStart + n - 1 < end.
        auto candidates = [&](int64_t at) {
            return ((Load16(text + at + firstAt) | mask0) == value0) & ((Load16(text + at + lastAt) | mask1) == value1);
        };
        uint64_t words[4];
        for (; p + 31 <= lastStart; p += 32) {
            auto low = candidates(p);
            auto high = candidates(p + 16);
            std::memcpy(words, &low, 16);
            std::memcpy(words + 2, &high, 16);
            if ((words[0] | words[1] | words[2] | words[3]) == 0)
                continue;
            int64_t hit = CheckCandidates(words, 4, p, text, needle, n, canon);
            if (hit >= 0)
                return hit;
        }
        for (; p + 15 <= lastStart; p += 16) {
            auto block = candidates(p);
            std::memcpy(words, &block, 16);
            int64_t hit = CheckCandidates(words, 2, p, text, needle, n, canon);
            if (hit >= 0)
                return hit;
        }
    }
    const unsigned char head = canon[needle[0]];
    for (; p <= lastStart; ++p) {
        if (canon[text[p]] == head && MatchesAt(text + p, needle, n, canon))
            return p;
    }
    return -1;
}

// Writes `count` bytes, each as 255 minus the byte when inverted.
void WriteChars(plat::ByteWriter& out, const char* text, size_t count, bool inverted)
{
    if (!inverted) {
        out.WriteBytes(text, count);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        out.WriteByte(static_cast<uint8_t>(255 - static_cast<unsigned char>(text[i])));
}

bool ValidPrefixBits(int32_t bits)
{
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

bool IsParentSeparator(char ch)
{
    return ch == ' ' || ch == ',' || ch == ';' || ch == '\r' || ch == '\n';
}

constexpr int32_t kMaxTagLength = 511;
// The longest text Resize accepts: the buffer holds two more bytes.
constexpr int64_t kMaxLength = INT32_MAX - 2;

const char* const kMonthLocatives[12] = {
    "v lednu",    "v únoru", "v březnu", "v dubnu", "v květnu",    "v červnu",
    "v červenci", "v srpnu", "v září",   "v říjnu", "v listopadu", "v prosinci",
};

} // namespace

// ---------------------------------------------------------------------------
// Construction and buffer

TNString::TNString()
{
    Set(std::string_view());
}

TNString::TNString(const char* text)
{
    Set(text);
}

TNString::TNString(std::string_view text)
{
    Set(text);
}

TNString::TNString(const TNString& other)
{
    Set(other.View());
}

TNString::TNString(TNString&& other) noexcept
{
    std::swap(Text, other.Text);
    std::swap(Length, other.Length);
}

TNString& TNString::operator=(const TNString& other)
{
    if (this != &other)
        Set(other.View());
    return *this;
}

TNString& TNString::operator=(TNString&& other) noexcept
{
    std::swap(Text, other.Text);
    std::swap(Length, other.Length);
    return *this;
}

TNString::~TNString()
{
    Destroy();
}

void TNString::Destroy()
{
    std::free(Text);
    Text = nullptr;
    Length = 0;
}

bool TNString::Clear()
{
    if (Text != nullptr)
        std::memset(Text, 0, static_cast<size_t>(Length));
    Destroy();
    Tag1 = 0;
    Tag2 = 0;
    Found = 0;
    FoundStart = 0;
    FoundEnd = 0;
    return Set(std::string_view());
}

bool TNString::Resize(int32_t n)
{
    if (n < 0 || n > kMaxLength)
        return false;
    auto* grown = static_cast<char*>(std::realloc(Text, static_cast<size_t>(n) + 2));
    if (grown == nullptr)
        return false;
    if (n > Length)
        std::memset(grown + Length, 0, static_cast<size_t>(n - Length));
    grown[n] = 0;
    grown[n + 1] = 0;
    Text = grown;
    Length = n;
    return true;
}

void TNString::Shorten(int32_t n)
{
    if (n >= Length)
        return;
    // Giving memory back cannot be refused in a way that matters: when the
    // smaller buffer is not had, the larger one keeps serving.
    if (!Resize(n)) {
        Text[n] = 0;
        Text[n + 1] = 0;
        Length = n;
    }
}

bool TNString::Set(const char* text)
{
    return Set(text != nullptr ? std::string_view(text) : std::string_view());
}

bool TNString::Set(std::string_view text)
{
    if (static_cast<int64_t>(text.size()) > kMaxLength)
        return false;
    // A fresh buffer, so the text may come from this string itself.
    auto* buffer = static_cast<char*>(std::malloc(text.size() + 2));
    if (buffer == nullptr)
        return false;
    if (!text.empty())
        std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = 0;
    buffer[text.size() + 1] = 0;
    std::free(Text);
    Text = buffer;
    Length = static_cast<int32_t>(text.size());
    return true;
}

bool TNString::SetInt(int32_t n)
{
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", n);
    return Set(digits);
}

bool TNString::Fill(char ch)
{
    if (Text == nullptr)
        return false;
    std::memset(Text, static_cast<unsigned char>(ch), static_cast<size_t>(Length));
    return true;
}

bool TNString::Copy(const TNString* other)
{
    if (other == nullptr)
        return false;
    if (other == this)
        return true;
    return Set(other->View());
}

bool TNString::Insert(const char* text, int32_t position, bool grow, bool overwrite)
{
    if (text == nullptr || text[0] == 0)
        return true;
    // Text that lies in our own buffer would move with it: work on a copy.
    const auto address = reinterpret_cast<uintptr_t>(text);
    const auto buffer = reinterpret_cast<uintptr_t>(Text);
    if (Text != nullptr && address >= buffer && address < buffer + static_cast<uintptr_t>(Length) + 2) {
        TNString copy(text);
        if (copy.Text == nullptr)
            return false;
        return Insert(copy.Text, position, grow, overwrite);
    }
    const int64_t n = static_cast<int64_t>(std::strlen(text));
    const int64_t oldLength = Length;
    const int64_t at = position < 0 || position > Length ? oldLength : position;
    const int64_t wanted = overwrite ? std::max(oldLength, at + n) : oldLength + n;
    if (grow && wanted != Length) {
        if (wanted > kMaxLength || !Resize(static_cast<int32_t>(wanted)))
            return false;
    }
    if (Text == nullptr)
        return true;
    const int64_t length = Length;
    if (!overwrite && at < oldLength && at + n < length) {
        // Characters from the position move right; what passes the end drops.
        int64_t moved = std::min(oldLength, length - n) - at;
        std::memmove(Text + at + n, Text + at, static_cast<size_t>(moved));
    }
    if (at < length)
        std::memcpy(Text + at, text, static_cast<size_t>(std::min(n, length - at)));
    return true;
}

bool TNString::Append(const char* text, bool urlEncode)
{
    if (!urlEncode)
        return Insert(text, Length, true, false);
    TNString encoded(text);
    if (encoded.Text == nullptr || !encoded.UrlEncode())
        return false;
    return Insert(encoded.Text, Length, true, false);
}

bool TNString::AppendInt(int32_t n)
{
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%d", n);
    return Append(digits);
}

bool TNString::AppendUInt(uint32_t n)
{
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%u", n);
    return Append(digits);
}

bool TNString::AppendChar(char ch)
{
    if (!Resize(Length + 1))
        return false;
    Text[Length - 1] = ch;
    return true;
}

void TNString::ToLower()
{
    for (int32_t i = 0; i < Length; ++i)
        Text[i] = ToLowerChar(Text[i]);
}

bool TNString::SubString(int32_t position, int32_t count, TNString* out) const
{
    if (out == nullptr)
        return false;
    const int64_t length = Length;
    const int64_t from = std::max<int64_t>(position, 0);
    const int64_t to = std::min<int64_t>(count < 1 ? length : int64_t{position} + count, length);
    if (Text == nullptr || from >= to)
        return out->Set(std::string_view());
    return out->Set(std::string_view(Text + from, static_cast<size_t>(to - from)));
}

bool TNString::Equals(const char* text, bool caseSensitive, bool removeDiacritics)
{
    const size_t n = text != nullptr ? std::strlen(text) : 0;
    if (n != static_cast<size_t>(std::max(Length, 0)))
        return false;
    if (n == 0)
        return true;
    Find(text, 0, 0, caseSensitive, false, removeDiacritics);
    return Found == 1;
}

// ---------------------------------------------------------------------------
// Trimming, replacing, entities, extraction, url-encoding

bool TNString::IsWhiteChar(char ch)
{
    return ch == 0 || ch == 10 || ch == 13 || ch == 32;
}

void TNString::TrimLeft()
{
    int32_t count = 0;
    while (count < Length && IsWhiteChar(Text[count]))
        ++count;
    if (count == 0)
        return;
    std::memmove(Text, Text + count, static_cast<size_t>(Length - count));
    Shorten(Length - count);
}

void TNString::TrimRight()
{
    int32_t length = Length;
    while (length > 0 && IsWhiteChar(Text[length - 1]))
        --length;
    if (length != Length)
        Shorten(length);
}

void TNString::Trim()
{
    TrimRight();
    TrimLeft();
}

void TNString::Replace(const char* what, const char* with, int32_t maxCount, bool caseSensitive)
{
    if (what == nullptr || what[0] == 0 || Text == nullptr)
        return;
    if (with == nullptr)
        with = "";
    const size_t whatLength = std::strlen(what);
    const size_t withLength = std::strlen(with);
    const int mode = CompareMode(caseSensitive, false);

    // The search goes on after each replaced occurrence in the old text, so
    // a replacement is never searched again: one pass to count, one to build.
    int64_t count = 0;
    for (int64_t at = 0;;) {
        int64_t hit = SearchRange(Text, at, Length, what, whatLength, mode);
        if (hit < 0)
            break;
        ++count;
        at = hit + static_cast<int64_t>(whatLength);
        if (maxCount > 0 && count >= maxCount)
            break;
    }
    if (count == 0)
        return;
    const int64_t newLength = Length + count * (static_cast<int64_t>(withLength) - static_cast<int64_t>(whatLength));
    if (newLength > kMaxLength)
        return;
    auto* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(newLength) + 2));
    if (buffer == nullptr)
        return;
    char* write = buffer;
    int64_t at = 0;
    for (int64_t done = 0; done < count; ++done) {
        int64_t hit = SearchRange(Text, at, Length, what, whatLength, mode);
        std::memcpy(write, Text + at, static_cast<size_t>(hit - at));
        write += hit - at;
        std::memcpy(write, with, withLength);
        write += withLength;
        at = hit + static_cast<int64_t>(whatLength);
    }
    std::memcpy(write, Text + at, static_cast<size_t>(Length - at));
    buffer[newLength] = 0;
    buffer[newLength + 1] = 0;
    std::free(Text);
    Text = buffer;
    Length = static_cast<int32_t>(newLength);
}

void TNString::DecodeHtmlEntities()
{
    if (Text == nullptr || std::memchr(Text, '&', static_cast<size_t>(Length)) == nullptr)
        return;
    // The ampersand goes before the angle brackets, so "&amp;lt;" ends as "<".
    Replace("&nbsp;", " ", 0, false);
    Replace("&br;", "\n", 0, false);
    Replace("&quot;", "\"", 0, false);
    Replace("&amp;", "&", 0, false);
    Replace("&lt;", "<", 0, false);
    Replace("&gt;", ">", 0, false);
}

bool TNString::ExtractBetween(const char* startMarker, const char* endMarker, bool caseSensitive, TNString* out)
{
    return ExtractBetween(startMarker, endMarker, caseSensitive, out, false, false, false);
}

bool TNString::ExtractBetween(const char* startMarker, const char* endMarker, bool caseSensitive, TNString* out,
                              bool deleteStart, bool deleteEnd, bool deleteText)
{
    if (out == nullptr)
        return false;
    const int32_t start = Find(startMarker, 0, 0, caseSensitive, true, false);
    if (Found == 0)
        return false;
    const int32_t end = Find(endMarker, start, 0, caseSensitive, false, false);
    if (Found == 0)
        return false;
    TNString between(std::string_view(Text + start, static_cast<size_t>(end - start)));
    if (between.Text == nullptr || !out->Copy(&between))
        return false;
    if (deleteStart)
        Replace(startMarker, "", 1, caseSensitive);
    if (deleteEnd)
        Replace(endMarker, "", 1, caseSensitive);
    if (deleteText)
        Replace(between.Text, "", 1, caseSensitive);
    return true;
}

bool TNString::UrlEncode()
{
    if (Text == nullptr)
        return false;
    auto keeps = [](unsigned char ch) {
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == ' ';
    };
    int64_t newLength = 0;
    for (int32_t i = 0; i < Length; ++i)
        newLength += keeps(static_cast<unsigned char>(Text[i])) ? 1 : 3;
    if (newLength > kMaxLength)
        return false;
    auto* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(newLength) + 2));
    if (buffer == nullptr)
        return false;
    static const char kHex[] = "0123456789ABCDEF";
    char* write = buffer;
    for (int32_t i = 0; i < Length; ++i) {
        auto ch = static_cast<unsigned char>(Text[i]);
        if (ch == ' ') {
            *write++ = '+';
        } else if (keeps(ch)) {
            *write++ = static_cast<char>(ch);
        } else {
            *write++ = '%';
            *write++ = kHex[ch >> 4];
            *write++ = kHex[ch & 0x0F];
        }
    }
    buffer[newLength] = 0;
    buffer[newLength + 1] = 0;
    std::free(Text);
    Text = buffer;
    Length = static_cast<int32_t>(newLength);
    return true;
}

bool TNString::AppendMonthLocative(int32_t month, bool urlEncode)
{
    if (month < 1 || month > 12)
        return true;
    return Append(kMonthLocatives[month - 1], urlEncode);
}

// ---------------------------------------------------------------------------
// Disk forms

bool TNString::Load(bool withPrefix, int32_t bits, int32_t fixedLength, bool inverted, plat::ByteReader& in)
{
    uint32_t stored = 0;
    if (withPrefix) {
        if (!ValidPrefixBits(bits)) {
            LogTextInt("[TNString::Load][ERROR] bad length prefix width: ", bits);
            return false;
        }
        if (!in.ReadUnsigned(bits / 8, stored)) {
            LogText("[TNString::Load][ERROR] file ends inside the length prefix");
            return false;
        }
    } else {
        if (fixedLength < 0) {
            LogTextInt("[TNString::Load][ERROR] bad fixed length: ", fixedLength);
            return false;
        }
        stored = static_cast<uint32_t>(fixedLength);
    }
    // Checked before anything is allocated: a damaged length must not make
    // us ask for gigabytes.
    if (static_cast<uint64_t>(stored) > static_cast<uint64_t>(kMaxLength) || !in.Has(stored)) {
        LogTextUInt("[TNString::Load][ERROR] stored length exceeds the bytes that remain: ", stored);
        return false;
    }
    // Many stored texts are empty, and so is a new string's buffer: it
    // serves as it is.
    if (stored == 0 && Length == 0 && Text != nullptr) {
        Text[0] = 0;
        Text[1] = 0;
        return true;
    }
    // One buffer of the final size: loading runs once for every stored text.
    auto* buffer = static_cast<char*>(std::malloc(static_cast<size_t>(stored) + 2));
    std::string_view bytes;
    if (buffer == nullptr || !in.ReadView(stored, bytes)) {
        std::free(buffer);
        return false;
    }
    if (inverted) {
        // 255 minus a byte is its complement: eight bytes at a time.
        size_t i = 0;
        for (; i + 8 <= stored; i += 8) {
            uint64_t word = 0;
            std::memcpy(&word, bytes.data() + i, 8);
            word = ~word;
            std::memcpy(buffer + i, &word, 8);
        }
        for (; i < stored; ++i)
            buffer[i] = static_cast<char>(255 - static_cast<unsigned char>(bytes[i]));
    } else if (stored > 0) {
        std::memcpy(buffer, bytes.data(), stored);
    }
    buffer[stored] = 0;
    buffer[stored + 1] = 0;
    std::free(Text);
    Text = buffer;
    Length = static_cast<int32_t>(stored);
    return true;
}

bool TNString::Save(bool withPrefix, int32_t bits, int32_t limit, bool inverted, plat::ByteWriter& out,
                    bool ignoreLimit) const
{
    const char* text = Text != nullptr ? Text : "";
    uint32_t count = static_cast<uint32_t>(std::max(Length, 0));
    if (!withPrefix) {
        WriteChars(out, text, count, inverted);
        return true;
    }
    if (!ValidPrefixBits(bits)) {
        LogTextInt("[TNString::Save][ERROR] bad length prefix width: ", bits);
        return false;
    }
    if (!ignoreLimit && limit > 0 && static_cast<uint32_t>(limit) <= count)
        count = static_cast<uint32_t>(limit);
    const uint32_t widest = bits == 32 ? UINT32_MAX : (uint32_t{1} << bits) - 1;
    if (count > widest) {
        // The prefix must agree with the bytes that follow it.
        LogTextUInt("[TNString::Save][ERROR] text longer than its length prefix counts, stored characters: ", widest);
        count = widest;
    }
    out.WriteUnsigned(count, bits / 8);
    WriteChars(out, text, count, inverted);
    return true;
}

// ---------------------------------------------------------------------------
// Search

int32_t TNString::Find(const char* needle, int32_t start, int32_t limit, bool caseSensitive, bool returnEnd,
                       bool removeDiacritics, bool log)
{
    Found = 0;
    if (needle == nullptr || needle[0] == 0 || Text == nullptr)
        return 0;
    const size_t n = std::strlen(needle);
    if (start < 0)
        start = 0;
    if (start >= Length || static_cast<int64_t>(Length) - start < static_cast<int64_t>(n))
        return 0;
    // A match must lie wholly before the limit.
    const int32_t end = limit > 0 && limit < Length ? limit : Length;
    const int mode = CompareMode(caseSensitive, removeDiacritics);

    int64_t hit = -1;
    if (log && !caseSensitive) {
        const unsigned char* canon = kCompare.canon[mode];
        for (int64_t p = start; p + static_cast<int64_t>(n) <= end; ++p) {
            LogWrite("[TNString::Find] Text = ", Text + p, false);
            if (MatchesAt(reinterpret_cast<const unsigned char*>(Text + p),
                          reinterpret_cast<const unsigned char*>(needle), n, canon)) {
                hit = p;
                break;
            }
        }
    } else {
        hit = SearchRange(Text, start, end, needle, n, mode);
    }
    if (hit < 0)
        return 0;
    Found = 1;
    return static_cast<int32_t>(returnEnd ? hit + static_cast<int64_t>(n) : hit);
}

bool TNString::FindOneChar(char haystackChar, char needleChar, bool log, bool removeDiacritics, bool caseSensitive)
{
    auto logPair = [&](const char* marker) {
        char line[128];
        std::snprintf(line, sizeof(line),
                      "chr_needle = %c; chr_haystack = %c; case_sensitive = %d; remove_diacritics = %d", needleChar,
                      haystackChar, caseSensitive, removeDiacritics);
        LogWrite(marker, line, false);
    };
    if (log)
        logPair("[TNString::FindOneChar][A] ");
    if (removeDiacritics) {
        haystackChar = RemoveDiacriticsChar(haystackChar);
        needleChar = RemoveDiacriticsChar(needleChar);
    }
    if (!caseSensitive) {
        haystackChar = ToLowerChar(haystackChar);
        needleChar = ToLowerChar(needleChar);
    }
    if (log)
        logPair("[TNString::FindOneChar][B] ");
    return haystackChar == needleChar;
}

char TNString::RemoveDiacriticsChar(char ch)
{
    return static_cast<char>(kCompare.fold[static_cast<unsigned char>(ch)]);
}

char TNString::ToLowerChar(char ch)
{
    return static_cast<char>(LowerAscii(static_cast<unsigned char>(ch)));
}

// ---------------------------------------------------------------------------
// Tag reader

bool TNString::FindTag(const char* tag, int32_t from, int32_t limit, int32_t& contentStart, int32_t& contentEnd)
{
    const size_t n = tag != nullptr ? std::strlen(tag) : 0;
    if (n < 1 || n > static_cast<size_t>(kMaxTagLength))
        return false;
    char open[kMaxTagLength + 3];
    char close[kMaxTagLength + 4];
    std::snprintf(open, sizeof(open), "<%s>", tag);
    std::snprintf(close, sizeof(close), "</%s>", tag);

    // a. The plain opening form and the first closing form after it.
    int32_t start = Find(open, from, limit, false, true, false);
    if (Found == 1) {
        int32_t end = Find(close, start, limit, false, false, false);
        if (Found == 1) {
            contentStart = start;
            contentEnd = end - 1;
            return true;
        }
    }

    // b. An opening form with attributes. Only the first "<tag" counts, so a
    // longer element name ends the search.
    open[n + 1] = 0;
    int32_t afterName = Find(open, from, limit, false, true, false);
    if (Found == 0 || (Text[afterName] != '>' && Text[afterName] != ' '))
        return false;
    int32_t bracket = Find(">", afterName, limit, false, true, false);
    if (Found == 0)
        return false;
    int32_t end = Find(close, bracket, limit, false, false, false);
    if (Found == 0)
        return false;
    contentStart = bracket;
    contentEnd = end - 1;
    return true;
}

bool TNString::GetParentRange(const char* parents, int32_t& rangeStart, int32_t& rangeEnd)
{
    rangeStart = 0;
    rangeEnd = Length - 1;
    if (parents == nullptr)
        return true;
    const char* p = parents;
    while (*p != 0) {
        while (*p != 0 && IsParentSeparator(*p))
            ++p;
        const char* nameStart = p;
        while (*p != 0 && !IsParentSeparator(*p))
            ++p;
        const size_t nameLength = static_cast<size_t>(p - nameStart);
        if (nameLength == 0)
            continue;
        if (nameLength > static_cast<size_t>(kMaxTagLength))
            return false;
        char name[kMaxTagLength + 1];
        std::memcpy(name, nameStart, nameLength);
        name[nameLength] = 0;
        int32_t contentStart = 0;
        int32_t contentEnd = 0;
        if (!FindTag(name, rangeStart, rangeEnd + 1, contentStart, contentEnd))
            return false;
        rangeStart = contentStart;
        rangeEnd = contentEnd;
    }
    return true;
}

bool TNString::GetXmlValue(const char* tag, const char* parents, int32_t index, TNString* out, bool decode)
{
    if (out != nullptr && out != this)
        out->Clear();
    int32_t rangeStart = 0;
    int32_t rangeEnd = 0;
    int32_t contentStart = 0;
    int32_t contentEnd = 0;
    const size_t n = tag != nullptr ? std::strlen(tag) : 0;
    bool found = n >= 1 && n <= static_cast<size_t>(kMaxTagLength) && index >= 0 && Text != nullptr &&
                 GetParentRange(parents, rangeStart, rangeEnd);
    // Occurrence k + 1 is searched from the last content byte of occurrence k.
    for (int32_t k = 0, from = rangeStart; found && k <= index; ++k) {
        found = FindTag(tag, from, rangeEnd + 1, contentStart, contentEnd);
        from = contentEnd;
    }
    if (!found) {
        if (out == this)
            Clear();
        return false;
    }
    FoundStart = contentStart;
    FoundEnd = contentEnd;
    if (out == nullptr)
        return true;
    if (!out->Set(std::string_view(Text + contentStart, static_cast<size_t>(contentEnd - contentStart + 1))))
        return false;
    if (decode)
        out->DecodeHtmlEntities();
    return true;
}

// ---------------------------------------------------------------------------
// Key reader

bool TNString::GetJsonValue(TNString* answer, const char* key, TNString* out)
{
    if (answer == nullptr || key == nullptr || answer->Text == nullptr)
        return false;
    TNString needle("\"");
    if (!needle.Append(key) || !needle.Append("\":"))
        return false;
    int32_t start = answer->Find(needle.Text, 0, 0, true, true, false);
    if (answer->Found == 0)
        return false;
    const char* text = answer->Text;
    const int32_t length = answer->Length;
    if (text[start] == '"')
        ++start;

    // text[length] is one of the two zero bytes, so text[i + 1] is readable.
    int32_t end = -1;
    for (int32_t i = start; i < length && end < 0; ++i) {
        const char ch = text[i];
        const char next = text[i + 1];
        if ((ch == ',' && next == '"') || (ch == '"' && (next == '}' || next == ',')) || (ch == '}' && i == length - 1))
            end = i;
    }
    if (end < 0) {
        LogWrite("[GetJsonValue][ERROR] end value not found! ", text, false);
        end = length;
    }
    if (out != nullptr && !out->Set(std::string_view(text + start, static_cast<size_t>(end - start))))
        return false;
    answer->Replace("%3A", ":", 0, false);
    return true;
}

int32_t TNString::JsonValueEquals(TNString* answer, const char* key, const char* text)
{
    TNString value;
    if (!GetJsonValue(answer, key, &value))
        return -1;
    return value.Equals(text, true, false) ? 1 : 0;
}

// ---------------------------------------------------------------------------
// TNStringList

TNStringList::TNStringList()
{
    Init();
}

TNStringList::~TNStringList()
{
    Free();
}

void TNStringList::Init()
{
    Count = 0;
    Items = nullptr;
}

void TNStringList::Free()
{
    for (int32_t i = 0; i < Count; ++i)
        delete Items[i];
    std::free(Items);
    Items = nullptr;
    Count = 0;
}

void TNStringList::Clear()
{
    Free();
    Init();
}

bool TNStringList::Resize(int32_t n)
{
    if (n <= 0) {
        Free();
        return true;
    }
    if (n < Count) {
        for (int32_t i = n; i < Count; ++i)
            delete Items[i];
        // A failed shrink keeps the larger array, which is still ours.
        if (auto* shrunk = static_cast<TNString**>(std::realloc(Items, sizeof(TNString*) * static_cast<size_t>(n))))
            Items = shrunk;
        Count = n;
        return true;
    }
    if (n == Count)
        return true;
    // Everything new is made before the list changes, so a failure leaves it
    // as it was.
    auto* grown = static_cast<TNString**>(std::malloc(sizeof(TNString*) * static_cast<size_t>(n)));
    if (grown == nullptr)
        return false;
    for (int32_t i = Count; i < n; ++i) {
        grown[i] = new (std::nothrow) TNString();
        if (grown[i] == nullptr || grown[i]->Text == nullptr) {
            for (int32_t j = Count; j <= i; ++j)
                delete grown[j];
            std::free(grown);
            return false;
        }
    }
    if (Count > 0)
        std::memcpy(grown, Items, sizeof(TNString*) * static_cast<size_t>(Count));
    std::free(Items);
    Items = grown;
    Count = n;
    return true;
}

int32_t TNStringList::Add(const char* text)
{
    if (Count == INT32_MAX || !Resize(Count + 1))
        return -1;
    if (!Items[Count - 1]->Set(text)) {
        Resize(Count - 1);
        return -1;
    }
    return Count - 1;
}

bool TNStringList::AddWithTags(const char* text, int32_t tag1, int32_t tag2)
{
    int32_t index = Add(text);
    if (index < 0)
        return false;
    Items[index]->Tag1 = tag1;
    Items[index]->Tag2 = tag2;
    return true;
}
