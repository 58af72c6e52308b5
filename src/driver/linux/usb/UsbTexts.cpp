#include "driver/linux/usb/UsbTexts.h"

#include <libusb.h>

#include <cstdio>

namespace pixora {

namespace {

std::string Ids(const UsbCameraModel& model) {
    return FormatUsbIds(model.vendor, model.product);
}

std::string Hex2(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", value);
    return text;
}

}  // namespace

std::string NoLibusbText(int error) {
    return std::string("the USB driver cannot start: libusb-1.0 could not be initialised (") +
           libusb_strerror(static_cast<libusb_error>(error)) +
           "; is there a USB device filesystem, /dev/bus/usb?)";
}

std::string NothingConfiguredText() {
    return "the USB driver is chosen but no camera is configured: find the camera with "
           "`pixora usb list` and choose it with `pixora usb use VID:PID`";
}

std::string EnumerationFailedText(int error) {
    return std::string("the USB devices cannot be listed: ") +
           libusb_strerror(static_cast<libusb_error>(error));
}

std::string NoCameraAtIndexText(int index, int attached) {
    if (attached == 0) {
        return "no configured USB camera is attached (`pixora usb list` shows what is)";
    }
    return "no configured USB camera is attached as camera " + std::to_string(index) + " (" +
           std::to_string(attached) + " attached, numbered from 0 by bus and port)";
}

std::string BadPathText(const char* path) {
    return std::string("no camera is named '") + (path != nullptr ? path : "") + "'";
}

std::string UnfitEndpointsText(const UsbCameraModel& model, const std::string& why) {
    return "the USB device " + Ids(model) + " does not fit the camera's pipes: " + why +
           "; if its endpoints serve them in another order, give the map with `pixora usb use " +
           Ids(model) + " --endpoints OUT,IN,IN`";
}

std::string OpenFailedText(int error, const UsbCameraModel& model, uint8_t bus, uint8_t address,
                           int index) {
    char node[48];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", bus, address);
    switch (error) {
        case LIBUSB_ERROR_ACCESS:
            return "no permission to open the camera " + Ids(model) + " (" + node +
                   "): install the udev rule that `pixora usb use " + Ids(model) +
                   "` prints (TAG+=\"uaccess\" gives the desktop's user the device), then "
                   "plug the camera in again";
        case LIBUSB_ERROR_NO_DEVICE:
            return "the camera " + Ids(model) + " was unplugged while it was being opened";
        case LIBUSB_ERROR_BUSY:
            return "the camera " + Ids(model) + " is in use by another program: close it";
        default:
            return "the camera " + Ids(model) + " (camera " + std::to_string(index) + ", " + node +
                   ") does not open: " + libusb_strerror(static_cast<libusb_error>(error));
    }
}

std::string KernelDriverText(const UsbCameraModel& model, uint8_t bus, const std::string& ports) {
    const std::string interface = std::to_string(bus) + "-" + ports + ":1.0";
    return "a kernel driver is bound to interface 0 of the camera " + Ids(model) +
           ": unbind it (`readlink /sys/bus/usb/devices/" + interface + "/driver` names it; echo " +
           interface +
           " into that driver's unbind file as root) or keep its module from loading, then open "
           "the camera again";
}

std::string ClaimFailedText(int error, const UsbCameraModel& model) {
    if (error == LIBUSB_ERROR_BUSY) {
        return "the camera " + Ids(model) +
               " is in use by another program (interface 0 is claimed): close that program";
    }
    if (error == LIBUSB_ERROR_NO_DEVICE) {
        return "the camera " + Ids(model) + " was unplugged while it was being opened";
    }
    return "interface 0 of the camera " + Ids(model) +
           " cannot be claimed: " + libusb_strerror(static_cast<libusb_error>(error));
}

std::string TransferTimedOutText(uint8_t endpoint, uint32_t timeoutMs) {
    return "no data on endpoint " + Hex2(endpoint) + " within the transfer time-out of " +
           std::to_string(timeoutMs) + " ms";
}

std::string UnpluggedText() {
    return "the camera was unplugged; plug it in again and open it";
}

std::string TransferFailedText(uint8_t endpoint, int status) {
    switch (status) {
        case LIBUSB_TRANSFER_STALL:
            return "endpoint " + Hex2(endpoint) + " stalled";
        case LIBUSB_TRANSFER_OVERFLOW:
            return "endpoint " + Hex2(endpoint) + " sent more than was asked for";
        default:
            return "the transfer on endpoint " + Hex2(endpoint) + " failed";
    }
}

std::string SubmitFailedText(uint8_t endpoint, int error) {
    return "the transfer on endpoint " + Hex2(endpoint) +
           " cannot start: " + libusb_strerror(static_cast<libusb_error>(error));
}

}  // namespace pixora
