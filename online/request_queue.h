#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// One queued request: what is needed to write its body when it is sent, so
// that the head carries the password and installation id of that moment.
struct TNQueuedRequest {
    // function code × 10 + server position; 0 once consumed or dropped.
    int32_t Key = 0;
    std::string Name;
    std::string Data;
    int8_t FunctionCode = 0;
    int32_t Position = 0;
    uint8_t WithUser = 0;
    // Sends that were not answered with handshake 1.
    int32_t Tries = 0;
};

// The data of "get-updated-records" requests: pairs "&r<n>=<id>&c<n>=<Changed>"
// numbered from 0, at most 50 to a request.
class TNUpdatedRecordsBodies {
public:
    static constexpr int32_t kPairsPerRequest = 50;

    void Add(uint32_t recordId, uint32_t changed);
    // The bodies so far, the last one unfinished included.
    std::vector<std::string> Take();

private:
    std::vector<std::string> bodies_;
    std::string current_;
    int32_t pairs_ = 0;
};

// The requests the online pass sends one at a time. Items stay in place
// once consumed, so positions stay valid until the list is cleared at
// log-out.
class TNRequestQueue {
public:
    static constexpr int32_t kMaxTries = 5;

    // The position of the new item, or of an equal live one (same key and
    // data) already queued.
    int32_t Add(const TNQueuedRequest& request, bool* repeated);
    // The first live item; false when none.
    bool FirstLive(int32_t* index, TNQueuedRequest* out) const;
    bool HasLive() const;
    void Consume(int32_t index);
    // Counts a send that failed; true when the item was dropped after the
    // last try.
    bool CountFailure(int32_t index);
    int32_t Count() const;
    TNQueuedRequest At(int32_t index) const;
    void Clear();

    // The sender works; the sender stays idle.
    std::atomic<uint8_t> Sending{0};
    std::atomic<uint8_t> Paused{0};

private:
    mutable std::mutex mutex_;
    std::vector<TNQueuedRequest> items_;
};
