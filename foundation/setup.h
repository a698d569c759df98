#pragma once

#include "foundation/string.h"
#include "foundation/time.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TNUsers;

// One named, typed setting. The type decides which value field counts and
// how it is stored.
struct TNSetupItem {
    enum Type : int32_t {
        kInt8 = 1,
        kInt16 = 2,
        kInt32 = 3,
        kBool = 4,
        kText8 = 50,
        kText16 = 51,
        kText32 = 52,
        kDate = 90,
        kTime = 91,
        kDateTime = 92,
        kNumbers32 = 100,
        kNumbers8 = 101,
        kNumbers16 = 102,
        kTexts32 = 110,
        kTexts8 = 111,
        kTexts16 = 112,
    };

    static bool IsKnownType(int32_t type);
    static bool IsNumbersType(int32_t type) { return type >= kNumbers32 && type <= kNumbers16; }
    static bool IsTextsType(int32_t type) { return type >= kTexts32 && type <= kTexts16; }

    int32_t ItemType = 0;
    // Compared exactly.
    TNString Name;
    // The value of the number types; the element count of the array types.
    int32_t Number = 0;
    TNString Text;
    TNTime Time;
    std::vector<int32_t> Numbers;
    std::vector<TNString> Texts;
    // A removed item is no longer found or saved.
    bool Removed = false;
};

// The signed-in user's settings: named, typed items over the built-in
// defaults. The main thread sets values while the online thread saves, so
// every operation takes the list's lock; readers get copies.
class TNSetup {
public:
    static constexpr const char* kFileId = "BrivaneAppSetup";
    static constexpr int32_t kFileVersion = 2;
    // The account password lives in memory only.
    static constexpr const char* kPasswordKey = "SmsUcet_Pass";

    // Registers the built-in keys with their defaults.
    TNSetup();
    TNSetup(const TNSetup&) = delete;
    TNSetup& operator=(const TNSetup&) = delete;

    int32_t Count() const;
    bool IsChanged() const { return changed_.load(); }

    // Index of the first item of that name that is not removed, or -1.
    int32_t Find(const char* name) const;
    int32_t Add(const char* name, int32_t type);
    // Finds or adds the item and gives it the type.
    int32_t Set(const char* name, int32_t type);
    // Array types: resizes to `value` elements. Other types: stores the number.
    int32_t SetValue(const char* name, int32_t value, int32_t type);
    int32_t SetString(const char* name, const char* text, int32_t type);
    int32_t SetAnsiString(const char* name, const TNString* text, int32_t type);
    int32_t Remove(const char* name);

    bool GetBool(const char* name) const;
    int32_t GetInt(const char* name) const;
    TNString GetString(const char* name) const;
    // Copies of the other value forms; false when the item is missing.
    bool GetTime(const char* name, TNTime* out) const;
    bool GetNumbers(const char* name, std::vector<int32_t>* out) const;
    bool GetTexts(const char* name, std::vector<TNString>* out) const;
    // A copy of the item at a list position, removed ones included.
    bool GetItem(int32_t index, TNSetupItem* out) const;

    void Clear();
    // Clear, then the built-in defaults again.
    void Reset();

    // Reads the active user's settings file over the current items.
    bool Load(const TNUsers& users, const std::string& path);
    // Writes the items when changed, for a known active user only; the
    // account password is removed first.
    bool Save(const TNUsers& users, const std::string& path);

private:
    int32_t FindLocked(const char* name) const;
    int32_t AddLocked(const char* name, int32_t type);
    int32_t SetLocked(const char* name, int32_t type);
    int32_t RemoveLocked(const char* name);
    const TNSetupItem* FindItemLocked(const char* name) const;
    void RegisterDefaultsLocked();
    // Names of the items a text of which was cut to its length field go to cutKeys.
    std::string SerializeLocked(std::vector<std::string>& cutKeys) const;
    // Copies a file that loaded only in part aside (its name with the time
    // appended) before path is written over it; false when that fails.
    bool KeepDamagedFile(const std::string& path);

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<TNSetupItem>> items_;
    // The file of the last load when it could not be read to its end.
    std::string damagedPath_;
    std::atomic<bool> changed_{false};
    std::atomic_flag saving_;
};

// Built and destroyed by the globals table (globals.h).
extern TNSetup& Setup;
