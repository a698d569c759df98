#pragma once

#include "foundation/app_info.h"

#include <string>

// Reads "pimsrv00.cfg" to "pimsrv02.cfg" from `folder` (ending with '/') into
// the record: the server table, and from file 00 the application names. An
// empty folder reads nothing. True when at least one server was taken.
// ReadServerConfigFiles (app_info.h) calls it with the user's folder below,
// and when that holds no server, with the program folder.
bool ReadServerConfigFilesFrom(TNAppInfo& app, const std::string& folder);

// "$XDG_CONFIG_HOME/Dalmora/", where the user's own server files live.
std::string UserServerConfigFolder();
