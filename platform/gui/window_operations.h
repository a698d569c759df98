#pragma once

#include <cstdint>

namespace plat {

// The window helpers of the program's common helpers, which hold forms and
// controls as opaque pointers (TControl*) and canvases as TCanvas*. A form's
// bounds lie on the screen, a control's in its parent.
void ScreenWorkArea(int32_t* left, int32_t* top, int32_t* width, int32_t* height);
void ControlBoundsOf(void* control, int32_t* left, int32_t* top, int32_t* width, int32_t* height);
void SetControlBoundsOf(void* control, int32_t left, int32_t top, int32_t width, int32_t height);
// Fills the rectangle from 0, 0 of that size with `fill` and outlines it
// with `outline`.
void FillAndOutline(void* canvas, int32_t width, int32_t height, uint32_t fill, uint32_t outline);

} // namespace plat
