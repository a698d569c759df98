#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Starting the program again after an emergency, with a brake: a data set
// that fails at every start must not restart the program for ever. The time
// of the last automatic restart lives in "restart.dat" in the users folder;
// a new copy is started only when that time is at least 10 minutes old.
class TNRestartBrake {
public:
    static constexpr int64_t kMinimumAgeSeconds = 600;
    static constexpr const char* kFileName = "restart.dat";

    // Starts a detached program; true when it was executed.
    using Starter = bool (*)(const std::vector<std::string>& argv);

    // Starts the program's own file with the single argument "restart",
    // unless the brake holds; `caller` ("[FormClose]") heads the log lines.
    // True when a copy was started.
    static bool RestartProgram(const char* caller);

    // While the brake holds, the age in seconds of the last automatic
    // restart; otherwise -1.
    static int64_t HeldFor();

    // The path of the brake's file; empty without a users folder.
    static std::string FilePath();

    // Tests record the starts; null brings the real start back.
    static void SetStarterForTest(Starter starter);
};
