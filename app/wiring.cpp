#include "app/wiring.h"

#include "dialog/unidlg.h"
#include "mainwindow/desktop_hooks.h"
#include "model/pim.h"
#include "online/auto_update.h"
#include "online/global.h"
#include "view/view.h"

void InstallProgramHooks()
{
    InstallPIMFactory();
    // The online globals replace the chain of higher globals; the view's
    // join it, so this order is the only one.
    InstallOnlineGlobals();
    InstallAutoUpdate();
    InstallViewGlobals();
    InstallViewHooks();
    InstallDesktopHooks();
    InstallUniversalDialog();
}
