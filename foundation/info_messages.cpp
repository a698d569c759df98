#include "foundation/info_messages.h"

#include "foundation/guard.h"
#include "foundation/local_clock.h"

int32_t TNInfoMessages::FindLocked(int32_t id) const
{
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].ID == id)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t TNInfoMessages::AddLocked(const char* title, const char* text, bool reuse, int32_t kind, int32_t id)
{
    if (reuse) {
        int32_t existing = FindLocked(id);
        if (existing >= 0)
            return existing;
    }
    TNInfoMessage message;
    message.ID = id;
    message.Kind = kind;
    if (!message.Title.Set(title) || !message.Text.Set(text))
        return -1;
    message.Added = TNLocalClock::Now();
    message.Key = ++lastKey_;
    items_.push_back(std::move(message));
    return static_cast<int32_t>(items_.size() - 1);
}

int32_t TNInfoMessages::Add(const char* title, const char* text, bool reuse, int32_t kind, int32_t id)
{
    return Guarded("[TNInfoMessages::Add]", -1, [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        return AddLocked(title, text, reuse, kind, id);
    });
}

uint64_t TNInfoMessages::AddKeyed(const char* title, const char* text, bool reuse, int32_t kind, int32_t id)
{
    return Guarded("[TNInfoMessages::AddKeyed]", uint64_t{0}, [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        const int32_t index = AddLocked(title, text, reuse, kind, id);
        return index >= 0 ? items_[static_cast<size_t>(index)].Key : uint64_t{0};
    });
}

bool TNInfoMessages::RemoveAt(int32_t index)
{
    return Guarded("[TNInfoMessages::RemoveAt]", false, [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        if (index < 0 || static_cast<size_t>(index) >= items_.size())
            return false;
        items_.erase(items_.begin() + index);
        return true;
    });
}

void TNInfoMessages::Clear()
{
    Guarded("[TNInfoMessages::Clear]", [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        items_.clear();
    });
}

int32_t TNInfoMessages::Count() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int32_t>(items_.size());
}

bool TNInfoMessages::Get(int32_t index, TNInfoMessage& out) const
{
    return Guarded("[TNInfoMessages::Get]", false, [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        if (index < 0 || static_cast<size_t>(index) >= items_.size())
            return false;
        const TNInfoMessage& message = items_[static_cast<size_t>(index)];
        out.ID = message.ID;
        out.Kind = message.Kind;
        out.Added = message.Added;
        out.Key = message.Key;
        return out.Title.Copy(&message.Title) && out.Text.Copy(&message.Text);
    });
}

int32_t TNInfoMessages::Find(int32_t id) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return FindLocked(id);
}

int32_t TNInfoMessages::FindKey(uint64_t key) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Key == key)
            return static_cast<int32_t>(i);
    }
    return -1;
}

int32_t TNInfoMessages::NewestIndex() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    int32_t newest = -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (newest < 0 || items_[i].Added > items_[static_cast<size_t>(newest)].Added)
            newest = static_cast<int32_t>(i);
    }
    return newest;
}
