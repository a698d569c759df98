#pragma once

#include <string>

namespace plat {

// Ending this user's processes by their program's name, in place of the
// Windows process snapshot and TerminateProcess.
//
// A process is this user's when its real and effective uids both equal this
// process's effective uid. Its name is the file name (no folder) of its
// executable, compared exactly and case-sensitively. An executable that was
// replaced or deleted while it runs keeps its name: the kernel then shows
// "<name> (deleted)", which counts as <name> only when the file really has
// no link left.

// Ends with SIGKILL every process of this user named `exeName`, never this
// process, then waits up to `waitMs` for them to be gone. Each process is
// held through a pidfd and checked again before the signal, so a pid that
// was reused in between is never hit. False when /proc cannot be read
// (nothing is ended then).
bool KillOwnProcessesNamed(const std::string& exeName, int waitMs);

// Waits up to `timeoutMs` until process `pid` has ended (a zombie has).
// True when it has or does not exist; false on time-out or when it cannot
// be watched.
bool WaitForProcessEnd(int pid, int timeoutMs);

// Test seam: a folder read in place of "/proc/" (ending with '/'); empty
// restores the real one.
void SetProcFolderForTest(const std::string& folder);

} // namespace plat
