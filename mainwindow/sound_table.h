#pragma once

#include "platform/sound/sound_player.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// The program's sounds: ten entries, each a shared, immutable wave image or
// none, with the sound switch and one switch per sound. PlaySoundA may be
// called from any thread: it takes its own reference to the image under the
// table's lock and hands it to the player, which returns at once and keeps
// the image alive while it plays, so releasing the table never pulls an
// image from under a sound.
class TNSoundTable {
public:
    static constexpr int32_t kCount = 10;
    // The sounds the program plays by index.
    static constexpr int32_t kInfo = 0;
    static constexpr int32_t kAlertRing = 5;

    // Plays through the process's player until UsePlayer says otherwise.
    TNSoundTable();
    TNSoundTable(const TNSoundTable&) = delete;
    TNSoundTable& operator=(const TNSoundTable&) = delete;

    // Tests: plays through `player` from now on; main thread, before any play.
    void UsePlayer(plat::SoundPlayer& player) { player_ = &player; }

    // Loads the six sound files from "Sounds/" below `programFolder` (which
    // ends with "/"); the switches go on.
    void NactiZvuky(const std::string& programFolder);
    // The file name of sound `index` (0..5), the first entries of the table;
    // "" beyond.
    static int32_t SoundFileCount();
    static const char* SoundFile(int32_t index);
    // The whole file, or null (logged) when it cannot be read or is empty.
    static plat::SoundImage LoadWaveFromFile(const std::string& path);
    // Drops the table's images; a sound playing keeps its own.
    void UvolniZvuky();
    // Plays sound `index` (0..9) when it is loaded and both switches are on;
    // anything else plays nothing. Any thread; never waits for the sound.
    void PlaySoundA(int32_t index);

    // The image of an entry, null when none.
    plat::SoundImage Image(int32_t index) const;

    std::atomic<bool> SoundOn{false};
    std::array<std::atomic<bool>, kCount> SoundSwitches{};

private:
    plat::SoundPlayer* player_;
    mutable std::mutex mutex_;
    std::array<plat::SoundImage, kCount> images_;
};
