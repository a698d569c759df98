#pragma once

#include "platform/gui/component.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace plat {

// A timer on the layer's one scheduler. Interval, Enabled and Tag may be set
// from any thread: changes apply in the order each thread made them, reads
// see the newest value, and the tick runs on the main thread and sees the Tag
// set before the Enabled that armed it. OnTimer belongs to the main thread.
//
// Interval 0 or no OnTimer never fires. Enabling a disabled timer or giving
// it a new interval restarts the countdown. 1 to 5 ms means the next turn of
// the loop; a repeating timer fires at most every 10 ms; a late timer fires
// once. Timers due together fire in the order they were armed; they fire
// inside nested loops too.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    const char* ClassName() const override { return "TTimer"; }

    uint32_t Interval() const { return interval_.load(std::memory_order_acquire); }
    void SetInterval(uint32_t interval);
    bool Enabled() const { return enabled_.load(std::memory_order_acquire); }
    void SetEnabled(bool enabled);

    std::function<void(TComponent* sender)> OnTimer;

protected:
    void Detach() override;

private:
    friend class TimerScheduler;

    std::atomic<uint32_t> interval_{1000};
    std::atomic<bool> enabled_{true};
    // Scheduler state, under its lock.
    bool armed_ = false;
    bool detached_ = false;
    int64_t due_ = 0;
    uint64_t armOrder_ = 0;
};

} // namespace plat
