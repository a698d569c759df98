#pragma once

#include <string>

namespace plat {

// The per-user folder for run-time files (the instance lock, the window bus).
// Every folder path ends with '/'; an empty result means "not usable".
//
// Where it is:
// - $XDG_RUNTIME_DIR when it is set to an absolute path. It must then exist,
//   be a folder owned by the effective user and not writable by group or
//   others; otherwise the result is empty. There is deliberately no fallback
//   in that case: a copy whose runtime folder is broken must not lock a
//   different file than the copies that still see the folder.
// - Otherwise (unset, empty or relative, which the XDG rules call invalid):
//   "dalmora1-<uid>/" in the temporary folder ($TMPDIR or /tmp), created 0700.
//   An existing one is used only when it is a real folder (not a link),
//   owned by the effective user, with no permission bits for group and
//   others.
std::string UserRuntimeFolder();

// "<UserRuntimeFolder()>dalmora1/", created 0700 when `create` is set. Empty
// when it is missing or fails the checks of the fallback folder above (a
// folder that fails them is never used).
std::string BusFolder(bool create);

// True when `path` is a folder, not a symbolic link, owned by the effective
// user, with no permission bits for group and others.
bool IsPrivateFolder(const std::string& path);

} // namespace plat
