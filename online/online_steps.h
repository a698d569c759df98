#pragma once

#include <cstdint>

// The steps of the online pass that serve the login page, the new-account
// dialog, the alert windows and the account actions. Each runs on the online
// thread.
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

// The basic profile's pending save.
void onlineSaveBasicProfileSettings();
// The user's answers to contact requests that have not gone up, at most
// three per pass.
void onlineIgnoreOrAcceptContactsRequests();
// The read mark the notifications bell asked for, per server position.
void onlineMarkAllNotificationsAsRead();

// The screen stamp the alert windows were last placed for; the main window
// raises it when the screen changes.
void SetNotWindowScreenStamp(uint32_t stamp);

} // namespace online
