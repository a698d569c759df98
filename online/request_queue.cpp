#include "online/request_queue.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "model/pim.h"
#include "online/download.h"
#include "online/global.h"

#include <cstdio>

void TNUpdatedRecordsBodies::Add(uint32_t recordId, uint32_t changed)
{
    if (pairs_ == kPairsPerRequest) {
        bodies_.push_back(std::move(current_));
        current_.clear();
        pairs_ = 0;
    }
    char pair[64];
    std::snprintf(pair, sizeof pair, "&r%d=%u&c%d=%d", pairs_, recordId, pairs_, static_cast<int32_t>(changed));
    current_ += pair;
    ++pairs_;
}

std::vector<std::string> TNUpdatedRecordsBodies::Take()
{
    if (!current_.empty())
        bodies_.push_back(std::move(current_));
    current_.clear();
    pairs_ = 0;
    return std::move(bodies_);
}

int32_t TNRequestQueue::Add(const TNQueuedRequest& request, bool* repeated)
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Key == request.Key && items_[i].Data == request.Data && items_[i].Name == request.Name) {
            *repeated = true;
            return static_cast<int32_t>(i);
        }
    }
    *repeated = false;
    items_.push_back(request);
    return static_cast<int32_t>(items_.size() - 1);
}

bool TNRequestQueue::FirstLive(int32_t* index, TNQueuedRequest* out) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Key > 0) {
            *index = static_cast<int32_t>(i);
            *out = items_[i];
            return true;
        }
    }
    return false;
}

bool TNRequestQueue::HasLive() const
{
    int32_t index = 0;
    TNQueuedRequest ignored;
    return FirstLive(&index, &ignored);
}

void TNRequestQueue::Consume(int32_t index)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (index >= 0 && static_cast<size_t>(index) < items_.size()) {
        items_[index].Key = 0;
        items_[index].Data.clear();
    }
}

bool TNRequestQueue::CountFailure(int32_t index)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= items_.size())
        return false;
    TNQueuedRequest& item = items_[index];
    if (++item.Tries < kMaxTries)
        return false;
    item.Key = 0;
    item.Data.clear();
    return true;
}

int32_t TNRequestQueue::Count() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int32_t>(items_.size());
}

TNQueuedRequest TNRequestQueue::At(int32_t index) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return index >= 0 && static_cast<size_t>(index) < items_.size() ? items_[index] : TNQueuedRequest();
}

void TNRequestQueue::Clear()
{
    std::lock_guard<std::mutex> guard(mutex_);
    items_.clear();
}

// ---------------------------------------------------------------------------
// The queue in g

int32_t TNGlobal::apiQueueRequest(int32_t position, const char* name, const char* data, int8_t functionCode,
                                  uint8_t withUser)
{
    return Guarded("apiQueueRequest", -1, [&] {
        LogWrite("[apiQueueRequest][BEGIN] api_request = ", name, false);
        if (data != nullptr)
            LogWrite("[apiQueueRequest] data = ", data, false);
        position = ServerPosition(position);
        // The head is written when the item is sent; here only whether it
        // could be.
        if (withUser == 1 && !ActiveUserExists())
            return -1;
        TNQueuedRequest request;
        request.Key = functionCode * 10 + position;
        request.Name = name != nullptr ? name : "";
        request.Data = data != nullptr ? data : "";
        request.FunctionCode = functionCode;
        request.Position = position;
        request.WithUser = withUser;
        bool repeated = false;
        int32_t index = apiQueueRequests.Add(request, &repeated);
        if (repeated) {
            LogTextInt("[apiQueueRequest][END] Request already exists; req_pos = ", -1);
            return index;
        }
        LogTextInt("[apiQueueRequest][END] req_pos = ", index);
        return index;
    });
}

void TNGlobal::onlineProceedAPIQueue()
{
    Guarded("onlineProceedAPIQueue", [&] {
        if (apiQueueRequests.Paused != 0 || apiQueueRequests.Sending.exchange(1) != 0)
            return;
        LogTextInt("[onlineProceedAPIQueue][BEGIN] g.apiQueueRequests.Count = ", apiQueueRequests.Count());
        int32_t index = -1;
        TNQueuedRequest item;
        bool picked = apiQueueRequests.FirstLive(&index, &item);
        LogTextInt("[onlineProceedAPIQueue] req_pos = ", picked ? index : -1);
        int32_t changedItems = 0;
        if (picked) {
            Guarded("onlineProceedAPIQueue_B", [&] {
                TNFormBuilder body;
                if (!Sync2SetRequest(item.Name.c_str(), nullptr, item.WithUser, &body)) {
                    apiQueueRequests.CountFailure(index);
                    return;
                }
                TNString text = body.Text();
                text.Append(item.Data.c_str());
                TNDownload download;
                uint32_t generation = SignInGeneration;
                bool online = PostToApiAt(item.Position, text, download);
                TNString answer(download.DocumentBytes());
                // After a log-out the queue and the data set are another
                // sign-in's: the index means nothing there.
                auto signInEnded = [&] {
                    if (SignInGeneration == generation)
                        return false;
                    LogWrite("[onlineProceedAPIQueue][DROPPED] answer of an earlier sign-in; api_request = ",
                             item.Name.c_str(), false);
                    return true;
                };
                if (online && AnswerIsValid(&answer)) {
                    // The model lock only while the answer is taken in.
                    TNSyncLock lock = WaitUntilUiJobFinish("[g.onlineProceedAPIQueue]");
                    if (signInEnded())
                        return;
                    apiQueueRequests.Consume(index);
                    TNPIM* pim = PIM[item.Position];
                    if (item.FunctionCode == kQueueUpdatedRecords && pim != nullptr && pim->Records != nullptr) {
                        changedItems = pim->Records->GetUpdatedRecords(&answer);
                    } else if (item.FunctionCode == kQueueRecordsIdsOfOrganizer) {
                        changedItems = fncGetRecordsIDsOfOrganizer(&answer);
                    } else if (item.FunctionCode == kQueuePublicOrganizerRecords) {
                        LogTextInt("[onlineProceedAPIQueue][fncGetAvailableRecordsOfPublicOrganizer] fnc_code = ",
                                   item.FunctionCode);
                        changedItems = fncGetAvailableRecordsOfPublicOrganizer(&answer);
                    } else {
                        LogTextInt("[onlineProceedAPIQueue][ERROR][DEFAULT] fnc_code = ", item.FunctionCode);
                    }
                } else if (!signInEnded()) {
                    LogTextInt("[onlineProceedAPIQueue][ERROR] fnc_code = ", item.FunctionCode);
                    LogWrite("[onlineProceedAPIQueue][ERROR] ", download.ResultString.Text, false);
                    if (apiQueueRequests.CountFailure(index))
                        LogWrite("[onlineProceedAPIQueue][DROPPED] api_request = ", item.Name.c_str(), false);
                }
            });
        }
        apiQueueRequests.Sending = 0;
        if (changedItems > 0) {
            LogText(">>> g.SetUpdateUiTag(__uiUpdateShownData) [BBB]");
            SetUpdateUiTag(__uiUpdateShownData, 0);
        }
        // The queue drains one item per fast pass.
        if (picked && apiQueueRequests.HasLive())
            FastSync("onlineProceedAPIQueue");
        LogText("[onlineProceedAPIQueue][END]");
    });
}
