#pragma once

#include "platform/core/clock.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace plat::testing {

// A clock that stands still until told otherwise. Sleeping advances it and is
// recorded, so tests see every sleep without waiting.
class FakeClock final : public Clock {
public:
    explicit FakeClock(int64_t unixMilliseconds = 0) : now_(unixMilliseconds) {}

    int64_t UnixMilliseconds() override { return now_.load(); }
    int64_t MonotonicMilliseconds() override { return monotonic_.load(); }
    int64_t SuspendedMilliseconds() override { return suspended_.load(); }
    void SleepMilliseconds(int64_t ms) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            sleeps_.push_back(ms);
        }
        Advance(ms);
    }

    void SetUnixSeconds(int64_t seconds) { now_.store(seconds * 1000); }
    void SetUnixMilliseconds(int64_t ms) { now_.store(ms); }
    void Advance(int64_t ms)
    {
        now_.fetch_add(ms);
        monotonic_.fetch_add(ms);
    }
    // A suspension of the system: wall-clock time moves on, the monotonic
    // clock stands still.
    void Suspend(int64_t ms)
    {
        now_.fetch_add(ms);
        suspended_.fetch_add(ms);
    }
    std::vector<int64_t> Sleeps() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return sleeps_;
    }

private:
    std::atomic<int64_t> now_;
    std::atomic<int64_t> monotonic_{1000};
    std::atomic<int64_t> suspended_{0};
    mutable std::mutex mutex_;
    std::vector<int64_t> sleeps_;
};

// Installs a fake clock for the lifetime of the scope; the clock installed
// before (an outer scope's) comes back after it.
class ScopedFakeClock {
public:
    explicit ScopedFakeClock(int64_t unixSeconds) : previous_(&CurrentClock()), clock_(unixSeconds * 1000)
    {
        SetClock(&clock_);
    }
    ~ScopedFakeClock() { SetClock(previous_); }
    ScopedFakeClock(const ScopedFakeClock&) = delete;
    ScopedFakeClock& operator=(const ScopedFakeClock&) = delete;
    FakeClock& operator*() { return clock_; }
    FakeClock* operator->() { return &clock_; }

private:
    Clock* previous_;
    FakeClock clock_;
};

} // namespace plat::testing
