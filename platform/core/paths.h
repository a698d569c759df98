#pragma once

#include <string>

namespace plat {

// Folders the program works in. Every folder path ends with '/'.

// Folder of the running executable (from /proc/self/exe).
std::string ProgramFolder();

// The user's home folder ($HOME, else the password database).
std::string HomeFolder();

// $XDG_DATA_HOME, or ~/.local/share/ when unset or not absolute.
std::string DataHomeFolder();

// The application-data folder and the common application-data folder:
// both are the data home on Linux.
std::string AppDataFolder();
std::string CommonAppDataFolder();

// $XDG_CONFIG_HOME, or ~/.config/ when unset or not absolute.
std::string ConfigHomeFolder();

// $XDG_RUNTIME_DIR, or empty when unset or not absolute.
std::string RuntimeFolder();

// $TMPDIR, or /tmp/.
std::string TempFolder();

// Creates every missing folder of an absolute path with mode 0700.
// True when the folder exists afterwards.
bool CreateFolders(const std::string& path);

// Joins a folder (with or without trailing '/') and a relative name.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace plat
