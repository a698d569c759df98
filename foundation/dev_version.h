#pragma once

#include <cstdint>
#include <string>

// "development-version.txt" beside the program: its first byte chooses the
// server set, its second switches logging. Anything after them is ignored.
struct TNDevelopmentFile {
    // False when the file is missing or cannot be read; App then keeps its
    // built-in values.
    bool Found = false;
    // The first byte as a signed character minus '0'; a missing byte reads
    // as end-of-file (-1), so an empty file gives a development value too.
    int32_t Value = 0;
    // On unless the second byte is '0'.
    uint8_t Logging = 0;
};

// Reads the file in `folder` (ending with '/'); an empty folder finds nothing.
TNDevelopmentFile ReadDevelopmentFile(const std::string& folder);
