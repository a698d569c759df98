#include "online/web_answer.h"
#include "tests/service/bracket_writer.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Item {
    std::string name;
    std::string value;
    uint32_t number;
    bool isNumber;
};

} // namespace

TEST(TNWebAnswer, ParsesBracketedItems)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<Item> items;
    } cases[] = {
        {"TwoItems", "[ErrorCode:0:][NewVersion:12:]", {{"ErrorCode", "0", 0, true}, {"NewVersion", "12", 12, true}}},
        {"Negative", "[Delta:-5:]", {{"Delta", "-5", 0, false}}},
        {"EscapedBracket", "[Data:a:\\]b:]", {{"Data", "a:]b", 0, false}}},
        {"EscapedBackslash", "[Data:a\\\\b:]", {{"Data", "a\\b", 0, false}}},
        {"FourCharacters", "[a:]", {}},
        {"Unterminated", "[ErrorCode:0:][Data:abc", {{"ErrorCode", "0", 0, true}}},
        {"EmptyValue", "[Data:]", {{"Data", "", 0, false}}},
        {"EmptyValueWithColons", "[Data::]", {{"Data", "", 0, false}}},
        {"TextOutsideIgnored", "junk [A:1:] more [B:x:] end", {{"A", "1", 1, true}, {"B", "x", 0, false}}},
        {"NoColon", "[Nothing here]", {}},
        {"LargestNumber", "[N:4294967295:]", {{"N", "4294967295", 4294967295u, true}}},
        {"NumberTooLarge", "[N:12345678901:]", {{"N", "12345678901", 0, false}}},
        {"DigitsWithEscape", "[N:1\\2:]", {{"N", "12", 0, false}}},
        {"EmptyText", "", {}},
    };
    for (const Case& c : cases) {
        TNWebAnswer answer;
        EXPECT_EQ(answer.Parse(c.text), static_cast<int32_t>(c.items.size())) << c.name;
        ASSERT_EQ(answer.Count(), static_cast<int32_t>(c.items.size())) << c.name;
        for (size_t i = 0; i < c.items.size(); ++i) {
            const TNWebAnswerItem& item = *answer.Items[i];
            EXPECT_EQ(item.Name.View(), c.items[i].name) << c.name;
            EXPECT_EQ(item.Value.View(), c.items[i].value) << c.name;
            EXPECT_EQ(item.Number, c.items[i].number) << c.name;
            EXPECT_EQ(item.IsNumber, c.items[i].isNumber) << c.name;
        }
    }
}

TEST(TNWebAnswer, FindsByExactNameFromAStart)
{
    TNWebAnswer answer;
    answer.Parse("[A:1:][a:2:][A:3:]");
    EXPECT_EQ(answer.FindByName("A"), 0);
    EXPECT_EQ(answer.FindByName("A", 1), 2);
    EXPECT_EQ(answer.FindByName("a"), 1);
    EXPECT_EQ(answer.FindByName("A", 3), -1);
    EXPECT_EQ(answer.FindByName("B"), -1);
}

TEST(TNWebAnswer, ParseAppendsAndCopyMakesTheSameList)
{
    TNWebAnswer answer;
    answer.Parse("[A:1:]");
    answer.Parse("[B:x:]");
    TNWebAnswer copy;
    copy.Parse("[Old:1:][Old:2:][Old:3:]");
    ASSERT_TRUE(copy.CopyFrom(answer));
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items[1]->Name.View(), "B");
    EXPECT_EQ(copy.Items[0]->Number, 1u);
    EXPECT_FALSE(answer.Resize(-1));
}

TEST(TNWebAnswer, RandomBytesComeBackThroughTheWriterAndParse)
{
    std::mt19937 random(15);
    std::string value(250000, '\0');
    for (char& ch : value)
        ch = static_cast<char>(random() % 256);
    // Make sure the hard cases are there many times.
    for (size_t i = 0; i + 2 < value.size(); i += 997) {
        value[i] = ':';
        value[i + 1] = ']';
        value[i + 2] = '\\';
    }
    value[100] = '\0';
    std::string text = test_service::BracketItem("Data", value) + test_service::BracketItem("ErrorCode", "0");
    TNWebAnswer answer;
    ASSERT_EQ(answer.Parse(text), 2);
    EXPECT_TRUE(answer.Items[0]->Value.View() == value);
    EXPECT_EQ(answer.Items[1]->Name.View(), "ErrorCode");
}
