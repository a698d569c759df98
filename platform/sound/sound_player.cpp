#include "platform/sound/sound_player.h"

#include "platform/core/platform_log.h"
#include "platform/sound/alsa_sink.h"
#include "platform/sound/wave.h"

#include <algorithm>

namespace plat {
namespace {

// Frames are handed over 10 ms at a time, so a new sound cuts in quickly.
constexpr uint32_t kChunksPerSecond = 100;

} // namespace

SoundPlayer::SoundPlayer(std::unique_ptr<SoundSink> output) : output_(std::move(output))
{
}

SoundPlayer::~SoundPlayer()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        quit_ = true;
        pending_.reset();
        interrupt_.store(true);
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

SoundPlayer& SoundPlayer::Process()
{
    static SoundPlayer player(std::make_unique<AlsaSink>());
    return player;
}

void SoundPlayer::Play(SoundImage image)
{
    if (!image)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // The thread starts with the first sound: most runs play none.
        if (!thread_.joinable())
            thread_ = std::thread(&SoundPlayer::Run, this);
        pending_ = std::move(image);
        interrupt_.store(true);
    }
    wake_.notify_one();
}

void SoundPlayer::Stop()
{
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.reset();
    interrupt_.store(true);
}

bool SoundPlayer::WaitUntilSilent(std::chrono::milliseconds limit)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return silent_.wait_for(lock, limit, [this] { return !playing_ && !pending_; });
}

void SoundPlayer::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || pending_ != nullptr; });
        if (quit_)
            return;
        SoundImage image = std::move(pending_);
        pending_.reset();
        interrupt_.store(false);
        playing_ = true;
        lock.unlock();
        PlayOne(*image);
        image.reset();
        lock.lock();
        playing_ = false;
        silent_.notify_all();
    }
}

void SoundPlayer::PlayOne(const std::vector<uint8_t>& image)
{
    std::string refusal;
    std::optional<WaveClip> clip = ParseWave(image, refusal);
    if (!clip) {
        PlatformLog("[SoundPlayer][ERROR] Sound refused: " + refusal);
        return;
    }
    SoundSink& output = OpenOutput(clip->format);
    std::span<const uint8_t> samples(image.data() + clip->dataOffset, clip->dataSize);
    bool whole = Deliver(output, samples, clip->format) && output.Drain(interrupt_);
    output.Close(!whole);
}

SoundSink& SoundPlayer::OpenOutput(const WaveFormat& format)
{
    std::string error;
    if (output_->Open(format, error))
        return *output_;
    if (!outputFailureLogged_) {
        outputFailureLogged_ = true;
        PlatformLog("[SoundPlayer][ERROR] Can't open the sound device " + error +
                    "; sounds play silently while it is unavailable");
    }
    silence_.Open(format, error);
    return silence_;
}

// False when the sound was cut or the output failed.
bool SoundPlayer::Deliver(SoundSink& output, std::span<const uint8_t> samples, const WaveFormat& format)
{
    size_t chunk = std::max<size_t>(1, format.samplesPerSecond / kChunksPerSecond) * format.BytesPerFrame();
    for (size_t done = 0; done < samples.size();) {
        if (interrupt_.load())
            return false;
        size_t size = std::min(chunk, samples.size() - done);
        std::string error;
        if (!output.Write(samples.subspan(done, size), error)) {
            PlatformLog("[SoundPlayer][ERROR] The sound device failed: " + error);
            return false;
        }
        done += size;
    }
    return true;
}

} // namespace plat
