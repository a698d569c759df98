// The account part of a sign-in answer.

#include "foundation/string.h"
#include "online/global.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    TNString answer(FuzzText(data, size));
    g.ProcessUserData(&answer);
    return 0;
}
