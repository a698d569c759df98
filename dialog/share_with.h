#pragma once

// The share-with selection of one record editor: the groups and contacts
// that can be invited, each with its tick, without a cap.

#include "dialog/record_editor_logic.h"
#include "view/hooks.h"

#include <cstdint>
#include <vector>

class TNPIM;
class TNPIMSharing;

class TNShareList {
public:
    void Clear();
    void Add(uint32_t id, bool checked);
    // Unticks an entry; false when it was not ticked.
    bool Untick(uint32_t id);
    int32_t Count() const { return static_cast<int32_t>(ids_.size()); }
    // Valid until the list changes.
    TNShareSelection View() const;
    std::vector<TNShareEntry> Entries() const;
    bool operator==(const TNShareList&) const = default;

private:
    std::vector<uint32_t> ids_;
    std::vector<uint8_t> checked_;
};

// Sharing kinds of a sharing entry (`Type`).
constexpr int32_t kShareGroup = 1;
constexpr int32_t kShareContact = 2;

// The account's undeleted groups (contacts: by their user id), ticked
// where `sharing` has a live entry of the kind for `recordId`.
void FillShareGroups(TNShareList& list, const TNPIM& account, const TNPIMSharing& sharing, uint32_t recordId);
void FillShareContacts(TNShareList& list, const TNPIM& account, const TNPIMSharing& sharing, uint32_t recordId);
