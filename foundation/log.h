#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The program's log entry points. Texts are CP1250; either may be null.

bool LogWrite(const char* text, const char* value, bool toWindow);
bool LogText(const char* text);
bool LogTextInt(const char* text, int32_t value, bool toWindow = false);
bool LogTextUInt(const char* text, uint32_t value, bool toWindow = false);
// A service answer: at most its first kLoggedAnswerBytes, and when it is
// longer, its whole length after them.
constexpr size_t kLoggedAnswerBytes = 4096;
bool LogAnswer(const char* text, std::string_view answer);
bool SetLogDir(const char* path);
bool SetLogMutexName(const char* name);
bool ExceptionHandler(const char* caller, uint32_t code, uint32_t info);

// The platform layer's log sink: its UTF-8 lines go to the day's log; before
// the log folder is known, or with logging off, to standard error.
void LogPlatformLine(const std::string& line);

// For a process about to end without its destructors: waits until no line
// is being written and keeps the run's log lock, so no line starts either.
void HoldLogForExit();

// The line with the whole value of every password key replaced by "*****",
// whatever its length.
std::string MaskPasswords(std::string_view line);

// The day's log file of this run for a local date.
std::string LogFileName(const std::string& folder, int year, int month, int day);
