#include "platform/core/identity.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace plat {

std::string LoginName()
{
    const passwd* entry = getpwuid(geteuid());
    if (entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    const char* user = std::getenv("USER");
    return user != nullptr ? user : "";
}

std::string ShortHostName()
{
    char buffer[HOST_NAME_MAX + 1] = {};
    if (gethostname(buffer, sizeof(buffer) - 1) != 0)
        return {};
    std::string name(buffer);
    name = name.substr(0, name.find('.'));
    if (name.size() > 15)
        name.resize(15);
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

} // namespace plat
