// A camera the USB port has opened and claimed, shared by the connections to it, and the
// pieces every transfer on it is made of: a completion to wait for, the set of transfers in
// flight that a cancel reaches, and what a finished transfer tells.
#pragma once

#include <libusb.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "driver/DriverPort.h"
#include "driver/UsbSurvey.h"

namespace pixora {

// The pipes of one camera as endpoints.
struct PipeEndpoint {
    uint8_t address = 0;
    uint8_t type = LIBUSB_TRANSFER_TYPE_BULK;
};

struct UsbPlace {
    uint8_t bus = 0;
    uint8_t address = 0;
    std::vector<uint8_t> ports;
    std::string Identity() const { return std::to_string(bus) + "-" + PortPathText(ports); }
    static std::string PortPathText(const std::vector<uint8_t>& ports) {
        std::string text;
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on a "." + string.
        for (size_t i = 0; i < ports.size(); ++i) {
            if (i != 0)
                text += '.';
            text += std::to_string(ports[i]);
        }
        return text.empty() ? "0" : text;
    }
};

// One opened, claimed camera, shared by the connections to it.
struct OpenUsbCamera {
    libusb_device_handle* handle = nullptr;
    UsbPlace place;
    PipeEndpoint pipes[wire::kPipeCount];
    std::atomic<bool> gone{false};
    int users = 0;  // open connections (under the port's lock)
    std::chrono::steady_clock::time_point idleSince{};

    OpenUsbCamera() = default;
    OpenUsbCamera(const OpenUsbCamera&) = delete;
    OpenUsbCamera& operator=(const OpenUsbCamera&) = delete;
    // The last holder lets the camera go: its interface is released for other programs.
    ~OpenUsbCamera() {
        if (handle != nullptr) {
            libusb_release_interface(handle, 0);
            libusb_close(handle);
        }
    }
};

// Where a device is: its bus, address and port path.
UsbPlace PlaceOf(libusb_device* device);
// Camera order: by bus, then by port path.
bool PlaceOrder(const UsbPlace& a, const UsbPlace& b);

// The transfers of one connection that are in flight, so that Cancel reaches each.
class InFlight {
public:
    void Add(libusb_transfer* transfer) {
        std::lock_guard lock(mutex_);
        transfers_.insert(transfer);
    }
    void Remove(libusb_transfer* transfer) {
        std::lock_guard lock(mutex_);
        transfers_.erase(transfer);
    }
    void CancelAll() {
        std::lock_guard lock(mutex_);
        for (libusb_transfer* transfer : transfers_) {
            libusb_cancel_transfer(transfer);
        }
    }

private:
    std::mutex mutex_;
    std::set<libusb_transfer*> transfers_;
};

// A transfer's completion, signalled from the event thread.
struct Completion {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;

    static void Callback(libusb_transfer* transfer) {
        auto* self = static_cast<Completion*>(transfer->user_data);
        std::lock_guard lock(self->mutex);
        self->finished = true;
        self->done.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex);
        done.wait(lock, [this] { return finished; });
    }
};

// A bulk or interrupt transfer on `endpoint`, as its type says, signalling `completion`.
void FillTransfer(libusb_transfer* transfer, OpenUsbCamera& camera, const PipeEndpoint& endpoint,
                  void* data, uint32_t size, uint32_t timeoutMs, Completion* completion);
// What a finished transfer tells; a camera gone is marked so.
TransferResult ResultOf(const libusb_transfer& transfer, uint32_t timeoutMs, OpenUsbCamera& camera);
// What a transfer that could not be submitted tells.
TransferResult SubmitFailure(int error, OpenUsbCamera& camera, uint8_t endpoint);
// The endpoints of interface 0, alternate setting 0, in descriptor order.
std::vector<UsbEndpointReport> InterfaceZeroEndpoints(libusb_device* device);

}  // namespace pixora
