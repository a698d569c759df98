#pragma once

#include <cstdint>

// The windows that the one-shot requests and the alert display reach besides
// those of hooks.h. Filled by the main window and the dialog; tests fill
// recorders. Every entry runs on the main loop's thread: the online layer
// posts to it. An unset entry does nothing.
struct TNSessionHooks {
    // The new-account page of the open dialog: whether it is still open, its
    // result label (text and colour) and its continue button.
    bool (*NewAccountDialogOpen)() = nullptr;
    void (*SetNewAccountResult)(const char* text, uint32_t colour, bool continueEnabled) = nullptr;
    void (*CloseNewAccountDialog)() = nullptr;
    // The creation was refused: 2 the login or e-mail is taken, 3 the user
    // name is taken, -1 any other answer.
    void (*NewAccountCreationFailed)(int32_t result) = nullptr;
    // Fills edit9Login and edit9Pass and runs their change handlers.
    void (*FillLoginFields)(const char* login, const char* password) = nullptr;
    // timerNot is switched on (an alert window is being opened).
    bool (*NotTimerEnabled)() = nullptr;
    // The log-out: timerHodiny and timerOnline off (timerOnline's Tag 999
    // first), timerZentorSeconds off, timerAfterOnlineLogin's Tag.
    void (*StopClockAndOnlineTimers)() = nullptr;
    void (*StopZentorSeconds)() = nullptr;
    void (*SetAfterOnlineLoginTag)(int32_t tag) = nullptr;
};

extern TNSessionHooks SessionHooks;
