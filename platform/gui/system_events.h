#pragma once

namespace plat {

class GuiMainLoop;

// Events of the system the program's forms hear about as window messages.
//
// Session end: a termination signal (SIGTERM, SIGINT, SIGHUP) or the session
// manager's commit request asks every form, topmost first, one at a time,
// as the closing utility does: a modal form gets WM_CLOSE and the next form
// is asked once its loop has returned; any other form, hidden or shown, gets
// WM_QUERYENDSESSION (0 refuses). A refusal ends the round with a log line;
// when every form agreed, the loop ends with 0. A signal during a round is
// logged and ignored, unless the round has been going for 10 s: then the
// run ends with 0 without waiting for the rest (a form that never returns
// its loop cannot keep the program alive). Popup menus and message boxes
// over the forms are closed first, as their nested loops would hold the
// forms' loops.
//
// Resume: every 2 s the clock is asked whether the system was suspended;
// each resume sends WM_POWERBROADCAST PBT_APMRESUMEAUTOMATIC to every form.
//
// Main thread only.
class SystemEvents {
public:
    static constexpr unsigned kResumeAutomatic = 18;

    // Takes over the loop's session-end hook and starts the resume poll.
    static void Install(GuiMainLoop& loop);
    // Gives the hook back (the loop's default) and stops the poll.
    static void Uninstall();
    // The session manager asked the program to get ready to end.
    static void CommitRequest();
    static bool SessionEndInProgress();
};

} // namespace plat
