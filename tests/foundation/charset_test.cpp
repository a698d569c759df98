#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ProgramCharset, CzechLiteralIsOneCp1250Byte)
{
    const char* text = "č";
    ASSERT_EQ(std::strlen(text), 1u);
    EXPECT_EQ(static_cast<unsigned char>(text[0]), 0xE8);
}

} // namespace
