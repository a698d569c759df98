#pragma once

#include <functional>

namespace plat {

// True on the thread that started the GUI layer (any thread before that).
bool IsMainThread();

// Queues `work` to run on the main thread, in posting order per thread, also
// inside nested loops (modal forms, menus, message boxes). Never waits, so a
// worker may post while the main thread waits for it. On the main thread it
// queues too.
void RunOnMainThread(std::function<void()> work);

// Controls belong to the main thread. Builds with assertions abort when a
// control operation runs on another thread, naming the class and the
// operation; other builds do nothing.
void RequireMainThread(const char* className, const char* operation);

} // namespace plat
