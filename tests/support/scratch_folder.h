#pragma once

#include "platform/core/paths.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace testing_support {

// Removes a tree whatever a test did to it: folders it made unreadable or
// unwritable are opened to their owner first. Links are removed, never
// followed.
inline void RemoveTree(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    auto openUp = [&](const fs::path& folder, auto& self) -> void {
        if (!fs::is_directory(fs::symlink_status(folder, ignored)))
            return;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored))
            self(entry.path(), self);
    };
    openUp(path, openUp);
    fs::remove_all(path, ignored);
}

// A fresh folder (mode 0700) under a base folder, by default the temporary
// folder, removed with everything in it at the end of the scope. The path
// ends with '/'; empty when no folder could be made.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& base = plat::TempFolder())
    {
        std::string pattern = plat::JoinPath(base, "dalmora-test-XXXXXX");
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern + "/";
    }
    ~ScratchFolder()
    {
        if (!path_.empty())
            RemoveTree(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    // Names in the folder or in a folder below it, in no particular order.
    std::vector<std::string> Entries(const std::string& sub = "") const
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_ + sub, ignored))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::string path_;
};

} // namespace testing_support
