#pragma once

#include "platform/core/paths.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with its
// contents at the end of the scope. The path ends with '/'.
class TestFolder {
public:
    explicit TestFolder(const std::string& base = plat::TempFolder())
    {
        std::string pattern = base + "dalmora-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern + "/";
    }
    ~TestFolder()
    {
        if (!path_.empty()) {
            std::string command = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
            [[maybe_unused]] int status = std::system(command.c_str());
        }
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    std::vector<std::string> Entries(const std::string& sub = "") const
    {
        std::vector<std::string> names;
        DIR* dir = opendir((path_ + sub).c_str());
        if (dir == nullptr)
            return names;
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
        return names;
    }

private:
    std::string path_;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

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
