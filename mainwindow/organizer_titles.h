#pragma once

#include <cstdint>
#include <string>

// What an organizer's display title is made of, read from the organizer,
// the account and the contacts.
struct TNOrganizerTitleSources {
    // The user's first and last names are both set.
    bool ProfileSetUp = false;
    std::string Title;
    uint32_t OwnerID = 0;
    uint32_t Origin = 0;
    bool OwnerIsUser = false;
    std::string FirstName;
    std::string LastName;
    // The owner's full name among the contacts of the first account.
    std::string OwnerContactName;
    // The organizer is the user's own organizer.
    bool UsersOwn = false;
    std::string WebName;
    uint32_t ID = 0;
};

// The first source that gives a text: the user's name for the user's
// untitled main calendar, the title, the owner's name, "Můj kalendář",
// the web name, "OrganizerID: " and the id.
std::string OrganizerDisplayTitle(const TNOrganizerTitleSources& sources);

// Whether an organizer may be written to by the user at all, by its origin
// and subscription.
bool OrganizerMayBeAccessible(uint32_t origin, uint32_t subscribe);
