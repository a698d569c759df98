#pragma once

#include <cstdint>

namespace plat {

class MainLoop;

// Serves the forms exported with TForm::ExportOnBus on the window bus, so
// other processes of the user (the closing utility, a second copy) find and
// message them. Messages run the form's Dispatch on the main thread, inside
// modal loops too. Other processes may send only WM_CLOSE,
// WM_QUERYENDSESSION, WM_ENDSESSION and kBusRestoreMessage; any other number
// is answered 0 and logged.
//
// Main thread only.
class FormBus {
public:
    // The one program-defined message other processes may send.
    static constexpr uint32_t kBusRestoreMessage = 1125;

    // Starts serving on `loop` (the program's main loop, which must outlive
    // Stop) and registers the forms exported so far. False when the bus is
    // not usable; forms exported later are then registered by a later Start.
    static bool Start(MainLoop& loop);
    // Removes every registration; the forms stay exported.
    static void Stop();
    static bool Running();
};

} // namespace plat
