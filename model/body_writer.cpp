#include "model/body_writer.h"

#include "foundation/record_file_set.h"
#include "platform/core/bytes.h"

#include <new>

TNBodyWriter::TNBodyWriter(int32_t fid, int32_t queuePos) : fid_(fid), queuePos_(queuePos)
{
    if (!raf.isValidFid(fid)) {
        return;
    }
    raf.resetStream(fid);
    stream_ = &raf.Items[static_cast<size_t>(fid)]->stream;
    ok_ = true;
}

template <class Write> void TNBodyWriter::Put(Write write)
{
    if (!ok_ || committed_) {
        return;
    }
    try {
        plat::ByteWriter out(*stream_);
        write(out);
    } catch (const std::bad_alloc&) {
        ok_ = false;
    }
}

void TNBodyWriter::Unsigned(uint32_t value, int width)
{
    Put([&](plat::ByteWriter& out) { out.WriteUnsigned(value, width); });
}

void TNBodyWriter::String(const TNString& text)
{
    Put([&](plat::ByteWriter& out) { ok_ = text.Save(true, 32, 0, true, out); });
}

void TNBodyWriter::Time(const TNTime& time)
{
    Put([&](plat::ByteWriter& out) { time.Save(true, false, out); });
}

bool TNBodyWriter::Commit()
{
    if (!ok_ || committed_) {
        return false;
    }
    committed_ = true;
    return raf.saveStream(fid_, queuePos_);
}
