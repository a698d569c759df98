// The About page: the program's name, description, version, the program
// file's time and path, facts about the screen, and the links to the
// maker's pages.

#include "dialog/unidlg.h"

#include "foundation/app_info.h"
#include "foundation/time.h"
#include "mainwindow/main_window.h"
#include "mainwindow/outside_addresses.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "platform/gui/label.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"

#include <cstdio>
#include <string>

namespace {

constexpr int32_t kPageWidth = 781;
constexpr int32_t kPageHeight = 421;
constexpr int32_t kAuthorWidth = 205;
constexpr int32_t kMargin = 14;
constexpr plat::TColor kNavy = 0x800000;
constexpr plat::TColor kSilver = 0xC0C0C0;
constexpr plat::TColor kGrey = 0x808080;
constexpr plat::TColor kLinkBlue = 0xFF0000;
constexpr plat::TColor kWhite = 0xFFFFFF;

struct AboutLink {
    plat::TLabel* TfrmUnidlgDLMR1::*label;
    const char* name;
    const char* caption;
    std::string (*address)();
};

const AboutLink kLinks[] = {
    {&TfrmUnidlgDLMR1::label1MobileVersion, "label1MobileVersion", "Mobilní verze aplikace",
     [] { return OutsideAddresses.MobileAppStore; }},
    {&TfrmUnidlgDLMR1::label1DesktopVersion, "label1DesktopVersion", "Verze pro počítač ke stažení",
     [] { return OutsideAddresses.DownloadPortal; }},
    {&TfrmUnidlgDLMR1::label1Support, "label1Support", "Napište nám", [] { return OutsideAddresses.SupportMail; }},
    {&TfrmUnidlgDLMR1::label1News, "label1News", "Novinky", [] { return OutsideAddresses.NewsPage; }},
    {&TfrmUnidlgDLMR1::label1Social1, "label1Social1", "Facebook", [] { return std::string(App.FacebookUrl); }},
    {&TfrmUnidlgDLMR1::label1Social2, "label1Social2", "Instagram", [] { return std::string(App.InstagramUrl); }},
    {&TfrmUnidlgDLMR1::label1Social3, "label1Social3", "Sledujte nás", [] { return OutsideAddresses.ThirdSocialPage; }},
    {&TfrmUnidlgDLMR1::label1AuthorWeb, "label1AuthorWeb", "Web autora", [] { return OutsideAddresses.AuthorWeb; }},
};

plat::TLabel* AboutLabel(TfrmUnidlgDLMR1& owner, plat::TWinControl* parent, const char* name)
{
    auto* label = new plat::TLabel(&owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    return label;
}

std::string ProgramFileTime(const std::string& path)
{
    int64_t seconds = 0;
    if (!plat::ModificationTime(path, seconds))
        return "";
    TNTime time;
    time.SetTimestamp(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%02u.%02u.%04u %02u:%02u:%02u", time.Den, time.Mesic, time.Rok, time.Hodina,
                  time.Minuta, time.Sekunda);
    return text;
}

} // namespace

void TfrmUnidlgDLMR1::CreateAboutPage()
{
    pOProgramu = PagePanel("OProgramu");
    pOProgramu->SetBounds(0, 0, kPageWidth, kPageHeight);
    label1NadpisStin = AboutLabel(*this, pOProgramu, "label1NadpisStin");
    label1NadpisStin->Font().SetColor(kSilver);
    label1Nadpis = AboutLabel(*this, pOProgramu, "label1Nadpis");
    label1Nadpis->Font().SetColor(kNavy);
    for (plat::TLabel* title : {label1NadpisStin, label1Nadpis}) {
        title->Font().SetSize(20);
        title->Font().SetStyle(plat::fsBold);
    }
    label1Popis = AboutLabel(*this, pOProgramu, "label1Popis");
    label1Popis->Font().SetSize(11);
    label1Verze = AboutLabel(*this, pOProgramu, "label1Verze");
    label1Verze->Font().SetColor(kGrey);

    p1Author = new plat::TPanel(this);
    p1Author->SetName("p1Author");
    p1Author->SetParent(pOProgramu);
    p1Author->SetBevelOuter(plat::TBevelCut::bvNone);
    p1Author->SetColor(kWhite);
    label1AboutAuthorShadow = AboutLabel(*this, p1Author, "label1AboutAuthorShadow");
    label1AboutAuthorShadow->Font().SetColor(kSilver);
    label1AboutAuthor = AboutLabel(*this, p1Author, "label1AboutAuthor");
    label1AboutAuthor->Font().SetColor(kNavy);
    for (plat::TLabel* title : {label1AboutAuthorShadow, label1AboutAuthor}) {
        title->SetCaption("O autorovi");
        title->Font().SetSize(12);
        title->Font().SetStyle(plat::fsBold);
    }
    labelAuthorName = AboutLabel(*this, p1Author, "labelAuthorName");

    for (const AboutLink& link : kLinks) {
        plat::TWinControl* parent = link.label == &TfrmUnidlgDLMR1::label1AuthorWeb ? p1Author : pOProgramu;
        plat::TLabel* label = AboutLabel(*this, parent, link.name);
        label->SetCaption(link.caption);
        label->Font().SetColor(kLinkBlue);
        label->Font().SetStyle(plat::fsUnderline);
        label->SetCursor(plat::crHandPoint);
        const std::string caller = std::string("[TfrmUnidlgDLMR1::") + link.name + "Click]";
        auto address = link.address;
        label->OnClick = [address, caller](plat::TComponent*) { OpenOutsideAddress(address(), caller.c_str()); };
        this->*link.label = label;
    }
}

bool TfrmUnidlgDLMR1::AktivujDialog_OProgramu()
{
    // 1. Caption.  3. Title.  4. Version, program file and path.
    SetCaption(std::string("O programu ") + App.ApplicationName);
    pNadpis->SetVisible(false);
    label1Nadpis->SetCaption(App.ApplicationTitle);
    label1NadpisStin->SetCaption(App.ApplicationTitle);
    label1Popis->SetCaption(App.ApplicationMotto);
    labelAuthorName->SetCaption(App.AuthorName);
    char version[32];
    std::snprintf(version, sizeof version, "%d.%02d", App.VersionMajor, App.VersionMinor);
    const std::string program = plat::ProgramFile();
    label1Verze->SetCaption(std::string("Verze: ") + version +
                            "\nDatum a čas hlavního exe souboru: " + ProgramFileTime(program) + "\nCesta: " + program);
    for (const AboutLink& link : kLinks)
        (this->*link.label)->SetVisible(!link.address().empty());

    // 5. Facts about the screen in the bottom bar's links.
    char text[64];
    std::snprintf(text, sizeof text, "%dx%d", plat::Screen::Width(), plat::Screen::Height());
    labelOdkaz->SetCaption(text);
    labelOdkaz->SetHint("Rozlišení obrazovky");
    const plat::TRect area = plat::Screen::WorkArea();
    std::snprintf(text, sizeof text, "%dx%dx%dx%d", area.Left, area.Top, area.Width(), area.Height());
    labelKlonovat->SetCaption(text);
    labelKlonovat->SetHint("Pozice a rozlišení pracovní plochy");
    if (frmMainDLMR1 != nullptr) {
        std::snprintf(text, sizeof text, "%dx%d", frmMainDLMR1->ClientWidth(), frmMainDLMR1->ClientHeight());
        labelCreated->SetCaption(text);
    }
    labelCreated->SetHint("Vnitřní velikost hlavního okna");

    // 6. The page's size; ready.
    FitClientToPage(*pOProgramu);
    pageReady = 1;
    return true;
}

void TfrmUnidlgDLMR1::FormResize_OProgramu()
{
    const int32_t width = gUni->Width();
    const int32_t height = gUni->Height();
    pOProgramu->SetBounds(0, 0, width, height);
    p1Author->SetBounds(width - kAuthorWidth, 0, kAuthorWidth, height);
    label1AboutAuthorShadow->SetLeft(kMargin + 1);
    label1AboutAuthorShadow->SetTop(kMargin + 1);
    label1AboutAuthor->SetLeft(kMargin);
    label1AboutAuthor->SetTop(kMargin);
    labelAuthorName->SetLeft(kMargin);
    labelAuthorName->SetTop(label1AboutAuthor->Top() + label1AboutAuthor->Height() + kMargin);
    label1AuthorWeb->SetLeft(kMargin);
    label1AuthorWeb->SetTop(labelAuthorName->Top() + labelAuthorName->Height() + 6);

    label1NadpisStin->SetLeft(kMargin * 2 + 1);
    label1NadpisStin->SetTop(kMargin * 2 + 1);
    label1Nadpis->SetLeft(kMargin * 2);
    label1Nadpis->SetTop(kMargin * 2);
    int32_t top = label1Nadpis->Top() + label1Nadpis->Height() + kMargin;
    label1Popis->SetLeft(kMargin * 2);
    label1Popis->SetTop(top);
    top += label1Popis->Height() + kMargin * 2;
    label1Verze->SetLeft(kMargin * 2);
    label1Verze->SetTop(top);
    top += label1Verze->Height() + kMargin * 2;
    for (const AboutLink& link : kLinks) {
        plat::TLabel* label = this->*link.label;
        if (label->Parent() != pOProgramu || !label->Visible())
            continue;
        label->SetLeft(kMargin * 2);
        label->SetTop(top);
        top += label->Height() + 4;
    }
}
