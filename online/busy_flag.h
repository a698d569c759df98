#pragma once

#include <atomic>

// Takes a busy flag of a shared activity for a scope: Taken() is false when
// another thread runs the activity. A taken flag is cleared on every way out.
class TNBusyFlagTake {
public:
    explicit TNBusyFlagTake(std::atomic<bool>& flag) : flag_(flag), taken_(!flag.exchange(true)) {}
    ~TNBusyFlagTake()
    {
        if (taken_)
            flag_ = false;
    }
    TNBusyFlagTake(const TNBusyFlagTake&) = delete;
    TNBusyFlagTake& operator=(const TNBusyFlagTake&) = delete;

    bool Taken() const { return taken_; }

private:
    std::atomic<bool>& flag_;
    bool taken_;
};
