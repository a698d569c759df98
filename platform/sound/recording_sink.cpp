#include "platform/sound/recording_sink.h"

#include <chrono>
#include <thread>

namespace plat {

bool RecordingSink::Open(const WaveFormat& format, std::string&)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sounds_.push_back(RecordedSound{format, {}, false, false});
    return true;
}

bool RecordingSink::Write(std::span<const uint8_t> frames, std::string&)
{
    WaveFormat format;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        RecordedSound& sound = sounds_.back();
        sound.delivered.insert(sound.delivered.end(), frames.begin(), frames.end());
        format = sound.format;
    }
    auto playTime =
        std::chrono::microseconds(frames.size() / format.BytesPerFrame() * 1000000 / format.samplesPerSecond);
    std::this_thread::sleep_for(playTime);
    return true;
}

bool RecordingSink::Drain(const std::atomic<bool>& interrupted)
{
    return !interrupted.load();
}

void RecordingSink::Close(bool cut)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sounds_.back().cut = cut;
    sounds_.back().closed = true;
}

std::vector<RecordedSound> RecordingSink::Sounds() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sounds_;
}

} // namespace plat
