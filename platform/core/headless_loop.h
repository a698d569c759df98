#pragma once

#include "platform/core/main_loop.h"

#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

namespace plat {

// The main loop without a display: poll(2) on the watched descriptors, an
// eventfd for posted tasks and Quit, and a signalfd for SIGTERM and SIGINT.
class HeadlessMainLoop final : public MainLoop {
public:
    // Blocks SIGTERM and SIGINT in the calling thread as well, in case the
    // entry function has not. Throws std::system_error when the descriptors
    // cannot be created.
    HeadlessMainLoop();
    ~HeadlessMainLoop() override;
    HeadlessMainLoop(const HeadlessMainLoop&) = delete;
    HeadlessMainLoop& operator=(const HeadlessMainLoop&) = delete;

    int Run() override;
    void Quit() override;
    void Post(Task task) override;
    int WatchReadable(int fd, Task onReady) override;
    void Unwatch(int watchId) override;

    // The manual pump of tests: runs, on the calling thread (which stands in
    // for the loop's thread), the tasks queued so far, oldest first, and
    // gives how many ran. Tasks they post wait for the next call.
    int RunPendingTasks();
    // For a manual pump: the number of a SIGTERM or SIGINT that came, taken
    // off the queue, else 0. Never waits.
    int TakeSignal();

private:
    struct Watch {
        int id;
        int fd;
        Task onReady;
    };

    void Wake();
    // Runs the tasks queued when it starts, stopping at a Quit when asked;
    // how many ran.
    size_t RunTasks(bool stopOnQuit);
    // Runs the tasks queued when it starts; false when Quit came meanwhile.
    bool RunQueuedTasks();
    void DispatchReady(const std::vector<int>& readyIds);

    int signalFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<bool> quit_{false};
    std::mutex tasksMutex_;
    std::deque<Task> tasks_;
    std::vector<Watch> watches_;
    int nextWatchId_ = 1;
};

} // namespace plat
