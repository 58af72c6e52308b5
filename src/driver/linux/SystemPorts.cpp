#include "driver/SystemPorts.h"

#if PIXORA_HAVE_LIBUSB
#include "driver/linux/usb/UsbDriverPort.h"
#endif

namespace pixora {

DriverPort* KernelDriverPort() {
    return nullptr;
}

DriverPort* UsbPort(std::string* why) {
#if PIXORA_HAVE_LIBUSB
    (void)why;
    return &UsbDriverPort::Instance();
#else
    if (why != nullptr) {
        *why =
            "this build of the library has no USB driver port: it was built without "
            "libusb-1.0 (Debian: libusb-1.0-0-dev)";
    }
    return nullptr;
#endif
}

std::vector<UsbDeviceReport> SurveyUsbDevices(std::string* why) {
#if PIXORA_HAVE_LIBUSB
    return UsbDriverPort::Instance().Survey(why);
#else
    UsbPort(why);
    return {};
#endif
}

}  // namespace pixora
