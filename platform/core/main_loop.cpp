#include "platform/core/main_loop.h"

#include <mutex>
#include <pthread.h>
#include <signal.h>

namespace plat {
namespace {

std::mutex installedMutex;
MainLoop* installed = nullptr;

} // namespace

void SetMainLoop(MainLoop* loop)
{
    std::lock_guard<std::mutex> guard(installedMutex);
    installed = loop;
}

bool PostToMainThread(MainLoop::Task task)
{
    std::lock_guard<std::mutex> guard(installedMutex);
    if (installed == nullptr)
        return false;
    installed->Post(std::move(task));
    return true;
}

bool BlockTerminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

bool BlockSessionEndSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

} // namespace plat
