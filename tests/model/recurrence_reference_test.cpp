#include "tests/model/recurrence_cases.h"

#include <gtest/gtest.h>

namespace {

// The reference is only worth comparing with when it lists what the rules
// mean: check it against the dates written out by hand first.
TEST(RecurrenceReference, AgreesWithTheHandWrittenDates)
{
    for (const recurrence_cases::Case& c : recurrence_cases::All()) {
        SCOPED_TRACE(c.name);
        std::vector<reference::Occurrence> listed = reference::Expand(c.begin, c.rule);
        if (c.length < 0) {
            ASSERT_EQ(listed.size(), c.expected.size());
        } else {
            ASSERT_EQ(listed.size(), static_cast<size_t>(c.length));
        }
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const recurrence_cases::Expected& e = c.expected[i];
            EXPECT_EQ(reference::ToText(listed[i]),
                      reference::ToText(reference::At({e.year, e.month, e.day}, e.hour, e.minute)))
                << "entry " << i;
        }
    }
}

TEST(RecurrenceReference, CivilArithmeticRoundTrips)
{
    EXPECT_EQ(reference::DayNumber(1970, 1, 1), 0);
    EXPECT_EQ(reference::Weekday(reference::DayNumber(2024, 10, 27)), 7);
    EXPECT_EQ(reference::Weekday(reference::DayNumber(2024, 3, 11)), 1);
    for (int64_t n = reference::DayNumber(1899, 1, 1); n < reference::DayNumber(2101, 1, 1); ++n) {
        reference::Date d = reference::FromDayNumber(n);
        ASSERT_EQ(reference::DayNumber(d.year, d.month, d.day), n);
    }
    EXPECT_EQ(reference::DaysInMonth(2024, 2), 29);
    EXPECT_EQ(reference::DaysInMonth(1900, 2), 28);
    EXPECT_EQ(reference::DaysInMonth(2000, 2), 29);
}

} // namespace
