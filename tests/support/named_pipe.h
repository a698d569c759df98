#pragma once

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

// Makes `path` a named pipe that nobody writes and runs `read` beside it;
// false when `read` did not return within `ms`, waiting for a writer. Either
// way the pipe is then opened for writing until `read` has returned, so a
// reader stuck in open() comes free and the test ends.
template <class Read> bool ReturnsBesideAPipe(const std::string& path, Read read, int ms = 2000)
{
    if (mkfifo(path.c_str(), 0600) != 0)
        return false;
    std::atomic<bool> done{false};
    std::thread reader([&] {
        read();
        done.store(true);
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bool returned = done.load();
    while (!done.load()) {
        int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    return returned;
}

} // namespace testing_support
