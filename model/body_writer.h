#pragma once

#include "foundation/string.h"
#include "foundation/time.h"

#include <cstdint>
#include <string>

// Writes the fields of one stored item in order into a record-file slot's
// stream, the mirror of TNBodyReader, and hands the record to the file once.
// A write that fails (no slot, no memory) spoils the record: Commit then
// writes nothing, so a body cut short never reaches the file.
class TNBodyWriter {
public:
    // Starts the record of save-queue entry queuePos in slot fid.
    TNBodyWriter(int32_t fid, int32_t queuePos);
    TNBodyWriter(const TNBodyWriter&) = delete;
    TNBodyWriter& operator=(const TNBodyWriter&) = delete;

    // The width low bytes of the value, lowest first.
    void Unsigned(uint32_t value, int width);
    // Two's complement in width bytes; TNBodyReader::Signed reads it back.
    void Signed(int32_t value, int width) { Unsigned(static_cast<uint32_t>(value), width); }
    // One byte, 1 or 0.
    void Flag(bool value) { Unsigned(value ? 1 : 0, 1); }
    // A 32-bit length and inverted bytes.
    void String(const TNString& text);
    // Day, month, year (2 bytes), hour, minute, second.
    void Time(const TNTime& time);

    // Writes the record for its queue entry. False when a write failed or
    // the file refused the record; only the first call writes.
    bool Commit();

private:
    // The slot's stream; null without a slot.
    std::string* stream_ = nullptr;
    int32_t fid_;
    int32_t queuePos_;
    bool ok_ = false;
    bool committed_ = false;

    template <class Write> void Put(Write write);
};
