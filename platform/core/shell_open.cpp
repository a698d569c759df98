#include "platform/core/shell_open.h"

#include "platform/core/platform_log.h"
#include "platform/core/process.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

std::atomic<ShellStarter> installedStarter{nullptr};

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view text, std::string_view lowerCase)
{
    return text.size() == lowerCase.size() && StartsWithNoCase(text, lowerCase);
}

bool HasControlCharacter(std::string_view text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F)
            return true;
    }
    return false;
}

// A target in a log line, with control characters shown as '?', so a refused
// target cannot forge further lines.
std::string Printable(std::string_view text)
{
    std::string shown(text);
    for (char& c : shown) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '?';
    }
    return shown;
}

// "scheme:" in the sense of addresses: a letter, then letters, digits, '+',
// '-' or '.', then ':' before any '/'.
bool HasScheme(std::string_view text)
{
    size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || text.find('/') < colon)
        return false;
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!isLetter(text[0]))
        return false;
    for (size_t i = 1; i < colon; ++i) {
        char c = text[i];
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool IsWebAddress(std::string_view text)
{
    for (std::string_view scheme : {"http://", "https://", "mailto:"}) {
        if (StartsWithNoCase(text, scheme) && text.size() > scheme.size())
            return true;
    }
    return false;
}

std::string AbsolutePath(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::string folder(4096, '\0');
    if (getcwd(folder.data(), folder.size()) == nullptr)
        return {};
    folder.resize(std::strlen(folder.c_str()));
    return folder + (folder.back() == '/' ? "" : "/") + path;
}

bool IsRegularFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The one argument for xdg-open, or empty when the request is refused.
std::string HandlerArgument(const std::string& target, bool edit)
{
    if (target.empty() || HasControlCharacter(target))
        return {};
    if (HasScheme(target))
        return !edit && IsWebAddress(target) ? target : std::string();
    std::string path = AbsolutePath(target);
    return !path.empty() && IsRegularFile(path) ? path : std::string();
}

} // namespace

bool ShellOpen(const std::string& target, const std::string& verb)
{
    bool edit = EqualsNoCase(verb, "edit");
    std::string argument;
    if (edit || verb.empty() || EqualsNoCase(verb, "open"))
        argument = HandlerArgument(target, edit);
    if (argument.empty()) {
        PlatformLog("[ShellOpen][ERROR] Refused \"" + Printable(verb) + "\" of: " + Printable(target));
        return false;
    }

    std::vector<std::string> argv{"xdg-open", argument};
    int error = 0;
    ShellStarter starter = installedStarter.load();
    bool started = starter != nullptr ? starter(argv, &error) : StartDetached(argv, &error);
    if (started)
        return true;
    if (error == ENOENT)
        PlatformLog("[ShellOpen][ERROR] xdg-open is not installed; can't open: " + Printable(target));
    else
        PlatformLog("[ShellOpen][ERROR] Can't start xdg-open (" + std::string(std::strerror(error)) +
                    ") for: " + Printable(target));
    return false;
}

void SetShellStarter(ShellStarter starter)
{
    installedStarter.store(starter);
}

} // namespace plat
