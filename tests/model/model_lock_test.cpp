// The model lock between a thread applying answers and one reading.

#include "foundation/common.h"
#include "model/model_lock.h"
#include "tests/model/data_set_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

using TNModelLockData = model_test::DataSetTest;

TEST_F(TNModelLockData, AnswersAppliedWhileAnotherThreadReads)
{
    AddOrganizer(1000);
    constexpr int32_t kPages = 50;
    constexpr int32_t kPerPage = 20;
    std::atomic<bool> done{false};
    std::atomic<int64_t> found{0};
    std::atomic<int64_t> wrong{0};

    std::thread reader([&] {
        uint32_t probe = 0;
        while (!done) {
            TNModelReadGuard lock;
            probe = (probe + 7) % (kPages * kPerPage);
            if (TNPIMRecord* r = Records().GetRecordByID(10000 + probe)) {
                found += 1;
                wrong += r->ID != 10000 + probe ? 1 : 0;
            }
            int32_t day = 1 + static_cast<int32_t>(probe % 28);
            if (TNPIMAllDay* entry = Pim().GetAllDaysItem(2024, 1 + static_cast<int32_t>(probe % 12), day)) {
                for (int32_t i = 0; i < entry->Count; ++i) {
                    wrong += entry->Items[i] == nullptr || entry->Items[i]->Text.Length == 0 ? 1 : 0;
                }
            }
        }
    });

    // New years reach the index through the year-slot hook from a third
    // thread, which holds no lock of its own.
    std::thread years([&] {
        for (int32_t year = 1901; year < 1960 && !done; ++year) {
            c.GetYearPos(year);
        }
    });

    for (int32_t page = 0; page < kPages; ++page) {
        TNModelWriteGuard lock;
        for (int32_t k = 0; k < kPerPage; ++k) {
            int32_t n = page * kPerPage + k;
            char text[400];
            std::snprintf(text, sizeof text,
                          "<ID>%d</ID><OrganizerID>1000</OrganizerID><Type>%d</Type><Text>Schůzka %d</Text>"
                          "<HasBegin>1</HasBegin><DateBegin>2024-%02d-%02d</DateBegin><TimeBegin>10:00:00</TimeBegin>"
                          "<HasEnd>1</HasEnd><DateEnd>2024-%02d-%02d</DateEnd><TimeEnd>12:00:00</TimeEnd>"
                          "<Changed>%d</Changed>",
                          10000 + n, n % 25 == 0 ? rtBirthday : rtEvent, n, 1 + n % 12, 1 + n % 28, 1 + n % 12,
                          1 + (n + 2) % 28, 1718000000 + n);
            TNString answer(text);
            Records().Add(&answer);
        }
    }
    done = true;
    reader.join();
    years.join();

    EXPECT_EQ(wrong, 0);
    EXPECT_GT(Records().Count, kPages * kPerPage);
    EXPECT_NE(Records().GetRecordByID(10000 + kPages * kPerPage - 1), nullptr);
}

// A second set files its records into the first set's per-day index; freeing
// it takes them out while the views may be reading those days.
TEST_F(TNModelLockData, SetFreedWhileAnotherThreadReadsTheDays)
{
    auto* second = new TNPIM(1);
    for (int32_t n = 0; n < 200; ++n) {
        char text[300];
        std::snprintf(text, sizeof text,
                      "<ID>%d</ID><OrganizerID>3</OrganizerID><Type>%d</Type><Text>Porada %d</Text>"
                      "<HasBegin>1</HasBegin><DateBegin>2024-05-%02d</DateBegin><TimeBegin>10:00:00</TimeBegin>",
                      20000 + n, rtEvent, n, 1 + n % 28);
        TNString answer(text);
        second->Records->Add(&answer);
    }
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::atomic<int64_t> wrong{0};
    std::thread reader([&] {
        for (int32_t probe = 0; !done; ++probe) {
            TNModelReadGuard lock;
            if (TNPIMAllDay* entry = Pim().GetAllDaysItem(2024, 5, 1 + probe % 28)) {
                for (int32_t i = 0; i < entry->Count; ++i) {
                    wrong += entry->Items[i] == nullptr || entry->Items[i]->Text.Length == 0 ? 1 : 0;
                }
            }
            started = true;
        }
    });
    while (!started) {
        std::this_thread::yield();
    }
    delete second;
    done = true;
    reader.join();

    EXPECT_EQ(wrong, 0);
    TNPIMAllDay* entry = Pim().GetAllDaysItem(2024, 5, 1);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Count, 0) << "the freed set's records left the index";
}

TEST(TNModelLock, GuardsNestOnOneThread)
{
    {
        TNModelWriteGuard outer;
        EXPECT_TRUE(TNModelLock::HeldByThisThread());
        TNModelWriteGuard inner;
        TNModelReadGuard read;
    }
    EXPECT_FALSE(TNModelLock::HeldByThisThread());
    std::thread other([] {
        TNModelWriteGuard lock;
        EXPECT_TRUE(TNModelLock::HeldByThisThread());
    });
    other.join();
}

} // namespace
