#pragma once

#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// A fresh folder for one test, removed with everything in it afterwards.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& base = plat::TempFolder())
    {
        std::string pattern = base + "dalmora-test-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            path_ = pattern + "/";
        EXPECT_FALSE(path_.empty());
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

    std::vector<std::string> Entries(const std::string& sub = "") const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_ + sub))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::string path_;
};

inline std::string ReadFixture(const std::string& name)
{
    std::string bytes;
    EXPECT_TRUE(plat::ReadWholeFile(std::string(DALMORA_TEST_DATA_DIR) + name, bytes)) << name;
    return bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(plat::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(plat::CreateFolders(path.substr(0, path.rfind('/') + 1)));
    ASSERT_TRUE(plat::WriteFileAtomically(path, bytes));
}
