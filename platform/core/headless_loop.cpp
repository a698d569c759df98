#include "platform/core/headless_loop.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <system_error>
#include <unistd.h>

namespace plat {

HeadlessMainLoop::HeadlessMainLoop()
{
    BlockTerminationSignals();
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    signalFd_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd_ < 0)
        throw std::system_error(errno, std::generic_category(), "signalfd");
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        int error = errno;
        close(signalFd_);
        throw std::system_error(error, std::generic_category(), "eventfd");
    }
}

HeadlessMainLoop::~HeadlessMainLoop()
{
    close(signalFd_);
    close(wakeFd_);
}

void HeadlessMainLoop::Wake()
{
    uint64_t one = 1;
    // A full counter (EAGAIN) already means "awake"; nothing else can fail.
    while (write(wakeFd_, &one, sizeof(one)) < 0 && errno == EINTR) {
    }
}

void HeadlessMainLoop::Quit()
{
    quit_.store(true);
    Wake();
}

void HeadlessMainLoop::Post(Task task)
{
    {
        std::lock_guard<std::mutex> guard(tasksMutex_);
        tasks_.push_back(std::move(task));
    }
    Wake();
}

int HeadlessMainLoop::WatchReadable(int fd, Task onReady)
{
    if (fd < 0 || !onReady)
        return 0;
    int id = nextWatchId_++;
    watches_.push_back(Watch{id, fd, std::move(onReady)});
    return id;
}

void HeadlessMainLoop::Unwatch(int watchId)
{
    for (auto it = watches_.begin(); it != watches_.end(); ++it) {
        if (it->id == watchId) {
            watches_.erase(it);
            return;
        }
    }
}

size_t HeadlessMainLoop::RunTasks(bool stopOnQuit)
{
    size_t count;
    {
        std::lock_guard<std::mutex> guard(tasksMutex_);
        count = tasks_.size();
    }
    // Tasks posted by these tasks wait for the next turn, so a task that
    // posts itself again cannot starve the descriptors.
    for (size_t i = 0; i < count; ++i) {
        if (stopOnQuit && quit_.load())
            return i;
        Task task;
        {
            std::lock_guard<std::mutex> guard(tasksMutex_);
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    return count;
}

bool HeadlessMainLoop::RunQueuedTasks()
{
    RunTasks(true);
    return !quit_.load();
}

int HeadlessMainLoop::RunPendingTasks()
{
    return static_cast<int>(RunTasks(false));
}

void HeadlessMainLoop::DispatchReady(const std::vector<int>& readyIds)
{
    for (int id : readyIds) {
        // An earlier callback may have removed this watch.
        for (const Watch& watch : watches_) {
            if (watch.id == id) {
                Task onReady = watch.onReady;
                onReady();
                break;
            }
        }
        if (quit_.load())
            return;
    }
}

int HeadlessMainLoop::TakeSignal()
{
    signalfd_siginfo info{};
    if (read(signalFd_, &info, sizeof(info)) == static_cast<ssize_t>(sizeof(info)))
        return static_cast<int>(info.ssi_signo);
    return 0;
}

int HeadlessMainLoop::Run()
{
    std::vector<pollfd> fds;
    std::vector<int> ids;
    std::vector<int> readyIds;
    for (;;) {
        if (!RunQueuedTasks()) {
            quit_.store(false);
            return 0;
        }
        fds.assign({pollfd{signalFd_, POLLIN, 0}, pollfd{wakeFd_, POLLIN, 0}});
        ids.clear();
        for (const Watch& watch : watches_) {
            fds.push_back(pollfd{watch.fd, POLLIN, 0});
            ids.push_back(watch.id);
        }
        {
            std::lock_guard<std::mutex> guard(tasksMutex_);
            if (!tasks_.empty())
                continue;
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), "poll");
        }
        if (fds[0].revents != 0) {
            if (int signal = TakeSignal(); signal != 0)
                return signal;
        }
        if (fds[1].revents != 0) {
            uint64_t count;
            while (read(wakeFd_, &count, sizeof(count)) < 0 && errno == EINTR) {
            }
        }
        readyIds.clear();
        for (size_t i = 0; i < ids.size(); ++i) {
            if (fds[i + 2].revents != 0)
                readyIds.push_back(ids[i]);
        }
        DispatchReady(readyIds);
        if (quit_.exchange(false))
            return 0;
    }
}

} // namespace plat
