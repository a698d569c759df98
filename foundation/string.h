#pragma once

#include <cstdint>
#include <string_view>

namespace plat {
class ByteReader;
class ByteWriter;
} // namespace plat

// The program's byte string: CP1250 text, one byte a character. The buffer
// always holds two zero bytes after the last character, so `Text` is a C
// string as well. Copying copies the characters only, never the tags or the
// found range.
class TNString {
public:
    char* Text = nullptr;
    int32_t Length = 0;
    int32_t Tag1 = 0;
    int32_t Tag2 = 0;
    // 1 when the last Find found its text.
    uint8_t Found = 0;
    // Content range of the element the last successful GetXmlValue returned.
    int32_t FoundStart = 0;
    int32_t FoundEnd = 0;

    TNString();
    explicit TNString(const char* text);
    explicit TNString(std::string_view text);
    TNString(const TNString& other);
    // A moved-from string is as after Destroy.
    TNString(TNString&& other) noexcept;
    TNString& operator=(const TNString& other);
    TNString& operator=(TNString&& other) noexcept;
    ~TNString();

    // Frees the buffer: Text null, Length 0. The object may be used again
    // after Clear or Set.
    void Destroy();
    bool Clear();
    // Bytes added by growing are zero.
    bool Resize(int32_t n);
    bool Set(const char* text);
    bool Set(std::string_view text);
    bool SetInt(int32_t n);
    bool Fill(char ch);
    bool Copy(const TNString* other);
    bool Insert(const char* text, int32_t position, bool grow, bool overwrite);
    bool Append(const char* text, bool urlEncode = false);
    bool AppendInt(int32_t n);
    bool AppendUInt(uint32_t n);
    bool AppendChar(char ch);
    bool IsEmpty() const { return Length < 1; }
    void ToLower();
    bool SubString(int32_t position, int32_t count, TNString* out) const;
    bool Equals(const char* text, bool caseSensitive, bool removeDiacritics);

    static bool IsWhiteChar(char ch);
    void TrimLeft();
    void TrimRight();
    void Trim();

    void Replace(const char* what, const char* with, int32_t maxCount, bool caseSensitive);
    void DecodeHtmlEntities();
    bool ExtractBetween(const char* startMarker, const char* endMarker, bool caseSensitive, TNString* out);
    bool ExtractBetween(const char* startMarker, const char* endMarker, bool caseSensitive, TNString* out,
                        bool deleteStart, bool deleteEnd, bool deleteText);
    bool UrlEncode();
    bool AppendMonthLocative(int32_t month, bool urlEncode);

    // Disk forms: an optional length prefix of 8, 16, 24 or 32 bits, then
    // the characters, each stored as 255 minus the byte when inverted.
    // Load checks the stored length against the bytes that remain before it
    // allocates; on failure it logs and leaves the string unchanged. Save
    // stores at most what the prefix can count (and logs when it cuts).
    bool Load(bool withPrefix, int32_t bits, int32_t fixedLength, bool inverted, plat::ByteReader& in);
    bool Save(bool withPrefix, int32_t bits, int32_t limit, bool inverted, plat::ByteWriter& out,
              bool ignoreLimit = false) const;

    // Searches needle from start; limit 0 means the whole text, otherwise a
    // match must lie wholly before limit. Returns the match's position (its
    // end with returnEnd), 0 when not found; Found tells which.
    int32_t Find(const char* needle, int32_t start, int32_t limit, bool caseSensitive, bool returnEnd,
                 bool removeDiacritics, bool log = false);
    static bool FindOneChar(char haystackChar, char needleChar, bool log, bool removeDiacritics, bool caseSensitive);
    static char RemoveDiacriticsChar(char ch);
    // A-Z only; never the C locale.
    static char ToLowerChar(char ch);

    // Tag reader: content of the index-th element `tag` inside the innermost
    // of the listed parent elements.
    bool GetXmlValue(const char* tag, const char* parents, int32_t index, TNString* out, bool decode);
    // The content of the innermost listed parent: rangeEnd is its last
    // character (Length - 1 without parents).
    bool GetParentRange(const char* parents, int32_t& rangeStart, int32_t& rangeEnd);
    // One element searched from `from`; limit as in Find (the found forms lie
    // wholly before it, 0 for none). contentEnd is the last content character.
    bool FindTag(const char* tag, int32_t from, int32_t limit, int32_t& contentStart, int32_t& contentEnd);

    // Key reader for the compact JSON-like texts inside answers. After a
    // successful read every "%3A" of the answer becomes ":".
    static bool GetJsonValue(TNString* answer, const char* key, TNString* out);
    // -1 when the key is missing, 1 when its value equals text, else 0.
    static int32_t JsonValueEquals(TNString* answer, const char* key, const char* text);

    std::string_view View() const { return {Text != nullptr ? Text : "", static_cast<size_t>(Length)}; }

private:
    // Drops the characters from n on; never fails.
    void Shorten(int32_t n);
};

// A growable list of owned strings.
class TNStringList {
public:
    int32_t Count = 0;
    TNString** Items = nullptr;

    TNStringList();
    ~TNStringList();
    TNStringList(const TNStringList&) = delete;
    TNStringList& operator=(const TNStringList&) = delete;

    void Init();
    void Free();
    void Clear();
    // Growing adds empty strings; n <= 0 frees the list.
    bool Resize(int32_t n);
    // Index of the new item, -1 on failure.
    int32_t Add(const char* text);
    bool AddWithTags(const char* text, int32_t tag1, int32_t tag2);
};
