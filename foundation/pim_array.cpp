#include "foundation/pim_array.h"

constinit TNPIMArray PIM;

bool TNPIMArray::Append(TNPIM* pim)
{
    if (pim == nullptr || count_ >= kMaxPimServers)
        return false;
    items_[count_++] = pim;
    return true;
}

void TNPIMArray::Clear(void (*destroy)(TNPIM*))
{
    while (count_ > 0) {
        TNPIM* pim = items_[--count_];
        items_[count_] = nullptr;
        if (destroy != nullptr)
            destroy(pim);
    }
}
