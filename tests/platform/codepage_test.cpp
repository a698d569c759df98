#include "platform/core/codepage.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

namespace {

// glibc's converter serves as an independent reference for the table.
std::string IconvToUtf8(unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-8", "CP1250");
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof(out);
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1))
        return {};
    return std::string(out, sizeof(out) - outLeft);
}

TEST(Codepage, EveryDefinedByteRoundTripsThroughUtf8)
{
    int defined = 0;
    for (int byte = 0; byte < 256; ++byte) {
        std::string single(1, static_cast<char>(byte));
        std::string utf8 = plat::Cp1250ToUtf8(single);
        if (plat::Cp1250ToCodePoint(static_cast<unsigned char>(byte)) == 0xFFFD) {
            EXPECT_EQ(utf8, "\xEF\xBF\xBD") << byte;
            continue;
        }
        ++defined;
        EXPECT_EQ(utf8, IconvToUtf8(static_cast<unsigned char>(byte))) << "byte " << byte;
        EXPECT_EQ(plat::Utf8ToCp1250(utf8), single) << "byte " << byte;
        EXPECT_EQ(plat::Utf16ToCp1250(plat::Cp1250ToUtf16(single)), single) << "byte " << byte;
    }
    EXPECT_EQ(defined, 251);
}

TEST(Codepage, KnownCharacters)
{
    struct Case {
        const char* name;
        const char* utf8;
        const char* cp1250;
    } cases[] = {
        {"S caron", "\xC5\xA0", "\x8A"},
        {"euro sign", "\xE2\x82\xAC", "\x80"},
        {"check mark lacks a byte", "\xE2\x9C\x93", "?"},
        {"emoji lacks a byte", "\xF0\x9F\x98\x80", "?"},
        {"malformed lead byte", "\xFF", "?"},
        {"cut sequence", "a\xC5", "a?"},
        {"Czech word", "\xC4\x8Ctvrtek", "\xC8tvrtek"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::Utf8ToCp1250(c.utf8), c.cp1250) << c.name;
}

TEST(Codepage, UndefinedBytesDecodeToReplacementCharacter)
{
    for (unsigned char byte : {0x81, 0x83, 0x88, 0x90, 0x98})
        EXPECT_EQ(plat::Cp1250ToCodePoint(byte), U'\xFFFD') << int(byte);
}

} // namespace
