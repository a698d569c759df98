#pragma once

#include "platform/sound/null_sink.h"
#include "platform/sound/sound_sink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace plat {

// A wave file's bytes as the program loaded them, shared with the player.
using SoundImage = std::shared_ptr<const std::vector<uint8_t>>;

// Plays one sound at a time on a thread of its own, so no caller waits for
// the sound system. A new sound replaces the one playing, which is cut. The
// player keeps its own reference to the image it plays, so the program may
// drop its images at any time.
//
// Images are checked before they play (see ParseWave); a refused image plays
// nothing and costs one log line. When the output cannot be opened the sound
// goes to silence; the first such failure of a player is logged.
class SoundPlayer {
public:
    explicit SoundPlayer(std::unique_ptr<SoundSink> output);
    // Cuts the sound playing and ends the thread.
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // The program's player, on ALSA's "default" device.
    static SoundPlayer& Process();

    // Starts `image` in place of whatever plays; returns at once. A null
    // image does nothing.
    void Play(SoundImage image);
    // Cuts the sound playing and forgets one not started yet.
    void Stop();
    // Waits until nothing plays or waits to play; false when `limit` passed.
    bool WaitUntilSilent(std::chrono::milliseconds limit);

private:
    void Run();
    void PlayOne(const std::vector<uint8_t>& image);
    SoundSink& OpenOutput(const WaveFormat& format);
    bool Deliver(SoundSink& output, std::span<const uint8_t> samples, const WaveFormat& format);

    std::unique_ptr<SoundSink> output_;
    NullSink silence_;
    bool outputFailureLogged_ = false; // player thread only

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable silent_;
    SoundImage pending_;
    bool playing_ = false;
    bool quit_ = false;
    // Raised by every request that should end the sound playing.
    std::atomic<bool> interrupt_{false};
    std::thread thread_;
};

} // namespace plat
