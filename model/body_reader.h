#pragma once

#include "foundation/string.h"
#include "foundation/time.h"
#include "platform/core/bytes.h"

#include <cstdint>

// Reads the fields of one stored item in order from a reader bounded to its
// record. The first short read stops every later read; Ok tells at the end
// whether the whole body was there.
class TNBodyReader {
public:
    explicit TNBodyReader(plat::ByteReader& in) : in_(in) {}

    bool Ok() const { return ok_; }

    uint32_t Unsigned(int width)
    {
        uint32_t value = 0;
        if (ok_) {
            ok_ = in_.ReadUnsigned(width, value);
        }
        return ok_ ? value : 0;
    }

    // One and two bytes are sign-extended.
    int32_t Signed(int width)
    {
        int32_t value = 0;
        if (ok_) {
            ok_ = in_.ReadSigned(width, value);
        }
        return ok_ ? value : 0;
    }

    // One byte; any byte but 0 is true.
    bool Flag() { return Unsigned(1) != 0; }

    // A 32-bit length and inverted bytes.
    void String(TNString& out)
    {
        if (ok_) {
            ok_ = out.Load(true, 32, 0, true, in_);
        }
    }

    // Day, month, year (2 bytes), hour, minute, second.
    void Time(TNTime& out)
    {
        if (ok_) {
            ok_ = out.Load(true, false, in_);
        }
    }

private:
    plat::ByteReader& in_;
    bool ok_ = true;
};
