// The answer to an upload of a new record, applied to that record.

#include "foundation/string.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "model/record.h"
#include "online/global.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FreshDataSet();
    uint32_t id = 0;
    TNString form;
    {
        TNModelWriteGuard lock;
        TNPIMRecords& records = *PIM[0]->Records;
        id = records.GetNextID();
        if (id == 0 || !records.Resize(records.Count + 1))
            return 0;
        TNPIMRecord& record = *records.Items[records.Count - 1];
        record.ID = id;
        record.OrganizerID = 501;
        record.Type = 2;
        record.Text.Set("Nov\xFD");
        record.PleaseSync = true;
        records.NoteIDChanged(records.Count - 1);
        record.GetDataToSync(&form);
    }
    TNString answer(FuzzText(data, size));
    g.ApplyUploadAnswer(&answer, 1, id, form);
    return 0;
}
