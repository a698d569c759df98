#include "platform/core/resume_detector.h"
#include "platform/testing/fake_clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ResumeDetector, AnswersOnceForEachSuspensionOverFiveSeconds)
{
    plat::testing::ScopedFakeClock clock(1700000000);
    plat::ResumeDetector detector;
    EXPECT_FALSE(detector.Poll());

    clock->Suspend(6000);
    EXPECT_TRUE(detector.Poll());
    EXPECT_FALSE(detector.Poll());

    // Two short suspensions in separate polls do not add up.
    clock->Suspend(3000);
    EXPECT_FALSE(detector.Poll());
    clock->Suspend(3000);
    EXPECT_FALSE(detector.Poll());

    clock->Suspend(5000);
    EXPECT_FALSE(detector.Poll());
    clock->Suspend(5001);
    EXPECT_TRUE(detector.Poll());
}

TEST(ResumeDetector, SystemClockReportsNoSuspensionWhileAwake)
{
    plat::ResumeDetector detector;
    int64_t suspended = plat::CurrentClock().SuspendedMilliseconds();
    EXPECT_GE(suspended, 0);
    EXPECT_FALSE(detector.Poll());
    EXPECT_LT(plat::CurrentClock().SuspendedMilliseconds() - suspended, 1000);
}

} // namespace
