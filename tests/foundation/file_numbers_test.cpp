#include "foundation/file_numbers.h"
#include "platform/core/bytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FileNumbers, ReadsSignedAndUnsignedLittleEndian)
{
    struct Case {
        const char* name;
        std::string bytes;
        int width;
        bool ok;
        int32_t signedValue;
        uint32_t unsignedValue;
        size_t consumed;
    };
    const Case cases[] = {
        {"width 1 FF is -1", "\xFF", 1, true, -1, 0xFF, 1},
        {"width 2 FF 7F", "\xFF\x7F", 2, true, 32767, 0x7FFF, 2},
        {"width 2 00 80", std::string("\x00\x80", 2), 2, true, -32768, 0x8000, 2},
        {"width 3 is not sign-extended", "\x01\x02\x83", 3, true, 0x830201, 0x830201, 3},
        {"width 4", "\x78\x56\x34\x92", 4, true, static_cast<int32_t>(0x92345678u), 0x92345678u, 4},
        {"width 0 reads nothing", "\x01", 0, true, 0, 0, 0},
        {"width 5 reads nothing", "\x01\x02\x03\x04\x05", 5, true, 0, 0, 0},
        {"short read of width 2", "\x01", 2, false, 0, 0, 0},
        {"short read of width 4", "\x01\x02\x03", 4, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        plat::ByteReader signedReader(c.bytes);
        int32_t signedValue = 12345;
        EXPECT_EQ(ReadNumber(c.width, signedReader, signedValue), c.ok) << c.name;
        EXPECT_EQ(signedValue, c.signedValue) << c.name;
        EXPECT_EQ(signedReader.Position(), c.consumed) << c.name;
        EXPECT_EQ(signedReader.Ok(), c.ok) << c.name;

        plat::ByteReader unsignedReader(c.bytes);
        uint32_t unsignedValue = 12345;
        EXPECT_EQ(ReadUNumber(c.width, unsignedReader, unsignedValue), c.ok) << c.name;
        EXPECT_EQ(unsignedValue, c.unsignedValue) << c.name;
    }
}

TEST(FileNumbers, WritesTheLowestBytesLowestFirst)
{
    struct Case {
        const char* name;
        int64_t value;
        int width;
        std::string bytes;
    };
    const Case cases[] = {
        {"-1 in one byte", -1, 1, "\xFF"},
        {"-2 in two bytes", -2, 2, "\xFE\xFF"},
        {"three bytes drop the highest", 0x12345678, 3, "\x78\x56\x34"},
        {"four bytes", 0x92345678u, 4, "\x78\x56\x34\x92"},
        {"width 0 writes nothing", 7, 0, ""},
        {"negative width writes nothing", 7, -3, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        plat::ByteWriter writer(out);
        EXPECT_EQ(WriteNumber(static_cast<int32_t>(c.value), c.width, writer), static_cast<int>(c.bytes.size()))
            << c.name;
        EXPECT_EQ(out, c.bytes) << c.name;

        std::string unsignedOut;
        plat::ByteWriter unsignedWriter(unsignedOut);
        WriteUNumber(static_cast<uint32_t>(c.value), c.width, unsignedWriter);
        EXPECT_EQ(unsignedOut, c.bytes) << c.name;
    }
}

TEST(FileNumbers, ReadsHeaderOnlyForTheExactId)
{
    std::string header = std::string("\x0C\x00", 2) + "DalmoraPIMra" + std::string("\x01\x00", 2);
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
        int32_t version;
        size_t position;
    };
    const Case cases[] = {
        {"match", header, true, 1, 16},
        {"one more id byte", std::string("\x0D\x00", 2) + "DalmoraPIMraX" + std::string("\x01\x00", 2), true, 0, 15},
        {"other id", std::string("\x0C\x00", 2) + "rafIndexFile" + std::string("\x01\x00", 2), true, 0, 14},
        {"id cut short", std::string("\x0C\x00", 2) + "Dalmora", false, 0, 2},
        {"version missing", header.substr(0, 15), false, 0, 14},
        {"empty file", "", false, 0, 0},
    };
    for (const Case& c : cases) {
        plat::ByteReader reader(c.bytes);
        int32_t version = 99;
        EXPECT_EQ(ReadHeader("DalmoraPIMra", reader, version), c.ok) << c.name;
        EXPECT_EQ(version, c.version) << c.name;
        EXPECT_EQ(reader.Position(), c.position) << c.name;
    }
}

TEST(FileNumbers, WritesHeader)
{
    std::string out;
    plat::ByteWriter writer(out);
    ASSERT_TRUE(WriteHeader("rafIndexFile", 1, writer));
    EXPECT_EQ(out, std::string("\x0C\x00", 2) + "rafIndexFile" + std::string("\x01\x00", 2));

    std::string tooLong(0x10000, 'x');
    std::string none;
    plat::ByteWriter noneWriter(none);
    EXPECT_FALSE(WriteHeader(tooLong, 1, noneWriter));
    EXPECT_TRUE(none.empty());
}

} // namespace
