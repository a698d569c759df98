#pragma once

// Every fuzz target defines the usual fuzzing entry point; the seeded random
// driver (random_driver.cpp) calls it.

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// The input as the text of an answer: a TNString stops at a zero byte, as
// the transport's answers do.
inline std::string FuzzText(const uint8_t* data, size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}
