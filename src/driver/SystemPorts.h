// The ports to a real camera that this build has, by operating system (linux/, win32/).
#pragma once

#include <string>
#include <vector>

#include "driver/DriverPort.h"
#include "driver/UsbSurvey.h"

namespace pixora {

// The kernel driver's port (Windows); null where the system has no such driver.
DriverPort* KernelDriverPort();
// The USB port; null, with the reason in *why, where this build has none.
DriverPort* UsbPort(std::string* why);
// The attached USB devices that could be cameras (`pixora usb list`); empty, with the
// reason in *why, where there is no USB port or the devices cannot be listed.
std::vector<UsbDeviceReport> SurveyUsbDevices(std::string* why);

}  // namespace pixora
