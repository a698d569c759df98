#include "foundation/log.h"
#include "mainwindow/main_window.h"

// Scaffolding: the header bar, its bell and its search entry are not built
// yet. Each entry logs so that the callers' order stays visible in the log.

void TfrmMainDLMR1::CreateHeaderComponents()
{
    LogText("[CreateHeaderComponents] not built yet");
}

void TfrmMainDLMR1::ResizeHeaderComponents()
{
    LogText("[ResizeHeaderComponents] not built yet");
}

void TfrmMainDLMR1::UpdateHeaderUser()
{
    LogText("[UpdateHeaderUser] not built yet");
}

void TfrmMainDLMR1::UpdateHeader()
{
    LogText("[UpdateHeader] not built yet");
}

int32_t TfrmMainDLMR1::UpdateHeaderBell()
{
    LogText("[UpdateHeaderBell] not built yet");
    return -1;
}
