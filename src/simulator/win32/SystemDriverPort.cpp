// Which driver the Windows library talks to: the installed kernel driver, or with
// PIXORA_DRIVER=virtual the virtual camera (there is no driver under Wine, so the tests
// run that way). Chosen once, on first use.
#include <cstdlib>
#include <cstring>

#include "platform/win32/Win32DriverPort.h"
#include "simulator/VirtualCameraBus.h"

namespace pixora {

namespace {

DriverPort& ChooseDriverPort() {
    const char* choice = std::getenv("PIXORA_DRIVER");
    if (choice != nullptr && std::strcmp(choice, "virtual") == 0) {
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
