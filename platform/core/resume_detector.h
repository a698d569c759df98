#pragma once

#include <cstdint>

namespace plat {

// Notices that the system came back from a suspension. The main loop polls it
// every `kPollIntervalMilliseconds`; a poll answers true once for each
// suspension longer than `kThresholdMilliseconds` since the poll before.
// Reads the current clock, so tests fake the suspensions.
class ResumeDetector {
public:
    static constexpr int64_t kPollIntervalMilliseconds = 2000;
    static constexpr int64_t kThresholdMilliseconds = 5000;

    ResumeDetector();
    bool Poll();

private:
    int64_t lastSuspended_;
};

} // namespace plat
