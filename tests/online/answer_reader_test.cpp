// Numbers and counts read from answers: a value that does not fit its type,
// or a count the answer cannot hold, is refused before anything uses it.

#include "online/answer_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(AnswerReader, NumbersOutsideTheirTypeAreRefusedNotWrapped)
{
    struct Case {
        const char* value;
        bool signedTaken;
        int32_t signedValue;
        bool unsignedTaken;
        uint32_t unsignedValue;
    };
    const Case cases[] = {
        {"17", true, 17, true, 17u},
        {"-1", true, -1, false, 0u},
        {"2147483647", true, 2147483647, true, 2147483647u},
        {"2147483648", false, 0, true, 2147483648u},
        {"4000000000", false, 0, true, 4000000000u},
        {"4294967296", false, 0, false, 0u},
        {"99999999999999999999999", false, 0, false, 0u},
    };
    for (const Case& c : cases) {
        TNString answer(("<n>" + std::string(c.value) + "</n>").c_str());
        int32_t signedNumber = 0;
        uint32_t unsignedNumber = 0;
        EXPECT_EQ(ReadAnswerNumber(&answer, "n", &signedNumber), c.signedTaken) << c.value;
        EXPECT_EQ(signedNumber, c.signedValue) << c.value;
        EXPECT_EQ(ReadAnswerNumber(&answer, "n", &unsignedNumber), c.unsignedTaken) << c.value;
        EXPECT_EQ(unsignedNumber, c.unsignedValue) << c.value;
        // Ids read on their own: whatever is not an unsigned number is 0.
        EXPECT_EQ(AnswerUInt(TNString(c.value)), c.unsignedTaken ? c.unsignedValue : 0u) << c.value;
    }
}

TEST(AnswerReader, ACountMustFitWhatItsListCanHold)
{
    const TNString list("1;2;3;");
    struct Case {
        const char* value;
        bool taken;
    };
    const Case cases[] = {{"0", true}, {"3", true}, {"4", false}, {"-1", false}, {"4000000000", false}};
    for (const Case& c : cases) {
        TNString answer(("<real-count>" + std::string(c.value) + "</real-count>").c_str());
        int32_t count = -7;
        EXPECT_EQ(ReadAnswerCount(&answer, "real-count", list, 2, "[test]", &count), c.taken) << c.value;
        EXPECT_EQ(count, c.taken ? std::stoi(c.value) : -7) << c.value;
    }
}

} // namespace
