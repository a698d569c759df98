#include "tests/fuzz/fuzz_globals.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/global.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// The scratch folder of the run, removed when the run ends.
std::string& FuzzRoot()
{
    static std::string root;
    return root;
}

void RemoveFuzzRoot()
{
    std::error_code ignored;
    std::filesystem::remove_all(FuzzRoot(), ignored);
}

} // namespace

void FuzzGlobalsOnce()
{
    static bool installed = [] {
        char pattern[] = "/tmp/dalmora-fuzz-XXXXXX";
        const char* root = mkdtemp(pattern);
        if (root == nullptr)
            std::abort();
        FuzzRoot() = root;
        std::atexit(RemoveFuzzRoot);
        setenv("XDG_DATA_HOME", (std::string(root) + "/data").c_str(), 1);
        InstallPIMFactory();
        InstallOnlineGlobals();
        return true;
    }();
    (void)installed;
}

void FreshDataSet()
{
    FuzzGlobalsOnce();
    DestroyGlobals();
    if (!ConstructGlobals())
        std::abort();
    App.WriteLog = 0;
    App.PimServersCount = 1;
    std::snprintf(App.ApiProtocol[0], sizeof(App.ApiProtocol[0]), "http");
    std::snprintf(App.ApiDomain[0], sizeof(App.ApiDomain[0]), "127.0.0.1:9/index.php");
    std::snprintf(App.WebDomain[0], sizeof(App.WebDomain[0]), "127.0.0.1");
    BuildServerAddresses(App);
    c.ResizePIM();
    Dirs.ProducerDirName.Set(App.DirProducer);
    Dirs.ProductDirName.Set(App.DirName);
    TNString organizer(
        "<ID>501</ID><Origin>1</Origin><Subscribe>1</Subscribe><Changed>1</Changed><Deleted>0</Deleted>");
    TNModelWriteGuard lock;
    PIM[0]->UserID = 1001;
    PIM[0]->Organizers.Add(&organizer, false);
    g.ArrayLimit = 100;
}
