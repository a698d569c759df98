#include "foundation/common.h"

#include "foundation/app_info.h"
#include "foundation/civil_date.h"
#include "foundation/dirs.h"
#include "foundation/file_numbers.h"
#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/hooks.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/disk.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"
#include "platform/core/shell_open.h"

#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <new>
#include <string>

namespace {

void FillYearDates(int32_t year, TNCommon::YearDates& dates)
{
    dates.fill(0);
    size_t i = 0;
    for (int32_t month = 1; month <= 12; ++month)
        for (int32_t day = 1; day <= civil::DaysInMonth(year, month); ++day)
            dates[i++] = month * 100 + day;
}

} // namespace

TNCommon::TNCommon()
{
    InitCommonHelpers();
    TimeZoneOffset();
    RefreshToday();
}

// ---------------------------------------------------------------------------
// Time zone

int32_t TNCommon::SystemTimeZoneOffset()
{
    return TNLocalClock::SystemZoneOffset();
}

int32_t TNCommon::TimeZoneOffset()
{
    return TNLocalClock::ZoneOffset();
}

int32_t TNCommon::TimeZoneHours()
{
    return TimeZoneOffset() / 3600;
}

int32_t TNCommon::TimeZoneMinutes()
{
    const int32_t offset = TimeZoneOffset();
    return (offset - offset / 3600 * 3600) / 60;
}

void TNCommon::SetTimeZoneOffset(int32_t seconds)
{
    TNLocalClock::SetZoneOffset(seconds);
}

// ---------------------------------------------------------------------------
// Today and tomorrow

void TNCommon::RefreshToday()
{
    const DayBounds bounds = TNLocalClock::RefreshToday();
    TNTime today;
    today.SetTimestamp(bounds.TodayStart);
    TNTime tomorrow;
    tomorrow.SetTimestamp(bounds.TomorrowStart);

    std::lock_guard<std::mutex> lock(todayMutex);
    Today = today;
    Tomorrow = tomorrow;
}

TNTime TNCommon::CopyOfToday() const
{
    std::lock_guard<std::mutex> lock(todayMutex);
    return Today;
}

TNTime TNCommon::CopyOfTomorrow() const
{
    std::lock_guard<std::mutex> lock(todayMutex);
    return Tomorrow;
}

TNCommon::DayBounds TNCommon::GetDayBounds() const
{
    return TNLocalClock::TodayBounds();
}

// ---------------------------------------------------------------------------
// Calendar years of the all-days index

int32_t TNCommon::GetYearPos(int32_t year)
{
    int32_t pos = -1;
    int32_t count = 0;
    {
        std::lock_guard<std::mutex> lock(yearsMutex);
        for (size_t i = 0; i < AllYears.size(); ++i)
            if (AllYears[i] == year)
                return static_cast<int32_t>(i);
        try {
            auto dates = std::make_unique<YearDates>();
            FillYearDates(year, *dates);
            AllYears.reserve(AllYears.size() + 1);
            AllDates.reserve(AllDates.size() + 1);
            AllYears.push_back(year);
            AllDates.push_back(std::move(dates));
        } catch (const std::bad_alloc&) {
            LogTextInt("[TNCommon::GetYearPos] FATAL ERROR! year = ", year);
            return -1;
        }
        pos = static_cast<int32_t>(AllYears.size()) - 1;
        count = pos + 1;
    }
    if (auto* hook = Hooks.YearSlotsAdded.load())
        hook(count);
    return pos;
}

int32_t TNCommon::YearCount() const
{
    std::lock_guard<std::mutex> lock(yearsMutex);
    return static_cast<int32_t>(AllYears.size());
}

int32_t TNCommon::YearAtPos(int32_t pos) const
{
    std::lock_guard<std::mutex> lock(yearsMutex);
    return pos >= 0 && static_cast<size_t>(pos) < AllYears.size() ? AllYears[static_cast<size_t>(pos)] : 0;
}

bool TNCommon::GetYearDates(int32_t year, YearDates& out)
{
    // A second pass covers a log-out that emptied the table in between.
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            std::lock_guard<std::mutex> lock(yearsMutex);
            for (size_t i = 0; i < AllYears.size(); ++i) {
                if (AllYears[i] == year) {
                    out = *AllDates[i];
                    return true;
                }
            }
        }
        if (GetYearPos(year) < 0)
            return false;
    }
    return false;
}

bool TNCommon::IsLeapYear(int32_t year)
{
    return civil::IsLeapYear(year);
}

int32_t TNCommon::DaysInYear(int32_t year)
{
    return civil::DaysInYear(year);
}

int32_t TNCommon::DayOfYear(int32_t year, int32_t month, int32_t day)
{
    return civil::DayOfYear(year, month, day);
}

bool TNCommon::ResizeDayList(int32_t n, TNDayList* list)
{
    if (list == nullptr || n < 0)
        return false;
    try {
        const size_t size = static_cast<size_t>(n) + 2;
        list->Years.resize(size);
        list->Months.resize(size);
        list->Days.resize(size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (size_t i = static_cast<size_t>(n); i < static_cast<size_t>(n) + 2; ++i) {
        list->Years[i] = 0;
        list->Months[i] = 0;
        list->Days[i] = 0;
    }
    list->Count = n;
    return true;
}

bool TNCommon::CollectDaysInRange(int32_t startYear, int32_t startMonth, int32_t startDay, int32_t endYear,
                                  int32_t endMonth, int32_t endDay, TNDayList* list, int32_t endHour, int32_t endMinute)
{
    if (list == nullptr)
        return false;
    if (!civil::IsValidDate(startYear, startMonth, startDay) || !civil::IsValidDate(endYear, endMonth, endDay)) {
        ResizeDayList(0, list);
        return false;
    }
    int64_t first = civil::DaysFromCivil(startYear, startMonth, startDay);
    int64_t last = civil::DaysFromCivil(endYear, endMonth, endDay);
    // An end before the start keeps the start day.
    if (last < first)
        last = first;
    if (last > first && endHour == 0 && endMinute == 0)
        --last;
    first = std::max(first, civil::DaysFromCivil(MinYear, 1, 1));
    last = std::min(last, civil::DaysFromCivil(MaxYear, 12, 31));
    const int32_t count = last >= first ? static_cast<int32_t>(last - first + 1) : 0;
    if (!ResizeDayList(count, list))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        const civil::Date date = civil::CivilFromDays(first + i);
        list->Years[static_cast<size_t>(i)] = static_cast<uint16_t>(date.Year);
        list->Months[static_cast<size_t>(i)] = static_cast<uint8_t>(date.Month);
        list->Days[static_cast<size_t>(i)] = static_cast<uint8_t>(date.Day);
    }
    return true;
}

int32_t TNCommon::getDayNo(int32_t day, int32_t month, int32_t year, int32_t defaultValue)
{
    if (year < 1 || year > 9999) {
        LogTextInt("[c.getDayNo][ERROR] First day of the year AllDayItem doesn't exist! Year = ", year);
        return defaultValue;
    }
    if (!civil::IsValidDate(year, month, day)) {
        LogText("[c.getDayNo][ERROR] AllDayItem doesn't exist!");
        return defaultValue;
    }
    if (auto* hook = Hooks.DayItemWanted.load())
        hook(year, month, day);
    return civil::Weekday(year, month, day);
}

void TNCommon::ClearAllYears()
{
    {
        std::lock_guard<std::mutex> lock(yearsMutex);
        if (!AllYears.empty())
            LogText("[TNCommon::ClearAllYears] AllYears != NULL");
        if (!AllDates.empty())
            LogText("[TNCommon::ClearAllYears] AllDates != NULL");
        AllYears.clear();
        AllDates.clear();
    }
    if (auto* hook = Hooks.YearsCleared.load())
        hook();
}

// ---------------------------------------------------------------------------
// Common helpers: state, files, system, validation, ids, names, arrays, the
// organizer array and the fatal-error step.

namespace {

constexpr uint64_t kEnoughDiskSpace = 3ull * 1024 * 1024 * 1024;
constexpr int kTempNameAttempts = 100000;

constexpr const char* kRaftTypeNames[] = {"raftHole",         "raftOrganizer",  "raftRecord",          "raftAlert",
                                          "raftTag",          "raftTagsAssign", "raftContactsRequest", "raftGroup",
                                          "raftGroupsAssign", "raftContact",    "raftNotification",    "raftSharing",
                                          "raftEventType",    "raftLastRequest"};

constexpr const char* kEventTypes[][2] = {
    {"Other", "Ostatní"},
    {"Theatre", "Divadlo"},
    {"Exhibition", "Výstava"},
    {"Concert", "Koncert"},
    {"DanceBall", "Ples"},
    {"SportEvent", "Sportovní událost"},
    {"HikingTour", "Turistický pochod"},
    {"Trip", "Výlet"},
    {"Movies", "Kino"},
    {"EmergenciesAndOutages", "Havárie a výpadky"},
    {"Festival", "Festival"},
    {"Dance", "Tanec"},
};

constexpr const char* kDayNames[] = {"Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota", "Neděle"};

constexpr std::string_view kLoginCharacters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.";
constexpr std::string_view kPasswordCharacters =
    "-!?&+._abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::string_view kEmailCharacters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.@-";

constexpr const char* kEmailSampleLine = "\nVzor e-mailové adresy: uzivatel@example.com";

const char* EmailMessageOf(int32_t code)
{
    switch (code) {
    case 0:
    case -1:
        return "E-mailová adresa není zadána!";
    case -2:
        return "E-mailová adresa neobsahuje žádný zavináč (znak \"@\").\n"
               "Každá e-mailová adresa musí obsahovat právě jeden zavináč.";
    case -3:
        return "E-mailová adresa obsahuje příliš mnoho zavináčů (znak \"@\").\n"
               "Každá e-mailová adresa musí obsahovat právě jeden zavináč.";
    case -4:
        return "Zavináč (znak \"@\") nesmí být na začátku e-mailové adresy!";
    case -5:
        return "Zavináč (znak \"@\") nesmí být na konci e-mailové adresy!";
    case -6:
        return "E-mailová adresa obsahuje nepovolené znaky!\n\nPovolené znaky jsou:\n"
               "abcdefghijklmnopqrstuvwxyz\nABCDEFGHIJKLMNOPQRSTUVWXYZ\n0123456789\n@ _ . -\n";
    case -7:
        return "Za zavináčem (znak \"@\") není žádná tečka!\n"
               "Každá e-mailová adresa musí za zavináčem obsahovat alespoň jednu tečku.";
    case -8:
        return "Za poslední tečkou musí být alespoň 2 znaky!";
    case -9:
        return "Za zavináčem (znak \"@\") musí být alespoň 4 znaky!";
    default:
        return "";
    }
}

int32_t EmailCode(const char* address)
{
    if (address == nullptr)
        return 0;
    std::string_view text(address);
    if (text.empty())
        return -1;
    size_t at = text.find('@');
    if (at == std::string_view::npos)
        return -2;
    if (text.find('@', at + 1) != std::string_view::npos)
        return -3;
    if (at == 0)
        return -4;
    if (at == text.size() - 1)
        return -5;
    if (text.find_first_not_of(kEmailCharacters) != std::string_view::npos)
        return -6;
    if (text.find('.', at + 1) == std::string_view::npos)
        return -7;
    if (text.size() - text.rfind('.') - 1 < 2)
        return -8;
    if (text.size() - at - 1 < 4)
        return -9;
    return 1;
}

bool OnlyCharacters(const char* text, std::string_view allowed, size_t shortest, size_t longest)
{
    if (text == nullptr)
        return false;
    std::string_view value(text);
    return value.size() >= shortest && value.size() <= longest &&
           value.find_first_not_of(allowed) == std::string_view::npos;
}

// True when the file opens for reading; size 0 otherwise.
bool SizeOfFile(const char* path, int64_t& size)
{
    size = 0;
    if (path == nullptr || path[0] == '\0')
        return false;
    plat::File file;
    uint64_t bytes = 0;
    if (!file.Open(PathInEnteredFolder(path), plat::File::Mode::Read) || !file.Size(bytes))
        return false;
    size = static_cast<int64_t>(bytes);
    return true;
}

template <class T> T* AllocateArray(int32_t n)
{
    if (n < 0)
        return nullptr;
    return static_cast<T*>(std::calloc(static_cast<size_t>(n) + 2, sizeof(T)));
}

template <class T> T* ReallocateArray(T* array, int32_t n)
{
    if (array == nullptr || n < 0)
        return nullptr;
    auto* grown = static_cast<T*>(std::realloc(array, (static_cast<size_t>(n) + 2) * sizeof(T)));
    if (grown != nullptr) {
        grown[n] = 0;
        grown[n + 1] = 0;
    }
    return grown;
}

} // namespace

void TNCommon::InitCommonHelpers()
{
    // 1. Lock names private to this run.
    char name[128];
    std::snprintf(name, sizeof(name), "timeinfoMutex%d_Dalmora%d_%u_%" PRId64, App.IsDev, App.VersionNumber, App.Random,
                  ProgramStartTime);
    TimeInfoMutexName.Set(name);
    std::snprintf(name, sizeof(name), "logMutex%d_Dalmora%d_%u_%" PRId64, App.IsDev, App.VersionNumber, App.Random,
                  ProgramStartTime);
    LogMutexName.Set(name);
    SetLogMutexName(LogMutexName.Text);

    // 2. The event-type table.
    for (const auto& type : kEventTypes) {
        EventTypeKeys.Add(type[0]);
        EventTypeNames.Add(type[1]);
    }
}

TNCommon::~TNCommon()
{
    PIM.Clear(FoundationHooks.DestroyPIM);
    LogText("[TNCommon::Destroy][LAST_LOG] Setting App.WriteLog to false.");
    App.WriteLog = 0;
}

bool TNCommon::ReadNumber(int width, plat::ByteReader& in, int32_t& value)
{
    return ::ReadNumber(width, in, value);
}

bool TNCommon::ReadUNumber(int width, plat::ByteReader& in, uint32_t& value)
{
    return ::ReadUNumber(width, in, value);
}

int TNCommon::WriteNumber(int32_t value, int width, plat::ByteWriter& out)
{
    return ::WriteNumber(value, width, out);
}

int TNCommon::WriteUNumber(uint32_t value, int width, plat::ByteWriter& out)
{
    return ::WriteUNumber(value, width, out);
}

bool TNCommon::ReadHeader(std::string_view expectedId, plat::ByteReader& in, int32_t& version)
{
    return ::ReadHeader(expectedId, in, version);
}

bool TNCommon::WriteHeader(std::string_view id, int32_t version, plat::ByteWriter& out)
{
    return ::WriteHeader(id, version, out);
}

bool TNCommon::FileExists(const char* path)
{
    return Guarded("[TNCommon::FileExists]", false, [&] {
        int64_t size = 0;
        bool found = SizeOfFile(path, size);
        FileExistsSize.store(size);
        return found;
    });
}

bool TNCommon::FileExistsGetSize(const char* path)
{
    return Guarded("[TNCommon::FileExistsGetSize]", false, [&] {
        int64_t size = 0;
        bool found = SizeOfFile(path, size);
        FileExistsGetSizeSize.store(size);
        return found;
    });
}

int64_t TNCommon::GetFileSize(const char* path)
{
    return Guarded("[TNCommon::GetFileSize]", int64_t{0}, [&] {
        int64_t size = 0;
        SizeOfFile(path, size);
        return size;
    });
}

bool TNCommon::CopyFile(const char* source, const char* target)
{
    return Guarded("[TNCommon::CopyFile]", false, [&] {
        if (source == nullptr || target == nullptr || source[0] == '\0' || target[0] == '\0')
            return false;
        return plat::CopyFile(PathInEnteredFolder(source), PathInEnteredFolder(target));
    });
}

bool TNCommon::CreateDirsForPath(const char* path)
{
    return Guarded("[TNCommon::CreateDirsForPath]", false, [&] {
        if (path == nullptr)
            return false;
        if (path[0] == '?')
            return true;
        std::string folder = path[0] == '/' ? std::string("/") : PathInEnteredFolder("");
        std::string_view rest(path);
        while (!rest.empty()) {
            size_t end = rest.find_first_of("/\\");
            std::string_view element = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (element.empty())
                continue;
            if (element == "." || element == "..")
                return false;
            folder += std::string(element) + "/";
        }
        if (!plat::CreateFolders(folder))
            return false;
        EnterFolderForThread(folder);
        return true;
    });
}

TNString TNCommon::GetTempFileName(const char* prefix)
{
    return Guarded("[TNCommon::GetTempFileName]", TNString(), [&] {
        std::string start = prefix != nullptr ? prefix : "";
        if (start.find('/') != std::string::npos)
            return TNString();
        if (Dirs.TempDir.IsEmpty())
            Dirs.GoToTempDir();
        std::string folder(Dirs.TempDir.View());
        if (folder.empty())
            folder = plat::TempFolder();
        if (!plat::CreateFolders(folder))
            return TNString();

        int64_t now = plat::UnixMilliseconds();
        const std::tm fields = TNLocalClock::Fields(now >= 1000 ? now / 1000 : 1);
        uint32_t number = static_cast<uint32_t>(now % 1000);
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt, ++number) {
            char name[64];
            std::snprintf(name, sizeof(name), "_%02u%02u%02u%02u.tmp", static_cast<unsigned>(fields.tm_hour),
                          static_cast<unsigned>(fields.tm_min), static_cast<unsigned>(fields.tm_sec), number);
            std::string path = folder + start + name;
            const plat::CreateResult made = plat::CreateFileExclusively(path);
            if (made == plat::CreateResult::Created)
                return TNString(std::string_view(path));
            if (made == plat::CreateResult::Failed)
                break;
        }
        LogWrite("[TNCommon::GetTempFileName][ERROR] No free name in ", folder.c_str(), false);
        return TNString();
    });
}

bool TNCommon::isEnoughDiskSpace(const char* path)
{
    return Guarded("[TNCommon::isEnoughDiskSpace]", false, [&] {
        if (path == nullptr || path[0] == '\0') {
            LogText("[c.isEnoughDiskSpace][ERROR] Param 'path' not defined or short!");
            return false;
        }
        // A folder that does not exist yet is asked through its nearest
        // existing parent.
        std::string where = PathInEnteredFolder(path);
        uint64_t free = 0;
        for (;;) {
            if (plat::FreeSpaceOfPath(where, free))
                return free >= kEnoughDiskSpace;
            while (where.size() > 1 && where.back() == '/')
                where.pop_back();
            size_t slash = where.rfind('/');
            if (slash == std::string::npos || where.size() <= 1)
                return false;
            where = where.substr(0, slash + 1);
        }
    });
}

bool TNCommon::OpenUrl(const char* address)
{
    return Guarded("[TNCommon::OpenUrl]", false, [&] {
        std::string target = address != nullptr ? address : "";
        // A name without a scheme is a file of the folder this thread entered.
        if (!target.empty() && target.find(':') == std::string::npos)
            target = PathInEnteredFolder(target);
        // The shell layer refuses anything but web addresses and existing
        // files, and logs why.
        return plat::ShellOpen(target, "open");
    });
}

bool TNCommon::GetWindowsVersion(int32_t& major, int32_t& minor)
{
    major = 6;
    minor = 1;
    return true;
}

uint32_t TNCommon::GetIdleSeconds()
{
    return FoundationHooks.IdleSeconds != nullptr ? FoundationHooks.IdleSeconds() : 0;
}

uint32_t TNCommon::GetLastInputSeconds()
{
    int64_t now = plat::MonotonicMilliseconds() / 1000;
    int64_t last = now - GetIdleSeconds();
    return static_cast<uint32_t>(last > 0 ? last : 0);
}

bool TNCommon::CheckLogin(const char* text)
{
    return OnlyCharacters(text, kLoginCharacters, 3, 128);
}

bool TNCommon::CheckPassword(const char* text)
{
    return OnlyCharacters(text, kPasswordCharacters, 3, 35);
}

int32_t TNCommon::CheckEmail(const char* address, bool showMessage)
{
    return Guarded("[TNCommon::CheckEmail]", 0, [&] {
        int32_t code = EmailCode(address);
        if (code == 1) {
            EmailMessage.Set("");
            return code;
        }
        EmailMessage.Set(EmailMessageOf(code));
        EmailMessage.Append(kEmailSampleLine);
        if (showMessage)
            ShowMessageBox(EmailMessage.Text, "CHYBA", mbOk);
        return code;
    });
}

const char* TNCommon::GetRaftTypeName(int32_t type)
{
    if (type < 0 || type >= static_cast<int32_t>(std::size(kRaftTypeNames)))
        return "Unknown raftType";
    return kRaftTypeNames[type];
}

TNString TNCommon::GetEventTypeNameByKey(const char* key) const
{
    return Guarded("[TNCommon::GetEventTypeNameByKey]", TNString(), [&] {
        std::string_view wanted = key != nullptr ? std::string_view(key) : std::string_view();
        for (int32_t i = 0; i < EventTypeKeys.Count && i < EventTypeNames.Count; ++i) {
            if (EventTypeKeys.Items[i]->View() == wanted)
                return *EventTypeNames.Items[i];
        }
        return TNString(wanted);
    });
}

TNString TNCommon::GetEventTypeName(const TNString& key) const
{
    return GetEventTypeNameByKey(key.Text);
}

TNString TNCommon::DayNameAnsi(int32_t weekday)
{
    if (weekday >= 1 && weekday <= 7)
        return TNString(kDayNames[weekday - 1]);
    TNString number;
    number.SetInt(weekday);
    return number;
}

TNString TNCommon::UIntToAnsi(uint32_t number)
{
    TNString text;
    text.AppendUInt(number);
    return text;
}

int32_t TNCommon::StrToInt(const char* text)
{
    // Digits are collected and every other character skipped; a leading
    // "-" makes the number negative. Too many digits stay at the limit.
    if (text == nullptr)
        return 0;
    std::string_view value(text);
    bool negative = !value.empty() && value[0] == '-';
    int64_t number = 0;
    for (char ch : value) {
        if (ch < '0' || ch > '9')
            continue;
        number = number * 10 + (ch - '0');
        if (number > int64_t{INT32_MAX} + 1)
            number = int64_t{INT32_MAX} + 1;
    }
    if (negative)
        return static_cast<int32_t>(-number);
    return static_cast<int32_t>(number > INT32_MAX ? INT32_MAX : number);
}

bool TNCommon::IsDigitsOnly(const char* text)
{
    if (text == nullptr || text[0] == '\0')
        return false;
    for (const char* ch = text; *ch != '\0'; ++ch) {
        if (*ch < '0' || *ch > '9')
            return false;
    }
    return true;
}

uint32_t TNCommon::DigitsToNumber(const char* text)
{
    // Too many digits stay at the limit.
    if (text == nullptr)
        return 0;
    uint64_t number = 0;
    for (const char* ch = text; *ch != '\0'; ++ch) {
        if (*ch < '0' || *ch > '9')
            continue;
        number = number * 10 + static_cast<uint64_t>(*ch - '0');
        if (number > UINT32_MAX)
            number = UINT32_MAX;
    }
    return static_cast<uint32_t>(number);
}

bool TNCommon::IsPointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t height)
{
    int64_t right = int64_t{left} + width;
    int64_t bottom = int64_t{top} + height;
    return left <= x && x <= right && top <= y && y <= bottom;
}

int32_t* TNCommon::initIntArray(int32_t n)
{
    int32_t* array = AllocateArray<int32_t>(n);
    if (array == nullptr)
        LogText("[TNCommon::initIntArray][ERROR][END]");
    return array;
}

uint32_t* TNCommon::initUIntArray(int32_t n)
{
    uint32_t* array = AllocateArray<uint32_t>(n);
    if (array == nullptr)
        LogText("[TNCommon::initUIntArray][ERROR][END]");
    return array;
}

int32_t* TNCommon::reallocIntArray(int32_t* array, int32_t n)
{
    if (array == nullptr) {
        LogText("[TNCommon::reallocIntArray][ERROR][NULL] Use c.initIntArray first!");
        return nullptr;
    }
    return ReallocateArray(array, n);
}

uint32_t* TNCommon::reallocUIntArray(uint32_t* array, int32_t n)
{
    if (array == nullptr) {
        LogText("[TNCommon::reallocUIntArray][ERROR][NULL] Use c.initUIntArray first!");
        return nullptr;
    }
    return ReallocateArray(array, n);
}

void TNCommon::freeArray(void* array)
{
    std::free(array);
}

int32_t TNCommon::getIntPosInArray(const int32_t* array, int32_t count, int32_t value)
{
    for (int32_t i = 0; array != nullptr && i < count; ++i) {
        if (array[i] == value)
            return i;
    }
    return -1;
}

int32_t TNCommon::getUIntPosInArray(const uint32_t* array, int32_t count, uint32_t value)
{
    for (int32_t i = 0; array != nullptr && i < count; ++i) {
        if (array[i] == value)
            return i;
    }
    return -1;
}

int32_t TNCommon::FindPairInArray(const int32_t* table, int32_t count, int32_t first, int32_t second)
{
    for (int32_t i = 0; table != nullptr && i < count; ++i) {
        const int32_t* record = table + static_cast<size_t>(i) * 5;
        if (record[0] == first && record[1] == second)
            return i;
    }
    return -1;
}

bool TNCommon::ResizePIM()
{
    return Guarded("[c.ResizePIM]", false, [&] {
        PIM.Clear(FoundationHooks.DestroyPIM);
        int32_t count = App.PimServersCount;
        if (count < 0 || count > kMaxPimServers)
            count = 0;
        for (int32_t position = 0; position < count; ++position) {
            TNPIM* pim = FoundationHooks.CreatePIM != nullptr ? FoundationHooks.CreatePIM(position) : nullptr;
            if (pim == nullptr || !PIM.Append(pim)) {
                LogTextInt("[c.ResizePIM][ERROR] No organizer data set for pim_srv_pos = ", position);
                return false;
            }
        }
        ReportNoServer();
        return true;
    });
}

void TNCommon::ReportNoServer()
{
    if (PIM.Count() == 0 && App.PimServersCount == 0)
        LogText(kNoServerConfiguredLine);
}

void TNCommon::FatalErrorApplicationRestart()
{
    LogText("[TNCommon::FatalErrorApplicationRestart][ERROR][EXCEPTION]");
    if (FoundationHooks.EmergencyClose != nullptr)
        FoundationHooks.EmergencyClose();
}
