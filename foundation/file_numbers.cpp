#include "foundation/file_numbers.h"

#include "platform/core/bytes.h"

bool ReadNumber(int width, plat::ByteReader& in, int32_t& value)
{
    value = 0;
    if (width < 1 || width > 4)
        return true;
    return in.ReadSigned(width, value);
}

bool ReadUNumber(int width, plat::ByteReader& in, uint32_t& value)
{
    value = 0;
    if (width < 1 || width > 4)
        return true;
    return in.ReadUnsigned(width, value);
}

int WriteNumber(int32_t value, int width, plat::ByteWriter& out)
{
    return WriteUNumber(static_cast<uint32_t>(value), width, out);
}

int WriteUNumber(uint32_t value, int width, plat::ByteWriter& out)
{
    if (width <= 0)
        return 0;
    if (width > 4)
        width = 4;
    out.WriteUnsigned(value, width);
    return width;
}

bool ReadHeader(std::string_view expectedId, plat::ByteReader& in, int32_t& version)
{
    version = 0;
    uint32_t length = 0;
    std::string_view id;
    if (!in.ReadUnsigned(2, length) || !in.ReadView(length, id))
        return false;
    if (id != expectedId)
        return true;
    uint32_t stored = 0;
    if (!in.ReadUnsigned(2, stored))
        return false;
    version = static_cast<int32_t>(stored);
    return true;
}

bool WriteHeader(std::string_view id, int32_t version, plat::ByteWriter& out)
{
    if (id.size() > 0xFFFF)
        return false;
    out.WriteUnsigned(static_cast<uint32_t>(id.size()), 2);
    out.WriteBytes(id.data(), id.size());
    out.WriteUnsigned(static_cast<uint32_t>(version), 2);
    return true;
}
