#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/dirs.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/users.h"
#include "online/global.h"
#include "online/login.h"

#include <string>

namespace {

constexpr size_t kLoginSettingLimit = 50;

} // namespace

bool TNGlobal::ContinueAcceptedSignIn(const TNString& login, const TNString& password)
{
    return Guarded("[TNGlobal::ContinueAcceptedSignIn]", false, [&] {
        std::string usersFolder = EnterUsersFolder();
        if (usersFolder.empty() || !Uzivatele.Save(usersFolder))
            LogText("[btn9LoginClick_afterSync][ERROR] The user list could not be saved.");

        TNUser user;
        if (Uzivatele.GetActiveUser(&user)) {
            Dirs.UserDirName.Set(std::to_string(user.UserID).c_str());
            TNString userFolder;
            if (Dirs.GoToUserDir(IsPortable != 0) && Dirs.GetCurrentDir(userFolder)) {
                std::string settingsFile = std::string(userFolder.View()) + App.SetupFileName;
                Dirs.UsersSetupFile.Set(settingsFile.c_str());
                Setup.Load(Uzivatele, settingsFile);
            }
        }
        std::string shortLogin(login.View().substr(0, kLoginSettingLimit));
        Setup.SetString("SmsUcet_Username", shortLogin.c_str(), TNSetupItem::kText8);
        Setup.SetString("SmsUcet_Email", shortLogin.c_str(), TNSetupItem::kText8);
        UpdateAccount([&](TNAccount& account) { account.Password = password; });

        auto* job = new TLogin();
        job->Tag = 2;
        if (job->Resume())
            return true;
        delete job;
        LogText("[btn9LoginClick_afterSync][ERROR] The job thread could not be started.");
        return false;
    });
}

void TNGlobal::CompleteSignIn()
{
    c.SyncJobRunning = 0;
    UserLoginStatus = 1;
}
