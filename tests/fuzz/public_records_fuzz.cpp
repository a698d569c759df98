// The records of a public organizer the user looks at.

#include "foundation/string.h"
#include "model/organizers.h"
#include "online/global.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    g.AvailableOrganizers = std::make_unique<TNPIMOrganizers>();
    TNString document(FuzzText(data, size));
    g.fncGetAvailableRecordsOfPublicOrganizer(&document);
    return 0;
}
