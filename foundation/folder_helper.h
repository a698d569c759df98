#pragma once

#include "foundation/string.h"

// Asks the system for the user's folders.
class TNFolderHelper {
public:
    // The user's application-data folder without a trailing '/'; empty when
    // the system gives none.
    TNString GetAppDataFolder() const;
};

extern TNFolderHelper& FolderHelper;
