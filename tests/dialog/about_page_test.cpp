#include "foundation/app_info.h"
#include "mainwindow/outside_addresses.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/testing/gui_harness.h"
#include "tests/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

const std::string kGoldens = DALMORA_TEST_DATA_DIR;
const std::string kOutput = std::string(DALMORA_BINARY_DIR) + "gui-test-output";

class AboutPageTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        savedApp_ = App;
        savedAddresses_ = OutsideAddresses;
    }
    void TearDown() override
    {
        App = savedApp_;
        OutsideAddresses = savedAddresses_;
        DialogTest::TearDown();
    }

private:
    TNAppInfo savedApp_;
    TNOutsideAddresses savedAddresses_;
};

TEST_F(AboutPageTest, ShowsTheVersionWithTwoMinorDigits)
{
    const struct {
        int32_t major, minor;
        const char* text;
    } cases[] = {{1, 7, "Verze: 1.07\n"}, {2, 10, "Verze: 2.10\n"}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.text);
        App.VersionMajor = item.major;
        App.VersionMinor = item.minor;
        std::string version;
        OnShown("OProgramu", [&](TfrmUnidlgDLMR1& about) {
            version = about.label1Verze->Caption();
            about.Close();
        });
        Open("OProgramu");
        EXPECT_EQ(version.rfind(item.text, 0), 0u) << version;
        EXPECT_NE(version.find("\nDatum a čas hlavního exe souboru: "), std::string::npos);
        EXPECT_NE(version.find("\nCesta: /"), std::string::npos);
    }
}

TEST_F(AboutPageTest, TheBottomBarShowsTheScreenFactsAndTheTitleTheProgram)
{
    Main().SetBounds(0, 0, 1016, 739);
    std::vector<std::string> facts;
    std::string caption;
    std::string title;
    bool barShown = false;
    OnShown("OProgramu", [&](TfrmUnidlgDLMR1& about) {
        for (const plat::TLabel* label : {about.labelOdkaz, about.labelKlonovat, about.labelCreated})
            facts.push_back(label->Caption() + " | " + label->Hint());
        caption = about.Caption();
        title = about.label1Nadpis->Caption();
        barShown = about.btnZavrit->Visible() && !about.btnUlozit->Visible() && about.btnZavrit->Caption() == "Zavřít";
        about.Close();
    });
    Open("OProgramu");
    const std::string mainClient = std::to_string(Main().ClientWidth()) + "x" + std::to_string(Main().ClientHeight());
    EXPECT_EQ(facts, (std::vector<std::string>{"1280x1024 | Rozlišení obrazovky",
                                               "0x30x1280x994 | Pozice a rozlišení pracovní plochy",
                                               mainClient + " | Vnitřní velikost hlavního okna"}));
    EXPECT_EQ(caption, std::string("O programu ") + App.ApplicationName);
    EXPECT_EQ(title, App.ApplicationTitle);
    EXPECT_TRUE(barShown);
}

TEST_F(AboutPageTest, AnEmptyAddressHidesItsLinkAndASetOneOpens)
{
    shell_test::ShellRecorder shell;
    OutsideAddresses.NewsPage = "https://news.example/dalmora";
    OutsideAddresses.SupportMail.clear();
    App.InstagramUrl[0] = '\0';
    bool newsShown = false;
    bool supportShown = true;
    bool instagramShown = true;
    OnShown("OProgramu", [&](TfrmUnidlgDLMR1& about) {
        newsShown = about.label1News->Visible();
        supportShown = about.label1Support->Visible();
        instagramShown = about.label1Social2->Visible();
        about.label1News->Click();
        about.Close();
    });
    Open("OProgramu");
    EXPECT_TRUE(newsShown);
    EXPECT_FALSE(supportShown);
    EXPECT_FALSE(instagramShown);
    EXPECT_EQ(shell.Opened(), (std::vector<std::string>{"https://news.example/dalmora"}));
}

TEST_F(AboutPageTest, LooksAsDesigned)
{
    OutsideAddresses.NewsPage = "https://news.example/dalmora";
    OutsideAddresses.AuthorWeb = "https://maker.example/";
    OnShown("OProgramu", [&](TfrmUnidlgDLMR1& about) {
        // The program file's time and path differ from run to run.
        about.label1Verze->SetCaption("Verze: 1.07\nDatum a čas hlavního exe souboru: 01.02.2026 10:20:30\nCesta: "
                                      "/opt/dalmora1");
        about.labelCreated->SetCaption("1016x739");
        about.FormResize();
        about.pBottom0Resize();
        plat::testing::Flush();
        EXPECT_TRUE(plat::testing::MatchesGolden(about, kGoldens + "about_page.png", kOutput));
        about.Close();
    });
    App.VersionMajor = 1;
    App.VersionMinor = 7;
    Open("OProgramu");
}

} // namespace
} // namespace dialog_test
