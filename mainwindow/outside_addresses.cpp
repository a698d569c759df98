#include "mainwindow/outside_addresses.h"

#include "foundation/common.h"
#include "foundation/log.h"

#include <string>

TNOutsideAddresses OutsideAddresses;

bool OpenOutsideAddress(const std::string& address, const char* caller)
{
    if (address.empty()) {
        LogText((std::string(caller) + " No address configured; nothing opened.").c_str());
        return false;
    }
    return c.OpenUrl(address.c_str());
}
