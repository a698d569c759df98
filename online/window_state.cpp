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
}

std::vector<TNShownRecord> TNWindowState::ShownRecords() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return shownRecords_;
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
        headerUser_ = TNHeaderUser();
    }
    ViewBuilt = false;
    for (auto& stamp : OrganizerListStamps)
        stamp = 0;
    for (auto& alert : NotWindowAlertID)
        alert = -1;
}
