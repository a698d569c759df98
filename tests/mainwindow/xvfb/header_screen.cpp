// Runs under Xvfb (CTest label "xvfb"): the header bar of a signed-in main
// window on a real X11 display at three widths, against golden images: the
// narrow bar without captions or find button, the middle one with "DL", and
// the wide one with the product's name, the search group and the user's
// two lines.
#include "mainwindow/header_layout.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "platform/gui/gui_application.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/mainwindow/shell_fixture.h"
#include "tests/mainwindow/xvfb/screen_support.h"
#include "view/image_table.h"
#include "view/view.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace shell_test {
namespace {

TEST(HeaderScreen, TheBarAtThreeWidthsMatchesItsGoldenImages)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X11 display";
    ASSERT_TRUE(XvfbReady());
    // Stand-in pictures for the header's icons, so that each shows.
    const std::string pictures = DALMORA_TEST_DATA_DIR "../../view/data/images/";
    const std::pair<const char*, const char*> icons[] = {
        {"imgHamburgerMenu24", "add-blue-circle.bmp"}, {"imgDalmora32", "add-green-circle.bmp"},
        {"imgSearch24", "add-blue-circle.bmp"},        {"imgBell24", "add-blue-circle.bmp"},
        {"imgAdd24", "add-green-circle.bmp"},          {"imgUserPhotoBlankHeader32", "add-green-circle.bmp"}};
    for (const auto& [name, file] : icons)
        ImageTable.LoadImageFromFile(name, (pictures + file).c_str());
    g.UpdateAccount([](TNAccount& account) {
        account.FirstName.Set("Alice");
        account.LastName.Set("Nováková");
    });

    plat::TOwned<TfrmMainDLMR1> window(new TfrmMainDLMR1(nullptr, std::make_unique<PageRecorder>()));
    plat::Application::SetMainForm(window.get());
    window->signedIn = 1;
    window->SetBounds(0, 0, 1000, 500);
    window->CreateControlComponents(window->pControl);
    window->Show();
    window->ShowOrHideWindowPartsForQuillor();
    window->ClickOnControlButton("btnControlHomepage");
    window->CreateHeaderComponents();
    ASSERT_TRUE(plat::testing::WaitUntilExposed(*window));

    const std::filesystem::path output(DALMORA_GUI_OUTPUT_DIR);
    std::filesystem::create_directories(output);
    for (int width : {380, 600, 1000}) {
        SCOPED_TRACE(width);
        window->SetBounds(0, 0, width, 500);
        View.ResizeMainForm();
        plat::testing::Flush();
        plat::testing::Render(*window);
        // The bar was laid out for its own width.
        const int32_t bar = window->pHeader->Width();
        EXPECT_LE(bar, width);
        EXPECT_EQ(View.GetComponent("btnHeaderLogo")->Label(2)->Caption(), HeaderLogoCaption(bar));
        const std::string golden = std::string(DALMORA_TEST_DATA_DIR) + "header_" + std::to_string(width) + ".png";
        EXPECT_TRUE(plat::testing::MatchesGolden(*window->pHeader, golden, output.string()));
        EXPECT_TRUE(
            plat::testing::SaveScreenshot((output / ("header_" + std::to_string(width) + "_screen.png")).string()));
    }
    window.reset();
    plat::testing::Flush();
}

} // namespace
} // namespace shell_test
