#include "platform/sound/wave.h"

#include <cstring>

namespace plat {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kPlainFormatSize = 16;
constexpr size_t kExtensibleFormatSize = 40;
constexpr size_t kSubFormatOffset = 24;
// The GUID of PCM samples in an extensible format chunk.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kLowestRate = 1000;
constexpr uint32_t kHighestRate = 192000;

uint16_t Read16(const uint8_t* bytes)
{
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t Read32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

bool IsTag(const uint8_t* bytes, const char* tag)
{
    return std::memcmp(bytes, tag, 4) == 0;
}

std::optional<WaveFormat> ReadFormat(std::span<const uint8_t> body, std::string& refusal)
{
    if (body.size() < kPlainFormatSize) {
        refusal = "format chunk too short";
        return std::nullopt;
    }
    const uint8_t* bytes = body.data();
    uint16_t tag = Read16(bytes);
    bool pcm = tag == kFormatPcm || (tag == kFormatExtensible && body.size() >= kExtensibleFormatSize &&
                                     std::memcmp(bytes + kSubFormatOffset, kPcmSubFormat, sizeof(kPcmSubFormat)) == 0);
    if (!pcm) {
        refusal = "compressed or unknown sample format " + std::to_string(tag);
        return std::nullopt;
    }
    WaveFormat format;
    format.channels = Read16(bytes + 2);
    format.samplesPerSecond = Read32(bytes + 4);
    uint16_t blockAlign = Read16(bytes + 12);
    format.bitsPerSample = Read16(bytes + 14);
    if (format.channels < 1 || format.channels > 2) {
        refusal = std::to_string(format.channels) + " channels";
        return std::nullopt;
    }
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16) {
        refusal = std::to_string(format.bitsPerSample) + " bits per sample";
        return std::nullopt;
    }
    if (format.samplesPerSecond < kLowestRate || format.samplesPerSecond > kHighestRate) {
        refusal = std::to_string(format.samplesPerSecond) + " samples per second";
        return std::nullopt;
    }
    if (blockAlign != format.BytesPerFrame()) {
        refusal = "frame size " + std::to_string(blockAlign) + " does not match the format";
        return std::nullopt;
    }
    return format;
}

} // namespace

std::optional<WaveClip> ParseWave(std::span<const uint8_t> image, std::string& refusal)
{
    if (image.size() < 12 || !IsTag(image.data(), "RIFF") || !IsTag(image.data() + 8, "WAVE")) {
        refusal = "not a RIFF WAVE image";
        return std::nullopt;
    }
    // The RIFF size is not trusted: streaming writers leave it 0 or wrong.
    std::optional<WaveFormat> format;
    std::optional<std::span<const uint8_t>> data;
    size_t position = 12;
    while (image.size() - position >= kChunkHeaderSize && !(format && data)) {
        const uint8_t* header = image.data() + position;
        size_t size = Read32(header + 4);
        position += kChunkHeaderSize;
        size_t remaining = image.size() - position;
        bool isData = IsTag(header, "data");
        if (size > remaining) {
            if (!isData) {
                refusal = "a chunk runs past the end of the image";
                return std::nullopt;
            }
            size = remaining;
        }
        std::span<const uint8_t> body = image.subspan(position, size);
        if (IsTag(header, "fmt ") && !format) {
            format = ReadFormat(body, refusal);
            if (!format)
                return std::nullopt;
        } else if (isData && !data) {
            data = body;
        }
        position += size;
        if (size % 2 == 1 && position < image.size())
            ++position;
    }
    if (!format) {
        refusal = "no format chunk";
        return std::nullopt;
    }
    if (!data) {
        refusal = "no data chunk";
        return std::nullopt;
    }
    WaveClip clip;
    clip.format = *format;
    clip.dataOffset = static_cast<size_t>(data->data() - image.data());
    clip.dataSize = data->size() - data->size() % format->BytesPerFrame();
    if (clip.dataSize == 0) {
        refusal = "no samples";
        return std::nullopt;
    }
    return clip;
}

} // namespace plat
