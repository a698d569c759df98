#pragma once

// Recorders of what the shell hands to the desktop: the addresses and files
// it opens (with their verb), for the scope of the recorder.

#include "platform/core/shell_open.h"

#include <mutex>
#include <string>
#include <vector>

namespace shell_test {

class ShellRecorder {
public:
    ShellRecorder()
    {
        recorder_ = this;
        plat::SetShellStarter([](const std::vector<std::string>& argv, int*) {
            std::lock_guard<std::mutex> guard(recorder_->mutex_);
            recorder_->started_.push_back(argv);
            return true;
        });
    }
    ~ShellRecorder()
    {
        plat::SetShellStarter(nullptr);
        recorder_ = nullptr;
    }
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    // The targets opened, in order.
    std::vector<std::string> Opened() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        std::vector<std::string> targets;
        for (const auto& argv : started_)
            targets.push_back(argv.back());
        return targets;
    }
    std::vector<std::vector<std::string>> Started() const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return started_;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(mutex_);
        started_.clear();
    }

private:
    static inline ShellRecorder* recorder_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::vector<std::string>> started_;
};

} // namespace shell_test
