#pragma once

// Fills the hook tables of every library as the program runs them: the data
// set factory, the online, update and view globals, the view's and the
// desktop's hooks, and the universal dialog. Call it once, before the globals
// are built; the main window fills its own entries when it is made.
void InstallProgramHooks();
