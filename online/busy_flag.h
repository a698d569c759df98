#pragma once

#include <atomic>

// Takes a busy flag (or busy byte) of a shared activity for a scope: Taken()
// is false when another thread, or an outer call, runs the activity. A taken
// flag is cleared on every way out.
template <class Flag> class TNBusyFlagTakeOf {
public:
    explicit TNBusyFlagTakeOf(std::atomic<Flag>& flag) : flag_(flag), taken_(!flag.exchange(Flag(1))) {}
    ~TNBusyFlagTakeOf()
    {
        if (taken_)
            flag_ = Flag(0);
    }
    TNBusyFlagTakeOf(const TNBusyFlagTakeOf&) = delete;
    TNBusyFlagTakeOf& operator=(const TNBusyFlagTakeOf&) = delete;

    bool Taken() const { return taken_; }

private:
    std::atomic<Flag>& flag_;
    bool taken_;
};

using TNBusyFlagTake = TNBusyFlagTakeOf<bool>;
