#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Sends window messages to windows that other processes of the same user
// registered on the window bus (bus_wire.h tells how). Any thread may call
// these; each call blocks until its answer or its time-out. A process must
// not send to its own windows from its main thread: its loop would only
// answer after the time-out.

// One registered window.
struct BusWindow {
    std::string className;
    std::string processKey;
    uint32_t window = 0;
    int pid = 0;
    uint64_t stamp = 0; // higher is nearer the top
};

enum class BusSendResult {
    Answered, // the window's handler returned `result`
    NoWindow, // the process answered that the window is gone
    NoAnswer, // the receiver closed without an answer (it dropped the request)
    TimedOut, // no answer within the time-out
    Gone,     // its process no longer listens; its registrations were removed
};

constexpr int kBusDefaultTimeoutMs = 5000;

// The registered windows of a class, topmost first (newest stamp first).
// Reads the registrations only: stale ones are found when sending.
std::vector<BusWindow> ListBusWindows(const std::string& className);

// Sends (msg, wParam, lParam) to one window and waits at most `timeoutMs`
// for its result. `result` is set only when the window answered.
BusSendResult SendBusMessage(const BusWindow& window, uint32_t msg, uint64_t wParam, int64_t lParam, int timeoutMs,
                             int64_t& result);

struct BusDelivery {
    BusWindow window;
    BusSendResult outcome = BusSendResult::NoAnswer;
    int64_t result = 0;
};

// Sends to every window of a class, topmost first, one after the other, each
// with its own time-out. One delivery per listed window, in sending order.
std::vector<BusDelivery> SendToClass(const std::string& className, uint32_t msg, uint64_t wParam, int64_t lParam,
                                     int timeoutMs = kBusDefaultTimeoutMs);

} // namespace plat
