#pragma once

#include "foundation/app_info.h"
#include "foundation/string.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// A record shown on screen, as the workers may know it: by id, never by
// pointer, since the main thread may free the record meanwhile.
struct TNShownRecord {
    uint32_t RecordID = 0;
    int32_t PimSrvPos = 0;
};

// The user shown in the header: the account's picture and names it was
// built from, and the two lines it shows with their joined caption.
struct TNHeaderUser {
    uint32_t ProfilePicture = 0;
    TNString FirstName;
    TNString LastName;
    TNString Line1;
    TNString Line2;
    TNString Text;
};

// Window state that workers read. Only the main thread writes it; workers
// get copies or atomics, never a window object.
class TNWindowState {
public:
    static constexpr int32_t kNotWindowSlots = 6;

    // The page shown in the page notebook ("Login" at start).
    void SetActivePage(const char* name);
    std::string ActivePage() const;
    bool IsActivePage(const char* name) const { return ActivePage() == name; }

    // The records of the views; empty while nothing is shown.
    void SetShownRecords(std::vector<TNShownRecord> records);
    std::vector<TNShownRecord> ShownRecords() const;
    // The position of a listed id, else the position the record is
    // appended at.
    int32_t AddShownRecord(uint32_t recordID, int32_t pimSrvPos);
    // Position of the id; -1 when it is not listed.
    int32_t FindShownRecord(uint32_t recordID) const;
    // Keeps the first n; n <= 0 empties the list.
    void TruncateShownRecords(int32_t n);

    void SetHeaderUser(const TNHeaderUser& user);
    TNHeaderUser HeaderUser() const;

    // The main window has built its current view.
    std::atomic<bool> ViewBuilt{false};
    // Per server position, the main window's copy of the data set's
    // organizer-list change stamp.
    std::atomic<uint32_t> OrganizerListStamps[kMaxPimServers] = {};
    // The alert id each alert window shows; -1 none.
    std::atomic<int64_t> NotWindowAlertID[kNotWindowSlots] = {-1, -1, -1, -1, -1, -1};

    // Back to the state at start.
    void Reset();

private:
    int32_t FindShownRecordLocked(uint32_t recordID) const;

    mutable std::mutex mutex_;
    std::string activePage_ = "Login";
    std::vector<TNShownRecord> shownRecords_;
    // Each id's place in shownRecords_, where it appears once.
    std::unordered_map<uint32_t, int32_t> shownRecordPos_;
    TNHeaderUser headerUser_;
};

extern TNWindowState WindowState;
