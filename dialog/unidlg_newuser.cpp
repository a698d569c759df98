// The new-account wizard: user name, password, e-mail, the terms and the
// password again, one step at a time, revealed group by group. The name
// and e-mail tests and the creation run in the online pass; their answers
// come back through the session hooks while the page is open.

#include "dialog/account_pages.h"
#include "dialog/new_account_check.h"
#include "dialog/unidlg.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "mainwindow/main_window.h"
#include "online/global.h"
#include "online/session_hooks.h"
#include "platform/gui/button.h"
#include "platform/gui/edit.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr int32_t kPageWidth = 425;
constexpr int32_t kPageHeight = 340;
constexpr int32_t kMaxText = 128;
// The field's Tag while the program sets its text: no check runs then.
constexpr int64_t kProgramText = 99;
constexpr int32_t kFirstRevealMs = 500;
constexpr int32_t kRevealMs = 50;
constexpr int32_t kLastStep = 5;
constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kShadow = 0x404040;
constexpr plat::TColor kRed = 0x0000FF;
constexpr plat::TColor kPageBlue = 0xA05A2C;
constexpr int32_t kWarning = 0x30;

struct StepTexts {
    const char* hint;
    const char* title;
    const char* continueCaption;
};

const StepTexts kSteps[] = {
    {"Uživatelské jméno", "Uživatelské jméno", "Pokračovat"},
    {"Heslo", "Heslo", "Pokračovat"},
    {"E-mailová adresa", "E-mail (pro obnovu zapomenutého hesla)", "Pokračovat"},
    {"Podmínky používání", "Souhlasíte s Podmínkami používání?", "Souhlasím"},
    {"Heslo znovu", "Ještě jednou zadejte heslo", "Dokončit"},
    {"Vytvářím účet...", "", ""},
};

const char* const kPathTaken = "Tak bohužel...\nToto uživatelské jméno již někdo používá\nVymyslete si jiné";
const char* const kEmailTaken = "Účet již existuje...\nUživatelský účet s touto e-mailovou adresou již existuje. Pokud "
                                "je to Váš účet, v přihlašovacím okně vyplňte tuto e-mailovou adresu. Nebo zde zadejte "
                                "jinou";
const char* const kCreationFailed = "Účet se nepodařilo vytvořit.\nZkuste to znovu.";

plat::TLabel* MakeLabel(plat::TComponent* owner, plat::TWinControl* parent, const char* name, int top)
{
    auto* label = new plat::TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetTransparent(true);
    label->SetShowAccelChar(false);
    label->SetAutoSize(true);
    label->SetLeft(30);
    label->SetTop(top);
    label->Font().SetColor(kWhite);
    return label;
}

plat::TButton* MakeButton(plat::TComponent* owner, plat::TWinControl* parent, const char* name, const char* text,
                          int left)
{
    auto* button = new plat::TButton(owner);
    button->SetName(name);
    button->SetParent(parent);
    button->SetCaption(text);
    button->SetBounds(left, 190, 120, 30);
    return button;
}

// The open new-account page, if any.
TfrmUnidlgDLMR1* OpenNewUserPage()
{
    for (int32_t slot = kUniDialogSlots - 1; slot >= 0; --slot) {
        TfrmUnidlgDLMR1* dialog = UniDialogInSlot(slot);
        if (dialog != nullptr && dialog->Key == "NewUser" && dialog->newUserPage != nullptr)
            return dialog;
    }
    return nullptr;
}

std::string Str(const TNString& text)
{
    return std::string(text.View());
}

int32_t& Step(TfrmUnidlgDLMR1& dialog)
{
    return dialog.Params[1];
}

} // namespace

bool TfrmUnidlgDLMR1::AktivujDialog_NewUser()
{
    plat::TPanel* panel = PagePanel(Key);
    if (newUserPage == nullptr) {
        auto page = std::make_unique<TNNewUserPage>();
        page->label6HintShadow = MakeLabel(this, panel, "label6HintShadow", 21);
        page->label6HintShadow->Font().SetColor(kShadow);
        page->label6Hint = MakeLabel(this, panel, "label6Hint", 20);
        for (plat::TLabel* hint : {page->label6HintShadow, page->label6Hint}) {
            hint->Font().SetSize(16);
            hint->Font().SetStyle(plat::fsBold);
        }
        // The big title keeps its own box: the shadow lies one pixel off.
        page->label6Hint->SetAutoSize(false);
        page->label6Hint->SetBounds(30, 20, 365, 40);
        page->label6HintShadow->SetAutoSize(false);
        page->label6HintShadow->SetBounds(31, 21, 365, 40);
        page->label6Title = MakeLabel(this, panel, "label6Title", 90);
        page->edit6Value = new plat::TEdit(this);
        page->edit6Value->SetName("edit6Value");
        page->edit6Value->SetParent(panel);
        page->edit6Value->SetBounds(30, 114, 365, 27);
        page->edit6Value->SetMaxLength(kMaxText);
        page->edit6Value->OnChange = [this](plat::TComponent*) { edit6ValueChange(); };
        page->label6Terms = MakeLabel(this, panel, "label6Terms", 118);
        page->label6Terms->SetCaption("Přečíst podmínky používání");
        page->label6Terms->Font().SetStyle(plat::fsUnderline);
        page->label6Terms->SetCursor(plat::crHandPoint);
        page->label6Terms->OnClick = [this](plat::TComponent*) { label6TermsClick(); };
        page->btn6Back = MakeButton(this, panel, "btn6Back", "Zpět", 30);
        page->btn6Back->OnClick = [this](plat::TComponent*) { btn6BackClick(); };
        page->btn6Continue = MakeButton(this, panel, "btn6Continue", "Pokračovat", 275);
        page->btn6Continue->SetDefault(true);
        page->btn6Continue->OnClick = [this](plat::TComponent*) { btn6ContinueClick(); };
        page->label6Info = MakeLabel(this, panel, "label6Info", 240);
        page->label6Info->SetAutoSize(false);
        page->label6Info->SetAlignment(plat::TAlignment::taCenter);
        page->label6Info->SetWordWrap(true);
        page->label6Info->SetBounds(20, 240, kPageWidth - 40, 90);
        newUserPage = std::move(page);
        // The bar's OK is not this page's default button.
        btnUlozit->SetDefault(false);
    }
    timerNewUser->OnTimer = [this](plat::TComponent*) { timerNewUserTimer(); };
    SetCaption("Nový uživatelský účet");
    panel->SetColor(kPageBlue);
    panel->SetBounds(0, 0, kPageWidth, kPageHeight);
    FitClientToPage(*panel);
    g.NewAccount.PageActive = 1;
    return true;
}

void TfrmUnidlgDLMR1::ActivateNewUser()
{
    btn6HideAll();
    Step(*this) = 0;
    timerNewUser->SetTag(0);
    timerNewUser->SetInterval(kFirstRevealMs);
    timerNewUser->SetEnabled(true);
}

void TfrmUnidlgDLMR1::btn6HideAll()
{
    TNNewUserPage& page = *newUserPage;
    for (plat::TControl* control :
         {static_cast<plat::TControl*>(page.label6HintShadow), static_cast<plat::TControl*>(page.label6Hint),
          static_cast<plat::TControl*>(page.label6Title), static_cast<plat::TControl*>(page.edit6Value),
          static_cast<plat::TControl*>(page.label6Terms), static_cast<plat::TControl*>(page.btn6Back),
          static_cast<plat::TControl*>(page.btn6Continue), static_cast<plat::TControl*>(page.label6Info)})
        control->SetVisible(false);
}

// Enter clicks the default button even while it is disabled on some
// platforms: the step's own rule decides.
void TfrmUnidlgDLMR1::btn6ContinueClick()
{
    TNNewUserPage& page = *newUserPage;
    if (!page.btn6Continue->Enabled() || !page.btn6Continue->Visible() || Step(*this) >= kLastStep)
        return;
    btn6HideAll();
    ++Step(*this);
    timerNewUser->SetTag(0);
    timerNewUser->SetInterval(kFirstRevealMs);
    timerNewUser->SetEnabled(true);
}

void TfrmUnidlgDLMR1::btn6BackClick()
{
    if (Step(*this) <= 0 || Step(*this) >= kLastStep)
        return;
    btn6HideAll();
    --Step(*this);
    timerNewUser->SetTag(0);
    timerNewUser->SetInterval(kRevealMs);
    timerNewUser->SetEnabled(true);
}

// The text a step's field starts with: what was typed there before.
static std::string StepValue(int32_t step)
{
    const TNNewAccountState::Texts texts = g.NewAccount.Get();
    switch (step) {
    case 0:
        return Str(texts.UserPath);
    case 1:
        return Str(texts.Password);
    case 2:
        return Str(texts.Email);
    default:
        return "";
    }
}

void TfrmUnidlgDLMR1::timerNewUserTimer()
{
    Guarded("[TfrmUnidlgDLMR1::timerNewUserTimer]", [&] {
        TNNewUserPage& page = *newUserPage;
        timerNewUser->SetInterval(kRevealMs);
        const int32_t step = Step(*this);
        const StepTexts& texts = kSteps[step];
        page.label6Hint->SetCaption(texts.hint);
        page.label6HintShadow->SetCaption(texts.hint);
        page.label6Title->SetCaption(texts.title);
        page.btn6Continue->SetCaption(texts.continueCaption);
        if (step == kLastStep) {
            page.label6Hint->SetVisible(true);
            page.label6HintShadow->SetVisible(true);
            timerNewUser->SetEnabled(false);
            g.NewAccount.RequestPending = 1;
            if (frmMainDLMR1 != nullptr) {
                frmMainDLMR1->timerOnline->SetTag(0);
                frmMainDLMR1->timerRunPreloginTest->SetEnabled(true);
            }
            return;
        }
        const int64_t group = timerNewUser->Tag();
        switch (group) {
        case 0:
            page.edit6Value->SetPasswordChar(step == 1 || step == 4 ? '*' : '\0');
            page.edit6Value->SetTag(kProgramText);
            page.edit6Value->SetText(StepValue(step));
            page.label6Info->Font().SetColor(kWhite);
            page.label6Info->SetCaption(step == 0   ? kNewAccountDefaultText
                                        : step == 1 ? kNewAccountDefaultPassText
                                        : step == 2 ? kNewAccountDefaultEmailText
                                        : step == 4 ? kNewAccountRepeatText
                                                    : "");
            page.label6HintShadow->SetVisible(true);
            page.label6Hint->SetVisible(true);
            break;
        case 1:
            page.label6Title->SetVisible(true);
            break;
        case 2:
            if (step == 3) {
                page.label6Terms->SetVisible(true);
            } else {
                page.edit6Value->SetVisible(true);
                page.edit6Value->SetFocus();
            }
            break;
        case 3:
            page.btn6Back->SetVisible(step > 0);
            page.btn6Continue->SetEnabled(step == 3);
            page.btn6Continue->SetVisible(true);
            break;
        default:
            page.label6Info->SetVisible(true);
            timerNewUser->SetEnabled(false);
            page.edit6Value->SetTag(0);
            if (step != 3)
                edit6ValueChange();
            break;
        }
        timerNewUser->SetTag(group + 1);
    });
}

// Every change: the step's check, its text under the field, and the values
// handed to the online pass. Continue waits for a free name or address.
void TfrmUnidlgDLMR1::edit6ValueChange()
{
    Guarded("[TfrmUnidlgDLMR1::edit6ValueChange]", [&] {
        TNNewUserPage& page = *newUserPage;
        if (page.edit6Value->Tag() == kProgramText)
            return;
        const int32_t step = Step(*this);
        const std::string text = page.edit6Value->Text();
        const TNNewAccountCheck check = CheckNewAccountStep(step, text, Str(g.NewAccount.Get().Password));
        page.answeredFree = false;
        page.label6Info->Font().SetColor(kWhite);
        page.label6Info->SetCaption(check.Message);
        const TNString value(text.c_str());
        bool armTest = false;
        if (check.Valid && step == 0) {
            g.NewAccount.Update([&](TNNewAccountState::Texts& texts) { texts.UserPath = value; });
            g.NewAccount.UserPathTest = 1;
            armTest = true;
        } else if (check.Valid && step == 1) {
            g.NewAccount.Update([&](TNNewAccountState::Texts& texts) { texts.Password = value; });
        } else if (check.Valid && step == 2) {
            g.NewAccount.Update([&](TNNewAccountState::Texts& texts) {
                texts.Email = value;
                texts.UserName = value;
            });
            g.NewAccount.EmailTest = 1;
            armTest = true;
        }
        const bool waitsForAnswer = step == 0 || step == 2;
        page.btn6Continue->SetEnabled(check.Valid && !waitsForAnswer);
        if (armTest && frmMainDLMR1 != nullptr)
            frmMainDLMR1->timerRunPreloginTest->SetEnabled(true);
    });
}

void TfrmUnidlgDLMR1::label6TermsClick()
{
    char address[sizeof(App.TermsUrl) + 32];
    std::snprintf(address, sizeof(address), "%s?UserLogout=true", App.TermsUrl);
    c.OpenUrl(address);
}

// An availability answer counts only for the text the field still holds,
// and only when no newer test waits.
void TfrmUnidlgDLMR1::SetNewAccountResult(const char* text, uint32_t colour, bool continueEnabled)
{
    TNNewUserPage& page = *newUserPage;
    const int32_t step = Step(*this);
    if (step != 0 && step != 2)
        return;
    const TNNewAccountState::Texts texts = g.NewAccount.Get();
    const bool pending = step == 0 ? g.NewAccount.UserPathTest.load() != 0 : g.NewAccount.EmailTest.load() != 0;
    const std::string tested = Str(step == 0 ? texts.UserPath : texts.Email);
    if (pending || tested != page.edit6Value->Text())
        return;
    page.label6Info->Font().SetColor(static_cast<plat::TColor>(colour));
    page.label6Info->SetCaption(text != nullptr ? text : "");
    page.answeredFree = continueEnabled;
    page.btn6Continue->SetEnabled(continueEnabled);
}

// The service refused the creation: back to the step whose value must
// change, with the reason in red.
void TfrmUnidlgDLMR1::NewAccountCreationFailed(int32_t result)
{
    TNNewUserPage& page = *newUserPage;
    if (Step(*this) != kLastStep)
        return;
    const int32_t back = result == 2 ? 2 : result == 3 ? 0 : 4;
    const char* reason = result == 2 ? kEmailTaken : result == 3 ? kPathTaken : kCreationFailed;
    btn6HideAll();
    Step(*this) = back;
    timerNewUser->SetEnabled(false);
    // Revealed at once, so the reason is not overwritten by the step's
    // own explanation.
    for (int64_t group = 0; group < 4; ++group) {
        timerNewUser->SetTag(group);
        timerNewUserTimer();
    }
    timerNewUser->SetEnabled(false);
    page.edit6Value->SetTag(0);
    page.label6Info->Font().SetColor(kRed);
    page.label6Info->SetCaption(reason);
    page.label6Info->SetVisible(true);
    page.btn6Continue->SetEnabled(false);
}

// A close with no creation pending forgets what was typed.
void TfrmUnidlgDLMR1::EndNewUserPage()
{
    g.NewAccount.PageActive = 0;
    if (g.NewAccount.RequestPending.load() == 0)
        g.NewAccount.Update([](TNNewAccountState::Texts& texts) {
            texts.UserName.Set("");
            texts.Password.Set("");
            texts.UserPath.Set("");
            texts.Email.Set("");
        });
}

// Nothing in the program opens this page; the consent check stays.
bool TfrmUnidlgDLMR1::CreateNewVirtualAccount()
{
    MB("Pro pokračování je nutné zaškrtnout volbu\n'Souhlasím s Podmínkami používání Dalmora'", "Souhlas s Podmínkami",
       kWarning);
    LogText("[CreateNewVirtualAccount] not offered");
    return false;
}

void InstallNewAccountHooks()
{
    SessionHooks.NewAccountDialogOpen = [] { return OpenNewUserPage() != nullptr; };
    SessionHooks.SetNewAccountResult = [](const char* text, uint32_t colour, bool continueEnabled) {
        if (TfrmUnidlgDLMR1* dialog = OpenNewUserPage())
            dialog->SetNewAccountResult(text, colour, continueEnabled);
    };
    SessionHooks.NewAccountCreationFailed = [](int32_t result) {
        if (TfrmUnidlgDLMR1* dialog = OpenNewUserPage())
            dialog->NewAccountCreationFailed(result);
    };
    SessionHooks.CloseNewAccountDialog = [] {
        if (TfrmUnidlgDLMR1* dialog = OpenNewUserPage()) {
            dialog->saved = 1;
            dialog->Close();
        }
    };
}
