#include "online/ui_tag_queue.h"

#include <algorithm>

TNUiTagQueue::PushResult TNUiTagQueue::Push(int16_t tag, uint32_t param)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (std::find(entries_.begin(), entries_.end(), std::make_pair(tag, param)) != entries_.end())
        return PushResult::Duplicate;
    if (entries_.size() >= static_cast<size_t>(kMaxCount))
        return PushResult::Full;
    entries_.emplace_back(tag, param);
    return PushResult::Queued;
}

bool TNUiTagQueue::Take(int16_t* tag, uint32_t* param)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (entries_.empty())
        return false;
    *tag = entries_.front().first;
    *param = entries_.front().second;
    entries_.pop_front();
    return true;
}

int32_t TNUiTagQueue::Count() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int32_t>(entries_.size());
}

void TNUiTagQueue::Clear()
{
    std::lock_guard<std::mutex> guard(mutex_);
    entries_.clear();
}
