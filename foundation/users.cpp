#include "foundation/users.h"

#include "foundation/file_numbers.h"
#include "foundation/log.h"
#include "platform/core/bytes.h"
#include "platform/core/file.h"
#include "platform/core/paths.h"

#include <new>

namespace {

// A list of a few hundred users is some hundred kilobytes.
constexpr uint64_t kMaxFileSize = UINT64_C(16) << 20;
// Texts carry an 8-bit length.
constexpr int32_t kTextLimit = 255;
// Bytes a user takes at least: three empty texts and the flag; version 3
// adds two flags, the 7-byte time and the id.
constexpr size_t kMinUserBytesV2 = 4;
constexpr size_t kMinUserBytesV3 = kMinUserBytesV2 + 2 + 7 + 4;

bool SameUserName(const TNString& stored, const char* name)
{
    size_t length = std::char_traits<char>::length(name);
    if (static_cast<size_t>(stored.Length) != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (TNString::ToLowerChar(stored.Text[i]) != TNString::ToLowerChar(name[i]))
            return false;
    }
    return true;
}

bool ReadUser(plat::ByteReader& in, int32_t version, TNUser& user)
{
    uint32_t remember = 0;
    if (!user.Login.Load(true, 8, 0, true, in) || !user.UserName.Load(true, 8, 0, true, in) ||
        !user.Password.Load(true, 8, 0, true, in) || !ReadUNumber(1, in, remember))
        return false;
    user.RememberPassword = static_cast<uint8_t>(remember);
    if (version < 3)
        return true;
    uint32_t flag1 = 0;
    uint32_t flag2 = 0;
    uint32_t id = 0;
    if (!ReadUNumber(1, in, flag1) || !ReadUNumber(1, in, flag2) || !user.Time.Load(true, false, in) ||
        !ReadUNumber(4, in, id))
        return false;
    user.Flag1 = static_cast<uint8_t>(flag1);
    user.Flag2 = static_cast<uint8_t>(flag2);
    user.UserID = id;
    return true;
}

void WriteUser(const TNUser& user, plat::ByteWriter& out)
{
    user.Login.Save(true, 8, kTextLimit, true, out);
    user.UserName.Save(true, 8, kTextLimit, true, out);
    // A password the user chose not to remember stays off the disk; the
    // entry keeps its place for it, empty.
    if (user.RememberPassword != 0)
        user.Password.Save(true, 8, kTextLimit, true, out);
    else
        TNString().Save(true, 8, kTextLimit, true, out);
    WriteUNumber(user.RememberPassword, 1, out);
    WriteUNumber(user.Flag1, 1, out);
    WriteUNumber(user.Flag2, 1, out);
    user.Time.Save(true, false, out);
    WriteUNumber(user.UserID, 4, out);
}

void LogDamaged(const std::string& path)
{
    LogWrite("[TNUsers::Load][ERROR] users file is damaged: ", path.c_str(), false);
}

} // namespace

int32_t TNUsers::Count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int32_t>(items_.size());
}

bool TNUsers::InRange(int32_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < items_.size();
}

bool TNUsers::Load(const std::string& usersFolder)
{
    plat::CreateFolders(usersFolder);
    std::string path = plat::JoinPath(usersFolder, kFileName);
    if (!plat::FileExists(path))
        return false;
    std::string bytes;
    if (!plat::ReadWholeFile(path, bytes, kMaxFileSize)) {
        LogDamaged(path);
        return false;
    }

    plat::ByteReader in(bytes);
    int32_t version = 0;
    if (!ReadHeader(kFileId, in, version)) {
        LogDamaged(path);
        return false;
    }
    if (version != 2 && version != 3)
        return false;

    int32_t active = -1;
    uint32_t count = 0;
    size_t minUserBytes = version < 3 ? kMinUserBytesV2 : kMinUserBytesV3;
    if (!ReadNumber(4, in, active) || !ReadUNumber(4, in, count) || count > in.Remaining() / minUserBytes) {
        LogDamaged(path);
        return false;
    }
    std::vector<std::unique_ptr<TNUser>> list;
    try {
        list.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            auto user = std::make_unique<TNUser>();
            if (!ReadUser(in, version, *user)) {
                LogDamaged(path);
                return false;
            }
            list.push_back(std::move(user));
        }
    } catch (const std::bad_alloc&) {
        LogDamaged(path);
        return false;
    }

    std::lock_guard<std::mutex> lock(mutex_);
    items_ = std::move(list);
    AktivniUzivatel.store(active);
    loaded_.store(true);
    return true;
}

bool TNUsers::Save(const std::string& usersFolder) const
{
    std::string bytes;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (items_.empty())
            return false;
        plat::ByteWriter out(bytes);
        WriteHeader(kFileId, kFileVersion, out);
        WriteNumber(AktivniUzivatel.load(), 4, out);
        WriteUNumber(static_cast<uint32_t>(items_.size()), 4, out);
        for (const auto& user : items_)
            WriteUser(*user, out);
    }
    std::string path = plat::JoinPath(usersFolder, kFileName);
    if (!plat::CreateFolders(usersFolder) || !plat::WriteFileAtomically(path, bytes, 0600)) {
        LogWrite("[TNUsers::Save][ERROR] users file can't be written: ", path.c_str(), false);
        return false;
    }
    return true;
}

int32_t TNUsers::AddOrUpdate(TNString* login, TNString* userName, uint32_t userId, uint8_t rememberPassword,
                             const TNString* password)
{
    if (login == nullptr || userName == nullptr)
        return -1;
    TNString noPassword;
    if (password == nullptr)
        password = &noPassword;

    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < items_.size(); ++i) {
        TNUser& user = *items_[i];
        if (!SameUserName(user.UserName, userName->Text))
            continue;
        user.Login.Copy(login);
        user.UserName.Copy(userName);
        user.Password.Copy(password);
        user.RememberPassword = rememberPassword;
        user.UserID = userId;
        return static_cast<int32_t>(i);
    }

    login->ToLower();
    userName->ToLower();
    try {
        auto user = std::make_unique<TNUser>();
        if (!user->Login.Copy(login) || !user->UserName.Copy(userName) || !user->Password.Copy(password))
            return -1;
        user->RememberPassword = rememberPassword;
        user->UserID = userId;
        items_.push_back(std::move(user));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int32_t>(items_.size() - 1);
}

int32_t TNUsers::FindByUserName(const char* name) const
{
    if (name == nullptr)
        return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < items_.size(); ++i) {
        if (SameUserName(items_[i]->UserName, name))
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool TNUsers::HasActiveUser() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return InRange(AktivniUzivatel.load());
}

bool TNUsers::HasSelectedUser() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return InRange(SelectedIndex.load());
}

bool TNUsers::IsActiveUserFlagged() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t active = AktivniUzivatel.load();
    return InRange(active) && items_[static_cast<size_t>(active)]->RememberPassword == 1;
}

bool TNUsers::Resize(int32_t n)
{
    std::lock_guard<std::mutex> lock(mutex_);
    size_t wanted = n > 0 ? static_cast<size_t>(n) : 0;
    try {
        if (wanted < items_.size()) {
            items_.resize(wanted);
            return true;
        }
        items_.reserve(wanted);
        while (items_.size() < wanted)
            items_.push_back(std::make_unique<TNUser>());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool TNUsers::GetUser(int32_t index, TNUser* out) const
{
    if (out == nullptr)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!InRange(index))
        return false;
    *out = *items_[static_cast<size_t>(index)];
    return true;
}

bool TNUsers::GetActiveUser(TNUser* out) const
{
    if (out == nullptr)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t active = AktivniUzivatel.load();
    if (!InRange(active))
        return false;
    *out = *items_[static_cast<size_t>(active)];
    return true;
}

uint32_t TNUsers::ActiveUserID() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    int32_t active = AktivniUzivatel.load();
    return InRange(active) ? items_[static_cast<size_t>(active)]->UserID : 0;
}

bool TNUsers::UpdateUser(int32_t index, const std::function<void(TNUser&)>& change)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!InRange(index))
        return false;
    change(*items_[static_cast<size_t>(index)]);
    return true;
}
