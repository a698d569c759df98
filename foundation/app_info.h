#pragma once

#include <cstddef>
#include <cstdint>

// Capacities of the record's texts (the longest text is one less).
namespace app_size {
constexpr size_t Protocol = 8;
constexpr size_t Domain = 128;
constexpr size_t Name = 128;
constexpr size_t FileId = 32;
constexpr size_t Prefix = 16;
// Room for a signed 32-bit number in decimal.
constexpr size_t Int32Text = 11;

constexpr size_t Length(const char* text)
{
    size_t n = 0;
    while (text[n] != '\0')
        ++n;
    return n;
}

// protocol "://" host path: every derived address holds its longest inputs
// whole.
constexpr size_t Address(const char* path)
{
    return (Protocol - 1) + Length("://") + (Domain - 1) + Length(path) + 1;
}

constexpr size_t ApiUrl = Address("?ApiCall=1&AppID=&AppPrefix=&Version=") + Int32Text + (Prefix - 1) + 2 * Int32Text;
constexpr size_t VersionText = 2 * Int32Text + 2;
constexpr size_t ApplicationTitle = (Name - 1) + 1 + Int32Text + 1;
constexpr size_t AboutLine = (ApplicationTitle - 1) + 1 + (VersionText - 1) + 1;
} // namespace app_size

constexpr int32_t kMaxPimServers = 3;

// The program's identity and configuration: switches, version, names, the
// server table with the addresses derived from it, and the file ids. A plain
// record of fixed-size fields; texts are CP1250.
struct TNAppInfo {
    int32_t IsDev;
    uint8_t WriteLog;
    uint8_t IsAutorun;
    uint8_t IsRestore;
    uint8_t IsUpdate;
    uint8_t UpdateReady;
    char MainWindowClass[34];
    int32_t TrayIconNormal;
    int32_t TrayIconCurrent;
    int32_t TrayIconBlink;
    int32_t TrayIconOffline;
    int32_t TrayIconUnread;
    uint32_t Random;
    int32_t VersionMajor;
    int32_t VersionMinor;
    int32_t VersionNumber;
    char VersionText[app_size::VersionText];
    char VendorPrefix[app_size::Name];
    char ApplicationName[app_size::Name];
    char ApplicationNameV2[app_size::Name];
    char ApplicationMotto[256];
    char AuthorName[64];
    char ReleaseYear[6];
    char ApplicationTitle[app_size::ApplicationTitle];
    char AboutLine[app_size::AboutLine];
    char DirProducer[app_size::Name];
    char DirName[app_size::Name];
    char PrefixForFilenames[app_size::Prefix];
    char AppPrefix[app_size::Prefix];
    int32_t AppID;
    uint8_t IsDevServer;
    int32_t PimServersCount;
    char WebProtocol[kMaxPimServers][app_size::Protocol];
    char WebDomain[kMaxPimServers][app_size::Domain];
    char ApiProtocol[kMaxPimServers][app_size::Protocol];
    char ApiDomain[kMaxPimServers][app_size::Domain];
    char UpdateWebProtocol[kMaxPimServers][app_size::Protocol];
    char UpdateWebDomain[kMaxPimServers][app_size::Domain];
    uint8_t EnableVirtualAccounts[kMaxPimServers];
    char WebUrl[app_size::Address("/")];
    char WebDomainText[app_size::Domain];
    char SupportUrl[app_size::Address("/?go=support")];
    char HomepageUrl[app_size::Address("/")];
    char TermsUrl[app_size::Address("/uzivatel/podminky-pouzivani")];
    char WindowsPageUrl[app_size::Address("/uzivatel/windows")];
    char ApiUrl[kMaxPimServers][app_size::ApiUrl];
    char UpdateCheckUrl[app_size::Address("/api/get-update.php")];
    char UpdateDownloadUrl[app_size::Address("/api/download.php")];
    char ServerTestUrl[app_size::Address("/test.php")];
    char ForgottenPasswordUrl[app_size::Address("/uzivatel/zapomenute-heslo/")];
    char InstagramUrl[128];
    char InstagramCaption[128];
    char TwitterCaption[128];
    char FacebookUrl[128];
    char FacebookCaption[128];
    char SetupFileId[app_size::FileId];
    char SetupFileName[app_size::FileId];
    char UpdateFileId[app_size::FileId];
    char PimFileId[app_size::FileId];
    int32_t PimFileVersion;
    int32_t raFileAllPIM;
};

extern TNAppInfo App;

// Fills the record: built-in values, the server configuration files, the
// built-in server table when they gave no server, and every derived address.
// Called with (0, 0) first and again with the development file's values.
void InitAppInfo(TNAppInfo& app, int32_t developmentValue, uint8_t logging);

// Reads "pimsrv00.cfg" to "pimsrv02.cfg" from the user's configuration
// folder ("$XDG_CONFIG_HOME/Dalmora/"), or when that holds none, beside the
// program, into the record; true when at least one server was taken.
bool ReadServerConfigFiles(TNAppInfo& app);

// Builds the per-server ApiUrl and the single address fields of every server
// in the table, in order. False when any address would not fit its field
// (the field is then left empty, never cut).
bool BuildServerAddresses(TNAppInfo& app);
