// The program's own pictures and sounds as the build leaves them beside
// dalmora1: every file the program's tables name is there, decodes through
// the program's own readers and has its size and format; the header, the
// login page and the narrow control bar show them (golden images); a missing
// picture is logged once and harms nothing.
#include "foundation/app_info.h"
#include "foundation/log.h"
#include "foundation/program_start.h"
#include "mainwindow/main_window.h"
#include "mainwindow/not_window.h"
#include "mainwindow/sound_table.h"
#include "online/global.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/image.h"
#include "platform/gui/image_list.h"
#include "platform/gui/panel.h"
#include "platform/gui/picture.h"
#include "platform/sound/wave.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/support/scratch_folder.h"
#include "view/image_table.h"
#include "view/program_pictures.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace shell_test {
namespace {

namespace fs = std::filesystem;

// Where the build puts dalmora1, its images/ and its Sounds/.
const std::string kProgramFolder = DALMORA_BINARY_DIR "app/";

// The size "…-24x24.png" states, or false when the name states none.
bool StatedSize(const std::string& file, int& width, int& height)
{
    const size_t dot = file.rfind('.');
    const size_t dash = file.rfind('-', dot);
    if (dot == std::string::npos || dash == std::string::npos)
        return false;
    char tail = 0;
    return std::sscanf(file.substr(dash + 1, dot - dash - 1).c_str(), "%dx%d%c", &width, &height, &tail) == 2;
}

// The shell with its pictures taken from `ProgramFolder()`.
class ProgramFilesTest : public ShellTest {
protected:
    void SetUp() override
    {
        SetProgramFolderForTest(ProgramFolder());
        // The window's first lines, written before it sets its own log
        // folder, go to this test's home too.
        const std::string log = home_.Path() + "start-log/";
        fs::create_directories(log);
        SetLogDir(log.c_str());
        ShellTest::SetUp();
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        SetProgramFolderForTest("");
    }
    virtual std::string ProgramFolder() const { return kProgramFolder; }

    // Every log line of the run so far, the constructor's (written below the
    // home folder) included.
    static std::string AllLogLines()
    {
        std::string all;
        for (const auto& entry : fs::recursive_directory_iterator(std::getenv("HOME"))) {
            if (!entry.is_regular_file() || entry.path().filename().string().rfind("log-", 0) != 0)
                continue;
            std::ifstream in(entry.path());
            all += std::string(std::istreambuf_iterator<char>(in), {});
        }
        return all;
    }
    static int Occurrences(const std::string& text, const std::string& wanted)
    {
        int count = 0;
        for (size_t at = text.find(wanted); at != std::string::npos; at = text.find(wanted, at + 1))
            ++count;
        return count;
    }

    void ShowHeader(int width)
    {
        g.UpdateAccount([](TNAccount& account) {
            account.FirstName.Set("Alice");
            account.LastName.Set("Nováková");
        });
        SignIn(width);
        Main().ShowOrHideWindowPartsForQuillor();
        Main().CreateHeaderComponents();
        Main().UpdateHeaderUser();
        View.ResizeMainForm();
        plat::testing::Flush();
    }
    // Makes the pool of alert windows and builds each, as their first
    // activation does.
    void OpenAlertWindows()
    {
        Main().CreateNotWindows();
        for (int32_t slot = 0; slot < TfrmMainDLMR1::kNotPoolSize; ++slot)
            Main().frmNotActivate(*Main().notSlots[slot].Window);
    }
    static std::string Golden(const char* name) { return DALMORA_TEST_DATA_DIR "program_files/" + std::string(name); }
    static std::string Output() { return DALMORA_BINARY_DIR "gui-test-output"; }
};

TEST_F(ProgramFilesTest, EveryPictureIsBuiltDecodesAndHasTheSizeItsNameStates)
{
    std::set<std::string> files;
    std::set<int> actionSlots;
    for (const TNProgramPicture& picture : ProgramPictures()) {
        SCOPED_TRACE(picture.File);
        EXPECT_TRUE(files.insert(picture.File).second) << "listed twice";
        if (picture.ActionIndex >= 0) {
            EXPECT_LT(picture.ActionIndex, kActionPictureCount);
            EXPECT_TRUE(actionSlots.insert(picture.ActionIndex).second) << "slot taken twice";
        }
        int width = 0;
        int height = 0;
        if (StatedSize(picture.File, width, height)) {
            EXPECT_EQ(picture.Width, width);
            EXPECT_EQ(picture.Height, height);
        }
        plat::TPicture decoded;
        ASSERT_NO_THROW(decoded.LoadFromFile(kProgramFolder + picture.File));
        EXPECT_EQ(decoded.Width(), picture.Width);
        EXPECT_EQ(decoded.Height(), picture.Height);
    }
    // The start-up names as the main window loads them, through the image
    // table: all 66 are there with their pictures.
    ASSERT_EQ(TfrmMainDLMR1::NamedImageCount(), 66);
    for (int32_t i = 0; i < TfrmMainDLMR1::NamedImageCount(); ++i) {
        SCOPED_TRACE(TfrmMainDLMR1::NamedImageFile(i));
        EXPECT_EQ(files.count(TfrmMainDLMR1::NamedImageFile(i)), 1u);
        plat::TImage* image = ImageTable.GetImage(TfrmMainDLMR1::NamedImageName(i), true);
        ASSERT_NE(image, nullptr);
        const TNProgramPicture* picture = FindProgramPicture(TfrmMainDLMR1::NamedImageFile(i));
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(image->Picture().Width(), picture->Width);
        EXPECT_EQ(image->Picture().Height(), picture->Height);
    }
}

TEST_F(ProgramFilesTest, EverySoundIsShortMonoSixteenBitPcmAtTheProgramsRate)
{
    ASSERT_EQ(TNSoundTable::SoundFileCount(), 6);
    for (int32_t i = 0; i < TNSoundTable::SoundFileCount(); ++i) {
        const std::string path = kProgramFolder + "Sounds/" + TNSoundTable::SoundFile(i);
        SCOPED_TRACE(path);
        plat::SoundImage image = TNSoundTable::LoadWaveFromFile(path);
        ASSERT_NE(image, nullptr);
        std::string refusal;
        const std::optional<plat::WaveClip> clip = plat::ParseWave(*image, refusal);
        ASSERT_TRUE(clip.has_value()) << refusal;
        EXPECT_EQ(clip->format, (plat::WaveFormat{1, 16, 22050}));
        const double seconds = static_cast<double>(clip->dataSize) / clip->format.BytesPerFrame() / 22050.0;
        EXPECT_GE(seconds, 0.2);
        EXPECT_LE(seconds, 1.5);
        // Heard, not silence: the loudest sample reaches a tenth of full scale.
        int peak = 0;
        for (size_t at = clip->dataOffset; at + 1 < clip->dataOffset + clip->dataSize; at += 2) {
            const auto sample = static_cast<int16_t>((*image)[at] | ((*image)[at + 1] << 8));
            peak = std::max(peak, std::abs(static_cast<int>(sample)));
        }
        EXPECT_GT(peak, 3276);
    }
}

TEST_F(ProgramFilesTest, TheWindowAndTheTrayShowTheLogoAndTheTrayBlinksToAVisiblyDifferentFrame)
{
    EXPECT_EQ(plat::testing::WindowIconSize(Main()), 64);
    plat::TImageList& icons = *Main().imagelistAction;
    ASSERT_GE(icons.Count(), kActionPictureCount);
    plat::TBitmap normal;
    plat::TBitmap blink;
    icons.GetBitmap(App.TrayIconNormal, normal);
    icons.GetBitmap(App.TrayIconBlink, blink);
    int differing = 0;
    std::set<plat::TColor> colours;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            colours.insert(normal.Canvas().Pixel(x, y));
            differing += normal.Canvas().Pixel(x, y) != blink.Canvas().Pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(colours.size(), 2u) << "the logo is drawn, not one flat colour";
    EXPECT_GT(differing, 16 * 16 / 3) << "the blink frame is not the logo again";
}

TEST_F(ProgramFilesTest, TheHeaderAt1000PixelsShowsItsIcons)
{
    ShowHeader(1000);
    ASSERT_EQ(Main().pHeader->Width(), 1000);
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pHeader, Golden("header_1000.png"), Output()));
}

TEST_F(ProgramFilesTest, TheLoginPageShowsTheLogo)
{
    Settle();
    ASSERT_NE(Main().Image1->Picture().Graphic(), nullptr);
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pLogin, Golden("login_page.png"), Output()));
}

TEST_F(ProgramFilesTest, TheNarrowControlBarShowsAllSixPageIcons)
{
    SignIn(800);
    View.ResizeMainForm();
    plat::testing::Flush();
    ASSERT_EQ(Main().pControl->Height(), 64);
    for (const char* name : {"btnControlHomepage", "btnControlCalendar", "btnControlTasks", "btnControlNotes",
                             "btnControlPages", "btnControlSearch"}) {
        const plat::TImage* icon = View.GetComponent(name)->Images[1].Get();
        ASSERT_NE(icon, nullptr) << name;
        EXPECT_EQ(icon->Picture().Width(), 28) << name;
    }
    EXPECT_TRUE(plat::testing::MatchesGolden(*Main().pControl, Golden("control_bar_narrow.png"), Output()));
}

// A program folder with every built file but the bell.
class MissingBellTest : public ProgramFilesTest {
protected:
    std::string ProgramFolder() const override
    {
        fs::copy(kProgramFolder + "images", program_.Path() + "images", fs::copy_options::recursive);
        fs::copy(kProgramFolder + "Sounds", program_.Path() + "Sounds", fs::copy_options::recursive);
        fs::remove(program_.Path() + "images/bell-24x24.png");
        return program_.Path();
    }
    testing_support::ScratchFolder program_;
};

TEST_F(MissingBellTest, IsLoggedOnceByNameAndTheHeaderIsStillDrawn)
{
    ShowHeader(1000);
    const int bellLinesAtStart = Occurrences(AllLogLines(), "imgBell24");
    // The header lays out and repaints more than once: nothing more is said.
    for (int i = 0; i < 3; ++i) {
        Main().ResizeHeaderComponents();
        plat::testing::Render(*Main().pHeader);
    }
    OpenAlertWindows();
    const std::string log = AllLogLines();
    EXPECT_EQ(Occurrences(log, "bell-24x24.png"), 1) << log;
    EXPECT_EQ(Occurrences(log, "imgBell24"), bellLinesAtStart) << log;
    EXPECT_EQ(Occurrences(log, "EXCEPTION"), 0) << log;
    EXPECT_EQ(Occurrences(log, "dalmora-64x64.png"), 0) << log;
    // The rest of the header stands where it stood: the bell's place is
    // empty, the menu's icon is drawn.
    const plat::TPanel* menu = View.GetComponent("btnHeaderMenu")->Panel.Get();
    std::set<plat::TColor> colours;
    for (int x = 0; x < menu->Width(); ++x)
        colours.insert(plat::testing::Probe(*Main().pHeader, menu->Left() + x, menu->Top() + menu->Height() / 2));
    EXPECT_GT(colours.size(), 1u);
}

// A program folder without any picture or sound.
class NoProgramFilesTest : public ProgramFilesTest {
protected:
    std::string ProgramFolder() const override { return program_.Path(); }
    testing_support::ScratchFolder program_;
};

TEST_F(NoProgramFilesTest, TheStartAndTheAlertWindowsLogEachMissingFileOnceAndNoException)
{
    ShowHeader(1000);
    OpenAlertWindows();
    for (int32_t slot = 0; slot < TfrmMainDLMR1::kNotPoolSize; ++slot)
        EXPECT_EQ(Main().notSlots[slot].Window->imgPicture->Picture().Graphic(), nullptr);
    const std::string log = AllLogLines();
    EXPECT_EQ(Occurrences(log, "EXCEPTION"), 0) << log;
    EXPECT_EQ(Occurrences(log, "images/dalmora-64x64.png"), 1) << log;
    EXPECT_EQ(Occurrences(log, "images/bell-24x24.png"), 1) << log;
    EXPECT_EQ(Occurrences(log, "Sounds/pim_alert.wav"), 1) << log;
}

} // namespace
} // namespace shell_test
