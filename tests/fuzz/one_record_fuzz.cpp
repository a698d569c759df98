// The reader of a "get-one-record" answer: the record and its sharing list.

#include "foundation/pim_array.h"
#include "foundation/string.h"
#include "model/record.h"
#include "model/sharing.h"
#include "online/global.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    TNString answer(FuzzText(data, size));
    if (!TNGlobal::AnswerIsValid(&answer))
        return 0;
    std::unique_ptr<TNPIMRecord> record;
    std::unique_ptr<TNPIMSharing> sharing;
    TNGlobal::ReadOneRecordAnswer(&answer, 9001, PIM[0], &record, &sharing);
    return 0;
}
