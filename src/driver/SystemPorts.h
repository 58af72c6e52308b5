// The ports to a real camera that this build has, by operating system (linux/, win32/).
#pragma once

#include <string>

#include "driver/DriverPort.h"

namespace pixora {

// The kernel driver's port (Windows); null where the system has no such driver.
DriverPort* KernelDriverPort();
// The USB port; null, with the reason in *why, where this build has none.
DriverPort* UsbDriverPort(std::string* why);

}  // namespace pixora
