#include "mainwindow/update_completion.h"

TNUpdateCompletion DecideUpdateCompletion(const TNUpdateCloseState& state)
{
    if (state.doNotUpdate)
        return TNUpdateCompletion::None;
    // Every system this runs on counts as new enough for the scheduled task.
    if (!state.startedForUpdate && !state.appUpdateReady && state.updateReady)
        return TNUpdateCompletion::AtEndOfRun;
    if (!state.appUpdateReady && (!state.exitAllowed || state.realExit))
        return TNUpdateCompletion::Now;
    return TNUpdateCompletion::None;
}
