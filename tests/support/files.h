#pragma once

#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

// The bytes of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::string bytes;
    plat::ReadWholeFile(path, bytes);
    return bytes;
}

// The bytes of a file the test expects to be there.
inline std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    EXPECT_TRUE(plat::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

// The bytes of a fixture in the test binary's own data folder.
inline std::string ReadFixture(const std::string& name)
{
    return ReadBytes(std::string(DALMORA_TEST_DATA_DIR) + name);
}

// Writes the bytes, creating the missing folders on the way.
inline void WriteFile(const std::string& path, const std::string& bytes)
{
    ASSERT_TRUE(plat::CreateFolders(path.substr(0, path.rfind('/') + 1))) << path;
    ASSERT_TRUE(plat::WriteFileAtomically(path, bytes)) << path;
}

} // namespace testing_support
