#include "foundation/folder_helper.h"

#include "foundation/guard.h"
#include "platform/core/paths.h"

TNString TNFolderHelper::GetAppDataFolder() const
{
    return Guarded("[TNFolderHelper::GetAppDataFolder]", TNString(), [] {
        std::string folder = plat::AppDataFolder();
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        return TNString(std::string_view(folder));
    });
}
