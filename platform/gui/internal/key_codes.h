#pragma once

// Internal: Qt's keys and modifiers as the program's virtual keys and shift
// states. Includes Qt.

#include "platform/gui/types.h"

#include <QKeyEvent>

#include <cstdint>

namespace plat {

// The virtual-key code of a key, or 0 for keys the program has no code for.
uint16_t VirtualKeyOf(const QKeyEvent& event);
// The Qt key of a virtual-key code, or 0 when Qt has none.
int QtKeyOfVirtualKey(uint16_t key);
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

} // namespace plat
