// Which host shows the library's dialogs: a test host when one is installed, else real
// windows when a display is reachable, else none (the dialogs then report that they could
// not be shown).
#pragma once

#include "dialogs/host/DialogHost.h"

namespace pixora {

// Installs `host` for every dialog of the process from now on (null removes it). The host
// must stay alive while installed.
void SetDialogTestHost(DialogHost* host);
DialogHost* DialogTestHost();

// The host for a dialog now, or null.
DialogHost* CurrentDialogHost();

// The host drawing real windows, or null when there is no display or no toolkit.
DialogHost* DisplayDialogHost();

}  // namespace pixora
