#include "online/global.h"

#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/alerts.h"
#include "model/model_lock.h"
#include "model/pim.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/session_hooks.h"
#include "online/window_calls.h"
#include "platform/core/clock.h"
#include "platform/core/main_loop.h"

#include <string>
#include <utility>
#include <vector>

TNSessionHooks SessionHooks;

namespace {

constexpr uint32_t kLabelGreen = 65280;
constexpr uint32_t kLabelLightRed = 13158655;
constexpr int32_t kDisplayStatusTries = 10;
constexpr int64_t kDisplayStatusPauseMs = 999;

// The start of a one-shot body: the request name and its user name.
TNFormBuilder Body(const char* name, const TNString& login)
{
    TNFormBuilder body;
    body.Add("ApiReq", name).Add("Username", login);
    return body;
}

void AddTail(TNFormBuilder& body)
{
    body.AddUInt("InstID", g.InstID.load()).Add("NetBIOSName", g.NetBIOSName);
}

bool Text(TNString& answer, const char* key, TNString* out)
{
    return answer.GetXmlValue(key, nullptr, 0, out, false);
}

// "resno" with its entities decoded, as a number; 0 when missing.
int64_t Resno(TNString& answer)
{
    TNString value;
    return answer.GetXmlValue("resno", nullptr, 0, &value, true) ? AnswerInt(value) : 0;
}

// Runs `step` on the main loop's thread with the new-account page, only
// while that page is still open.
template <class Step> void PostToOpenNewAccountPage(const char* name, Step step)
{
    bool posted = plat::PostToMainThread([name, step = std::move(step)] {
        if (SessionHooks.NewAccountDialogOpen == nullptr || !SessionHooks.NewAccountDialogOpen()) {
            LogWrite("[g.NewAccount][CLOSED] ", name, false);
            return;
        }
        Guarded(name, step);
    });
    if (!posted)
        LogWrite("[g.NewAccount][NO_MAIN_LOOP] ", name, false);
}

// The name-path and e-mail tests: the answer on the open page.
int32_t ShowTestResult(bool posted, TNString& answer, const char* freeText, const char* takenText)
{
    if (!posted)
        return 0;
    TNString result;
    if (!Text(answer, "result", &result))
        return -1;
    bool found = result.Equals("NotFound", true, false);
    if (!found && !result.Equals("Exists", true, false))
        return -1;
    std::string text = found ? freeText : takenText;
    uint32_t colour = found ? kLabelGreen : kLabelLightRed;
    PostToOpenNewAccountPage("[g.NewAccountTest]", [text, colour, found] {
        if (SessionHooks.SetNewAccountResult != nullptr)
            SessionHooks.SetNewAccountResult(text.c_str(), colour, found);
    });
    return found ? 1 : 2;
}

} // namespace

TNString TNGlobal::OneShotLogin() const
{
    // The user list keeps the whole login; the setting keeps 50 characters.
    TNUser active;
    if (Uzivatele.GetActiveUser(&active) && !active.Login.IsEmpty())
        return active.Login;
    return Setup.GetString("SmsUcet_Username");
}

bool TNGlobal::PostOneShot(const TNFormBuilder& body, TNString* answer)
{
    TNDownload download;
    bool posted = PostToApi(body.Text(), download);
    UpdateConnectionStatusText(posted ? 1 : -1, 1, 0);
    if (!posted)
        return false;
    answer->Set(download.DocumentBytes());
    TNString value;
    if (Text(*answer, "inst-id", &value))
        TakeInstID(AnswerUInt(value));
    return true;
}

int32_t TNGlobal::UsernameExists(const TNString& login)
{
    return Guarded("[TNGlobal::UsernameExists]", -1, [&] {
        TNFormBuilder body = Body("username-exists", login);
        AddTail(body);
        TNString answer;
        if (!PostOneShot(body, &answer))
            return 0;
        TNString result;
        if (!Text(answer, "result", &result))
            return -1;
        if (result.Equals("OK", true, false)) {
            TNString email;
            answer.GetXmlValue("UsernameEmail", nullptr, 0, &email, true);
            NewAccount.Update([&](TNNewAccountState::Texts& texts) { texts.UsernameEmail = email; });
            return 1;
        }
        return result.Equals("0", true, false) ? 2 : -1;
    });
}

int32_t TNGlobal::UsernamePathNotExists(const TNString& path)
{
    return Guarded("[TNGlobal::UsernamePathNotExists]", -1, [&] {
        TNFormBuilder body = Body("username-path-not-exists", path);
        AddTail(body);
        TNString answer;
        bool posted = PostOneShot(body, &answer);
        return ShowTestResult(posted, answer,
                              "Skvělé! Toto uživatelské jméno je volné\nMůžete jej použít\nKlikněte na Pokračovat",
                              "Tak bohužel...\nToto uživatelské jméno již někdo používá\nVymyslete si jiné");
    });
}

int32_t TNGlobal::EmailNotExists(const TNString& email)
{
    return Guarded("[TNGlobal::EmailNotExists]", -1, [&] {
        TNFormBuilder body = Body("email-not-exists", email);
        AddTail(body);
        TNString answer;
        bool posted = PostOneShot(body, &answer);
        return ShowTestResult(posted, answer,
                              "Perfektní! K tomuto e-mailu není přiřazen žádný účet\nKlikněte na Pokračovat",
                              "Účet již existuje...\nUživatelský účet s touto e-mailovou adresou již existuje. "
                              "Pokud je to Váš účet, v přihlašovacím okně vyplňte tuto e-mailovou adresu. Nebo "
                              "zde zadejte jinou");
    });
}

int32_t TNGlobal::CreateNewAccount(const TNString& login, const TNString& password, const TNString& path)
{
    return Guarded("[TNGlobal::CreateNewAccount]", -1, [&] {
        TNFormBuilder body = Body("create-new-account", login);
        body.Add("Pass", password).Add("UsernamePath", path);
        AddTail(body);
        TNString answer;
        if (!PostOneShot(body, &answer)) {
            // The next pass tries again.
            NewAccount.RequestPending = 1;
            return -1;
        }
        TNString result;
        Text(answer, "result", &result);
        int32_t refused = -1;
        if (result.Equals("UsernameExists", true, false))
            refused = 2;
        else if (result.Equals("PathExists", true, false))
            refused = 3;
        else if (result.Equals("AccountCreated", true, false))
            refused = 0;
        if (refused != 0) {
            // The page leaves its last step and asks for what to change.
            PostToOpenNewAccountPage("[g.CreateNewAccount][REFUSED]", [refused] {
                if (SessionHooks.NewAccountCreationFailed != nullptr)
                    SessionHooks.NewAccountCreationFailed(refused);
            });
            return refused;
        }
        std::string typedLogin(login.View());
        std::string typedPassword(password.View());
        bool posted = plat::PostToMainThread([typedLogin, typedPassword] {
            Guarded("[g.CreateNewAccount][AccountCreated]", [&] {
                if (SessionHooks.FillLoginFields != nullptr)
                    SessionHooks.FillLoginFields(typedLogin.c_str(), typedPassword.c_str());
                if (SessionHooks.NewAccountDialogOpen != nullptr && SessionHooks.NewAccountDialogOpen() &&
                    SessionHooks.CloseNewAccountDialog != nullptr)
                    SessionHooks.CloseNewAccountDialog();
            });
        });
        if (!posted)
            LogText("[g.CreateNewAccount][NO_MAIN_LOOP]");
        TNWindowCalls::ArmAutoLogin(0, 250);
        return 1;
    });
}

bool TNGlobal::GetNewestVersion()
{
    return Guarded("[TNGlobal::GetNewestVersion]", false, [&] {
        TNFormBuilder body;
        body.Add("ApiReq", "get-newest-version");
        AddTail(body);
        TNString answer;
        if (!PostOneShot(body, &answer))
            return false;
        Sync2TestNewestVersion(&answer);
        SetUpdateUiTag(__uiOnlineAndLoginNotTested, 0);
        return true;
    });
}

bool TNGlobal::GetAlertOnDisplayStatus(uint32_t alertId, uint32_t organizerId, const TNString& password,
                                       const TNString& login, bool* answered)
{
    if (answered != nullptr)
        *answered = false;
    return Guarded("[TNGlobal::GetAlertOnDisplayStatus]", true, [&] {
        TNFormBuilder body = Body("get-alert-on-display-status", login);
        body.Add("Pass", password).AddUInt("AlertID", alertId).AddUInt("OrganizerID", organizerId);
        AddTail(body);
        uint32_t generation = SignInGeneration;
        for (int32_t attempt = 1; attempt <= kDisplayStatusTries; ++attempt) {
            TNString answer;
            if (PostOneShot(body, &answer)) {
                if (answered != nullptr)
                    *answered = true;
                return Resno(answer) != 2;
            }
            // A log-out ended the sign-in: no more tries; the caller drops
            // the result.
            if (SignInGeneration != generation)
                return true;
            LogTextInt("[g.GetAlertOnDisplayStatus][ERROR] attempt = ", attempt);
            if (attempt < kDisplayStatusTries)
                plat::SleepMilliseconds(kDisplayStatusPauseMs);
        }
        // A service that cannot be reached does not keep an alert hidden.
        return true;
    });
}

void TNGlobal::DeleteAcceptedAlerts()
{
    Guarded("[TNGlobal::DeleteAcceptedAlerts]", [&] {
        TNPIM* pim = PIM[0];
        if (pim == nullptr)
            return;
        std::vector<std::pair<uint32_t, uint32_t>> accepted;
        {
            TNModelReadGuard lock;
            for (int32_t i = 0; i < pim->Alerts.Count; ++i) {
                const TNPIMAlert* alert = pim->Alerts.Items[i];
                if (alert != nullptr && alert->DeletePending)
                    accepted.emplace_back(alert->ID, alert->OrganizerID);
            }
        }
        uint32_t generation = SignInGeneration;
        TNString login = OneShotLogin();
        TNString password = Account().Password;
        for (const auto& [id, organizer] : accepted) {
            // Signed decimals, as the service has always read them.
            auto sentId = static_cast<int32_t>(id);
            TNFormBuilder body = Body("delete-accepted-alert", login);
            body.Add("Pass", password).AddInt("AlertID", sentId).AddInt("OrganizerID", static_cast<int32_t>(organizer));
            AddTail(body);
            TNString answer;
            TNString deleted;
            if (!PostOneShot(body, &answer) || !Text(answer, "alert-deleted", &deleted) ||
                !deleted.Equals(std::to_string(sentId).c_str(), true, false))
                continue;
            TNModelWriteGuard lock;
            if (SignInGeneration != generation) {
                LogTextUInt("[g.DeleteAcceptedAlerts][DROPPED] answer of an earlier sign-in; AlertID = ", id);
                return;
            }
            int32_t pos = pim->Alerts.GetAlertPosByID(id);
            if (pos < 0)
                continue;
            pim->Alerts.Items[pos]->DeletePending = false;
            pim->Alerts.QueueForSave(pos);
        }
    });
}

bool TNGlobal::GetOneTimeLoginLink(const TNString& login, const TNString& password, bool showErrors, TNString* link)
{
    return Guarded("[TNGlobal::GetOneTimeLoginLink]", false, [&] {
        TNFormBuilder body = Body("get-one-time-login-link", login);
        body.Add("Pass", password);
        AddTail(body);
        TNString answer;
        if (!PostOneShot(body, &answer)) {
            if (showErrors)
                TNWindowCalls::ShowMessageBox(
                    "Nepodařilo se připojit k serveru a vytvořit přihlašovací token!\nJste připojeni k internetu?",
                    "Chyba", mbIconError);
            return false;
        }
        TNString result;
        if (Resno(answer) == 1 && answer.GetXmlValue("result", nullptr, 0, &result, true)) {
            *link = result;
            return true;
        }
        if (showErrors)
            TNWindowCalls::ShowMessageBox("Došlo k chybě při vytváření přihlašovacího tokenu!\nPravděpodobně "
                                          "nebudete přihlášeni k Vašemu uživatelskému účtu.",
                                          "Chyba", mbIconInformation);
        return false;
    });
}

bool TNGlobal::FlagMessageForUsers(const TNString& login, const TNString& password, bool, uint32_t itemId)
{
    return Guarded("[TNGlobal::FlagMessageForUsers]", false, [&] {
        TNFormBuilder body = Body("flag-message-for-users", login);
        body.Add("Pass", password).AddUInt("ItemID", itemId);
        AddTail(body);
        TNString answer;
        return PostOneShot(body, &answer) && Resno(answer) == 1;
    });
}
