#include "foundation/server_config.h"

#include "foundation/dirs.h"
#include "foundation/program_start.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Longest line; a longer one is skipped whole.
constexpr size_t kMaxLineLength = 1023;
// A configuration file is a few hundred bytes; reading stops here.
constexpr size_t kMaxFileSize = 1 << 20;

enum Key {
    WebProtocol,
    WebDomain,
    ApiProtocol,
    ApiDomain,
    UpdateWebProtocol,
    UpdateWebDomain,
    EnableVirtualAccounts,
    ApplicationName,
    ApplicationNameV2,
    ApplicationMotto,
    DirProducer,
    DirName,
    PrefixForFilenames,
    KeyCount
};

struct KeyInfo {
    const char* name;
    size_t width;
    bool applicationKey; // read from file 00 only
};

constexpr KeyInfo kKeys[KeyCount] = {
    {"WebProtocol", 7, false},           {"WebDomain", 63, false},
    {"ApiProtocol", 7, false},           {"ApiDomain", 63, false},
    {"UpdateWebProtocol", 7, false},     {"UpdateWebDomain", 63, false},
    {"EnableVirtualAccounts", 7, false}, {"ApplicationName", 127, true},
    {"ApplicationNameV2", 127, true},    {"ApplicationMotto", 255, true},
    {"DirProducer", 127, true},          {"DirName", 127, true},
    {"PrefixForFilenames", 15, true},
};

using Values = std::array<std::string, KeyCount>;

void TakeLine(std::string_view line, bool withApplicationKeys, Values& values)
{
    size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return;
    std::string_view key = line.substr(0, colon);
    std::string_view value = line.substr(colon + 1);
    value = value.substr(0, value.find_first_of(std::string_view("\r\0", 2)));
    for (int k = 0; k < KeyCount; ++k) {
        if (key != kKeys[k].name)
            continue;
        if (kKeys[k].applicationKey && !withApplicationKeys)
            return;
        // A value that does not fit is not cut: a cut host would send the
        // user's requests, password included, elsewhere. The key counts as
        // missing instead.
        if (value.size() > kKeys[k].width)
            values[k].clear();
        else
            values[k].assign(value);
        return;
    }
}

// False when the file does not open; `values` then stays empty.
bool ReadFile(const std::string& path, bool withApplicationKeys, Values& values)
{
    // Only a plain file counts, and reading never waits: a named pipe of
    // that name must not hold the start.
    std::string text;
    if (!plat::ReadRegularFile(path, text, kMaxFileSize + 1))
        return false;
    // What lies beyond the limit is not read; the line it cuts is dropped,
    // never taken cut.
    if (text.size() > kMaxFileSize) {
        size_t lastEnd = text.rfind('\n');
        text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // A longer line is skipped whole rather than read in pieces, whose
        // remainders would turn into lines of their own.
        if (line.size() <= kMaxLineLength)
            TakeLine(line, withApplicationKeys, values);
    }
    return true;
}

template <size_t N> void CopyInto(char (&field)[N], const std::string& text)
{
    size_t length = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string UnescapeLineFeeds(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out.push_back('\n');
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

bool AllowsVirtualAccounts(const std::string& value)
{
    return value == "true" || value == "True" || value == "TRUE" || value == "1";
}

void TakeApplicationBlock(TNAppInfo& app, const Values& values)
{
    if (values[ApplicationName].empty() || values[DirProducer].empty() || values[DirName].empty() ||
        values[PrefixForFilenames].empty())
        return;
    // The folder names become path elements and the prefix part of a file
    // name: none of them may leave its folder.
    if (!TNDirs::IsSafeFolderName(values[DirProducer]) || !TNDirs::IsSafeFolderName(values[DirName]) ||
        values[PrefixForFilenames].find('/') != std::string::npos)
        return;
    CopyInto(app.ApplicationName, values[ApplicationName]);
    CopyInto(app.ApplicationNameV2,
             values[ApplicationNameV2].empty() ? values[ApplicationName] : values[ApplicationNameV2]);
    if (!values[ApplicationMotto].empty())
        CopyInto(app.ApplicationMotto, UnescapeLineFeeds(values[ApplicationMotto]));
    CopyInto(app.DirProducer, values[DirProducer]);
    CopyInto(app.DirName, values[DirName]);
    CopyInto(app.PrefixForFilenames, values[PrefixForFilenames]);
}

void TakeServer(TNAppInfo& app, const Values& values)
{
    for (int k = WebProtocol; k <= UpdateWebDomain; ++k) {
        if (values[k].empty())
            return;
    }
    // The web domain becomes part of the data files' names: it must not
    // lead out of their folder.
    if (!TNDirs::IsSafeFolderName(values[WebDomain]))
        return;
    int32_t n = app.PimServersCount;
    if (n < 0 || n >= kMaxPimServers)
        return;
    CopyInto(app.WebProtocol[n], values[WebProtocol]);
    CopyInto(app.WebDomain[n], values[WebDomain]);
    CopyInto(app.ApiProtocol[n], values[ApiProtocol]);
    CopyInto(app.ApiDomain[n], values[ApiDomain]);
    CopyInto(app.UpdateWebProtocol[n], values[UpdateWebProtocol]);
    CopyInto(app.UpdateWebDomain[n], values[UpdateWebDomain]);
    if (!values[EnableVirtualAccounts].empty())
        app.EnableVirtualAccounts[n] = AllowsVirtualAccounts(values[EnableVirtualAccounts]) ? 1 : 0;
    app.PimServersCount = n + 1;
}

} // namespace

bool ReadServerConfigFilesFrom(TNAppInfo& app, const std::string& folder)
{
    app.PimServersCount = 0;
    if (folder.empty())
        return false;
    for (int i = 0; i < kMaxPimServers; ++i) {
        Values values;
        char name[32];
        std::snprintf(name, sizeof(name), "pimsrv%02d.cfg", i);
        if (!ReadFile(folder + name, i == 0, values))
            continue;
        if (i == 0)
            TakeApplicationBlock(app, values);
        TakeServer(app, values);
    }
    return app.PimServersCount > 0;
}

bool ReadServerConfigFiles(TNAppInfo& app)
{
    // An installed program's folder is not the user's to write: the user's
    // own configuration folder points it at another service first.
    return ReadServerConfigFilesFrom(app, UserServerConfigFolder()) ||
           ReadServerConfigFilesFrom(app, GetProgramFolder());
}

std::string UserServerConfigFolder()
{
    return plat::ConfigHomeFolder() + "Dalmora/";
}
