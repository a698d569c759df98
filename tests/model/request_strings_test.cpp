#include "model/request_strings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Whole(const TNString& text)
{
    return {text.Text, static_cast<size_t>(text.Length)};
}

TEST(TNRequestStrings, AppendsInPlaceWithinItsRoomAndGrowsBeyondIt)
{
    TNRequestStrings strings;
    ASSERT_TRUE(strings.Begin(2, "&d=", 6));
    const char* buffer = strings[2].Text;
    ASSERT_TRUE(strings.Append(2, "abc"));
    ASSERT_TRUE(strings.Append(2, "def"));
    EXPECT_EQ(strings[2].Text, buffer);
    EXPECT_EQ(Whole(strings[2]), "&d=abcdef");
    EXPECT_EQ(strings[2].Text[strings[2].Length], 0);
    EXPECT_EQ(strings[2].Text[strings[2].Length + 1], 0);

    ASSERT_TRUE(strings.Append(2, "ghij"));
    EXPECT_EQ(Whole(strings[2]), "&d=abcdefghij");
    EXPECT_EQ(strings[2].Text[strings[2].Length + 1], 0);
    EXPECT_TRUE(strings[0].IsEmpty());

    // A string never begun grows as it is appended to.
    ASSERT_TRUE(strings.Append(5, "x"));
    EXPECT_EQ(Whole(strings[5]), "x");
}

TEST(TNRequestStrings, ClearEmptiesEveryStringAndBeginReusesTheBuffer)
{
    TNRequestStrings strings;
    ASSERT_TRUE(strings.Begin(0, "&t=", 100));
    ASSERT_TRUE(strings.Append(0, "12%3A00%3A00;"));
    ASSERT_TRUE(strings.Append(1, "left over"));
    const char* buffer = strings[0].Text;
    strings.Clear();
    for (int32_t i = 0; i < TNRequestStrings::kCount; ++i) {
        EXPECT_TRUE(strings[i].IsEmpty()) << i;
        EXPECT_EQ(strings[i].Text[0], 0) << i;
    }
    ASSERT_TRUE(strings.Begin(0, "&t=", 50));
    EXPECT_EQ(strings[0].Text, buffer);
    EXPECT_EQ(Whole(strings[0]), "&t=");
}

} // namespace
