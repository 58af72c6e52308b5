// The camera's kernel driver, reached with CreateFileA and DeviceIoControl.
#pragma once

#include "platform/DriverPort.h"

namespace pixora {

// The process-wide port to the installed driver (device paths "\\.\Qvo530TZ-N").
DriverPort& Win32KernelDriverPort();

}  // namespace pixora
