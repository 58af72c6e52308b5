// Which driver the Windows library talks to: the installed kernel driver, or with
// PIXORA_DRIVER=virtual the virtual camera (there is no driver under Wine, so the tests
// run that way). Chosen once, on first use.
#include "platform/Environment.h"
#include "platform/win32/Win32DriverPort.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {

namespace {

DriverPort& ChooseDriverPort() {
    if (EnvironmentValue("PIXORA_DRIVER") == "virtual") {
        return VirtualCameraBus::Instance();
    }
    return Win32KernelDriverPort();
}

}  // namespace

DriverPort& SystemDriverPort() {
    static DriverPort& port = ChooseDriverPort();
    return port;
}

}  // namespace pixora
