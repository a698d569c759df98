#include "view/kinds.h"

#include "view/view.h"
#include "view/view_item.h"

namespace {

void CreateDayTitle(TNView& view, TNViewItem* item)
{
    view.CreateDayTitle(item);
}

bool LayOutDayTitle(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool)
{
    return view.ResizeDayTitle(item, left, top, width, height);
}

void CreateButton(TNView& view, TNViewItem* item)
{
    view.CreateButton(item);
}

bool LayOutButton(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return view.ResizeButton(item, left, top, width, height, force);
}

void CreateScrollbox(TNView& view, TNViewItem* item)
{
    view.CreateScrollbox(item);
}

bool LayOutScrollbox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height,
                     bool force)
{
    return view.ResizeScrollbox(item, left, top, width, height, force, 1, 0, "TNView::ResizeComponent");
}

void CreateToolbar(TNView& view, TNViewItem* item)
{
    view.CreateToolbar(item);
}

bool LayOutToolbar(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return view.ResizeToolbar(item, left, top, width, height, force);
}

void CreateDaybox(TNView& view, TNViewItem* item)
{
    view.CreateDaybox(item);
}

bool LayOutDaybox(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return view.ResizeDaybox(item, left, top, width, height, force, false, true);
}

// Indexed by kind. Each kind's issue fills in its operations.
const TNViewKindOps kKinds[kViewKindCount + 1] = {
    {"", nullptr, nullptr},
    {"cmpMemo", nullptr, nullptr},
    {"cmpImage", nullptr, nullptr},
    {"cmpPriority", nullptr, nullptr},
    {"cmpComboBox", nullptr, nullptr},
    {"cmpIconButton", nullptr, nullptr},
    {"cmpCheckbox", nullptr, nullptr},
    {"cmpVisibility", nullptr, nullptr},
    {"cmpDate", nullptr, nullptr},
    {"cmpAlert", nullptr, nullptr},
    {"cmpShareWith", nullptr, nullptr},
    {"cmpEdit", nullptr, nullptr},
    {"cmpDayTitle", CreateDayTitle, LayOutDayTitle},
    {"cmpButton", CreateButton, LayOutButton},
    {"cmpScrollbox", CreateScrollbox, LayOutScrollbox},
    {"cmpToolbar", CreateToolbar, LayOutToolbar},
    {"cmpDaybox", CreateDaybox, LayOutDaybox},
    {"cmpRecord", nullptr, nullptr},
    {"cmpListBox", nullptr, nullptr},
    {"cmpNumberEdit", nullptr, nullptr},
    {"cmpLabel", nullptr, nullptr},
    {"cmpRepeatInterval", nullptr, nullptr},
    {"cmpComboBox2", nullptr, nullptr},
    {"cmpComboBox3", nullptr, nullptr},
};

} // namespace

const TNViewKindOps& ViewKindOps(int32_t kind)
{
    return kind >= 1 && kind <= kViewKindCount ? kKinds[kind] : kKinds[0];
}
