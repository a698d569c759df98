#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace plat {

// The sample layout of a playable sound: interleaved PCM, unsigned 8-bit or
// signed little-endian 16-bit samples.
struct WaveFormat {
    uint16_t channels = 0;
    uint16_t bitsPerSample = 0;
    uint32_t samplesPerSecond = 0;

    size_t BytesPerFrame() const { return size_t{channels} * bitsPerSample / 8; }
    bool operator==(const WaveFormat&) const = default;
};

// Where a parsed image keeps its samples: whole frames inside the image.
struct WaveClip {
    WaveFormat format;
    size_t dataOffset = 0;
    size_t dataSize = 0;
};

// Reads a RIFF WAVE image as found in a file anyone may have replaced. Only
// PCM with 1 or 2 channels, 8 or 16 bits and 1,000 to 192,000 samples per
// second is taken. Every chunk size is checked against what remains; a data
// chunk that claims more than the image holds is cut to what is there.
// Nothing is allocated or copied: the clip points into the image.
// On refusal returns nothing and `refusal` says why in a few words.
std::optional<WaveClip> ParseWave(std::span<const uint8_t> image, std::string& refusal);

} // namespace plat
