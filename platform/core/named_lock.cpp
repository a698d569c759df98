#include "platform/core/named_lock.h"

#include "platform/core/clock.h"

#include <mutex>
#include <unordered_set>

namespace plat {
namespace {

std::mutex& TableMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<std::string>& HeldNames()
{
    static std::unordered_set<std::string> names;
    return names;
}

} // namespace

bool TryCreateNamedLock(const std::string& name)
{
    std::lock_guard<std::mutex> guard(TableMutex());
    return HeldNames().insert(name).second;
}

void ReleaseNamedLock(const std::string& name)
{
    std::lock_guard<std::mutex> guard(TableMutex());
    HeldNames().erase(name);
}

bool AcquireNamedLock(const std::string& name, int attempts, int pauseMs)
{
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (TryCreateNamedLock(name))
            return true;
        if (attempt < attempts)
            SleepMilliseconds(pauseMs);
    }
    return false;
}

ScopedNamedLock::ScopedNamedLock(std::string name, int attempts, int pauseMs)
    : name_(std::move(name)), held_(AcquireNamedLock(name_, attempts, pauseMs))
{
}

ScopedNamedLock::~ScopedNamedLock()
{
    if (held_)
        ReleaseNamedLock(name_);
}

} // namespace plat
