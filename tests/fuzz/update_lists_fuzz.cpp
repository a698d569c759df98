// The update's file and folder lists. The input holds the file list, a
// zero byte and the folder list.

#include "online/update.h"
#include "tests/fuzz/fuzz_globals.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzGlobalsOnce();
    std::string text = FuzzText(data, size);
    size_t split = text.find('\0');
    TNUpdate update;
    update.FileList.Set(text.substr(0, split).c_str());
    update.FolderList.Set(split == std::string::npos ? "" : text.substr(split + 1).c_str());
    update.ParseLists();
    return 0;
}
