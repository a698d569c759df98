#include "view/kinds.h"

#include "view/view.h"
#include "view/view_item.h"

namespace {

// A form field's layout: the kind's resize operation, then whether the
// field is shown. Fields lay out every time; they hold few controls.
template <void (*Resize)(TNView&, TNViewItem*, int32_t, int32_t, int32_t, int32_t)>
bool FieldLayout(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool)
{
    Resize(view, item, left, top, width, height);
    return item->Shown == 1;
}

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

void CreateRecord(TNView& view, TNViewItem* item)
{
    view.CreateRecord(item);
}

bool LayOutRecord(TNView& view, TNViewItem* item, int32_t left, int32_t top, int32_t width, int32_t height, bool force)
{
    return view.ResizeRecord(item, left, top, width, height, force);
}

// Indexed by kind. Each kind's issue fills in its operations.
const TNViewKindOps kKinds[kViewKindCount + 1] = {
    {"", nullptr, nullptr},
    {"cmpMemo", &TNView::CreateMemo, &FieldLayout<&TNView::ResizeMemo>},
    {"cmpImage", &TNView::CreateImage, &FieldLayout<&TNView::ResizeImage>},
    {"cmpPriority", &TNView::CreatePriority, &FieldLayout<&TNView::ResizePriority>},
    {"cmpComboBox", &TNView::CreateComboBox, &FieldLayout<&TNView::ResizeComboBox>},
    {"cmpIconButton", &TNView::CreateIconButton, &FieldLayout<&TNView::ResizeIconButton>},
    {"cmpCheckbox", &TNView::CreateCheckbox, &FieldLayout<&TNView::ResizeCheckbox>},
    {"cmpVisibility", &TNView::CreateVisibility, &FieldLayout<&TNView::ResizeVisibility>},
    {"cmpDate", &TNView::CreateDate, &FieldLayout<&TNView::ResizeDate>},
    {"cmpAlert", &TNView::CreateAlert, &FieldLayout<&TNView::ResizeAlert>},
    {"cmpShareWith", &TNView::CreateShareWith, &FieldLayout<&TNView::ResizeShareWith>},
    {"cmpEdit", &TNView::CreateEdit, &FieldLayout<&TNView::ResizeEdit>},
    {"cmpDayTitle", CreateDayTitle, LayOutDayTitle},
    {"cmpButton", CreateButton, LayOutButton},
    {"cmpScrollbox", CreateScrollbox, LayOutScrollbox},
    {"cmpToolbar", CreateToolbar, LayOutToolbar},
    {"cmpDaybox", CreateDaybox, LayOutDaybox},
    {"cmpRecord", CreateRecord, LayOutRecord},
    {"cmpListBox", &TNView::CreateListBox, &FieldLayout<&TNView::ResizeListBox>},
    {"cmpNumberEdit", &TNView::CreateNumberEdit, &FieldLayout<&TNView::ResizeNumberEdit>},
    {"cmpLabel", &TNView::CreateLabel, &FieldLayout<&TNView::ResizeLabel>},
    {"cmpRepeatInterval", &TNView::CreateRepeatInterval, &FieldLayout<&TNView::ResizeRepeatInterval>},
    {"cmpComboBox2", &TNView::CreateComboBox2, &FieldLayout<&TNView::ResizeComboBox2>},
    {"cmpComboBox3", &TNView::CreateComboBox3, &FieldLayout<&TNView::ResizeComboBox3>},
};

} // namespace

const TNViewKindOps& ViewKindOps(int32_t kind)
{
    return kind >= 1 && kind <= kViewKindCount ? kKinds[kind] : kKinds[0];
}
