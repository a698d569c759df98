#pragma once

// Recorders of what the shell hands to the desktop: the addresses and files
// it opens (with their verb), for the scope of the recorder.

#include "mainwindow/dialog_bridge.h"
#include "platform/core/shell_open.h"

#include <algorithm>
#include <array>
#include <functional>
#include <iterator>
#include <map>
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

// Records the universal dialogs the bridge opens: each key, and each
// opening's caller tag and eight integers. A script of the key runs inside
// AktivujDialog (it may change the model as a save would); then the dialog
// declines to show, so no modal loop runs.
class BridgeRecorder {
public:
    struct Opening {
        std::string Key;
        int32_t CallerTag = -1;
        std::array<int32_t, 8> Params{};
    };
    using Script = std::function<void(TNUniDialogForm& dialog)>;

    BridgeRecorder()
    {
        recorder_ = this;
        SetUniDialogFactory([]() -> TNUniDialogForm* { return new Declining(); });
    }
    ~BridgeRecorder()
    {
        SetUniDialogFactory(nullptr);
        recorder_ = nullptr;
    }
    BridgeRecorder(const BridgeRecorder&) = delete;
    BridgeRecorder& operator=(const BridgeRecorder&) = delete;

    std::vector<std::string> keys;
    std::vector<Opening> openings;
    std::map<std::string, Script> scripts;

    int Count(const std::string& key) const { return static_cast<int>(std::count(keys.begin(), keys.end(), key)); }

private:
    class Declining final : public TNUniDialogForm {
    public:
        Declining() : TNUniDialogForm(nullptr) {}
        const char* ClassName() const override { return "DecliningDialog"; }
        bool AktivujDialog() override
        {
            if (recorder_ == nullptr)
                return false;
            recorder_->keys.push_back(Key);
            Opening opening{Key, CallerTag, {}};
            std::copy(std::begin(Params), std::end(Params), opening.Params.begin());
            recorder_->openings.push_back(opening);
            auto script = recorder_->scripts.find(Key);
            if (script != recorder_->scripts.end())
                script->second(*this);
            return false;
        }
    };
    static inline BridgeRecorder* recorder_ = nullptr;
};

} // namespace shell_test
