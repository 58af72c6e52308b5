#include "driver/linux/usb/UsbCamera.h"

#include <algorithm>

#include "driver/linux/usb/UsbTexts.h"

namespace pixora {

UsbPlace PlaceOf(libusb_device* device) {
    UsbPlace place;
    place.bus = libusb_get_bus_number(device);
    place.address = libusb_get_device_address(device);
    uint8_t ports[8] = {};
    const int count = libusb_get_port_numbers(device, ports, sizeof ports);
    for (int i = 0; i < count; ++i) {
        place.ports.push_back(ports[i]);
    }
    return place;
}

bool PlaceOrder(const UsbPlace& a, const UsbPlace& b) {
    return a.bus != b.bus ? a.bus < b.bus : a.ports < b.ports;
}

TransferResult ResultOf(const libusb_transfer& transfer, uint32_t timeoutMs,
                        OpenUsbCamera& camera) {
    TransferResult result;
    result.bytes = static_cast<uint32_t>(std::max(transfer.actual_length, 0));
    switch (transfer.status) {
        case LIBUSB_TRANSFER_COMPLETED:
            result.status = TransferStatus::Done;
            break;
        case LIBUSB_TRANSFER_TIMED_OUT:
            result.status = TransferStatus::TimedOut;
            result.detail = TransferTimedOutText(transfer.endpoint, timeoutMs);
            break;
        case LIBUSB_TRANSFER_CANCELLED:
            // A transfer that had moved everything before the cancel reached it is whole.
            result.status = transfer.actual_length == transfer.length ? TransferStatus::Done
                                                                      : TransferStatus::Cancelled;
            break;
        case LIBUSB_TRANSFER_NO_DEVICE:
            camera.gone.store(true);
            result.status = TransferStatus::NoDevice;
            result.detail = UnpluggedText();
            break;
        default:
            result.status = TransferStatus::Failed;
            result.detail = TransferFailedText(transfer.endpoint, transfer.status);
            break;
    }
    return result;
}

void FillTransfer(libusb_transfer* transfer, OpenUsbCamera& camera, const PipeEndpoint& endpoint,
                  void* data, uint32_t size, uint32_t timeoutMs, Completion* completion) {
    auto* bytes = static_cast<unsigned char*>(data);
    if (endpoint.type == LIBUSB_TRANSFER_TYPE_INTERRUPT) {
        libusb_fill_interrupt_transfer(transfer, camera.handle, endpoint.address, bytes,
                                       static_cast<int>(size), &Completion::Callback, completion,
                                       timeoutMs);
    } else {
        libusb_fill_bulk_transfer(transfer, camera.handle, endpoint.address, bytes,
                                  static_cast<int>(size), &Completion::Callback, completion,
                                  timeoutMs);
    }
}

TransferResult SubmitFailure(int error, OpenUsbCamera& camera, uint8_t endpoint) {
    TransferResult result;
    if (error == LIBUSB_ERROR_NO_DEVICE) {
        camera.gone.store(true);
        result.status = TransferStatus::NoDevice;
        result.detail = UnpluggedText();
    } else {
        result.status = TransferStatus::Failed;
        result.detail = SubmitFailedText(endpoint, error);
    }
    return result;
}

std::vector<UsbEndpointReport> InterfaceZeroEndpoints(libusb_device* device) {
    std::vector<UsbEndpointReport> found;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 || config == nullptr) {
        return found;
    }
    if (config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0) {
        const libusb_interface_descriptor& alt = config->interface[0].altsetting[0];
        for (int i = 0; i < alt.bNumEndpoints; ++i) {
            const libusb_endpoint_descriptor& ep = alt.endpoint[i];
            found.push_back(UsbEndpointReport{
                ep.bEndpointAddress, static_cast<uint8_t>(ep.bmAttributes & 3), ep.wMaxPacketSize});
        }
    }
    libusb_free_config_descriptor(config);
    return found;
}

}  // namespace pixora
