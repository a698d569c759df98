#pragma once

#include <cstdint>
#include <string>

namespace plat {

// Bytes available to this user on the file system that holds `path` (statvfs
// on the path itself). False when the path cannot be asked.
bool FreeSpaceOfPath(const std::string& path, uint64_t& bytes);

// Test seam: answers FreeSpaceOfPath in place of the file system; nullptr
// restores statvfs.
using FreeSpaceProvider = bool (*)(const std::string& path, uint64_t& bytes);
void SetFreeSpaceProvider(FreeSpaceProvider provider);

// The mount point that holds `path` (the "root of the drive"), ending with
// '/'; "/" when nothing better is known.
std::string MountPointOf(const std::string& path);

} // namespace plat
