// The display texts of organizers.

#include "mainwindow/organizer_titles.h"

#include "foundation/globals.h"
#include "foundation/guard.h"
#include "foundation/log.h"
#include "foundation/pim_array.h"
#include "foundation/users.h"
#include "mainwindow/main_window.h"
#include "model/contacts.h"
#include "model/organizers.h"
#include "model/pim.h"
#include "online/global.h"

namespace {

constexpr uint32_t kOriginMainCalendar = 1;
constexpr uint32_t kOriginCreated = 10;
constexpr uint32_t kOriginOthers = 50;

std::string Text(const TNString& text)
{
    return std::string(text.View());
}

TNOrganizerTitleSources TitleSources(const TNPIMOrganizer& organizer)
{
    const TNAccount account = g.Account();
    TNOrganizerTitleSources sources;
    sources.FirstName = Text(account.FirstName);
    sources.LastName = Text(account.LastName);
    sources.ProfileSetUp = !sources.FirstName.empty() && !sources.LastName.empty();
    sources.Title = Text(organizer.Title);
    sources.OwnerID = organizer.UserID;
    sources.Origin = organizer.Origin;
    sources.OwnerIsUser = organizer.UserID != 0 && organizer.UserID == Uzivatele.ActiveUserID();
    TNString contactName;
    if (organizer.UserID != 0 && PIM[0] != nullptr &&
        PIM[0]->Contacts.GetFullNameByContactUserID(organizer.UserID, contactName))
        sources.OwnerContactName = Text(contactName);
    sources.UsersOwn = account.UserOrganizerID != 0 && account.UserOrganizerID == organizer.ID;
    sources.WebName = Text(organizer.Name);
    sources.ID = organizer.ID;
    return sources;
}

} // namespace

std::string OrganizerDisplayTitle(const TNOrganizerTitleSources& s)
{
    const std::string userName = s.FirstName + " " + s.LastName;
    std::string title;
    if (s.ProfileSetUp && s.Title.empty() && s.OwnerID != 0 && s.Origin == kOriginMainCalendar && s.OwnerIsUser)
        title = userName;
    else if (!s.Title.empty())
        title = s.Title;
    else if (s.OwnerID != 0)
        title = s.OwnerIsUser && !s.FirstName.empty() && !s.LastName.empty() ? userName : s.OwnerContactName;
    if (title.empty() && s.UsersOwn)
        title = "Můj kalendář";
    if (title.empty())
        title = !s.WebName.empty() ? s.WebName : "OrganizerID: " + std::to_string(s.ID);
    return title;
}

bool OrganizerMayBeAccessible(uint32_t origin, uint32_t subscribe)
{
    return origin == kOriginMainCalendar || origin == kOriginCreated ||
           (origin == kOriginOthers && (subscribe == 10 || subscribe == 20 || subscribe == 1));
}

void TfrmMainDLMR1::GetAccessibleOrganizer(TNPIMOrganizer* organizer, bool& accessible)
{
    accessible = false;
    Guarded("[TfrmMainDLMR1::GetAccessibleOrganizer]", [&] {
        // 1. No organizer, nothing to tell.
        if (organizer == nullptr) {
            LogText("[TfrmMainDLMR1::GetAccessibleOrganizer][ERROR] organizer = NULL");
            return;
        }
        if (organizer->pim_srv_pos < 0 || organizer->pim_srv_pos >= App.PimServersCount)
            LogTextInt("[TfrmMainDLMR1::GetAccessibleOrganizer][ERROR] pim_srv_pos = ", organizer->pim_srv_pos);
        if (organizer->Deleted != 0) {
            LogTextUInt("[TfrmMainDLMR1::GetAccessibleOrganizer][ERROR] Organizer is deleted; OrganizerID = ",
                        organizer->ID);
            return;
        }
        // 2. Whether the user may write to it, and its readable title.
        if (OrganizerMayBeAccessible(organizer->Origin, organizer->Subscribe)) {
            accessible = organizer->UserCanEditRecords();
            if (organizer->ReadableTitle.Length == 0)
                organizer->ReadableTitle.Set(OrganizerDisplayTitle(TitleSources(*organizer)).c_str());
            return;
        }
        // 3. Its second title, once.
        if (organizer->SecondTitle.Length != 0)
            return;
        const TNPIM* set = PIM[organizer->pim_srv_pos];
        TNPIMContact* contact = set != nullptr ? set->Contacts.GetItemByContactUserID(organizer->UserID) : nullptr;
        if (contact != nullptr) {
            organizer->SecondTitle = contact->GetFullName();
        } else {
            LogTextUInt("[TfrmMainDLMR1::GetAccessibleOrganizer][B][NULL] contact = NULL; organizer->ID = ",
                        organizer->ID);
            LogTextUInt("[TfrmMainDLMR1::GetAccessibleOrganizer][B][NULL] organizer->UserID = ", organizer->UserID);
        }
    });
}
