#pragma once

#include <functional>

namespace plat {

// The program's main loop, as the rest of the program sees it. The headless
// loop (headless_loop.h) implements it now; the GUI's loop will implement it
// the same way (a socket notifier per watched descriptor, a queued call per
// posted task, a notifier on a signalfd for the two signals).
//
// Threads: Run, WatchReadable and Unwatch belong to the thread that runs the
// loop (the main thread). Post and Quit may be called from any thread.
class MainLoop {
public:
    using Task = std::function<void()>;

    virtual ~MainLoop() = default;

    // Runs until Quit() or until SIGTERM or SIGINT arrives (both must be
    // blocked, see BlockTerminationSignals). Returns 0 after Quit(), else the
    // number of the signal. A Quit() that comes before Run() makes Run()
    // return at once. An exception thrown by a task or a watch callback
    // leaves Run() and reaches its caller.
    virtual int Run() = 0;
    virtual void Quit() = 0;

    // Queues `task` to run on the loop's thread, in posting order.
    virtual void Post(Task task) = 0;

    // Calls `onReady` on the loop's thread whenever `fd` is readable, hung up
    // or in error, until Unwatch. Returns a watch id (> 0), or 0 on failure.
    // The loop never closes the descriptor.
    virtual int WatchReadable(int fd, Task onReady) = 0;
    virtual void Unwatch(int watchId) = 0;
};

// The loop PostToMainThread reaches. The owner installs it before starting
// worker threads and removes it (nullptr) before destroying it; once that
// call returns no further task reaches the old loop.
void SetMainLoop(MainLoop* loop);

// Thread-safe. Queues `task` on the installed main loop; false (and the task
// is dropped) when none is installed.
bool PostToMainThread(MainLoop::Task task);

// Blocks SIGTERM and SIGINT in the calling thread. The entry function calls
// it first, before any thread starts, so that every thread inherits the mask
// and the signals wait for the main loop instead of ending the process.
// Programs started from here get an empty mask again (process.h).
bool BlockTerminationSignals();

// Blocks SIGTERM, SIGINT and SIGHUP in the calling thread: the signals that
// end a session of a program with windows (GuiMainLoop). Called first in the
// entry function for the same reason as BlockTerminationSignals.
bool BlockSessionEndSignals();

} // namespace plat
