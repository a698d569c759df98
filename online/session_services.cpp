#include "online/global.h"

#include "foundation/app_info.h"
#include "foundation/common.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/setup.h"
#include "foundation/time.h"
#include "online/window_calls.h"
#include "platform/core/autostart.h"
#include "platform/core/codepage.h"
#include "platform/core/paths.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Panels 1 and 2 of the main status bar show the connection and the version.
constexpr int32_t kConnectionItem = 0;
constexpr int32_t kVersionItem = 1;
constexpr uint32_t kGreenFrom = 0x0000FF00;
constexpr uint32_t kGreenTo = 0x00008000;
constexpr uint32_t kRedFrom = 0x000000FF;
constexpr uint32_t kRedTo = 0x00000080;

std::string NowText()
{
    TNTime now;
    now.SetNow();
    return now.ToAnsiString();
}

std::string Format(const char* format, const std::string& first, const std::string& second = "")
{
    int size = std::snprintf(nullptr, 0, format, first.c_str(), second.c_str());
    std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
    std::snprintf(text.data(), text.size() + 1, format, first.c_str(), second.c_str());
    return text;
}

} // namespace

bool TNGlobal::SetAutorun(uint8_t enable, uint8_t withPrefix)
{
    return Guarded("[TNGlobal::SetAutorun]", false, [&] {
        std::string name = App.ApplicationName;
        if (withPrefix != 0 && std::strlen(App.VendorPrefix) > 3)
            name = std::string(App.VendorPrefix) + " " + App.ApplicationName;
        std::string entryName = plat::Cp1250ToUtf8(name);
        if (!plat::RemoveAutostartEntry(entryName))
            LogWrite("[g.SetAutorun][ERROR] cannot remove ", name.c_str(), false);
        if (enable != 0) {
            std::string program = plat::ProgramFile();
            if (!program.empty() && !plat::WriteAutostartEntry(entryName, program, " -autorun"))
                LogWrite("[g.SetAutorun][ERROR] cannot write ", name.c_str(), false);
        }
        return true;
    });
}

void TNGlobal::UpdateConnectionStatusText(int32_t state, uint8_t secure, uint8_t force)
{
    Guarded("[TNGlobal::UpdateConnectionStatusText]", [&] {
        // The caller's word alone is not enough: only an https address is
        // secure.
        bool reallySecure = secure != 0 && std::strncmp(App.ApiUrl[0], "https://", 8) == 0;
        std::string text;
        if (state == 1 && reallySecure)
            text = Format("Aplikace je připojena k serveru %s zabezpečeným kanálem.\nPoslední synchronizace: %s",
                          App.WebDomainText, NowText());
        else if (state == 1)
            text = Format("Aplikace je připojena k serveru %s nešifrovaným kanálem.\nPoslední synchronizace: %s",
                          App.WebDomainText, NowText());
        else
            text = Format("Aplikace není připojena k serveru\nJste připojeni k internetu?\nPoslední pokus o "
                          "připojení: %s",
                          NowText());
        uint8_t online = Online;
        bool changed = force != 0 || online != LastShownConnectionState || (state == 1) != (online == 1);
        if (changed) {
            if (state == 1)
                TNWindowCalls::SetStatusBarGradient(kConnectionItem, kGreenFrom, kGreenTo);
            else
                TNWindowCalls::SetStatusBarGradient(kConnectionItem, kRedFrom, kRedTo);
            Online = state == 1 ? 1 : 0;
            LastShownConnectionState = Online.load();
        }
        TNWindowCalls::SetStatusBarHint(kConnectionItem, text.c_str());
    });
}

void TNGlobal::UpdateStatusBarVersion(bool force)
{
    Guarded("[TNGlobal::UpdateStatusBarVersion]", [&] {
        if (!force && ShownVersionMajor == App.VersionMajor && ShownVersionMinor == App.VersionMinor)
            return;
        char text[32];
        std::snprintf(text, sizeof text, "%d.%02d", App.VersionMajor, App.VersionMinor);
        TNWindowCalls::SetStatusBarText(kVersionItem, text);
        TNWindowCalls::ResizeMainStatusBar();
        ShownVersionMajor = App.VersionMajor;
        ShownVersionMinor = App.VersionMinor;
    });
}

void TNGlobal::StartUrgentImportanceHintTimer(const TNPIMRecord* record)
{
    Guarded("[TNGlobal::StartUrgentImportanceHintTimer]", [&] {
        if (record != nullptr && Setup.GetBool("Settings_UseUrgentImportanceFnc"))
            TNWindowCalls::ArmHintTimer(0, 2500);
    });
}

int32_t TNGlobal::GetUserIdleStatus()
{
    return Guarded("[TNGlobal::GetUserIdleStatus]", 0, [&] {
        int64_t mark = InputTimeMark;
        if (mark > 0 && mark < static_cast<int64_t>(TNCommon::GetLastInputSeconds())) {
            if (FirstInput != 0)
                InputSeen = 1;
            FirstInput = 0;
        }
        auto idle = static_cast<int32_t>(TNCommon::GetIdleSeconds());
        IdleSeconds = idle;
        int32_t idleFrom = App.IsDev != 0 ? 15 : 120;
        int32_t awayFrom = App.IsDev != 0 ? 300 : 600;
        int32_t status = idle >= awayFrom ? 3 : idle >= idleFrom ? 2 : 1;
        if (IdleStatus.exchange(status) == status)
            return status;
        if (status == 1)
            StartUrgentImportanceHintTimer(NotifyConstantlyRecord().get());
        if (UpdatePending != 0) {
            // The program closes for the update only while the user is away.
            if ((status >= 2 || App.IsDev != 0) && NoIdleUpdate == 0 && TNCommon::IsVistaOrLater()) {
                App.UpdateReady = 1;
                LogWrite("[g.GetUserIdleStatus][AutoUpdate][Aktualizace] ", "schtasks WantUpdate", false);
                CloseForUpdate = 1;
                SetUpdateUiTag(__uiCloseApplication, 0);
            }
        } else {
            InputSeen = 1;
        }
        return status;
    });
}
