#include "platform/core/bytes.h"

#include <cstring>

namespace plat {

bool ByteReader::Has(uint64_t count)
{
    if (!ok_ || count > Remaining()) {
        ok_ = false;
        return false;
    }
    return true;
}

bool ByteReader::ReadUnsigned(int width, uint32_t& value)
{
    if (width < 1 || width > 4 || !Has(static_cast<uint64_t>(width)))
        return false;
    uint32_t result = 0;
    for (int i = 0; i < width; ++i)
        result |= static_cast<uint32_t>(static_cast<uint8_t>(data_[position_ + i])) << (8 * i);
    position_ += static_cast<size_t>(width);
    value = result;
    return true;
}

bool ByteReader::ReadSigned(int width, int32_t& value)
{
    uint32_t raw = 0;
    if (!ReadUnsigned(width, raw))
        return false;
    if (width == 1)
        value = static_cast<int8_t>(raw);
    else if (width == 2)
        value = static_cast<int16_t>(raw);
    else
        value = static_cast<int32_t>(raw);
    return true;
}

bool ByteReader::ReadU64(uint64_t& value)
{
    uint32_t low = 0;
    uint32_t high = 0;
    if (!Has(8) || !ReadUnsigned(4, low) || !ReadUnsigned(4, high))
        return false;
    value = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool ByteReader::ReadI64(int64_t& value)
{
    uint64_t raw = 0;
    if (!ReadU64(raw))
        return false;
    value = static_cast<int64_t>(raw);
    return true;
}

bool ByteReader::ReadBytes(size_t count, void* out)
{
    if (!Has(count))
        return false;
    if (count > 0)
        std::memcpy(out, data_.data() + position_, count);
    position_ += count;
    return true;
}

bool ByteReader::ReadView(size_t count, std::string_view& out)
{
    if (!Has(count))
        return false;
    out = data_.substr(position_, count);
    position_ += count;
    return true;
}

bool ByteReader::Skip(size_t count)
{
    if (!Has(count))
        return false;
    position_ += count;
    return true;
}

bool ByteReader::Seek(size_t position)
{
    if (!ok_ || position > data_.size()) {
        ok_ = false;
        return false;
    }
    position_ = position;
    return true;
}

void ByteWriter::WriteUnsigned(uint32_t value, int width)
{
    if (width > 4)
        width = 4;
    for (int i = 0; i < width; ++i)
        out_.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void ByteWriter::WriteU64(uint64_t value)
{
    WriteUnsigned(static_cast<uint32_t>(value), 4);
    WriteUnsigned(static_cast<uint32_t>(value >> 32), 4);
}

void ByteWriter::WriteBytes(const void* data, size_t size)
{
    out_.append(static_cast<const char*>(data), size);
}

} // namespace plat
