#pragma once

#include "foundation/string.h"
#include "foundation/time.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One account that has signed in on this computer.
struct TNUser {
    TNString Login;
    // The key of the list, compared without regard to A-Z case.
    TNString UserName;
    // Filled in on the login page when remembered; emptied at log-out.
    TNString Password;
    uint8_t RememberPassword = 0;
    // Kept and stored unchanged.
    uint8_t Flag1 = 0;
    uint8_t Flag2 = 0;
    TNTime Time;
    // The account's id at the service; 0 = not known yet.
    uint32_t UserID = 0;

    // What the service last said of the account; kept in memory only.
    int32_t AccountType = 0;
    int32_t Deactivated = 0;
    int32_t Deleted = 0;
    uint8_t IsVirtual = 0;
    // The account's settings text (JSON).
    TNString Settings;
    int32_t FinishedTasksTimeout = 1;
};

// The remembered accounts ("users-online.dat" in the users folder) and which
// of them is active. The sign-in (job thread) changes the list while the
// online thread reads the active user, so every operation takes the list's
// lock and readers get copies.
class TNUsers {
public:
    static constexpr const char* kFileName = "users-online.dat";
    static constexpr const char* kFileId = "BrivaneUsersFile";
    static constexpr int32_t kFileVersion = 3;

    // Index of the active user; -1 when none.
    std::atomic<int32_t> AktivniUzivatel{-1};
    // The login page's own choice; -1 when none.
    std::atomic<int32_t> SelectedIndex{-1};

    TNUsers() = default;
    TNUsers(const TNUsers&) = delete;
    TNUsers& operator=(const TNUsers&) = delete;

    int32_t Count() const;
    bool IsLoaded() const { return loaded_.load(); }

    // Reads the list from the file in `usersFolder`, creating the folder
    // when missing. The list changes only when the whole file reads cleanly.
    bool Load(const std::string& usersFolder);
    // Rewrites the file in `usersFolder` atomically; an empty list writes
    // nothing.
    bool Save(const std::string& usersFolder) const;

    // Updates the user of that name, keeping the given texts' letter case,
    // or appends a new one with login and user name lower-cased (in the
    // caller's texts as well). Index of the user, -1 when the list can't grow.
    int32_t AddOrUpdate(TNString* login, TNString* userName, uint32_t userId, uint8_t rememberPassword,
                        const TNString* password);
    // Index of the first user of that name (A-Z case ignored), or -1.
    int32_t FindByUserName(const char* name) const;

    bool HasActiveUser() const;
    bool HasSelectedUser() const;
    // There is an active user and its password is remembered.
    bool IsActiveUserFlagged() const;

    bool Resize(int32_t n);

    // Copies of one user; false for an index outside the list.
    bool GetUser(int32_t index, TNUser* out) const;
    bool GetActiveUser(TNUser* out) const;
    // The active user's id, 0 when there is no active user.
    uint32_t ActiveUserID() const;
    // Changes one user under the list's lock; false for an index outside
    // the list.
    bool UpdateUser(int32_t index, const std::function<void(TNUser&)>& change);

private:
    bool InRange(int32_t index) const;

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<TNUser>> items_;
    std::atomic<bool> loaded_{false};
};

// Built and destroyed by the globals table (globals.h).
extern TNUsers& Uzivatele;
