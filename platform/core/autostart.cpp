#include "platform/core/autostart.h"

#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <cerrno>
#include <unistd.h>

namespace plat {

namespace {

bool IsNameByte(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '-' || ch == '_' ||
           ch == '.';
}

// A string value of a desktop entry: backslash and line breaks escaped.
std::string EscapeString(const std::string& text)
{
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            escaped += ch;
        }
    }
    return escaped;
}

std::string AutostartFolder()
{
    return ConfigHomeFolder() + "autostart/";
}

} // namespace

std::string AutostartFileName(const std::string& name)
{
    std::string file;
    for (char ch : name)
        file += IsNameByte(ch) ? ch : '-';
    return file + ".desktop";
}

std::string AutostartEntryPath(const std::string& name)
{
    return AutostartFolder() + AutostartFileName(name);
}

std::string QuoteExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (char ch : argument) {
        if (ch == '"' || ch == '`' || ch == '$' || ch == '\\')
            quoted += '\\';
        quoted += ch;
    }
    quoted += '"';
    std::string value;
    for (char ch : EscapeString(quoted)) {
        if (ch == '%')
            value += '%';
        value += ch;
    }
    return value;
}

bool WriteAutostartEntry(const std::string& name, const std::string& program, const std::string& arguments)
{
    if (!CreateFolders(AutostartFolder()))
        return false;
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=" +
                        EscapeString(name) + "\nExec=" + QuoteExecArgument(program) + arguments + "\nTerminal=false\n";
    return WriteFileAtomically(AutostartEntryPath(name), entry, 0644);
}

bool RemoveAutostartEntry(const std::string& name)
{
    return unlink(AutostartEntryPath(name).c_str()) == 0 || errno == ENOENT;
}

} // namespace plat
