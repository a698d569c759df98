#include "foundation/globals.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/folder_helper.h"
#include "foundation/hooks.h"
#include "foundation/local_clock.h"
#include "foundation/record_file_set.h"
#include "foundation/setup.h"
#include "foundation/string.h"
#include "foundation/users.h"

#include <atomic>
#include <new>

int64_t ProgramStartTime = 0;
uint8_t IsPortable = 0;

namespace {

TNGlobalStorage<TNString> dataRootFolderStorage;
TNGlobalStorage<TNFolderHelper> folderHelperStorage;
TNGlobalStorage<TNCommon> commonStorage;
TNGlobalStorage<TNDirs> dirsStorage;
TNGlobalStorage<TNUsers> usersStorage;
TNGlobalStorage<TNRAF> rafStorage;
TNGlobalStorage<TNSetup> setupStorage;

template <class T> void Build(TNGlobalStorage<T>& storage)
{
    new (&storage.object) T();
}

template <class T> void Tear(TNGlobalStorage<T>& storage)
{
    storage.object.~T();
}

} // namespace

constinit TNString& DataRootFolder = dataRootFolderStorage.object;
constinit TNFolderHelper& FolderHelper = folderHelperStorage.object;
constinit TNCommon& c = commonStorage.object;
constinit TNDirs& Dirs = dirsStorage.object;
constinit TNUsers& Uzivatele = usersStorage.object;
constinit TNRAF& raf = rafStorage.object;
constinit TNSetup& Setup = setupStorage.object;

namespace {

struct GlobalEntry {
    const char* name;
    void (*construct)();
    void (*destroy)();
};

void Nothing()
{
}

void ConstructHigher()
{
    if (FoundationHooks.ConstructHigherGlobals != nullptr)
        FoundationHooks.ConstructHigherGlobals();
}

void DestroyHigher()
{
    if (FoundationHooks.DestroyHigherGlobals != nullptr)
        FoundationHooks.DestroyHigherGlobals();
}

// The order of construction; destruction runs it backwards.
constexpr GlobalEntry kGlobals[] = {
    {"App", [] { InitAppInfo(App, 0, 0); }, Nothing},
    {"ProgramStartTime", [] { ProgramStartTime = TNLocalClock::Now(); }, Nothing},
    {"DataRootFolder", [] { Build(dataRootFolderStorage); }, [] { Tear(dataRootFolderStorage); }},
    {"FolderHelper", [] { Build(folderHelperStorage); }, [] { Tear(folderHelperStorage); }},
    {"c", [] { Build(commonStorage); }, [] { Tear(commonStorage); }},
    {"Dirs", [] { Build(dirsStorage); }, [] { Tear(dirsStorage); }},
    {"Uzivatele", [] { Build(usersStorage); }, [] { Tear(usersStorage); }},
    {"raf", [] { Build(rafStorage); }, [] { Tear(rafStorage); }},
    {"Setup", [] { Build(setupStorage); }, [] { Tear(setupStorage); }},
    // AutoUpdate, g, the status-bar panels, the main window's values, View.
    {"HigherGlobals", ConstructHigher, DestroyHigher},
};
constexpr int kGlobalCount = static_cast<int>(sizeof(kGlobals) / sizeof(kGlobals[0]));

int builtCount = 0;
std::atomic<TNGlobalsTrace> trace{nullptr};

void Trace(const char* name, bool constructed)
{
    if (TNGlobalsTrace sink = trace.load())
        sink(name, constructed);
}

} // namespace

bool ConstructGlobals()
{
    if (builtCount > 0)
        return false;
    for (const GlobalEntry& entry : kGlobals) {
        Trace(entry.name, true);
        try {
            entry.construct();
        } catch (...) {
            DestroyGlobals();
            return false;
        }
        ++builtCount;
    }
    return true;
}

void DestroyGlobals()
{
    while (builtCount > 0) {
        const GlobalEntry& entry = kGlobals[--builtCount];
        entry.destroy();
        Trace(entry.name, false);
    }
}

bool GlobalsConstructed()
{
    return builtCount == kGlobalCount;
}

void SetGlobalsTrace(TNGlobalsTrace sink)
{
    trace.store(sink);
}
