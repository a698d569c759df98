#include "platform/gui/check_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/form.h"
#include "platform/gui/memo.h"
#include "platform/gui/screen.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat {
namespace {

class Editors : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
        form->SetBounds(0, 0, 400, 300);
    }
    template <typename T> T* Add(int top)
    {
        auto* control = new T(form.get());
        control->SetParent(form.get());
        control->SetBounds(10, top, 150, control->Height());
        return control;
    }

    TOwned<TForm> form;
};

TEST_F(Editors, TextChangesNotifyAsTheTableSays)
{
    form->Show();
    auto* edit = Add<TEdit>(10);
    auto* memo = Add<TMemo>(40);
    auto* box = Add<TCheckBox>(140);
    int edits = 0;
    int memos = 0;
    int boxClicks = 0;
    edit->OnChange = [&](TComponent*) { ++edits; };
    memo->OnChange = [&](TComponent*) { ++memos; };
    box->OnClick = [&](TComponent*) { ++boxClicks; };

    struct Row {
        const char* name;
        std::function<void()> act;
        int edits;
        int memos;
        int boxClicks;
    };
    const Row rows[] = {
        {"edit text by code", [&] { edit->SetText("abc"); }, 1, 0, 0},
        {"the same edit text by code", [&] { edit->SetText("abc"); }, 0, 0, 0},
        {"typing into the edit", [&] { testing::TypeText(*edit, "xy"); }, 2, 0, 0},
        {"memo text by code", [&] { memo->SetText("a\r\nb"); }, 0, 1, 0},
        {"the same memo text by code", [&] { memo->SetText("a\r\nb"); }, 0, 0, 0},
        {"typing into the memo", [&] { testing::TypeText(*memo, "q"); }, 0, 1, 0},
        {"check box by code", [&] { box->SetChecked(true); }, 0, 0, 0},
        {"check box clicked", [&] { testing::MouseClick(*box, 5, 8); }, 0, 0, 1},
        {"check box by Space", [&] { testing::TapKey(*box, 0x20); }, 0, 0, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        edits = memos = boxClicks = 0;
        row.act();
        EXPECT_EQ(edits, row.edits);
        EXPECT_EQ(memos, row.memos);
        EXPECT_EQ(boxClicks, row.boxClicks);
    }
    // Text set by code puts the caret at the start.
    EXPECT_EQ(memo->Text(), "qa\r\nb");
    EXPECT_TRUE(box->Checked());
}

TEST_F(Editors, ATextSetInsideOnChangeNests)
{
    form->Show();
    auto* edit = Add<TEdit>(10);
    std::vector<std::string> log;
    edit->OnChange = [&](TComponent*) {
        const std::string text = edit->Text();
        log.push_back("begin " + text);
        if (text.size() > 3)
            edit->SetText("999");
        log.push_back("end " + text);
    };
    edit->SetFocus();
    testing::TypeText(*edit, "1500");
    EXPECT_EQ(log, (std::vector<std::string>{"begin 1", "end 1", "begin 15", "end 15", "begin 150", "end 150",
                                             "begin 1500", "begin 999", "end 999", "end 1500"}));
    EXPECT_EQ(edit->Text(), "999");
}

TEST_F(Editors, FocusMovesGiveExitThenEnter)
{
    auto* first = Add<TEdit>(10);
    auto* second = Add<TEdit>(40);
    auto* hidden = Add<TEdit>(70);
    hidden->Hide();
    std::vector<std::string> log;
    for (auto [edit, name] : {std::pair{first, "first"}, std::pair{second, "second"}, std::pair{hidden, "hidden"}}) {
        edit->OnEnter = [&log, name = std::string(name)](TComponent*) { log.push_back("enter " + name); };
        edit->OnExit = [&log, name = std::string(name)](TComponent*) { log.push_back("exit " + name); };
    }
    form->Show();
    first->SetFocus();
    testing::Flush();
    EXPECT_EQ(log, (std::vector<std::string>{"enter first"}));

    log.clear();
    testing::TapKey(*first, 0x09);
    EXPECT_EQ(log, (std::vector<std::string>{"exit first", "enter second"}));
    EXPECT_TRUE(second->Focused());

    log.clear();
    testing::MouseClick(*first, 5, 5);
    EXPECT_EQ(log, (std::vector<std::string>{"exit second", "enter first"}));

    log.clear();
    TOwned<TForm> other(new TForm);
    other->Show();
    testing::Flush();
    form->Activate();
    testing::Flush();
    EXPECT_EQ(log, std::vector<std::string>{});
    EXPECT_EQ(form->ActiveControl(), first);

    hidden->SetFocus();
    testing::Flush();
    EXPECT_EQ(log, std::vector<std::string>{});
    EXPECT_EQ(form->ActiveControl(), first);
}

TEST_F(Editors, KeysReachTheEventsAsWindowsNumbersAndCp1250)
{
    auto* edit = Add<TEdit>(10);
    auto* memo = Add<TMemo>(40);
    form->Show();

    int downs = 0;
    int ups = 0;
    memo->OnKeyDown = [&](TComponent*, uint16_t& key, TShiftState) { downs += key == 13; };
    memo->OnKeyUp = [&](TComponent*, uint16_t& key, TShiftState) { ups += key == 13; };
    memo->SetFocus();
    testing::SendKey(*memo, 0x0D, 0, true);
    for (int i = 0; i < 4; ++i) {
        testing::SendKey(*memo, 0x0D, 0, false, true);
        testing::SendKey(*memo, 0x0D, 0, true, true);
    }
    testing::SendKey(*memo, 0x0D, 0, false);
    EXPECT_EQ(downs, 5);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(memo->Text(), "\r\n\r\n\r\n\r\n\r\n");

    edit->SetFocus();
    edit->OnKeyDown = [](TComponent*, uint16_t& key, TShiftState) {
        if (key == 'A')
            key = 0;
    };
    testing::TapKey(*edit, 'A');
    testing::TapKey(*edit, 'B');
    EXPECT_EQ(edit->Text(), "b");

    std::vector<unsigned char> pressed;
    edit->OnKeyPress = [&](TComponent*, char& key) {
        pressed.push_back(static_cast<unsigned char>(key));
        if (key == 'x')
            key = 0;
        else if (key == 'q')
            key = 'Q';
    };
    testing::TypeText(*edit, "žxq");
    EXPECT_EQ(pressed, (std::vector<unsigned char>{0x9E, 'x', 'q'}));
    EXPECT_EQ(edit->Text(), "b\x9EQ");
}

TEST_F(Editors, EditPropertiesReadBack)
{
    UseFixedMetrics();
    TOwned<TEdit> edit(new TEdit(form.get()));
    EXPECT_EQ(edit->Height(), 23);
    edit->Font().SetSize(20);
    EXPECT_EQ(edit->Height(), 23) << "fixed metrics keep 15-px lines";
    edit->SetHeight(30);
    edit->Font().SetSize(8);
    EXPECT_EQ(edit->Height(), 30);
    EXPECT_STREQ(TFlatEdit(nullptr).ClassName(), "TFlatEdit");

    edit->SetParent(form.get());
    edit->SetMaxLength(4);
    edit->SetText("abcdef");
    EXPECT_EQ(edit->Text(), "abcd");
    edit->SetSelStart(1);
    edit->SetSelLength(2);
    EXPECT_EQ(edit->SelStart(), 1);
    EXPECT_EQ(edit->SelLength(), 2);
    EXPECT_EQ(edit->SelText(), "bc");
    edit->SetSelText("X");
    EXPECT_EQ(edit->Text(), "aXd");
    edit->SelectAll();
    edit->CutToClipboard();
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(Clipboard::Text(), "aXd");
    edit->Undo();
    EXPECT_EQ(edit->Text(), "aXd");
}

} // namespace
} // namespace plat
