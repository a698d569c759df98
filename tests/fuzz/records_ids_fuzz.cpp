// The full resynchronisation's list of all record ids of an organizer.

#include "foundation/string.h"
#include "online/global.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    TNString document(FuzzText(data, size));
    g.fncGetRecordsIDsOfOrganizer(&document);
    return 0;
}
