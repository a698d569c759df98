#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat {

// A worker thread object in the shape the program's jobs expect: made
// suspended, its fields set by the starter, then Resume. Execute runs once.
// An exception escaping Execute is caught and reported (see
// SetThreadExceptionReporter). OnTerminate, when set, runs afterwards on the
// main loop's thread; with FreeOnTerminate the object deletes itself after
// that (on the main thread when OnTerminate was posted there, else on the
// worker). Without FreeOnTerminate the owner deletes it once Finished.
//
// Every running thread is registered, so that the log-out and the end of the
// program can wait for them with a bound (WaitForRunningThreads).
class TThread {
public:
    explicit TThread(std::string name);
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    bool FreeOnTerminate = false;
    std::function<void()> OnTerminate;

    // Starts the thread; later calls do nothing. False when the system
    // refused a thread (the object then stays suspended).
    bool Resume();
    // Execute has returned (or thrown).
    bool Finished() const;
    const std::string& Name() const { return name_; }

protected:
    virtual void Execute() = 0;

private:
    void Body();

    std::string name_;
    bool started_ = false;
    uint64_t registration_ = 0;
    std::atomic<bool> finished_{false};
};

// Told the thread's name when an exception escaped its Execute. The program
// points it at its exception logger; unset, the exception is dropped.
using TThreadExceptionReporter = void (*)(const char* threadName);
void SetThreadExceptionReporter(TThreadExceptionReporter reporter);

// Threads started by TThread whose Execute has not yet returned.
int RunningThreadCount();
// The names of those threads, oldest first.
std::vector<std::string> RunningThreadNames();
// Waits until no TThread runs, at most timeoutMs; true when none is left.
bool WaitForRunningThreads(int64_t timeoutMs);

} // namespace plat
