#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/string.h"
#include "foundation/users.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "online/hooks.h"
#include "online/login.h"
#include "online/session_hooks.h"
#include "platform/core/clock.h"
#include "platform/core/codepage.h"
#include "platform/gui/button.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/edit.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/menu.h"
#include "platform/gui/notebook.h"
#include "platform/gui/panel.h"
#include "platform/gui/screen.h"
#include "platform/gui/timer.h"
#include "platform/gui/tray_icon.h"
#include "view/image_table.h"
#include "view/view.h"

#include <string>

namespace {

constexpr int32_t kPanelWidth = 280;
constexpr int32_t kPanelHeight = 580;
// Below the panel: the main status bar and a margin.
constexpr int32_t kBelowPanel = 4;
constexpr int32_t kMaxNameLength = 128;
constexpr int32_t kBlinkTag = 999;
constexpr int64_t kRefusalPauseMs = 300;
constexpr uint32_t kAutoLoginRetryMs = 10000;
// A sign-in that got no answer from the service: the first while it is
// tried again by itself.
constexpr const char* kNoAnswerRetrying = "Služba neodpovídá. Další pokus o přihlášení za 10 s.";
constexpr const char* kNoAnswer = "Služba neodpovídá. Zkuste se přihlásit později.";
// The same with the transport's reason, which the page shortens to fit.
constexpr const char* kUnreachable = "Služba nedostupná nebo nedůvěryhodná: ";
constexpr const char* kShortRetrying = " Další pokus za 10 s.";
constexpr const char* kShortTryLater = " Zkuste to později.";
constexpr size_t kReasonStep = 8;

constexpr const char* kNewAccountHint = "Kliknutím otevřete dialog pro vytvoření nového Uživatelského účtu.";
constexpr const char* kFirstTimeHint = "Pokud jste ještě Dalmora nepoužívali, klikněte na tlačítko \"Jsem zde poprvé\"";
constexpr const char* kSampleAddress = "jan.novak@example.com";

const plat::TColor kAqua = plat::RGB(0x00, 0xFF, 0xFF);
const plat::TColor kSilver = plat::RGB(0xC0, 0xC0, 0xC0);
const plat::TColor kLime = plat::RGB(0x00, 0xFF, 0x00);
const plat::TColor kRed = plat::RGB(0xFF, 0x00, 0x00);
const plat::TColor kBlinkGrey = plat::RGB(0xC3, 0xC3, 0xC3);
const plat::TColor kGradientTop = plat::RGB(0x19, 0x6E, 0xBE);
const plat::TColor kGradientBottom = plat::RGB(0x0F, 0x5A, 0x96);
const plat::TColor kSubtitleColour = plat::RGB(0xDC, 0xDC, 0xDC);

plat::TLabel* MakeLabel(plat::TComponent* owner, plat::TWinControl* parent, const char* name, const char* caption,
                        int left, int top, plat::TColor colour)
{
    auto* label = new plat::TLabel(owner);
    label->SetName(name);
    label->SetTransparent(true);
    label->Font().SetName(View.FontName);
    label->Font().SetSize(9);
    label->Font().SetColor(colour);
    label->SetCaption(caption);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetParent(parent);
    return label;
}

plat::TMenuItem* FindOrAddItem(plat::TComponent* owner, plat::TMenuItem* parent, const char* name, const char* caption)
{
    if (plat::TMenuItem* found = parent->FindByName(name))
        return found;
    auto* item = new plat::TMenuItem(owner);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
}

// The name check: which kind of name the text is; "" when none.
const char* NameKindText(const std::string& text)
{
    if (c.CheckEmail(text.c_str(), false) == 1)
        return "E-mail vyplněn správně.";
    if (TNCommon::IsDigitsOnly(text.c_str()))
        return "ID uživatele vyplněno správně.";
    if (TNCommon::CheckLogin(text.c_str()))
        return "Uživatelské jméno vyplněno správně.";
    return "";
}

// A sign-in without an answer of the service, never taken for a refused
// password: with at most `room` bytes of the transport's reason (a
// certificate or a redirect refused, a cut connection), cut at a space.
std::string NoAnswerText(const std::string& reason, size_t room, bool retrying)
{
    if (reason.empty())
        return retrying ? kNoAnswerRetrying : kNoAnswer;
    std::string shown = reason;
    if (shown.size() > room) {
        const size_t space = room == 0 ? std::string::npos : shown.rfind(' ', room);
        shown = shown.substr(0, space == std::string::npos ? room : space) + "...";
    }
    return kUnreachable + shown + "." + (retrying ? kShortRetrying : kShortTryLater);
}

TfrmMainDLMR1* Main()
{
    return frmMainDLMR1;
}

} // namespace

// ---------------------------------------------------------------------------
// The page's controls

void TfrmMainDLMR1::CreateLoginPage()
{
    pLogin->SetBounds(0, 0, kPanelWidth, kPanelHeight);

    gradLogin = new plat::TJvGradient(this);
    gradLogin->SetName("gradLogin");
    gradLogin->SetColors(kGradientTop, kGradientBottom);
    gradLogin->SetBounds(0, 0, kPanelWidth, kPanelHeight);
    gradLogin->SetParent(pLogin);

    Image1 = new plat::TImage(this);
    Image1->SetName("Image1");
    Image1->SetStretch(true);
    Image1->SetBounds(76, 27, 128, 128);
    // The page is made before the named images load: the logo comes from
    // its file, the larger one, as it is shown at 128 px.
    TNImageTable::LoadProgramPicture(Image1->Picture(), "images/dalmora-64x64.png");
    Image1->SetParent(pLogin);

    // The shadow goes first, so the title is drawn over it.
    labelLoginTitleShadow = MakeLabel(this, pLogin, "labelLoginTitleShadow", "", 0, 163, kGradientBottom);
    labelLoginTitle = MakeLabel(this, pLogin, "labelLoginTitle", "", 0, 161, plat::clWhite);
    for (plat::TLabel* title : {labelLoginTitleShadow, labelLoginTitle}) {
        title->Font().SetSize(18);
        title->Font().SetStyle(plat::fsBold);
    }
    labelLoginSubtitle = MakeLabel(this, pLogin, "labelLoginSubtitle", "", 0, 190, kSubtitleColour);
    labelLoginSubtitle->Font().SetSize(10);

    btn9NewAccount = new plat::TFlatButton(this);
    btn9NewAccount->SetName("btn9NewAccount");
    btn9NewAccount->SetBounds(27, 242, 225, 57);
    btn9NewAccount->SetCaption("Jsem zde poprvé:\nVyzkoušet Dalmora");
    btn9NewAccount->SetHint(kNewAccountHint);
    btn9NewAccount->SetShowHint(true);
    btn9NewAccount->OnClick = [this](plat::TComponent*) { btn9NewAccountClick(); };
    btn9NewAccount->SetParent(pLogin);

    label9Login = MakeLabel(this, pLogin, "label9Login", "E-mail, Uživatelské jméno nebo ID", 27, 328, plat::clWhite);
    edit9Login = new plat::TComboBox(this);
    edit9Login->SetName("edit9Login");
    edit9Login->SetStyle(plat::TComboBoxStyle::csDropDown);
    edit9Login->SetBounds(27, 346, 226, 23);
    edit9Login->SetMaxLength(kMaxNameLength);
    edit9Login->SetDropDownCount(25);
    edit9Login->SetText("@");
    edit9Login->OnChange = [this](plat::TComponent*) { edit9LoginChange(); };
    edit9Login->SetParent(pLogin);

    label9Pass = MakeLabel(this, pLogin, "label9Pass", "Heslo", 27, 376, plat::clWhite);
    edit9Pass = new plat::TEdit(this);
    edit9Pass->SetName("edit9Pass");
    edit9Pass->SetBounds(27, 394, 225, 21);
    edit9Pass->SetMaxLength(kMaxNameLength);
    edit9Pass->SetPasswordChar('*');
    edit9Pass->OnChange = [this](plat::TComponent*) { edit9PassChange(); };
    edit9Pass->SetParent(pLogin);

    label9NewAccount = MakeLabel(this, pLogin, "label9NewAccount", "Nový účet [ZDARMA]", 27, 434, plat::clYellow);
    label9NewAccount->SetHint(kNewAccountHint);
    label9NewAccount->SetShowHint(true);
    label9NewAccount->SetCursor(plat::crHandPoint);
    label9NewAccount->OnClick = [this](plat::TComponent*) { btn9NewAccountClick(); };

    btn9Login = new plat::TButton(this);
    btn9Login->SetName("btn9Login");
    btn9Login->SetDefault(true);
    btn9Login->SetBounds(156, 434, 96, 29);
    btn9Login->SetCaption("Přihlásit");
    btn9Login->OnClick = [this](plat::TComponent*) { btn9LoginClick(); };
    btn9Login->SetParent(pLogin);

    label9LoginTest = MakeLabel(this, pLogin, "label9LoginTest", "", 27, 488, plat::clWhite);
    // Wrapped at the page's width; it grows to the lines the text needs.
    label9LoginTest->SetAutoSize(false);
    label9LoginTest->SetBounds(27, 488, 225, 33);
    label9LoginTest->SetWordWrap(true);
    label9LoginTest->SetAutoSize(true);

    label9Proxy = MakeLabel(this, pLogin, "label9Proxy", "Proxy server", 27, 539, plat::clSilver);
    label9Proxy->SetHint("Pokud by se připojení nezdařilo, zkontrolujte nastavení proxy serveru.");
    label9Proxy->SetShowHint(true);
    label9Proxy->SetCursor(plat::crHandPoint);
    label9Proxy->OnClick = [this](plat::TComponent*) { label9ProxyClick(); };
    label9ForgotPassword =
        MakeLabel(this, pLogin, "label9ForgotPassword", "Zapomenuté heslo?", 158, 539, plat::clWhite);
    label9ForgotPassword->SetCursor(plat::crHandPoint);
    label9ForgotPassword->OnClick = [this](plat::TComponent*) { label9ForgotPasswordClick(); };

    timerRunPreloginTest = new plat::TTimer(this);
    timerRunPreloginTest->SetName("timerRunPreloginTest");
    timerRunPreloginTest->SetEnabled(false);
    timerRunPreloginTest->SetInterval(1000);
    timerRunPreloginTest->OnTimer = [this](plat::TComponent*) { timerRunPreloginTestTimer(); };
    timerAfterOnlineLogin->OnTimer = [this](plat::TComponent*) { timerAfterOnlineLoginTimer(); };
    timerAutoLogin->OnTimer = [this](plat::TComponent*) { timerAutoLoginTimer(); };
    timerMainFromOnline->OnTimer = [this](plat::TComponent*) { timerMainFromOnlineTimer(); };
    timerDblClickTimer->OnTimer = [this](plat::TComponent*) { timerDblClickTimerTimer(); };
    timerUpdateUI->OnTimer = [this](plat::TComponent*) { timerUpdateUITimer(); };

    plat::TMenuItem* file = FindOrAddItem(this, MainMenu2->Items(), "mnuFile", "&Soubor");
    mnuUserLogout = FindOrAddItem(this, file, "mnuUserLogout", "Odhlásit uživatele");
    mnuUserLogout->OnClick = [this](plat::TComponent*) { mnuUserLogoutClick(); };
    pmnuUserLogout = FindOrAddItem(this, popupTray->Items(), "pmnuUserLogout", "Odhlásit uživatele");
    pmnuUserLogout->OnClick = [this](plat::TComponent*) { pmnuUserLogoutClick(); };
}

void TfrmMainDLMR1::PlaceLoginTitles()
{
    for (plat::TLabel* title : {labelLoginTitle, labelLoginTitleShadow})
        title->SetCaption(App.ApplicationTitle);
    labelLoginSubtitle->SetCaption(App.ApplicationMotto);
    labelLoginTitle->SetLeft(pLogin->Width() / 2 - labelLoginTitle->Width() / 2);
    labelLoginTitleShadow->SetLeft(labelLoginTitle->Left() + 1);
    labelLoginSubtitle->SetLeft(pLogin->Width() / 2 - labelLoginSubtitle->Width() / 2);
}

// ---------------------------------------------------------------------------
// Showing the page

void TfrmMainDLMR1::ShowLoginForm()
{
    Guarded("[TfrmMainDLMR1::ShowLoginForm]", [&] {
        // 1. The window hides while the page is built.
        LogText("[TfrmMainDLMR1::ShowLoginForm][BEGIN]");
        SetMinSize(0, 0);
        SetAlphaBlend(true);
        SetAlphaBlendValue(0);

        // 2. Nobody is signed in now.
        signedIn = 0;
        g.NewAccount.PreLoginTestPending = 0;
        loginValid = false;
        passwordValid = false;
        EnableLoginButton();
        edit9Pass->SetText("");

        // 3. and 4. The login page's titles, shown alone.
        PlaceLoginTitles();
        ShowOrHideWindowPartsForLogin();
        gDesk->SetActivePage("Login");
        SetMenu(nullptr);
        SetWindowState(plat::TWindowState::wsNormal);
        SetBorderStyle(plat::TFormBorderStyle::bsSingle);
        SetBorderIcons(BorderIcons() & ~plat::biMaximize);

        // 5. The window manager owns the frame: the client area is the panel
        // and the status bar; the frame it reports joins the centring.
        SetClientWidth(kPanelWidth);
        SetClientHeight(kPanelHeight + View.StatusBarHeight + kBelowPanel);
        // A run started hidden stays unseen and off screen: showing it
        // brings it back into the work area.
        if (App.IsAutorun != 0) {
            SetAlphaBlendValue(0);
        } else {
            const plat::TRect area = plat::Screen::WorkArea();
            const int32_t areaWidth = area.Right - area.Left;
            const int32_t areaHeight = area.Bottom - area.Top;
            int32_t top = area.Top + areaHeight / 2 - Height() / 2 - 30;
            if (top < area.Top)
                top = (areaHeight - Height()) / 2;
            SetLeft(area.Left + (areaWidth - Width()) / 2);
            SetTop(top);
        }

        // 6. The layout of the new size places the status bar (and makes
        // its panels the first time).
        g.GeometryRestoredOnce = false;
        View.ResizeMainForm();
        View.StatusBars[kStatusTextPanel].SetText("Připraven", "");
        g.UpdateStatusBarVersion(true);
        std::string usersFolder = TNGlobal::EnterUsersFolder();
        if (!usersFolder.empty())
            Uzivatele.Load(usersFolder);

        // 7. The remembered accounts.
        bool autoSignIn = false;
        bool passwordRemembered = false;
        FillRememberedAccounts(autoSignIn, passwordRemembered);

        // 8. The fields run their change handlers.
        edit9LoginChange();
        edit9PassChange();
        if (App.IsAutorun == 0)
            ShowApplication("TfrmMainDLMR1::ShowLoginForm", plat::Application::kShowNormal);

        // 9. An automatic sign-in for the remembered user.
        const bool active = Uzivatele.HasActiveUser();
        if (autoLoginPending) {
            if (autoSignIn) {
                EnableLoginComponents(false);
                timerAutoLogin->SetTag(0);
                timerAutoLogin->SetInterval(1);
                timerAutoLogin->SetEnabled(true);
            } else {
                ShowApplication("TfrmMainDLMR1::ShowLoginForm", plat::Application::kShowNormal);
                RestoreApplication();
                g.NewAccount.NewestVersionTest = 1;
            }
        } else {
            if (!active || !passwordRemembered) {
                ShowApplication("TfrmMainDLMR1::ShowLoginForm", plat::Application::kShowNormal);
                RestoreApplication();
                g.NewAccount.NewestVersionTest = 1;
            }
            timerFocus->SetTag(1);
            timerFocus->SetInterval(250);
            timerFocus->SetEnabled(true);
        }

        // 10. The first-time-here blink.
        timerDblClickTimer->SetTag(kBlinkTag);
        timerDblClickTimer->SetInterval(1000);
        timerDblClickTimer->SetEnabled(true);
        btn9NewAccount->SetTag(0);
        btn9NewAccount->Font().SetColor(plat::clBlack);

        // 11. The report runs on a worker: an unreachable service must not
        // hold the page.
        if (Uzivatele.Count() == 0)
            g.StartEmptyLoginWindowStats();
        timerOnline->SetEnabled(true);
        LogText("[TfrmMainDLMR1::ShowLoginForm][END]");
    });
}

void TfrmMainDLMR1::FillRememberedAccounts(bool& autoSignIn, bool& passwordRemembered)
{
    edit9Login->ClearItems();
    for (int32_t i = 0; i < Uzivatele.Count(); ++i) {
        TNUser user;
        if (Uzivatele.GetUser(i, &user))
            edit9Login->AddItem(std::string(user.Login.View()));
    }
    TNUser active;
    if (Uzivatele.GetActiveUser(&active)) {
        edit9Login->SetItemIndex(Uzivatele.AktivniUzivatel);
        edit9Login->SetText(std::string(active.Login.View()));
        passwordRemembered = !active.Password.IsEmpty();
        if (active.RememberPassword != 0) {
            autoSignIn = true;
            edit9Login->SetTag(99);
            edit9Pass->SetText(std::string(active.Password.View()));
        }
        return;
    }
    TNUser selected;
    if (Uzivatele.GetUser(Uzivatele.SelectedIndex, &selected)) {
        edit9Login->SetItemIndex(Uzivatele.SelectedIndex);
        edit9Login->SetText(std::string(selected.Login.View()));
        edit9Pass->SetText("");
        return;
    }
    edit9Login->SetItemIndex(-1);
    edit9Login->SetText("@");
}

// ---------------------------------------------------------------------------
// The checks as the user types

void TfrmMainDLMR1::edit9LoginChange()
{
    Guarded("[TfrmMainDLMR1::edit9LoginChange]", [&] {
        timerRunPreloginTest->SetEnabled(false);
        loginValid = false;
        const std::string text = edit9Login->Text();
        if (text.empty() || text == "@") {
            label9LoginTest->SetCaption(kFirstTimeHint);
            label9LoginTest->Font().SetColor(kAqua);
        } else if (const char* kind = NameKindText(text); kind[0] != '\0') {
            label9LoginTest->SetCaption(kind);
            label9LoginTest->Font().SetColor(plat::clWhite);
            loginValid = true;
            if (edit9Login->Tag() == 0 && g.NewAccount.PreLoginTestPending == 0 && text != lastTestedLogin_) {
                g.NewAccount.SetPreLoginTestName(TNString(text.c_str()));
                timerRunPreloginTest->SetEnabled(true);
            }
        } else {
            label9LoginTest->SetCaption(std::string("Vyplňte Váš e-mail ve tvaru ") + kSampleAddress);
            label9LoginTest->Font().SetColor(kSilver);
        }
        EnableLoginButton();
    });
}

void TfrmMainDLMR1::edit9PassChange()
{
    passwordValid = TNCommon::CheckPassword(edit9Pass->Text().c_str());
    EnableLoginButton();
}

void TfrmMainDLMR1::EnableLoginButton()
{
    btn9Login->SetEnabled(loginValid && passwordValid);
}

void TfrmMainDLMR1::EnableLoginComponents(bool enable)
{
    g.LoginInProgress = enable ? 0 : 1;
    for (plat::TControl* control :
         {static_cast<plat::TControl*>(label9ForgotPassword), static_cast<plat::TControl*>(edit9Login),
          static_cast<plat::TControl*>(edit9Pass), static_cast<plat::TControl*>(btn9NewAccount),
          static_cast<plat::TControl*>(btn9Login), static_cast<plat::TControl*>(label9NewAccount),
          static_cast<plat::TControl*>(label9Proxy)})
        control->SetEnabled(enable);
    // The button still follows the checks.
    if (enable)
        EnableLoginButton();
}

// The name to test was handed over at the change; the flag follows it.
void TfrmMainDLMR1::timerRunPreloginTestTimer()
{
    Guarded("[TfrmMainDLMR1::timerRunPreloginTestTimer]", [&] {
        timerRunPreloginTest->SetEnabled(false);
        lastTestedLogin_ = std::string(g.NewAccount.Get().TypedLogin.View());
        g.NewAccount.RequestPreLoginTest();
        g.FastSync("timerRunPreloginTestTimer");
    });
}

void TfrmMainDLMR1::timerMainFromOnlineTimer()
{
    Guarded("[TfrmMainDLMR1::timerMainFormOnlineTimer]", [&] {
        LogText("[TfrmMainDLMR1::timerMainFormOnlineTimer][BEGIN]");
        timerMainFromOnline->SetEnabled(false);
        const int64_t tag = timerMainFromOnline->Tag();
        if (tag == 1 && NameKindText(edit9Login->Text())[0] != '\0') {
            label9LoginTest->SetCaption("V pořádku, účet existuje. Zadejte heslo");
            label9LoginTest->Font().SetColor(kLime);
        } else if (tag == 2) {
            label9LoginTest->SetCaption("Uživatelský účet neexistuje.");
            label9LoginTest->Font().SetColor(kRed);
        }
        timerMainFromOnline->SetTag(0);
        LogText("[TfrmMainDLMR1::timerMainFormOnlineTimer][END]");
    });
}

void TfrmMainDLMR1::timerDblClickTimerTimer()
{
    if (timerDblClickTimer->Tag() != kBlinkTag || edit9Login->Text().size() >= 2) {
        timerDblClickTimer->SetEnabled(false);
        timerDblClickTimer->SetTag(0);
        return;
    }
    const bool grey = btn9NewAccount->Tag() == 0;
    btn9NewAccount->SetTag(grey ? 1 : 0);
    btn9NewAccount->Font().SetColor(grey ? kBlinkGrey : plat::clBlack);
}

void TfrmMainDLMR1::StopFirstTimeBlink()
{
    timerDblClickTimer->SetTag(0);
    timerDblClickTimer->SetInterval(250);
    timerDblClickTimer->SetEnabled(false);
    btn9NewAccount->SetTag(0);
    btn9NewAccount->Font().SetColor(plat::clBlack);
}

void TfrmMainDLMR1::FocusLoginEdits()
{
    plat::TWinControl* edit = edit9Login->Text().size() >= 3 ? static_cast<plat::TWinControl*>(edit9Pass)
                                                             : static_cast<plat::TWinControl*>(edit9Login);
    if (edit == edit9Pass)
        edit9Pass->SelectAll();
    else
        edit9Login->SelectAll();
    if (edit->CanFocus() && !focusLock)
        edit->SetFocus();
}

// ---------------------------------------------------------------------------
// Sign-in

void TfrmMainDLMR1::btn9LoginClick()
{
    Guarded("[TfrmMainDLMR1::btn9LoginClick]", [&] {
        if (!loginValid || !passwordValid)
            return;
        StopFirstTimeBlink();
        edit9Login->SetTag(0);
        EnableLoginComponents(false);
        btn9Login->SetCaption("Přihlašování...");
        plat::Screen::SetCursor(plat::crHourGlass);
        RunLoginThreadNow(1);
    });
}

void TfrmMainDLMR1::RunLoginThreadNow(int32_t job)
{
    auto* thread = new TLogin();
    thread->Tag = job;
    thread->Username.Set(edit9Login->Text().c_str());
    thread->Password.Set(edit9Pass->Text().c_str());
    if (!thread->Resume()) {
        delete thread;
        LogTextInt("[TfrmMainDLMR1::RunLoginThreadNow][ERROR] no thread for job ", job);
    }
}

void TfrmMainDLMR1::timerAfterOnlineLoginTimer()
{
    Guarded("[TfrmMainDLMR1::timerAfterOnlineLoginTimer]", [&] {
        const int64_t tag = timerAfterOnlineLogin->Tag();
        timerAfterOnlineLogin->SetTag(0);
        timerAfterOnlineLogin->SetEnabled(false);
        if (tag == 1) {
            btn9Login->SetCaption("Načítání...");
            btn9LoginClick_afterSync(g.loginResult, g.loginResNo, std::string(g.LoginResultText().View()));
        } else if (tag == 2) {
            g.CompleteSignIn();
            plat::Screen::SetCursor(plat::crDefault);
            btn9Login->SetCaption("Přihlásit");
            EnableLoginComponents(true);
            Setup.Load(Uzivatele, std::string(Dirs.UsersSetupFile.View()));
            AktivujNastaveni();
            signedIn = 1;
            autoLoginPending = false;
            App.IsAutorun = 0;
            RunOnlineNow();
        }
    });
}

void TfrmMainDLMR1::btn9LoginClick_afterSync(bool success, int32_t resno, const std::string& message)
{
    Guarded("[TfrmMainDLMR1::btn9LoginClick_afterSync]", [&] {
        if (success) {
            g.ContinueAcceptedSignIn(TNString(edit9Login->Text().c_str()), TNString(edit9Pass->Text().c_str()));
            return;
        }
        EnableLoginComponents(true);
        btn9Login->SetCaption("Přihlásit");
        if (resno < 0) {
            App.IsAutorun = 0;
            autoLoginPending = false;
            ShowApplication("TfrmMainDLMR1::btn9LoginClick_afterSync", plat::Application::kShowNormal);
            plat::SleepMilliseconds(kRefusalPauseMs);
            TNString text(message.c_str());
            text.DecodeHtmlEntities();
            {
                MessageBoxShown = 1;
                TNScopeExit closed([] { MessageBoxShown = 0; });
                plat::MessageBox(std::string(text.View()), "Chyba přihlašování", plat::MB_OK | plat::MB_ICONERROR);
            }
            plat::Screen::SetCursor(plat::crDefault);
            if (edit9Login->CanFocus() && !paintingFrozen_)
                edit9Login->SetFocus();
        } else if (autoLoginPending) {
            timerAutoLogin->SetTag(0);
            timerAutoLogin->SetInterval(kAutoLoginRetryMs);
            timerAutoLogin->SetEnabled(true);
        }
        if (resno == 0) {
            // The text keeps to the lines above the proxy link; the whole
            // reason is the hint.
            const std::string reason = plat::Utf8ToCp1250(g.LoginTransportReason());
            for (size_t room = reason.size();; room = room > kReasonStep ? room - kReasonStep : 0) {
                ShowInfoText(NoAnswerText(reason, room, autoLoginPending).c_str());
                if (room == 0 || label9LoginTest->Top() + label9LoginTest->Height() <= label9Proxy->Top())
                    break;
            }
            label9LoginTest->SetHint(reason);
            label9LoginTest->SetShowHint(!reason.empty());
        }
        signedIn = 0;
    });
}

void TfrmMainDLMR1::timerAutoLoginTimer()
{
    timerAutoLogin->SetEnabled(false);
    plat::Screen::SetCursor(plat::crHourGlass);
    btn9LoginClick();
}

// ---------------------------------------------------------------------------
// The page's other commands

void TfrmMainDLMR1::btn9NewAccountClick()
{
    Guarded("[TfrmMainDLMR1::btn9NewAccountClick]", [&] {
        g.NewAccount.RequestPending = 0;
        g.NewAccount.UserPathTest = 0;
        g.NewAccount.EmailTest = 0;
        g.NewAccount.Update([](TNNewAccountState::Texts& texts) {
            texts.UserName.Set("");
            texts.UserPath.Set("");
            texts.Email.Set("");
        });
        StopFirstTimeBlink();
        RunLoginThreadNow(3);
        UniDialog("NewUser", btn9NewAccount, 0, 0, 0, 0, 0, 0, 0, 0);
    });
}

void TfrmMainDLMR1::label9ProxyClick()
{
    UniDialog("Proxy", label9Proxy, 0, 0, 0, 0, 0, 0, 0, 0);
}

void TfrmMainDLMR1::label9ForgotPasswordClick()
{
    c.OpenUrl(App.ForgottenPasswordUrl);
}

void TfrmMainDLMR1::mnuChangeEmailClick(int32_t which)
{
    UniDialog("ChangeEmail", nullptr, which, 0, 0, 0, 0, 0, 0, 0);
}

void TfrmMainDLMR1::mnuChangePasswordClick()
{
    UniDialog("ChangePassword", nullptr, 0, 0, 0, 0, 0, 0, 0, 0);
}

void TfrmMainDLMR1::mnuUserLogoutClick()
{
    Guarded("[TfrmMainDLMR1::mnuUserLogoutClick]", [&] {
        SetBorderIcons(BorderIcons() & ~plat::biMaximize);
        if (g.OdhlasUzivatele(false))
            ShowLoginForm();
    });
}

void TfrmMainDLMR1::pmnuUserLogoutClick()
{
    if (signedIn == 1)
        mnuUserLogoutClick();
}

// ---------------------------------------------------------------------------
// How the workers reach the page

void TfrmMainDLMR1::InstallLoginPageHooks()
{
    MainWindowHooks.WakeUiTagConsumer = [] {
        if (TfrmMainDLMR1* form = Main())
            form->timerUpdateUI->SetEnabled(true);
    };
    MainWindowHooks.ArmAfterOnlineLogin = [](int32_t tag) {
        if (TfrmMainDLMR1* form = Main()) {
            form->timerAfterOnlineLogin->SetTag(tag);
            form->timerAfterOnlineLogin->SetInterval(5);
            form->timerAfterOnlineLogin->SetEnabled(true);
        }
    };
    MainWindowHooks.ArmAutoLogin = [](int32_t tag, int32_t intervalMs) {
        if (TfrmMainDLMR1* form = Main()) {
            form->timerAutoLogin->SetTag(tag);
            form->timerAutoLogin->SetInterval(static_cast<uint32_t>(intervalMs));
            form->timerAutoLogin->SetEnabled(true);
        }
    };
    MainWindowHooks.ArmMainFromOnline = [](int32_t tag) {
        if (TfrmMainDLMR1* form = Main()) {
            form->timerMainFromOnline->SetTag(tag);
            form->timerMainFromOnline->SetEnabled(true);
        }
    };
    SessionHooks.FillLoginFields = [](const char* login, const char* password) {
        if (TfrmMainDLMR1* form = Main()) {
            form->edit9Login->SetText(login != nullptr ? login : "");
            form->edit9Pass->SetText(password != nullptr ? password : "");
            form->edit9LoginChange();
            form->edit9PassChange();
        }
    };
    SessionHooks.SetAfterOnlineLoginTag = [](int32_t tag) {
        if (TfrmMainDLMR1* form = Main())
            form->timerAfterOnlineLogin->SetTag(tag);
    };
    SessionHooks.StopClockAndOnlineTimers = [] {
        if (TfrmMainDLMR1* form = Main()) {
            form->timerOnline->SetTag(999);
            g.OnlineTimerTag = 999;
            form->timerOnline->SetEnabled(false);
            form->timerHodiny->SetEnabled(false);
        }
    };
    PagesHooks.SetOrganizerToOpen = [](uint32_t organizerId) {
        if (TfrmMainDLMR1* form = Main())
            form->organizerToOpen = organizerId;
    };
}

void TfrmMainDLMR1::RemoveLoginPageHooks()
{
    MainWindowHooks.WakeUiTagConsumer = nullptr;
    MainWindowHooks.ArmAfterOnlineLogin = nullptr;
    MainWindowHooks.ArmAutoLogin = nullptr;
    MainWindowHooks.ArmMainFromOnline = nullptr;
    SessionHooks.FillLoginFields = nullptr;
    SessionHooks.SetAfterOnlineLoginTag = nullptr;
    SessionHooks.StopClockAndOnlineTimers = nullptr;
    PagesHooks.SetOrganizerToOpen = nullptr;
}
