#pragma once

// Internal: the one scheduler behind every TTimer, driven by one Qt timer on
// the main thread, or by a manual clock in tests.

#include <cstdint>
#include <mutex>
#include <vector>

namespace plat {

class TTimer;

class TimerScheduler {
public:
    static TimerScheduler& Instance();

    // TTimer's setters, from any thread, in one order for all threads.
    void Start(TTimer& timer);
    void SetInterval(TTimer& timer, uint32_t interval);
    void SetEnabled(TTimer& timer, bool enabled);
    void Remove(TTimer& timer);

    // Fires every armed timer that is due, in arming order. Main thread.
    void RunDue();

    // Tests: a clock that moves only when told. Advance moves it and runs
    // what is due; 0 runs what waits for the next turn.
    void UseManualClock(bool manual);
    void AdvanceManualClock(int64_t ms);
    int ArmedCount();

private:
    TimerScheduler() = default;
    int64_t Now() const;
    // The rest run under the lock, except Reprogram.
    void Update(TTimer& timer, bool restart);
    void Arm(TTimer& timer, int64_t now);
    void Disarm(TTimer& timer);
    void RequestWake();
    // Sets the Qt timer to the earliest due time. Main thread.
    void Reprogram();

    std::mutex mutex_;
    std::vector<TTimer*> armed_;
    uint64_t nextArmOrder_ = 1;
    bool manual_ = false;
    int64_t manualNow_ = 0;
    bool wakePending_ = false;
    struct QtDriver;
    QtDriver* driver_ = nullptr;
};

} // namespace plat
