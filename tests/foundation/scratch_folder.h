#pragma once

#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "tests/foundation/test_folder.h"

#include <gtest/gtest.h>

#include <string>

using ScratchFolder = testing_support::TestFolder;

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
