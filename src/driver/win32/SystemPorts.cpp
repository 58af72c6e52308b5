#include "driver/SystemPorts.h"

#include "driver/ControlDriverPort.h"
#include "driver/win32/KernelControlDriver.h"

namespace pixora {

DriverPort* KernelDriverPort() {
    static ControlDriverPort port(KernelControlDriver());
    return &port;
}

DriverPort* UsbPort(std::string* why) {
    if (why != nullptr) {
        *why =
            "the USB driver port is not part of the Windows build: the camera's kernel "
            "driver serves it";
    }
    return nullptr;
}

std::vector<UsbDeviceReport> SurveyUsbDevices(std::string* why) {
    UsbPort(why);
    return {};
}

}  // namespace pixora
