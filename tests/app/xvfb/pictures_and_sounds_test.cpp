// Runs under Xvfb (CTest label "xvfb"): the delivered program with its own
// pictures and sounds beside it, signed in against the demo service. Its
// tray icon docks in our own notification area (a bare X display has none)
// and is read off the screen; its alert sound goes to a file through the
// test's own ALSA configuration.
#include "platform/gui/types.h"
#include "platform/testing/gui_harness.h"
#include "tests/app/screen_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace real_program;

// The tray host's own colour (tests/app/tray_host.cpp).
constexpr plat::TColor kHostBackground = 0xFF00FF;
// The plain WAV header the program's sounds carry before their samples.
constexpr size_t kWaveHeaderSize = 44;

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The pixels of a screen area that are not the tray host's background.
struct IconPixels {
    plat::TRect bounds{1 << 30, 1 << 30, -1, -1};
    int count = 0;
    std::set<plat::TColor> colours;
};

IconPixels PixelsOtherThanTheHost(const plat::TRect& area)
{
    IconPixels icon;
    for (int y = area.Top; y < area.Bottom; ++y) {
        for (int x = area.Left; x < area.Right; ++x) {
            const plat::TColor colour = plat::testing::ProbeScreen(x, y);
            if (colour == kHostBackground)
                continue;
            ++icon.count;
            icon.colours.insert(colour);
            icon.bounds = plat::Rect(std::min(icon.bounds.Left, x), std::min(icon.bounds.Top, y),
                                     std::max(icon.bounds.Right, x + 1), std::max(icon.bounds.Bottom, y + 1));
        }
    }
    return icon;
}

class PicturesAndSoundsOnScreen : public RealProgramOnScreen {
protected:
    void SetUp() override
    {
        const char* config = std::getenv("ALSA_CONFIG_PATH");
        savedAlsaConfig_ = config != nullptr ? std::optional<std::string>(config) : std::nullopt;
        RealProgramOnScreen::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        InstallPicturesAndSounds();
    }
    void TearDown() override
    {
        RealProgramOnScreen::TearDown();
        if (savedAlsaConfig_)
            setenv("ALSA_CONFIG_PATH", savedAlsaConfig_->c_str(), 1);
        else
            unsetenv("ALSA_CONFIG_PATH");
    }

    // The program plays into `recording` as raw samples, whatever the
    // machine's sound cards.
    void RecordSoundsInto(const std::string& recording)
    {
        const std::string config = root_ + "asound.conf";
        std::ofstream(config) << "pcm.!default {\n"
                                 "    type file\n"
                                 "    slave.pcm { type null }\n"
                                 "    file \""
                              << recording
                              << "\"\n"
                                 "    format \"raw\"\n"
                                 "}\n";
        setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
    }

    // A timed record of the demo's organizer with an alert due at `due`
    // (Unix time), added on the service before the program downloads.
    void SeedAlertAt(std::time_t due)
    {
        std::tm local{};
        localtime_r(&due, &local);
        char date[16];
        char time[16];
        std::strftime(date, sizeof date, "%Y-%m-%d", &local);
        std::strftime(time, sizeof time, "%H:%M:%S", &local);
        const std::string record = Get(baseUrl_ + "/__test/sync/seed?type=1&OrganizerID=501&CreatedByUserID=1001" +
                                       "&Type=3&Text=Zavolat&HasBegin=1&DateBegin=" + date + "&TimeBegin=" + time);
        ASSERT_EQ(record.rfind("seeded ", 0), 0u) << record;
        const std::string recordId = record.substr(7, record.find('\n') - 7);
        const std::string alert = Get(baseUrl_ + "/__test/sync/seed?type=4&OrganizerID=501&UserID=1001&Type=1" +
                                      "&RecordID=" + recordId + "&AlertTimestamp=" + std::to_string(due));
        ASSERT_EQ(alert.rfind("seeded ", 0), 0u) << alert;
    }

    std::optional<std::string> savedAlsaConfig_;
};

TEST_F(PicturesAndSoundsOnScreen, TheTrayShowsTheProgramsSixteenPixelIcon)
{
    testenv::Child tray;
    ASSERT_TRUE(tray.Spawn({DALMORA_TRAY_HOST}));
    ASSERT_TRUE(tray.ReadUntil("ready"));
    auto copy = StartSignedIn();

    std::string docked;
    ASSERT_TRUE(tray.ReadUntilPrefix("docked ", docked)) << "no icon docked in the tray";
    std::optional<plat::TRect> area;
    ASSERT_TRUE(testenv::WaitUntil([&] { return (area = WindowArea(std::stoull(docked.substr(7)))).has_value(); }));
    SettledScreenPng(*area);

    // The picture sits in the icon's window on the host's colour: 16 × 16,
    // not one colour, and covering much of its square.
    const IconPixels icon = PixelsOtherThanTheHost(*area);
    EXPECT_GT(icon.count, 16 * 16 / 4) << "the tray shows (almost) nothing";
    EXPECT_EQ(icon.bounds.Width(), 16);
    EXPECT_EQ(icon.bounds.Height(), 16);
    EXPECT_GE(icon.colours.size(), 3u) << "the tray icon is one flat colour";

    EXPECT_TRUE(copy->Signal(SIGTERM));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status)) << status;
}

TEST_F(PicturesAndSoundsOnScreen, AnAlertDueAMinuteAfterTheStartRingsThroughAlsa)
{
    const std::string recording = root_ + "played.raw";
    RecordSoundsInto(recording);
    const std::time_t due = std::time(nullptr) + 60;
    SeedAlertAt(due);
    const std::vector<uint8_t> ring = ReadBytes(root_ + "prog/Sounds/pim_alert.wav");
    ASSERT_GT(ring.size(), kWaveHeaderSize);
    const std::vector<uint8_t> samples(ring.begin() + kWaveHeaderSize, ring.end());

    auto copy = StartSignedIn();
    EXPECT_FALSE(std::ifstream(recording).good()) << "a sound played before the alert was due";
    ASSERT_TRUE(testenv::WaitUntil([&] { return ReadBytes(recording).size() >= samples.size(); }, 120000))
        << "no alert sound within a minute of its time";
    EXPECT_GE(std::time(nullptr), due) << "the alert rang early";

    // The chime reached the sound device whole.
    const std::vector<uint8_t> played = ReadBytes(recording);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), played.begin()));

    EXPECT_TRUE(copy->Signal(SIGTERM));
    int status = -1;
    ASSERT_TRUE(copy->Wait(status, 6000));
    EXPECT_TRUE(ExitedWithZero(status)) << status;
}

} // namespace
