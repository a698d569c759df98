#include "foundation/hooks.h"

TNFoundationHooks FoundationHooks;

int32_t ShowMessageBox(const char* text, const char* caption, uint32_t flags)
{
    if (FoundationHooks.MessageBox == nullptr)
        return mrNone;
    return FoundationHooks.MessageBox(text, caption, flags);
}
