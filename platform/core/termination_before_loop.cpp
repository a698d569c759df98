#include "platform/core/termination_before_loop.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace plat {

struct TerminationBeforeLoop::Impl {
    std::function<void()> beforeExit;
    int signalFd = -1;
    int stopFd = -1;
    std::thread thread;

    ~Impl()
    {
        if (signalFd >= 0)
            close(signalFd);
        if (stopFd >= 0)
            close(stopFd);
    }

    void Watch()
    {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        for (;;) {
            int ready = poll(fds, 2, -1);
            if (ready < 0 && errno == EINTR)
                continue;
            // A stop wins over a signal that comes with it: the loop reads
            // that one from the pending set.
            if (ready < 0 || fds[1].revents != 0)
                return;
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof(info)) == static_cast<ssize_t>(sizeof(info))) {
                if (beforeExit)
                    beforeExit();
                // Nothing of the run is worth finishing: no destructor, no
                // buffered output, no handler of another thread.
                _exit(0);
            }
        }
    }
};

TerminationBeforeLoop::TerminationBeforeLoop(std::function<void()> beforeExit) : impl_(std::make_unique<Impl>())
{
    impl_->beforeExit = std::move(beforeExit);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    impl_->signalFd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (impl_->signalFd < 0)
        throw std::system_error(errno, std::generic_category(), "signalfd");
    impl_->stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (impl_->stopFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
    impl_->thread = std::thread([impl = impl_.get()] { impl->Watch(); });
}

TerminationBeforeLoop::~TerminationBeforeLoop()
{
    Stop();
}

void TerminationBeforeLoop::Stop()
{
    if (!impl_->thread.joinable())
        return;
    uint64_t one = 1;
    while (write(impl_->stopFd, &one, sizeof(one)) < 0 && errno == EINTR) {
    }
    impl_->thread.join();
}

} // namespace plat
