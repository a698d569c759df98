#pragma once

#include <functional>

namespace plat {

class TForm;

// The top-level window with the keyboard focus, as the program's foreground
// hook sees it: one of its forms, or another window (null), which is any
// window that is not a form, another program's above all.
using ForegroundCallback = std::function<void(TForm* form)>;

// Calls `callback` on the main thread at every change of the focused
// top-level window, until removed. One hook at a time; a new one replaces the
// old. Main thread only.
void SetForegroundHook(ForegroundCallback callback);
void RemoveForegroundHook();
// The form with the focus now; null when another window has it.
TForm* GetForegroundForm();

} // namespace plat
