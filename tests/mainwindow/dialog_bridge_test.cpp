#include "dialog/unidlg.h"
#include "foundation/app_info.h"
#include "foundation/program_start.h"
#include "mainwindow/dialog_bridge.h"
#include "platform/core/bus_client.h"
#include "platform/gui/form_bus.h"
#include "platform/gui/label.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "tests/gui/gui_test_support.h"
#include "tests/mainwindow/shell_fixture.h"

#include <filesystem>
#include <future>
#include <stdexcept>

namespace shell_test {
namespace {

// A dialog that records what it was given and answers as told.
class RecordingDialog final : public TNUniDialogForm {
public:
    RecordingDialog() : TNUniDialogForm(nullptr) { ++made; }
    ~RecordingDialog() override { ++freed; }
    const char* ClassName() const override { return "RecordingDialog"; }
    bool AktivujDialog() override
    {
        last = this;
        lastParams.assign(Params, Params + 8);
        lastKey = Key;
        if (during)
            during(*this);
        if (throws)
            throw std::runtime_error("page failed");
        return answer;
    }

    static inline int made = 0;
    static inline int freed = 0;
    static inline bool answer = true;
    static inline bool throws = false;
    static inline RecordingDialog* last = nullptr;
    static inline std::vector<int32_t> lastParams;
    static inline std::string lastKey;
    static inline std::function<void(RecordingDialog&)> during;
};

class DialogBridgeTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        RecordingDialog::made = RecordingDialog::freed = 0;
        RecordingDialog::answer = true;
        RecordingDialog::throws = false;
        RecordingDialog::during = nullptr;
        SetUniDialogFactory([]() -> TNUniDialogForm* { return new RecordingDialog(); });
        // Every modal dialog closes itself at once.
        Script([](plat::TForm& form) { form.SetModalResult(plat::mrOk); });
        Main().Show();
    }
    void TearDown() override
    {
        modal_.reset();
        SetUniDialogFactory(nullptr);
        ShellTest::TearDown();
    }
    // One script at a time: the old one goes before the new one is set.
    void Script(std::function<void(plat::TForm&)> script)
    {
        modal_.reset();
        modal_ = std::make_unique<plat::testing::ScopedModalScript>(std::move(script));
    }
    int32_t Open(int32_t p6 = 0) { return Main().UniDialog("Proxy", nullptr, 1, 2, 3, 4, 5, p6, 7, 8); }

    std::unique_ptr<plat::testing::ScopedModalScript> modal_;
};

TEST_F(DialogBridgeTest, TheServerPositionIsClampedAndTheOthersPassUnchanged)
{
    for (int32_t p6 : {-1, App.PimServersCount, 0}) {
        SCOPED_TRACE(p6);
        EXPECT_EQ(Open(p6), 0);
        EXPECT_EQ(RecordingDialog::lastParams, (std::vector<int32_t>{1, 2, 3, 4, 5, 0, 7, 8}));
        EXPECT_EQ(RecordingDialog::lastKey, "Proxy");
    }
    EXPECT_EQ(RecordingDialog::made, RecordingDialog::freed);
    EXPECT_EQ(Main().DialogDepth(), 0);
    EXPECT_EQ(frmUnidlgDLMR1[0], nullptr);
}

TEST_F(DialogBridgeTest, The33rdNestedDialogIsRefusedWithoutAWindow)
{
    int32_t deepest = -2;
    int32_t refused = -2;
    RecordingDialog::during = [&](RecordingDialog& dialog) {
        if (dialog.SlotIndex < 31) {
            Open();
        } else {
            deepest = dialog.SlotIndex;
            const int before = RecordingDialog::made;
            refused = Open();
            EXPECT_EQ(RecordingDialog::made, before) << "no form for the refused one";
        }
    };
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(deepest, 31);
    EXPECT_EQ(refused, -1);
    ASSERT_EQ(boxes_->boxes.size(), 1u);
    EXPECT_EQ(boxes_->boxes[0].text, "Dialogové okno se nepodařilo otevřít!");
    EXPECT_EQ(boxes_->boxes[0].caption, "CHYBA");
    EXPECT_EQ(boxes_->boxes[0].flags & 0xF0, 0x10u);
    EXPECT_EQ(Main().DialogDepth(), 0);
}

TEST_F(DialogBridgeTest, AThrowingPageLeavesTheSlotFreeTheCountZeroAndTheDefaultCursor)
{
    RecordingDialog::throws = true;
    EXPECT_EQ(Open(), -1);
    EXPECT_EQ(Main().DialogDepth(), 0);
    EXPECT_EQ(frmUnidlgDLMR1[0], nullptr);
    EXPECT_EQ(plat::Screen::Cursor(), plat::crDefault);
    EXPECT_EQ(RecordingDialog::freed, 1);
    RecordingDialog::throws = false;
    EXPECT_EQ(Open(), 0) << "the bridge still opens dialogs";
}

TEST_F(DialogBridgeTest, OnlyTheOutermostDialogBringsTheMainWindowBack)
{
    RecordingDialog::during = [&](RecordingDialog& dialog) {
        if (dialog.SlotIndex == 0)
            Open();
    };
    Open();
    EXPECT_EQ(LogCount("[UniDialog][BringToFront][A]"), 1);

    // A page that answers false is never shown; the window still comes back.
    RecordingDialog::during = nullptr;
    RecordingDialog::answer = false;
    int shown = 0;
    Script([&](plat::TForm& form) {
        ++shown;
        form.SetModalResult(plat::mrOk);
    });
    Open();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(LogCount("[UniDialog][BringToFront][A]"), 2);
}

TEST_F(DialogBridgeTest, MainWindowTimersTickDuringAModalDialog)
{
    int ticks = 0;
    auto* timer = new plat::TTimer(&Main());
    timer->SetInterval(50);
    timer->OnTimer = [&](plat::TComponent*) { ++ticks; };
    timer->SetEnabled(true);
    Script([&](plat::TForm& form) {
        timers_->Advance(50);
        timers_->Advance(50);
        form.SetModalResult(plat::mrOk);
    });
    Open();
    EXPECT_EQ(ticks, 2);
}

TEST_F(DialogBridgeTest, TheMessageBoxOpensTheMBPageWithItsTextCaptionAndFlags)
{
    std::string caption;
    std::string text;
    RecordingDialog::during = [&](RecordingDialog&) {
        caption = MessageBoxFields.Caption;
        text = MessageBoxFields.Text;
        MessageBoxFields.Result = 1;
    };
    MessageBoxFields.Result = 7;
    EXPECT_EQ(Main().MB("Uloženo.", "Informace", 0x30), 1);
    EXPECT_EQ(RecordingDialog::lastKey, "MB");
    EXPECT_EQ(RecordingDialog::lastParams, (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 0x30}));
    EXPECT_EQ(caption, "Informace");
    EXPECT_EQ(text, "Uloženo.");

    // A page that is not shown leaves the result cleared.
    RecordingDialog::during = nullptr;
    RecordingDialog::answer = false;
    EXPECT_EQ(Main().MB("Text", "Titulek", 0), 0);
}

TEST_F(DialogBridgeTest, TheParentIndexIsTheSlotOfTheDialogThatIsOrHoldsTheSender)
{
    std::vector<int32_t> parents;
    RecordingDialog::during = [&](RecordingDialog& dialog) {
        parents.push_back(dialog.CallerTag);
        if (dialog.SlotIndex == 0) {
            Main().UniDialog("Proxy", &dialog, 0, 0, 0, 0, 0, 0, 0, 0);
        } else if (dialog.SlotIndex == 1) {
            auto* control = new plat::TLabel(&dialog);
            control->SetTag(5);
            Main().UniDialog("Proxy", control, 0, 0, 0, 0, 0, 0, 0, 0);
            // The main window and its controls read as no dialog.
            Main().MB("Text", "Titulek", 0);
        }
    };
    Main().SetTag(0);
    Main().UniDialog("Proxy", &Main(), 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(parents, (std::vector<int32_t>{-1, 0, 1, -1}));
}

} // namespace
} // namespace shell_test

namespace shell_test {
namespace {

TEST_F(DialogBridgeTest, ASecondCopyGetsOneFromTheOpenDialogAndFromTheMainWindow)
{
    const std::string runtime = home_.Path() + "run";
    ASSERT_TRUE(std::filesystem::create_directories(runtime));
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    const char* oldRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string restoreRuntime = oldRuntime != nullptr ? oldRuntime : "";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    Main().ExportOnBus(App.MainWindowClass);
    ASSERT_TRUE(plat::FormBus::Start(Loop()));
    InstallUniversalDialog();

    std::vector<int64_t> answers;
    Script([&](plat::TForm& form) {
        auto asked = std::async(std::launch::async, [] {
            std::vector<int64_t> results;
            for (const char* windowClass : {kUniversalDialogClass, static_cast<const char*>(App.MainWindowClass)}) {
                for (const plat::BusWindow& window : plat::ListBusWindows(windowClass)) {
                    int64_t result = 0;
                    if (plat::SendBusMessage(window, kRestoreMainWindowMessage, 0, 0, 5000, result) ==
                        plat::BusSendResult::Answered)
                        results.push_back(result);
                }
            }
            return results;
        });
        EXPECT_TRUE(plat::testing::RunUntil(
            [&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
        answers = asked.get();
        form.SetModalResult(plat::mrOk);
    });
    Main().MB("Text", "Titulek", 0);
    EXPECT_EQ(answers, (std::vector<int64_t>{1, 1}));
    plat::FormBus::Stop();
    if (restoreRuntime.empty())
        unsetenv("XDG_RUNTIME_DIR");
    else
        setenv("XDG_RUNTIME_DIR", restoreRuntime.c_str(), 1);
}

} // namespace
} // namespace shell_test
