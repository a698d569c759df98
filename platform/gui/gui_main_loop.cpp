#include "platform/gui/gui_main_loop.h"

#include "platform/gui/component.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <map>
#include <memory>
#include <pthread.h>
#include <signal.h>
#include <stdexcept>
#include <sys/signalfd.h>
#include <system_error>
#include <unistd.h>

namespace plat {

namespace {

sigset_t SessionEndSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

struct GuiMainLoop::Impl {
    int signalFd = -1;
    // The session-end signals this loop blocked, unblocked again when it goes.
    sigset_t blockedHere;
    std::unique_ptr<QSocketNotifier> signalNotifier;
    std::map<int, std::unique_ptr<QSocketNotifier>> watches;
    int nextWatchId = 1;
    // Shared with queued exits, which may outlive the loop.
    std::shared_ptr<std::atomic<bool>> exitPending = std::make_shared<std::atomic<bool>>(false);
    std::atomic<int> exitResult{0};
};

GuiMainLoop::GuiMainLoop() : impl_(std::make_unique<Impl>())
{
    // Without the application there is no event dispatcher: the signal
    // notifier would never fire and the signals would wait for ever.
    if (QCoreApplication::instance() == nullptr)
        throw std::logic_error("GuiMainLoop needs GuiApplication::Start first");
    const sigset_t set = SessionEndSignals();
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &set, &before);
    sigemptyset(&impl_->blockedHere);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        if (sigismember(&before, signal) == 0)
            sigaddset(&impl_->blockedHere, signal);
    impl_->signalFd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (impl_->signalFd < 0) {
        const int error = errno;
        pthread_sigmask(SIG_UNBLOCK, &impl_->blockedHere, nullptr);
        throw std::system_error(error, std::generic_category(), "signalfd");
    }
    impl_->signalNotifier = std::make_unique<QSocketNotifier>(impl_->signalFd, QSocketNotifier::Read);
    QObject::connect(impl_->signalNotifier.get(), &QSocketNotifier::activated, [this] {
        signalfd_siginfo info{};
        while (read(impl_->signalFd, &info, sizeof(info)) == static_cast<ssize_t>(sizeof(info))) {
            const int signal = static_cast<int>(info.ssi_signo);
            DispatchScope scope;
            if (auto slot = OnSessionEnd)
                slot(signal);
            else
                Exit(signal);
        }
    });
}

GuiMainLoop::~GuiMainLoop()
{
    impl_->watches.clear();
    impl_->signalNotifier.reset();
    if (impl_->signalFd >= 0)
        close(impl_->signalFd);
    // Nobody is left to hear a termination signal: one that arrives now, or
    // waits unread, ends the process as it would have without the loop.
    pthread_sigmask(SIG_UNBLOCK, &impl_->blockedHere, nullptr);
}

int GuiMainLoop::Run()
{
    if (impl_->exitPending->exchange(false))
        return impl_->exitResult.load();
    const int result = QCoreApplication::exec();
    impl_->exitPending->store(false);
    return result;
}

void GuiMainLoop::Quit()
{
    Exit(0);
}

void GuiMainLoop::Exit(int result)
{
    impl_->exitResult.store(result);
    impl_->exitPending->store(true);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [pending = impl_->exitPending, result] {
            // A quit that Run() already took before the loop started is spent.
            if (pending->exchange(false))
                QCoreApplication::exit(result);
        },
        Qt::QueuedConnection);
}

void GuiMainLoop::Post(Task task)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [task = std::move(task)] {
            DispatchScope scope;
            task();
        },
        Qt::QueuedConnection);
}

int GuiMainLoop::WatchReadable(int fd, Task onReady)
{
    if (fd < 0)
        return 0;
    const int id = impl_->nextWatchId++;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [task = std::move(onReady)] {
        DispatchScope scope;
        task();
    });
    impl_->watches.emplace(id, std::move(notifier));
    return id;
}

void GuiMainLoop::Unwatch(int watchId)
{
    auto it = impl_->watches.find(watchId);
    if (it == impl_->watches.end())
        return;
    it->second->setEnabled(false);
    // The watch may be ending from inside its own callback.
    it->second.release()->deleteLater();
    impl_->watches.erase(it);
}

} // namespace plat
