#include "online/end_of_run.h"

#include "foundation/log.h"
#include "online/global.h"
#include "online/transport.h"
#include "online/update.h"
#include "platform/core/thread.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int64_t kThreadJoinBoundMs = 10000;

} // namespace

void EndRunUnderThreads(int result)
{
    g.Close = 1;
    AutoUpdate.StopDownloads();
    CancelAllTransfers();
    if (plat::WaitForRunningThreads(kThreadJoinBoundMs))
        return;
    for (const std::string& name : plat::RunningThreadNames())
        LogWrite("[EndRunUnderThreads][ERROR] still running at the end: ", name.c_str(), false);
    LogText("[EndRunUnderThreads] quick exit");
    HoldLogForExit();
    std::quick_exit(result);
}
