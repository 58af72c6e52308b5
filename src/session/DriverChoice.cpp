#include "session/DriverChoice.h"

#include <string>

#include "driver/SystemPorts.h"
#include "driver/UnavailablePort.h"
#include "driver/UsbConfig.h"
#include "platform/Environment.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {

namespace {

DriverPort& UsbOrUnavailable() {
    std::string why;
    if (DriverPort* usb = UsbPort(&why)) {
        return *usb;
    }
    // Opens fail with the reason, which reaches the application as the failure's detail.
    static UnavailablePort unavailable("PIXORA_DRIVER=usb: " + why);
    return unavailable;
}

DriverPort& ChooseDriverPort() {
    const std::optional<std::string> choice = EnvironmentValue("PIXORA_DRIVER");
    if (choice == "virtual") {
        return VirtualCameraBus::Instance().Port();
    }
    if (choice == "usb") {
        return UsbOrUnavailable();
    }
    if (DriverPort* kernel = KernelDriverPort()) {
        return *kernel;
    }
    if (!LoadUsbConfig().cameras.empty()) {
        return UsbOrUnavailable();
    }
    return VirtualCameraBus::Instance().Port();
}

}  // namespace

DriverPort& SystemDriverPort() {
    static DriverPort& port = ChooseDriverPort();
    return port;
}

}  // namespace pixora
