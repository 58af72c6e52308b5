// Ctrl-C (SIGINT) and SIGTERM: the first asks the running command to stop cleanly, the
// second ends the process at once with status 130.
#pragma once

namespace pixora::cli {

void InstallInterruptHandler();

// True once a stop was asked for.
bool Interrupted();

}  // namespace pixora::cli
