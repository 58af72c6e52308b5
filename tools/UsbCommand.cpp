// pixora usb list / pixora usb use VID:PID [--endpoints OUT,IN,IN] / pixora usb rule: the
// camera on USB, found, configured, and made accessible to the desktop's user.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "ExitStatus.h"
#include "PixoraExtensions.h"

namespace pixora::cli {

namespace {

constexpr int kMostDevices = 64;

const char* TypeName(uint8_t type) {
    static const char* const kNames[4] = {"control", "isochronous", "bulk", "interrupt"};
    return kNames[type & 3];
}

int RunList() {
    std::vector<PixoraUsbDevice> devices(kMostDevices);
    for (PixoraUsbDevice& device : devices)
        device.size = sizeof device;
    char why[512] = {};
    const int32_t count = PixoraEx_UsbListDevices(devices.data(), kMostDevices, why, sizeof why);
    if (count < 0) {
        std::fprintf(stderr, "pixora: usb list: %s\n", why);
        return kExitFailure;
    }
    if (count == 0) {
        std::printf(
            "no USB device with a vendor-specific interface that could serve the "
            "camera's pipes\n");
        return kExitSuccess;
    }
    for (int32_t i = 0; i < count && i < kMostDevices; ++i) {
        const PixoraUsbDevice& d = devices[static_cast<size_t>(i)];
        std::printf("%04x:%04x  bus %d port %s  interface %d", d.vendor, d.product, d.bus,
                    d.portPath, d.interfaceNumber);
        if (d.configured)
            std::printf("  configured: camera %d", d.cameraIndex);
        std::printf("\n");
        for (int32_t e = 0; e < d.endpointCount; ++e) {
            const PixoraUsbEndpoint& ep = d.endpoints[e];
            std::printf("    endpoint %02x  %-3s  %-9s  %u bytes\n", ep.address,
                        (ep.address & 0x80) != 0 ? "IN" : "OUT", TypeName(ep.type), ep.maxPacket);
        }
    }
    return kExitSuccess;
}

int PrintRule(const char* ids) {
    char rule[4096] = {};
    if (PixoraEx_UsbUdevRule(ids, rule, sizeof rule) != 1) {
        std::fprintf(stderr, "pixora: usb rule: no camera is configured (pixora usb use)\n");
        return kExitFailure;
    }
    std::fputs(rule, stdout);
    return kExitSuccess;
}

int RunUse(const Arguments& args, const std::string& ids) {
    if (args.Has("user") && args.Has("system"))
        throw UsageError("usb use takes --user or --system, not both");
    const int32_t scope = args.Has("system") ? 1 : args.Has("user") ? 0 : -1;
    const std::string* endpoints = args.Value("endpoints");
    char result[1024] = {};
    if (PixoraEx_UsbUseCamera(ids.c_str(), endpoints != nullptr ? endpoints->c_str() : nullptr,
                              scope, result, sizeof result) != 1) {
        std::fprintf(stderr, "pixora: usb use: %s\n", result);
        return kExitFailure;
    }
    std::printf("camera %s configured in %s\n", ids.c_str(), result);
    std::printf(
        "\nSo that a desktop user can open it without root, install this udev rule as\n"
        "/etc/udev/rules.d/70-pixora-530tz.rules (then plug the camera in again):\n\n");
    return PrintRule(ids.c_str());
}

int RunUsb(const Arguments& args) {
    const std::vector<std::string>& words = args.Operands();
    if (words.empty())
        throw UsageError("usb needs 'list', 'use VID:PID' or 'rule'");
    if (words[0] == "list") {
        if (words.size() != 1)
            throw UsageError("usb list takes no operands");
        return RunList();
    }
    if (words[0] == "use") {
        if (words.size() != 2)
            throw UsageError("usb use needs VID:PID");
        return RunUse(args, words[1]);
    }
    if (words[0] == "rule") {
        if (words.size() > 2)
            throw UsageError("usb rule takes at most VID:PID");
        return PrintRule(words.size() == 2 ? words[1].c_str() : nullptr);
    }
    throw UsageError("unknown usb action '" + words[0] + "' (list, use or rule)");
}

}  // namespace

Command UsbCommand() {
    return {"usb",
            "find the camera on USB and configure it",
            "usage: pixora usb list\n"
            "       pixora usb use VID:PID [--endpoints OUT,IN,IN] [--user | --system]\n"
            "       pixora usb rule [VID:PID]\n\n"
            "list: every attached USB device with a vendor-specific interface whose\n"
            "endpoints could serve the camera's three pipes: its IDs, bus and port, and\n"
            "each endpoint with direction, type and packet size; configured ones are\n"
            "marked with their camera index.\n"
            "use: makes the device with these IDs a camera (several models may be\n"
            "configured). Pipe N is the N-th endpoint of interface 0 unless --endpoints\n"
            "gives the endpoint addresses (hex) of pipes 0, 1 and 2. Written to the user's\n"
            "configuration, or the system's when run as root (--user, --system choose);\n"
            "prints the udev rule that gives the desktop's user access.\n"
            "rule: prints that udev rule for VID:PID, or for every configured model.\n"
            "The library then reaches the camera through USB; PIXORA_DRIVER=virtual keeps\n"
            "the virtual camera.\n\n"
            "options:\n"
            "  --endpoints A,B,C endpoint addresses of pipes 0 (OUT), 1 and 2 (IN)\n"
            "  --user            write the user's configuration\n"
            "  --system          write the system's configuration (/etc/pixora/usb.conf)\n",
            {{"endpoints", true}, {"user", false}, {"system", false}},
            RunUsb};
}

}  // namespace pixora::cli
