#pragma once

#include "platform/core/bus_client.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>

// Makes every running dalmora1 of this user go away: first politely through
// its windows on the window bus, the open universal dialogs before the main
// windows, then by ending every process of the program's name whatever
// happened. The two programs meet only through these names.

inline constexpr const char* kKillerDialogClass = "TfrmUnidlgDLMR1";
inline constexpr const char* kKillerMainWindowClass = "TfrmMainDLMR1";
inline constexpr const char* kKillerExeName = "dalmora1";

struct TNKillerSettings {
    // The executable file name of the processes to end.
    std::string ExeName = kKillerExeName;
    // How long one message waits for its answer. A hung window must not hang
    // the utility: a send that times out counts as sent, and that window is
    // not sent to again in this run.
    int SendTimeoutMs = 2000;
    // How long processes that answered they are ending get, together, to
    // finish before they are killed.
    int EndingGraceMs = 2000;
};

class TNClosingUtility {
public:
    explicit TNClosingUtility(TNKillerSettings settings = {});

    // Dialogs, main windows, then the processes.
    void Run();

    // Sends WM_CLOSE and WM_QUERYENDSESSION to the topmost window of the
    // class, pausing 250 ms after each pass, until no window that still
    // answers is left or 21 passes are made. Returns the passes made.
    int CloseWindowsOfClass(const char* className);

    // Ends every process of the program's name; 1 when the process list
    // could be walked, else 0.
    int KillProcessesByExeName();

private:
    using WindowKey = std::pair<std::string, uint32_t>;

    enum class PairOutcome { Sent, Gone, Hung };
    PairOutcome SendClosingPair(const plat::BusWindow& window);
    void LetEndingProcessesEnd();

    TNKillerSettings settings_;
    // Processes whose window answered WM_QUERYENDSESSION with "yes".
    std::set<int> endingPids_;
};
