#include "model/model_lock.h"

#include <cassert>

TNModelLock ModelLock;

namespace {

// How this thread holds the lock: 0 not, 1 shared, 2 exclusive.
thread_local int heldMode = 0;

} // namespace

bool TNModelLock::HeldByThisThread()
{
    return heldMode != 0;
}

TNModelWriteGuard::TNModelWriteGuard()
{
    // A shared holder cannot be made exclusive without letting go first.
    assert(heldMode != 1);
    if (heldMode == 0) {
        ModelLock.Mutex.lock();
        heldMode = 2;
        owns_ = true;
    }
}

TNModelWriteGuard::TNModelWriteGuard(std::try_to_lock_t)
{
    assert(heldMode != 1);
    if (heldMode == 0 && ModelLock.Mutex.try_lock()) {
        heldMode = 2;
        owns_ = true;
    }
}

bool TNModelWriteGuard::Held() const
{
    return heldMode == 2;
}

TNModelWriteGuard::~TNModelWriteGuard()
{
    if (owns_) {
        heldMode = 0;
        ModelLock.Mutex.unlock();
    }
}

TNModelReadGuard::TNModelReadGuard()
{
    if (heldMode == 0) {
        ModelLock.Mutex.lock_shared();
        heldMode = 1;
        owns_ = true;
    }
}

TNModelReadGuard::~TNModelReadGuard()
{
    if (owns_) {
        heldMode = 0;
        ModelLock.Mutex.unlock_shared();
    }
}
