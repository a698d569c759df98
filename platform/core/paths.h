#pragma once

#include <string>

namespace plat {

// Folders the program works in. Every folder path ends with '/'.

// Folder of the running executable (from /proc/self/exe).
std::string ProgramFolder();

// The running executable's own path (from /proc/self/exe); empty when it
// cannot be read.
std::string ProgramFile();

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

// The canonical form of an existing path (links, "." and ".." resolved),
// ending with '/'; empty when it does not resolve.
std::string CanonicalFolder(const std::string& path);

// True when the path is a folder itself, not a link to one.
bool IsRealFolder(const std::string& path);

// True when the path is a folder this process may create files in (its
// permissions, and a file system mounted read-only, both count).
bool IsWritableFolder(const std::string& path);

// The process's working folder, ending with '/'; empty when unknown.
std::string WorkingFolder();

// Removes, in a folder and in every folder below it (at most 64 deep), the
// files whose names match a shell pattern, then each subfolder left empty;
// the folder itself stays. Links are never followed: a link is removed as an
// entry when its name matches. The folder must not be a link either. False
// when something could not be listed or removed.
bool RemoveFolderContents(const std::string& folder, const std::string& pattern);

// Joins a folder (with or without trailing '/') and a relative name.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace plat
