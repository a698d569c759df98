#include "mainwindow/update_completion.h"

TNUpdateCompletion DecideUpdateCompletion(const TNUpdateCloseState& state)
{
    if (state.doNotUpdate)
        return TNUpdateCompletion::None;
    // The newer-platform condition of the original always holds here.
    if (!state.startedForUpdate && !state.appUpdateReady && state.updateReady)
        return TNUpdateCompletion::AtEndOfRun;
    if (!state.appUpdateReady && (!state.exitAllowed || state.realExit))
        return TNUpdateCompletion::Now;
    return TNUpdateCompletion::None;
}
