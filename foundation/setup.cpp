#include "foundation/setup.h"

#include "foundation/file_numbers.h"
#include "foundation/hooks.h"
#include "foundation/local_clock.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "foundation/users.h"
#include "platform/core/bytes.h"
#include "platform/core/clock.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>

namespace {

// Settings files are a few kilobytes; anything this large is not one.
constexpr uint64_t kMaxFileSize = UINT64_C(64) << 20;
// Longest text each length prefix can count.
constexpr int32_t kLimit8 = 255;
constexpr int32_t kLimit16 = 65535;

struct DefaultSetting {
    const char* Key;
    int32_t Type;
    int32_t Value;
};

// "%dx%d" keys carry the screen size, so each resolution keeps its own
// window geometry.
constexpr DefaultSetting kDefaults[] = {
    {"LastSynchronisationTime", TNSetupItem::kInt32, 0},
    {"PopupAdLastID", TNSetupItem::kInt32, 0},
    {"Proxy_Pouzivat", TNSetupItem::kBool, 0},
    {"Proxy_Overovat", TNSetupItem::kBool, 0},
    {"ZobrazovatRozsirenyTitulek", TNSetupItem::kBool, 1},
    {"OknoX_%dx%d", TNSetupItem::kInt32, -1},
    {"OknoY_%dx%d", TNSetupItem::kInt32, -1},
    {"SirkaOkna_%dx%d", TNSetupItem::kInt32, 750},
    {"VyskaOkna_%dx%d", TNSetupItem::kInt32, 570},
    {"Maximalizovano_%dx%d", TNSetupItem::kBool, 0},
    {"PovolitZvuk", TNSetupItem::kBool, 1},
    {"HideOnMinimize", TNSetupItem::kBool, 0},
    {"AppDB_FilenameChanged", TNSetupItem::kBool, 0},
    {"ConDB_FilenameChanged", TNSetupItem::kBool, 0},
    {"MailDB_FilenameChanged", TNSetupItem::kBool, 0},
    {"ShowStatusBar", TNSetupItem::kBool, 1},
    {"SettingsAppExitAllowed", TNSetupItem::kBool, 0},
    {"SettingsMinimizeInsteadOfHide", TNSetupItem::kBool, 0},
    {"ShowTrayIcon", TNSetupItem::kBool, 1},
    {"DblClickOnTrayIconOpensWeb", TNSetupItem::kBool, 0},
    {"Today_DayInMonth", TNSetupItem::kInt8, 0},
    {"Today_AppRunCount", TNSetupItem::kInt8, 0},
    {"Settings_RunAppWithWindowsBoot", TNSetupItem::kBool, 1},
    {"SettingsStartupDalmoraCz", TNSetupItem::kBool, 0},
    {"Settings_TurnMonitorOn", TNSetupItem::kBool, 1},
    {"Settings_AutoHide", TNSetupItem::kBool, 0},
    {"Settings_ShowHiddenRecords", TNSetupItem::kBool, 0},
    {"Settings_UseUrgentImportanceFnc", TNSetupItem::kBool, 1},
    {"Settings_EnableNotificationBlink", TNSetupItem::kBool, 0},
    {"Settings_DefaultNotificationPostponeMinutes", TNSetupItem::kInt32, 9},
};

bool SameName(const TNString& stored, const char* name)
{
    size_t length = std::strlen(name);
    return static_cast<size_t>(stored.Length) == length && std::memcmp(stored.Text, name, length) == 0;
}

// Bits of the length prefix of a text type's texts.
int32_t TextBits(int32_t type)
{
    switch (type) {
    case TNSetupItem::kText8:
    case TNSetupItem::kTexts8:
        return 8;
    case TNSetupItem::kText16:
    case TNSetupItem::kTexts16:
        return 16;
    default:
        return 32;
    }
}

int32_t TextLimit(int32_t bits)
{
    return bits == 8 ? kLimit8 : bits == 16 ? kLimit16 : 0;
}

// Bytes per element of a numbers type.
int32_t NumberWidth(int32_t type)
{
    return type == TNSetupItem::kNumbers8 ? 1 : type == TNSetupItem::kNumbers16 ? 2 : 4;
}

bool ReadDate(plat::ByteReader& in, uint32_t& day, uint32_t& month, uint32_t& year)
{
    return ReadUNumber(1, in, day) && ReadUNumber(1, in, month) && ReadUNumber(2, in, year);
}

bool ReadClock(plat::ByteReader& in, uint32_t& hour, uint32_t& minute, uint32_t& second)
{
    return ReadUNumber(1, in, hour) && ReadUNumber(1, in, minute) && ReadUNumber(1, in, second);
}

bool ReadNumbers(plat::ByteReader& in, int32_t type, TNSetupItem& item)
{
    uint32_t count = 0;
    int32_t width = NumberWidth(type);
    if (!ReadUNumber(4, in, count) || count > in.Remaining() / static_cast<size_t>(width))
        return false;
    item.Numbers.resize(count);
    for (int32_t& value : item.Numbers) {
        if (type == TNSetupItem::kNumbers32) {
            if (!ReadNumber(4, in, value))
                return false;
        } else {
            uint32_t unsignedValue = 0;
            if (!ReadUNumber(width, in, unsignedValue))
                return false;
            value = static_cast<int32_t>(unsignedValue);
        }
    }
    item.Number = static_cast<int32_t>(count);
    return true;
}

bool ReadTexts(plat::ByteReader& in, int32_t type, TNSetupItem& item)
{
    uint32_t count = 0;
    int32_t bits = TextBits(type);
    // Every text takes at least its length prefix.
    if (!ReadUNumber(4, in, count) || count > in.Remaining() / static_cast<size_t>(bits / 8))
        return false;
    item.Texts.resize(count);
    for (TNString& text : item.Texts) {
        if (!text.Load(true, bits, 0, true, in))
            return false;
    }
    item.Number = static_cast<int32_t>(count);
    return true;
}

bool ReadValue(plat::ByteReader& in, TNSetupItem& item)
{
    int32_t type = item.ItemType;
    uint32_t day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    switch (type) {
    case TNSetupItem::kInt8:
        return ReadNumber(1, in, item.Number);
    case TNSetupItem::kInt16:
        return ReadNumber(2, in, item.Number);
    case TNSetupItem::kInt32:
        return ReadNumber(4, in, item.Number);
    case TNSetupItem::kBool: {
        uint32_t flag = 0;
        if (!ReadUNumber(1, in, flag))
            return false;
        item.Number = flag != 0 ? 1 : 0;
        return true;
    }
    case TNSetupItem::kText8:
    case TNSetupItem::kText16:
    case TNSetupItem::kText32:
        return item.Text.Load(true, TextBits(type), 0, true, in);
    case TNSetupItem::kDate:
        if (!ReadDate(in, day, month, year))
            return false;
        item.Time.SetDate(day, month, year);
        return true;
    case TNSetupItem::kTime:
        if (!ReadClock(in, hour, minute, second))
            return false;
        item.Time.NastavCas(hour, minute, false, 0, second);
        return true;
    case TNSetupItem::kDateTime:
        if (!ReadDate(in, day, month, year) || !ReadClock(in, hour, minute, second))
            return false;
        item.Time.SetDateTime(day, month, second, minute, hour, year);
        return true;
    default:
        if (TNSetupItem::IsNumbersType(type))
            return ReadNumbers(in, type, item);
        return ReadTexts(in, type, item);
    }
}

enum class ItemRead { kOk, kDamaged, kUnknownType };

// One item: type byte, name, value. An unknown type has no known value
// length, so nothing after it can be read.
ItemRead ReadItem(plat::ByteReader& in, TNSetupItem& item, uint32_t& type)
{
    if (!ReadUNumber(1, in, type))
        return ItemRead::kDamaged;
    if (!TNSetupItem::IsKnownType(static_cast<int32_t>(type)))
        return ItemRead::kUnknownType;
    item.ItemType = static_cast<int32_t>(type);
    if (!item.Name.Load(true, 8, 0, true, in) || !ReadValue(in, item))
        return ItemRead::kDamaged;
    return ItemRead::kOk;
}

void WriteDate(const TNTime& time, plat::ByteWriter& out)
{
    WriteUNumber(time.Den, 1, out);
    WriteUNumber(time.Mesic, 1, out);
    WriteUNumber(time.Rok, 2, out);
}

void WriteClock(const TNTime& time, plat::ByteWriter& out)
{
    WriteUNumber(time.Hodina, 1, out);
    WriteUNumber(time.Minuta, 1, out);
    WriteUNumber(time.Sekunda, 1, out);
}

// Whether Save cuts the text to what its length field counts.
bool CutOnSave(const TNString& text, int32_t bits)
{
    int32_t limit = TextLimit(bits);
    return limit > 0 && text.Length > limit;
}

// Writes the item; `cut` tells whether a text of it had to be cut.
void WriteItem(const TNSetupItem& item, plat::ByteWriter& out, bool& cut)
{
    int32_t type = item.ItemType;
    WriteUNumber(static_cast<uint32_t>(type), 1, out);
    item.Name.Save(true, 8, kLimit8, true, out);
    switch (type) {
    case TNSetupItem::kInt8:
        WriteNumber(item.Number, 1, out);
        break;
    case TNSetupItem::kInt16:
        WriteNumber(item.Number, 2, out);
        break;
    case TNSetupItem::kInt32:
        WriteNumber(item.Number, 4, out);
        break;
    case TNSetupItem::kBool:
        WriteUNumber(item.Number != 0 ? 1 : 0, 1, out);
        break;
    case TNSetupItem::kText8:
    case TNSetupItem::kText16:
    case TNSetupItem::kText32: {
        int32_t bits = TextBits(type);
        cut = CutOnSave(item.Text, bits);
        item.Text.Save(true, bits, TextLimit(bits), true, out);
        break;
    }
    case TNSetupItem::kDate:
        WriteDate(item.Time, out);
        break;
    case TNSetupItem::kTime:
        WriteClock(item.Time, out);
        break;
    case TNSetupItem::kDateTime:
        WriteDate(item.Time, out);
        WriteClock(item.Time, out);
        break;
    case TNSetupItem::kNumbers32:
    case TNSetupItem::kNumbers8:
    case TNSetupItem::kNumbers16: {
        WriteUNumber(static_cast<uint32_t>(item.Numbers.size()), 4, out);
        int32_t width = NumberWidth(type);
        for (int32_t value : item.Numbers)
            WriteNumber(value, width, out);
        break;
    }
    default: {
        WriteUNumber(static_cast<uint32_t>(item.Texts.size()), 4, out);
        int32_t bits = TextBits(type);
        for (const TNString& text : item.Texts) {
            cut = cut || CutOnSave(text, bits);
            text.Save(true, bits, TextLimit(bits), true, out);
        }
        break;
    }
    }
}

// "YYYYMMDD-HHMMSS" of the local time.
std::string TimeSuffix(int64_t unixSeconds)
{
    std::tm fields{};
    createTimeInfo(&fields, unixSeconds);
    char text[32];
    std::snprintf(text, sizeof(text), "%04d%02d%02d-%02d%02d%02d", fields.tm_year + 1900, fields.tm_mon + 1,
                  fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
    return text;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Releases the saving flag on every way out of Save.
class SavingGuard {
public:
    explicit SavingGuard(std::atomic_flag& flag) : flag_(flag) {}
    ~SavingGuard() { flag_.clear(); }
    SavingGuard(const SavingGuard&) = delete;
    SavingGuard& operator=(const SavingGuard&) = delete;

private:
    std::atomic_flag& flag_;
};

} // namespace

bool TNSetupItem::IsKnownType(int32_t type)
{
    switch (type) {
    case kInt8:
    case kInt16:
    case kInt32:
    case kBool:
    case kText8:
    case kText16:
    case kText32:
    case kDate:
    case kTime:
    case kDateTime:
    case kNumbers32:
    case kNumbers8:
    case kNumbers16:
    case kTexts32:
    case kTexts8:
    case kTexts16:
        return true;
    default:
        return false;
    }
}

TNSetup::TNSetup()
{
    std::lock_guard<std::mutex> lock(mutex_);
    RegisterDefaultsLocked();
}

void TNSetup::RegisterDefaultsLocked()
{
    int32_t width = 0;
    int32_t height = 0;
    GetScreenSize(&width, &height);
    for (const DefaultSetting& setting : kDefaults) {
        char key[128];
        std::snprintf(key, sizeof key, setting.Key, width, height);
        int32_t index = AddLocked(key, setting.Type);
        if (index >= 0)
            items_[static_cast<size_t>(index)]->Number = setting.Value;
    }
}

int32_t TNSetup::Count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(items_.size());
}

int32_t TNSetup::FindLocked(const char* name) const
{
    if (name == nullptr)
        return -1;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (!items_[i]->Removed && SameName(items_[i]->Name, name))
            return static_cast<int32_t>(i);
    }
    return -1;
}

const TNSetupItem* TNSetup::FindItemLocked(const char* name) const
{
    int32_t index = FindLocked(name);
    return index < 0 ? nullptr : items_[static_cast<size_t>(index)].get();
}

int32_t TNSetup::AddLocked(const char* name, int32_t type)
{
    // The name is stored with an 8-bit length.
    if (name == nullptr || std::strlen(name) > static_cast<size_t>(kLimit8) || !TNSetupItem::IsKnownType(type))
        return -1;
    try {
        auto item = std::make_unique<TNSetupItem>();
        item->ItemType = type;
        if (!item->Name.Set(name))
            return -1;
        items_.push_back(std::move(item));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    changed_.store(true);
    return static_cast<int32_t>(items_.size() - 1);
}

int32_t TNSetup::SetLocked(const char* name, int32_t type)
{
    int32_t index = FindLocked(name);
    if (index < 0)
        index = AddLocked(name, type);
    if (index < 0 || !TNSetupItem::IsKnownType(type)) {
        LogWrite("[TNSetup::Set][ERROR] nazev = ", name, true);
        return -1;
    }
    items_[static_cast<size_t>(index)]->ItemType = type;
    changed_.store(true);
    return index;
}

int32_t TNSetup::RemoveLocked(const char* name)
{
    int32_t index = FindLocked(name);
    if (index < 0)
        return -1;
    TNSetupItem& item = *items_[static_cast<size_t>(index)];
    item.Removed = true;
    // Nothing of a removed value stays readable in memory.
    item.Text.Fill('\0');
    item.Text.Set("");
    for (TNString& text : item.Texts)
        text.Fill('\0');
    item.Texts.clear();
    item.Numbers.clear();
    item.Number = 0;
    changed_.store(true);
    return index;
}

int32_t TNSetup::Find(const char* name) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return FindLocked(name);
}

int32_t TNSetup::Add(const char* name, int32_t type)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return AddLocked(name, type);
}

int32_t TNSetup::Set(const char* name, int32_t type)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return SetLocked(name, type);
}

int32_t TNSetup::SetValue(const char* name, int32_t value, int32_t type)
{
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t index = SetLocked(name, type);
    if (index < 0)
        return -1;
    TNSetupItem& item = *items_[static_cast<size_t>(index)];
    if (!TNSetupItem::IsNumbersType(type) && !TNSetupItem::IsTextsType(type)) {
        item.Number = value;
        return index;
    }
    size_t count = value > 0 ? static_cast<size_t>(value) : 0;
    try {
        if (TNSetupItem::IsNumbersType(type))
            item.Numbers.resize(count);
        else
            item.Texts.resize(count);
    } catch (const std::bad_alloc&) {
        item.Numbers.clear();
        item.Texts.clear();
        item.Number = 0;
        return -1;
    }
    item.Number = static_cast<int32_t>(count);
    return index;
}

int32_t TNSetup::SetString(const char* name, const char* text, int32_t type)
{
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t index = SetLocked(name, type);
    if (index < 0)
        return -1;
    if (!items_[static_cast<size_t>(index)]->Text.Set(text != nullptr ? text : ""))
        return -1;
    return index;
}

int32_t TNSetup::SetAnsiString(const char* name, const TNString* text, int32_t type)
{
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t index = SetLocked(name, type);
    if (index < 0)
        return -1;
    TNString& stored = items_[static_cast<size_t>(index)]->Text;
    if (!(text != nullptr ? stored.Copy(text) : stored.Set("")))
        return -1;
    return index;
}

int32_t TNSetup::Remove(const char* name)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return RemoveLocked(name);
}

bool TNSetup::GetBool(const char* name) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const TNSetupItem* item = FindItemLocked(name);
    return item != nullptr && item->Number != 0;
}

int32_t TNSetup::GetInt(const char* name) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const TNSetupItem* item = FindItemLocked(name);
    return item != nullptr ? item->Number : 0;
}

TNString TNSetup::GetString(const char* name) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const TNSetupItem* item = FindItemLocked(name);
    return item != nullptr ? item->Text : TNString();
}

bool TNSetup::GetTime(const char* name, TNTime* out) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const TNSetupItem* item = FindItemLocked(name);
    if (item == nullptr || out == nullptr)
        return false;
    *out = item->Time;
    return true;
}

bool TNSetup::GetNumbers(const char* name, std::vector<int32_t>* out) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const TNSetupItem* item = FindItemLocked(name);
    if (item == nullptr || out == nullptr)
        return false;
    *out = item->Numbers;
    return true;
}

bool TNSetup::GetTexts(const char* name, std::vector<TNString>* out) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const TNSetupItem* item = FindItemLocked(name);
    if (item == nullptr || out == nullptr)
        return false;
    *out = item->Texts;
    return true;
}

bool TNSetup::GetItem(int32_t index, TNSetupItem* out) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (out == nullptr || index < 0 || static_cast<size_t>(index) >= items_.size())
        return false;
    *out = *items_[static_cast<size_t>(index)];
    return true;
}

void TNSetup::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    items_.clear();
}

void TNSetup::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    items_.clear();
    RegisterDefaultsLocked();
}

bool TNSetup::Load(const TNUsers& users, const std::string& path)
{
    // 1. and 2. Only the known active user's own file.
    int32_t active = users.AktivniUzivatel.load();
    TNUser user;
    if (!users.GetUser(active, &user)) {
        LogTextInt("[TNSetup::Load][ERROR] Uzivatele.AktivniUzivatel error! Uzivatele.AktivniUzivatel = ", active);
        LogTextInt("[TNSetup::Load][ERROR] Uzivatele.Count = ", users.Count());
        return false;
    }
    if (user.UserID == 0 || path.size() <= 5) {
        LogTextUInt("[TNSetup::Load][ERROR] Uzivatele.Items[Uzivatele.AktivniUzivatel]->UserID = ", user.UserID);
        LogTextInt("[TNSetup::Load][ERROR] Dirs.UsersSetupFile.Length = ", static_cast<int32_t>(path.size()));
        return false;
    }

    // 3. and 4. The file must exist and be readable.
    if (!plat::FileExists(path)) {
        LogWrite("[TNSetup::Load][WARNING] Setup file does not exist! ", path.c_str(), false);
        return false;
    }
    std::string bytes;
    if (!plat::ReadWholeFile(path, bytes, kMaxFileSize)) {
        LogWrite("[TNSetup::Load][ERROR] Setup file exists but can't be open! ", path.c_str(), false);
        return false;
    }

    // 5. and 6. Items are read one by one, so a damaged file keeps every
    // item before the damage.
    plat::ByteReader in(bytes);
    std::vector<std::unique_ptr<TNSetupItem>> read;
    int32_t version = 0;
    bool headerRead = ReadHeader(kFileId, in, version);
    uint32_t count = 0;
    bool clean = false;
    if (headerRead && version != kFileVersion)
        LogWrite("[TNSetup::Load][ERROR] Setup file is open, but has bad version! ", path.c_str(), false);
    else if (!headerRead || !ReadUNumber(4, in, count))
        LogWrite("[TNSetup::Load][ERROR] Setup file is damaged! ", path.c_str(), false);
    else
        clean = true;
    for (uint32_t i = 0; clean && i < count; ++i) {
        auto item = std::make_unique<TNSetupItem>();
        uint32_t type = 0;
        ItemRead result = ReadItem(in, *item, type);
        if (result == ItemRead::kUnknownType)
            LogTextUInt("[TNSetup::Load][ERROR] Unknown item type = ", type);
        else if (result == ItemRead::kDamaged)
            LogWrite("[TNSetup::Load][ERROR] Setup file is damaged! ", path.c_str(), false);
        else
            read.push_back(std::move(item));
        clean = result == ItemRead::kOk;
    }

    // Stored items merge over the current ones: a stored key takes its
    // type and value, a key missing from the file keeps its default.
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& loaded : read) {
        int32_t index = SetLocked(loaded->Name.Text, loaded->ItemType);
        if (index < 0)
            continue;
        TNSetupItem& item = *items_[static_cast<size_t>(index)];
        item.Number = loaded->Number;
        item.Text = std::move(loaded->Text);
        item.Time = loaded->Time;
        item.Numbers = std::move(loaded->Numbers);
        item.Texts = std::move(loaded->Texts);
    }
    // What could not be read is kept aside before the next save.
    damagedPath_ = clean ? std::string() : path;
    // 7. Nothing has changed since the file.
    changed_.store(false);
    return clean;
}

std::string TNSetup::SerializeLocked(std::vector<std::string>& cutKeys) const
{
    std::string bytes;
    plat::ByteWriter out(bytes);
    WriteHeader(kFileId, kFileVersion, out);
    uint32_t count = 0;
    for (const auto& item : items_)
        count += item->Removed ? 0 : 1;
    WriteUNumber(count, 4, out);
    for (const auto& item : items_) {
        bool cut = false;
        if (!item->Removed)
            WriteItem(*item, out, cut);
        if (cut)
            cutKeys.emplace_back(item->Name.View());
    }
    return bytes;
}

bool TNSetup::Save(const TNUsers& users, const std::string& path)
{
    // 1. Only after a change, and one save at a time.
    if (!changed_.load() || saving_.test_and_set())
        return false;
    SavingGuard saving(saving_);

    // 2. The password item is never stored.
    Remove(kPasswordKey);

    // 3. Only the known active user's own file.
    if (users.ActiveUserID() == 0 || path.size() < 6 || !plat::CreateFolders(FolderOf(path)))
        return false;
    if (!KeepDamagedFile(path))
        return false;
    std::string bytes;
    std::vector<std::string> cutKeys;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bytes = SerializeLocked(cutKeys);
        // A change made while the file is written sets the flag again.
        changed_.store(false);
    }
    for (const std::string& key : cutKeys)
        LogWrite("[TNSetup::Save][WARNING] Text cut to fit its length field: ", key.c_str(), false);
    if (!plat::WriteFileAtomically(path, bytes, 0600)) {
        changed_.store(true);
        LogWrite("[TNSetup::Save][ERROR] Setup file can't be written! ", path.c_str(), false);
        return false;
    }
    return true;
}

bool TNSetup::KeepDamagedFile(const std::string& path)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (damagedPath_.empty() || damagedPath_ != path)
            return true;
    }
    // A damaged file gone since its load has nothing left to keep.
    if (plat::FileExists(path)) {
        std::string aside = path + "." + TimeSuffix(TNLocalClock::Now());
        std::string bytes;
        if (!plat::ReadWholeFile(path, bytes, kMaxFileSize) || !plat::WriteFileAtomically(aside, bytes, 0600)) {
            LogWrite("[TNSetup::Save][ERROR] Damaged setup file can't be copied aside, not overwritten! ",
                     aside.c_str(), false);
            return false;
        }
        LogWrite("[TNSetup::Save][ERROR] Setup file was damaged, its copy kept as ", aside.c_str(), false);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    damagedPath_.clear();
    return true;
}
