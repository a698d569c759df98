#include "platform/core/named_lock.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace plat {
namespace {

// A name is held or free; threads that wait for it queue in arrival order, so
// a thread that releases and at once creates the name again cannot starve the
// others.
struct NameState {
    bool held = false;
    std::deque<uint64_t> waiting;
};

struct LockTable {
    std::mutex mutex;
    std::condition_variable released;
    std::unordered_map<std::string, NameState> names;
    uint64_t nextTicket = 1;
};

LockTable& Table()
{
    static LockTable table;
    return table;
}

void ForgetIfIdle(LockTable& table, const std::string& name)
{
    auto found = table.names.find(name);
    if (found != table.names.end() && !found->second.held && found->second.waiting.empty())
        table.names.erase(found);
}

} // namespace

bool TryCreateNamedLock(const std::string& name)
{
    LockTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    NameState& state = table.names[name];
    if (state.held || !state.waiting.empty())
        return false;
    state.held = true;
    return true;
}

void ReleaseNamedLock(const std::string& name)
{
    LockTable& table = Table();
    {
        std::lock_guard<std::mutex> guard(table.mutex);
        auto found = table.names.find(name);
        if (found == table.names.end())
            return;
        found->second.held = false;
        ForgetIfIdle(table, name);
    }
    table.released.notify_all();
}

// Waits for the name at most (attempts - 1) pauses of pauseMs, the time the
// create-or-sleep loop would have tried for, but takes the name as soon as it
// is this thread's turn.
bool AcquireNamedLock(const std::string& name, int attempts, int pauseMs)
{
    if (attempts < 1)
        return false;
    LockTable& table = Table();
    std::unique_lock<std::mutex> lock(table.mutex);
    NameState& first = table.names[name];
    if (!first.held && first.waiting.empty()) {
        first.held = true;
        return true;
    }
    if (attempts == 1) {
        ForgetIfIdle(table, name);
        return false;
    }
    uint64_t ticket = table.nextTicket++;
    first.waiting.push_back(ticket);
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<int64_t>(attempts - 1) * (pauseMs > 0 ? pauseMs : 0));
    for (;;) {
        // The entry stays while this ticket waits in it; references into an
        // unordered_map survive rehashing.
        NameState& state = table.names[name];
        if (!state.held && state.waiting.front() == ticket) {
            state.waiting.pop_front();
            state.held = true;
            return true;
        }
        if (table.released.wait_until(lock, deadline) == std::cv_status::timeout) {
            NameState& last = table.names[name];
            if (!last.held && last.waiting.front() == ticket) {
                last.waiting.pop_front();
                last.held = true;
                return true;
            }
            std::erase(last.waiting, ticket);
            ForgetIfIdle(table, name);
            lock.unlock();
            // The next waiter may have been queued behind this one.
            table.released.notify_all();
            return false;
        }
    }
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
