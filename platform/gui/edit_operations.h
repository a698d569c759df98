#pragma once

#include <cstdint>

namespace plat {

class TForm;
class TWinControl;

// The text menus' operations, numbered as the program's common helpers
// number them.
enum class TEditOperation : int32_t { Undo = 0, Copy = 1, Cut = 2, Paste = 3, ClearSelection = 4, SelectAll = 5 };

// The class name of the form's active control; null when it has none. The
// form comes as an opaque pointer (a TForm*), as the common helpers hold it.
const char* ActiveControlClassName(void* form);
// Applies the operation to the form's active control with the control's own
// means; controls without that operation are left alone.
void EditActiveControl(void* form, int32_t operation);

} // namespace plat
