#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/font.h"
#include "platform/gui/form.h"
#include "platform/gui/label.h"
#include "platform/gui/memo.h"
#include "platform/gui/menu.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/testing/gui_seams.h"
#include "tests/gui/gui_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plat {
namespace {

class Menus : public testing::OffscreenGuiTest {
protected:
    void SetUp() override
    {
        OffscreenGuiTest::SetUp();
        form.reset(new TForm);
    }
    TMenuItem* Item(TMenuItem* parent, const std::string& name, const std::string& caption)
    {
        auto* item = new TMenuItem(form.get());
        item->SetName(name);
        item->SetCaption(caption);
        item->OnClick = [this, name](TComponent*) { log.push_back("click " + name); };
        parent->Add(item);
        return item;
    }

    TOwned<TForm> form;
    std::vector<std::string> log;
};

TEST_F(Menus, PopupIsRecordedAndTheChoiceRunsAfterIt)
{
    auto* menu = new TPopupMenu(form.get());
    Item(menu->Items(), "mnuA", "&Otevřít");
    Item(menu->Items(), "mnuSep", "-");
    Item(menu->Items(), "mnuHidden", "Skrytá")->SetVisible(false);
    Item(menu->Items(), "mnuAmp", "A && B");
    menu->OnPopup = [&](TComponent*) { log.push_back("OnPopup"); };
    testing::MenuRecorder recorder;
    recorder.choose = "mnuAmp";
    recorder.during = [&] { log.push_back("open"); };
    menu->Popup(300, 200);
    log.push_back("returned");
    testing::Flush();
    EXPECT_EQ(log, (std::vector<std::string>{"OnPopup", "open", "returned", "click mnuAmp"}));
    ASSERT_EQ(recorder.popups.size(), 1u);
    const PopupRecord& popup = recorder.popups[0];
    EXPECT_EQ(popup.x, 300);
    EXPECT_EQ(popup.left, 300);
    EXPECT_EQ(popup.y, 200);
    EXPECT_EQ(popup.items, (std::vector<std::string>{"mnuA", "mnuSep", "mnuAmp"}));
    EXPECT_EQ(popup.captions[2], "A & B");

    menu->SetAlignment(TPopupAlignment::paRight);
    recorder.choose.clear();
    menu->Popup(300, 200);
    const PopupRecord& right = recorder.popups[1];
    EXPECT_GT(right.width, 0);
    EXPECT_EQ(right.left + right.width, 300);
}

TEST_F(Menus, WithNobodyToAskNothingIsChosenAndOneLineLogged)
{
    std::vector<std::string> lines;
    SetLayerLog([&](const std::string& line) { lines.push_back(line); });
    auto* menu = new TPopupMenu(form.get());
    menu->SetName("popupTray");
    Item(menu->Items(), "mnuA", "A");
    menu->Popup(1, 1);
    testing::Flush();
    SetLayerLog(nullptr);
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("popupTray"), std::string::npos);
}

TEST_F(Menus, RadioItemsUncheckTheirGroupAndClicksDoNotToggle)
{
    auto* menu = new TMainMenu(form.get());
    auto* sub = Item(menu->Items(), "mnuView", "Výchozí obrazovka");
    std::vector<TMenuItem*> radios;
    for (int i = 0; i < 3; ++i) {
        TMenuItem* item = Item(sub, "r" + std::to_string(i), "R");
        item->SetRadioItem(true);
        item->SetGroupIndex(97);
        radios.push_back(item);
    }
    TMenuItem* other = Item(sub, "other", "O");
    other->SetRadioItem(true);
    other->SetGroupIndex(1);
    other->SetChecked(true);
    radios[0]->SetChecked(true);
    radios[2]->SetChecked(true);
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(radios[2]->Checked());
    EXPECT_TRUE(other->Checked());
    radios[1]->Click();
    EXPECT_FALSE(radios[1]->Checked());
    EXPECT_EQ(menu->FindByName("r1"), radios[1]);
    sub->Delete(sub->IndexOf(radios[1]));
    EXPECT_EQ(menu->FindByName("r1"), nullptr);
}

TEST_F(Menus, MainMenuShortCutsRunTheirItemOnly)
{
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    auto* menu = new TMainMenu(form.get());
    form->SetMenu(menu);
    auto* edits = Item(menu->Items(), "mnuEdit", "Úpravy");
    Item(edits, "mnuCopy", "Kopírovat")->SetShortCut(ShortCut('C', ssCtrl));
    Item(edits, "mnuHidden", "Skrytá")->SetShortCut(ShortCut('B', ssCtrl));
    edits->Items(1)->SetVisible(false);
    Item(edits, "mnuDisabled", "Zakázaná")->SetShortCut(ShortCut('Z', ssCtrl));
    edits->Items(2)->SetEnabled(false);
    form->Show();
    edit->SetFocus();
    edit->SetText("text");
    edit->SelectAll();
    Clipboard::SetText("before");

    testing::TapKey(*edit, 'C', ssCtrl);
    EXPECT_EQ(log, (std::vector<std::string>{"click mnuCopy"}));
    EXPECT_EQ(Clipboard::Text(), "before");

    log.clear();
    testing::TapKey(*edit, 'B', ssCtrl);
    EXPECT_EQ(log, (std::vector<std::string>{"click mnuHidden"}));

    log.clear();
    edit->SetText("");
    testing::TypeText(*edit, "abc");
    testing::TapKey(*edit, 'Z', ssCtrl);
    EXPECT_TRUE(log.empty());
    // Not taken by the menu: the edit's own undo acts.
    EXPECT_NE(edit->Text(), "abc");
}

TEST_F(Menus, TheMainMenuShowsAsTheFormsMenuBarAboveTheClientArea)
{
    form->SetBounds(0, 0, 400, 300);
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(0, 0, 50, 20);
    int labelClicks = 0;
    label->OnClick = [&](TComponent*) { ++labelClicks; };
    auto* corner = new TPanel(form.get());
    corner->SetParent(form.get());
    corner->SetBounds(100, 0, 40, 10);
    int cornerClicks = 0;
    corner->OnClick = [&](TComponent*) { ++cornerClicks; };
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetAlign(TAlign::alClient);
    panel->SetBounds(0, 100, 10, 10);
    form->Show();
    const int fullClient = form->ClientHeight();

    auto* menu = new TMainMenu(form.get());
    // Captions are CP1250 (octal escapes); the bar shows them as UTF-8.
    auto* settings = Item(menu->Items(), "mnuSettings", "&Nastaven\355");
    Item(settings, "mnuSound", "&Zvuk")->SetChecked(true);
    Item(settings, "mnuSep", "-");
    Item(settings, "mnuFont", "&P\355smo...")->SetShortCut(ShortCut('P', ssCtrl));
    Item(menu->Items(), "mnuHelp", "N\341&pov\354da && tipy");
    auto* edits = Item(menu->Items(), "mnuEdit", "\332pravy");
    Item(edits, "mnuCopy", "Kop\355rovat")->SetShortCut(ShortCut('C', ssCtrl));
    edits->SetVisible(false);
    form->SetMenu(menu);

    EXPECT_EQ(testing::MenuBarEntries(*form), (std::vector<std::string>{"&Nastavení", "Ná&pověda && tipy"}));
    const int bar = form->MenuBarHeight();
    EXPECT_GT(bar, 10);
    EXPECT_EQ(form->Height(), 300) << "the outer size stays";
    EXPECT_EQ(form->ClientHeight(), fullClient - bar);
    EXPECT_EQ(panel->Height(), fullClient - bar) << "aligned children fill the smaller client area";
    EXPECT_EQ(form->ClientToScreen(TPoint{0, 0}).y, form->Top() + bar);
    panel->Hide();
    testing::MouseClick(*label, 5, 5);
    EXPECT_EQ(labelClicks, 1) << "a graphic control at the client top lies below the bar";
    testing::MouseClick(*form, 105, 5);
    EXPECT_EQ(cornerClicks, 1) << "and so does a windowed one";
    const std::vector<testing::ShownMenuItem> items = testing::MenuBarMenu(*form, 0);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "&Zvuk");
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[1].text, "-");
    EXPECT_EQ(items[2].text, "&Písmo...\tCtrl+P");

    // Alt and the access key open the menu; the item's key chooses it and
    // its command comes after the menu closed, leaving the check mark alone.
    testing::TapWindowKey(*form, 'N', ssAlt);
    EXPECT_EQ(testing::OpenMenuBarEntry(*form), "&Nastavení");
    testing::TapWindowKey(*form, 'Z');
    EXPECT_EQ(testing::OpenMenuBarEntry(*form), "");
    EXPECT_EQ(log, (std::vector<std::string>{"click mnuSound"}));
    EXPECT_TRUE(menu->FindByName("mnuSound")->Checked());

    log.clear();
    testing::ClickMenuBarEntry(*form, 0);
    EXPECT_EQ(testing::OpenMenuBarEntry(*form), "&Nastavení");
    testing::ClickOpenMenuItem("&Písmo...");
    testing::ClickMenuBarEntry(*form, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"click mnuFont", "click mnuHelp"}));

    // Short cuts run once, through the window system's path too, hidden
    // items' included.
    log.clear();
    panel->Show();
    panel->SetTabStop(true);
    panel->SetFocus();
    testing::TapWindowKey(*form, 'P', ssCtrl);
    testing::TapWindowKey(*form, 'C', ssCtrl);
    EXPECT_EQ(log, (std::vector<std::string>{"click mnuFont", "click mnuCopy"}));

    // The bar follows the items, and goes with the menu.
    menu->FindByName("mnuHelp")->SetVisible(false);
    menu->FindByName("mnuSound")->SetChecked(false);
    testing::Flush();
    EXPECT_EQ(testing::MenuBarEntries(*form), (std::vector<std::string>{"&Nastavení"}));
    EXPECT_FALSE(testing::MenuBarMenu(*form, 0)[0].checked);
    form->SetMenu(nullptr);
    EXPECT_EQ(form->MenuBarHeight(), 0);
    EXPECT_EQ(form->ClientHeight(), fullClient);
    EXPECT_EQ(panel->Height(), fullClient);
    EXPECT_TRUE(testing::MenuBarEntries(*form).empty());
    form->SetMenu(menu);
    menu->Free();
    testing::Flush();
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(form->ClientHeight(), fullClient);
}

TEST_F(Menus, RightReleaseOpensAControlsPopupMenu)
{
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(0, 0, 100, 100);
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(0, 120, 100, 23);
    auto* menu = new TPopupMenu(form.get());
    Item(menu->Items(), "mnuA", "A");
    panel->SetPopupMenu(menu);
    edit->SetPopupMenu(menu);
    form->Show();
    testing::MenuRecorder recorder;
    testing::MousePress(*panel, 10, 10, TMouseButton::mbRight);
    EXPECT_TRUE(recorder.popups.empty());
    testing::MouseRelease(*panel, 10, 10, TMouseButton::mbRight);
    ASSERT_EQ(recorder.popups.size(), 1u);
    EXPECT_EQ(menu->PopupComponent(), panel);
    EXPECT_EQ(recorder.popups[0].x, panel->ClientToScreen(TPoint{10, 10}).x);
    testing::MouseClick(*edit, 5, 5, TMouseButton::mbRight);
    ASSERT_EQ(recorder.popups.size(), 2u);
    EXPECT_EQ(menu->PopupComponent(), edit);
}

class Dialogs : public testing::OffscreenGuiTest {};

TEST_F(Dialogs, MessageBoxesAreAnsweredByTheResponderOrSafely)
{
    {
        testing::MessageBoxResponder responder;
        responder.answers = {IDYES};
        EXPECT_EQ(MessageBox("Smazat?", "Otázka", MB_YESNO | MB_ICONQUESTION), IDYES);
        EXPECT_EQ(MessageBox("<b>x</b>", "Chyba", MB_ICONERROR), 1);
        ASSERT_EQ(responder.boxes.size(), 2u);
        EXPECT_EQ(responder.boxes[0].caption, "Otázka");
        EXPECT_EQ(responder.boxes[0].text, "Smazat?");
        EXPECT_EQ(responder.boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
    }
    std::vector<std::string> lines;
    SetLayerLog([&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(MessageBox("text", "Chyba", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBox("text", "Otázka", MB_YESNO), IDNO);
    TFont font;
    EXPECT_FALSE(FontDialog::Execute(font));
    SetLayerLog(nullptr);
    EXPECT_EQ(lines.size(), 3u);

    testing::FontDialogResponder fonts;
    fonts.confirm = true;
    fonts.name = "Arial";
    fonts.size = 12;
    EXPECT_TRUE(FontDialog::Execute(font));
    EXPECT_EQ(font.Name(), "Arial");
    EXPECT_EQ(font.Size(), 12);
}

TEST_F(Dialogs, TheRealFontDialogRunsInANestedLoopAndGivesTheChoice)
{
    struct Case {
        const char* name;
        bool accept;
        bool changed;
    };
    const Case cases[] = {
        {"accepted", true, true},
        {"cancelled", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOwned<TTimer> ticker(new TTimer(nullptr));
        ticker->SetInterval(10);
        int ticks = 0;
        ticker->OnTimer = [&](TComponent*) { ++ticks; };
        TFont font;
        font.SetName("Liberation Sans");
        font.SetSize(9);
        int changes = 0;
        font.OnChange = [&] { ++changes; };
        testing::RealDialogDriver driver;
        driver.accept = c.accept;
        driver.family = "Liberation Serif";
        driver.pointSize = 14;
        driver.holdMs = 60;
        EXPECT_EQ(FontDialog::Execute(font), c.accept);
        EXPECT_FALSE(driver.timedOut);
        ASSERT_EQ(driver.shown.size(), 1u);
        EXPECT_EQ(driver.shown[0].fontFamily, "Liberation Sans");
        EXPECT_EQ(driver.shown[0].fontPointSize, 9);
        EXPECT_EQ(driver.shown[0].title, testing::QtTranslation("QFontDialog", "Select Font"));
        EXPECT_GE(ticks, 2) << "timers run while the dialog is open";
        EXPECT_EQ(font.Name(), c.changed ? "Liberation Serif" : "Liberation Sans");
        EXPECT_EQ(font.Size(), c.changed ? 14 : 9);
        EXPECT_EQ(changes, c.changed ? 1 : 0) << "one change notification for the whole choice";
    }
}

TEST_F(Dialogs, TheRealMessageBoxShowsPlainTextAndAnswersByItsButtons)
{
    struct Case {
        const char* name;
        uint32_t flags;
        const char* press;
        int answer;
    };
    const Case cases[] = {
        {"OK", MB_OK | MB_ICONERROR, "OK", IDOK},          {"Esc on OK", MB_OK | MB_ICONINFORMATION, "", IDOK},
        {"Ano", MB_YESNO | MB_ICONQUESTION, "Ano", IDYES}, {"Ne", MB_YESNO | MB_ICONQUESTION, "Ne", IDNO},
        {"Esc on Ano and Ne", MB_YESNO, "", IDNO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::RealDialogDriver driver;
        driver.press = c.press;
        EXPECT_EQ(MessageBox("<b>x</b>", "Chyba \350ten\355", c.flags), c.answer);
        EXPECT_FALSE(driver.timedOut);
        ASSERT_EQ(driver.shown.size(), 1u);
        EXPECT_EQ(driver.shown[0].title, "Chyba čtení");
        EXPECT_EQ(driver.shown[0].text, "<b>x</b>");
        EXPECT_TRUE(driver.shown[0].plainText) << "markup shows literally";
        const std::vector<std::string> buttons =
            (c.flags & 0x0F) == MB_YESNO ? std::vector<std::string>{"Ano", "Ne"} : std::vector<std::string>{"OK"};
        EXPECT_EQ(driver.shown[0].buttons, buttons);
    }
}

TEST_F(Dialogs, QtsOwnTextsAreCzech)
{
    // The calendar pop-up and the font dialog use Qt's own texts.
    EXPECT_EQ(testing::QtTranslation("QPlatformTheme", "Cancel"), "Zrušit");
}

TEST_F(Dialogs, MemoKeepsItsMaxLengthTypedOrPasted)
{
    TOwned<TForm> form(new TForm);
    auto* memo = new TMemo(form.get());
    memo->SetParent(form.get());
    memo->SetMaxLength(5);
    form->Show();
    memo->SetFocus();
    testing::TypeText(*memo, "abcdefg");
    EXPECT_EQ(memo->Text(), "abcde");
    memo->SelectAll();
    Clipboard::SetText("1234567");
    memo->PasteFromClipboard();
    EXPECT_EQ(memo->Text(), "12345");
}

TEST_F(Dialogs, TheScreenCursorIsAState)
{
    Screen::SetCursor(crHourGlass);
    Screen::SetCursor(crHourGlass);
    EXPECT_EQ(testing::OverrideCursorDepth(), 1);
    Screen::SetCursor(crHandPoint);
    EXPECT_EQ(testing::OverrideCursorDepth(), 1);
    Screen::SetCursor(crDefault);
    EXPECT_EQ(testing::OverrideCursorDepth(), 0);
    EXPECT_EQ(Screen::Cursor(), crDefault);
}

} // namespace
} // namespace plat
