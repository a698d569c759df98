// The information strip at the top of the content, the new-version notice,
// the version label's blink and the service's message for users.

#include "mainwindow/main_window.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/info_messages.h"
#include "foundation/log.h"
#include "mainwindow/dialog_bridge.h"
#include "mainwindow/outside_addresses.h"
#include "online/global.h"
#include "online/hooks.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/flat_button.h"
#include "platform/gui/font.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/timer.h"
#include "view/hooks.h"
#include "view/view.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

constexpr plat::TColor kStripColour = 0xD8E9EC;    // #ECE9D8
constexpr plat::TColor kStripTopColour = 0x804000; // #004080
constexpr plat::TColor kGradientStart = 0xC56A31;  // #316AC5
constexpr plat::TColor kGradientEnd = 0x834202;    // #024283
constexpr plat::TColor kWhite = 0xFFFFFF;
constexpr plat::TColor kYellow = 0x00FFFF;
constexpr int32_t kStripStep = 5;
constexpr int32_t kAnimationInterval = 30;
constexpr int32_t kNewVersionMessageId = 7;

// Only web pages are opened for the service: its address may be empty or of
// any scheme.
bool IsWebAddress(const std::string& address)
{
    auto starts = [&](const char* prefix) {
        const std::string p(prefix);
        return address.size() > p.size() && std::equal(p.begin(), p.end(), address.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    return starts("http://") || starts("https://");
}

// A closed strip takes no room and hides; the frame below follows it.
void SetStripHeight(plat::TPanel& strip, int32_t height)
{
    const bool changed = strip.Height() != height || strip.Visible() != (height > 0);
    strip.SetHeight(height);
    strip.SetVisible(height > 0);
    if (changed)
        View.ResizeMainForm();
}

} // namespace

void TfrmMainDLMR1::CreateInfoStrip()
{
    pInfo->SetColor(kStripColour);
    pInfo->SetAlign(plat::TAlign::alTop);
    SetStripHeight(*pInfo, 0);

    pInfo0 = new plat::TPanel(this);
    pInfo0->SetName("pInfo0");
    pInfo0->SetBevelOuter(plat::TBevelCut::bvNone);
    pInfo0->SetBevelInner(plat::TBevelCut::bvNone);
    pInfo0->SetCaption("");
    pInfo0->SetColor(kStripTopColour);
    pInfo0->SetAlign(plat::TAlign::alTop);
    pInfo0->SetHeight(24);
    pInfo0->SetParent(pInfo);

    gradInfo = new plat::TJvGradient(this);
    gradInfo->SetName("gradInfo");
    gradInfo->SetColors(kGradientStart, kGradientEnd);
    gradInfo->SetAlign(plat::TAlign::alClient);
    gradInfo->SetParent(pInfo0);

    imgInfo = new plat::TImage(this);
    imgInfo->SetName("imgInfo");
    imgInfo->SetBounds(4, 4, 16, 16);
    imgInfo->SetParent(pInfo0);

    labelInfo = new plat::TLabel(this);
    labelInfo->SetName("labelInfo");
    labelInfo->SetTransparent(true);
    labelInfo->SetLeft(26);
    labelInfo->SetTop(5);
    labelInfo->Font().SetColor(kWhite);
    labelInfo->Font().SetSize(8);
    labelInfo->SetCursor(plat::crHandPoint);
    labelInfo->SetShowHint(true);
    labelInfo->SetCaption("Informace pro uživatele...");
    labelInfo->SetTag(-1);
    labelInfo->OnClick = [this](plat::TComponent*) { labelInfoClick(); };
    labelInfo->OnMouseEnter = [this](plat::TComponent*) { labelInfoMouseEnter(); };
    labelInfo->OnMouseLeave = [this](plat::TComponent*) { labelInfoMouseLeave(); };
    labelInfo->SetParent(pInfo0);

    btnInfoZavrit = new plat::TFlatButton(this);
    btnInfoZavrit->SetName("btnInfoZavrit");
    btnInfoZavrit->SetCaption("×");
    btnInfoZavrit->Font().SetStyle(plat::fsBold);
    btnInfoZavrit->Font().SetColor(kWhite);
    btnInfoZavrit->SetColor(kStripTopColour);
    btnInfoZavrit->SetHint("Zavřít informační pruh");
    btnInfoZavrit->SetShowHint(true);
    btnInfoZavrit->SetBounds(476, 1, 19, 22);
    btnInfoZavrit->OnClick = [this](plat::TComponent*) { btnInfoZavritClick(); };
    btnInfoZavrit->SetParent(pInfo0);
    // The close button keeps to the right end of the strip.
    pInfo0->OnResize = [this](plat::TComponent*) {
        btnInfoZavrit->SetLeft(pInfo->Width() - btnInfoZavrit->Width() - 1);
    };

    timerInfoPruh->SetInterval(50);
    timerInfoPruh->OnTimer = [this](plat::TComponent*) { timerInfoPruhTimer(); };
    timerAnimace = new plat::TTimer(this);
    timerAnimace->SetName("timerAnimace");
    timerAnimace->SetEnabled(false);
    timerAnimace->SetInterval(kAnimationInterval);
    timerAnimace->OnTimer = [this](plat::TComponent*) { timerAnimaceTimer(); };
}

void TfrmMainDLMR1::StartTimerInfoPruh(int32_t tag)
{
    timerInfoPruh->SetTag(tag);
    timerInfoPruh->SetEnabled(true);
}

void TfrmMainDLMR1::timerInfoPruhTimer()
{
    Guarded("[TfrmMainDLMR1::timerInfoPruhTimer]", [&] {
        LogText("[TfrmMainDLMR1::timerInfoPruhTimer][BEGIN]");
        int32_t index = static_cast<int32_t>(timerInfoPruh->Tag());
        timerInfoPruh->SetTag(0);
        timerInfoPruh->SetEnabled(false);
        if (index == -2)
            index = g.InfoMessages.NewestIndex();
        TNInfoMessage message;
        if (index >= 0 && g.InfoMessages.Get(index, message)) {
            labelInfo->SetTag(index);
            labelInfo->SetCaption(std::string(message.Title.View()));
            labelInfo->SetHint(std::string(message.Text.View()));
            if (MainWindowHooks.PlaySoundA != nullptr)
                MainWindowHooks.PlaySoundA(0);
            // Above the frame while the layout catches up with its height.
            pInfo->BringToFront();
            infoOpeningCounter = 1;
            timerAnimace->SetTag(0);
            timerAnimace->SetEnabled(true);
        }
        LogText("[TfrmMainDLMR1::timerInfoPruhTimer][END]");
    });
}

void TfrmMainDLMR1::timerAnimaceTimer()
{
    Guarded("[TfrmMainDLMR1::timerAnimaceTimer]", [&] {
        if (timerAnimace->Tag() != 0)
            return;
        LogText("[TfrmMainDLMR1::timerAnimaceTimer][BEGIN]");
        if (infoOpeningCounter >= 1 && infoOpeningCounter <= kInfoOpeningSteps) {
            SetStripHeight(*pInfo, std::min(pInfo->Height() + kStripStep, kInfoStripHeight));
            infoOpeningCounter = infoOpeningCounter < kInfoOpeningSteps ? infoOpeningCounter + 1 : 0;
        } else {
            timerAnimace->SetEnabled(false);
            timerAnimace->SetInterval(kAnimationInterval);
            timerAnimace->SetTag(0);
        }
        LogText("[TfrmMainDLMR1::timerAnimaceTimer][END]");
    });
}

void TfrmMainDLMR1::labelInfoMouseEnter()
{
    labelInfo->Font().SetColor(kYellow);
    labelInfo->Font().SetStyle(plat::fsUnderline);
}

void TfrmMainDLMR1::labelInfoMouseLeave()
{
    labelInfo->Font().SetColor(kWhite);
    labelInfo->Font().SetStyle(0);
}

void TfrmMainDLMR1::labelInfoClick()
{
    Guarded("[TfrmMainDLMR1::labelInfoClick]", [&] {
        const int32_t index = static_cast<int32_t>(labelInfo->Tag());
        TNInfoMessage message;
        if (!g.InfoMessages.Get(index, message))
            return;
        LogTextInt("[TfrmMainDLMR1::labelInfoClick] ", message.ID);
        switch (message.ID) {
        case 0:
        case kNewVersionMessageId:
            c.OpenUrl(App.HomepageUrl);
            break;
        case 6:
            c.ExitAllowed = 1;
            Close();
            break;
        default:
            break;
        }
        VymazAktivniInformaci(index);
    });
}

void TfrmMainDLMR1::btnInfoZavritClick()
{
    Guarded("[TfrmMainDLMR1::btnInfoZavritClick]", [&] {
        // The index is read before closing the strip resets it.
        const int32_t index = static_cast<int32_t>(labelInfo->Tag());
        SetStripHeight(*pInfo, 0);
        labelInfo->SetTag(-1);
        VymazAktivniInformaci(index);
    });
}

void TfrmMainDLMR1::VymazAktivniInformaci(int32_t index)
{
    Guarded("[TfrmMainDLMR1::VymazAktivniInformaci]", [&] {
        if (index < 0)
            return;
        SetStripHeight(*pInfo, 0);
        // An opening still under way must not grow the emptied strip again.
        infoOpeningCounter = 0;
        g.InfoMessages.RemoveAt(index);
        labelInfo->SetTag(-1);
        labelInfo->SetCaption("");
        labelInfo->SetHint("");
        StartTimerInfoPruh(-2);
    });
}

void TfrmMainDLMR1::UpozorniNaNovouVerzi()
{
    Guarded("[TfrmMainDLMR1::UpozorniNaNovouVerzi]", [&] {
        if (newVersionNoticeAdded)
            return;
        newVersionNoticeAdded = true;
        LogText("[TfrmMainDLMR1::UpozorniNaNovouVerzi][AutoUpdate][Aktualizace]");
        const int32_t index =
            g.InfoMessages.Add("Nainstalujte nejnovější verzi Dalmora. Stahujte zdarma ZDE",
                               "Kliknutím otevřete domovskou www stránku programu", true, 0, kNewVersionMessageId);
        StartTimerInfoPruh(index);
    });
}

void TfrmMainDLMR1::StatusVersionBlink(plat::TColor colour, const char* text)
{
    Guarded("[TfrmMainDLMR1::StatusVersionBlink]", [&] {
        plat::TLabel* label = View.StatusBars[1].Label();
        if (label == nullptr)
            return;
        label->Font().SetColor(colour);
        if (text == nullptr)
            return;
        // Through the panel, which measures the text; then the bar makes room
        // for it.
        const std::string hint = label->Hint();
        View.StatusBars[1].SetText(text, label->ShowHint() ? hint.c_str() : nullptr);
        View.ResizeMainStatusBar();
    });
}

void TfrmMainDLMR1::DisplayMessageForUsers(int64_t now)
{
    Guarded("[TfrmMainDLMR1::DisplayMessageForUsers]", [&] {
        // 1. At most one message in 20 hours.
        if (now - lastMessageForUsersTime < kMessageForUsersPause)
            return;
        // 2. The dispatcher's queue has its own lock: nothing to wait for.
        if (MessageBoxShown != 0)
            return;
        const TNAccount account = g.Account();
        if (account.MessageID == 0 || account.MessageID == lastMessageForUsersId)
            return;

        // 3. Whom it is for.
        const bool show =
            account.MessageType == 1 || (account.MessageType == 2 && g.LastAnnouncedVersion > App.VersionNumber);

        // 4. The box, then the page.
        if (show) {
            const std::string text =
                std::string(account.MessageTitle.View()) + "\n\n" + std::string(account.MessageText.View());
            MessageBoxShown = 1;
            lastMessageForUsersTime = now;
            lastMessageForUsersId = account.MessageID;
            ShowApplication("TfrmMainDLMR1::DisplayMessageForUsers", 5);
            plat::MessageBox(text, "Zpráva pro uživatele Dalmora", plat::MB_OK);
            MessageBoxShown = 0;
            const std::string address(account.MessageUrl.View());
            if (IsWebAddress(address))
                c.OpenUrl(address.c_str());
            else if (!address.empty())
                LogWrite("[TfrmMainDLMR1::DisplayMessageForUsers] Not a web address; not opened: ", address.c_str(),
                         false);
        }

        // 5. Handled either way; the report goes out on a worker, so a slow
        // service never holds the window.
        lastMessageForUsersTime = now;
        lastMessageForUsersId = account.MessageID;
        if (!g.StartFlagMessageForUsers(account.MessageID))
            LogTextUInt("[TfrmMainDLMR1::DisplayMessageForUsers] A report still runs; not reported: ",
                        account.MessageID);
    });
}

void TfrmMainDLMR1::mnuHomepageClick()
{
    Guarded("[TfrmMainDLMR1::mnuHomepageClick]", [&] { g.StartOpenWebPageLoggedIn(TNString()); });
}

void TfrmMainDLMR1::mnuHelpAndroidClick()
{
    Guarded("[TfrmMainDLMR1::mnuHelpAndroidClick]",
            [&] { OpenOutsideAddress(OutsideAddresses.MobileAppStore, "[TfrmMainDLMR1::mnuHelpAndroidClick]"); });
}

// ---------------------------------------------------------------------------
// Hooks: workers reach the strip and the version label through posted calls,
// the status bar its clicks.

void TfrmMainDLMR1::InstallStripAndMenuHooks()
{
    MainWindowHooks.ArmInfoPruh = [](int32_t tag) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->StartTimerInfoPruh(tag);
    };
    MainWindowHooks.UpozorniNaNovouVerzi = [] {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->UpozorniNaNovouVerzi();
    };
    MainWindowHooks.StatusVersionBlink = [](uint32_t colour, const char* text) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->StatusVersionBlink(colour, text);
    };
    ViewMainHooks.StatusClick = [](plat::TComponent* sender) {
        if (frmMainDLMR1 != nullptr)
            frmMainDLMR1->StatusClick(sender);
    };
}

void TfrmMainDLMR1::RemoveStripAndMenuHooks()
{
    MainWindowHooks.ArmInfoPruh = nullptr;
    MainWindowHooks.UpozorniNaNovouVerzi = nullptr;
    MainWindowHooks.StatusVersionBlink = nullptr;
    ViewMainHooks.StatusClick = nullptr;
}
