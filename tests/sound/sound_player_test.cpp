#include "platform/core/platform_log.h"
#include "platform/sound/alsa_sink.h"
#include "platform/sound/recording_sink.h"
#include "platform/sound/sound_player.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using sound_test::PlainSamples;
using sound_test::ReadFixture;
using namespace std::chrono_literals;

std::mutex logMutex;
std::vector<std::string> logLines;

void RecordLogLine(const std::string& line)
{
    std::lock_guard<std::mutex> lock(logMutex);
    logLines.push_back(line);
}

std::vector<std::string> LogLines()
{
    std::lock_guard<std::mutex> lock(logMutex);
    return logLines;
}

plat::SoundImage Image(const std::string& fixture)
{
    return std::make_shared<const std::vector<uint8_t>>(ReadFixture(fixture));
}

// Collects the platform's log lines and gives each test a scratch folder.
class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logLines.clear();
        plat::SetPlatformLogSink(&RecordLogLine);
        ASSERT_FALSE(scratch_.empty());
        const char* config = std::getenv("ALSA_CONFIG_PATH");
        savedAlsaConfig_ = config != nullptr ? std::optional<std::string>(config) : std::nullopt;
    }
    void TearDown() override
    {
        plat::SetPlatformLogSink(nullptr);
        if (savedAlsaConfig_)
            setenv("ALSA_CONFIG_PATH", savedAlsaConfig_->c_str(), 1);
        else
            unsetenv("ALSA_CONFIG_PATH");
    }
    // Makes ALSA read only `text` as its configuration.
    void UseAlsaConfiguration(const std::string& text)
    {
        std::string path = scratch_ + "asound.conf";
        std::ofstream(path) << text;
        setenv("ALSA_CONFIG_PATH", path.c_str(), 1);
    }
    testing_support::ScratchFolder scratchFolder_;
    std::string scratch_ = scratchFolder_.Path();
    std::optional<std::string> savedAlsaConfig_;
};

// Waits until the recording holds `count` sounds, the last one under way.
void WaitForDelivery(const plat::RecordingSink& sink, size_t count)
{
    for (int i = 0; i < 500; ++i) {
        std::vector<plat::RecordedSound> sounds = sink.Sounds();
        if (sounds.size() >= count && !sounds[count - 1].delivered.empty())
            return;
        std::this_thread::sleep_for(5ms);
    }
    FAIL() << "no delivery";
}

TEST_F(SoundPlayerTest, NewSoundCutsThePlayingOneAndPlaysWhole)
{
    auto output = std::make_unique<plat::RecordingSink>();
    plat::RecordingSink& sink = *output;
    plat::SoundPlayer player(std::move(output));
    plat::SoundImage second = Image("pcm8_mono_8000.wav");

    player.Play(Image("pcm16_mono_1s.wav"));
    WaitForDelivery(sink, 1);
    player.Play(second);
    ASSERT_TRUE(player.WaitUntilSilent(5s));

    std::vector<plat::RecordedSound> sounds = sink.Sounds();
    ASSERT_EQ(sounds.size(), 2u);
    std::vector<uint8_t> first = PlainSamples(ReadFixture("pcm16_mono_1s.wav"));
    EXPECT_EQ(sounds[0].format, (plat::WaveFormat{1, 16, 8000}));
    EXPECT_TRUE(sounds[0].cut);
    EXPECT_TRUE(sounds[0].closed);
    ASSERT_LT(sounds[0].delivered.size(), first.size());
    EXPECT_TRUE(std::equal(sounds[0].delivered.begin(), sounds[0].delivered.end(), first.begin()));
    EXPECT_EQ(sounds[1].format, (plat::WaveFormat{1, 8, 8000}));
    EXPECT_FALSE(sounds[1].cut);
    EXPECT_EQ(sounds[1].delivered, PlainSamples(*second));
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(SoundPlayerTest, StopCutsTheSoundPlaying)
{
    auto output = std::make_unique<plat::RecordingSink>();
    plat::RecordingSink& sink = *output;
    plat::SoundPlayer player(std::move(output));

    player.Play(Image("pcm16_mono_1s.wav"));
    WaitForDelivery(sink, 1);
    player.Stop();
    ASSERT_TRUE(player.WaitUntilSilent(1s));

    std::vector<plat::RecordedSound> sounds = sink.Sounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_TRUE(sounds[0].cut);
    EXPECT_LT(sounds[0].delivered.size(), 16000u);
}

TEST_F(SoundPlayerTest, KeepsPlayingAfterTheProgramDroppedTheImage)
{
    auto output = std::make_unique<plat::RecordingSink>();
    plat::RecordingSink& sink = *output;
    plat::SoundPlayer player(std::move(output));
    std::vector<uint8_t> expected = PlainSamples(ReadFixture("pcm16_mono_1s.wav"));

    plat::SoundImage image = Image("pcm16_mono_1s.wav");
    player.Play(image);
    WaitForDelivery(sink, 1);
    image.reset();
    ASSERT_TRUE(player.WaitUntilSilent(5s));

    std::vector<plat::RecordedSound> sounds = sink.Sounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_FALSE(sounds[0].cut);
    EXPECT_EQ(sounds[0].delivered, expected);
}

TEST_F(SoundPlayerTest, RefusedImagePlaysNothingAndLogsOneLine)
{
    auto output = std::make_unique<plat::RecordingSink>();
    plat::RecordingSink& sink = *output;
    plat::SoundPlayer player(std::move(output));

    player.Play(Image("compressed.wav"));
    ASSERT_TRUE(player.WaitUntilSilent(5s));
    EXPECT_TRUE(sink.Sounds().empty());
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("[SoundPlayer][ERROR] Sound refused: compressed"), std::string::npos) << lines[0];

    player.Play(Image("pcm8_stereo_44100.wav"));
    ASSERT_TRUE(player.WaitUntilSilent(5s));
    EXPECT_EQ(sink.Sounds().size(), 1u);
}

TEST_F(SoundPlayerTest, WithoutDeviceLogsOnceAndStaysSilent)
{
    UseAlsaConfiguration("# no devices at all\n");
    plat::SoundPlayer player(std::make_unique<plat::AlsaSink>());

    player.Play(Image("pcm8_mono_8000.wav"));
    ASSERT_TRUE(player.WaitUntilSilent(5s));
    player.Play(Image("pcm16_mono_8000.wav"));
    ASSERT_TRUE(player.WaitUntilSilent(5s));

    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("[SoundPlayer][ERROR] Can't open the sound device \"default\""), std::string::npos)
        << lines[0];
}

TEST_F(SoundPlayerTest, SamplesReachAlsaDefaultDevice)
{
    std::string recording = scratch_ + "played.raw";
    UseAlsaConfiguration("pcm.!default {\n"
                         "    type file\n"
                         "    slave.pcm { type null }\n"
                         "    file \"" +
                         recording +
                         "\"\n"
                         "    format \"raw\"\n"
                         "}\n");
    plat::SoundPlayer player(std::make_unique<plat::AlsaSink>());
    plat::SoundImage image = Image("pcm16_mono_8000.wav");

    player.Play(image);
    ASSERT_TRUE(player.WaitUntilSilent(5s));

    EXPECT_TRUE(LogLines().empty()) << LogLines()[0];
    std::ifstream in(recording, std::ios::binary);
    std::vector<uint8_t> played((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(played, PlainSamples(*image));
}

TEST_F(SoundPlayerTest, TheProgramsOwnSoundsReachAlsaWhole)
{
    std::string recording = scratch_ + "played.raw";
    UseAlsaConfiguration("pcm.!default {\n"
                         "    type file\n"
                         "    slave.pcm { type null }\n"
                         "    file \"" +
                         recording +
                         "\"\n"
                         "    format \"raw\"\n"
                         "}\n");
    int sounds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DALMORA_BINARY_DIR "app/Sounds")) {
        SCOPED_TRACE(entry.path().string());
        std::ifstream file(entry.path(), std::ios::binary);
        auto image = std::make_shared<const std::vector<uint8_t>>((std::istreambuf_iterator<char>(file)),
                                                                  std::istreambuf_iterator<char>());
        std::filesystem::remove(recording);
        plat::SoundPlayer player(std::make_unique<plat::AlsaSink>());
        player.Play(image);
        ASSERT_TRUE(player.WaitUntilSilent(5s));
        std::ifstream in(recording, std::ios::binary);
        std::vector<uint8_t> played((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(played, PlainSamples(*image));
        ++sounds;
    }
    EXPECT_EQ(sounds, 6);
    EXPECT_TRUE(LogLines().empty()) << LogLines()[0];
}

} // namespace
