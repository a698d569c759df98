#include "foundation/hooks.h"

TNFoundationHooks FoundationHooks;

int32_t ShowMessageBox(const char* text, const char* caption, uint32_t flags)
{
    if (FoundationHooks.MessageBox == nullptr)
        return mrNone;
    return FoundationHooks.MessageBox(text, caption, flags);
}

void GetScreenSize(int32_t* width, int32_t* height)
{
    *width = 1024;
    *height = 768;
    if (FoundationHooks.ScreenSize != nullptr)
        FoundationHooks.ScreenSize(width, height);
}
