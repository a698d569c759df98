// A downloaded "api-sync-pim" block taken into a fresh data set.

#include "foundation/string.h"
#include "online/global.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    TNString block(FuzzText(data, size));
    bool changed = false;
    g.SyncPIM(&block, 1, &changed);
    return 0;
}
