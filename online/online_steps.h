#pragma once

#include <cstdint>

// The steps of the online pass that serve the login page, the new-account
// dialog and the alert windows. Each runs on the online thread.
namespace online {

// The user's idle state.
void onlineGetIdleStatus();
// A pending new account: create-new-account with what the dialog left in g.
void onlineCreateNewAccount();
// The pending newest-version, name-path, e-mail and pre-login tests.
void onlineProceedTests();
// The alert windows on screen: repositioned when the screen changed, asked
// whether their alert was handled elsewhere, closed when it was.
void onlineShowNotificationWindows(int64_t now);
// Due alerts, while signed in.
void onlineDisplayAlerts();

// The screen stamp the alert windows were last placed for; the main window
// raises it when the screen changes.
void SetNotWindowScreenStamp(uint32_t stamp);

} // namespace online
