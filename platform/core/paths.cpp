#include "platform/core/paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string AbsoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return WithSlash(value);
}

} // namespace

std::string ProgramFolder()
{
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return "./";
    std::string path(buffer, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1);
}

std::string HomeFolder()
{
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty())
        return home;
    const passwd* entry = getpwuid(getuid());
    if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/')
        return WithSlash(entry->pw_dir);
    return "/";
}

std::string DataHomeFolder()
{
    std::string folder = AbsoluteEnv("XDG_DATA_HOME");
    return folder.empty() ? HomeFolder() + ".local/share/" : folder;
}

std::string AppDataFolder()
{
    return DataHomeFolder();
}

std::string CommonAppDataFolder()
{
    return DataHomeFolder();
}

std::string ConfigHomeFolder()
{
    std::string folder = AbsoluteEnv("XDG_CONFIG_HOME");
    return folder.empty() ? HomeFolder() + ".config/" : folder;
}

std::string RuntimeFolder()
{
    return AbsoluteEnv("XDG_RUNTIME_DIR");
}

std::string TempFolder()
{
    std::string folder = AbsoluteEnv("TMPDIR");
    return folder.empty() ? std::string("/tmp/") : folder;
}

bool CreateFolders(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return false;
    std::string partial;
    size_t position = 1;
    while (position <= path.size()) {
        size_t slash = path.find('/', position);
        if (slash == std::string::npos)
            slash = path.size();
        partial = path.substr(0, slash);
        if (!partial.empty() && mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        position = slash + 1;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return WithSlash(folder) + name;
}

} // namespace plat
