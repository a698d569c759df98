#pragma once

#include "foundation/local_clock.h"
#include "foundation/local_ids.h"
#include "foundation/string.h"
#include "foundation/time.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace plat {
class ByteReader;
class ByteWriter;
} // namespace plat

// The line logged when no server is configured.
inline constexpr const char* kNoServerConfiguredLine =
    "[c.ResizePIM][ERROR] App.PimServersCount = 0; no server is configured, the account service is off.";

// A list of calendar days, as a range of days is collected for the per-day
// index: Count days in three parallel arrays, each followed by two zero
// elements.
struct TNDayList {
    int32_t Count = 0;
    std::vector<uint16_t> Years{0, 0};
    std::vector<uint8_t> Months{0, 0};
    std::vector<uint8_t> Days{0, 0};
};

// Calls from `c` up into the data model, which fills them at start-up. An
// unset hook does nothing. Each runs on the calling thread without any lock
// of `c` held, so it may take the model's lock.
struct TNCommonHooks {
    // Year slots now number `count`: grow the per-day table to at least that
    // many. Several threads may report the same growth, and another thread
    // may be handed the new slot before this runs, so the model also grows
    // when it meets a slot it lacks.
    std::atomic<void (*)(int32_t count)> YearSlotsAdded{nullptr};
    // The year table was emptied: free the per-day table.
    std::atomic<void (*)()> YearsCleared{nullptr};
    // Make the per-day item of a date if it is missing.
    std::atomic<void (*)(int32_t year, int32_t month, int32_t day)> DayItemWanted{nullptr};
};

// The program's common helpers and state.
class TNCommon {
public:
    TNCommon();
    ~TNCommon();
    TNCommon(const TNCommon&) = delete;
    TNCommon& operator=(const TNCommon&) = delete;

    TNCommonHooks Hooks;

    // --- Time zone (kept by the local clock) ---
    // The computer zone's offset without summer time, in seconds east of
    // UTC, worked out from the system once.
    static int32_t TimeZoneOffset();
    // Offset split into whole hours and the remaining minutes.
    static int32_t TimeZoneHours();
    static int32_t TimeZoneMinutes();
    static void SetTimeZoneOffset(int32_t seconds);
    static int32_t SystemTimeZoneOffset();

    // --- Today and tomorrow ---
    // Midnight of today and of tomorrow. Written at construction and by
    // RefreshToday on the main thread; other threads take copies.
    TNTime Today;
    TNTime Tomorrow;
    // Sets both, and the local clock's bounds, from the clock's current date.
    void RefreshToday();
    TNTime CopyOfToday() const;
    TNTime CopyOfTomorrow() const;
    using DayBounds = TNLocalClock::DayBounds;
    // The local clock's bounds of today.
    DayBounds GetDayBounds() const;

    // --- Calendar years of the all-days index ---
    static constexpr int32_t MinYear = 1900;
    static constexpr int32_t MaxYear = 2100;
    static constexpr int32_t YearDatesSize = 367;
    using YearDates = std::array<int32_t, YearDatesSize>;

    // Slot of a year, added at the end on first use with its days filled in;
    // -1 when memory runs out.
    int32_t GetYearPos(int32_t year);
    int32_t YearCount() const;
    // Year of a slot; 0 for a slot that does not exist.
    int32_t YearAtPos(int32_t pos) const;
    // The days of a year (month × 100 + day in calendar order, then zeros),
    // adding its slot when new. False when the slot cannot be had.
    bool GetYearDates(int32_t year, YearDates& out);
    static bool IsLeapYear(int32_t year);
    static int32_t DaysInYear(int32_t year);
    // 1-based position of the date in its year; 0 when the date does not exist.
    static int32_t DayOfYear(int32_t year, int32_t month, int32_t day);
    // Resizes a day list to n days plus the two zero elements.
    static bool ResizeDayList(int32_t n, TNDayList* list);
    // Every date from the start to the end. An end at 00:00 (endHour and
    // endMinute 0) does not occupy its day unless it is the start day. Days
    // outside MinYear to MaxYear are left out.
    bool CollectDaysInRange(int32_t startYear, int32_t startMonth, int32_t startDay, int32_t endYear, int32_t endMonth,
                            int32_t endDay, TNDayList* list, int32_t endHour, int32_t endMinute);
    // Weekday 1 (Monday) to 7 of a date, asking the data model to make the
    // date's per-day item; defaultValue for a date that does not exist.
    int32_t getDayNo(int32_t day, int32_t month, int32_t year, int32_t defaultValue);
    // Empties the year table (log-out).
    void ClearAllYears();

    // ---------------------------------------------------------------------
    // Common helpers: state, files, system, validation, ids, names, arrays,
    // the organizer array and the fatal-error step.

    // Built from App and ProgramStartTime; private to this run.
    TNString TimeInfoMutexName;
    TNString LogMutexName;

    // Flags polled across threads.
    std::atomic<uint8_t> SyncIsRunning{0};
    std::atomic<uint8_t> SyncJobRunning{0};
    std::atomic<uint8_t> ExitAllowed{0};
    std::atomic<uint8_t> RealExit{0};
    // Unix seconds of the next memory release; 0 = none.
    std::atomic<int64_t> MemoryReleaseTime{0};
    // Unix seconds of the last log-out.
    std::atomic<int64_t> LogCounter{0};
    // Main-window width below which the layout narrows, in pixels.
    static constexpr int32_t NarrowWindowWidth = 800;
    // The highest component id of the view.
    static constexpr uint32_t ComponentIdLimit = 4294967295u;

    // Event-type keys sent by the service and their Czech names.
    TNStringList EventTypeKeys;
    TNStringList EventTypeNames;
    // The message of the last CheckEmail (main thread).
    TNString EmailMessage;
    // Sizes found by the last FileExists and FileExistsGetSize.
    std::atomic<int64_t> FileExistsSize{0};
    std::atomic<int64_t> FileExistsGetSizeSize{0};

    // Files: little-endian numbers and headers; false on a short read.
    static bool ReadNumber(int width, plat::ByteReader& in, int32_t& value);
    static bool ReadUNumber(int width, plat::ByteReader& in, uint32_t& value);
    static int WriteNumber(int32_t value, int width, plat::ByteWriter& out);
    static int WriteUNumber(uint32_t value, int width, plat::ByteWriter& out);
    static bool ReadHeader(std::string_view expectedId, plat::ByteReader& in, int32_t& version);
    static bool WriteHeader(std::string_view id, int32_t version, plat::ByteWriter& out);

    // Relative paths lie in the calling thread's entered folder.
    bool FileExists(const char* path);
    bool FileExistsGetSize(const char* path);
    // 0 when the file does not open.
    int64_t GetFileSize(const char* path);
    // False when the source does not open or any write fails; a partial
    // target is removed.
    bool CopyFile(const char* source, const char* target);
    // Creates the folders of a relative path in the thread's entered folder
    // and enters the last one; a path beginning with "?" is skipped.
    bool CreateDirsForPath(const char* path);
    // A new, empty file "<temp folder><prefix>_HHMMSSmmm.tmp", created
    // exclusively; on a clash the last number grows until the name is free.
    // Empty when no file could be made.
    TNString GetTempFileName(const char* prefix);
    // At least 3 GiB free for this user where the path lies.
    bool isEnoughDiskSpace(const char* path);

    // System.
    // Opens http, https and mailto addresses and existing local files;
    // refuses anything else.
    bool OpenUrl(const char* address);
    static bool IsVistaOrLater() { return true; }
    static bool GetWindowsVersion(int32_t& major, int32_t& minor);
    static bool IsRemoteSession() { return false; }
    static uint32_t GetIdleSeconds();
    static uint32_t GetLastInputSeconds();

    // Edit commands of the text menus on the form's active control (the
    // form is opaque; see the foundation hooks). True when the control's
    // class takes the command.
    static bool Zpet(void* form);
    static bool KopirujDoSchranky(void* form);
    static bool VyjmiDoSchranky(void* form);
    static bool VlozZeSchranky(void* form);
    static bool SmazVyber(void* form);
    static bool VyberVse(void* form);

    // Window helpers (the windows and the canvas are opaque; see the
    // foundation hooks). Without the hooks they do nothing.
    // Centres `window` over `over`.
    static void CenterControl(void* window, void* over);
    // Limits a form's height to the work area's height less 20 pixels.
    static void FitHeightToWorkArea(void* form);
    // Moves and limits a form so that it lies wholly inside the work area.
    static void KeepFormInWorkArea(void* form);
    static void DrawFilledRect(void* canvas, int32_t width, int32_t height, uint32_t fill, uint32_t outline);

    // Validation.
    static bool CheckLogin(const char* text);
    static bool CheckPassword(const char* text);
    // 1 for a valid address, else a negative code whose message lands in
    // EmailMessage; shown in a box when asked.
    int32_t CheckEmail(const char* address, bool showMessage);

    // Ids and names.
    static constexpr uint32_t MaxLocalId(uint32_t id, uint32_t current) { return NextLocalIDAfter(id, current); }
    static const char* GetRaftTypeName(int32_t type);
    TNString GetEventTypeNameByKey(const char* key) const;
    TNString GetEventTypeName(const TNString& key) const;
    static TNString DayNameAnsi(int32_t weekday);
    static TNString UIntToAnsi(uint32_t number);
    static int32_t StrToInt(const char* text);
    static bool IsDigitsOnly(const char* text);
    static uint32_t DigitsToNumber(const char* text);
    static bool IsPointInRect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t width, int32_t height);

    // Arrays of n values followed by two zero words; free them with
    // freeArray.
    static int32_t* initIntArray(int32_t n);
    static uint32_t* initUIntArray(int32_t n);
    static int32_t* reallocIntArray(int32_t* array, int32_t n);
    static uint32_t* reallocUIntArray(uint32_t* array, int32_t n);
    static void freeArray(void* array);
    static int32_t getIntPosInArray(const int32_t* array, int32_t count, int32_t value);
    static int32_t getUIntPosInArray(const uint32_t* array, int32_t count, uint32_t value);
    // Index of the first of `count` five-value records whose first two
    // values are the pair; -1 when none.
    static int32_t FindPairInArray(const int32_t* table, int32_t count, int32_t first, int32_t second);

    // Sizes PIM to App.PimServersCount data sets made through the factory
    // hook. Called once, after the final InitAppInfo.
    bool ResizePIM();
    // Logs the zero-server line when PIM is empty (once the log is set up).
    void ReportNoServer();

    // Logs the fatal error and switches on the emergency close.
    void FatalErrorApplicationRestart();

private:
    // Lock names and the event-type table; the first step of construction.
    void InitCommonHelpers();

    // Guards Today and Tomorrow.
    mutable std::mutex todayMutex;

    // Guards AllYears and AllDates. Never held while a hook runs.
    mutable std::mutex yearsMutex;
    std::vector<int32_t> AllYears;
    std::vector<std::unique_ptr<YearDates>> AllDates;
};

// Built and destroyed by the ordered table of globals (foundation/globals.h).
extern TNCommon& c;
