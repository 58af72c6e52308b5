// The port to a 530TZ on USB through libusb-1.0: cameras are the attached devices whose
// vendor:product IDs are configured (driver/UsbConfig.h), numbered 0..7 by bus and port
// path; the three pipes are endpoints of interface 0 (the configured map, else the first
// three endpoints of alternate setting 0 in descriptor order: OUT, IN, IN). A stream keeps
// reads in flight so that the bus never idles between frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "driver/DriverPort.h"
#include "driver/UsbSurvey.h"

namespace pixora {

class UsbDriverPort final : public DriverPort {
public:
    // The process-wide port; its libusb context and event thread start on first use and
    // live until the process ends.
    static UsbDriverPort& Instance();

    OpenResult Open(const char* path) override;
    bool Probe(const char* path, std::string* detail) override;

    // Every attached device with a vendor-specific interface that has an OUT and two IN
    // endpoints, configured ones marked; nothing is opened.
    std::vector<UsbDeviceReport> Survey(std::string* why);

    class Impl;

private:
    UsbDriverPort();
    std::unique_ptr<Impl> impl_;
};

}  // namespace pixora
