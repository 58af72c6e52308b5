// The camera's kernel driver, reached with CreateFileA and DeviceIoControl.
#pragma once

#include "driver/ControlDriver.h"

namespace pixora {

// The process-wide connection to the installed driver (device paths "\\.\Qvo530TZ-N").
ControlDriver& KernelControlDriver();

}  // namespace pixora
