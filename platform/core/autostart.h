#pragma once

#include <string>

namespace plat {

// The per-user start-at-login entry: "<name>.desktop" in the "autostart"
// folder of $XDG_CONFIG_HOME. Names and paths are UTF-8.

// The file name of the entry for `name`: every byte other than an ASCII
// letter, a digit, "-", "_" or "." becomes "-", and ".desktop" follows.
std::string AutostartFileName(const std::string& name);
// The entry's full path.
std::string AutostartEntryPath(const std::string& name);

// One argument of an "Exec" value: quoted by the desktop-entry rules, then
// escaped as a string value ("\" doubled) with "%" written "%%".
std::string QuoteExecArgument(const std::string& argument);

// Writes the entry (atomically) that starts `program` with `arguments`
// appended as they are. False when it could not be written.
bool WriteAutostartEntry(const std::string& name, const std::string& program, const std::string& arguments);
// Removes the entry; true when none is left.
bool RemoveAutostartEntry(const std::string& name);

} // namespace plat
