#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

class TComponent;

// A reference that reads null once its component is freed (or detached on
// its way to being freed).
template <typename T> class TWeakRef {
public:
    TWeakRef() = default;
    TWeakRef(T* component); // NOLINT: converts like a pointer
    T* Get() const { return alive_ && *alive_ ? pointer_ : nullptr; }
    explicit operator bool() const { return Get() != nullptr; }
    T* operator->() const { return Get(); }

private:
    std::shared_ptr<const bool> alive_;
    T* pointer_ = nullptr;
};

// The root of every layer object with an owner: forms own the controls,
// timers and menus made for them and free them with themselves.
//
// Free() is the only way to destroy one. It detaches the component at once
// (hidden, out of its parent's and owner's lists, event slots unbound, weak
// references null) and deletes it when the event dispatch that is running
// unwinds, so a control may free itself, or its parent, inside its own
// event. Main thread only.
class TComponent {
public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    void Free();
    // False once Free() has run.
    bool Alive() const { return *alive_; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<size_t>(index)); }

    // Atomic: workers set the Tag of timers they arm.
    int64_t Tag() const { return tag_.load(std::memory_order_acquire); }
    void SetTag(int64_t tag) { tag_.store(tag, std::memory_order_release); }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    virtual const char* ClassName() const = 0;

    // The flag weak references watch.
    std::shared_ptr<const bool> AliveFlag() const { return alive_; }

protected:
    virtual ~TComponent();
    // Called once by Free(): hide, leave lists, unbind slots. Overrides call
    // the inherited one last.
    virtual void Detach();

private:
    friend class DispatchScope;

    TComponent* owner_;
    std::vector<TComponent*> components_;
    std::shared_ptr<bool> alive_;
    std::atomic<int64_t> tag_{0};
    std::string name_;
};

template <typename T>
TWeakRef<T>::TWeakRef(T* component) : alive_(component ? component->AliveFlag() : nullptr), pointer_(component)
{
}

// Frees a component when it goes out of scope; for tests and for forms held
// by value-like owners.
struct TFreeComponent {
    void operator()(TComponent* component) const
    {
        if (component != nullptr)
            component->Free();
    }
};
template <typename T> using TOwned = std::unique_ptr<T, TFreeComponent>;

// Marks an event dispatch. Components freed while any scope is open are
// deleted when the outermost one closes.
class DispatchScope {
public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;

    static bool Active();
    // True while the components freed inside a dispatch are being deleted.
    static bool Unwinding();

private:
    friend class TComponent;
    static void DeleteLater(TComponent* component);
};

} // namespace plat
