#include "platform/gui/bitmap.h"
#include "platform/gui/canvas.h"
#include "platform/gui/form.h"
#include "platform/gui/image_list.h"
#include "platform/gui/internal/layer.h"
#include "platform/gui/menu.h"
#include "platform/gui/tray_icon.h"
#include "platform/testing/gui_seams.h"
#include "platform/testing/tray_host.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat {
namespace {

// A main form with a tray icon whose events are written down in order.
class TrayIconTest : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        previousMain_ = Application::MainForm();
        main_.reset(new TForm(nullptr));
        Application::SetMainForm(main_.get());
        tray_ = new TrayIcon(main_.get());
        tray_->OnMouseDown = [this](TComponent*, TMouseButton button, TShiftState, int, int) {
            events_.push_back(button == TMouseButton::mbLeft ? "down left" : "down other");
        };
        tray_->OnDblClick = [this](TComponent*) { events_.push_back("dblclick"); };
        SetLayerLog([this](const std::string& line) { log_.push_back(line); });
    }
    void TearDown() override
    {
        SetLayerLog(nullptr);
        main_.reset();
        Application::SetMainForm(previousMain_);
        OffscreenGuiTest::TearDown();
    }

    TForm* previousMain_ = nullptr;
    TOwned<TForm> main_;
    TrayIcon* tray_ = nullptr;
    std::vector<std::string> events_;
    std::vector<std::string> log_;
};

TEST_F(TrayIconTest, ClicksOnTheIconReachTheHandlersAndTheMenu)
{
    testing::ScopedTrayHost host;
    TPopupMenu* menu = new TPopupMenu(main_.get());
    TMenuItem* open = new TMenuItem(main_.get());
    open->SetName("pmnuShowApplication");
    open->SetCaption("Open");
    menu->Items()->Add(open);
    tray_->SetPopupMenu(menu);
    tray_->SetActive(true);
    ASSERT_TRUE(testing::ScopedTrayHost::Shows(*tray_));

    testing::ScopedTrayHost::Click(*tray_, TMouseButton::mbLeft);
    EXPECT_EQ(events_, (std::vector<std::string>{"down left"}));

    events_.clear();
    testing::ScopedTrayHost::DoubleClick(*tray_);
    EXPECT_EQ(events_, (std::vector<std::string>{"down left", "dblclick"}));

    testing::MenuRecorder recorder;
    testing::ScopedTrayHost::Click(*tray_, TMouseButton::mbRight);
    ASSERT_EQ(recorder.popups.size(), 1u);
    EXPECT_EQ(recorder.popups[0].menu, menu);
    EXPECT_EQ(recorder.popups[0].items, (std::vector<std::string>{"pmnuShowApplication"}));
    EXPECT_EQ(menu->PopupComponent(), tray_);
}

TEST_F(TrayIconTest, ShowsWhileActiveAndVisibleWithItsIconAndLiteralHint)
{
    testing::ScopedTrayHost host;
    TImageList icons(16, 16);
    TBitmap red;
    red.SetSize(16, 16);
    red.Canvas().Brush.Color = clRed;
    red.Canvas().FillRect(Rect(0, 0, 16, 16));
    icons.Add(red);
    tray_->SetIcons(&icons);
    tray_->SetIconIndex(0);
    // CP1250 in, UTF-8 shown.
    tray_->SetHint("<b>x</b>\nDruh\xFD \xF8\xE1"
                   "dek");

    EXPECT_FALSE(testing::ScopedTrayHost::Shows(*tray_));
    tray_->SetActive(true);
    EXPECT_TRUE(testing::ScopedTrayHost::Shows(*tray_));
    EXPECT_EQ(testing::ScopedTrayHost::ShownHint(*tray_), "<b>x</b>\nDruh\xC3\xBD \xC5\x99\xC3\xA1"
                                                          "dek");
    EXPECT_EQ(testing::ScopedTrayHost::IconWidth(*tray_), 16);
    tray_->SetIconVisible(false);
    EXPECT_FALSE(testing::ScopedTrayHost::Shows(*tray_));
    EXPECT_TRUE(tray_->Active());
    tray_->SetIconVisible(true);
    tray_->SetActive(false);
    EXPECT_FALSE(testing::ScopedTrayHost::Shows(*tray_));
}

TEST_F(TrayIconTest, WithAHostHidingHidesTheMainFormAndShowingRestoresIt)
{
    testing::ScopedTrayHost host;
    main_->Show();
    tray_->HideApplication();
    EXPECT_FALSE(main_->Visible());
    EXPECT_FALSE(testing::WindowIsShown(*main_));
    EXPECT_FALSE(tray_->ApplicationVisible());

    main_->SetWindowState(TWindowState::wsMinimized);
    tray_->ShowApplication();
    EXPECT_TRUE(main_->Visible());
    EXPECT_EQ(main_->WindowState(), TWindowState::wsNormal);
    EXPECT_TRUE(tray_->ApplicationVisible());
    EXPECT_TRUE(log_.empty());
}

TEST_F(TrayIconTest, WithoutAHostHidingMinimisesAndTheUsersRestoreShowsAgain)
{
    testing::ScopedTrayHost noHost(false);
    main_->Show();
    tray_->HideApplication();
    EXPECT_TRUE(main_->Visible());
    EXPECT_EQ(main_->WindowState(), TWindowState::wsMinimized);
    EXPECT_TRUE(testing::WindowIsMinimized(*main_));
    EXPECT_FALSE(tray_->ApplicationVisible());

    // The user restores the window through the window system.
    testing::UserRestoresWindow(*main_);
    EXPECT_TRUE(tray_->ApplicationVisible());
    EXPECT_EQ(main_->WindowState(), TWindowState::wsNormal);

    // Hidden by the program first: minimising alone would leave it out of
    // reach, so it shows minimised. The line is written once per run.
    main_->Hide();
    tray_->HideApplication();
    EXPECT_TRUE(main_->Visible());
    EXPECT_TRUE(testing::WindowIsMinimized(*main_));
    EXPECT_FALSE(tray_->ApplicationVisible());
    tray_->ShowApplication();
    EXPECT_TRUE(tray_->ApplicationVisible());
    EXPECT_FALSE(testing::WindowIsMinimized(*main_));
    // The only test that hides without a host: the line is written once per
    // run, whatever the number of hides.
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_NE(log_[0].find("[TrayIcon::HideApplication] No tray host"), std::string::npos);
}

} // namespace
} // namespace plat
