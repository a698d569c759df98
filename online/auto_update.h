#pragma once

#include "platform/core/thread.h"

#include <cstdint>

inline constexpr const char* kUpdateThreadName = "TAktualizace";

// The update thread: one check with its download (g.AutomatickaAktualizace),
// then it ends. Its starter keeps and frees it.
class TAktualizace : public plat::TThread {
public:
    explicit TAktualizace(bool createSuspended);

protected:
    void Execute() override;
};

// An account answer announced this newest version: starts the update thread
// once per announced version. A thread that has ended counts as none, so a
// newer version later in the run is checked again. OnlineHooks.BeginAutoUpdate
// points here.
void BeginAutoUpdate(int32_t newestVersion);
// For the program with windows: announced versions start BeginAutoUpdate.
void InstallAutoUpdate();

// The close's share, on the main thread. First it stops the download (pauses
// end at once, requests under way are cancelled), waits for it at most 10 s
// (DoNotUpdate when a download was under way) and joins the update thread
// with a bound. The number of 250 ms waits after which the download ended,
// -1 when none ran or it did not end.
int32_t StopAutoUpdateForClose();
// Then, unless DoNotUpdate is set, installs a ready update. True when an
// update was installed or nothing was to be done.
bool CompleteAutoUpdateAtClose();

// The update thread exists and has not ended (tests, the close).
bool AutoUpdateThreadRunning();
