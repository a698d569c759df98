#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/form.h"
#include "platform/gui/gui_main_loop.h"
#include "platform/gui/main_thread.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/picture.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_seams.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat {
namespace {

class Forms : public testing::OffscreenGuiTest {};

// A form that logs its events by name.
class LoggingForm : public TForm {
public:
    LoggingForm(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log)
    {
        OnActivate = [this](TComponent*) { log_.push_back(name_ + ".activate"); };
        OnDeactivate = [this](TComponent*) { log_.push_back(name_ + ".deactivate"); };
    }
    LRESULT Dispatch(TMessageId message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_ACTIVATE)
            log_.push_back(name_ + ".WM_ACTIVATE " + std::to_string(wParam));
        return TForm::Dispatch(message, wParam, lParam);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

TEST_F(Forms, NestedModalFormsCloseLastInFirstOut)
{
    TOwned<TForm> first(new TForm);
    TOwned<TForm> second(new TForm);
    TOwned<TForm> third(new TForm);
    std::vector<std::string> returned;
    testing::ScopedModalScript script([&](TForm& shown) {
        if (&shown == first.get()) {
            returned.push_back("second " + std::to_string(second->ShowModal()));
            shown.SetModalResult(mrOk);
        } else if (&shown == second.get()) {
            returned.push_back("third " + std::to_string(third->ShowModal()));
            // Still modal beneath the third until the third returned.
            EXPECT_TRUE(first->Modal());
            shown.SetModalResult(mrYes);
        } else {
            shown.SetModalResult(mrNo);
        }
    });
    returned.push_back("first " + std::to_string(first->ShowModal()));
    EXPECT_EQ(returned, (std::vector<std::string>{"third 7", "second 6", "first 1"}));
    EXPECT_FALSE(first->Visible());
    EXPECT_FALSE(third->Visible());
}

TEST_F(Forms, ModalCloseAsksOncePerAttemptWithoutRecursion)
{
    TOwned<TForm> dialog(new TForm);
    std::vector<std::string> log;
    int queries = 0;
    dialog->OnCloseQuery = [&](TComponent*, bool& canClose) {
        ++queries;
        log.push_back("query");
        // What a dialog's own close button does: Close again, from inside.
        dialog->Close();
        canClose = queries > 1;
    };
    dialog->OnClose = [&](TComponent*, TCloseAction& action) {
        log.push_back("close");
        EXPECT_EQ(action, TCloseAction::caHide);
    };
    testing::ScopedModalScript script([&](TForm& shown) {
        shown.Close();
        EXPECT_EQ(shown.ModalResult(), mrCancel);
        EXPECT_EQ(queries, 0);
        // The loop asks once the script's event is over; the refusal keeps
        // the form, and the next attempt asks again.
        RunOnMainThread([&] {
            EXPECT_EQ(queries, 1);
            EXPECT_EQ(shown.ModalResult(), mrNone);
            EXPECT_TRUE(shown.Visible());
            shown.Close();
        });
    });
    EXPECT_EQ(dialog->ShowModal(), mrCancel);
    EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "close"}));
    EXPECT_FALSE(dialog->Visible());
}

TEST_F(Forms, WhileModalTheOpenerTakesNoInputAndIsActivatedAfter)
{
    std::vector<std::string> log;
    TOwned<LoggingForm> opener(new LoggingForm("opener", log));
    auto* panel = new TPanel(opener.get());
    panel->SetParent(opener.get());
    panel->SetBounds(0, 0, 100, 100);
    int clicks = 0;
    panel->OnClick = [&](TComponent*) { ++clicks; };
    opener->Show();
    testing::Flush();
    testing::MouseClick(*panel, 10, 10);
    ASSERT_EQ(clicks, 1);

    TOwned<LoggingForm> dialog(new LoggingForm("dialog", log));
    log.clear();
    testing::ScopedModalScript script([&](TForm& shown) {
        testing::MouseClick(*panel, 10, 10);
        shown.SetModalResult(mrOk);
    });
    dialog->ShowModal();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"opener.WM_ACTIVATE 0", "opener.deactivate", "dialog.WM_ACTIVATE 1",
                                             "dialog.activate", "dialog.WM_ACTIVATE 0", "dialog.deactivate",
                                             "opener.WM_ACTIVATE 1", "opener.activate"}));
    EXPECT_EQ(Application::ActiveForm(), opener.get());
}

TEST_F(Forms, AnotherProgramTakingTheActivationReachesOnlyTheMessageHook)
{
    std::vector<std::string> log;
    TOwned<LoggingForm> form(new LoggingForm("form", log));
    form->Show();
    ASSERT_TRUE(testing::RunUntil([&] { return testing::WindowIsActive(*form); }));
    log.clear();
    testing::SimulateOtherProgramActivated();
    EXPECT_EQ(log, (std::vector<std::string>{"form.WM_ACTIVATE 0"}));
    EXPECT_EQ(Application::ActiveForm(), form.get());
}

TEST_F(Forms, ShowingAndActivatingAgainGivesEveryChangeAtOnce)
{
    std::vector<std::string> log;
    TOwned<LoggingForm> main(new LoggingForm("main", log));
    TOwned<LoggingForm> alert(new LoggingForm("alert", log));
    main->Show();
    log.clear();
    // Remember the active window, show, activate it again.
    alert->Show();
    main->Activate();
    EXPECT_EQ(log, (std::vector<std::string>{"main.WM_ACTIVATE 0", "main.deactivate", "alert.WM_ACTIVATE 1",
                                             "alert.activate", "alert.WM_ACTIVATE 0", "alert.deactivate",
                                             "main.WM_ACTIVATE 1", "main.activate"}));
    log.clear();
    testing::Flush();
    EXPECT_EQ(log, std::vector<std::string>{});
    alert->BringToFront();
    EXPECT_EQ(Application::ActiveForm(), alert.get());
}

TEST_F(Forms, NonModalCloseRunsQueryCloseAndItsAction)
{
    struct Case {
        const char* name;
        bool canClose;
        TCloseAction action;
        bool visibleAfter;
        bool aliveAfter;
    };
    const Case cases[] = {
        {"refused", false, TCloseAction::caHide, true, true},
        {"hide", true, TCloseAction::caHide, false, true},
        {"none", true, TCloseAction::caNone, true, true},
        {"free", true, TCloseAction::caFree, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* form = new TForm;
        TWeakRef<TForm> weak(form);
        std::vector<std::string> log;
        form->OnCloseQuery = [&](TComponent*, bool& canClose) {
            log.push_back("query");
            canClose = c.canClose;
        };
        form->OnClose = [&](TComponent*, TCloseAction& action) {
            log.push_back("close");
            action = c.action;
        };
        form->OnHide = [&](TComponent*) { log.push_back("hide"); };
        form->Show();
        {
            DispatchScope event;
            form->Perform(WM_CLOSE, 0, 0);
            // Freed only once the event is over.
            EXPECT_TRUE(weak || !c.aliveAfter);
        }
        std::vector<std::string> expected{"query"};
        if (c.canClose)
            expected.push_back("close");
        if (!c.visibleAfter && c.aliveAfter)
            expected.push_back("hide");
        if (c.aliveAfter) {
            EXPECT_EQ(log, expected);
        }
        EXPECT_EQ(static_cast<bool>(weak), c.aliveAfter);
        if (weak) {
            EXPECT_EQ(weak->Visible(), c.visibleAfter);
            weak->Free();
        }
    }
}

TEST_F(Forms, EnterAndEscapeClickTheRightButton)
{
    struct Case {
        const char* name;
        int key;
        const char* focus;
        const char* cancelPlace;
        const char* clicked;
    };
    const Case cases[] = {
        {"Enter in an edit-like panel clicks Default", 0x0D, "other", "visible", "ok"},
        {"Enter on another button clicks that one", 0x0D, "other button", "visible", "other button"},
        {"Enter in an edit clicks Default", 0x0D, "edit", "visible", "ok"},
        {"Enter in a memo that wants returns clicks nothing", 0x0D, "memo", "visible", ""},
        {"Esc in a memo clicks Cancel", 0x1B, "memo", "visible", "cancel"},
        {"Enter on a flat button clicks that one", 0x0D, "flat button", "visible", "flat button"},
        {"Esc on a flat button clicks Cancel", 0x1B, "flat button", "visible", "cancel"},
        {"Esc clicks a visible Cancel", 0x1B, "other", "visible", "cancel"},
        {"Esc clicks an off-screen Cancel", 0x1B, "other", "off-screen", "cancel"},
        {"Esc ignores a hidden Cancel", 0x1B, "other", "hidden", ""},
        {"Esc ignores a disabled Cancel", 0x1B, "other", "disabled", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOwned<TForm> form(new TForm);
        std::string clicked;
        auto button = [&](const char* name, int left) {
            auto* b = new TButton(form.get());
            b->SetParent(form.get());
            b->SetBounds(left, 10, 60, 25);
            b->OnClick = [&clicked, name](TComponent*) { clicked = name; };
            return b;
        };
        TButton* ok = button("ok", 10);
        ok->SetDefault(true);
        TButton* cancel = button("cancel", 80);
        cancel->SetCancel(true);
        TButton* other = button("other button", 150);
        auto* panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(10, 50, 60, 25);
        panel->SetTabStop(true);
        auto* flat = new TFlatButton(form.get());
        flat->SetParent(form.get());
        flat->SetBounds(80, 50, 60, 25);
        flat->OnClick = [&clicked](TComponent*) { clicked = "flat button"; };
        auto* edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 90, 60, 23);
        auto* memo = new TMemo(form.get());
        memo->SetParent(form.get());
        memo->SetBounds(80, 90, 60, 40);
        memo->SetWantReturns(true);
        const std::string place = c.cancelPlace;
        if (place == "off-screen")
            cancel->SetBounds(-256, -256, 60, 25);
        else if (place == "hidden")
            cancel->Hide();
        else if (place == "disabled")
            cancel->SetEnabled(false);
        form->Show();
        const std::string focusName = c.focus;
        TWinControl* focus = panel;
        if (focusName == "other button")
            focus = other;
        else if (focusName == "flat button")
            focus = flat;
        else if (focusName == "edit")
            focus = edit;
        else if (focusName == "memo")
            focus = memo;
        focus->SetFocus();
        testing::TapKey(*focus, c.key);
        EXPECT_EQ(clicked, c.clicked);
    }
}

TEST_F(Forms, TheVerticalScrollBarMovesTheChildren)
{
    TOwned<TForm> form(new TForm);
    form->SetBounds(0, 0, 300, 200);
    auto* header = new TPanel(form.get());
    header->SetParent(form.get());
    header->SetAlign(TAlign::alTop);
    header->SetHeight(20);
    auto* tall = new TPanel(form.get());
    tall->SetParent(form.get());
    tall->SetBounds(0, 20, 100, 480);
    form->Show();
    EXPECT_EQ(form->VertScrollRange(), 500);
    form->SetVertScrollPosition(1000);
    EXPECT_EQ(form->VertScrollPosition(), 300);
    EXPECT_EQ(tall->Top(), -280);
    EXPECT_EQ(header->Top(), 0) << "aligned children stay";
    EXPECT_EQ(header->Width(), 300 - 17) << "the bar narrows the aligned area";
    form->SetVertScrollPosition(0);
    EXPECT_EQ(tall->Top(), 20);
    tall->SetHeight(100);
    form->SetVertScrollPosition(50);
    EXPECT_EQ(form->VertScrollPosition(), 0) << "nothing to scroll";
}

TEST_F(Forms, IconsShowInTheWindowTitle)
{
    TOwned<TForm> form(new TForm);
    TPicture icon;
    icon.LoadFromFile(DALMORA_TEST_DATA_DIR "sample.png");
    form->SetIcon(*icon.Graphic());
    EXPECT_EQ(testing::WindowIconSize(*form), icon.Width());
    form->SetIcon(TGraphic());
    EXPECT_EQ(testing::WindowIconSize(*form), 0);
}

TEST_F(Forms, ClosingTheMainFormEndsTheMainLoop)
{
    TOwned<TForm> form(new TForm);
    TForm* previous = Application::MainForm();
    Application::SetMainForm(form.get());
    form->Show();
    GuiMainLoop loop;
    RunOnMainThread([&] { form->Perform(WM_CLOSE, 0, 0); });
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_FALSE(form->Visible());
    Application::SetMainForm(previous);
}

} // namespace
} // namespace plat

namespace plat {
namespace {

TEST_F(Forms, AShownFormTakesANewPositionAndSizeTogether)
{
    TOwned<TForm> form(new TForm());
    form->Show();
    form->SetBounds(200, 300, 400, 500);
    EXPECT_EQ(form->Left(), 200);
    EXPECT_EQ(form->Top(), 300);
    EXPECT_EQ(form->Width(), 400);
    EXPECT_EQ(form->Height(), 500);
}

} // namespace
} // namespace plat
