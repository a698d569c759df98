#pragma once

#include "platform/gui/component.h"

#include <cstdint>

namespace plat {
class TForm;
class TImage;
class TLabel;
class TPanel;
class TSpeedButton;
class TWinControl;
} // namespace plat

// One row of a share-with field: a group (kind 1) or a contact (kind 2)
// the edited record is shared with, shown as a small coloured panel with a
// picture, the name and a remove button "x". The row owns its controls:
// they go with it.
class TNViewSharingItem {
public:
    static constexpr int32_t kGroup = 1;
    static constexpr int32_t kContact = 2;

    TNViewSharingItem() = default;
    ~TNViewSharingItem();
    TNViewSharingItem(const TNViewSharingItem&) = delete;
    TNViewSharingItem& operator=(const TNViewSharingItem&) = delete;

    // Makes the row's controls on `parent`, replacing any it had.
    bool CreateComponents(plat::TForm* owner, plat::TWinControl* parent);
    void FreeComponents();
    // The remove button's click. The main window rebuilds the rows inside
    // it, freeing the clicked row, so it works from the button's tag alone.
    static void RemoveClick(plat::TComponent* sender);

    uint32_t ObjectId = 0;
    int32_t ObjectKind = 0;
    // Index in the row list; also the remove button's tag.
    int32_t Position = -1;
    plat::TWeakRef<plat::TPanel> Panel;
    plat::TWeakRef<plat::TImage> Picture;
    plat::TWeakRef<plat::TLabel> Label;
    plat::TWeakRef<plat::TSpeedButton> RemoveButton;
};
