// The reader of a "get-object-data" answer, about a contact request and a
// notification the data set holds.

#include "foundation/pim_array.h"
#include "foundation/string.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"
#include "online/object_data.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    {
        TNModelWriteGuard lock;
        TNString request("<ID>7001</ID><Changed>5</Changed><Deleted>0</Deleted><UserID>1002</UserID>"
                         "<ContactUserID>1001</ContactUserID><AcceptanceType>0</AcceptanceType>");
        PIM[0]->ContactsRequests.Add(&request);
        TNString notification("<ID>8001</ID><Changed>5</Changed><Deleted>0</Deleted><Type>1</Type>"
                              "<RecipientUserID>1001</RecipientUserID><Read>0</Read><Text>Zpr\xE1va</Text>");
        PIM[0]->Notifications.Add(&notification);
    }
    TNString answer(FuzzText(data, size));
    if (!TNGlobal::AnswerIsValid(&answer))
        return 0;
    // The input's length picks the item the answer is about.
    bool aboutRequest = (size & 1) != 0;
    TNGlobal::ApplyObjectData(PIM[0],
                              aboutRequest ? TNObjectDataList::kContactRequest : TNObjectDataList::kNotification,
                              aboutRequest ? 7001 : 8001, &answer);
    return 0;
}
