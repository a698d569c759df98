#pragma once

#include "platform/sound/sound_sink.h"

#include <string>

struct _snd_pcm;

namespace plat {

// An ALSA playback device, opened for each sound in the sound's own format
// (the device converts and resamples where it must), with about 100 ms of
// buffer so a cut sound stops soon.
class AlsaSink final : public SoundSink {
public:
    explicit AlsaSink(std::string device = "default");
    ~AlsaSink() override;
    AlsaSink(const AlsaSink&) = delete;
    AlsaSink& operator=(const AlsaSink&) = delete;

    bool Open(const WaveFormat& format, std::string& error) override;
    bool Write(std::span<const uint8_t> frames, std::string& error) override;
    bool Drain(const std::atomic<bool>& interrupted) override;
    void Close(bool cut) override;

private:
    std::string device_;
    _snd_pcm* pcm_ = nullptr;
    size_t bytesPerFrame_ = 0;
};

} // namespace plat
