#include "platform/gui/component.h"

#include <algorithm>
#include <iterator>

namespace plat {
namespace {

int dispatchDepth = 0;
bool unwinding = false;
std::vector<TComponent*>& PendingDeletes()
{
    static std::vector<TComponent*> pending;
    return pending;
}

} // namespace

TComponent::TComponent(TComponent* owner) : owner_(owner), alive_(std::make_shared<bool>(true))
{
    if (owner_ != nullptr)
        owner_->components_.push_back(this);
}

TComponent::~TComponent() = default;

void TComponent::Free()
{
    if (!*alive_)
        return;
    Detach();
    if (dispatchDepth > 0)
        DispatchScope::DeleteLater(this);
    else
        delete this;
}

void TComponent::Detach()
{
    *alive_ = false;
    while (!components_.empty())
        components_.back()->Free();
    if (owner_ != nullptr) {
        // From the back: components mostly go in the reverse of their making.
        auto& siblings = owner_->components_;
        auto found = std::find(siblings.rbegin(), siblings.rend(), this);
        if (found != siblings.rend())
            siblings.erase(std::next(found).base());
        owner_ = nullptr;
    }
}

DispatchScope::DispatchScope()
{
    ++dispatchDepth;
}

DispatchScope::~DispatchScope()
{
    if (--dispatchDepth > 0 || unwinding)
        return;
    unwinding = true;
    auto& pending = PendingDeletes();
    while (!pending.empty()) {
        TComponent* component = pending.back();
        pending.pop_back();
        delete component;
    }
    unwinding = false;
}

bool DispatchScope::Active()
{
    return dispatchDepth > 0;
}

bool DispatchScope::Unwinding()
{
    return unwinding;
}

void DispatchScope::DeleteLater(TComponent* component)
{
    PendingDeletes().push_back(component);
}

} // namespace plat
