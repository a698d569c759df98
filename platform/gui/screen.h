#pragma once

#include "platform/gui/types.h"

#include <string>

namespace plat {

// The screen cursor over every window: a state, not a stack. crDefault leaves
// no override cursor, whatever came before.
class Screen {
public:
    static void SetCursor(TCursor cursor);
    static TCursor Cursor();
};

// The system clipboard's text, as CP1250 bytes.
class Clipboard {
public:
    static void SetText(const std::string& text);
    static std::string Text();
};

} // namespace plat
