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

// Tries `attempts` times, sleeping `pauseMs` through the clock seam between
// tries. True when the lock was taken.
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
