#include "online/window_state.h"

TNWindowState WindowState;

void TNWindowState::SetActivePage(const char* name)
{
    std::lock_guard<std::mutex> guard(mutex_);
    activePage_ = name != nullptr ? name : "";
}

std::string TNWindowState::ActivePage() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return activePage_;
}

void TNWindowState::SetShownRecords(std::vector<TNShownRecord> records)
{
    std::lock_guard<std::mutex> guard(mutex_);
    shownRecords_ = std::move(records);
    shownRecordPos_.clear();
    // The first of equal ids is the one a look-up finds.
    for (size_t i = 0; i < shownRecords_.size(); ++i)
        shownRecordPos_.emplace(shownRecords_[i].RecordID, static_cast<int32_t>(i));
}

std::vector<TNShownRecord> TNWindowState::ShownRecords() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return shownRecords_;
}

int32_t TNWindowState::AddShownRecord(uint32_t recordID, int32_t pimSrvPos)
{
    std::lock_guard<std::mutex> guard(mutex_);
    const int32_t known = FindShownRecordLocked(recordID);
    if (known >= 0)
        return known;
    shownRecords_.push_back(TNShownRecord{recordID, pimSrvPos});
    const int32_t position = static_cast<int32_t>(shownRecords_.size()) - 1;
    shownRecordPos_[recordID] = position;
    return position;
}

int32_t TNWindowState::FindShownRecord(uint32_t recordID) const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return FindShownRecordLocked(recordID);
}

int32_t TNWindowState::FindShownRecordLocked(uint32_t recordID) const
{
    const auto found = shownRecordPos_.find(recordID);
    return found != shownRecordPos_.end() ? found->second : -1;
}

void TNWindowState::TruncateShownRecords(int32_t n)
{
    std::lock_guard<std::mutex> guard(mutex_);
    if (n <= 0) {
        shownRecords_.clear();
        shownRecordPos_.clear();
    } else if (static_cast<size_t>(n) < shownRecords_.size()) {
        for (size_t i = static_cast<size_t>(n); i < shownRecords_.size(); ++i)
            shownRecordPos_.erase(shownRecords_[i].RecordID);
        shownRecords_.resize(static_cast<size_t>(n));
    }
}

void TNWindowState::SetHeaderUser(const TNHeaderUser& user)
{
    std::lock_guard<std::mutex> guard(mutex_);
    headerUser_ = user;
}

TNHeaderUser TNWindowState::HeaderUser() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return headerUser_;
}

void TNWindowState::Reset()
{
    {
        std::lock_guard<std::mutex> guard(mutex_);
        activePage_ = "Login";
        shownRecords_.clear();
        shownRecordPos_.clear();
        headerUser_ = TNHeaderUser();
    }
    ViewBuilt = false;
    for (auto& stamp : OrganizerListStamps)
        stamp = 0;
    for (auto& alert : NotWindowAlertID)
        alert = -1;
}
