#include "driver/SystemPorts.h"

namespace pixora {

DriverPort* KernelDriverPort() {
    return nullptr;
}

DriverPort* UsbDriverPort(std::string* why) {
    if (why != nullptr) {
        *why = "this build of the library has no USB driver port";
    }
    return nullptr;
}

}  // namespace pixora
