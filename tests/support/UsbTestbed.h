// The virtual camera served as a USB device: a umockdev testbed with the device's sysfs
// attributes and descriptors and a /dev/bus/usb node whose usbdevfs requests (claim, URB
// submit and reap, discard) are answered by the virtual camera's protocol engine, so that
// the whole library, down through libusb and usbdevfs, runs against it. The program must
// run under umockdev-wrapper.
//
// Devices are added before libusb starts: umockdev 0.17 announces a device before it has
// written its binary attributes, and a libusb already running then keeps the device without
// its descriptors. So unplugging is what usbdevfs shows of it (every request fails with
// ENODEV, URBs in flight complete with -ENODEV, as the kernel does on a disconnect) and the
// sysfs entry stays; plugging back in makes the node answer again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "simulator/VirtualCameraBus.h"

namespace pixora::test {

struct UsbEndpointSpec {
    uint8_t address = 0;  // bit 7: IN
    uint8_t type = 2;     // 2 bulk, 3 interrupt
    uint16_t maxPacket = 512;
    int pipe = -1;  // the pipe the device serves on it; -1: its place in descriptor order
};

struct UsbDeviceSpec {
    int camera = 0;  // the bus camera that answers
    uint8_t bus = 1;
    uint8_t address = 2;
    std::string ports = "3";  // port path from the root hub: "3", "1.4"
    uint16_t vendor = 0x1d50;
    uint16_t product = 0x530a;
    uint8_t interfaceClass = 0xFF;
    std::vector<UsbEndpointSpec> endpoints = {{0x01, 2, 512}, {0x82, 2, 512}, {0x83, 2, 512}};
};

// What a device's usbdevfs side has been asked.
struct UsbDeviceCounts {
    int claims = 0;
    int releases = 0;
    int submits = 0;
    int discards = 0;
};

class UsbTestbed {
public:
    explicit UsbTestbed(VirtualCameraBus& cameras);
    ~UsbTestbed();
    UsbTestbed(const UsbTestbed&) = delete;
    UsbTestbed& operator=(const UsbTestbed&) = delete;

    // Adds a device; returns its number for the calls below.
    int Add(const UsbDeviceSpec& spec);
    // Unplugs it and plugs it back in (see above); its camera goes and comes with it.
    void Unplug(int device);
    void Replug(int device);

    // Another program holds the interface: claims fail with EBUSY.
    void SetClaimRefused(int device, bool refused);
    // A kernel driver of this name is bound to interface 0 (empty: none).
    void SetKernelDriver(int device, const std::string& name);
    UsbDeviceCounts Counts(int device) const;
    std::string DeviceNode(int device) const;
    std::string RootDir() const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace pixora::test
