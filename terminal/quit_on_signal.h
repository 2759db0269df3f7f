// Ends the event loop on SIGTERM, SIGINT or SIGHUP, so that the terminal leaves as after a
// close: its socket file removed and, when asked, its screen printed.
#pragma once

namespace tarvix {

// Call once the application object exists.
void quitOnTerminationSignals();

}  // namespace tarvix
