#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sound_test {

// A fixture file of tests/sound/data/ as bytes.
inline std::vector<uint8_t> ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(DALMORA_TEST_DATA_DIR) + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The fixtures' plain layout puts the samples right after a 44-byte header.
constexpr size_t kPlainHeaderSize = 44;

inline std::vector<uint8_t> PlainSamples(const std::vector<uint8_t>& image)
{
    return std::vector<uint8_t>(image.begin() + kPlainHeaderSize, image.end());
}

} // namespace sound_test
