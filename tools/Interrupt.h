// Ctrl-C (SIGINT) and SIGTERM: the first asks the running command to stop cleanly (release
// the camera, then exit with InterruptedStatus()); a second one ends the process at once.
#pragma once

namespace pixora::cli {

void InstallInterruptHandler();

// True once a stop was asked for.
bool Interrupted();

// The exit status of a command stopped before the end it was asked for: 128 plus the number
// of the signal that stopped it, as shells report it (130 for Ctrl-C, 143 for SIGTERM).
int InterruptedStatus();

}  // namespace pixora::cli
