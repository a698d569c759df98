#include "dialog/share_with.h"

#include "model/pim.h"

namespace {

bool Shared(const TNPIMSharing& sharing, uint32_t recordId, int32_t kind, uint32_t objectId)
{
    for (int32_t i = 0; i < sharing.Count; ++i) {
        const TNPIMSharingItem* item = sharing.Items[i];
        if (item != nullptr && item->Deleted == 0 && item->RecordID == recordId && item->Type == kind &&
            item->ObjectID == objectId)
            return true;
    }
    return false;
}

} // namespace

void TNShareList::Clear()
{
    ids_.clear();
    checked_.clear();
}

void TNShareList::Add(uint32_t id, bool checked)
{
    ids_.push_back(id);
    checked_.push_back(checked ? 1 : 0);
}

bool TNShareList::Untick(uint32_t id)
{
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == id && checked_[i] != 0) {
            checked_[i] = 0;
            return true;
        }
    }
    return false;
}

TNShareSelection TNShareList::View() const
{
    return TNShareSelection{Count(), ids_.data(), checked_.data()};
}

std::vector<TNShareEntry> TNShareList::Entries() const
{
    std::vector<TNShareEntry> entries;
    for (size_t i = 0; i < ids_.size(); ++i)
        entries.push_back({ids_[i], checked_[i]});
    return entries;
}

void FillShareGroups(TNShareList& list, const TNPIM& account, const TNPIMSharing& sharing, uint32_t recordId)
{
    list.Clear();
    for (int32_t i = 0; i < account.Groups.Count; ++i) {
        const TNPIMGroup* group = account.Groups.Items[i];
        if (group != nullptr && group->Deleted == 0)
            list.Add(group->ID, Shared(sharing, recordId, kShareGroup, group->ID));
    }
}

void FillShareContacts(TNShareList& list, const TNPIM& account, const TNPIMSharing& sharing, uint32_t recordId)
{
    list.Clear();
    for (int32_t i = 0; i < account.Contacts.Count; ++i) {
        const TNPIMContact* contact = account.Contacts.Items[i];
        if (contact != nullptr && contact->Deleted == 0)
            list.Add(contact->ContactUserID, Shared(sharing, recordId, kShareContact, contact->ContactUserID));
    }
}
