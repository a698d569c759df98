#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plat {

// Reads little-endian numbers and byte runs from a buffer it does not own.
// A read past the end fails, leaves the position where it was and marks the
// reader failed; a length is checked against what remains before the caller
// allocates anything for it.
class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::string_view data) : data_(data) {}

    size_t Position() const { return position_; }
    size_t Remaining() const { return data_.size() - position_; }
    bool AtEnd() const { return position_ == data_.size(); }
    // False once any read has failed.
    bool Ok() const { return ok_; }

    // True when `count` bytes remain; otherwise marks the reader failed.
    bool Has(uint64_t count);

    // Unsigned little-endian number of 1 to 4 bytes.
    bool ReadUnsigned(int width, uint32_t& value);
    // Signed: width 1 and 2 are sign-extended, 3 and 4 give the 32-bit value.
    bool ReadSigned(int width, int32_t& value);
    bool ReadU64(uint64_t& value);
    bool ReadI64(int64_t& value);
    bool ReadBytes(size_t count, void* out);
    bool ReadView(size_t count, std::string_view& out);
    bool Skip(size_t count);
    bool Seek(size_t position);

private:
    std::string_view data_;
    size_t position_ = 0;
    bool ok_ = true;
};

// Appends little-endian numbers and bytes to a string it does not own.
class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}

    // The `width` lowest bytes of the value, lowest first; width 0 or less
    // writes nothing, above 4 writes 4.
    void WriteUnsigned(uint32_t value, int width);
    void WriteU64(uint64_t value);
    void WriteBytes(const void* data, size_t size);
    void WriteByte(uint8_t value) { out_.push_back(static_cast<char>(value)); }

    std::string& Buffer() { return out_; }

private:
    std::string& out_;
};

} // namespace plat
