#pragma once

#include <string>

namespace plat {

// Run-private named locks, standing in for named mutexes that one process
// creates with initial ownership. Creating a name that exists fails at once
// ("already exists"); the caller backs off and tries again.

// True when the name was free and is now held by the caller.
bool TryCreateNamedLock(const std::string& name);
// Releases a name the caller holds.
void ReleaseNamedLock(const std::string& name);

// Waits for the name as long as `attempts` tries `pauseMs` apart would take
// (real time, not the clock seam), in arrival order, and takes it as soon as
// it is free for this caller. True when the lock was taken.
bool AcquireNamedLock(const std::string& name, int attempts, int pauseMs);

// Holds a named lock for a scope.
class ScopedNamedLock {
public:
    ScopedNamedLock(std::string name, int attempts, int pauseMs);
    ~ScopedNamedLock();
    ScopedNamedLock(const ScopedNamedLock&) = delete;
    ScopedNamedLock& operator=(const ScopedNamedLock&) = delete;
    bool Held() const { return held_; }

private:
    std::string name_;
    bool held_;
};

} // namespace plat
