#include "foundation/log.h"

#include "platform/core/codepage.h"

#include <cstdio>
#include <mutex>
#include <string>

// Interim writer: every line goes to standard error until the file log lands.

namespace {

std::mutex& StderrMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

bool LogWrite(const char* text, const char* value, bool)
{
    std::string line = std::string(text != nullptr ? text : "") + (value != nullptr ? value : "");
    std::string utf8 = plat::Cp1250ToUtf8(line);
    std::lock_guard<std::mutex> guard(StderrMutex());
    std::fprintf(stderr, "%s\n", utf8.c_str());
    return true;
}

bool LogText(const char* text)
{
    return LogWrite(text, nullptr, false);
}

bool LogTextInt(const char* text, int32_t value, bool toWindow)
{
    return LogWrite(text, std::to_string(value).c_str(), toWindow);
}

bool LogTextUInt(const char* text, uint32_t value, bool toWindow)
{
    return LogWrite(text, std::to_string(value).c_str(), toWindow);
}

bool SetLogDir(const char* path)
{
    return path != nullptr;
}

bool SetLogMutexName(const char* name)
{
    return name != nullptr;
}

bool ExceptionHandler(const char* caller, uint32_t, uint32_t)
{
    LogWrite("[ExceptionHandler][ERROR][EXCEPTION] Caller: ", caller, false);
    return true;
}
