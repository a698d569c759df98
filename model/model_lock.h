#pragma once

#include <mutex>
#include <shared_mutex>

// The one lock of the data model, shared by every data set since PIM[0]'s
// per-day index holds the records of them all.
//
// Writers (loading, saving, applying answers, upload selection and
// confirmation, the record change sequence) take it exclusively; readers
// (look-ups, day entries, list building) take it shared. Both guards are
// re-entrant on one thread: a guard taken while the thread already holds the
// lock does nothing, so a writer may call other locked operations. A thread
// holding it shared must not ask for it exclusively.
class TNModelLock {
public:
    std::shared_mutex Mutex;

    // True while the calling thread holds the lock in either mode.
    static bool HeldByThisThread();
};

extern TNModelLock ModelLock;

class TNModelWriteGuard {
public:
    TNModelWriteGuard();
    // Takes the lock only when that needs no waiting; Held tells.
    explicit TNModelWriteGuard(std::try_to_lock_t);
    ~TNModelWriteGuard();
    TNModelWriteGuard(const TNModelWriteGuard&) = delete;
    TNModelWriteGuard& operator=(const TNModelWriteGuard&) = delete;

    // This thread holds the lock exclusively (through this guard or an
    // outer one).
    bool Held() const;

private:
    bool owns_ = false;
};

class TNModelReadGuard {
public:
    TNModelReadGuard();
    ~TNModelReadGuard();
    TNModelReadGuard(const TNModelReadGuard&) = delete;
    TNModelReadGuard& operator=(const TNModelReadGuard&) = delete;

private:
    bool owns_ = false;
};
