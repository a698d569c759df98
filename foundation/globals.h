#pragma once

#include <cstdint>

class TNString;

// The program's global objects are built explicitly, in one fixed order, by
// ConstructGlobals, and destroyed in exactly the reverse order by
// DestroyGlobals. The entry function calls ConstructGlobals first; tests do
// too. Objects with constructors live in storage that C++ leaves alone at
// static initialisation and exit.

// Storage for a global object whose life the table controls.
template <class T> union TNGlobalStorage {
    constexpr TNGlobalStorage() : none() {}
    ~TNGlobalStorage() {}
    char none;
    T object;
};

// Seconds since 1970 when the globals were built; names the log files and
// the run-private lock names.
extern int64_t ProgramStartTime;

// The data root the portable-mode step chose; empty until then.
extern TNString& DataRootFolder;

// True when the portable-mode step chose the folder beside the program.
extern uint8_t IsPortable;

// Builds every global in order. False when one could not be built; those
// built before it are destroyed again.
bool ConstructGlobals();
// Destroys the globals in reverse order; nothing when none are built.
void DestroyGlobals();
bool GlobalsConstructed();

// Test seam: told each global's name as it is built and as it is destroyed.
using TNGlobalsTrace = void (*)(const char* name, bool constructed);
void SetGlobalsTrace(TNGlobalsTrace trace);
