#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/item_helpers.h"
#include "model/pim.h"
#include "model/record.h"
#include "model/sharing.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"

#include <string>

namespace {

// The sharing list of a "get-one-record" answer: the items "0", "1", …
// inside "Sharing" until the first missing one.
std::unique_ptr<TNPIMSharing> ReadSharing(TNString* answer)
{
    int32_t count = 0;
    TNString sharingText;
    if (!ReadAnswerNumber(answer, "sharing-count", &count) || count <= 0 ||
        !answer->GetXmlValue("Sharing", nullptr, 0, &sharingText, false))
        return nullptr;
    auto sharing = std::make_unique<TNPIMSharing>();
    for (int32_t k = 0;; ++k) {
        TNString item;
        if (!sharingText.GetXmlValue(std::to_string(k).c_str(), nullptr, 0, &item, false))
            break;
        if (sharing->Add(&item) < 0)
            LogWrite("[TNGlobal::LoadOneRecordFromServer][ERROR] sharing_from_server line = ", item.Text, false);
    }
    return sharing;
}

} // namespace

bool TNGlobal::LoadOneRecordFromServer(uint32_t recordId, uint32_t organizerId, int32_t position,
                                       std::unique_ptr<TNPIMRecord>* record, std::unique_ptr<TNPIMSharing>* sharing)
{
    return Guarded("[TNGlobal::LoadOneRecordFromServer]", false, [&] {
        LogText("[TNGlobal::LoadOneRecordFromServer][BEGIN] get-one-record");
        if (!ActiveUserExists())
            return false;
        TNFormBuilder body;
        if (!Sync2SetRequest("get-one-record", nullptr, 1, &body))
            return false;
        body.AddUInt("RecordID", recordId).AddUInt("OrganizerID", organizerId);
        TNDownload download;
        if (!PostToApi(body.Text(), download))
            return false;
        TNString answer(download.DocumentBytes());
        if (!AnswerIsValid(&answer))
            return false;
        TNPIM* pim = PIM[position] != nullptr ? PIM[position] : PIM[0];
        bool ok = ReadOneRecordAnswer(&answer, recordId, pim, record, sharing);
        LogTextInt("[TNGlobal::LoadOneRecordFromServer][END] get-one-record; ok = ", ok ? 1 : 0);
        return ok;
    });
}

bool TNGlobal::ReadOneRecordAnswer(TNString* answer, uint32_t recordId, TNPIM* pim,
                                   std::unique_ptr<TNPIMRecord>* record, std::unique_ptr<TNPIMSharing>* sharing)
{
    bool ok = false;
    TNString element;
    std::string name = "pim-record-id-" + std::to_string(recordId);
    if (answer->GetXmlValue(name.c_str(), nullptr, 0, &element, false)) {
        auto fresh = std::make_unique<TNPIMRecord>(pim);
        fresh->ParseFromXML(&element);
        // A copy under another id would be applied over the record asked for.
        uint32_t id = 0;
        TNAnswerItem head(element);
        if (TakeAnswerID(head, "[TNGlobal::ReadOneRecordAnswer]", id) && id == recordId) {
            *record = std::move(fresh);
            ok = true;
        }
    }
    if (std::unique_ptr<TNPIMSharing> list = ReadSharing(answer))
        *sharing = std::move(list);
    return ok;
}
