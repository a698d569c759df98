#include "foundation/common.h"
#include "model/numbers.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(TextToNumber, ReadsTheLeadingNumberOfEveryIdWidth)
{
    struct Case {
        const char* text;
        int64_t value;
    };
    const Case cases[] = {
        {nullptr, 0},
        {"", 0},
        {"81234", 81234},
        {"2147483648", INT64_C(2147483648)},
        {"3000000000", INT64_C(3000000000)},
        {"4200000001", INT64_C(4200000001)},
        {"4294967295", INT64_C(4294967295)},
        {"-10", -10},
        {" \t+7", 7},
        {"12ab", 12},
        {"1 2", 1},
        {"x5", 0},
        {"-", 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.text != nullptr ? row.text : "(null)");
        EXPECT_EQ(TextToNumber(row.text), row.value);
    }
    EXPECT_EQ(static_cast<uint32_t>(TextToNumber(TNString("4200000001"))), 4200000001u);
    // Far too many digits stay far above any 32-bit field, never wrap.
    EXPECT_GT(TextToNumber("99999999999999999999999999"), INT64_C(4294967295));
    // What the helper of the settings texts would make of a temporary id.
    EXPECT_EQ(TNCommon::StrToInt("4200000001"), INT32_MAX);
}

} // namespace
