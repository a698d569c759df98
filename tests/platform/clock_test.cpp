#include "platform/core/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

TEST(ZoneOffset, LeavesSummerTimeOutAndFollowsTheZone)
{
    const struct {
        const char* zone;
        int64_t moment;
        int32_t offset;
    } cases[] = {
        {"Europe/Prague", 1705316400, 3600},      // January 2024
        {"Europe/Prague", 1721037600, 3600},      // July 2024, summer time
        {"America/New_York", 1721037600, -18000}, // July 2024, summer time
        {"UTC", 1721037600, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.zone);
        setenv("TZ", row.zone, 1);
        tzset();
        EXPECT_EQ(plat::StandardZoneOffset(row.moment), row.offset);
    }
    setenv("TZ", "Europe/Prague", 1);
    tzset();
}

} // namespace
