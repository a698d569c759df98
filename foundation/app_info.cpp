#include "foundation/app_info.h"

#include "platform/core/clock.h"

#include <cstdarg>
#include <cstdio>
#include <random>

TNAppInfo App;

namespace {

// Formats into a fixed field; an address that does not fit is left empty,
// never cut.
template <size_t N> bool FormatField(char (&field)[N], const char* format, ...) __attribute__((format(printf, 2, 3)));

template <size_t N> bool FormatField(char (&field)[N], const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(field, N, format, arguments);
    va_end(arguments);
    if (written < 0 || static_cast<size_t>(written) >= N) {
        field[0] = '\0';
        return false;
    }
    return true;
}

template <size_t N> bool CopyText(char (&field)[N], const char* text)
{
    return FormatField(field, "%s", text);
}

struct BuiltInServer {
    const char* webProtocol;
    const char* webDomain;
    const char* apiProtocol;
    const char* apiDomain;
    const char* updateProtocol;
    const char* updateDomain;
};

// Release, first and second development set. Reserved example hosts only.
// The update service is always https: its files are installed as the program.
constexpr BuiltInServer kBuiltInServers[] = {
    {"https", "www.dalmora.example", "https", "www.dalmora.example/index.php", "https", "update.dalmora.example"},
    {"https", "dev1.dalmora.example", "https", "dev1.dalmora.example/zoro2/index.php", "https",
     "update.dalmora.example"},
    {"http", "dev2.dalmora.example", "http", "dev2.dalmora.example/zoro2/index.php", "https", "update.dalmora.example"},
};

void UseBuiltInServers(TNAppInfo& app, int32_t developmentValue)
{
    app.PimServersCount = 0;
    if (developmentValue < 0 || developmentValue > 2)
        return;
    const BuiltInServer& server = kBuiltInServers[developmentValue];
    CopyText(app.WebProtocol[0], server.webProtocol);
    CopyText(app.WebDomain[0], server.webDomain);
    CopyText(app.ApiProtocol[0], server.apiProtocol);
    CopyText(app.ApiDomain[0], server.apiDomain);
    CopyText(app.UpdateWebProtocol[0], server.updateProtocol);
    CopyText(app.UpdateWebDomain[0], server.updateDomain);
    app.EnableVirtualAccounts[0] = 0;
    app.PimServersCount = 1;
}

} // namespace

bool BuildServerAddresses(TNAppInfo& app)
{
    bool ok = true;
    int32_t count = app.PimServersCount;
    if (count < 0 || count > kMaxPimServers)
        count = 0;
    for (int32_t i = 0; i < count; ++i) {
        const char* web = app.WebProtocol[i];
        const char* host = app.WebDomain[i];
        const char* update = app.UpdateWebProtocol[i];
        const char* updateHost = app.UpdateWebDomain[i];
        ok &= FormatField(app.ApiUrl[i], "%s://%s?ApiCall=1&AppID=%d&AppPrefix=%s&Version=%d%02d", app.ApiProtocol[i],
                          app.ApiDomain[i], app.AppID, app.AppPrefix, app.VersionMajor, app.VersionMinor);
        ok &= FormatField(app.WebUrl, "%s://%s/", web, host);
        ok &= FormatField(app.WebDomainText, "%s", host);
        ok &= FormatField(app.SupportUrl, "%s://%s/?go=support", web, host);
        ok &= FormatField(app.HomepageUrl, "%s://%s/", web, host);
        ok &= FormatField(app.TermsUrl, "%s://%s/uzivatel/podminky-pouzivani", web, host);
        ok &= FormatField(app.WindowsPageUrl, "%s://%s/uzivatel/windows", web, host);
        ok &= FormatField(app.UpdateCheckUrl, "%s://%s/api/get-update.php", update, updateHost);
        ok &= FormatField(app.UpdateDownloadUrl, "%s://%s/api/download.php", update, updateHost);
        ok &= FormatField(app.ServerTestUrl, "%s://%s/test.php", web, host);
        ok &= FormatField(app.ForgottenPasswordUrl, "%s://%s/uzivatel/zapomenute-heslo/", web, host);
    }
    return ok;
}

void InitAppInfo(TNAppInfo& app, int32_t developmentValue, uint8_t logging)
{
    app = TNAppInfo{};

    // 1. Switches.
    app.IsDev = developmentValue != 0 ? 1 : 0;
    app.WriteLog = logging;
    app.IsDevServer = developmentValue != 0 ? 1 : 0;
    CopyText(app.MainWindowClass, "TfrmMainDLMR1");

    // 2. Tray icons.
    app.TrayIconNormal = app.IsDevServer ? 2 : 3;
    app.TrayIconCurrent = app.TrayIconNormal;
    app.TrayIconBlink = 4;
    app.TrayIconOffline = 5;
    app.TrayIconUnread = app.IsDevServer ? 7 : 6;

    // 3. Version and built-in texts.
    app.VersionMajor = 1;
    app.VersionMinor = 67;
    app.AppID = 16;
    CopyText(app.VendorPrefix, "0");
    CopyText(app.ApplicationName, "Dalmora");
    CopyText(app.ApplicationNameV2, "Dalmora Online");
    CopyText(app.ApplicationMotto, "organizér - kalendář - úkoly - poznámky\npřátelé - kolegové - akce - projekty");
    CopyText(app.AuthorName, "Dalmora Labs");
    CopyText(app.ReleaseYear, "2025");
    CopyText(app.DirProducer, "Dalmora");
    CopyText(app.DirName, "DLMR1");
    CopyText(app.PrefixForFilenames, "dlmr1");
    CopyText(app.AppPrefix, "dlmr1");

    // 4-5. Servers: the configuration files, else the built-in set.
    if (!ReadServerConfigFiles(app))
        UseBuiltInServers(app, developmentValue);

    // 6. Addresses.
    BuildServerAddresses(app);

    // 7. Social links and file ids.
    CopyText(app.InstagramUrl, "https://instagram.example/dalmora");
    CopyText(app.InstagramCaption, "Dalmora na Instagramu\nFotky, tipy, triky, návody\ninstagram.example/dalmora");
    CopyText(app.TwitterCaption,
             "Dalmora na Twitteru\nAktuální informace o novinkách a výpadcích\ntwitter.example/dalmora");
    CopyText(app.FacebookUrl, "https://facebook.example/dalmora");
    CopyText(app.FacebookCaption, "Dalmora na Facebooku\nfacebook.example/dalmora");
    CopyText(app.SetupFileId, "BrivaneAppSetup");
    FormatField(app.SetupFileName, "setup-%s.dat", app.PrefixForFilenames);
    CopyText(app.UpdateFileId, "BrivaneAutoUpdate");
    CopyText(app.PimFileId, "DalmoraPIMra");
    app.PimFileVersion = 1;
    app.raFileAllPIM = -1;

    // 8. This run's random number.
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(plat::UnixMilliseconds()));
    app.Random = static_cast<uint32_t>(generator()) % (1u << 24);

    // 9. Version texts and titles.
    app.VersionNumber = app.VersionMajor * 100 + app.VersionMinor;
    FormatField(app.VersionText, "%d.%02d", app.VersionMajor, app.VersionMinor);
    if (app.VersionMajor > 1)
        FormatField(app.ApplicationTitle, "%s %d", app.ApplicationName, app.VersionMajor);
    else
        CopyText(app.ApplicationTitle, app.ApplicationName);
    FormatField(app.AboutLine, "%s %s", app.ApplicationTitle, app.VersionText);
}
