#pragma once

// What the close does with a downloaded update.
enum class TNUpdateCompletion {
    None,
    // Meant for the end of the run; the close completes it too, since no
    // update task starts after the windows are gone.
    AtEndOfRun,
    Now,
};

// The close's inputs for the decision, as they stand when the window closes.
struct TNUpdateCloseState {
    bool doNotUpdate = false;      // AutoUpdate.DoNotUpdate
    bool startedForUpdate = false; // the run was started with "-update"
    bool appUpdateReady = false;   // App.UpdateReady
    bool updateReady = false;      // g says an update is ready
    bool exitAllowed = false;
    bool realExit = false;
};

// The decision of the close's update step. An exit caused by the session's
// end (exit allowed without real exit) completes nothing unless an update
// waits for the end of the run.
TNUpdateCompletion DecideUpdateCompletion(const TNUpdateCloseState& state);
