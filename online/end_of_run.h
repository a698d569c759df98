#pragma once

// The last step of a run, after the main loop, shared by the program and the
// synchronisation tool. Sets g.Close, wakes the update thread's pauses,
// cancels every transfer and waits at most 10 s for the registered threads.
// When one still runs, static destruction would free what it uses: each is
// logged by name, the log is held for the exit and the process ends here
// with quick_exit(result). Otherwise returns and the caller ends normally.
void EndRunUnderThreads(int result);
