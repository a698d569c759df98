#pragma once

#include "platform/sound/sound_sink.h"

#include <mutex>
#include <vector>

namespace plat {

// What one sound delivered to a recording sink.
struct RecordedSound {
    WaveFormat format;
    std::vector<uint8_t> delivered;
    bool cut = false;
    bool closed = false;
};

// An output for tests: keeps every sound it was given. Frames are taken at
// the pace a device would play them, so a later sound can cut in.
class RecordingSink final : public SoundSink {
public:
    bool Open(const WaveFormat& format, std::string& error) override;
    bool Write(std::span<const uint8_t> frames, std::string& error) override;
    bool Drain(const std::atomic<bool>& interrupted) override;
    void Close(bool cut) override;

    // The sounds so far, oldest first; safe while the player runs.
    std::vector<RecordedSound> Sounds() const;

private:
    mutable std::mutex mutex_;
    std::vector<RecordedSound> sounds_;
};

} // namespace plat
