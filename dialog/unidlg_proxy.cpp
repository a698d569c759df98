// The proxy page: the six proxy settings every request of the transport
// uses, taken from the environment on request, and a connection test
// through the typed proxy.

#include "dialog/account_pages.h"
#include "dialog/system_proxy.h"
#include "dialog/unidlg.h"

#include "foundation/app_info.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "online/http_exchange.h"
#include "platform/gui/button.h"
#include "platform/gui/check_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int32_t kPageWidth = 341;
constexpr int32_t kPageHeight = 276;
constexpr int32_t kMaxText = 256;
// A dead proxy holds the dialog at most this long.
constexpr int32_t kTestConnectMs = 10000;
constexpr int32_t kTestTotalMs = 30000;

plat::TLabel* MakeLabel(plat::TComponent* owner, plat::TWinControl* parent, const char* name, const char* text,
                        int left, int top)
{
    auto* label = new plat::TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->SetCaption(text);
    label->SetLeft(left);
    label->SetTop(top);
    return label;
}

plat::TEdit* MakeEdit(plat::TComponent* owner, plat::TWinControl* parent, const char* name, int top)
{
    auto* edit = new plat::TEdit(owner);
    edit->SetName(name);
    edit->SetParent(parent);
    edit->SetBounds(130, top, 180, 21);
    edit->SetMaxLength(kMaxText);
    return edit;
}

plat::TCheckBox* MakeCheck(plat::TComponent* owner, plat::TWinControl* parent, const char* name, const char* text,
                           int left, int top)
{
    auto* box = new plat::TCheckBox(owner);
    box->SetName(name);
    box->SetParent(parent);
    box->SetCaption(text);
    box->SetBounds(left, top, 280, 19);
    return box;
}

plat::TButton* MakeButton(plat::TComponent* owner, plat::TWinControl* parent, const char* name, const char* text,
                          int top)
{
    auto* button = new plat::TButton(owner);
    button->SetName(name);
    button->SetParent(parent);
    button->SetCaption(text);
    button->SetBounds(14, top, 313, 25);
    return button;
}

const char* Environment(const char* name)
{
    return std::getenv(name);
}

} // namespace

bool TfrmUnidlgDLMR1::AktivujDialog_Proxy()
{
    plat::TPanel* panel = PagePanel(Key);
    if (proxyPage == nullptr) {
        auto page = std::make_unique<TNProxyPage>();
        page->checkPouzivatProxy = MakeCheck(this, panel, "checkPouzivatProxy", "Používat Proxy server", 14, 10);
        page->p11Proxy = new plat::TPanel(this);
        page->p11Proxy->SetName("p11Proxy");
        page->p11Proxy->SetParent(panel);
        page->p11Proxy->SetBevelOuter(plat::TBevelCut::bvNone);
        page->p11Proxy->SetBounds(0, 34, kPageWidth, 130);
        plat::TPanel* box = page->p11Proxy;
        page->labelProxyHost = MakeLabel(this, box, "labelProxyHost", "Adresa serveru:", 14, 4);
        page->editProxyHost = MakeEdit(this, box, "editProxyHost", 0);
        page->labelProxyPort = MakeLabel(this, box, "labelProxyPort", "Port:", 14, 30);
        page->editProxyPort = MakeEdit(this, box, "editProxyPort", 26);
        page->checkPouzivatOvereniProxy =
            MakeCheck(this, box, "checkPouzivatOvereniProxy", "Používat ověření uživatele", 14, 54);
        page->labelProxyUser = MakeLabel(this, box, "labelProxyUser", "Uživatelské jméno:", 14, 82);
        page->editProxyUser = MakeEdit(this, box, "editProxyUser", 78);
        page->labelProxyPass = MakeLabel(this, box, "labelProxyPass", "Heslo:", 14, 108);
        page->editProxyPass = MakeEdit(this, box, "editProxyPass", 104);
        page->editProxyPass->SetPasswordChar('*');
        page->btnAutoProxy =
            MakeButton(this, panel, "btnAutoProxy", "Zjistit nastavení proxy serveru automaticky", 170);
        page->labelNastaveniProxy =
            MakeLabel(this, panel, "labelNastaveniProxy", "Ověření nastavení připojení:", 14, 206);
        page->btnNastaveniProxy =
            MakeButton(this, panel, "btnNastaveniProxy", "Ověřit správnost nastavení připojení", 224);
        const auto apply = [this](plat::TComponent*) { checkPouzivatProxyClick(); };
        const auto applyOnKey = [this](plat::TComponent*, uint16_t&, plat::TShiftState) { checkPouzivatProxyClick(); };
        page->checkPouzivatProxy->OnClick = apply;
        page->checkPouzivatOvereniProxy->OnClick = apply;
        page->checkPouzivatProxy->OnKeyUp = applyOnKey;
        page->checkPouzivatOvereniProxy->OnKeyUp = applyOnKey;
        page->btnAutoProxy->OnClick = [this](plat::TComponent*) { btnAutoProxyClick(); };
        page->btnNastaveniProxy->OnClick = [this](plat::TComponent*) { btnNastaveniProxyClick(); };
        proxyPage = std::move(page);
    }
    SetCaption("Proxy server");
    panel->SetBounds(0, 0, kPageWidth, kPageHeight);
    FitClientToPage(*panel);
    return true;
}

void TfrmUnidlgDLMR1::ActivateProxy()
{
    NactiNastaveniProxy();
    checkPouzivatProxyClick();
    proxyPage->checkPouzivatProxy->SetFocus();
}

void TfrmUnidlgDLMR1::NactiNastaveniProxy()
{
    TNProxyPage& page = *proxyPage;
    page.checkPouzivatProxy->SetChecked(Setup.GetBool("Proxy_Pouzivat"));
    page.editProxyHost->SetText(std::string(Setup.GetString("Proxy_Host").View()));
    page.editProxyPort->SetText(std::string(Setup.GetString("Proxy_Port").View()));
    page.checkPouzivatOvereniProxy->SetChecked(Setup.GetBool("Proxy_Overovat"));
    page.editProxyUser->SetText(std::string(Setup.GetString("Proxy_User").View()));
    page.editProxyPass->SetText(std::string(Setup.GetString("Proxy_Pass").View()));
}

// Before sign-in there is no settings file: the values stay for the run and
// the sign-in's load lays the user's stored keys over them.
void TfrmUnidlgDLMR1::UlozNastaveniProxy()
{
    TNProxyPage& page = *proxyPage;
    Setup.SetValue("Proxy_Pouzivat", page.checkPouzivatProxy->Checked() ? 1 : 0, TNSetupItem::kBool);
    Setup.SetString("Proxy_Host", page.editProxyHost->Text().c_str(), TNSetupItem::kText8);
    Setup.SetString("Proxy_Port", page.editProxyPort->Text().c_str(), TNSetupItem::kText8);
    Setup.SetValue("Proxy_Overovat", page.checkPouzivatOvereniProxy->Checked() ? 1 : 0, TNSetupItem::kBool);
    Setup.SetString("Proxy_User", page.editProxyUser->Text().c_str(), TNSetupItem::kText8);
    Setup.SetString("Proxy_Pass", page.editProxyPass->Text().c_str(), TNSetupItem::kText8);
}

void TfrmUnidlgDLMR1::checkPouzivatProxyClick()
{
    if (proxyPage == nullptr)
        return;
    TNProxyPage& page = *proxyPage;
    const bool use = page.checkPouzivatProxy->Checked();
    const bool auth = use && page.checkPouzivatOvereniProxy->Checked();
    for (plat::TControl* control :
         {static_cast<plat::TControl*>(page.labelProxyHost), static_cast<plat::TControl*>(page.editProxyHost),
          static_cast<plat::TControl*>(page.labelProxyPort), static_cast<plat::TControl*>(page.editProxyPort),
          static_cast<plat::TControl*>(page.checkPouzivatOvereniProxy)})
        control->SetEnabled(use);
    for (plat::TControl* control :
         {static_cast<plat::TControl*>(page.labelProxyUser), static_cast<plat::TControl*>(page.editProxyUser),
          static_cast<plat::TControl*>(page.labelProxyPass), static_cast<plat::TControl*>(page.editProxyPass)})
        control->SetEnabled(auth);
}

void TfrmUnidlgDLMR1::btnAutoProxyClick()
{
    Guarded("[TfrmUnidlgDLMR1::btnAutoProxyClick]", [&] {
        TNProxyPage& page = *proxyPage;
        const TNSystemProxy proxy = ReadSystemProxy(Environment);
        if (!proxy.Enabled) {
            page.checkPouzivatProxy->SetChecked(false);
            page.checkPouzivatOvereniProxy->SetChecked(false);
            checkPouzivatProxyClick();
            ShowMessageBox("Nastavení proxy serveru nebylo nalezeno.\nProxy server pravděpodobně není potřeba "
                           "nastavovat.",
                           "Nenastaveno", mbOk);
            return;
        }
        if (!proxy.Parsed) {
            ShowMessageBox("Při zjišťování nastavení došlo k neznámé chybě!\nZkuste akci opakovat.\nV případě dalších "
                           "neúspěchů kontaktujte výrobce.",
                           "Chyba", mbOk);
            return;
        }
        page.checkPouzivatProxy->SetChecked(true);
        page.checkPouzivatOvereniProxy->SetChecked(false);
        checkPouzivatProxyClick();
        page.editProxyHost->SetText(proxy.Host);
        page.editProxyPort->SetText(proxy.Port);
        // A value without a port: the user types it.
        if (proxy.Port.empty())
            page.editProxyPort->SetFocus();
        ShowMessageBox("Nastavení proxy serveru bylo úspěšně zjištěno a nastaveno.\nNyní otestujte správnost "
                       "nastavení.",
                       "Hotovo", mbOk);
    });
}

// Only this request goes through the typed proxy; the stored settings stay.
void TfrmUnidlgDLMR1::btnNastaveniProxyClick()
{
    TNProxyPage& page = *proxyPage;
    const plat::TCursor before = plat::Screen::Cursor();
    plat::Screen::SetCursor(plat::crHourGlass);
    const char* const failure = "Spojení se serverem se nepodařilo navázat.\nOvěřte, zda je počítač skutečně "
                                "připojen k internetu, případně změňte nastavení proxy serveru.";
    try {
        TNHttpRequest request;
        request.Url = App.ServerTestUrl;
        request.UserAgent = "Dalmora";
        request.MaxBodyBytes = kMaxSimpleAnswerBytes;
        request.MaxConnectMs = kTestConnectMs;
        request.MaxTotalMs = kTestTotalMs;
        if (page.checkPouzivatProxy->Checked()) {
            request.Proxy.Use = true;
            request.Proxy.Host.Set(page.editProxyHost->Text().c_str());
            request.Proxy.Port.Set(page.editProxyPort->Text().c_str());
            if (page.checkPouzivatOvereniProxy->Checked()) {
                request.Proxy.Auth = true;
                request.Proxy.User.Set(page.editProxyUser->Text().c_str());
                request.Proxy.Pass.Set(page.editProxyPass->Text().c_str());
            }
        }
        const TNHttpAnswer answer = PerformHttpExchange(request);
        plat::Screen::SetCursor(before);
        if (!answer.Received || answer.StatusCode < 200 || answer.StatusCode > 299) {
            LogWrite("[btnNastaveniProxyClick] failed: ", answer.StatusText.c_str(), false);
            ShowMessageBox(failure, "Chyba", mbOk);
        } else if (answer.Body == "[ServerCheck:1:]") {
            ShowMessageBox("Spojení proběhlo úspěšně.\nUložte nastavení proxy serveru a pokračujte v práci.",
                           "Úspěšné spojení", mbOk);
        } else {
            ShowMessageBox("Spojení bylo navázáno, ale kontrolní řetězec nesouhlasí.\nNastavení proxy serveru je ale "
                           "pravděpodobně správné.\nV případě potíží kontaktujte výrobce programu.",
                           "Chyba", mbOk);
        }
    } catch (const std::exception& error) {
        plat::Screen::SetCursor(before);
        LogWrite("[btnNastaveniProxyClick][EXCEPTION] ", error.what(), false);
        ShowMessageBox(failure, "Výjimka", mbOk);
    }
}
