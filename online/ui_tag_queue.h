#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>

// The UI-update tag queue: pairs (tag, parameter) that workers add and the
// main window takes out one at a time, oldest first. A pair equal to one
// still waiting is not added again; a full queue refuses new pairs. Any
// thread may add and take.
class TNUiTagQueue {
public:
    static constexpr int32_t kMaxCount = 1024;

    enum class PushResult { Queued, Duplicate, Full };

    PushResult Push(int16_t tag, uint32_t param);
    // The oldest pair; false when the queue is empty.
    bool Take(int16_t* tag, uint32_t* param);
    int32_t Count() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::deque<std::pair<int16_t, uint32_t>> entries_;
};
