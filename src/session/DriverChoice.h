// Which driver port the library's sessions talk through, chosen once per process and in
// this one place: PIXORA_DRIVER=virtual the virtual camera, PIXORA_DRIVER=usb the USB port;
// otherwise the system's kernel driver where there is one (Windows), else the USB port when
// a USB camera is configured (`pixora usb use`), else the virtual camera.
#pragma once

#include "driver/DriverPort.h"

namespace pixora {

DriverPort& SystemDriverPort();

}  // namespace pixora
