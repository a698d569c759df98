#pragma once

// A stand-in for the service's side of the upload step: it takes the pending
// items of a data set one at a time through TNPIM::GetDataToSync, answers
// each with a service id (a new one for a temporary id, the same one
// otherwise) and a change time, and confirms it with TNPIM::DataUpSynced.
// Every collection that joins the upload order is drained by it unchanged.

#include "model/collection.h"
#include "model/pim.h"

#include <cstdint>
#include <string>
#include <vector>

namespace model_test {

struct FakeUpload {
    int32_t code = 0;
    uint32_t oldID = 0;
    uint32_t newID = 0;
    std::string form;
};

class FakeUploadService {
public:
    // Next id the service gives a new item, and its clock.
    uint32_t NextServiceID = 600000;
    uint32_t Now = 1718500000;
    std::vector<FakeUpload> Sent;

    // One upload: false when nothing is pending.
    bool UploadOne(TNPIM& pim)
    {
        TNString form;
        int32_t code = 0;
        uint32_t id = pim.GetDataToSync(&code, &form);
        if (id == 0) {
            return false;
        }
        uint32_t newID = id >= kFirstLocalID ? NextServiceID++ : id;
        Sent.push_back({code, id, newID, std::string(form.View())});
        pim.DataUpSynced(code, id, ++Now, newID);
        return true;
    }

    // Uploads until nothing is pending, at most `limit` times; the number sent.
    int32_t Drain(TNPIM& pim, int32_t limit = 10000)
    {
        int32_t sent = 0;
        while (sent < limit && UploadOne(pim)) {
            ++sent;
        }
        return sent;
    }
};

} // namespace model_test
