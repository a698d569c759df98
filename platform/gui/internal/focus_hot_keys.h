#pragma once

// Internal: hot keys without modifiers, caught on their way to a control of
// the active form. Includes Qt.

#include <QKeyEvent>
#include <QObject>

namespace plat {

// Called for each key press the application delivers, before anything else
// sees it; true when the hot key used it up.
bool FocusHotKeyTakes(QObject* receiver, const QKeyEvent& event);

} // namespace plat
