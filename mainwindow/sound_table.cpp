#include "mainwindow/sound_table.h"

#include "foundation/guard.h"
#include "foundation/log.h"

#include <cstdio>
#include <iterator>
#include <memory>
#include <vector>

namespace {

// The files of the loaded sounds, by index; 6 to 9 stay empty.
constexpr const char* kSoundFiles[] = {"info.wav",   "vseodeslano.wav", "chyba.wav",
                                       "fronta.wav", "odeslano.wav",    "pim_alert.wav"};

// A short alert sound is a few hundred kilobytes; a file far beyond that is
// not one of ours and is not read into memory.
constexpr long kLargestSound = 64L * 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

void LogLoadError(const char* what, const std::string& path)
{
    LogWrite(what, path.c_str(), false);
}

} // namespace

TNSoundTable::TNSoundTable() : player_(&plat::SoundPlayer::Process())
{
}

void TNSoundTable::NactiZvuky(const std::string& programFolder)
{
    Guarded("[NactiZvuky]", [&] {
        SoundOn = true;
        std::array<plat::SoundImage, kCount> loaded;
        for (size_t i = 0; i < std::size(kSoundFiles); ++i)
            loaded[i] = LoadWaveFromFile(programFolder + "Sounds/" + kSoundFiles[i]);
        for (auto& on : SoundSwitches)
            on = true;
        std::lock_guard<std::mutex> lock(mutex_);
        images_ = std::move(loaded);
    });
}

int32_t TNSoundTable::SoundFileCount()
{
    return static_cast<int32_t>(std::size(kSoundFiles));
}

const char* TNSoundTable::SoundFile(int32_t index)
{
    return index >= 0 && index < SoundFileCount() ? kSoundFiles[index] : "";
}

plat::SoundImage TNSoundTable::LoadWaveFromFile(const std::string& path)
{
    return Guarded("[LoadWaveFromFile]", plat::SoundImage{}, [&]() -> plat::SoundImage {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
        if (!file) {
            LogLoadError("[LoadWaveFromFile][ERROR] Can't open file ", path);
            return nullptr;
        }
        long size = -1;
        if (std::fseek(file.get(), 0, SEEK_END) == 0)
            size = std::ftell(file.get());
        // An empty file counts as unreadable, as a read of nothing does.
        if (size <= 0 || size > kLargestSound || std::fseek(file.get(), 0, SEEK_SET) != 0) {
            LogLoadError("[LoadWaveFromFile][ERROR] Error reading file ", path);
            return nullptr;
        }
        auto image = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(size));
        if (std::fread(image->data(), 1, image->size(), file.get()) != image->size()) {
            LogLoadError("[LoadWaveFromFile][ERROR] Error reading file ", path);
            return nullptr;
        }
        return image;
    });
}

void TNSoundTable::UvolniZvuky()
{
    Guarded("[UvolniZvuky]", [&] {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto& image : images_)
            image.reset();
    });
}

void TNSoundTable::PlaySoundA(int32_t index)
{
    Guarded("[TfrmMainDLMR1::PlaySoundA]", [&] {
        if (index < 0 || index >= kCount)
            return;
        plat::SoundImage image = Image(index);
        if (image && SoundOn && SoundSwitches[static_cast<size_t>(index)])
            player_->Play(std::move(image));
    });
}

plat::SoundImage TNSoundTable::Image(int32_t index) const
{
    if (index < 0 || index >= kCount)
        return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    return images_[static_cast<size_t>(index)];
}
