#pragma once

#include "foundation/common.h"
#include "foundation/string.h"
#include "foundation/time.h"
#include "model/request_strings.h"

#include <cstdint>
#include <memory>
#include <vector>

class TNBodyReader;
class TNBodyWriter;
class TNPIM;
class TNPIMOrganizer;
struct TNUsersRights;
namespace plat {
class ByteReader;
} // namespace plat

// One occurrence of a repeat rule, as the upload sends it.
struct TNRecurrenceEntry {
    uint8_t Hour = 0;
    uint8_t Minute = 0;
    uint16_t Year = 0;
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint8_t Weekday = 0; // 1 Monday .. 7 Sunday
};

// Kinds of record (`Type`).
enum TNRecordType : int32_t {
    rtTask = 1,
    rtNote = 2,
    rtEvent = 3,
    rtAction = 4,
    rtMeeting = 5,
    rtReminder = 6,
    rtAnniversary = 7,
    rtBirthday = 8,
    rtDayNote = 9,
};

// Repeat frequencies (`RecurrenceFrequency`).
enum TNRecurrenceFrequency : int32_t {
    rfNone = 0,
    rfHourly = 1,
    rfDaily = 2,
    rfWeekly = 3,
    rfMonthly = 4,
    rfAnnually = 5,
};

// One event, task or note of an organizer.
class TNPIMRecord {
public:
    // Request strings of occurrences: ten of each, 100 occurrences a string.
    static constexpr int32_t kRequestStrings = 10;
    static constexpr int32_t kOccurrencesPerRequest = 100;
    // Version written by Save.
    static constexpr uint8_t kStoredVersion = 4;

    TNPIM* ParentPIM = nullptr;
    TNPIMOrganizer* Organizer = nullptr;
    int32_t MasterPos = 0;
    bool Virtual = false;
    bool DoNotSave = false;
    bool PleaseSync = false;
    bool PleaseSyncRecurrence = false;
    uint32_t ID = 0;
    uint32_t OldID = 0;
    uint32_t Created = 0;
    uint32_t Changed = 0;
    uint32_t Deleted = 0;
    uint32_t OrganizerID = 0;
    uint32_t SaveToOrganizerID = 0;
    uint32_t CreatedByUserID = 0;
    uint32_t ParentID = 0;
    int32_t Type = 0;
    int32_t EventType = 0;
    TNString ShortTitle;
    uint32_t ShortTitleChanged = 0;
    TNString Text;
    int32_t Importance = 0;
    int32_t Finished = 0;
    uint32_t FinishedTime = 0;
    bool HasBegin = false;
    TNTime Begin;
    bool HasEnd = false;
    TNTime End;
    int32_t EventLength = -1;
    int32_t Reschedule = 0;
    TNString Note;
    TNString PlainText;
    TNString SearchablePlainText;
    TNString PlainNote;
    TNString SearchablePlainNote;

    uint32_t RecurrenceMasterID = 0;
    int32_t RecurrenceFrequency = 0;
    TNString RecurrenceSettings;
    // Values of RecurrenceSettings.
    int32_t Range = 0;
    int32_t Count = 0;
    TNTime EndDate;
    // Hour and minute are the hourly step; the hour may exceed 24.
    TNTime RepeatHourly;
    int32_t RepeatDaily = 0;
    int32_t RepeatWeekly = 0;
    uint8_t RepeatWeeklyDay1 = 0;
    uint8_t RepeatWeeklyDay2 = 0;
    uint8_t RepeatWeeklyDay3 = 0;
    uint8_t RepeatWeeklyDay4 = 0;
    uint8_t RepeatWeeklyDay5 = 0;
    uint8_t RepeatWeeklyDay6 = 0;
    uint8_t RepeatWeeklyDay7 = 0;
    int32_t RepeatMonthly = 0;
    int32_t RepeatMonthlyDayOfMonth = 0;
    int32_t RepeatMonthlyDayOfWeekInMonth1 = 0;
    int32_t RepeatMonthlyDayOfWeekInMonth2 = 0;
    int32_t RepeatAnnually = 0;
    int32_t RepeatAnnuallyDayInMonth1 = 0;
    int32_t RepeatAnnuallyDayInMonth2 = 0;
    int32_t RepeatAnnuallyDayOfWeekInMonth1 = 0;
    int32_t RepeatAnnuallyDayOfWeekInMonth2 = 0;
    int32_t RepeatAnnuallyDayOfWeekInMonth3 = 0;
    // Occurrences of the last expansion, and its request strings.
    std::vector<TNRecurrenceEntry> RecurrenceArray;
    TNRequestStrings RecurrenceDates;
    TNRequestStrings RecurrenceTimes;

    TNString Settings;
    int32_t Visibility = 0;
    bool Shared = false;
    TNString SharingRequest;
    int32_t RecurrenceSaveMode = -1;
    uint32_t MainPicture = 0;
    uint32_t MainPictureWidth = 0;
    uint32_t MainPictureHeight = 0;
    uint32_t PromoterID = 0;
    TNString Place;
    uint32_t PlaceID = 0;
    uint32_t TagID = 0;
    int32_t UiValue1 = 0;
    int32_t UiValue2 = 0;
    // Values of Settings.
    bool Hidden = false;
    int32_t AlertType0 = 0;
    int32_t AlertDays0 = 0;
    int32_t AlertHours0 = 0;
    int32_t AlertMinutes0 = 0;
    // Days the record is filed under in the per-day index.
    TNDayList IndexedDays;
    uint32_t LocalChanged = 0;
    uint32_t lastMainPicture = 0;

    TNPIMRecord() = default;
    explicit TNPIMRecord(TNPIM* parent) : ParentPIM(parent) {}
    // A record is copied field by field with Copy, never as a whole.
    TNPIMRecord(const TNPIMRecord&) = delete;
    TNPIMRecord& operator=(const TNPIMRecord&) = delete;

    // Position of the owning data set in PIM; 0 (and a log line) when out of range.
    int32_t GetParentPIMPos() const;

    // Fills the fields whose keys the answer element holds.
    void ParseFromXML(TNString* element);
    void CopyRecurrence(const TNPIMRecord* source);
    void Copy(const TNPIMRecord* source);

    // Writes the stored form as the queue entry's record; nothing for a
    // virtual or DoNotSave record. The result is the record file's.
    bool Save(int32_t queuePos, int32_t fid);
    // Reads the stored form from a reader bounded to the record. False when
    // the version is unknown or the record is cut short: the record is then
    // unreadable and keeps its defaults.
    bool Load(plat::ByteReader& in);

    void Update_recordsLastRequestTime();
    bool Check() { return false; }
    void UpdateOrganizerPointer();
    std::unique_ptr<TNString> GetRecordTypeText() const;
    void DestroyImages() {}

    // --- Settings text ---
    void ParseSettingsFromJSON();
    void SetJSON();

    // --- Recurrence text and expansion ---
    void ParseRecurrenceSettingsFromJSON();
    void StringifyRecurrenceSettingsToJSON();
    bool ResizeRecurrenceArray(int32_t n);
    bool SetRecurrenceArrayValues(int32_t pos, const TNTime& time);
    // Appends the entry to the request strings; false once the strings are full.
    bool AddOneRecurrenceRequest(int32_t pos, int32_t& stringIndex, int32_t& countInString);
    // Expands the rule from Begin into RecurrenceArray (and, with
    // makeRequests, the request strings); the number of occurrences counted.
    // A maximum above 0 bounds the list (the editor's preview).
    int32_t CreateRecurrenceArray(bool makeRequests, int32_t maximum);
    // The Czech sentence that describes the rule.
    void GetRecurrenceTitleString(TNString* out) const;

    // --- Per-day index (of PIM[0], which serves every set) ---
    // Files the record under each day from its begin to its end; an end at
    // 00:00 does not occupy its day, an end before the begin files the begin
    // day. IndexedDays lists the days afterwards.
    void AddToAllDays();
    // Takes every record of this id, in every set, out of the index; the
    // days come from the IndexedDays of each. IndexedDays stays.
    void DeleteRecordFromAllDays();
    // Takes this record object alone out of the days it lists (before it is
    // freed or filled with another record's values).
    void TakeOutOfDays();

    // --- Upload form, rights and titles ---
    // Appends the upload form to body.
    void GetDataToSync(TNString* body);
    static TNString ByteToString(uint8_t value);
    // Minutes the record lasts, as the views lay it out.
    void CalcEventLength();
    // The signed-in user's rights on the record; owned by the caller.
    std::unique_ptr<TNUsersRights> GetUsersRights(const char* caller) const;
    bool Compare(const TNPIMRecord* other) const;
    bool BeginDateTimeAreEqual(const TNPIMRecord* other) const;
    bool EndDateTimeAreEqual(const TNPIMRecord* other) const;
    // The display title; with build, made when it is missing or stale.
    bool HasShortTitle(bool build);
    // The short title, trimmed; owned by the caller.
    std::unique_ptr<TNString> GetNoteTitle();
    bool SearchInRecord(const char* text);

    // The date of an anniversary's or birthday's copy in a year: the
    // master's day and month, 28 February for 29 February in a common year.
    // The time of day stays as the copy has it.
    static void SetYearlyCopyDate(TNTime& copy, const TNTime& master, int32_t year);

private:
    uint8_t* WeeklyDay(int32_t weekday);
    const uint8_t* WeeklyDay(int32_t weekday) const;
    // The stored body after its version byte, in the order of the file.
    void WriteFieldsTo(TNBodyWriter& w) const;
    bool ReadFieldsFrom(TNBodyReader& r, uint32_t version);
    void AfterLoadOrParse();
    bool RuleIsInRange() const;
};
