#include "platform/gui/internal/key_codes.h"

namespace plat {

namespace {

// The named keys both ways; letters, digits and F-keys go by arithmetic.
struct NamedKey {
    int qt;
    uint16_t virtualKey;
};

constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},     {Qt::Key_Return, 0x0D},   {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11}, {Qt::Key_Alt, 0x12},      {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},  {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},    {Qt::Key_Up, 0x26},       {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},      {Qt::Key_Insert, 0x2D},  {Qt::Key_Delete, 0x2E},
};

} // namespace

uint16_t VirtualKeyOf(const QKeyEvent& event)
{
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<uint16_t>(0x70 + (key - Qt::Key_F1));
    for (const NamedKey& named : kNamedKeys)
        if (named.qt == key)
            return named.virtualKey;
    return 0;
}

int QtKeyOfVirtualKey(uint16_t key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return key;
    if (key >= 0x70 && key <= 0x87)
        return Qt::Key_F1 + (key - 0x70);
    // The first entry of a key wins: 0x0D is Return.
    for (const NamedKey& named : kNamedKeys)
        if (named.virtualKey == key)
            return named.qt;
    return 0;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

} // namespace plat
