// What `pixora usb list` shows of an attached USB device: its IDs and place, and the
// endpoints of its vendor-specific interface. Portable: the USB port fills it (linux/).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/UsbConfig.h"

namespace pixora {

struct UsbEndpointReport {
    uint8_t address = 0;  // bit 7 set: IN
    uint8_t type = 0;     // 0 control, 1 isochronous, 2 bulk, 3 interrupt (descriptor bits)
    uint16_t maxPacket = 0;
};

struct UsbDeviceReport {
    uint16_t vendor = 0;
    uint16_t product = 0;
    uint8_t bus = 0;
    uint8_t address = 0;
    std::string portPath;  // "3" or "1.4": the ports from the root hub down
    uint8_t interfaceNumber = 0;
    std::vector<UsbEndpointReport> endpoints;
    bool configured = false;   // its IDs are in the configuration
    int32_t cameraIndex = -1;  // its camera index when configured
};

// "82 IN bulk 512", and a list of them.
std::string DescribeEndpoint(const UsbEndpointReport& endpoint);
std::string DescribeEndpoints(const std::vector<UsbEndpointReport>& endpoints);
// An OUT and two IN endpoints of bulk or interrupt type are there.
bool CouldServePipes(const std::vector<UsbEndpointReport>& endpoints);

// The endpoints of pipes 0, 1 and 2 among `found` (interface 0, alternate setting 0, in
// descriptor order): the explicit map when given, else the first three. False, with the
// reason naming what was found, when they do not fit (0 OUT, 1 and 2 IN; bulk or
// interrupt).
bool MapPipeEndpoints(const std::vector<UsbEndpointReport>& found,
                      const std::optional<EndpointMap>& explicitMap, UsbEndpointReport pipes[3],
                      std::string* why);

}  // namespace pixora
