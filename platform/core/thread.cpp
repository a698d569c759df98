#include "platform/core/thread.h"

#include "platform/core/main_loop.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace plat {
namespace {

std::atomic<TThreadExceptionReporter> exceptionReporter{nullptr};

std::mutex registryMutex;
std::condition_variable registryChanged;
// Running threads by registration number, with their names for the log of
// threads that outlive the end of the program.
std::map<uint64_t, std::string> running;
uint64_t lastRegistration = 0;

uint64_t Register(const std::string& name)
{
    std::lock_guard<std::mutex> guard(registryMutex);
    running.emplace(++lastRegistration, name);
    return lastRegistration;
}

void Unregister(uint64_t registration)
{
    std::lock_guard<std::mutex> guard(registryMutex);
    running.erase(registration);
    registryChanged.notify_all();
}

} // namespace

TThread::TThread(std::string name) : name_(std::move(name))
{
}

TThread::~TThread() = default;

bool TThread::Resume()
{
    if (started_)
        return true;
    registration_ = Register(name_);
    // Before the thread runs: one that frees itself may be gone before this
    // call returns, and nothing here may touch the object after the start.
    started_ = true;
    try {
        std::thread([this] { Body(); }).detach();
    } catch (const std::system_error&) {
        started_ = false;
        Unregister(registration_);
        return false;
    }
    return true;
}

bool TThread::Finished() const
{
    return finished_.load();
}

void TThread::Body()
{
    // The object may be gone before the thread unregisters.
    const uint64_t registration = registration_;
    try {
        Execute();
    } catch (...) {
        if (TThreadExceptionReporter reporter = exceptionReporter.load())
            reporter(name_.c_str());
    }
    // Taken before Finished turns true: an owner may delete the object then.
    const bool freeOnTerminate = FreeOnTerminate;
    std::function<void()> onTerminate = std::move(OnTerminate);
    finished_.store(true);
    if (onTerminate) {
        TThread* self = freeOnTerminate ? this : nullptr;
        bool posted = PostToMainThread([onTerminate, self] {
            onTerminate();
            delete self;
        });
        if (posted) {
            Unregister(registration);
            return;
        }
    }
    if (freeOnTerminate)
        delete this;
    Unregister(registration);
}

void SetThreadExceptionReporter(TThreadExceptionReporter reporter)
{
    exceptionReporter.store(reporter);
}

int RunningThreadCount()
{
    std::lock_guard<std::mutex> guard(registryMutex);
    return static_cast<int>(running.size());
}

std::vector<std::string> RunningThreadNames()
{
    std::lock_guard<std::mutex> guard(registryMutex);
    std::vector<std::string> names;
    for (const auto& entry : running)
        names.push_back(entry.second);
    return names;
}

bool WaitForRunningThreads(int64_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(registryMutex);
    return registryChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return running.empty(); });
}

} // namespace plat
