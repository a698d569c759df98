// An organizer data file of any bytes, opened as the start-up opens it (its
// index missing, so it is scanned), then every record it lists read back.
// A damaged header must neither hang the open nor ask for memory it cannot
// hold; the file moved aside is removed with the folder before the next input.

#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/record_file_set.h"
#include "platform/core/file.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const int32_t fid = [] {
        FuzzGlobalsOnce();
        if (!ConstructGlobals())
            std::abort();
        App.WriteLog = 0;
        return raf.AddFile();
    }();
    static const std::string folder = std::string(std::getenv("XDG_DATA_HOME")) + "/record-header";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    TNRAFile& file = *raf.Items[static_cast<size_t>(fid)];
    file.raFile = folder + "/pim.dld";
    file.raIndexFile.clear();
    file.raHeader = App.PimFileId;
    file.raVersion = 1;
    if (!plat::WriteFileAtomically(file.raFile, FuzzText(data, size), 0600))
        std::abort();
    if (raf.openFile(fid) != nullptr) {
        for (const TNRAFileIndexEntry& entry : file.index)
            if (!entry.IsHole())
                raf.loadStreamHeader(fid, entry.position, static_cast<uint8_t>(entry.type), entry.id);
    }
    raf.closeFile(fid, false);
    return 0;
}
