#pragma once

// Internal: where the rest of the layer meets the hot keys. Includes Qt.

#include <QKeyEvent>
#include <QObject>

namespace plat {

class TForm;

// Called for each key press the application delivers, before anything else
// sees it; true when the hot key used it up.
bool FocusHotKeyTakes(QObject* receiver, const QKeyEvent& event);
// A form on its way out gives its keys back at once.
void HotKeysFormGone(TForm& form);

} // namespace plat
