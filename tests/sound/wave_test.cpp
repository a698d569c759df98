#include "platform/sound/wave.h"
#include "tests/sound/sound_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

namespace {

using sound_test::ReadFixture;

struct WaveCase {
    const char* file;
    bool accepted;
    plat::WaveFormat format;
    size_t dataOffset;
    size_t dataSize;
    const char* refusal;
};

const WaveCase kCases[] = {
    {"pcm8_mono_8000.wav", true, {1, 8, 8000}, 44, 400, ""},
    {"pcm8_stereo_44100.wav", true, {2, 8, 44100}, 44, 882, ""},
    {"pcm16_mono_8000.wav", true, {1, 16, 8000}, 44, 1600, ""},
    {"pcm16_stereo_44100.wav", true, {2, 16, 44100}, 44, 1764, ""},
    {"list_before_data.wav", true, {1, 16, 8000}, 70, 200, ""},
    // "junk" of 5 bytes and its pad byte; the odd data chunk ends the file.
    {"odd_chunk.wav", true, {1, 8, 8000}, 58, 101, ""},
    {"data_past_end.wav", true, {1, 8, 8000}, 44, 200, ""},
    {"extensible_pcm.wav", true, {2, 16, 22050}, 68, 200, ""},
    {"data_before_fmt.wav", true, {1, 8, 11025}, 20, 60, ""},
    {"compressed.wav", false, {}, 0, 0, "compressed"},
    {"extensible_float.wav", false, {}, 0, 0, "compressed"},
    {"zero_channels.wav", false, {}, 0, 0, "0 channels"},
    {"three_channels.wav", false, {}, 0, 0, "3 channels"},
    {"bits24.wav", false, {}, 0, 0, "24 bits"},
    {"rate_500.wav", false, {}, 0, 0, "500 samples"},
    {"rate_200000.wav", false, {}, 0, 0, "200000 samples"},
    {"block_align_wrong.wav", false, {}, 0, 0, "frame size"},
    {"truncated_header.wav", false, {}, 0, 0, "runs past the end"},
    {"fmt_too_short.wav", false, {}, 0, 0, "too short"},
    {"no_data.wav", false, {}, 0, 0, "no data chunk"},
    {"empty_data.wav", false, {}, 0, 0, "no samples"},
    {"junk_past_end.wav", false, {}, 0, 0, "runs past the end"},
    {"not_wave.wav", false, {}, 0, 0, "not a RIFF WAVE"},
};

TEST(ParseWave, ReadsOrRefusesEachFixture)
{
    for (const WaveCase& row : kCases) {
        SCOPED_TRACE(row.file);
        std::vector<uint8_t> image = ReadFixture(row.file);
        std::string refusal;
        std::optional<plat::WaveClip> clip = plat::ParseWave(image, refusal);
        ASSERT_EQ(clip.has_value(), row.accepted) << refusal;
        if (!row.accepted) {
            EXPECT_NE(refusal.find(row.refusal), std::string::npos) << refusal;
            continue;
        }
        EXPECT_EQ(clip->format, row.format);
        EXPECT_EQ(clip->dataOffset, row.dataOffset);
        EXPECT_EQ(clip->dataSize, row.dataSize);
    }
}

// The number of mutated images: DALMORA_WAV_MUTATIONS, modest by default so
// the test stays quick; raise it for a long run in the sanitizer build.
size_t MutationCount()
{
    const char* value = std::getenv("DALMORA_WAV_MUTATIONS");
    return value != nullptr && std::atoll(value) > 0 ? static_cast<size_t>(std::atoll(value)) : 100000;
}

void Mutate(std::vector<uint8_t>& image, std::mt19937& random)
{
    static const uint32_t kSizes[] = {0, 1, 2, 3, 15, 16, 17, 39, 40, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF7, 0xFFFFFFFF};
    auto pick = [&](size_t bound) { return static_cast<size_t>(random() % bound); };
    int steps = 1 + static_cast<int>(pick(4));
    for (int step = 0; step < steps && !image.empty(); ++step) {
        switch (pick(5)) {
        case 0:
            image[pick(image.size())] ^= static_cast<uint8_t>(1u << pick(8));
            break;
        case 1:
            image[pick(image.size())] = static_cast<uint8_t>(random());
            break;
        case 2: {
            // A size or count field: most of the interesting values are there.
            if (image.size() < 4)
                break;
            size_t at = pick(image.size() - 3);
            uint32_t value = pick(3) == 0 ? static_cast<uint32_t>(image.size() - at + pick(9) - 4) : kSizes[pick(13)];
            for (int i = 0; i < 4; ++i)
                image[at + i] = static_cast<uint8_t>(value >> (8 * i));
            break;
        }
        case 3:
            image.resize(pick(image.size() + 1));
            break;
        default:
            for (size_t extra = pick(16); extra > 0; --extra)
                image.push_back(static_cast<uint8_t>(random()));
            break;
        }
    }
}

TEST(ParseWave, SurvivesMutatedImages)
{
    std::vector<std::vector<uint8_t>> seeds;
    for (const WaveCase& row : kCases) {
        if (row.accepted || std::string(row.file) == "truncated_header.wav")
            seeds.push_back(ReadFixture(row.file));
    }
    std::mt19937 random(20240501);
    size_t accepted = 0;
    size_t count = MutationCount();
    for (size_t i = 0; i < count; ++i) {
        std::vector<uint8_t> mutated = seeds[i % seeds.size()];
        Mutate(mutated, random);
        // An allocation of exactly the image's size, so any read past it is
        // seen by the address sanitizer.
        auto exact = std::make_unique<uint8_t[]>(mutated.size());
        std::copy(mutated.begin(), mutated.end(), exact.get());
        std::span<const uint8_t> image(exact.get(), mutated.size());
        std::string refusal;
        std::optional<plat::WaveClip> clip = plat::ParseWave(image, refusal);
        if (!clip) {
            ASSERT_FALSE(refusal.empty());
            continue;
        }
        ++accepted;
        const plat::WaveFormat& format = clip->format;
        ASSERT_TRUE(format.channels == 1 || format.channels == 2);
        ASSERT_TRUE(format.bitsPerSample == 8 || format.bitsPerSample == 16);
        ASSERT_GE(format.samplesPerSecond, 1000u);
        ASSERT_LE(format.samplesPerSecond, 192000u);
        ASSERT_GT(clip->dataSize, 0u);
        ASSERT_EQ(clip->dataSize % format.BytesPerFrame(), 0u);
        ASSERT_LE(clip->dataOffset, image.size());
        ASSERT_LE(clip->dataSize, image.size() - clip->dataOffset);
    }
    // The mutations must reach both sides of the parser to mean anything.
    EXPECT_GT(accepted, count / 20);
    EXPECT_LT(accepted, count - count / 20);
}

} // namespace
