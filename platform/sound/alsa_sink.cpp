#include "platform/sound/alsa_sink.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace plat {
namespace {

constexpr unsigned kBufferMicroseconds = 100000;
constexpr int64_t kDrainPollMilliseconds = 10;
constexpr auto kDrainLimit = std::chrono::seconds(1);

// ALSA prints its own errors to standard error; the player logs them itself.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...)
{
}

std::string Describe(const std::string& device, int code)
{
    return "\"" + device + "\": " + snd_strerror(code);
}

} // namespace

AlsaSink::AlsaSink(std::string device) : device_(std::move(device))
{
    static std::once_flag quieted;
    std::call_once(quieted, [] { snd_lib_error_set_handler(&IgnoreAlsaError); });
}

AlsaSink::~AlsaSink()
{
    Close(true);
}

bool AlsaSink::Open(const WaveFormat& format, std::string& error)
{
    int code = snd_pcm_open(&pcm_, device_.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (code < 0) {
        pcm_ = nullptr;
        error = Describe(device_, code);
        return false;
    }
    snd_pcm_format_t samples = format.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    code = snd_pcm_set_params(pcm_, samples, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels, format.samplesPerSecond, 1,
                              kBufferMicroseconds);
    if (code < 0) {
        error = Describe(device_, code);
        Close(true);
        return false;
    }
    bytesPerFrame_ = format.BytesPerFrame();
    return true;
}

bool AlsaSink::Write(std::span<const uint8_t> frames, std::string& error)
{
    const uint8_t* next = frames.data();
    auto left = static_cast<snd_pcm_uframes_t>(frames.size() / bytesPerFrame_);
    while (left > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm_, next, left);
        if (written < 0) {
            // An underrun or a suspended device: prepare it again and go on.
            int code = snd_pcm_recover(pcm_, static_cast<int>(written), 1);
            if (code < 0) {
                error = Describe(device_, code);
                return false;
            }
            continue;
        }
        next += static_cast<size_t>(written) * bytesPerFrame_;
        left -= static_cast<snd_pcm_uframes_t>(written);
    }
    return true;
}

bool AlsaSink::Drain(const std::atomic<bool>& interrupted)
{
    // A sound shorter than the buffer has not started playing yet.
    if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED)
        snd_pcm_start(pcm_);
    // Wait in small steps so that a new sound need not wait for this one;
    // bounded, should a device stop counting down.
    auto deadline = std::chrono::steady_clock::now() + kDrainLimit;
    while (!interrupted.load() && std::chrono::steady_clock::now() < deadline) {
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING || snd_pcm_delay(pcm_, &delay) < 0 || delay <= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(kDrainPollMilliseconds));
    }
    if (interrupted.load())
        return false;
    snd_pcm_drain(pcm_);
    return true;
}

void AlsaSink::Close(bool cut)
{
    if (pcm_ == nullptr)
        return;
    if (cut)
        snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
}

} // namespace plat
