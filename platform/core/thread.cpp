#include "platform/core/thread.h"

#include "platform/core/main_loop.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace plat {
namespace {

std::atomic<TThreadExceptionReporter> exceptionReporter{nullptr};

std::mutex registryMutex;
std::condition_variable registryChanged;
int runningCount = 0;

void Register()
{
    std::lock_guard<std::mutex> guard(registryMutex);
    ++runningCount;
}

void Unregister()
{
    std::lock_guard<std::mutex> guard(registryMutex);
    --runningCount;
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
    Register();
    // Before the thread runs: one that frees itself may be gone before this
    // call returns, and nothing here may touch the object after the start.
    started_ = true;
    try {
        std::thread([this] { Body(); }).detach();
    } catch (const std::system_error&) {
        started_ = false;
        Unregister();
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
            Unregister();
            return;
        }
    }
    if (freeOnTerminate)
        delete this;
    Unregister();
}

void SetThreadExceptionReporter(TThreadExceptionReporter reporter)
{
    exceptionReporter.store(reporter);
}

int RunningThreadCount()
{
    std::lock_guard<std::mutex> guard(registryMutex);
    return runningCount;
}

bool WaitForRunningThreads(int64_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(registryMutex);
    return registryChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [] { return runningCount == 0; });
}

} // namespace plat
