#pragma once

#include <cstdint>

class TNView;
class TNViewItem;

// What a component kind does: its create operation builds the controls on
// the item's parent control; its layout operation places them and returns
// whether the component is shown. A kind without operations (kind 0, values
// above 23, and kinds not built yet) makes and lays out nothing.
struct TNViewKindOps {
    const char* Name = "";
    void (*Create)(TNView& view, TNViewItem* item) = nullptr;
    bool (*Layout)(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height,
                   bool force) = nullptr;
};

// The operations of a kind; an empty entry for kinds outside 1 to 23.
const TNViewKindOps& ViewKindOps(int32_t kind);
