#include "platform/gui/main_thread.h"

#include "platform/core/main_loop.h"
#include "platform/gui/component.h"
#include "platform/gui/internal/layer.h"

#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace plat {
namespace {

std::atomic<bool> mainThreadKnown{false};
std::thread::id mainThreadId;

} // namespace

void MarkMainThread()
{
    mainThreadId = std::this_thread::get_id();
    mainThreadKnown.store(true, std::memory_order_release);
}

bool IsMainThread()
{
    return !mainThreadKnown.load(std::memory_order_acquire) || std::this_thread::get_id() == mainThreadId;
}

void RunOnMainThread(std::function<void()> work)
{
    // Before the layer starts, the core's loop (if any) is the main thread's.
    if (QCoreApplication::instance() == nullptr) {
        PostToMainThread(std::move(work));
        return;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [work = std::move(work)] {
            DispatchScope scope;
            work();
        },
        Qt::QueuedConnection);
}

void RequireMainThread([[maybe_unused]] const char* className, [[maybe_unused]] const char* operation)
{
#ifndef NDEBUG
    if (IsMainThread())
        return;
    std::fprintf(stderr, "GUI operation off the main thread: %s::%s\n", className, operation);
    std::fflush(stderr);
    std::abort();
#endif
}

} // namespace plat
