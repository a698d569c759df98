#pragma once

// Recorders of what the shell hands to the desktop: the addresses and files
// it opens (with their verb), for the scope of the recorder.

#include "mainwindow/dialog_bridge.h"
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

// Records the keys of the universal dialogs the bridge opens; each declines
// to show, so no modal loop runs.
class BridgeRecorder {
public:
    BridgeRecorder()
    {
        keys_ = &keys;
        SetUniDialogFactory([]() -> TNUniDialogForm* { return new Declining(); });
    }
    ~BridgeRecorder()
    {
        SetUniDialogFactory(nullptr);
        keys_ = nullptr;
    }
    BridgeRecorder(const BridgeRecorder&) = delete;
    BridgeRecorder& operator=(const BridgeRecorder&) = delete;

    std::vector<std::string> keys;

private:
    class Declining final : public TNUniDialogForm {
    public:
        Declining() : TNUniDialogForm(nullptr) {}
        const char* ClassName() const override { return "DecliningDialog"; }
        bool AktivujDialog() override
        {
            if (keys_ != nullptr)
                keys_->push_back(Key);
            return false;
        }
    };
    static inline std::vector<std::string>* keys_ = nullptr;
};

} // namespace shell_test
