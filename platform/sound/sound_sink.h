#pragma once

#include "platform/sound/wave.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace plat {

// An output the player plays one sound at a time into: opened for the
// sound's format, fed whole frames, then played out or cut, then closed.
class SoundSink {
public:
    virtual ~SoundSink() = default;

    // Prepares the output for one sound; false with the reason when it cannot.
    virtual bool Open(const WaveFormat& format, std::string& error) = 0;
    // Takes whole frames, waiting while the output is full; false with the
    // reason when the output failed.
    virtual bool Write(std::span<const uint8_t> frames, std::string& error) = 0;
    // Waits while the output plays what it holds; returns false at once when
    // `interrupted` turns true.
    virtual bool Drain(const std::atomic<bool>& interrupted) = 0;
    // Ends the sound; a cut sound's held frames are dropped.
    virtual void Close(bool cut) = 0;
};

} // namespace plat
