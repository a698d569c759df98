// The log-out of the menus: the user's session ends and the login page
// shows. The login page's own steps come with that page; this is the part
// the settings menus rely on.

#include "mainwindow/main_window.h"

#include "foundation/guard.h"
#include "foundation/log.h"
#include "online/global.h"

void TfrmMainDLMR1::mnuUserLogoutClick()
{
    Guarded("[TfrmMainDLMR1::mnuUserLogoutClick]", [&] {
        LogText("[TfrmMainDLMR1::mnuUserLogoutClick]");
        if (g.OdhlasUzivatele(false)) {
            signedIn = 0;
            ShowLoginForm();
        }
    });
}
