#include "foundation/log.h"

#include "foundation/app_info.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/local_clock.h"
#include "platform/core/clock.h"
#include "platform/core/codepage.h"
#include "platform/core/file.h"
#include "platform/core/named_lock.h"
#include "platform/core/paths.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <new>

namespace {

constexpr int kLockAttempts = 51;
constexpr int kLockPauseMs = 5;
constexpr int kWindowPolls = 200;
constexpr int kWindowPauseMs = 5;
constexpr uint32_t kStatusInvalidHandle = 0xC0000008;

struct LogSettings {
    std::mutex mutex;
    std::string folder;
    std::string mutexName;
};

// The day's file stays open between lines; only the holder of the run's log
// lock writes to it. Never destroyed: global destructors still log at exit,
// and the process's end closes the descriptor.
plat::AppendingFile& DayFile()
{
    static auto* file = new plat::AppendingFile;
    return *file;
}

LogSettings& Settings()
{
    static LogSettings settings;
    return settings;
}

// Set while this thread writes a line: a log call from inside the writer
// (its own exception handler) returns at once. Other threads wait for the
// lock instead.
thread_local bool writingLine = false;

constexpr std::string_view kPasswordMask = "*****";

constexpr const char* kPasswordKeys[] = {
    "&Pass=", "&Password=", "&password=", "&currentPassword=", "&newPassword1=", "&newPassword2="};

void CopyToLogWindow(const std::string& line)
{
    const TNLogWindowSink& sink = FoundationHooks.LogWindow;
    if (sink.Visible == nullptr || sink.Busy == nullptr || sink.Append == nullptr || !sink.Visible->load())
        return;
    for (int poll = 0; poll < kWindowPolls && sink.Busy->load() != 0; ++poll)
        plat::SleepMilliseconds(kWindowPauseMs);
    sink.Busy->store(1);
    sink.Append(line.c_str());
    sink.Busy->store(0);
}

} // namespace

std::string MaskPasswords(std::string_view line)
{
    std::string masked(line);
    for (const char* key : kPasswordKeys) {
        std::string_view name(key);
        size_t found = masked.find(name);
        while (found != std::string::npos) {
            size_t start = found + name.size();
            size_t end = std::min(masked.find('&', start), masked.size());
            // One fixed text, whatever the password: its length stays unknown.
            if (end > start) {
                masked.replace(start, end - start, kPasswordMask);
                end = start + kPasswordMask.size();
            }
            found = masked.find(name, end);
        }
    }
    return masked;
}

std::string LogFileName(const std::string& folder, int year, int month, int day)
{
    char name[96];
    std::snprintf(name, sizeof(name), "log-%04d-%02d-%02d_%" PRId64 ".txt", year, month, day, ProgramStartTime);
    return plat::JoinPath(folder, name);
}

bool LogWrite(const char* text, const char* value, bool toWindow)
{
    // 1. Logging off, not set up yet, or called from inside the writer.
    if (App.WriteLog == 0 || writingLine)
        return false;
    std::string folder;
    std::string mutexName;
    {
        LogSettings& settings = Settings();
        std::lock_guard<std::mutex> guard(settings.mutex);
        folder = settings.folder;
        mutexName = settings.mutexName;
    }
    if (folder.empty() || mutexName.empty())
        return false;

    // 2. The run's log lock; after its bound the line is dropped silently.
    if (!plat::AcquireNamedLock(mutexName, kLockAttempts, kLockPauseMs))
        return false;

    // 3. Writing.
    writingLine = true;
    const TNLogWindowSink& sink = FoundationHooks.LogWindow;
    try {
        // 4. Local date and time of the line.
        const std::tm fields = TNLocalClock::Fields(TNLocalClock::Now());
        char prefix[32];
        std::snprintf(prefix, sizeof(prefix), "%02d:%02d:%02d ", fields.tm_hour, fields.tm_min, fields.tm_sec);

        // 5. Text and value joined, so a key in the text masks the value too.
        std::string joined = text != nullptr ? text : "";
        joined += value != nullptr ? value : "";
        std::string masked = MaskPasswords(joined);

        // 6. The day's file, UTF-8 with CR LF.
        if (folder.size() > 2) {
            std::string path = LogFileName(folder, fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday);
            DayFile().Append(path, prefix + plat::Cp1250ToUtf8(masked) + "\r\n");
        }

        // 7. The log window gets the CP1250 line.
        if (toWindow)
            CopyToLogWindow(prefix + masked);
    } catch (const std::bad_alloc&) {
        ExceptionHandler("[Log]", kExceptionNoMemory, 0);
        if (sink.Busy != nullptr)
            sink.Busy->store(0);
    } catch (...) {
        ExceptionHandler("[Log]", kExceptionOther, 0);
        if (sink.Busy != nullptr)
            sink.Busy->store(0);
    }

    // 8. Clean up.
    writingLine = false;
    plat::ReleaseNamedLock(mutexName);
    return true;
}

bool LogText(const char* text)
{
    if (App.WriteLog == 0 || writingLine)
        return false;
    return LogWrite(text, "", false);
}

bool LogTextInt(const char* text, int32_t value, bool toWindow)
{
    if (App.WriteLog == 0 || writingLine)
        return false;
    char number[16];
    std::snprintf(number, sizeof(number), "%d", value);
    return LogWrite(text, number, toWindow);
}

bool LogTextUInt(const char* text, uint32_t value, bool toWindow)
{
    if (App.WriteLog == 0 || writingLine)
        return false;
    char number[16];
    std::snprintf(number, sizeof(number), "%u", value);
    return LogWrite(text, number, toWindow);
}

bool LogAnswer(const char* text, std::string_view answer)
{
    if (App.WriteLog == 0 || writingLine)
        return false;
    // Up to the first zero byte, as the answer's text reads.
    const size_t whole = answer.size();
    std::string shown(answer.substr(0, std::min(answer.find('\0'), kLoggedAnswerBytes)));
    if (whole > kLoggedAnswerBytes)
        shown += " [... " + std::to_string(whole) + " bytes]";
    return LogWrite(text, shown.c_str(), false);
}

bool SetLogDir(const char* path)
{
    if (path == nullptr)
        return false;
    try {
        std::string copy(path);
        LogSettings& settings = Settings();
        std::lock_guard<std::mutex> guard(settings.mutex);
        settings.folder.swap(copy);
        return true;
    } catch (...) {
        return false;
    }
}

bool SetLogMutexName(const char* name)
{
    if (name == nullptr)
        return false;
    try {
        std::string copy(name);
        LogSettings& settings = Settings();
        std::lock_guard<std::mutex> guard(settings.mutex);
        settings.mutexName.swap(copy);
        return true;
    } catch (...) {
        return false;
    }
}

void LogPlatformLine(const std::string& line)
{
    if (!LogText(plat::Utf8ToCp1250(line).c_str()))
        std::fprintf(stderr, "%s\n", line.c_str());
}

void HoldLogForExit()
{
    std::string mutexName;
    {
        LogSettings& settings = Settings();
        std::lock_guard<std::mutex> guard(settings.mutex);
        mutexName = settings.mutexName;
    }
    if (!mutexName.empty())
        plat::AcquireNamedLock(mutexName, kLockAttempts, kLockPauseMs);
}

bool ExceptionHandler(const char* caller, uint32_t code, uint32_t)
{
    try {
        // 1. Cursor back to the arrow.
        if (FoundationHooks.ResetCursor != nullptr)
            FoundationHooks.ResetCursor();

        // 2. The log line.
        bool written = LogWrite("[ExceptionHandler][ERROR][EXCEPTION] Caller: ", caller, false);

        // 3. A box in development mode, only when the line was lost.
        if (!written && App.IsDev == 1 && code != kStatusInvalidHandle) {
            char message[512];
            std::snprintf(message, sizeof(message), "Exception Code = %u, caller = %s", code,
                          caller != nullptr ? caller : "");
            ShowMessageBox(message, "[ExceptionHandler][ERROR][EXCEPTION]", mbOk | mbIconExclamation);
        }
    } catch (...) {
        // The handler of last resort has nowhere left to report.
    }
    return true;
}
