#pragma once

#include "platform/sound/sound_sink.h"

namespace plat {

// Silence: takes every sound and plays none, for a machine without a usable
// sound device.
class NullSink final : public SoundSink {
public:
    bool Open(const WaveFormat& format, std::string& error) override;
    bool Write(std::span<const uint8_t> frames, std::string& error) override;
    bool Drain(const std::atomic<bool>& interrupted) override;
    void Close(bool cut) override;
};

} // namespace plat
