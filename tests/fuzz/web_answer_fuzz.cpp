// The bracketed answer parser.

#include "online/web_answer.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TNWebAnswer answer;
    answer.Parse(FuzzText(data, size));
    return 0;
}
