#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/globals.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "platform/core/file.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/date_picker.h"
#include "platform/gui/edit.h"
#include "platform/gui/edit_operations.h"
#include "platform/gui/form.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/screen.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace plat {
namespace {

class EditCommands : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        FoundationHooks.ActiveControlClass = &ActiveControlClassName;
        FoundationHooks.EditActiveControl = &EditActiveControl;
        form.reset(new TForm);
        form->Show();
    }
    void TearDown() override
    {
        FoundationHooks = TNFoundationHooks{};
        OffscreenGuiTest::TearDown();
    }
    template <typename T> T* Focused()
    {
        auto* control = new T(form.get());
        control->SetParent(form.get());
        control->SetFocus();
        return control;
    }

    TOwned<TForm> form;
};

TEST_F(EditCommands, EachCommandActsOnTheClassesItServes)
{
    using Command = bool (*)(void*);
    struct Case {
        const char* name;
        Command command;
        const char* start;
        const char* clipboardAfter;
        const char* textAfter;
    };
    // The text starts with "cd" selected in "abcdef"; the clipboard holds "Z".
    const Case cases[] = {
        {"copy", &TNCommon::KopirujDoSchranky, "abcdef", "cd", "abcdef"},
        {"cut", &TNCommon::VyjmiDoSchranky, "abcdef", "cd", "abef"},
        {"paste", &TNCommon::VlozZeSchranky, "abcdef", "Z", "abZef"},
        {"delete the selection", &TNCommon::SmazVyber, "abcdef", "Z", "abef"},
    };
    for (const char* className : {"TEdit", "TMemo", "TComboBox"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(className) + " " + c.name);
            TCustomEdit* edit = nullptr;
            if (std::string(className) == "TEdit")
                edit = Focused<TFlatEdit>();
            else if (std::string(className) == "TMemo")
                edit = Focused<TRichEdit>();
            else
                edit = Focused<TFlatComboBox>();
            edit->SetText(c.start);
            edit->SetSelStart(2);
            edit->SetSelLength(2);
            Clipboard::SetText("Z");
            EXPECT_TRUE(c.command(form.get()));
            EXPECT_EQ(Clipboard::Text(), c.clipboardAfter);
            EXPECT_EQ(edit->Text(), c.textAfter);
            edit->Free();
        }
    }

    auto* edit = Focused<TEdit>();
    testing::TypeText(*edit, "ab");
    EXPECT_TRUE(TNCommon::Zpet(form.get()));
    EXPECT_NE(edit->Text(), "ab");
    edit->SetText("xyz");
    EXPECT_TRUE(TNCommon::VyberVse(form.get()));
    EXPECT_EQ(edit->SelLength(), 3);

    // A combo box takes no undo; a list box only select-all; a date picker
    // only copy and cut.
    auto* combo = Focused<TFlatComboBox>();
    EXPECT_FALSE(TNCommon::Zpet(form.get()));
    auto* list = Focused<TListBox>();
    list->SetMultiSelect(true);
    list->SetItems({"a", "b"});
    EXPECT_FALSE(TNCommon::KopirujDoSchranky(form.get()));
    EXPECT_TRUE(TNCommon::VyberVse(form.get()));
    EXPECT_TRUE(list->Selected(0) && list->Selected(1));
    Focused<TDateTimePicker>()->SetDate(2024, 1, 1);
    EXPECT_TRUE(TNCommon::KopirujDoSchranky(form.get()));
    EXPECT_EQ(Clipboard::Text(), " po 01. ledna 2024");
    EXPECT_FALSE(TNCommon::VlozZeSchranky(form.get()));
    (void)combo;
}

TEST_F(EditCommands, CzechTextRoundTripsThroughTheClipboard)
{
    auto* edit = Focused<TEdit>();
    const std::string prilis = "P\xF8\xED\x9Ali\x9A"; // "Příliš" in CP1250
    edit->SetText(prilis);
    edit->SelectAll();
    ASSERT_TRUE(TNCommon::VyjmiDoSchranky(form.get()));
    EXPECT_EQ(edit->Text(), "");
    ASSERT_TRUE(TNCommon::VlozZeSchranky(form.get()));
    EXPECT_EQ(edit->Text(), prilis);
    EXPECT_EQ(Clipboard::Text(), prilis);
}

TEST_F(EditCommands, WithoutAnActiveControlEachLogsItsName)
{
    const std::string folder = std::string(DALMORA_BINARY_DIR) + "edit-commands-log/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const TNAppInfo saved = App;
    App.WriteLog = 1;
    App.IsDev = 0;
    ASSERT_TRUE(SetLogDir(folder.c_str()));
    ASSERT_TRUE(SetLogMutexName("editCommandsLog"));
    TOwned<TForm> empty(new TForm);
    for (auto command : {&TNCommon::Zpet, &TNCommon::KopirujDoSchranky, &TNCommon::VyjmiDoSchranky,
                         &TNCommon::VlozZeSchranky, &TNCommon::SmazVyber, &TNCommon::VyberVse})
        EXPECT_FALSE(command(empty.get()));
    SetLogDir("");
    App = saved;
    std::string log;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path());
        std::stringstream text;
        text << file.rdbuf();
        log += text.str();
    }
    for (const char* name : {"Zpet", "KopirujDoSchranky", "VyjmiDoSchranky", "VlozZeSchranky", "SmazVyber", "VyberVse"})
        EXPECT_NE(log.find(std::string("[TNCommon::") + name + "] No Form->ActiveControl defined!"), std::string::npos)
            << name << "\n"
            << log;
}

} // namespace
} // namespace plat
