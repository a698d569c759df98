#pragma once

#include <cstdint>
#include <string_view>

namespace plat {
class ByteReader;
class ByteWriter;
} // namespace plat

// Numbers and the header of every local file: integers little-endian, 1 to 4
// bytes wide as the caller chooses; a header is a uint16 id length, the id
// bytes and a uint16 version.
//
// Readers report a short read as false: the reader is then marked failed, and
// the caller stops instead of using an invented value.

// Width 1 gives a signed 8-bit value, width 2 a signed 16-bit value, widths 3
// and 4 the 32-bit value. Any other width gives 0 and reads nothing.
bool ReadNumber(int width, plat::ByteReader& in, int32_t& value);
// The unsigned twin: every width is read into an unsigned 32-bit value.
bool ReadUNumber(int width, plat::ByteReader& in, uint32_t& value);

// The `width` lowest bytes of the value, lowest first; width 0 or less writes
// nothing, a width above 4 writes 4 bytes. Returns the bytes written.
int WriteNumber(int32_t value, int width, plat::ByteWriter& out);
int WriteUNumber(uint32_t value, int width, plat::ByteWriter& out);

// Reads a header and compares its id with `expectedId` exactly. On a match
// `version` is the stored version; on a mismatch it is 0 and the reader stands
// after the id. False only for a short read (`version` is then 0 too).
bool ReadHeader(std::string_view expectedId, plat::ByteReader& in, int32_t& version);
// An id longer than 65535 bytes cannot be stored: false, nothing written.
bool WriteHeader(std::string_view id, int32_t version, plat::ByteWriter& out);
