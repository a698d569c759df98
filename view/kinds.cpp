#include "view/kinds.h"

#include "view/view_item.h"

namespace {

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
    {"cmpDayTitle", nullptr, nullptr},
    {"cmpButton", nullptr, nullptr},
    {"cmpScrollbox", nullptr, nullptr},
    {"cmpToolbar", nullptr, nullptr},
    {"cmpDaybox", nullptr, nullptr},
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
