#include "mainwindow/sound_table.h"

#include "foundation/globals.h"

#include "platform/sound/recording_sink.h"
#include "platform/sound/sound_player.h"
#include "tests/model/model_test_support.h"
#include "tests/support/scratch_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SoundTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!GlobalsConstructed())
            ConstructGlobals();
        // After the globals: building them resets the log settings.
        log_ = std::make_unique<model_test::LogCapture>();
        const std::string data = DALMORA_TEST_DATA_DIR;
        std::filesystem::create_directories(folder_.Path() + "Sounds");
        std::filesystem::copy_file(data + "ring.wav", folder_.Path() + "Sounds/pim_alert.wav");
        std::filesystem::copy_file(data + "info.wav", folder_.Path() + "Sounds/info.wav");
        // An empty file where sound 2 belongs.
        std::ofstream(folder_.Path() + "Sounds/chyba.wav").close();
        auto sink = std::make_unique<plat::RecordingSink>();
        sink_ = sink.get();
        player_ = std::make_unique<plat::SoundPlayer>(std::move(sink));
        table_.UsePlayer(*player_);
    }

    // The sounds delivered, once the player is silent.
    std::vector<plat::RecordedSound> Played()
    {
        EXPECT_TRUE(player_->WaitUntilSilent(std::chrono::seconds(5)));
        return sink_->Sounds();
    }

    testing_support::ScratchFolder folder_;
    std::unique_ptr<model_test::LogCapture> log_;
    plat::RecordingSink* sink_ = nullptr;
    std::unique_ptr<plat::SoundPlayer> player_;
    TNSoundTable table_;
};

TEST_F(SoundTable, LoadsEachFileWholeAndLogsWhatItCannotRead)
{
    table_.NactiZvuky(folder_.Path());
    const std::string sounds = folder_.Path() + "Sounds/";
    ASSERT_NE(table_.Image(0), nullptr);
    EXPECT_EQ(*table_.Image(0), Bytes(sounds + "info.wav"));
    ASSERT_NE(table_.Image(5), nullptr);
    EXPECT_EQ(*table_.Image(5), Bytes(sounds + "pim_alert.wav"));
    for (int32_t index : {1, 2, 3, 4, 6, 7, 8, 9})
        EXPECT_EQ(table_.Image(index), nullptr) << index;
    EXPECT_EQ(
        log_->CountContaining(("[LoadWaveFromFile][ERROR] Can't open file " + sounds + "vseodeslano.wav").c_str()), 1);
    EXPECT_EQ(log_->CountContaining(("[LoadWaveFromFile][ERROR] Error reading file " + sounds + "chyba.wav").c_str()),
              1);
    EXPECT_TRUE(table_.SoundOn);
}

TEST_F(SoundTable, PlaysOnlyALoadedSoundWithBothSwitchesOn)
{
    table_.NactiZvuky(folder_.Path());
    const std::vector<uint8_t> ring = *table_.Image(TNSoundTable::kAlertRing);
    for (int32_t index : {-1, 10, 7, 1})
        table_.PlaySoundA(index);
    EXPECT_TRUE(Played().empty());

    table_.PlaySoundA(5);
    std::vector<plat::RecordedSound> played = Played();
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0].delivered, std::vector<uint8_t>(ring.begin() + 44, ring.end()));

    table_.SoundSwitches[5] = false;
    table_.PlaySoundA(5);
    table_.SoundSwitches[5] = true;
    table_.SoundOn = false;
    table_.PlaySoundA(5);
    table_.PlaySoundA(0);
    EXPECT_EQ(Played().size(), 1u);
}

TEST_F(SoundTable, ReleasingWhileOtherThreadsPlayIsSafe)
{
    std::atomic<bool> stop{false};
    std::vector<std::thread> players;
    for (int t = 0; t < 4; ++t)
        players.emplace_back([&, t] {
            while (!stop)
                table_.PlaySoundA(t % 2 == 0 ? 5 : 0);
        });
    for (int round = 0; round < 50; ++round) {
        table_.NactiZvuky(folder_.Path());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        table_.UvolniZvuky();
    }
    stop = true;
    for (std::thread& thread : players)
        thread.join();
    EXPECT_EQ(table_.Image(5), nullptr);
    EXPECT_FALSE(Played().empty());
}

} // namespace
