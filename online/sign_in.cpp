#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/local_ids.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "model/pim.h"
#include "online/answer_reader.h"
#include "online/download.h"
#include "online/global.h"
#include "online/window_calls.h"
#include "online/window_state.h"
#include "platform/core/clock.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int32_t kSettingTextLimit = 50;

// A text setting of at most 50 characters.
void StoreShortSetting(const char* key, const TNString& value)
{
    std::string text(value.View().substr(0, kSettingTextLimit));
    Setup.SetString(key, text.c_str(), TNSetupItem::kText8);
}

// The body as the log shows it: the password replaced by "X".
std::string BodyForLog(const TNString& body)
{
    std::string text(body.View());
    size_t at = text.find("&Pass=");
    if (at == std::string::npos)
        return text;
    size_t end = text.find('&', at + 6);
    return text.substr(0, at) + "&Pass=X" + (end == std::string::npos ? "" : text.substr(end));
}

// Why a sign-in got no answer of the service: the status of an answer that
// was no answer of the service, or the transport's own words.
std::string TransportReason(const TNDownload& download)
{
    std::string reason(download.ResultString.View());
    if (download.ResultCode >= 400)
        return "HTTP " + std::to_string(download.ResultCode) + (reason.empty() ? std::string() : " " + reason);
    return reason;
}

std::string TransportFailureText(const TNDownload& download)
{
    const std::string reason = TransportReason(download);
    if (download.ResultCode >= 400)
        return "the service answered " + reason;
    return "the service could not be reached or was not trusted: " + (reason.empty() ? "no answer" : reason);
}

// A UserID the account answer may hold: 1 up to below the temporary range.
// A missing one keeps the one the user list knows.
bool UserIdUsable(TNString* account, TNString* resultText)
{
    TNString value;
    if (!account->GetXmlValue("UserID", nullptr, 0, &value, false))
        return true;
    const int64_t id = AnswerInt(value);
    if (id > 0 && id < static_cast<int64_t>(kFirstLocalID))
        return true;
    std::string shown(value.View().substr(0, 40));
    LogWrite("[g.Synchronise][ERROR] the account answer has an unusable UserID = ", shown.c_str(), false);
    resultText->Set("Služba poslala neplatné číslo uživatele (UserID = " + shown + "); přihlášení nebylo dokončeno.");
    return false;
}

} // namespace

std::string TNGlobal::EnterUsersFolder()
{
    TNString folder;
    if (!Dirs.GoToUsersDir(IsPortable != 0, false, false) || !Dirs.GetCurrentDir(folder))
        return {};
    return std::string(folder.View());
}

// ---------------------------------------------------------------------------
// Sign-in

bool TNGlobal::Synchronise(uint8_t userLogged, int32_t lastSync, TNString* resultText, int32_t* resno,
                           const TNString& password, const TNString& login)
{
    // 1. No service address, no sign-in.
    if (App.ApiUrl[0][0] == '\0') {
        LogText("[g.Synchronise][BEGORE_BEGIN][RETURN]");
        return false;
    }
    bool accepted = false;
    Guarded("[TNGlobal::Synchronise]", [&] {
        // 2.-4. Every value encoded; the body grows as it needs.
        LogText("[g.Synchronise][BEGIN]");
        TNFormBuilder body;
        body.Add("ApiReq", "login")
            .AddInt("UserLogged", userLogged)
            .AddUInt("InstID", InstID.load())
            .AddInt("LastSync", lastSync)
            .Add("Username", login)
            .Add("Pass", password)
            .Add("MsgsForUsers", "true")
            .Add("NetBIOSName", NetBIOSName);
        LogWrite("[g.Synchronise DATA] ", App.ApiUrl[0], false);
        LogWrite("[g.Synchronise DATA] ", BodyForLog(body.Text()).c_str(), false);

        // 5.-6. The request, and its answer taken apart.
        *resno = 0;
        SetLoginTransportReason(std::string());
        TNDownload download;
        if (!PostToApi(body.Text(), download)) {
            LogText("[g.Synchronise][ERROR] Api.Post() error!");
            // No answer of the service: the reason is the transport's, and
            // resno stays 0, so nobody takes it for a refused password.
            resultText->Set(TransportFailureText(download));
            SetLoginTransportReason(TransportReason(download));
            LogWrite("[g.Synchronise][ERROR] ", resultText->Text, false);
            SyncInterval = kFailedSyncInterval;
            SetUpdateUiTag(__uiOfflineOrDownloadError, 0);
            return;
        }

        // 7. The account's answer, without the data block.
        TNString answer(download.DocumentBytes());
        LogWrite("[g.Synchronise DOCUMENT] ", "BEGIN DOCUMENT...", false);
        LogAnswer("[g.Synchronise DOCUMENT] ", answer.View());
        TNString account = WithoutSyncBlock(answer);
        Sync2TestNewestVersion(&account);
        TNString value;
        if (account.GetXmlValue("resno", nullptr, 0, &value, true))
            *resno = static_cast<int32_t>(AnswerInt(value));
        else
            LogAnswer("[g.Synchronise][ERROR] ", answer.View());

        // 8. A refused or unfinished sign-in shows as offline.
        if (*resno != 1 || lastSync < 0) {
            ReadAnswerText(&account, "result", resultText);
            SyncInterval = kFailedSyncInterval;
            SetUpdateUiTag(__uiOfflineOrDownloadError, 0);
            return;
        }

        // 9. The service knows the user, or the login failed.
        int32_t loginOk = 0;
        ReadAnswerNumber(&account, "UserLoginOK", &loginOk);
        if (loginOk != 1) {
            SetUpdateUiTag(__uiOnlineButLoginFailed, 0);
            return;
        }
        // Data of user 0, or of a wrapped id, would go to another account's folder.
        if (!UserIdUsable(&account, resultText)) {
            *resno = -1;
            SyncInterval = kFailedSyncInterval;
            SetUpdateUiTag(__uiOnlineButLoginFailed, 0);
            return;
        }
        accepted = true;
        TakeAccountOfSignIn(&account, login, password);
        if (HasAnswerElement(&answer, "api-sync-pim"))
            LogText("[g.Synchronise] api-sync-pim is left to the synchronisation pass");
        SetUpdateUiTag(__uiOnlineAndLogged, 0);
    });

    // 10. NewSyncWanted stays: a wish is cleared only by the pass.
    LastSyncTime = plat::UnixSeconds();
    ReleaseRequestLockOfThread();
    LogText("[g.Synchronise][END]");
    return accepted;
}

// Steps a to k of an accepted sign-in.
void TNGlobal::TakeAccountOfSignIn(TNString* answer, const TNString& login, const TNString& password)
{
    // a.
    TNString value;
    if (ReadAnswerText(answer, "UsernameEmail", &value))
        StoreShortSetting("SmsUcet_Username", value);

    // c.
    TNString userName;
    ReadAnswerText(answer, "Username", &userName);
    TNString email;
    ReadAnswerText(answer, "Email", &email);
    // A missing UserID keeps the one the list knows.
    const bool hasUserId = answer->GetXmlValue("UserID", nullptr, 0, &value, false);
    uint32_t userId = hasUserId ? AnswerUInt(value) : 0;
    TNUser known;
    if (!hasUserId && Uzivatele.GetUser(Uzivatele.FindByUserName(userName.Text), &known))
        userId = known.UserID;
    UpdateAccount([&](TNAccount& account) {
        account.UserName = userName;
        account.Email = email;
        account.Password = password;
    });

    // d. The list keeps the login as typed, the head sends it.
    TNString typedLogin(login);
    TNString listName(userName);
    int32_t position = Uzivatele.AddOrUpdate(&typedLogin, &listName, userId, 1, &password);
    if (position >= 0)
        Uzivatele.AktivniUzivatel = position;

    // The answer is applied to the data set under the model lock.
    TNSyncLock lock = WaitUntilUiJobFinish("[TNGlobal::Synchronise]");
    TNPIM* pim = PIM[0];

    // b.
    if (pim != nullptr && hasUserId)
        pim->UserID = userId;

    // e.
    ProcessUserData(answer);

    // f.
    uint32_t ownOrganizer = 0;
    if (answer->GetXmlValue("user-organizer-id", nullptr, 0, &value, false))
        ownOrganizer = AnswerUInt(value);
    if (answer->GetXmlValue("OrganizerID", nullptr, 0, &value, false))
        ownOrganizer = AnswerUInt(value);
    if (ownOrganizer != 0) {
        UpdateAccount([&](TNAccount& account) { account.UserOrganizerID = ownOrganizer; });
        if (pim != nullptr && pim->Records)
            pim->Records->UserOrganizerID = ownOrganizer;
    }
    if (pim == nullptr)
        return;

    // g. and h. Only the presence of the two stamps counts.
    const time_t now = static_cast<time_t>(plat::UnixSeconds());
    pim->LastPimUpdateTime = HasAnswerElement(answer, "LastPimUpdateTime") ? now : 0;
    pim->UsersOrganizersRecalcTime = HasAnswerElement(answer, "UsersOrganizersRecalc") ? now : 0;
    ReadAnswerNumber(answer, "UsersOrganizersLastRecalc", &pim->UsersOrganizersLastRecalc);
    ReadAnswerText(answer, "UsersOrganizers", &pim->UsersOrganizers);
    if (ReadAnswerText(answer, "InContactsGroups", &pim->InContactsGroups))
        LogWrite("[g.Synchronise InContactsGroups] ", pim->InContactsGroups.Text, false);
    if (ReadAnswerText(answer, "InContactsLists", &pim->InContactsLists))
        LogWrite("[g.Synchronise InContactsLists] ", pim->InContactsLists.Text, false);

    // k.
    pim->Organizers.OrganizersLastReq = pim->Organizers.GetLastReq();
    pim->CheckAndUpdateUsersOrganizersRightsAndSubscriptions();
}

// ---------------------------------------------------------------------------
// Account answer

void TNGlobal::ProcessUserData(TNString* fullAnswer)
{
    Guarded("[TNGlobal::ProcessUserData]", [&] {
        LogText("[g.ProcessUserData][BEGIN]");
        TNString answer = WithoutSyncBlock(*fullAnswer);
        ReadAccountFlags(&answer);
        ReadNamesAndMessage(&answer);
        ReadSettingsText(&answer);
        TNString value;
        if (answer.GetXmlValue("inst-id", nullptr, 0, &value, false) && TakeInstID(AnswerUInt(value)))
            InstIdConfirmed = 1;
        ReadStatistics(&answer);
        RefreshHeaderWhenChanged();
        LogText("[g.ProcessUserData][END]");
    });
}

void TNGlobal::ReadAccountFlags(TNString* answer)
{
    int32_t active = Uzivatele.AktivniUzivatel.load();
    bool deactivated = false;
    Uzivatele.UpdateUser(active, [&](TNUser& user) {
        ReadAnswerNumber(answer, "AccountType", &user.AccountType);
        ReadAnswerNumber(answer, "Deactivated", &user.Deactivated);
        ReadAnswerNumber(answer, "Deleted", &user.Deleted);
        deactivated = user.Deactivated != 0 || user.Deleted != 0;
    });
    if (deactivated)
        SetUpdateUiTag(__uiDeactivatedUser, 0);
}

void TNGlobal::ReadNamesAndMessage(TNString* answer)
{
    struct NameKey {
        const char* key;
        TNString TNAccount::*field;
    };
    static constexpr NameKey kNames[] = {{"UsernamePath", &TNAccount::UserPath},
                                         {"FirstName", &TNAccount::FirstName},
                                         {"MiddleName", &TNAccount::MiddleName},
                                         {"LastName", &TNAccount::LastName}};
    for (const NameKey& name : kNames) {
        TNString value;
        if (!ReadAnswerText(answer, name.key, &value))
            continue;
        UpdateAccount([&](TNAccount& account) { account.*name.field = value; });
        StoreShortSetting(name.key, value);
    }

    TNAccount account = Account();
    ReadAnswerNumber(answer, "VirtualAccount", &account.VirtualAccount);
    ReadAnswerNumber(answer, "EmailAuthTime", &account.EmailAuthTime);
    ReadAnswerText(answer, "secondaryEmail", &account.SecondaryEmail);
    ReadAnswerNumber(answer, "secondaryEmailAuthTime", &account.SecondaryEmailAuthTime);
    ReadAnswerText(answer, "tertiaryEmail", &account.TertiaryEmail);
    ReadAnswerNumber(answer, "tertiaryEmailAuthTime", &account.TertiaryEmailAuthTime);
    if (ReadAnswerNumber(answer, "ProfilePicture", &account.ProfilePicture) &&
        account.ProfilePicture != account.ProfilePictureFetched)
        account.ProfilePictureFetched = 0;
    // Without an id there is no message any more.
    account.MessageID = 0;
    if (ReadAnswerNumber(answer, "msgsforusers-id", &account.MessageID)) {
        ReadAnswerText(answer, "msgsforusers-title", &account.MessageTitle);
        ReadAnswerText(answer, "msgsforusers-text", &account.MessageText);
        ReadAnswerText(answer, "msgsforusers-url", &account.MessageUrl);
        ReadAnswerNumber(answer, "msgsforusers-type", &account.MessageType);
    }
    int64_t interval = 0;
    if (ReadAnswerNumber(answer, "sync-interval", &interval))
        SyncInterval = static_cast<int32_t>(std::clamp<int64_t>(interval, kShortestSyncInterval, kLongestSyncInterval));
    struct FlagKey {
        const char* key;
        uint8_t TNAccount::*field;
    };
    static constexpr FlagKey kFlags[] = {{"userCanChangeEmail", &TNAccount::UserCanChangeEmail},
                                         {"enableSecondaryEmail", &TNAccount::EnableSecondaryEmail},
                                         {"enableTertiaryEmail", &TNAccount::EnableTertiaryEmail},
                                         {"SendExtendedStats", &TNAccount::SendExtendedStats}};
    for (const FlagKey& flag : kFlags) {
        int64_t number = 0;
        if (ReadAnswerNumber(answer, flag.key, &number))
            account.*flag.field = number != 0 ? 1 : 0;
    }
    UpdateAccount([&](TNAccount& stored) {
        account.Password = stored.Password;
        account.UserOrganizerID = stored.UserOrganizerID;
        stored = account;
    });
}

void TNGlobal::ReadSettingsText(TNString* answer)
{
    TNString settings;
    if (!ReadAnswerText(answer, "Settings", &settings) || !ActiveUserExists())
        return;
    TNString timeout;
    int32_t finishedTasksTimeout = 1;
    if (TNString::GetJsonValue(&settings, "FinishedTasksTimeout", &timeout))
        finishedTasksTimeout = static_cast<int32_t>(AnswerInt(timeout));
    Uzivatele.UpdateUser(Uzivatele.AktivniUzivatel.load(), [&](TNUser& user) {
        user.Settings = settings;
        user.FinishedTasksTimeout = finishedTasksTimeout;
    });
    Setup.SetValue("User_Settings_FinishedTasksTimeout", finishedTasksTimeout, TNSetupItem::kInt8);
}

void TNGlobal::ReadStatistics(TNString* answer)
{
    static constexpr const char* kKeys[12] = {
        "UsersTodayCount", "APILoginsTodayCount", "PimUpdatesTodayCount", "UsersTodayCreatedCount",
        "Users24",         "APILogins24",         "PimUpdates24",         "Created24",
        "Users31",         "APILogins31",         "PimUpdates31",         "Created31"};
    // The status field of the user list marks an operator account.
    TNUser user;
    if (!Uzivatele.GetActiveUser(&user) || user.Flag1 != 1)
        return;
    int32_t numbers[12] = {};
    UpdateAccount([&](TNAccount& account) {
        for (int i = 0; i < 12; ++i) {
            ReadAnswerNumber(answer, kKeys[i], &account.Statistics[i]);
            numbers[i] = account.Statistics[i];
        }
    });
    char text[160];
    std::snprintf(text, sizeof(text), "%d/%d/%d/%d\n%d/%d/%d/%d\n%d/%d/%d/%d", numbers[0], numbers[1], numbers[2],
                  numbers[3], numbers[4], numbers[5], numbers[6], numbers[7], numbers[8], numbers[9], numbers[10],
                  numbers[11]);
    TNWindowCalls::SetComponentText("labelUsersStats1", text);
}

void TNGlobal::RefreshHeaderWhenChanged()
{
    TNAccount account = Account();
    TNHeaderUser shown = WindowState.HeaderUser();
    if (account.ProfilePicture != shown.ProfilePicture || account.FirstName.View() != shown.FirstName.View() ||
        account.LastName.View() != shown.LastName.View()) {
        LogText("[g.ProcessUserData] __uiUpdateHeaderUser");
        SetUpdateUiTag(__uiUpdateHeaderUser, 0);
    }
}

// ---------------------------------------------------------------------------
// A confirmed new password

bool TNGlobal::SetActivePassword(const TNString& password)
{
    return Guarded("[TNGlobal::SetActivePassword]", false, [&] {
        bool remembered = false;
        if (!Uzivatele.UpdateUser(Uzivatele.AktivniUzivatel.load(), [&](TNUser& user) {
                user.Password = password;
                remembered = user.RememberPassword != 0;
            }))
            return false;
        UpdateAccount([&](TNAccount& account) { account.Password = password; });
        if (remembered) {
            std::string folder = EnterUsersFolder();
            return !folder.empty() && Uzivatele.Save(folder);
        }
        return true;
    });
}
